// Sets of setpoints in CSV files, through the "Setpoints" menu as the
// operator uses it: what the file holds, what the cards are told on loading
// it, and the refusal of a bad file, which changes nothing.
#include "support/panel_harness.h"
#include "support/scenario.h"
#include "support/state_file.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QDir>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

using scenario::Chassis;

namespace {

const char kHeader[] = "channel,name,voltage_V,sink_mA\n";

std::string voltageLine(int n, const std::string &volts, const std::string &name)
{
    return "VOLTAGE_CH_" + std::to_string(n) + " - " + volts + "V --> " + volts + "0V   ch" + name + "\n";
}

std::string sinkLine(int n, int mA)
{
    const std::string ch = std::to_string(n);
    return "CURRENT_SINK_CH_" + ch + " - " + std::to_string(mA) + "mA --> " + std::to_string(mA) + "mA   ch" + ch + "\n";
}

std::vector<std::string> setAndRead(const std::string &what, int card, int sub, const std::string &value)
{
    const std::string at = std::to_string(card) + "/" + std::to_string(sub);
    return {"BattSet" + what + " " + at + " " + value, "BattGet" + what + " " + at + " -> " + value};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every channel's name, voltage, sink current and their dimming, as shown.
std::vector<std::string> shownChannels(const PanelHarness &h)
{
    std::vector<std::string> shown;
    for (int n = 1; n <= 42; ++n)
        shown.push_back(h.text(controls::nameOf(n)) + "|" + std::to_string(h.doubleValue(controls::voltageOf(n))) +
                        (h.dimmed(controls::voltageOf(n)) ? "d|" : "|") +
                        std::to_string(h.intValue(controls::sinkOf(n))) + (h.dimmed(controls::sinkOf(n)) ? "d" : ""));
    return shown;
}

QByteArray allIdle()
{
    return scenario::stateFile(scenario::idleVoltages({1, 2, 3, 4, 5, 6, 7}));
}

} // namespace

TEST(SetpointSets, SavedWithDotsInAnyLocaleAndLoadedBackSendingWhatChanged)
{
    PanelHarness h;
    h.writeFile("Tavrin.state", allIdle());
    ASSERT_EQ(h.start(), 0);
    h.type(ctrl::VOLTAGE_CH_1, "3.7");
    h.type(ctrl::CURRENT_SINK_CH_2, "25");
    h.type(ctrl::strCh_3, "=cell, \"3\""); // a formula to a spreadsheet, and a comma and quotes to CSV
    h.type(ctrl::VOLTAGE_CH_42, "6.125");
    const std::vector<std::string> saved = shownChannels(h);
    const std::string path = h.path("pack.csv").toStdString();
    h.clearTrace();
    const std::string before = h.messageBox();

    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    h.popups.fileAnswers = {path};
    h.choose("Save setpoints...");
    QLocale::setDefault(locale);

    std::string csv = kHeader;
    for (int n = 1; n <= 42; ++n) {
        const std::map<int, std::string> differs = {
            {1, "1,1,3.700,0"}, {2, "2,2,0.000,25"}, {3, "3,\"'=cell, \"\"3\"\"\",0.000,0"}, {42, "42,42,6.125,0"}};
        const auto found = differs.find(n);
        csv += (found != differs.end() ? found->second : std::to_string(n) + "," + std::to_string(n) + ",0.000,0") + "\n";
    }
    EXPECT_EQ(h.readFile("pack.csv").toStdString(), csv);
    EXPECT_EQ(h.popups.lines(), std::vector<std::string>{"save file Save setpoints: setpoints.csv CSV files (*.csv);;All files (*)"});
    EXPECT_EQ(h.added(before), "setpoints saved to " + path + "\n");
    EXPECT_TRUE(h.trace().empty()) << "saving sends nothing";

    h.type(ctrl::VOLTAGE_CH_1, "1");
    h.type(ctrl::CURRENT_SINK_CH_2, "0");
    h.type(ctrl::strCh_3, "x");
    h.type(ctrl::VOLTAGE_CH_42, "0");
    h.clearTrace();
    h.popups.fileAnswers = {path};
    h.popups.confirmAnswers = {1};
    h.choose("Load setpoints...");

    EXPECT_EQ(shownChannels(h), saved);
    EXPECT_EQ(h.calls(), setAndRead("Voltage", h.app.card(1).Card, 1, "3.7") +
                             setAndRead("Current", h.app.card(1).Card, 2, "0.025") +
                             setAndRead("Voltage", h.app.card(7).Card, 6, "6.125"));
}

// Rows in any order, a spreadsheet's BOM, CRLF and empty row: the changed
// setpoints go out in channel order; unchanged ones, dimmed ones and outputs
// are left alone; a channel without its card gets its "not sent" line.
TEST(SetpointSets, AGoodFileIsConfirmedThenSentInChannelOrderAndNoChangesNothing)
{
    PanelHarness h(Chassis::at({1, 3}));
    QJsonObject recalled = scenario::idleVoltages({1, 3});
    recalled.insert("CURRENT_SINK_CH_4", 20); // dimmed at start
    recalled.insert("VOLTAGE_CH_5", 2.0);     // likewise
    recalled.insert("VOLTAGE_CH_6", 2.0);
    h.writeFile("Tavrin.state", scenario::stateFile(recalled));
    ASSERT_EQ(h.start(), 0);
    h.press(ctrl::ENABLE_2);
    h.press(ctrl::ENABLE_13);
    const std::string path = h.path("weak cell.csv").toStdString();
    h.writeFile("weak cell.csv", "\xEF\xBB\xBF"
                                 "Channel,Name,Voltage_V,Sink_mA\r\n"
                                 "14,14,2.5,0\r\n"
                                 "1,1,3.7000,10\r\n"
                                 "2,2,2.000,0\r\n"
                                 "3,\"cell, \"\"3\"\"\",0.000,0\r\n"
                                 ",,,\r\n"
                                 "7,7,1.500,0\r\n"
                                 "4,4,0.000,30\r\n"
                                 "5,5,4.000,5\r\n"
                                 "6,6,4.000,0\r\n"
                                 "13,13,0,0\r\n");
    const std::string confirmation = "Load the setpoints of " + path +
                                     "?\n\n"
                                     "Channels whose setpoints change: 5\n"
                                     "Names that change: 1\n"
                                     "Dimmed, left as they are: channels 4 (mA), 5-6 (V)\n"
                                     "Highest voltage in the file: 4.000 V (channel 5)\n"
                                     "Outputs switched on: 2; their voltages add up to 2.000 V\n"
                                     "In case these channels are cascaded, that voltage can occur.\n"
                                     "\nLoading switches no output on or off.\n";
    const std::vector<std::string> unchanged = shownChannels(h);

    for (const int answer : {2, 1}) {
        SCOPED_TRACE(answer == 1 ? "yes" : "no");
        h.clearTrace();
        h.popups.shown.clear();
        const std::string before = h.messageBox();
        h.popups.fileAnswers = {path};
        h.popups.confirmAnswers = {answer};

        h.choose("Load setpoints...");

        ASSERT_EQ(h.popups.shown.size(), 2u);
        EXPECT_EQ(h.popups.shown[1].kind + " " + h.popups.shown[1].title, "confirm Load setpoints");
        EXPECT_EQ(h.popups.shown[1].text, confirmation);
        if (answer != 1) {
            EXPECT_TRUE(h.trace().empty());
            EXPECT_EQ(h.messageBox(), before);
            EXPECT_EQ(shownChannels(h), unchanged);
            continue;
        }
        const int c1 = h.app.card(1).Card, c3 = h.app.card(3).Card;
        EXPECT_EQ(h.calls(), setAndRead("Voltage", c1, 1, "3.7") + setAndRead("Current", c1, 1, "0.01") +
                                 setAndRead("Voltage", c1, 2, "2") + setAndRead("Current", c1, 5, "0.005") +
                                 setAndRead("Voltage", c3, 2, "2.5"));
        EXPECT_EQ(h.added(before), "load setpoints " + path + "\n" + voltageLine(1, "3.700", "1") + sinkLine(1, 10) +
                                       voltageLine(2, "2.000", "2") + sinkLine(5, 5) +
                                       "VOLTAGE_CH_7 - 1.500V --> not sent (no card)   ch\n" +
                                       voltageLine(14, "2.500", "14") +
                                       "dimmed setpoints left as they are (re-call them first): channels 4 (mA), 5-6 (V)\n"
                                       "done\n");
        EXPECT_EQ(h.text(ctrl::strCh_3), "cell, \"3\"");
        EXPECT_EQ(h.intValue(ctrl::CURRENT_SINK_CH_4), 20);
        EXPECT_TRUE(h.dimmed(ctrl::CURRENT_SINK_CH_4));
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_5), 2.0);
        EXPECT_TRUE(h.dimmed(ctrl::VOLTAGE_CH_5));
        EXPECT_EQ(h.doubleValue(ctrl::VOLTAGE_CH_7), 1.5);
        EXPECT_EQ(h.intValue(ctrl::ENABLE_2), 1);
    }
}

