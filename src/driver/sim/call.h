// One driver call as the simulator sees it: its name, its inputs for the
// trace, and what it addresses (for the fault filters).
#ifndef TAVR_DRIVER_SIM_CALL_H
#define TAVR_DRIVER_SIM_CALL_H

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "driver/korda.h"

namespace korda_sim {

using Json = nlohmann::ordered_json;

// The calls a fault rule may name, and which of them address a card and a
// sub-unit. KORDA_ErrorCodeToMessage is not among them: it is never failed.
struct CallKind {
    std::string_view name;
    bool addressesCard;
    bool takesSub;
};

inline constexpr CallKind kFaultableCalls[] = {
    {"VESTRA_Connect", false, false},
    {"KORDA_CountFreeCards", false, false},
    {"KORDA_FindFreeCards", false, false},
    {"KORDA_OpenSpecifiedCard", true, false},
    {"KORDA_CloseSpecifiedCard", true, false},
    {"KORDA_CardId", true, false},
    {"KORDA_BattSetVoltage", true, true},
    {"KORDA_BattGetVoltage", true, true},
    {"KORDA_BattSetCurrent", true, true},
    {"KORDA_BattGetCurrent", true, true},
    {"KORDA_BattSetEnable", true, true},
    {"KORDA_BattGetEnable", true, true},
    {"KORDA_BattReadInterlockState", true, true},
    {"KORDA_ClearCard", true, false},
};

inline constexpr std::string_view kErrorCodeToMessage = "KORDA_ErrorCodeToMessage";

// What a call addresses: a card by number, or by bus and slot for the open call.
struct Target {
    KordaSession session = 0;
    std::optional<KordaCard> card;
    std::optional<uint32_t> bus;
    std::optional<uint32_t> slot;
    std::optional<int32_t> sub;
};

class Call {
public:
    explicit Call(std::string_view name) : name_(name) {}

    template <class T>
    Call &arg(const char *key, const T &value)
    {
        inputs_[key] = value;
        return *this;
    }
    Call &session(KordaSession session)
    {
        target_.session = session;
        return arg("session", session);
    }
    Call &card(KordaCard card)
    {
        target_.card = card;
        return arg("card", card);
    }
    Call &busSlot(uint32_t bus, uint32_t slot)
    {
        target_.bus = bus;
        target_.slot = slot;
        return arg("bus", bus).arg("slot", slot);
    }
    Call &sub(int32_t sub)
    {
        target_.sub = sub;
        return arg("sub", sub);
    }

    std::string_view name() const { return name_; }
    const Target &target() const { return target_; }

    // The trace record: name, inputs, status, and the outputs when there are any.
    Json record(KordaStatus status, const Json &out) const
    {
        Json line = {{"call", name_}};
        line.update(inputs_);
        line["status"] = status;
        if (!out.empty())
            line["out"] = out;
        return line;
    }

private:
    std::string_view name_;
    Json inputs_ = Json::object();
    Target target_;
};

} // namespace korda_sim

#endif
