#include "panel/panel_state_file.h"

#include "panel/panel_window.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>
#include <limits>

namespace panel {

namespace {

const char kFormat[] = "tavr-panel-state";
const int kVersion = 1;
// A state file is a few tens of kilobytes; anything far larger is not one.
const qint64 kMaxFileSize = 16 * 1024 * 1024;

QJsonValue toJson(const Control &c)
{
    const QVariant v = c.value();
    switch (c.def().kind) {
    case Kind::Numeric:
        if (c.def().numericType == NumericType::Double)
            return v.toDouble();
        return v.toInt();
    case Kind::ToggleButton:
    case Kind::ToggleSwitch:
    case Kind::Led:
        return v.toInt();
    default:
        return v.toString();
    }
}

// The value to restore, or an invalid variant when the stored one does not fit the control.
QVariant fromJson(const Control &c, const QJsonValue &stored)
{
    const ControlDef &def = c.def();
    switch (def.kind) {
    case Kind::Numeric: {
        if (!stored.isDouble())
            return {};
        const double d = std::clamp(stored.toDouble(), def.minimum, def.maximum);
        if (def.numericType == NumericType::Double)
            return d;
        if (std::floor(d) != d)
            return {};
        return static_cast<int>(d);
    }
    case Kind::ToggleButton:
    case Kind::ToggleSwitch:
    case Kind::Led:
        if (!stored.isDouble())
            return {};
        return stored.toDouble() != 0.0 ? 1 : 0;
    default:
        if (!stored.isString())
            return {};
        return stored.toString();
    }
}

} // namespace

int saveState(const PanelWindow &panel, const QString &path, int slot)
{
    QJsonObject values;
    for (const ControlDef &def : panel.def().controls)
        if (def.holdsValue())
            values.insert(def.constant, toJson(*panel.control(def.id)));
    QJsonObject bySlot;
    bySlot.insert(QString::number(slot), values);
    const QJsonObject root{{"format", kFormat}, {"version", kVersion}, {"panel", panel.def().name}, {"slots", bySlot}};

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write (a full disk) shows here. Buffered, the
    // partial flush at commit goes unnoticed and a cut file would replace the
    // old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return kStateWriteFailed;
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size())
        return kStateWriteFailed; // not committed: the old file stays, the temporary one goes
    return file.commit() ? kStateOk : kStateWriteFailed;
}

int recallState(PanelWindow &panel, const QString &path, int slot)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return kStateUnreadable;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value("format").toString() != kFormat || root.value("version").toInt() != kVersion
        || root.value("panel").toString() != panel.def().name)
        return kStateUnreadable;
    const QJsonValue values = root.value("slots").toObject().value(QString::number(slot));
    if (!values.isObject())
        return kStateNoSlot;

    const QJsonObject stored = values.toObject();
    for (const ControlDef &def : panel.def().controls) {
        if (!def.holdsValue() || !stored.contains(def.constant))
            continue;
        Control *c = panel.control(def.id);
        const QVariant v = fromJson(*c, stored.value(def.constant));
        if (v.isValid())
            c->replaceValue(v);
    }
    return kStateOk;
}

} // namespace panel
