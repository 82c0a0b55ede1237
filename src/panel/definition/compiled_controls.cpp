#include "panel/definition/compiled_controls.h"

#include "panel/api/control_ids.h"

#include <algorithm>

namespace panel {

namespace {

std::optional<QString> firstDifference(const PanelDef &def)
{
    if (def.name != QLatin1String(ctrl::kPanelName))
        return QString("panel %1 is not panel %2").arg(def.name, ctrl::kPanelName);
    if (def.id != ctrl::kPanelId)
        return QString("panel %1 has identifier %2, the program was built for %3")
            .arg(def.name)
            .arg(def.id)
            .arg(ctrl::kPanelId);
    for (const ctrl::CompiledControl &compiled : ctrl::kControls) {
        const ControlDef *loaded = def.find(QString::fromLatin1(compiled.constant));
        if (!loaded)
            return QString("control %1 is missing").arg(compiled.constant);
        if (loaded->id != compiled.id)
            return QString("control %1 has identifier %2, the program was built for %3")
                .arg(compiled.constant)
                .arg(loaded->id)
                .arg(compiled.id);
        if (kindName(loaded->kind) != QLatin1String(compiled.kind))
            return QString("control %1 is of kind %2, the program was built for %3")
                .arg(compiled.constant, kindName(loaded->kind), compiled.kind);
    }
    for (const ControlDef &c : def.controls) {
        const auto known =
            std::find_if(std::begin(ctrl::kControls), std::end(ctrl::kControls),
                         [&](const ctrl::CompiledControl &entry) { return c.constant == QLatin1String(entry.constant); });
        if (known == std::end(ctrl::kControls))
            return QString("control %1 (%2) is not one the program knows").arg(c.constant).arg(c.id);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> differenceFromCompiled(const PanelDef &def)
{
    const std::optional<QString> difference = firstDifference(def);
    return difference ? std::optional<QString>(oneLine(*difference)) : std::nullopt;
}

} // namespace panel
