#include "app/discovery.h"

#include "channels/channel_map.h"
#include "driver/status/korda_err.h"
#include "panel/api/message_box.h"
#include "panel/api/ui.h"
#include "state/text.h"

#include <cstring>
#include <string>

namespace {

// The text that marks a battery-simulator card in its identity.
const char kModelString[] = "58-214-003";
// Free cards examined at most; the bus and slot lists hold this many.
const uint32_t kMaxCards = 10;
const int32_t kIdLimit = 100;
const std::size_t kSerialChars = 19;
const std::size_t kSerialLength = 6;

// The first position whose serial number (exactly six characters) occurs in
// the identity of a battery-simulator card; 0 for none.
int matchingPosition(const AppState &app, const char *CardID)
{
    if (!std::strstr(CardID, kModelString))
        return 0;
    for (int k = 1; k <= kCardPositions; ++k) {
        const std::string &sn = app.card(k).SN;
        if (sn.size() == kSerialLength && std::strstr(CardID, sn.c_str()))
            return k;
    }
    return 0;
}

void connect(AppState &app)
{
    const int panel = app.bsdpanel;
    if (ui::getInt(panel, ctrl::PXI) != 0) {
        ui::appendMessage(app.bsdpanel, " in PXI Chassis...\n");
        app.error = KORDA_CHECK(app, VESTRA_Connect(0, "PXI", 1024, 1000, &app.sessionID));
        ui::setDimmed(panel, ctrl::IPADDRESS, true);
        ui::processDrawEvents(panel);
    } else {
        const std::string charVal = ui::getText(panel, ctrl::IPADDRESS);
        ui::appendMessage(app.bsdpanel, " in LXI Chassis, IP address: " + charVal + "\n");
        app.error = KORDA_CHECK(app, VESTRA_Connect(0, charVal.c_str(), 1024, 1000, &app.sessionID));
    }
}

void takePosition(AppState &app, int k, KordaCard CardNum, char *CardID)
{
    CardSlot &slot = app.card(k);
    slot.Card = CardNum;
    slot.cardFound = 1;
    ui::appendMessage(app.bsdpanel, "\nCard" + std::to_string(k) + " S/N " + slot.SN + " found");
    KORDA_CHECK(app, KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit));
    CardID[kIdLimit - 1] = '\0';
    const channel_map::PositionControls controls = channel_map::positionControls(k);
    ui::setText(app.bsdpanel, controls.module, CardID);
    ui::setVisible(app.bsdpanel, controls.available, false);
    // Every found card, not only the first: on a slow chassis the operator
    // sees each line as its card is found.
    ui::processDrawEvents(app.bsdpanel);
}

void examineFreeCards(AppState &app)
{
    uint32_t NumCards = 0;
    uint32_t BusList[kMaxCards] = {};
    uint32_t SlotList[kMaxCards] = {};
    KORDA_CHECK(app, KORDA_CountFreeCards(app.sessionID, &NumCards));
    if (NumCards > kMaxCards) {
        std::string line = "\n";
        line += std::to_string(NumCards);
        line += " free cards reported, only the first " + std::to_string(kMaxCards) + " are examined";
        ui::appendMessage(app.bsdpanel, line);
        NumCards = kMaxCards;
    }
    KORDA_CHECK(app, KORDA_FindFreeCards(app.sessionID, NumCards, BusList, SlotList));

    for (uint32_t i = 0; i < NumCards; ++i) {
        // A card that could not be opened has no number of its own: reading or
        // closing with the number of the card before would be about another card.
        KordaCard CardNum = 0;
        if (KORDA_CHECK(app, KORDA_OpenSpecifiedCard(app.sessionID, BusList[i], SlotList[i], &CardNum)) != 0)
            continue;
        // An identity that could not be read matches nothing, so the card is
        // closed again; the text of the card before must not give it a position.
        char CardID[kIdLimit] = {};
        if (KORDA_CHECK(app, KORDA_CardId(app.sessionID, CardNum, CardID, kIdLimit)) != 0)
            CardID[0] = '\0';
        CardID[kIdLimit - 1] = '\0';
        if (const int k = matchingPosition(app, CardID))
            takePosition(app, k, CardNum, CardID);
        else
            KORDA_CHECK(app, KORDA_CloseSpecifiedCard(app.sessionID, CardNum));
    }
}

bool anyCardFound(const AppState &app)
{
    for (int k = 1; k <= kCardPositions; ++k)
        if (app.card(k).cardFound)
            return true;
    return false;
}

} // namespace

void DiscoverCards(AppState &app)
{
    for (int k = 1; k <= kCardPositions; ++k)
        app.card(k).cardFound = 0;
    for (int k = 1; k <= kCardPositions; ++k)
        app.card(k).SN = text::leftCharacters(ui::getText(app.bsdpanel, channel_map::positionControls(k).serial),
                                            kSerialChars);
    connect(app);
    if (app.error == 0)
        examineFreeCards(app);
    ui::appendMessage(app.bsdpanel, anyCardFound(app) ? "\n...OK!\n" : "\nNO MODULES FOUND\n");
}
