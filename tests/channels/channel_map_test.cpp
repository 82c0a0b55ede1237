// The channel map against the panel definition itself: every lookup is checked
// by the constant names of the controls, not by the identifier arithmetic.
#include "channels/channel_map.h"
#include "panel/definition/panel_definition.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <optional>

using channel_map::Role;

namespace {

const panel::PanelDef &frontPanel()
{
    static const panel::PanelDef def = [] {
        QString why;
        auto loaded = panel::loadPanelDefinition(QDir(QApplication::applicationDirPath()).filePath("tavr.uir"),
                                                 "BSDpanel", &why);
        EXPECT_TRUE(loaded.has_value()) << why.toStdString();
        return loaded.value_or(panel::PanelDef{});
    }();
    return def;
}

int idOf(const QString &constant)
{
    const panel::ControlDef *c = frontPanel().find(constant);
    EXPECT_NE(c, nullptr) << constant.toStdString();
    return c ? c->id : -1;
}

struct RoleName {
    Role role;
    const char *prefix;
};
const RoleName kRoles[] = {
    {Role::Voltage, "VOLTAGE_CH_"}, {Role::CurrentSink, "CURRENT_SINK_CH_"}, {Role::Name, "strCh_"}, {Role::Enable, "ENABLE_"}};

// The channel a constant names in a role: its prefix followed by the number only.
std::optional<int> channelNamed(const QString &constant, const char *prefix)
{
    const QRegularExpression pattern(QString("^%1([0-9]+)$").arg(prefix));
    const QRegularExpressionMatch m = pattern.match(constant);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

} // namespace

TEST(ChannelMap, EveryIdentifierOfThePanelMapsToItsOwnChannelOrToNone)
{
    const panel::PanelDef &def = frontPanel();
    ASSERT_EQ(def.controls.size(), 235u);
    int channelControls = 0;
    for (const panel::ControlDef &c : def.controls) {
        for (const RoleName &r : kRoles) {
            SCOPED_TRACE(c.constant.toStdString() + " as " + r.prefix);
            const std::optional<int> expected = channelNamed(c.constant, r.prefix);
            EXPECT_EQ(channel_map::channelOf(c.id, r.role), expected);
            channelControls += expected ? 1 : 0;
        }
    }
    EXPECT_EQ(channelControls, 4 * 42);
    // Numbers that are no control at all.
    for (int id : {-1, 0, 1, 237, 1000})
        for (const RoleName &r : kRoles)
            EXPECT_EQ(channel_map::channelOf(id, r.role), std::nullopt) << id;
}

TEST(ChannelMap, EveryChannelHasItsPositionSubUnitAndFourControls)
{
    int n = 0;
    for (int k = 1; k <= 7; ++k) {
        for (int s = 1; s <= 6; ++s) {
            ++n;
            SCOPED_TRACE(n);
            EXPECT_TRUE(channel_map::isChannel(n));
            EXPECT_EQ(channel_map::positionOf(n), k);
            EXPECT_EQ(channel_map::subUnitOf(n), s);
            for (const RoleName &r : kRoles)
                EXPECT_EQ(channel_map::controlOf(n, r.role), idOf(QString("%1%2").arg(r.prefix).arg(n)));
            const int voltage = idOf(QString("VOLTAGE_CH_%1").arg(n));
            EXPECT_EQ(channel_map::voltageControlOfEnable(idOf(QString("ENABLE_%1").arg(n))), voltage);
        }
        EXPECT_EQ(channel_map::firstChannelOf(k), n - 5);
    }
    EXPECT_EQ(n, kChannels);
    for (int outside : {0, 43, -1})
        EXPECT_FALSE(channel_map::isChannel(outside));
    // The pairs the operations depend on, by number.
    EXPECT_EQ(channel_map::voltageControlOfEnable(40), 22);
    EXPECT_EQ(channel_map::voltageControlOfEnable(207), 189);
}

TEST(ChannelMap, EveryPositionHasItsGroupsAndControls)
{
    for (int k = 1; k <= 7; ++k) {
        SCOPED_TRACE(k);
        const int first = 6 * (k - 1) + 1;
        EXPECT_TRUE(channel_map::isPosition(k));
        EXPECT_EQ(channel_map::firstControlOf(k, Role::Voltage), idOf(QString("VOLTAGE_CH_%1").arg(first)));
        EXPECT_EQ(channel_map::firstControlOf(k, Role::CurrentSink), idOf(QString("CURRENT_SINK_CH_%1").arg(first)));
        EXPECT_EQ(channel_map::firstControlOf(k, Role::Name), idOf(QString("strCh_%1").arg(first)));
        EXPECT_EQ(channel_map::firstControlOf(k, Role::Enable), idOf(QString("ENABLE_%1").arg(first)));
        const channel_map::PositionControls p = channel_map::positionControls(k);
        EXPECT_EQ(p.module, idOf(QString("MODULE_%1").arg(k)));
        EXPECT_EQ(p.serial, idOf(QString("SN_%1").arg(k)));
        EXPECT_EQ(p.interlock, idOf(QString("INTERLOCK_%1").arg(k)));
        EXPECT_EQ(p.available, idOf(QString("AVAILABLE_%1").arg(k)));
        EXPECT_EQ(p.setVoltage, idOf(QString("SET_V_ALL_MODULE%1").arg(k)));
        EXPECT_EQ(p.setSink, idOf(QString("SET_SINK_ALL_MODULE%1").arg(k)));
        EXPECT_EQ(p.enableAll, idOf(QString("ENABLE_ALL_MODULE%1").arg(k)));
    }
    EXPECT_EQ(channel_map::firstControlOf(1, Role::Voltage), 22);
    EXPECT_EQ(channel_map::firstControlOf(1, Role::CurrentSink), 28);
    EXPECT_EQ(channel_map::firstControlOf(1, Role::Enable), 40);
    EXPECT_EQ(channel_map::firstControlOf(2, Role::Voltage), 49);
    for (int outside : {0, 8})
        EXPECT_FALSE(channel_map::isPosition(outside));
}
