/*
 * The card driver and chassis client, as tavr calls them.
 *
 * These are the only driver entry points the program uses. The build links
 * them either from the simulated chassis in sim/ (the default) or from the
 * card maker's own libraries (see the README). Every function returns a
 * status: 0 is success, anything else an error that KORDA_ErrorCodeToMessage
 * describes. Voltages are in volts, currents in amperes.
 */
#ifndef TAVR_DRIVER_KORDA_H
#define TAVR_DRIVER_KORDA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t KordaStatus;  /* 0 = success */
typedef int32_t KordaSession; /* chassis session from VESTRA_Connect */
typedef int32_t KordaCard;    /* card number from KORDA_OpenSpecifiedCard */

/* Statuses that carry a meaning of their own for the panel. */
enum {
    KORDA_STATUS_OK = 0,
    KORDA_STATUS_INTERLOCK_UNREADABLE = 34,   /* interlock read: card no longer readable */
    KORDA_STATUS_CONNECTION_LOST = 0x1010     /* 4112: chassis connection lost */
};

/* Chassis client: opens the session every card call is made with.
 * address is "PXI" for the local PXI chassis, else the LAN chassis' IP address. */
KordaStatus VESTRA_Connect(uint32_t flags, const char *address, uint32_t port, uint32_t timeoutMs,
                           KordaSession *session);

KordaStatus KORDA_CountFreeCards(KordaSession session, uint32_t *numCards);
/* Fills busList and slotList with numCards entries each. */
KordaStatus KORDA_FindFreeCards(KordaSession session, uint32_t numCards, uint32_t *busList,
                                uint32_t *slotList);

KordaStatus KORDA_OpenSpecifiedCard(KordaSession session, uint32_t bus, uint32_t slot, KordaCard *card);
KordaStatus KORDA_CloseSpecifiedCard(KordaSession session, KordaCard card);

/* Identity text of at most size - 1 characters plus terminator. */
KordaStatus KORDA_CardId(KordaSession session, KordaCard card, char *text, int32_t size);

/* sub is the sub-unit (channel on the card), 1..6. */
KordaStatus KORDA_BattSetVoltage(KordaSession session, KordaCard card, int32_t sub, double volts);
KordaStatus KORDA_BattGetVoltage(KordaSession session, KordaCard card, int32_t sub, double *volts);
KordaStatus KORDA_BattSetCurrent(KordaSession session, KordaCard card, int32_t sub, double amps);
KordaStatus KORDA_BattGetCurrent(KordaSession session, KordaCard card, int32_t sub, double *amps);
KordaStatus KORDA_BattSetEnable(KordaSession session, KordaCard card, int32_t sub, int32_t state);
KordaStatus KORDA_BattGetEnable(KordaSession session, KordaCard card, int32_t sub, int32_t *state);

/* state: non-zero = interlock link intact, 0 = interlock active. */
KordaStatus KORDA_BattReadInterlockState(KordaSession session, KordaCard card, int32_t sub, int32_t *state);

/* Returns all sub-units of the card to 0 V, 0 A, output off. */
KordaStatus KORDA_ClearCard(KordaSession session, KordaCard card);

/* Description of a status, at most size - 1 characters plus terminator. */
KordaStatus KORDA_ErrorCodeToMessage(KordaStatus status, char *text, int32_t size);

#ifdef __cplusplus
}
#endif

#endif
