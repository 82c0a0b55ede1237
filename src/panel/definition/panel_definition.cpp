#include "panel/definition/panel_definition.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>
#include <map>

namespace panel {

namespace {

const char kFormat[] = "tavr-panel-definition";
const int kVersion = 1;
// The definition of a whole panel is some 50 kB.
const qint64 kMaxFileSize = 4 * 1024 * 1024;
// A timer ticks at most every millisecond and at least once a day.
const double kMinTimerSeconds = 0.001;
const double kMaxTimerSeconds = 86400.0;

const std::map<QString, Kind> &kindNames()
{
    static const std::map<QString, Kind> names = {
        {"numeric", Kind::Numeric},         {"text", Kind::Text},
        {"textbox", Kind::TextBox},         {"textmsg", Kind::TextMessage},
        {"toggle_button", Kind::ToggleButton}, {"toggle_switch", Kind::ToggleSwitch},
        {"command_button", Kind::CommandButton}, {"led", Kind::Led},
        {"picture", Kind::Picture},         {"timer", Kind::Timer},
    };
    return names;
}

// Collects the first problem found while reading one control.
struct Reader {
    const QJsonObject &obj;
    QString problem;

    bool has(const char *key) const { return obj.contains(QLatin1String(key)); }

    QString text(const char *key, bool required = false)
    {
        const QJsonValue v = obj.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(QString("\"%1\" is missing").arg(key));
            return {};
        }
        if (!v.isString())
            fail(QString("\"%1\" must be text").arg(key));
        return v.toString();
    }

    double number(const char *key, double fallback, bool required = false)
    {
        const QJsonValue v = obj.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(QString("\"%1\" is missing").arg(key));
            return fallback;
        }
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            fail(QString("\"%1\" must be a number").arg(key));
        return v.toDouble();
    }

    bool boolean(const char *key, bool fallback)
    {
        const QJsonValue v = obj.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(QString("\"%1\" must be true or false").arg(key));
        return v.toBool();
    }

    void fail(const QString &why)
    {
        if (problem.isEmpty())
            problem = why;
    }
};

bool isWhole(double v) { return std::floor(v) == v; }

void readNumeric(Reader &r, ControlDef &c)
{
    const QString type = r.text("type", true);
    if (type == "double")
        c.numericType = NumericType::Double;
    else if (type == "int32")
        c.numericType = NumericType::Int32;
    else
        r.fail("\"type\" must be \"double\" or \"int32\"");
    c.numericValue = r.number("value", 0.0, true);
    c.minimum = r.number("min", 0.0, true);
    c.maximum = r.number("max", 0.0, true);
    c.step = r.number("step", 1.0, true);
    const double precision = r.number("precision", 0.0);
    if (!r.problem.isEmpty())
        return;
    if (!isWhole(precision) || precision < 0 || precision > 15)
        r.fail("\"precision\" must be a whole number 0..15");
    else
        c.precision = static_cast<int>(precision);
    if (!r.problem.isEmpty())
        return;
    if (c.minimum > c.maximum)
        r.fail("\"min\" is above \"max\"");
    else if (c.numericValue < c.minimum || c.numericValue > c.maximum)
        r.fail("\"value\" lies outside \"min\"..\"max\"");
    else if (!(c.step > 0.0))
        r.fail("\"step\" must be above 0");
    else if (c.numericType == NumericType::Int32) {
        const double lo = std::numeric_limits<int32_t>::min();
        const double hi = std::numeric_limits<int32_t>::max();
        if (!isWhole(c.numericValue) || !isWhole(c.minimum) || !isWhole(c.maximum) || !isWhole(c.step)
            || c.minimum < lo || c.maximum > hi || c.step > hi)
            r.fail("an int32 control needs whole numbers within 32 bits");
    }
}

void readTwoState(Reader &r, ControlDef &c)
{
    c.numericValue = r.number("value", 0.0);
    if (c.numericValue != 0.0 && c.numericValue != 1.0)
        r.fail("\"value\" must be 0 or 1");
}

