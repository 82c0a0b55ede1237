// Operations on many channels at once: per-module set-all, enable-all,
// re-call of the setpoints, and reset after an interlock.
#pragma once

int set_all(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int enable_all(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int re_current_all(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int re_enable_all(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int reset(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
