#include "driver/sim/scenario.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <stdexcept>

#include "driver/sim/call.h"
#include "driver/sim/korda_sim.h"

namespace korda_sim {
namespace {

constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();
constexpr double kMaxLatencyMs = 60000.0;

struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void invalid(const std::string &where, const std::string &what)
{
    throw Invalid((where.empty() ? std::string("top level") : where) + ": " + what);
}

std::string member(const std::string &where, std::string_view key)
{
    return where.empty() ? std::string(key) : where + "." + std::string(key);
}

// Keys starting with "_" are comments. Any other key not listed is an error,
// so that a misspelt key cannot silently do nothing.
void requireObject(const Json &value, const std::string &where, std::initializer_list<std::string_view> keys)
{
    if (!value.is_object())
        invalid(where, "must be an object");
    for (const auto &item : value.items()) {
        if (item.key().starts_with('_'))
            continue;
        if (std::find(keys.begin(), keys.end(), item.key()) == keys.end())
            invalid(where, "unknown key \"" + item.key() + "\"");
    }
}

const Json *field(const Json &object, const std::string &where, const char *key, bool required)
{
    const auto it = object.find(key);
    if (it != object.end())
        return &*it;
    if (required)
        invalid(where, std::string("missing \"") + key + "\"");
    return nullptr;
}

int64_t integer(const Json &object, const std::string &where, const char *key, int64_t low, int64_t high,
                std::optional<int64_t> absent)
{
    const Json *value = field(object, where, key, !absent);
    if (!value)
        return *absent;
    if (value->is_number_unsigned()) {
        const uint64_t v = value->get<uint64_t>();
        if (v <= static_cast<uint64_t>(high) && static_cast<int64_t>(v) >= low)
            return static_cast<int64_t>(v);
    } else if (value->is_number_integer()) {
        const int64_t v = value->get<int64_t>();
        if (v >= low && v <= high)
            return v;
    }
    invalid(member(where, key), "must be an integer " + (high == kNoLimit ? "of at least " + std::to_string(low)
                                                                           : "from " + std::to_string(low) + " to " +
                                                                                 std::to_string(high)));
}

std::string text(const Json &value, const std::string &where, bool mayBeEmpty)
{
    if (!value.is_string())
        invalid(where, "must be a string");
    std::string s = value.get<std::string>();
    if (s.empty() && !mayBeEmpty)
        invalid(where, "must not be empty");
    return s;
}

std::string text(const Json &object, const std::string &where, const char *key)
{
    return text(*field(object, where, key, true), member(where, key), false);
}

using Visit = std::function<void(const Json &item, const std::string &where)>;

void forEach(const Json *array, const std::string &where, const Visit &f)
{
    if (!array)
        return;
    if (!array->is_array())
        invalid(where, "must be an array");
    for (size_t i = 0; i < array->size(); ++i)
        f((*array)[i], where + "[" + std::to_string(i) + "]");
}

CardDef parseCard(const Json &j, const std::string &where)
{
    requireObject(j, where, {"bus", "slot", "serial", "model", "identity"});
    CardDef card;
    card.bus = static_cast<uint32_t>(integer(j, where, "bus", 1, UINT32_MAX, std::nullopt));
    card.slot = static_cast<uint32_t>(integer(j, where, "slot", 1, UINT32_MAX, std::nullopt));
    card.serial = text(j, where, "serial");
    card.model = text(j, where, "model");
    if (const Json *identity = field(j, where, "identity", false))
        card.identity = text(*identity, member(where, "identity"), true);
    return card;
}

ChassisDef parseChassis(const Json &j, const std::string &where)
{
    requireObject(j, where, {"address", "cards"});
    ChassisDef chassis;
    chassis.address = text(j, where, "address");
    forEach(field(j, where, "cards", false), member(where, "cards"), [&](const Json &c, const std::string &at) {
        CardDef card = parseCard(c, at);
        for (const CardDef &other : chassis.cards) {
            if (other.bus == card.bus && other.slot == card.slot)
                invalid(at, "bus " + std::to_string(card.bus) + " slot " + std::to_string(card.slot) +
                                " already holds a card");
            if (other.serial == card.serial)
                invalid(at, "serial \"" + card.serial + "\" already used in this chassis");
        }
        chassis.cards.push_back(std::move(card));
    });
    return chassis;
}

std::string existingSerial(const Json &j, const std::string &where, const Scenario &s)
{
    std::string serial = text(*field(j, where, "serial", true), member(where, "serial"), false);
    for (const ChassisDef &chassis : s.chassis)
        for (const CardDef &card : chassis.cards)
            if (card.serial == serial)
                return serial;
    invalid(member(where, "serial"), "no card has serial \"" + serial + "\"");
}

FaultRule parseFault(const Json &j, const std::string &where, const Scenario &s)
{
    requireObject(j, where, {"call", "serial", "sub", "nth", "times", "status"});
    FaultRule fault;
    fault.call = text(j, where, "call");
    const CallKind *kind = nullptr; // stays null for "*"
    if (fault.call != "*") {
        kind = findCall(fault.call);
        if (!kind)
            invalid(member(where, "call"), "unknown call \"" + fault.call + "\"");
        if (!kind->faultable)
            invalid(member(where, "call"), fault.call + " cannot be failed");
    }
    if (j.contains("serial")) {
        fault.serial = existingSerial(j, where, s);
        if (kind && !kind->addressesCard)
            invalid(member(where, "serial"), fault.call + " addresses no card");
    }
    if (j.contains("sub")) {
        fault.sub = static_cast<int32_t>(integer(j, where, "sub", 1, kSubUnits, std::nullopt));
        if (kind && !kind->takesSub)
            invalid(member(where, "sub"), fault.call + " takes no sub-unit");
    }
    fault.nth = static_cast<uint64_t>(integer(j, where, "nth", 1, kNoLimit, 1));
    fault.times = static_cast<uint64_t>(integer(j, where, "times", 0, kNoLimit, 1));
    fault.status = static_cast<KordaStatus>(integer(j, where, "status", INT32_MIN, INT32_MAX, std::nullopt));
    if (fault.status == KORDA_STATUS_OK)
        invalid(member(where, "status"), "must not be 0: a failed call returns an error status");
    return fault;
}

InterlockWindow parseInterlock(const Json &j, const std::string &where, const Scenario &s)
{
    requireObject(j, where, {"serial", "from_read", "reads"});
    InterlockWindow window;
    window.serial = existingSerial(j, where, s);
    window.fromRead = static_cast<uint64_t>(integer(j, where, "from_read", 1, kNoLimit, 1));
    window.reads = static_cast<uint64_t>(integer(j, where, "reads", 0, kNoLimit, 0));
    return window;
}

Scenario parseRoot(const Json &root)
{
    requireObject(root, "", {"chassis", "latency_ms", "faults", "interlock"});
    Scenario s;
    forEach(field(root, "", "chassis", true), "chassis", [&](const Json &c, const std::string &at) {
        ChassisDef chassis = parseChassis(c, at);
        for (const ChassisDef &other : s.chassis)
            if (other.address == chassis.address)
                invalid(member(at, "address"), "\"" + chassis.address + "\" is the address of another chassis");
        s.chassis.push_back(std::move(chassis));
    });
    if (const Json *latency = field(root, "", "latency_ms", false)) {
        if (!latency->is_number() || !(latency->get<double>() >= 0.0 && latency->get<double>() <= kMaxLatencyMs))
            invalid("latency_ms", "must be a number of milliseconds from 0 to 60000");
        s.latencyMs = latency->get<double>();
    }
    forEach(field(root, "", "faults", false), "faults",
            [&](const Json &f, const std::string &at) { s.faults.push_back(parseFault(f, at, s)); });
    forEach(field(root, "", "interlock", false), "interlock",
            [&](const Json &i, const std::string &at) { s.interlock.push_back(parseInterlock(i, at, s)); });
    return s;
}

// The refusal as one line: control characters (a line break in a key, an
// escape sequence) are shown escaped, never passed to the terminal raw.
std::string oneLine(const std::string &text)
{
    static const char hex[] = "0123456789abcdef";
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\t')
            line += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            line += std::string("\\x") + hex[byte >> 4] + hex[byte & 0xf];
        else
            line += c;
    }
    return line;
}

} // namespace