std::optional<ControlDef> readControl(const QJsonValue &value, QString *why)
{
    if (!value.isObject()) {
        *why = "a control entry is not an object";
        return std::nullopt;
    }
    const QJsonObject obj = value.toObject();
    Reader r{obj, {}};
    ControlDef c;
    const double id = r.number("id", 0.0, true);
    c.id = isWhole(id) && id > 0 && id < 1e9 ? static_cast<int>(id) : 0;
    if (c.id == 0)
        r.fail("\"id\" must be a positive whole number");
    c.constant = r.text("constant", true);
    if (r.problem.isEmpty() && c.constant.isEmpty())
        r.fail("\"constant\" is empty");
    const QString kind = r.text("kind", true);
    const auto k = kindNames().find(kind);
    if (k == kindNames().end())
        r.fail(QString("unknown kind \"%1\"").arg(kind));
    else
        c.kind = k->second;
    c.label = r.text("label");
    c.caption = r.text("caption");
    c.callback = r.text("callback");
    c.editable = r.boolean("editable", false);
    c.visible = r.boolean("visible", true);

    if (r.problem.isEmpty()) {
        switch (c.kind) {
        case Kind::Numeric:
            readNumeric(r, c);
            break;
        case Kind::Text: {
            c.textValue = r.text("value");
            const double limit = r.number("max_length", 0.0);
            c.maxLength = isWhole(limit) && limit >= 0 && limit < 1e6 ? static_cast<int>(limit) : -1;
            if (c.maxLength < 0)
                r.fail("\"max_length\" must be a whole number 0 or above");
            else if (c.maxLength > 0 && c.textValue.size() > c.maxLength)
                r.fail("\"value\" is longer than \"max_length\"");
            break;
        }
        case Kind::TextBox:
        case Kind::TextMessage:
            c.textValue = r.text("value");
            break;
        case Kind::ToggleButton:
        case Kind::ToggleSwitch:
            readTwoState(r, c);
            break;
        case Kind::Led:
            readTwoState(r, c);
            c.onColor = r.text("on_color");
            c.offColor = r.text("off_color");
            break;
        case Kind::CommandButton:
            break;
        case Kind::Picture:
            c.image = r.text("image");
            break;
        case Kind::Timer:
            c.intervalSeconds = r.number("interval", 0.0, true);
            c.timerEnabled = r.boolean("enabled", false);
            if (r.problem.isEmpty() && !(c.intervalSeconds >= kMinTimerSeconds && c.intervalSeconds <= kMaxTimerSeconds))
                r.fail("\"interval\" must be from 0.001 to 86400 seconds");
            break;
        }
    }
    if (!r.problem.isEmpty()) {
        *why = QString("control %1 (%2): %3")
                   .arg(obj.value("id").toVariant().toString(), obj.value("constant").toString(), r.problem);
        return std::nullopt;
    }
    return c;
}

} // namespace

QString oneLine(const QString &text)
{
    QString line;
    for (const QChar c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\t')
            line += "\\t";
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            line += QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
        else
            line += c;
    }
    return line;
}

namespace {

std::optional<PanelDef> fail(QString *error, const QString &why)
{
    if (error)
        *error = oneLine(why);
    return std::nullopt;
}

} // namespace

QString kindName(Kind kind)
{
    for (const auto &[name, k] : kindNames())
        if (k == kind)
            return name;
    return {};
}

bool ControlDef::holdsValue() const
{
    return kind != Kind::CommandButton && kind != Kind::Picture && kind != Kind::Timer;
}

const ControlDef *PanelDef::find(int controlId) const
{
    for (const ControlDef &c : controls)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

const ControlDef *PanelDef::find(const QString &constant) const
{
    for (const ControlDef &c : controls)
        if (c.constant == constant)
            return &c;
    return nullptr;
}

std::optional<PanelDef> loadPanelDefinition(const QString &path, const QString &panelName, QString *error)
{
    // Only a regular file of a sane size is read: never a FIFO, which would
    // block, nor a device without end.
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > kMaxFileSize))
        return fail(error, QString("%1 is not a regular file of at most %2 bytes").arg(path).arg(kMaxFileSize));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QString("cannot read %1: %2").arg(path, file.errorString()));
    return parsePanelDefinition(file.read(kMaxFileSize + 1), path, panelName, error);
}

std::optional<PanelDef> parsePanelDefinition(const QByteArray &content, const QString &path, const QString &panelName,
                                             QString *error)
{
    if (content.size() > kMaxFileSize)
        return fail(error, QString("%1 is larger than %2 bytes").arg(path).arg(kMaxFileSize));
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(content, &parseError);
    if (doc.isNull())
        return fail(error, QString("%1 is not valid JSON: %2 at offset %3")
                               .arg(path, parseError.errorString())
                               .arg(parseError.offset));
    const QJsonObject root = doc.object();
    if (root.value("format").toString() != kFormat || root.value("version").toInt() != kVersion)
        return fail(error, QString("%1 is not a panel definition of version %2").arg(path).arg(kVersion));

    for (const QJsonValue &p : root.value("panels").toArray()) {
        const QJsonObject obj = p.toObject();
        if (obj.value("name").toString() != panelName)
            continue;
        PanelDef def;
        def.name = panelName;
        def.id = obj.value("id").toInt();
        def.title = obj.value("title").toString();
        def.left = obj.value("left").toInt();
        def.top = obj.value("top").toInt();
        def.closeControl = obj.value("close_control").toString();
        def.baseDir = QFileInfo(path).absolutePath();

        QSet<int> ids;
        QSet<QString> constants;
        for (const QJsonValue &v : obj.value("controls").toArray()) {
            QString why;
            std::optional<ControlDef> c = readControl(v, &why);
            if (!c)
                return fail(error, QString("%1: %2").arg(path, why));
            if (c->id == def.id || ids.contains(c->id))
                return fail(error, QString("%1: identifier %2 is used twice").arg(path).arg(c->id));
            if (constants.contains(c->constant))
                return fail(error, QString("%1: constant %2 is used twice").arg(path, c->constant));
            ids.insert(c->id);
            constants.insert(c->constant);
            def.controls.push_back(*c);
        }
        if (def.controls.empty())
            return fail(error, QString("%1: panel %2 has no controls").arg(path, panelName));
        if (!def.closeControl.isEmpty() && !def.find(def.closeControl))
            return fail(error, QString("%1: close control %2 does not exist").arg(path, def.closeControl));
        std::sort(def.controls.begin(), def.controls.end(),
                  [](const ControlDef &a, const ControlDef &b) { return a.id < b.id; });
        return def;
    }
    return fail(error, QString("%1 holds no panel %2").arg(path, panelName));
}

} // namespace panel
