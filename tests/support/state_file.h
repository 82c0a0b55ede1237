// Panel state files for the tests: one to recall at start, and the values of
// one the panel saved.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

namespace scenario {

// A panel state file holding `values` (constant name to value) in slot 0.
inline QByteArray stateFile(const QJsonObject &values)
{
    const QJsonObject root{{"format", "tavr-panel-state"},
                           {"version", 1},
                           {"panel", "BSDpanel"},
                           {"slots", QJsonObject{{"0", values}}}};
    return QJsonDocument(root).toJson();
}

// The slot-0 values of a saved state file.
inline QJsonObject savedValues(const QByteArray &file)
{
    return QJsonDocument::fromJson(file).object().value("slots").toObject().value("0").toObject();
}

// Voltage 0.0 for every channel of the positions: such a start dims no
// voltage control, so the enable switches act at once.
inline QJsonObject idleVoltages(const std::vector<int> &positions)
{
    QJsonObject values;
    for (const int k : positions)
        for (int n = 6 * k - 5; n <= 6 * k; ++n)
            values.insert(QString("VOLTAGE_CH_%1").arg(n), 0.0);
    return values;
}

} // namespace scenario
