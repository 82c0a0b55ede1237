// The check every driver status goes through, with the source line of the call.
#pragma once

#include "driver/korda.h"
#include "state/app_state.h"

// A non-zero status is reported: one line in the message box and the
// "ERROR KORDA" popup. A lost chassis connection (4112) also stops the poll,
// raises stopSFPdueToFail and clears every found flag. Returns `status`.
KordaStatus KORDA_ERR(AppState &app, int line, KordaStatus status);

// Makes a driver call and checks its status with the line of the call.
#define KORDA_CHECK(app, call) KORDA_ERR((app), __LINE__, (call))
