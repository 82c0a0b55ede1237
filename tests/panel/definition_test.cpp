// The panel definition: every control with its identifier and constant name,
// its kind, texts, callback, value at load and limits.
#include "panel/api/control_ids.h"
#include "panel/definition/panel_definition.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <utility>
#include <vector>

using panel::Kind;
using panel::NumericType;

namespace {

// The identifiers and constant names the operations address, in identifier order.
const std::vector<std::pair<int, std::string>> kIdentifiers = {
    {2, "MODULE_1"}, {3, "MODULE_2"}, {4, "MODULE_3"}, {5, "MODULE_4"},
    {6, "MODULE_5"}, {7, "MODULE_6"}, {8, "MODULE_7"}, {9, "MSGBOX"},
    {10, "TIMER"}, {11, "PXI"}, {12, "IPADDRESS"}, {13, "STARTUP_MSG"},
    {14, "INTERLOCK_MSG"}, {15, "ENABLEALL"}, {16, "RESET"}, {17, "SET_V_ALL_MODULE1"},
    {18, "SET_SINK_ALL_MODULE1"}, {19, "RE_CALL_CUURENT_ALL"}, {20, "RE_ENABLE_ALL"}, {21, "ENABLE_ALL_MODULE1"},
    {22, "VOLTAGE_CH_1"}, {23, "VOLTAGE_CH_2"}, {24, "VOLTAGE_CH_3"}, {25, "VOLTAGE_CH_4"},
    {26, "VOLTAGE_CH_5"}, {27, "VOLTAGE_CH_6"}, {28, "CURRENT_SINK_CH_1"}, {29, "CURRENT_SINK_CH_2"},
    {30, "CURRENT_SINK_CH_3"}, {31, "CURRENT_SINK_CH_4"}, {32, "CURRENT_SINK_CH_5"}, {33, "CURRENT_SINK_CH_6"},
    {34, "strCh_1"}, {35, "strCh_2"}, {36, "strCh_3"}, {37, "strCh_4"},
    {38, "strCh_5"}, {39, "strCh_6"}, {40, "ENABLE_1"}, {41, "ENABLE_2"},
    {42, "ENABLE_3"}, {43, "ENABLE_4"}, {44, "ENABLE_5"}, {45, "ENABLE_6"},
    {46, "SET_V_ALL_MODULE2"}, {47, "SET_SINK_ALL_MODULE2"}, {48, "ENABLE_ALL_MODULE2"}, {49, "VOLTAGE_CH_7"},
    {50, "VOLTAGE_CH_8"}, {51, "VOLTAGE_CH_9"}, {52, "VOLTAGE_CH_10"}, {53, "VOLTAGE_CH_11"},
    {54, "VOLTAGE_CH_12"}, {55, "CURRENT_SINK_CH_7"}, {56, "CURRENT_SINK_CH_8"}, {57, "CURRENT_SINK_CH_9"},
    {58, "CURRENT_SINK_CH_10"}, {59, "CURRENT_SINK_CH_11"}, {60, "CURRENT_SINK_CH_12"}, {61, "strCh_7"},
    {62, "strCh_8"}, {63, "strCh_9"}, {64, "strCh_10"}, {65, "strCh_11"},
    {66, "strCh_12"}, {67, "ENABLE_7"}, {68, "ENABLE_8"}, {69, "ENABLE_9"},
    {70, "ENABLE_10"}, {71, "ENABLE_11"}, {72, "ENABLE_12"}, {73, "SET_V_ALL_MODULE3"},
    {74, "SET_SINK_ALL_MODULE3"}, {75, "ENABLE_ALL_MODULE3"}, {76, "VOLTAGE_CH_13"}, {77, "VOLTAGE_CH_14"},
    {78, "VOLTAGE_CH_15"}, {79, "VOLTAGE_CH_16"}, {80, "VOLTAGE_CH_17"}, {81, "VOLTAGE_CH_18"},
    {82, "CURRENT_SINK_CH_13"}, {83, "CURRENT_SINK_CH_14"}, {84, "CURRENT_SINK_CH_15"}, {85, "CURRENT_SINK_CH_16"},
    {86, "CURRENT_SINK_CH_17"}, {87, "CURRENT_SINK_CH_18"}, {88, "strCh_13"}, {89, "strCh_14"},
    {90, "strCh_15"}, {91, "strCh_16"}, {92, "strCh_17"}, {93, "strCh_18"},
    {94, "ENABLE_13"}, {95, "ENABLE_14"}, {96, "ENABLE_15"}, {97, "ENABLE_16"},
    {98, "ENABLE_17"}, {99, "ENABLE_18"}, {100, "SET_V_ALL_MODULE4"}, {101, "SET_SINK_ALL_MODULE4"},
    {102, "ENABLE_ALL_MODULE4"}, {103, "VOLTAGE_CH_19"}, {104, "VOLTAGE_CH_20"}, {105, "VOLTAGE_CH_21"},
    {106, "VOLTAGE_CH_22"}, {107, "VOLTAGE_CH_23"}, {108, "VOLTAGE_CH_24"}, {109, "CURRENT_SINK_CH_19"},
    {110, "CURRENT_SINK_CH_20"}, {111, "CURRENT_SINK_CH_21"}, {112, "CURRENT_SINK_CH_22"}, {113, "CURRENT_SINK_CH_23"},
    {114, "CURRENT_SINK_CH_24"}, {115, "strCh_19"}, {116, "strCh_20"}, {117, "strCh_21"},
    {118, "strCh_22"}, {119, "strCh_23"}, {120, "strCh_24"}, {121, "ENABLE_19"},
    {122, "ENABLE_20"}, {123, "ENABLE_21"}, {124, "ENABLE_22"}, {125, "ENABLE_23"},
    {126, "ENABLE_24"}, {127, "SET_V_ALL_MODULE5"}, {128, "SET_SINK_ALL_MODULE5"}, {129, "ENABLE_ALL_MODULE5"},
    {130, "VOLTAGE_CH_25"}, {131, "VOLTAGE_CH_26"}, {132, "VOLTAGE_CH_27"}, {133, "VOLTAGE_CH_28"},
    {134, "VOLTAGE_CH_29"}, {135, "VOLTAGE_CH_30"}, {136, "CURRENT_SINK_CH_25"}, {137, "CURRENT_SINK_CH_26"},
    {138, "CURRENT_SINK_CH_27"}, {139, "CURRENT_SINK_CH_28"}, {140, "CURRENT_SINK_CH_29"}, {141, "CURRENT_SINK_CH_30"},
    {142, "strCh_25"}, {143, "strCh_26"}, {144, "strCh_27"}, {145, "strCh_28"},
    {146, "strCh_29"}, {147, "strCh_30"}, {148, "ENABLE_25"}, {149, "ENABLE_26"},
    {150, "ENABLE_27"}, {151, "ENABLE_28"}, {152, "ENABLE_29"}, {153, "ENABLE_30"},
    {154, "SET_V_ALL_MODULE6"}, {155, "SET_SINK_ALL_MODULE6"}, {156, "ENABLE_ALL_MODULE6"}, {157, "VOLTAGE_CH_31"},
    {158, "VOLTAGE_CH_32"}, {159, "VOLTAGE_CH_33"}, {160, "VOLTAGE_CH_34"}, {161, "VOLTAGE_CH_35"},
    {162, "VOLTAGE_CH_36"}, {163, "CURRENT_SINK_CH_31"}, {164, "CURRENT_SINK_CH_32"}, {165, "CURRENT_SINK_CH_33"},
    {166, "CURRENT_SINK_CH_34"}, {167, "CURRENT_SINK_CH_35"}, {168, "CURRENT_SINK_CH_36"}, {169, "strCh_31"},
    {170, "strCh_32"}, {171, "strCh_33"}, {172, "strCh_34"}, {173, "strCh_35"},
    {174, "strCh_36"}, {175, "ENABLE_31"}, {176, "ENABLE_32"}, {177, "ENABLE_33"},
    {178, "ENABLE_34"}, {179, "ENABLE_35"}, {180, "ENABLE_36"}, {181, "SET_V_ALL_MODULE7"},
    {182, "SET_SINK_ALL_MODULE7"}, {183, "ENABLE_ALL_MODULE7"}, {184, "VOLTAGE_CH_37"}, {185, "VOLTAGE_CH_38"},
    {186, "VOLTAGE_CH_39"}, {187, "VOLTAGE_CH_40"}, {188, "VOLTAGE_CH_41"}, {189, "VOLTAGE_CH_42"},
    {190, "CURRENT_SINK_CH_37"}, {191, "CURRENT_SINK_CH_38"}, {192, "CURRENT_SINK_CH_39"}, {193, "CURRENT_SINK_CH_40"},
    {194, "CURRENT_SINK_CH_41"}, {195, "CURRENT_SINK_CH_42"}, {196, "strCh_37"}, {197, "strCh_38"},
    {198, "strCh_39"}, {199, "strCh_40"}, {200, "strCh_41"}, {201, "strCh_42"},
    {202, "ENABLE_37"}, {203, "ENABLE_38"}, {204, "ENABLE_39"}, {205, "ENABLE_40"},
    {206, "ENABLE_41"}, {207, "ENABLE_42"}, {208, "PICTURE"}, {209, "QUIT"},
    {210, "SN_1"}, {211, "INTERLOCK_1"}, {212, "SN_2"}, {213, "INTERLOCK_2"},
    {214, "SN_3"}, {215, "INTERLOCK_3"}, {216, "SN_4"}, {217, "INTERLOCK_4"},
    {218, "SN_5"}, {219, "INTERLOCK_5"}, {220, "SN_6"}, {221, "INTERLOCK_6"},
    {222, "SN_7"}, {223, "INTERLOCK_7"}, {224, "AVAILABLE_1"}, {225, "AVAILABLE_7"},
    {226, "AVAILABLE_6"}, {227, "AVAILABLE_5"}, {228, "AVAILABLE_4"}, {229, "AVAILABLE_3"},
    {230, "AVAILABLE_2"}, {231, "LEFT"}, {232, "PICTURE_2"}, {233, "TEXTMSG_3"},
    {234, "TEXTMSG_2"}, {235, "TOP"}, {236, "VERSION"},
};

QString uirPath() { return QDir(QApplication::applicationDirPath()).filePath("tavr.uir"); }

const panel::PanelDef &frontPanel()
{
    static const panel::PanelDef def = [] {
        QString why;
        auto loaded = panel::loadPanelDefinition(uirPath(), "BSDpanel", &why);
        EXPECT_TRUE(loaded.has_value()) << why.toStdString();
        return loaded.value_or(panel::PanelDef{});
    }();
    return def;
}

const panel::ControlDef &control(const char *constant)
{
    const panel::ControlDef *c = frontPanel().find(QString::fromLatin1(constant));
    EXPECT_NE(c, nullptr) << constant;
    static const panel::ControlDef none;
    return c ? *c : none;
}

std::string channelConstant(const char *prefix, int n) { return prefix + std::to_string(n); }

} // namespace

