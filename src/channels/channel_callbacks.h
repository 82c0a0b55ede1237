// The callbacks of the 42 channels' voltage, sink-current and enable controls.
// The group operations and quit call them directly, as if the operator had
// committed the control.
#pragma once

int ctrl_voltage_source(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ctrl_current_sink(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ctrl_enable(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