// One popup names the first bad row and why; the panel and the cards are
// left as they were.
TEST(SetpointSets, ABadFileIsRefusedWholeNamingItsFirstBadRow)
{
    struct Case {
        const char *what;
        std::string content;
        std::string why;
    };
    const std::string h2 = std::string(kHeader) + "1,1,1.000,0\n";
    const Case cases[] = {
        {"no header", "1,1,1.000,0\n", "row 1: not the header channel,name,voltage_V,sink_mA"},
        {"decimal comma", h2 + "2,2,2,5,0\n", "row 3: 4 fields expected (channel,name,voltage_V,sink_mA), found 5"},
        {"the first of two bad rows", h2 + "43,x,1,0\n0,y,1,0\n", "row 3: channel \"43\" is not a channel number from 1 to 42"},
        {"a channel twice", h2 + "\n1,b,1,0\n", "row 4: channel 1 again (first in row 2)"},
        {"above 7 V", h2 + "2,2,7.001,0\n", "row 3: voltage \"7.001\" of channel 2 is above 7 V"},
        {"finer than 1 mV", h2 + "2,2,3.1415,0\n", "row 3: voltage \"3.1415\" of channel 2 has more than three decimals"},
        {"an exponent", h2 + "2,2,1e0,0\n", "row 3: voltage \"1e0\" of channel 2 is not a number of volts (with a dot)"},
        {"a fraction of a mA", h2 + "2,2,1,12.5\n", "row 3: sink current \"12.5\" of channel 2 is not a whole number of mA"},
        {"above 100 mA", h2 + "2,2,1,101\n", "row 3: sink current \"101\" of channel 2 is above 100 mA"},
        {"a long name", h2 + "2,abcdefghijklmnop,1,0\n", "row 3: the name of channel 2 is longer than 15 characters"},
        {"a tab in a name", h2 + "2,\"a\tb\",1,0\n", "row 3: the name of channel 2 holds a control character"},
        {"a right-to-left override", h2 + "2,\xE2\x80\xAEvsc.exe,1,0\n",
         "row 3: the name of channel 2 holds a bidirectional control character"},
        {"not UTF-8", h2 + "2,\xFF,1,0\n", "row 3: the name of channel 2 is not UTF-8 text"},
        {"an open quote", h2 + "2,\"b,1,0\n", "row 3: a quote is not closed"},
        {"binary", std::string("channel\0name", 12), "it holds binary data, not text"},
        {"the header alone", kHeader, "no channel follows the header"},
        {"too large", std::string(64 * 1024 + 1, '\n'), "it is larger than 64 KiB"},
    };
    PanelHarness h(Chassis::at({1}));
    ASSERT_EQ(h.start(), 0);
    const std::vector<std::string> unchanged = shownChannels(h);
    const std::string box = h.messageBox();
    h.clearTrace();
    ASSERT_TRUE(QDir(h.path("")).mkdir("folder"));
    std::vector<std::pair<std::string, std::string>> files; // path, why
    for (const Case &c : cases) {
        const QString name = QString("%1.csv").arg(c.what);
        h.writeFile(name, QByteArray::fromStdString(c.content));
        files.emplace_back(h.path(name).toStdString(), c.why);
    }
    files.emplace_back(h.path("folder").toStdString(), "it is not a regular file");
    files.emplace_back(h.path("missing.csv").toStdString(), "No such file or directory");

    for (const auto &[path, why] : files) {
        SCOPED_TRACE(path);
        h.popups.shown.clear();
        h.popups.fileAnswers = {path};
        h.popups.confirmAnswers = {1};
        h.choose("Load setpoints...");
        EXPECT_EQ(h.popups.lines(), (std::vector<std::string>{"open file Load setpoints: CSV files (*.csv);;All files (*)",
                                                              "message Load setpoints: Nothing was loaded from " + path +
                                                                  ":\n" + why + "\n"}));
    }
    EXPECT_EQ(shownChannels(h), unchanged);
    EXPECT_EQ(h.messageBox(), box);
    EXPECT_TRUE(h.trace().empty());
}