TEST(PanelDefinition, HoldsEveryIdentifierOnceWithItsConstantInOrder)
{
    const panel::PanelDef &def = frontPanel();
    EXPECT_EQ(def.name, "BSDpanel");
    EXPECT_EQ(def.id, 1);
    ASSERT_EQ(def.controls.size(), kIdentifiers.size());
    for (std::size_t i = 0; i < kIdentifiers.size(); ++i) {
        EXPECT_EQ(def.controls[i].id, kIdentifiers[i].first);
        EXPECT_EQ(def.controls[i].constant.toStdString(), kIdentifiers[i].second);
    }
    // The constants the code uses come from the same table.
    EXPECT_EQ(ctrl::kControlCount, 235);
    EXPECT_EQ(ctrl::MODULE_1, 2);
    EXPECT_EQ(ctrl::SET_V_ALL_MODULE1, 17);
    EXPECT_EQ(ctrl::SET_SINK_ALL_MODULE2, 47);
    EXPECT_EQ(ctrl::ENABLE_ALL_MODULE2, 48);
    EXPECT_EQ(ctrl::VOLTAGE_CH_42, 189);
    EXPECT_EQ(ctrl::CURRENT_SINK_CH_42, 195);
    EXPECT_EQ(ctrl::strCh_42, 201);
    EXPECT_EQ(ctrl::ENABLE_42, 207);
    EXPECT_EQ(ctrl::AVAILABLE_7, 225);
    EXPECT_EQ(ctrl::AVAILABLE_2, 230);
    EXPECT_EQ(ctrl::VERSION, 236);
}

