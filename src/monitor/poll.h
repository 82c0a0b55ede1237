// The interlock and read-back poll: the callback of the panel's timer.
#pragma once

int timer(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
