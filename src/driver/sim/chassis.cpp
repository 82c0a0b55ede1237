#include "driver/sim/chassis.h"

#include <algorithm>
#include <tuple>

#include "driver/sim/faults.h"
#include "driver/sim/status.h"

namespace korda_sim {

int32_t Card::readInterlock()
{
    ++interlockReads;
    for (const InterlockWindow &w : interlockWindows)
        if (inWindow(interlockReads, w.fromRead, w.reads))
            return 0;
    return 1;
}

World::World(const Scenario &scenario)
{
    for (const ChassisDef &def : scenario.chassis) {
        Chassis chassis{def.address, {}};
        for (const CardDef &c : def.cards) {
            Card card;
            card.bus = c.bus;
            card.slot = c.slot;
            card.serial = c.serial;
            card.model = c.model;
            card.identity = c.identity.value_or(identityText(c.model, c.serial));
            for (const InterlockWindow &w : scenario.interlock)
                if (w.serial == c.serial)
                    card.interlockWindows.push_back(w);
            chassis.cards.push_back(std::move(card));
        }
        std::sort(chassis.cards.begin(), chassis.cards.end(),
                  [](const Card &a, const Card &b) { return std::tie(a.bus, a.slot) < std::tie(b.bus, b.slot); });
        chassis_.push_back(std::move(chassis));
    }
}

World World::unreadable()
{
    World world;
    world.readable_ = false;
    return world;
}

KordaStatus World::connect(std::string_view address, KordaSession &session)
{
    if (!readable_)
        return kScenarioUnreadable;
    for (size_t i = 0; i < chassis_.size(); ++i) {
        if (chassis_[i].address == address) {
            sessions_.push_back({i, 1});
            session = static_cast<KordaSession>(sessions_.size());
            return KORDA_STATUS_OK;
        }
    }
    return kNoChassisAtAddress;
}

KordaStatus World::chassisOf(KordaSession session, Chassis *&chassis, Session **s)
{
    if (!readable_)
        return kScenarioUnreadable;
    if (session < 1 || static_cast<size_t>(session) > sessions_.size())
        return kBadSession;
    Session &found = sessions_[static_cast<size_t>(session) - 1];
    chassis = &chassis_[found.chassis];
    if (s)
        *s = &found;
    return KORDA_STATUS_OK;
}

Card *World::at(Chassis &chassis, uint32_t bus, uint32_t slot)
{
    for (Card &card : chassis.cards)
        if (card.bus == bus && card.slot == slot)
            return &card;
    return nullptr;
}

Card *World::opened(Chassis &chassis, KordaSession session, KordaCard number)
{
    if (number <= 0) // free cards carry number 0
        return nullptr;
    for (Card &card : chassis.cards)
        if (card.openBy == session && card.number == number)
            return &card;
    return nullptr;
}

KordaStatus World::freeCards(KordaSession session, std::vector<const Card *> &cards)
{
    Chassis *chassis = nullptr;
    if (const KordaStatus st = chassisOf(session, chassis))
        return st;
    cards.clear();
    for (const Card &card : chassis->cards)
        if (card.openBy == 0)
            cards.push_back(&card);
    return KORDA_STATUS_OK;
}

KordaStatus World::open(KordaSession session, uint32_t bus, uint32_t slot, KordaCard &number)
{
    Chassis *chassis = nullptr;
    Session *s = nullptr;
    if (const KordaStatus st = chassisOf(session, chassis, &s))
        return st;
    Card *card = at(*chassis, bus, slot);
    if (!card)
        return kNoCardAtBusSlot;
    if (card->openBy != 0)
        return kCardAlreadyOpen;
    card->openBy = session;
    card->number = s->nextCard++;
    number = card->number;
    return KORDA_STATUS_OK;
}

KordaStatus World::card(KordaSession session, KordaCard number, Card *&card)
{
    Chassis *chassis = nullptr;
    if (const KordaStatus st = chassisOf(session, chassis))
        return st;
    card = opened(*chassis, session, number);
    if (!card)
        return kCardNotOpen;
    return KORDA_STATUS_OK;
}

KordaStatus World::close(KordaSession session, KordaCard number)
{
    Card *c = nullptr;
    if (const KordaStatus st = card(session, number, c))
        return st;
    c->openBy = 0;
    c->number = 0;
    return KORDA_STATUS_OK;
}

KordaStatus World::subUnit(KordaSession session, KordaCard number, int32_t sub, SubUnit *&unit)
{
    Card *c = nullptr;
    if (const KordaStatus st = card(session, number, c))
        return st;
    if (!validSub(sub))
        return kSubUnitOutOfRange;
    unit = &c->subs[static_cast<size_t>(sub - 1)];
    return KORDA_STATUS_OK;
}

const Card *World::addressed(const Target &target)
{
    Chassis *chassis = nullptr;
    if (chassisOf(target.session, chassis) != KORDA_STATUS_OK)
        return nullptr;
    if (target.card)
        return opened(*chassis, target.session, *target.card);
    if (target.bus && target.slot)
        return at(*chassis, *target.bus, *target.slot);
    return nullptr;
}

std::optional<CardState> World::state(std::string_view serial, std::string_view address) const
{
    std::optional<CardState> found;
    for (const Chassis &chassis : chassis_) {
        if (!address.empty() && chassis.address != address)
            continue;
        for (const Card &card : chassis.cards) {
            if (card.serial != serial)
                continue;
            if (found)
                return std::nullopt; // the same serial in two chassis: ambiguous
            found = CardState{chassis.address, card.bus, card.slot, card.serial, card.model, card.identity,
                              card.openBy != 0, card.openBy, card.number, card.subs, card.interlockReads};
        }
    }
    return found;
}

} // namespace korda_sim