// Alt+S opens the menu (no button's mnemonic is S), Ctrl+O and Ctrl+S
// choose its commands, and assistive technology hears their names.
TEST(SetpointSets, TheMenuIsReachableByKeyboardAndNamed)
{
    PanelHarness h;
    ASSERT_EQ(h.start(), 0);
    QWidget *window = h.widget(ctrl::MSGBOX)->window();
    auto *bar = window->findChild<QMenuBar *>();
    ASSERT_NE(bar, nullptr);

    std::map<QChar, QString> mnemonics;
    const QRegularExpression mnemonic("&([^&])");
    const auto note = [&](const QString &text) {
        const QRegularExpressionMatch m = mnemonic.match(text);
        if (m.hasMatch()) {
            EXPECT_TRUE(mnemonics.emplace(m.captured(1).toUpper()[0], text).second) << text.toStdString();
        }
    };
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        note(b->text());
    for (const QAction *menu : bar->actions())
        note(menu->text());
    EXPECT_EQ(mnemonics.count('S'), 1u);

    QAccessibleInterface *menuBar = QAccessible::queryAccessibleInterface(bar);
    ASSERT_EQ(menuBar->childCount(), 1);
    EXPECT_EQ(menuBar->child(0)->text(QAccessible::Name), "Setpoints");
    QMenu *menu = bar->actions().constFirst()->menu();
    QStringList commands;
    QAccessibleInterface *menuItems = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; i < menuItems->childCount(); ++i)
        commands << menuItems->child(i)->text(QAccessible::Name) + " " +
                        menu->actions()[i]->shortcut().toString(QKeySequence::PortableText);
    EXPECT_EQ(commands, QStringList({"Load setpoints... Ctrl+O", "Save setpoints... Ctrl+S"}));

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(h.widget(ctrl::strCh_3), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(h.widget(ctrl::strCh_3), Qt::Key_S, Qt::ControlModifier);
    std::vector<std::string> asked;
    for (const ShownPopup &p : h.popups.shown)
        asked.push_back(p.kind + " " + p.title);
    EXPECT_EQ(asked, (std::vector<std::string>{"open file Load setpoints", "save file Save setpoints"}));
}
