#include "support/panel_harness.h"

#include "support/operator_actions.h"

#include "app/startup.h"
#include "driver/sim/korda_sim.h"
#include "panel/toolkit/toolkit.h"
#include "support/toolkit_test_access.h"
#include "panel/api/ui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <gtest/gtest.h>

PanelHarness::PanelHarness(const std::string &scenario)
{
    korda_sim::reset();
    if (scenario.empty()) {
        korda_sim::useBuiltinChassis();
    } else {
        const std::string problem = korda_sim::useScenario(scenario);
        EXPECT_EQ(problem, "") << "scenario refused";
    }
    korda_sim::captureTrace(true);
    ui::setPopupPresenter(&popups);
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
}

PanelHarness::~PanelHarness()
{
    ui::setPopupsUnattended(false);
    if (ui::userInterfaceQuitRequested())
        ui::runUserInterface(); // returns at once, as the program's loop does after quit
    panel::ToolkitTestAccess::leaveLoop();
    if (app.bsdpanel > 0)
        ui::discardPanel(app.bsdpanel);
    ui::setPopupPresenter(nullptr);
    QDir::setCurrent(previousDir_);
    korda_sim::reset();
}

void PanelHarness::writeFile(const QString &name, const QByteArray &content) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray PanelHarness::readFile(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString PanelHarness::path(const QString &name) const { return QDir(dir_.path()).filePath(name); }

int PanelHarness::start(const std::string &commandLine)
{
    const std::string uir = QDir(QApplication::applicationDirPath()).filePath("tavr.uir").toStdString();
    std::string error;
    const int result = startPanel(app, commandLine, uir, &error, recordFolder);
    EXPECT_EQ(error, "");
    return result;
}

void PanelHarness::enterEventLoop() { panel::ToolkitTestAccess::enterLoop(); }

QWidget *PanelHarness::widget(int control) const { return operator_actions::inputOf(panel(), control); }

std::string PanelHarness::messageBox() const { return ui::getText(panel(), ctrl::MSGBOX); }
int32_t PanelHarness::intValue(int control) const { return ui::getInt(panel(), control); }
double PanelHarness::doubleValue(int control) const { return ui::getDouble(panel(), control); }
std::string PanelHarness::text(int control) const { return ui::getText(panel(), control); }
bool PanelHarness::dimmed(int control) const { return ui::isDimmed(panel(), control); }
bool PanelHarness::visible(int control) const { return ui::isVisible(panel(), control); }
int PanelHarness::lamp(int position) const { return intValue(ctrl::INTERLOCK_1 + 2 * (position - 1)); }
bool PanelHarness::timerEnabled() const { return ui::isTimerEnabled(panel(), ctrl::TIMER); }

QString PanelHarness::statusLine() const
{
    for (const QLabel *label : widget(ctrl::MSGBOX)->window()->findChildren<QLabel *>())
        if (label->text().startsWith("Chassis:"))
            return label->text();
    return {};
}

std::string PanelHarness::added(const std::string &before) const
{
    const std::string now = messageBox();
    EXPECT_EQ(now.compare(0, before.size(), before), 0) << "earlier lines changed";
    return now.size() >= before.size() ? now.substr(before.size()) : std::string();
}

std::vector<int32_t> PanelHarness::foundFlags() const
{
    std::vector<int32_t> flags;
    for (int k = 1; k <= kCardPositions; ++k)
        flags.push_back(app.card(k).cardFound);
    return flags;
}

void PanelHarness::typeWithoutEnter(int control, const QString &text)
{
    operator_actions::type(widget(control), text, false);
}

void PanelHarness::type(int control, const QString &text) { operator_actions::type(widget(control), text); }
void PanelHarness::stepUp(int control) { operator_actions::clickArrow(widget(control), true); }
void PanelHarness::stepDown(int control) { operator_actions::clickArrow(widget(control), false); }
void PanelHarness::press(int control) { operator_actions::click(widget(control)); }
void PanelHarness::choose(const QString &command)
{
    operator_actions::chooseCommand(widget(ctrl::MSGBOX)->window(), command);
}

void PanelHarness::tick() { panel::Toolkit::instance().deliverTimerTick(panel(), ctrl::TIMER); }

std::vector<QJsonObject> PanelHarness::trace(const std::string &call) const
{
    std::vector<QJsonObject> calls;
    for (const std::string &line : korda_sim::capturedTrace()) {
        const QJsonObject entry = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        if (call.empty() || entry.value("call").toString().toStdString() == call)
            calls.push_back(entry);
    }
    return calls;
}

std::vector<std::string> PanelHarness::calls(trace::Lookups lookups) const { return trace::lines(trace(), lookups); }

void PanelHarness::clearTrace() const { korda_sim::clearCapturedTrace(); }
