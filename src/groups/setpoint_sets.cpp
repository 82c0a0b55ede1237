#include "groups/setpoint_sets.h"

#include "channels/channel_callbacks.h"
#include "channels/channel_map.h"
#include "groups/setpoint_csv.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/app_state.h"
#include "state/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

using channel_map::Role;
using setpoint_csv::Row;

namespace {

const char kSaveTitle[] = "Save setpoints";
const char kLoadTitle[] = "Load setpoints";
const char kFilter[] = "CSV files (*.csv);;All files (*)";
const char kSuggestedName[] = "setpoints.csv";
// 42 rows take a few kilobytes; a file far larger is no set of setpoints.
const std::size_t kMaxFileBytes = 64 * 1024;
const int kYes = 1;

// Channel n as the panel shows it.
Row shown(int panel, int n)
{
    const double volts = ui::getDouble(panel, channel_map::controlOf(n, Role::Voltage));
    return {n, ui::getText(panel, channel_map::controlOf(n, Role::Name)),
            static_cast<int32_t>(std::lround(volts * 1000.0)),
            ui::getInt(panel, channel_map::controlOf(n, Role::CurrentSink))};
}

std::string volts(int64_t millivolts) { return text::fixed(static_cast<double>(millivolts) / 1000.0, 3) + " V"; }

// What loading a set does to one channel.
struct Change {
    int channel = 0;
    std::optional<std::string> name;
    std::optional<int32_t> millivolts; // to send
    std::optional<int32_t> sinkMilliamps;
};

struct Plan {
    std::vector<Change> changes; // in channel order
    int setpointChannels = 0;    // channels with a setpoint to send
    int names = 0;
    std::string held;            // dimmed setpoints left as they are: "1-3 (V), 4 (V, mA)"
    Row highest;                 // the file's highest voltage
    int outputsOn = 0;
    int64_t onMillivolts = 0;    // the voltages of those outputs, added up, after loading
};

// Channels with what is said of them, neighbours alike in one range:
// "1-6 (V), 7 (V, mA)".
std::string ranges(const std::vector<std::pair<int, std::string>> &channels)
{
    std::string text;
    for (std::size_t i = 0; i < channels.size();) {
        std::size_t last = i;
        while (last + 1 < channels.size() && channels[last + 1].first == channels[last].first + 1 &&
               channels[last + 1].second == channels[i].second)
            ++last;
        if (!text.empty())
            text += ", ";
        text += std::to_string(channels[i].first);
        if (last > i) {
            text += '-';
            text += std::to_string(channels[last].first);
        }
        text += " (";
        text += channels[i].second;
        text += ')';
        i = last + 1;
    }
    return text;
}

Plan planLoad(const AppState &app, int panel, std::vector<Row> rows)
{
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.channel < b.channel; });
    Plan plan;
    plan.highest = rows.front();
    std::vector<std::pair<int, std::string>> held; // channel, what of it
    std::array<int32_t, kChannels + 1> after{};
    for (int n = 1; n <= kChannels; ++n)
        after[static_cast<std::size_t>(n)] = shown(panel, n).millivolts;
    for (const Row &r : rows) {
        const Row now = shown(panel, r.channel);
        Change c{r.channel, {}, {}, {}};
        if (r.name != now.name)
            c.name = r.name;
        bool voltageHeld = false, sinkHeld = false;
        if (r.millivolts != now.millivolts) {
            voltageHeld = ui::isDimmed(panel, channel_map::controlOf(r.channel, Role::Voltage));
            if (!voltageHeld)
                c.millivolts = after[static_cast<std::size_t>(r.channel)] = r.millivolts;
        }
        if (r.sinkMilliamps != now.sinkMilliamps) {
            sinkHeld = ui::isDimmed(panel, channel_map::controlOf(r.channel, Role::CurrentSink));
            if (!sinkHeld)
                c.sinkMilliamps = r.sinkMilliamps;
        }
        if (voltageHeld || sinkHeld)
            held.push_back({r.channel, voltageHeld && sinkHeld ? "V, mA" : voltageHeld ? "V" : "mA"});
        plan.names += c.name ? 1 : 0;
        plan.setpointChannels += c.millivolts || c.sinkMilliamps ? 1 : 0;
        if (c.name || c.millivolts || c.sinkMilliamps)
            plan.changes.push_back(std::move(c));
        if (r.millivolts > plan.highest.millivolts)
            plan.highest = r;
    }
    plan.held = ranges(held);
    // Outputs this panel drives: those of found cards switched on.
    for (int n = 1; n <= kChannels; ++n) {
        if (app.card(channel_map::positionOf(n)).cardFound &&
            ui::getInt(panel, channel_map::controlOf(n, Role::Enable)) != 0) {
            ++plan.outputsOn;
            plan.onMillivolts += after[static_cast<std::size_t>(n)];
        }
    }
    return plan;
}

