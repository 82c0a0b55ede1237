// Card discovery, run once at start-up: connects to the chosen chassis, opens
// every free card and keeps each battery-simulator card whose identity holds
// one of the seven serial numbers, at that serial number's position.
#pragma once

#include "state/app_state.h"

void DiscoverCards(AppState &app);
