// Small builders for tests that act on cards: a simulated chassis holding the
// cards of chosen positions, a panel state file, and the card calls of a trace
// as short lines that compare exactly.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

namespace card_scenarios {

// The LAN chassis at the panel's default address, holding the battery
// simulator of each position in `positions` (serial "30000" + position).
// `faults` are fault rules of the scenario format; `latencyMs` the delay of
// every call.
inline std::string cardsAt(const std::vector<int> &positions, const QJsonArray &faults = {},
                           double latencyMs = 0.0)
{
    QJsonArray cards;
    for (const int k : positions)
        cards.append(QJsonObject{{"bus", 1},
                                 {"slot", 1 + k},
                                 {"serial", QString("30000%1").arg(k)},
                                 {"model", "58-214-003"}});
    const QJsonObject chassis{{"address", "192.168.100.10"}, {"cards", cards}};
    QJsonObject root{{"chassis", QJsonArray{chassis}}, {"faults", faults}};
    if (latencyMs > 0.0)
        root.insert("latency_ms", latencyMs);
    return QJsonDocument(root).toJson().toStdString();
}

// One fault rule: `call` on the card with `serial` (empty: any), sub-unit
// `sub` (0: any), failing from its `nth` matching call, `times` times.
inline QJsonObject fault(const QString &call, int status, const QString &serial = {}, int sub = 0, int nth = 1,
                         int times = 1)
{
    QJsonObject rule{{"call", call}, {"status", status}, {"nth", nth}, {"times", times}};
    if (!serial.isEmpty())
        rule.insert("serial", serial);
    if (sub != 0)
        rule.insert("sub", sub);
    return rule;
}

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

// A card call as one line: the function without "KORDA_", then card/sub and
// the value sent, e.g. "BattSetCurrent 2/3 0.04", "CloseSpecifiedCard 1".
// The status is added when it is not 0: "BattSetEnable 1/2 1 !4112".
inline std::string callText(const QJsonObject &call)
{
    QString text = call.value("call").toString();
    text.remove(QStringLiteral("KORDA_"));
    if (call.contains("card")) {
        text += " " + QString::number(call.value("card").toInteger());
        if (call.contains("sub"))
            text += "/" + QString::number(call.value("sub").toInteger());
    }
    for (const char *value : {"volts", "amps", "state"})
        if (call.contains(value))
            text += " " + QString::number(call.value(value).toDouble());
    if (call.value("status").toInteger() != 0)
        text += " !" + QString::number(call.value("status").toInteger());
    return text.toStdString();
}

// The calls that reach a card or the chassis, as lines; the description
// look-ups of the error reports are left out.
inline std::vector<std::string> cardCalls(const std::vector<QJsonObject> &trace)
{
    std::vector<std::string> lines;
    for (const QJsonObject &call : trace)
        if (call.value("call").toString() != "KORDA_ErrorCodeToMessage")
            lines.push_back(callText(call));
    return lines;
}

} // namespace card_scenarios
