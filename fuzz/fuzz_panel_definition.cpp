// Fuzz target: the panel-definition reader, its comparison with the compiled
// controls, and the making of every control it accepts (where the numbers
// become widget limits and timer intervals).
#include "panel/definition/compiled_controls.h"
#include "panel/controls/control.h"
#include "panel/definition/panel_definition.h"

#include <QApplication>
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString why;
    const std::optional<panel::PanelDef> def = panel::parsePanelDefinition(content, "fuzz.uir", "BSDpanel", &why);
    if (!def) {
        if (why.isEmpty() || why.contains('\n'))
            std::abort(); // a refusal is one line with a reason
        return 0;
    }
    (void)panel::differenceFromCompiled(*def);
    for (const panel::ControlDef &c : def->controls) {
        const std::unique_ptr<panel::Control> control = panel::createControl(c, def->baseDir);
        delete control->widget(); // unparented, it would live on in the application's widget list
    }
    return 0;
}
