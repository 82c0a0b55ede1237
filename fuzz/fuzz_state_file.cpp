// Fuzz target: the panel state file's recall into the program's own panel.
// Any content is recalled or ignored; every value recalled lies within its
// control's limits, and no text field holds a character that forges log lines.
#include "panel/api/control_ids.h"
#include "panel/state_file/panel_state_file.h"
#include "panel/state_file/recalled_text.h"
#include "panel/window/panel_window.h"
#include "panel/toolkit/toolkit.h"
#include "panel/api/ui.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

panel::PanelWindow *window = nullptr;

int ignore(int, int, int, void *, int, int) { return 0; }

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    const QString uir = QDir(QApplication::applicationDirPath()).filePath("tavr.uir");
    const std::optional<panel::PanelDef> def = panel::loadPanelDefinition(uir, ctrl::kPanelName);
    if (!def)
        std::abort(); // the fuzzer sits next to the program's panel definition
    ui::CallbackTable callbacks;
    for (const panel::ControlDef &c : def->controls)
        if (!c.callback.isEmpty())
            callbacks[c.callback.toStdString()] = &ignore;
    const int handle = ui::loadPanel(uir.toStdString(), ctrl::kPanelName, callbacks, nullptr);
    window = panel::Toolkit::instance().panel(handle);
    if (!window)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    panel::recallStateFromBytes(*window, content, 0);
    for (const int id : {ctrl::VOLTAGE_CH_1, ctrl::CURRENT_SINK_CH_1, ctrl::TOP}) {
        const panel::ControlDef &def = *window->def().find(id);
        const double v = window->control(id)->value().toDouble();
        if (!(v >= def.minimum && v <= def.maximum))
            std::abort();
    }
    for (const panel::ControlDef &def : window->def().controls) {
        if (def.kind != panel::Kind::Text)
            continue;
        const QString text = window->control(def.id)->value().toString();
        if (std::any_of(text.begin(), text.end(), panel::forgesLogText))
            std::abort();
    }
    return 0;
}
