// The simulated chassis and their cards, and the sessions open on them.
#ifndef TAVR_DRIVER_SIM_CHASSIS_H
#define TAVR_DRIVER_SIM_CHASSIS_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/korda.h"
#include "driver/sim/call.h"
#include "driver/sim/korda_sim.h"
#include "driver/sim/scenario.h"

namespace korda_sim {

struct Card {
    uint32_t bus = 0;
    uint32_t slot = 0;
    std::string serial;
    std::string model;
    std::string identity;
    std::array<SubUnit, kSubUnits> subs{};
    std::vector<InterlockWindow> interlockWindows;
    uint64_t interlockReads = 0;
    KordaSession openBy = 0; // 0: free
    KordaCard number = 0;    // in the session that opened it

    void clear() { subs = {}; }
    // Answers one interlock read: 0 (active) inside a window, else 1.
    int32_t readInterlock();
};

struct Chassis {
    std::string address;
    std::vector<Card> cards; // in bus/slot order
};

inline bool validSub(int32_t sub) { return sub >= 1 && sub <= kSubUnits; }
inline bool validVolts(double v) { return v >= 0.0 && v <= kMaxVolts; } // false for NaN
inline bool validAmps(double a) { return a >= 0.0 && a <= kMaxAmps; }

// Sessions are numbered 1, 2, ... in connection order; card numbers 1, 2, ...
// in the order a session opens cards. Neither is ever reused, so a stale
// number is refused rather than reaching another card.
class World {
public:
    World() = default;
    explicit World(const Scenario &scenario);
    // A world whose scenario could not be read: every session call fails.
    static World unreadable();

    KordaStatus connect(std::string_view address, KordaSession &session);
    KordaStatus freeCards(KordaSession session, std::vector<const Card *> &cards);
    KordaStatus open(KordaSession session, uint32_t bus, uint32_t slot, KordaCard &number);
    KordaStatus close(KordaSession session, KordaCard number);
    KordaStatus card(KordaSession session, KordaCard number, Card *&card);
    KordaStatus subUnit(KordaSession session, KordaCard number, int32_t sub, SubUnit *&unit);

    // The card a call addresses, if it names one that exists; for fault filters.
    const Card *addressed(const Target &target);

    std::optional<CardState> state(std::string_view serial, std::string_view address) const;

private:
    struct Session {
        size_t chassis = 0;
        KordaCard nextCard = 1;
    };
    KordaStatus chassisOf(KordaSession session, Chassis *&chassis, Session **s = nullptr);
    Card *at(Chassis &chassis, uint32_t bus, uint32_t slot);
    Card *opened(Chassis &chassis, KordaSession session, KordaCard number);

    bool readable_ = true;
    std::vector<Chassis> chassis_;
    std::vector<Session> sessions_; // session n is sessions_[n - 1]
};

} // namespace korda_sim

#endif
