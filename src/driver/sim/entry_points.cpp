// The driver functions of korda.h, each one call through the simulator.
#include <algorithm>
#include <cstring>

#include "driver/korda.h"
#include "driver/sim/simulator.h"

using korda_sim::Call;
using korda_sim::CallId;
using korda_sim::Card;
using korda_sim::Json;
using korda_sim::SubUnit;
using korda_sim::World;

namespace {

constexpr KordaStatus kOk = KORDA_STATUS_OK;

KordaStatus run(const Call &call, const korda_sim::Simulator::Body &body)
{
    return korda_sim::Simulator::instance().run(call, body);
}

KordaStatus checkBuffer(const char *text, int32_t size)
{
    if (!text)
        return korda_sim::kNullPointer;
    return size > 0 ? kOk : korda_sim::kBadBufferSize;
}

// Copies at most size - 1 characters and a terminator; returns what was copied.
std::string copyText(const std::string &text, char *dest, int32_t size)
{
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
    return text.substr(0, n);
}

KordaStatus setSubUnit(CallId id, KordaSession session, KordaCard card, int32_t sub, const char *key,
                       double value, bool (*valid)(double), double SubUnit::*field)
{
    return run(Call(id).session(session).card(card).sub(sub).arg(key, value), [&](World &w, Json &) {
        SubUnit *unit = nullptr;
        if (const KordaStatus st = w.subUnit(session, card, sub, unit))
            return st;
        if (!valid(value))
            return KordaStatus{korda_sim::kValueOutOfRange};
        unit->*field = value;
        return kOk;
    });
}

template <class T>
KordaStatus getSubUnit(CallId id, KordaSession session, KordaCard card, int32_t sub, const char *key,
                       T *value, T SubUnit::*field)
{
    return run(Call(id).session(session).card(card).sub(sub), [&](World &w, Json &out) {
        SubUnit *unit = nullptr;
        if (const KordaStatus st = w.subUnit(session, card, sub, unit))
            return st;
        if (!value)
            return KordaStatus{korda_sim::kNullPointer};
        *value = unit->*field;
        out[key] = *value;
        return kOk;
    });
}

} // namespace

