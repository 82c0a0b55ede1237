#include "support/panel_harness.h"

#include "app/startup.h"
#include "driver/sim/korda_sim.h"
#include "panel/toolkit.h"
#include "panel/ui.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QStyleOptionSpinBox>
#include <QTest>
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
    panel::Toolkit::instance().setLoopActive(false);
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
    const int result = startPanel(app, commandLine, uir, &error);
    EXPECT_EQ(error, "");
    return result;
}

void PanelHarness::enterEventLoop() { panel::Toolkit::instance().setLoopActive(true); }

QWidget *PanelHarness::widget(int control) const
{
    panel::Control *c = panel::Toolkit::instance().control(panel(), control);
    return c ? c->input() : nullptr;
}

std::string PanelHarness::messageBox() const { return ui::getText(panel(), ctrl::MSGBOX); }
int32_t PanelHarness::intValue(int control) const { return ui::getInt(panel(), control); }
double PanelHarness::doubleValue(int control) const { return ui::getDouble(panel(), control); }
std::string PanelHarness::text(int control) const { return ui::getText(panel(), control); }
bool PanelHarness::dimmed(int control) const { return ui::isDimmed(panel(), control); }
bool PanelHarness::visible(int control) const { return ui::isVisible(panel(), control); }

void PanelHarness::typeWithoutEnter(int control, const QString &text)
{
    QWidget *w = widget(control);
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
}

void PanelHarness::type(int control, const QString &text)
{
    typeWithoutEnter(control, text);
    QTest::keyClick(widget(control), Qt::Key_Return);
}

namespace {

void clickArrow(QWidget *w, QStyle::SubControl arrow)
{
    auto *spin = qobject_cast<QAbstractSpinBox *>(w);
    ASSERT_NE(spin, nullptr) << "not a numeric control";
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.subControls = QStyle::SC_All;
    option.buttonSymbols = spin->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QRect rect = spin->style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, spin);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

void PanelHarness::stepUp(int control) { clickArrow(widget(control), QStyle::SC_SpinBoxUp); }
void PanelHarness::stepDown(int control) { clickArrow(widget(control), QStyle::SC_SpinBoxDown); }

void PanelHarness::press(int control)
{
    QWidget *w = widget(control);
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
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

void PanelHarness::clearTrace() const { korda_sim::clearCapturedTrace(); }
