// What assistive technology hears of the panel, through QAccessible: every
// control a name that says what it is and where, each name once; the lamps
// their state in words; the message box its whole text.
#include "front_panel_fixture.h"
#include "support/toolkit_test_access.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QWidget>
#include <map>
#include <set>

namespace {

class Accessibility : public FrontPanelTest {
protected:
    QAccessibleInterface *of(int control)
    {
        QWidget *widget = panel::ToolkitTestAccess::inputOf(panel, control);
        return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    }
    std::string text(int control, QAccessible::Text what)
    {
        QAccessibleInterface *a = of(control);
        return a ? a->text(what).toStdString() : std::string();
    }
};

} // namespace

TEST_F(Accessibility, EveryControlHasItsOwnNameAndTheLampsTellTheirState)
{
    std::map<std::string, int> names;
    for (int control = 2; control <= 236; ++control) {
        if (control == ctrl::TIMER || control == ctrl::PICTURE || control == ctrl::PICTURE_2)
            continue;
        const std::string name = text(control, QAccessible::Name);
        EXPECT_FALSE(name.empty()) << ui::constantName(panel, control);
        const auto [at, added] = names.emplace(name, control);
        EXPECT_TRUE(added) << name << ": " << ui::constantName(panel, control) << " and "
                           << ui::constantName(panel, at->second);
    }
    const std::pair<int, const char *> expected[] = {
        {ctrl::VOLTAGE_CH_9, "Channel 9 voltage (V)"},
        {ctrl::CURRENT_SINK_CH_9, "Channel 9 sink current (mA)"},
        {ctrl::strCh_9, "Channel 9 name"},
        {ctrl::ENABLE_9, "Channel 9 output"},
        {ctrl::SET_SINK_ALL_MODULE3, "Module 3 set all sink currents"},
        {ctrl::SN_3, "Module 3 serial number"},
        {ctrl::INTERLOCK_3, "Module 3 interlock"},
        {ctrl::AVAILABLE_3, "Module 3 not available"},
        {ctrl::IPADDRESS, "LXI Chassis IP Address"},
        {ctrl::MSGBOX, "Messages"},
    };
    for (const auto &[control, name] : expected)
        EXPECT_EQ(text(control, QAccessible::Name), name);

    // A blinking lamp says the link is intact; one kept dark, that the
    // interlock is active.
    const std::pair<int, const char *> lamp[] = {{-1, "not read"}, {0, "interlock active"}, {1, "link intact"},
                                                 {0, "link intact"}, {0, "interlock active"}};
    for (const auto &[value, words] : lamp) {
        if (value >= 0)
            ui::setInt(panel, ctrl::INTERLOCK_3, value);
        EXPECT_EQ(text(ctrl::INTERLOCK_3, QAccessible::Description), words) << "set to " << value;
    }
    EXPECT_EQ(text(ctrl::AVAILABLE_3, QAccessible::Description), "not available");
    EXPECT_EQ(of(ctrl::INTERLOCK_3)->role(), QAccessible::StaticText);
}

TEST_F(Accessibility, TheMessageBoxGivesItsWholeText)
{
    ui::setText(panel, ctrl::MSGBOX, "VOLTAGE_CH_9 - 2.500V --> 2.5000V   ch9\n");
    ui::setText(panel, ctrl::MSGBOX, "Interlock Card3 active (press RESET to resume)\n");
    const QString all = QString::fromStdString(ui::getText(panel, ctrl::MSGBOX));
    QAccessibleTextInterface *box = of(ctrl::MSGBOX)->textInterface();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(0, box->characterCount()), all);
}
