#include "channels/channel_panel.h"

namespace channel_panel {

QJsonObject idleSettings(const QJsonObject &recalled)
{
    QJsonObject values = scenario::idleVoltages({1, 2, 3, 4, 5, 6, 7});
    for (auto it = recalled.begin(); it != recalled.end(); ++it)
        values.insert(it.key(), it.value());
    return values;
}

bool boot(PanelHarness &h, const QJsonObject &recalled)
{
    h.writeFile("Tavrin.state", stateFile(idleSettings(recalled)));
    if (h.start() != 0)
        return false;
    h.enterEventLoop();
    h.clearTrace();
    return true;
}

} // namespace channel_panel
