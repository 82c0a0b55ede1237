// Statuses the simulated chassis returns, and their descriptions.
#ifndef TAVR_DRIVER_SIM_STATUS_H
#define TAVR_DRIVER_SIM_STATUS_H

#include <string>

#include "driver/korda.h"

namespace korda_sim {

// The statuses of korda.h plus the simulator's own. Values are fixed: scenarios
// and traces refer to them by number.
enum SimStatus : KordaStatus {
    kNoChassisAtAddress = 0x1013, // VESTRA_Connect: nothing at that address
    kBadSession = 0x2001,         // session not opened by VESTRA_Connect
    kCardNotOpen = 0x2002,        // card number not open in this session
    kSubUnitOutOfRange = 0x2003,  // sub-unit outside 1..6
    kNullPointer = 0x2004,        // a required pointer argument is null
    kBadBufferSize = 0x2005,      // text buffer size below 1
    kNoCardAtBusSlot = 0x2006,    // nothing at that bus and slot of the chassis
    kCardAlreadyOpen = 0x2007,    // the card at that bus and slot is open already
    kValueOutOfRange = 0x2008,    // setpoint outside the card's range, or not a number
    kScenarioUnreadable = 0x2009, // the scenario could not be loaded
};

// Description of any status. Values the simulator does not use itself (a
// scenario may inject any) get "Unknown status 0x..." with the value in hex.
std::string describeStatus(KordaStatus status);

// Replaces the description of one status (tests: texts of any length or
// content); clearDescriptions() brings back the simulator's own.
void setDescription(KordaStatus status, std::string text);
void clearDescriptions();

} // namespace korda_sim

#endif