extern "C" {

KordaStatus VESTRA_Connect(uint32_t flags, const char *address, uint32_t port, uint32_t timeoutMs,
                           KordaSession *session)
{
    Call call(CallId::VESTRA_Connect);
    call.arg("address", address ? Json(address) : Json(nullptr))
        .arg("flags", flags)
        .arg("port", port)
        .arg("timeout_ms", timeoutMs);
    return run(call, [&](World &w, Json &out) {
        if (!address || !session)
            return KordaStatus{korda_sim::kNullPointer};
        KordaSession opened = 0;
        if (const KordaStatus st = w.connect(address, opened))
            return st;
        *session = opened;
        out["session"] = opened;
        return kOk;
    });
}

KordaStatus KORDA_CountFreeCards(KordaSession session, uint32_t *numCards)
{
    return run(Call(CallId::KORDA_CountFreeCards).session(session), [&](World &w, Json &out) {
        std::vector<const Card *> free;
        if (const KordaStatus st = w.freeCards(session, free))
            return st;
        if (!numCards)
            return KordaStatus{korda_sim::kNullPointer};
        *numCards = static_cast<uint32_t>(free.size());
        out["count"] = *numCards;
        return kOk;
    });
}

// Entries beyond the free cards are set to bus 0, slot 0, where no card sits.
KordaStatus KORDA_FindFreeCards(KordaSession session, uint32_t numCards, uint32_t *busList, uint32_t *slotList)
{
    return run(Call(CallId::KORDA_FindFreeCards).session(session).arg("count", numCards), [&](World &w, Json &out) {
        std::vector<const Card *> free;
        if (const KordaStatus st = w.freeCards(session, free))
            return st;
        if (!busList || !slotList)
            return KordaStatus{korda_sim::kNullPointer};
        Json buses = Json::array();
        Json slots = Json::array();
        for (uint32_t i = 0; i < numCards; ++i) {
            const Card *card = i < free.size() ? free[i] : nullptr;
            busList[i] = card ? card->bus : 0;
            slotList[i] = card ? card->slot : 0;
            buses.push_back(busList[i]);
            slots.push_back(slotList[i]);
        }
        out["buses"] = std::move(buses);
        out["slots"] = std::move(slots);
        return kOk;
    });
}

KordaStatus KORDA_OpenSpecifiedCard(KordaSession session, uint32_t bus, uint32_t slot, KordaCard *card)
{
    return run(Call(CallId::KORDA_OpenSpecifiedCard).session(session).busSlot(bus, slot), [&](World &w, Json &out) {
        if (!card)
            return KordaStatus{korda_sim::kNullPointer};
        KordaCard number = 0;
        if (const KordaStatus st = w.open(session, bus, slot, number))
            return st;
        *card = number;
        out["card"] = number;
        return kOk;
    });
}

KordaStatus KORDA_CloseSpecifiedCard(KordaSession session, KordaCard card)
{
    return run(Call(CallId::KORDA_CloseSpecifiedCard).session(session).card(card),
               [&](World &w, Json &) { return w.close(session, card); });
}

KordaStatus KORDA_CardId(KordaSession session, KordaCard card, char *text, int32_t size)
{
    return run(Call(CallId::KORDA_CardId).session(session).card(card).arg("size", size), [&](World &w, Json &out) {
        Card *c = nullptr;
        if (const KordaStatus st = w.card(session, card, c))
            return st;
        if (const KordaStatus st = checkBuffer(text, size))
            return st;
        out["text"] = copyText(c->identity, text, size);
        return kOk;
    });
}

KordaStatus KORDA_BattSetVoltage(KordaSession session, KordaCard card, int32_t sub, double volts)
{
    return setSubUnit(CallId::KORDA_BattSetVoltage, session, card, sub, "volts", volts, korda_sim::validVolts,
                      &SubUnit::volts);
}

KordaStatus KORDA_BattGetVoltage(KordaSession session, KordaCard card, int32_t sub, double *volts)
{
    return getSubUnit(CallId::KORDA_BattGetVoltage, session, card, sub, "volts", volts, &SubUnit::volts);
}

KordaStatus KORDA_BattSetCurrent(KordaSession session, KordaCard card, int32_t sub, double amps)
{
    return setSubUnit(CallId::KORDA_BattSetCurrent, session, card, sub, "amps", amps, korda_sim::validAmps,
                      &SubUnit::amps);
}

KordaStatus KORDA_BattGetCurrent(KordaSession session, KordaCard card, int32_t sub, double *amps)
{
    return getSubUnit(CallId::KORDA_BattGetCurrent, session, card, sub, "amps", amps, &SubUnit::amps);
}

// Any non-zero state switches the output on; it reads back as 1.
KordaStatus KORDA_BattSetEnable(KordaSession session, KordaCard card, int32_t sub, int32_t state)
{
    Call call(CallId::KORDA_BattSetEnable);
    return run(call.session(session).card(card).sub(sub).arg("state", state), [&](World &w, Json &) {
        SubUnit *unit = nullptr;
        if (const KordaStatus st = w.subUnit(session, card, sub, unit))
            return st;
        unit->enable = state != 0 ? 1 : 0;
        return kOk;
    });
}

KordaStatus KORDA_BattGetEnable(KordaSession session, KordaCard card, int32_t sub, int32_t *state)
{
    return getSubUnit(CallId::KORDA_BattGetEnable, session, card, sub, "state", state, &SubUnit::enable);
}

// The interlock belongs to the card; any valid sub-unit reads it. Only reads
// that reach the card (valid arguments, no injected fault) are counted.
KordaStatus KORDA_BattReadInterlockState(KordaSession session, KordaCard card, int32_t sub, int32_t *state)
{
    Call call(CallId::KORDA_BattReadInterlockState);
    return run(call.session(session).card(card).sub(sub), [&](World &w, Json &out) {
        Card *c = nullptr;
        if (const KordaStatus st = w.card(session, card, c))
            return st;
        if (!korda_sim::validSub(sub))
            return KordaStatus{korda_sim::kSubUnitOutOfRange};
        if (!state)
            return KordaStatus{korda_sim::kNullPointer};
        *state = c->readInterlock();
        out["state"] = *state;
        return kOk;
    });
}

KordaStatus KORDA_ClearCard(KordaSession session, KordaCard card)
{
    return run(Call(CallId::KORDA_ClearCard).session(session).card(card), [&](World &w, Json &) {
        Card *c = nullptr;
        if (const KordaStatus st = w.card(session, card, c))
            return st;
        c->clear();
        return kOk;
    });
}

KordaStatus KORDA_ErrorCodeToMessage(KordaStatus status, char *text, int32_t size)
{
    Call call(CallId::KORDA_ErrorCodeToMessage);
    return run(call.arg("status_in", status).arg("size", size), [&](World &, Json &out) {
        if (const KordaStatus st = checkBuffer(text, size))
            return st;
        out["text"] = copyText(korda_sim::describeStatus(status), text, size);
        return kOk;
    });
}

} // extern "C"
