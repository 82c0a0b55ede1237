// The real panel definition loaded with every callback recording its events,
// so that the toolkit's behaviour is seen without the operations behind it.
#pragma once

#include "panel/api/control_ids.h"
#include "panel/definition/panel_definition.h"
#include "panel/api/ui.h"
#include "support/scripted_popups.h"

#include <QApplication>
#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

struct RecordedEvent {
    int control;
    int event;
    bool operator==(const RecordedEvent &) const = default;
};

class FrontPanelTest : public ::testing::Test {
public:
    std::vector<RecordedEvent> events;
    // Runs inside every recorded callback, after recording.
    std::function<void(int control, int event)> duringCallback;
    ScriptedPopups popups;
    int panel = 0;

    static QString uirPath() { return QDir(QApplication::applicationDirPath()).filePath("tavr.uir"); }

    static int record(int, int control, int event, void *data, int, int)
    {
        auto *self = static_cast<FrontPanelTest *>(data);
        self->events.push_back({control, event});
        if (self->duringCallback)
            self->duringCallback(control, event);
        return 0;
    }

    int loadPanel()
    {
        ui::CallbackTable table;
        auto def = panel::loadPanelDefinition(uirPath(), "BSDpanel");
        for (const panel::ControlDef &c : def->controls)
            if (!c.callback.isEmpty())
                table[c.callback.toStdString()] = &FrontPanelTest::record;
        return ui::loadPanel(uirPath().toStdString(), "BSDpanel", table, this);
    }

protected:
    void SetUp() override
    {
        ui::setPopupPresenter(&popups);
        panel = loadPanel();
        ASSERT_GT(panel, 0);
        ui::displayPanel(panel);
    }

    void TearDown() override
    {
        ui::discardPanel(panel);
        ui::setPopupPresenter(nullptr);
    }

    std::vector<RecordedEvent> commitsOf(int control) const
    {
        std::vector<RecordedEvent> found;
        for (const RecordedEvent &e : events)
            if (e.control == control && e.event == ui::kCommit)
                found.push_back(e);
        return found;
    }
};
