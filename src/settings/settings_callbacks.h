// The chassis, serial-number and address settings, which take effect at the
// next start, and quit.
#pragma once

int select_chassis(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int select_SN(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int select_IP(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int quit(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