TEST(PanelDefinition, ChannelControlsHaveTheirKindsLimitsAndValuesAtLoad)
{
    for (int n = 1; n <= 42; ++n) {
        SCOPED_TRACE(n);
        const auto &v = control(channelConstant("VOLTAGE_CH_", n).c_str());
        EXPECT_EQ(v.kind, Kind::Numeric);
        EXPECT_EQ(v.numericType, NumericType::Double);
        EXPECT_TRUE(v.editable);
        EXPECT_EQ(v.numericValue, 1.0);
        EXPECT_EQ(v.minimum, 0.0);
        EXPECT_EQ(v.maximum, 7.0);
        EXPECT_EQ(v.precision, 3);
        EXPECT_EQ(v.step, n == 1 || n == 7 ? 0.05 : 0.5);
        EXPECT_EQ(v.callback, "ctrl_voltage_source");

        const auto &c = control(channelConstant("CURRENT_SINK_CH_", n).c_str());
        EXPECT_EQ(c.kind, Kind::Numeric);
        EXPECT_EQ(c.numericType, NumericType::Int32);
        EXPECT_EQ(c.numericValue, 0.0);
        EXPECT_EQ(c.minimum, 0.0);
        EXPECT_EQ(c.maximum, 100.0);
        EXPECT_EQ(c.step, 1.0);
        EXPECT_EQ(c.callback, "ctrl_current_sink");

        const auto &name = control(channelConstant("strCh_", n).c_str());
        EXPECT_EQ(name.kind, Kind::Text);
        EXPECT_TRUE(name.editable);
        EXPECT_EQ(name.textValue, QString::number(n));
        EXPECT_EQ(name.maxLength, 15);
        EXPECT_EQ(name.callback, "");

        const auto &enable = control(channelConstant("ENABLE_", n).c_str());
        EXPECT_EQ(enable.kind, Kind::ToggleSwitch);
        EXPECT_EQ(enable.numericValue, 0.0);
        EXPECT_EQ(enable.callback, "ctrl_enable");
    }
    // One voltage and one current control carry the column headings.
    EXPECT_EQ(control("VOLTAGE_CH_1").label, "V");
    EXPECT_EQ(control("CURRENT_SINK_CH_1").label, "mA");
}