std::string confirmation(const Plan &plan, const std::string &file)
{
    std::string text = "Load the setpoints of " + file + "?\n\n";
    text += "Channels whose setpoints change: " + std::to_string(plan.setpointChannels) + "\n";
    if (plan.names > 0)
        text += "Names that change: " + std::to_string(plan.names) + "\n";
    if (!plan.held.empty())
        text += "Dimmed, left as they are: channels " + plan.held + "\n";
    text += "Highest voltage in the file: " + volts(plan.highest.millivolts) + " (channel " +
            std::to_string(plan.highest.channel) + ")\n";
    if (plan.outputsOn == 0) {
        text += "Outputs switched on: none\n";
    } else {
        text += "Outputs switched on: " + std::to_string(plan.outputsOn) + "; their voltages add up to " +
                volts(plan.onMillivolts) + "\n";
        text += "In case these channels are cascaded, that voltage can occur.\n";
    }
    return text + "\nLoading switches no output on or off.\n";
}

// Every change through the channel operations, as the operator's commit:
// the value into the control, then its callback.
void apply(int panel, void *callbackData, const Plan &plan, const std::string &file)
{
    ui::appendMessage(panel, "load setpoints " + file + "\n");
    for (const Change &c : plan.changes) {
        if (c.name)
            ui::setText(panel, channel_map::controlOf(c.channel, Role::Name), *c.name);
        if (c.millivolts) {
            const int control = channel_map::controlOf(c.channel, Role::Voltage);
            ui::setDouble(panel, control, *c.millivolts / 1000.0);
            ctrl_voltage_source(panel, control, ui::kCommit, callbackData, 0, 0);
        }
        if (c.sinkMilliamps) {
            const int control = channel_map::controlOf(c.channel, Role::CurrentSink);
            ui::setInt(panel, control, *c.sinkMilliamps);
            ctrl_current_sink(panel, control, ui::kCommit, callbackData, 0, 0);
        }
        ui::processDrawEvents(panel); // its lines show as it goes, at most once a frame
    }
    if (!plan.held.empty())
        ui::appendMessage(panel, "dimmed setpoints left as they are (re-call them first): channels " + plan.held + "\n");
    ui::appendMessage(panel, "done\n");
}

} // namespace

void save_setpoints(int panel, void *)
{
    std::vector<Row> rows;
    for (int n = 1; n <= kChannels; ++n) {
        rows.push_back(shown(panel, n));
        // A name the file could not give back is not written into one.
        if (const std::string problem = setpoint_csv::nameProblem(rows.back().name); !problem.empty()) {
            ui::messagePopup(kSaveTitle, "Nothing was saved: the name of channel " + std::to_string(n) + " " + problem +
                                             ". Rename it first.\n");
            return;
        }
    }
    const std::string path = ui::chooseFileToSave(kSaveTitle, kSuggestedName, kFilter);
    if (path.empty())
        return;
    const std::string file = setpoint_csv::printable(path);
    std::string why;
    if (!ui::writeChosenFile(path, setpoint_csv::write(rows), why)) {
        ui::messagePopup(kSaveTitle, "The setpoints were not saved to " + file + ":\n" + why + "\n");
        return;
    }
    ui::appendMessage(panel, "setpoints saved to " + file + "\n");
}

void load_setpoints(int panel, void *callbackData)
{
    const AppState &app = stateOf(callbackData);
    if (app.stopSFPdueToFail) {
        ui::messagePopup(kLoadTitle, "Nothing can be loaded: the connection to the chassis was lost.\n"
                                     "Start the panel again.\n");
        return;
    }
    const std::string path = ui::chooseFileToOpen(kLoadTitle, kFilter);
    if (path.empty())
        return;
    const std::string file = setpoint_csv::printable(path);
    std::string content, why;
    setpoint_csv::Parsed parsed;
    if (ui::readChosenFile(path, kMaxFileBytes, content, why)) {
        parsed = setpoint_csv::read(content);
        why = parsed.error;
    }
    if (!why.empty()) {
        ui::messagePopup(kLoadTitle, "Nothing was loaded from " + file + ":\n" + why + "\n");
        return;
    }
    const Plan plan = planLoad(app, panel, std::move(parsed.rows));
    if (plan.changes.empty()) {
        ui::messagePopup(kLoadTitle, "Nothing to load from " + file + ": the panel shows its setpoints and names already" +
                                         (plan.held.empty() ? ".\n"
                                                            : ", but for dimmed ones, left as they are: channels " +
                                                                  plan.held + ".\n"));
        return;
    }
    if (ui::confirmPopup(kLoadTitle, confirmation(plan, file)) == kYes)
        apply(panel, callbackData, plan, file);
}