ParsedScenario parseScenario(std::string_view jsonText)
{
    Json root;
    try {
        root = Json::parse(jsonText);
    } catch (const Json::exception &e) {
        // A syntax error, or a number beyond a double (1e400). Drop the
        // library's "[json.exception.parse_error.101] " prefix.
        const std::string what = e.what();
        const size_t end = what.find("] ");
        return {std::nullopt, oneLine("not valid JSON: " + (end == std::string::npos ? what : what.substr(end + 2)))};
    }
    try {
        return {parseRoot(root), {}};
    } catch (const Invalid &e) {
        return {std::nullopt, oneLine(e.what())};
    } catch (const std::exception &e) {
        return {std::nullopt, oneLine(std::string("cannot be read: ") + e.what())};
    }
}

std::string identityText(const std::string &model, const std::string &serial)
{
    const char *kind = model == kBatteryModel ? "Battery Simulator 6ch" : "Module";
    return model + " " + kind + ", S/N " + serial + ", FW 2.01";
}

Scenario builtinScenario()
{
    // In bus/slot order the card of the other model sits between the battery
    // simulators, so discovery has to open it, look at it and close it again.
    const std::vector<CardDef> cards = {
        {1, 2, "300001", kBatteryModel, std::nullopt}, {1, 3, "300002", kBatteryModel, std::nullopt},
        {1, 4, "300003", kBatteryModel, std::nullopt}, {1, 5, "400101", "58-110-101", std::nullopt},
        {2, 2, "300004", kBatteryModel, std::nullopt}, {2, 3, "300005", kBatteryModel, std::nullopt},
        {2, 4, "300006", kBatteryModel, std::nullopt}, {2, 5, "300007", kBatteryModel, std::nullopt},
    };
    Scenario s;
    s.chassis = {{kPxiAddress, cards}, {kDefaultLanAddress, cards}};
    return s;
}

} // namespace korda_sim