TEST(PanelDefinition, PositionAndPanelWideControls)
{
    for (int k = 1; k <= 7; ++k) {
        SCOPED_TRACE(k);
        const auto &sn = control(channelConstant("SN_", k).c_str());
        EXPECT_EQ(sn.kind, Kind::Text);
        EXPECT_EQ(sn.textValue, QString("30000%1").arg(k));
        EXPECT_EQ(sn.maxLength, 19);
        EXPECT_EQ(sn.label, QString("SN Card%1").arg(k));
        EXPECT_EQ(sn.callback, "select_SN");
        const auto &module = control(channelConstant("MODULE_", k).c_str());
        EXPECT_EQ(module.kind, Kind::Text);
        EXPECT_FALSE(module.editable);
        EXPECT_EQ(module.label, QString("Module %1").arg(k));
        EXPECT_EQ(module.textValue, "");
        EXPECT_EQ(control(channelConstant("INTERLOCK_", k).c_str()).kind, Kind::Led);
        const auto &available = control(channelConstant("AVAILABLE_", k).c_str());
        EXPECT_EQ(available.kind, Kind::Led);
        EXPECT_TRUE(available.visible);
        EXPECT_EQ(available.label.trimmed(), "not available");
        for (const char *prefix : {"SET_V_ALL_MODULE", "SET_SINK_ALL_MODULE", "ENABLE_ALL_MODULE"}) {
            const auto &b = control(channelConstant(prefix, k).c_str());
            EXPECT_EQ(b.kind, Kind::ToggleButton);
            EXPECT_EQ(b.callback, "set_all");
        }
        EXPECT_EQ(control(channelConstant("SET_V_ALL_MODULE", k).c_str()).caption, "V");
        EXPECT_EQ(control(channelConstant("SET_SINK_ALL_MODULE", k).c_str()).caption, "mA");
        EXPECT_EQ(control(channelConstant("ENABLE_ALL_MODULE", k).c_str()).caption, "enable");
    }

    struct Expected {
        const char *constant;
        Kind kind;
        const char *text; // label or caption
        const char *callback;
    };
    const Expected table[] = {
        {"MSGBOX", Kind::TextBox, "", ""},
        {"TIMER", Kind::Timer, "", "timer"},
        {"PXI", Kind::ToggleSwitch, "PXI", "select_chassis"},
        {"IPADDRESS", Kind::Text, "LXI Chassis IP Address", "select_IP"},
        {"STARTUP_MSG", Kind::ToggleSwitch, "disable Startup Message", ""},
        {"INTERLOCK_MSG", Kind::ToggleSwitch, "disable Interlock Message", ""},
        {"ENABLEALL", Kind::CommandButton, "Enable All 42 Channels !", "enable_all"},
        {"RESET", Kind::CommandButton, "__RESET", "reset"},
        {"RE_CALL_CUURENT_ALL", Kind::ToggleButton, "re-call ALL Current values", "re_current_all"},
        {"RE_ENABLE_ALL", Kind::ToggleButton, "re-call ALL Voltage values", "re_enable_all"},
        {"PICTURE", Kind::Picture, "", ""},
        {"QUIT", Kind::CommandButton, "__QUIT", "quit"},
        {"LEFT", Kind::Numeric, "Window Left", ""},
        {"PICTURE_2", Kind::Picture, "", ""},
        {"TEXTMSG_3", Kind::TextMessage, "", ""},
        {"TEXTMSG_2", Kind::TextMessage, "", ""},
        {"TOP", Kind::Numeric, "Window Top", ""},
        {"VERSION", Kind::TextMessage, "", ""},
    };
    for (const Expected &e : table) {
        SCOPED_TRACE(e.constant);
        const auto &c = control(e.constant);
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(e.kind == Kind::CommandButton || e.kind == Kind::ToggleButton ? c.caption : c.label,
                  QString::fromUtf8(e.text));
        EXPECT_EQ(c.callback, e.callback);
    }
    EXPECT_EQ(control("TIMER").intervalSeconds, 0.4);
    EXPECT_TRUE(control("TIMER").timerEnabled);
    EXPECT_EQ(control("IPADDRESS").maxLength, 15);
    EXPECT_TRUE(control("IPADDRESS").textValue.startsWith("192.168."));
    EXPECT_EQ(control("TEXTMSG_3").textValue, "set ALL uses settings of each module's first channel");
    EXPECT_EQ(control("TEXTMSG_2").textValue, "set ALL");
    EXPECT_EQ(control("VERSION").textValue, "Version 1.x.x\n04-JAN-2017");
    for (const char *position : {"LEFT", "TOP"}) {
        const auto &c = control(position);
        EXPECT_EQ(c.numericType, NumericType::Int32);
        EXPECT_FALSE(c.editable);
        EXPECT_EQ(c.minimum, -2147483648.0);
        EXPECT_EQ(c.maximum, 2147483647.0);
        EXPECT_EQ(c.numericValue, 0.0);
    }
    EXPECT_EQ(frontPanel().closeControl, "QUIT");
}

