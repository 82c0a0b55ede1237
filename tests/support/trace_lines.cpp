#include "support/trace_lines.h"

#include <QJsonValue>
#include <charconv>

namespace trace {

std::string number(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

namespace {

std::string valueText(const QJsonValue &v)
{
    if (v.isString())
        return v.toString().toStdString();
    if (v.isNull())
        return "null";
    return number(v.toDouble());
}

bool positional(const QString &key)
{
    for (const char *k : {"call", "status", "out", "card", "sub", "volts", "amps", "state"})
        if (key == QLatin1String(k))
            return true;
    return false;
}

} // namespace

std::string line(const QJsonObject &call)
{
    QString name = call.value("call").toString();
    name.remove(QStringLiteral("KORDA_"));
    std::string text = name.toStdString();
    if (call.contains("card")) {
        text += " " + valueText(call.value("card"));
        if (call.contains("sub"))
            text += "/" + valueText(call.value("sub"));
    }
    for (const char *key : {"volts", "amps", "state"})
        if (call.contains(key))
            text += " " + valueText(call.value(key));
    for (auto it = call.begin(); it != call.end(); ++it) { // QJsonObject keeps its keys sorted
        if (positional(it.key()) || (it.key() == QLatin1String("session") && it.value().toDouble() == 1.0))
            continue;
        text += " " + it.key().toStdString() + "=" + valueText(it.value());
    }
    const QJsonObject out = call.value("out").toObject();
    for (const char *key : {"volts", "amps", "state"})
        if (out.contains(key))
            text += " -> " + valueText(out.value(key));
    if (const double status = call.value("status").toDouble(); status != 0.0)
        text += " !" + number(status);
    return text;
}

std::vector<std::string> lines(const std::vector<QJsonObject> &calls, Lookups lookups)
{
    std::vector<std::string> list;
    for (const QJsonObject &call : calls)
        if (lookups == Lookups::Kept || call.value("call").toString() != QLatin1String("KORDA_ErrorCodeToMessage"))
            list.push_back(line(call));
    return list;
}

} // namespace trace
