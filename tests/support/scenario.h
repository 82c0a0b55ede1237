// The one builder of simulator scenarios for the tests: a chassis at an
// address holding cards, with fault rules, interlock windows and a latency.
// Free of Qt, so that the simulator's own tests use it too.
//   scenario::Chassis::at({1, 3}).fault({.call = "KORDA_BattSetEnable", .status = 8})
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario {

inline constexpr char kModel[] = "58-214-003";          // the battery simulator
inline constexpr char kOtherModel[] = "58-110-101";     // a card the panel does not drive
inline constexpr char kDefaultAddress[] = "192.168.100.10"; // the panel's default LAN chassis

struct Card {
    int bus;
    int slot;
    std::string serial;
    std::string model = kModel;
    std::optional<std::string> identity = {}; // else built by the simulator from model and serial
};

// `call` fails with `status` on the card `serial` (empty: any), sub-unit `sub`
// (0: any), from its `nth` matching call on, `times` times (0: for ever).
struct Fault {
    std::string call;
    int status;
    std::string serial = {};
    int sub = 0;
    int nth = 1;
    int times = 1;
};

// The interlock of card `serial` is active from its `fromRead`th read on, for
// `reads` reads (0: for ever).
struct Interlock {
    std::string serial;
    int fromRead = 1;
    int reads = 0;
};

class Chassis {
public:
    explicit Chassis(std::string address = kDefaultAddress) : address_(std::move(address)) {}

    // The battery simulator of each position k, serial "30000k", at bus 1, slot 1 + k.
    static Chassis at(const std::vector<int> &positions, std::string address = kDefaultAddress)
    {
        Chassis c(std::move(address));
        for (const int k : positions)
            c.card({1, 1 + k, "30000" + std::to_string(k)});
        return c;
    }
    // Battery simulators with these serials at bus 1, slots 2, 3, ... in this order.
    static Chassis withSerials(const std::vector<std::string> &serials, std::string address = kDefaultAddress)
    {
        Chassis c(std::move(address));
        int slot = 2;
        for (const std::string &serial : serials)
            c.card({1, slot++, serial});
        return c;
    }
    static std::vector<std::string> allSevenSerials()
    {
        return {"300001", "300002", "300003", "300004", "300005", "300006", "300007"};
    }

    Chassis &card(const Card &c) { return add(cards_, cardJson(c)); }
    Chassis &cards(const std::vector<Card> &list)
    {
        for (const Card &c : list)
            card(c);
        return *this;
    }
    Chassis &fault(const Fault &f) { return add(faults_, faultJson(f)); }
    // Fault rules and interlock windows as they stand in a scenario file,
    // comma-separated, e.g. to leave out the keys that have defaults.
    Chassis &faultText(const std::string &rules) { return add(faults_, rules); }
    Chassis &interlockText(const std::string &windows) { return add(interlocks_, windows); }
    Chassis &faults(const std::vector<Fault> &list)
    {
        for (const Fault &f : list)
            fault(f);
        return *this;
    }
    Chassis &interlock(const Interlock &i)
    {
        return add(interlocks_, "{\"serial\": " + quoted(i.serial) + ", \"from_read\": " + std::to_string(i.fromRead) +
                                    ", \"reads\": " + std::to_string(i.reads) + "}");
    }
    Chassis &latency(double ms)
    {
        latencyMs_ = ms;
        return *this;
    }

    std::string json() const
    {
        std::string text = "{\"chassis\": [{\"address\": " + quoted(address_) + ", \"cards\": [" + cards_ + "]}]";
        if (!faults_.empty())
            text += ", \"faults\": [" + faults_ + "]";
        if (!interlocks_.empty())
            text += ", \"interlock\": [" + interlocks_ + "]";
        if (latencyMs_ > 0.0)
            text += ", \"latency_ms\": " + std::to_string(latencyMs_);
        return text + "}";
    }
    operator std::string() const { return json(); }

    static std::string quoted(const std::string &text)
    {
        std::string q = "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                q += '\\';
            q += c;
        }
        return q + "\"";
    }

private:
    Chassis &add(std::string &list, const std::string &item)
    {
        if (!list.empty())
            list += ", ";
        list += item;
        return *this;
    }
    static std::string cardJson(const Card &c)
    {
        std::string text = "{\"bus\": " + std::to_string(c.bus) + ", \"slot\": " + std::to_string(c.slot) +
                           ", \"serial\": " + quoted(c.serial) + ", \"model\": " + quoted(c.model);
        if (c.identity)
            text += ", \"identity\": " + quoted(*c.identity);
        return text + "}";
    }
    static std::string faultJson(const Fault &f)
    {
        std::string text = "{\"call\": " + quoted(f.call) + ", \"status\": " + std::to_string(f.status);
        if (!f.serial.empty())
            text += ", \"serial\": " + quoted(f.serial);
        if (f.sub != 0)
            text += ", \"sub\": " + std::to_string(f.sub);
        return text + ", \"nth\": " + std::to_string(f.nth) + ", \"times\": " + std::to_string(f.times) + "}";
    }

    std::string address_;
    std::string cards_, faults_, interlocks_;
    double latencyMs_ = 0.0;
};

// A world in which no chassis answers anywhere.
inline std::string noChassis() { return R"({"chassis": []})"; }

} // namespace scenario
