#include "app/panel_definition_path.h"

#include <system_error>

std::optional<std::filesystem::path> findPanelDefinition(const std::filesystem::path &programDir,
                                                         const std::filesystem::path &dataFromBin,
                                                         std::string *error)
{
    const std::filesystem::path places[] = {programDir, (programDir / dataFromBin).lexically_normal()};
    for (const std::filesystem::path &place : places) {
        std::error_code ec;
        const std::filesystem::path candidate = place / kPanelDefinitionFile;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    }
    if (error)
        *error = std::string("panel definition ") + kPanelDefinitionFile + " found neither in " +
                 places[0].string() + " nor in " + places[1].string();
    return std::nullopt;
}