TEST(PanelDefinition, BrokenDefinitionsAreRefusedWithAReason)
{
    QTemporaryDir dir;
    const auto write = [&](const QByteArray &content) {
        const QString path = dir.filePath("broken.uir");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    };
    const QByteArray head = R"({"format": "tavr-panel-definition", "version": 1, "panels": [{"name": "P", "id": 1, "controls": [)";
    const QByteArray tail = "]}]}";
    const std::vector<std::pair<QByteArray, const char *>> cases = {
        {"not json", "not valid JSON"},
        {R"({"format": "something else", "version": 1, "panels": []})", "not a panel definition"},
        {head + tail, "no controls"},
        {head + R"({"id": 2, "constant": "A", "kind": "bogus"})" + tail, "unknown kind"},
        {head + R"({"id": 2, "constant": "A", "kind": "textmsg"}, {"id": 2, "constant": "B", "kind": "textmsg"})" + tail,
         "used twice"},
        {head + R"({"id": 2, "constant": "A", "kind": "textmsg"}, {"id": 3, "constant": "A", "kind": "textmsg"})" + tail,
         "used twice"},
        {head + R"({"id": 2, "constant": "A", "kind": "numeric", "type": "double", "value": 9, "min": 0, "max": 7, "step": 1})" + tail,
         "outside"},
        {head + R"({"id": 2, "constant": "A", "kind": "numeric", "type": "int32", "value": 0.5, "min": 0, "max": 7, "step": 1})" + tail,
         "whole numbers"},
        {head + R"({"id": 2, "constant": "A", "kind": "numeric", "type": "double", "value": 1, "min": 0, "max": 7, "step": 0})" + tail,
         "step"},
        {head + R"({"id": 2, "constant": "A", "kind": "text", "value": "toolong", "max_length": 3})" + tail, "longer"},
        {head + R"({"id": 2, "constant": "A", "kind": "timer", "interval": 0})" + tail, "interval"},
        {head + R"({"id": "2", "constant": "A", "kind": "textmsg"})" + tail, "id"},
        {head + R"({"id": 2, "constant": "A", "kind": "numeric", "type": "double", "value": 1, "min": 0, "max": 7, "step": 1, "precision": 1e300})" + tail,
         "\"precision\" must be a whole number 0..15"},
        {head + R"({"id": 2, "constant": "A", "kind": "timer", "interval": 1e-4})" + tail, "from 0.001 to 86400 seconds"},
        {head + R"({"id": 2, "constant": "A", "kind": "timer", "interval": 86401})" + tail, "from 0.001 to 86400 seconds"},
        {head + R"({"id": 2, "constant": "A\n\u001b[2J", "kind": "bo\ngus"})" + tail, R"((A\n\x1b[2J): unknown kind "bo\ngus")"},
    };
    for (const auto &[content, reason] : cases) {
        SCOPED_TRACE(content.toStdString());
        QString why;
        EXPECT_FALSE(panel::loadPanelDefinition(write(content), "P", &why).has_value());
        EXPECT_TRUE(why.contains(reason)) << why.toStdString();
        EXPECT_FALSE(why.contains('\n')) << "one line";
    }
    QString why;
    EXPECT_FALSE(panel::loadPanelDefinition(dir.filePath("missing.uir"), "P", &why).has_value());
    EXPECT_FALSE(panel::loadPanelDefinition(uirPath(), "NoSuchPanel", &why).has_value());
    EXPECT_TRUE(why.contains("NoSuchPanel"));
}
