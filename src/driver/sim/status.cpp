#include "driver/sim/status.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

namespace korda_sim {

namespace {

std::map<KordaStatus, std::string> &replacedDescriptions()
{
    static std::map<KordaStatus, std::string> texts;
    return texts;
}

} // namespace

void setDescription(KordaStatus status, std::string text) { replacedDescriptions()[status] = std::move(text); }

void clearDescriptions() { replacedDescriptions().clear(); }

std::string describeStatus(KordaStatus status)
{
    if (const auto it = replacedDescriptions().find(status); it != replacedDescriptions().end())
        return it->second;
    switch (status) {
    case KORDA_STATUS_OK:
        return "Success";
    case KORDA_STATUS_INTERLOCK_UNREADABLE:
        return "Interlock state cannot be read: the card is not responding";
    case KORDA_STATUS_CONNECTION_LOST:
        return "Connection to the chassis lost";
    case kNoChassisAtAddress:
        return "No chassis answers at this address";
    case kBadSession:
        return "Bad session: not opened by VESTRA_Connect";
    case kCardNotOpen:
        return "Card number is not open in this session";
    case kSubUnitOutOfRange:
        return "Sub-unit out of range: valid sub-units are 1 to 6";
    case kNullPointer:
        return "A required pointer argument is null";
    case kBadBufferSize:
        return "Text buffer size must be at least 1";
    case kNoCardAtBusSlot:
        return "No card at this bus and slot";
    case kCardAlreadyOpen:
        return "The card at this bus and slot is already open";
    case kValueOutOfRange:
        return "Value out of range: 0 to 7 V, 0 to 0.1 A, and a number";
    case kScenarioUnreadable:
        return "Simulated chassis: the scenario could not be read (see standard error)";
    default:
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "Unknown status 0x%x", static_cast<unsigned>(static_cast<uint32_t>(status)));
    return text;
}

} // namespace korda_sim
