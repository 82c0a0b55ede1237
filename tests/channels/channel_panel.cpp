#include "channels/channel_panel.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>
#include <charconv>
#include <gtest/gtest.h>

namespace channel_panel {

namespace {

std::string number(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

} // namespace

std::string chassis(const std::string &faults)
{
    return R"({"chassis": [{"address": "192.168.100.10", "cards": [
                 {"bus": 1, "slot": 2, "serial": "300002", "model": "58-214-003"},
                 {"bus": 1, "slot": 3, "serial": "300007", "model": "58-214-003"},
                 {"bus": 1, "slot": 4, "serial": "300001", "model": "58-214-003"}]}],
               "faults": )"
        + faults + "}";
}

QJsonObject idleSettings(const QJsonObject &recalled)
{
    QJsonObject values;
    for (int n = 1; n <= 42; ++n)
        values.insert(QString("VOLTAGE_CH_%1").arg(n), 0.0);
    for (auto it = recalled.begin(); it != recalled.end(); ++it)
        values.insert(it.key(), it.value());
    return values;
}

bool boot(PanelHarness &h, const QJsonObject &recalled)
{
    h.writeFile("Tavrin.state", stateFile(idleSettings(recalled)));
    if (h.start() != 0)
        return false;
    h.enterEventLoop();
    h.clearTrace();
    return true;
}

std::vector<std::string> calls(const PanelHarness &h)
{
    std::vector<std::string> texts;
    for (const QJsonObject &entry : h.trace()) {
        std::string text = entry.value("call").toString().toStdString();
        for (const char *key : {"status_in", "card", "sub", "volts", "amps", "state"})
            if (entry.contains(key))
                text += std::string(" ") + key + "=" + number(entry.value(key).toDouble());
        text += " status=" + number(entry.value("status").toDouble());
        const QJsonObject out = entry.value("out").toObject();
        for (const char *key : {"volts", "amps", "state"})
            if (out.contains(key))
                text += " out=" + number(out.value(key).toDouble());
        texts.push_back(text);
    }
    return texts;
}

int callbacksLine(const std::string &text)
{
    QFile file(TAVR_CHANNEL_CALLBACKS_SOURCE);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << TAVR_CHANNEL_CALLBACKS_SOURCE;
    int found = 0;
    int count = 0;
    for (int line = 1; !file.atEnd(); ++line) {
        if (file.readLine().toStdString().find(text) != std::string::npos) {
            found = line;
            ++count;
        }
    }
    EXPECT_EQ(count, 1) << text;
    return found;
}

std::string added(const PanelHarness &h, const std::string &before)
{
    const std::string now = h.messageBox();
    EXPECT_EQ(now.compare(0, before.size(), before), 0) << "earlier lines changed";
    return now.size() >= before.size() ? now.substr(before.size()) : std::string();
}

} // namespace channel_panel
