// One driver call as the simulator sees it: its name, its inputs for the
// trace, and what it addresses (for the fault filters).
#ifndef TAVR_DRIVER_SIM_CALL_H
#define TAVR_DRIVER_SIM_CALL_H

#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "driver/korda.h"

namespace korda_sim {

using Json = nlohmann::ordered_json;

// Every entry point of korda.h, once: the name that traces and fault rules use,
// whether a fault rule may fail it, and whether it addresses a card and a
// sub-unit. An entry point can only make its Call from its own row (CallId),
// so no driver function can be added without a row here; and a row compiles
// only for a function that korda.h declares.
#define KORDA_SIM_ENTRY_POINTS(X)                                                                  \
    /*  name                          can fail  card   sub-unit */                                 \
    X(VESTRA_Connect,                 true,     false, false)                                      \
    X(KORDA_CountFreeCards,           true,     false, false)                                      \
    X(KORDA_FindFreeCards,            true,     false, false)                                      \
    X(KORDA_OpenSpecifiedCard,        true,     true,  false)                                      \
    X(KORDA_CloseSpecifiedCard,       true,     true,  false)                                      \
    X(KORDA_CardId,                   true,     true,  false)                                      \
    X(KORDA_BattSetVoltage,           true,     true,  true)                                       \
    X(KORDA_BattGetVoltage,           true,     true,  true)                                       \
    X(KORDA_BattSetCurrent,           true,     true,  true)                                       \
    X(KORDA_BattGetCurrent,           true,     true,  true)                                       \
    X(KORDA_BattSetEnable,            true,     true,  true)                                       \
    X(KORDA_BattGetEnable,            true,     true,  true)                                       \
    X(KORDA_BattReadInterlockState,   true,     true,  true)                                       \
    X(KORDA_ClearCard,                true,     true,  false)                                      \
    /* the status texts live in the driver itself: no chassis traffic, never failed */             \
    X(KORDA_ErrorCodeToMessage,       false,    false, false)

enum class CallId {
#define KORDA_SIM_ID(name, faultable, card, sub) name,
    KORDA_SIM_ENTRY_POINTS(KORDA_SIM_ID)
#undef KORDA_SIM_ID
};

struct CallKind {
    std::string_view name;
    bool faultable;
    bool addressesCard;
    bool takesSub;
};

inline constexpr CallKind kCalls[] = {
#define KORDA_SIM_KIND(name, faultable, card, sub) {#name, faultable, card, sub},
    KORDA_SIM_ENTRY_POINTS(KORDA_SIM_KIND)
#undef KORDA_SIM_KIND
};

#define KORDA_SIM_DECLARED(name, faultable, card, sub)                                             \
    static_assert(std::is_function_v<decltype(name)>, #name " is not a driver function of korda.h");
KORDA_SIM_ENTRY_POINTS(KORDA_SIM_DECLARED)
#undef KORDA_SIM_DECLARED

constexpr const CallKind &kindOf(CallId id) { return kCalls[static_cast<std::size_t>(id)]; }

// The row of the call a fault rule names; nullptr for no driver function.
constexpr const CallKind *findCall(std::string_view name)
{
    for (const CallKind &kind : kCalls)
        if (kind.name == name)
            return &kind;
    return nullptr;
}

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
    explicit Call(CallId id) : kind_(&kindOf(id)) {}

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

    std::string_view name() const { return kind_->name; }
    const CallKind &kind() const { return *kind_; }
    const Target &target() const { return target_; }

    // The trace record: name, inputs, status, and the outputs when there are any.
    Json record(KordaStatus status, const Json &out) const
    {
        Json line = {{"call", kind_->name}};
        line.update(inputs_);
        line["status"] = status;
        if (!out.empty())
            line["out"] = out;
        return line;
    }

private:
    const CallKind *kind_;
    Json inputs_ = Json::object();
    Target target_;
};

} // namespace korda_sim

#endif
