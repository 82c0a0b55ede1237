// Prepared sets of the 42 channels' names and setpoints, kept in CSV files
// (setpoint_csv.h): the commands of the panel's "Setpoints" menu.
#pragma once

// Writes every channel's name, voltage and sink current to a file the
// operator chooses. Sends nothing to a card.
void save_setpoints(int panel, void *callbackData);

// Reads a file the operator chooses, checks it whole, and once the operator
// has confirmed what changes, applies every changed setpoint through the
// channel operations, in channel order, as the operator's commit would.
// Dimmed setpoints are left as they are; no output is switched.
void load_setpoints(int panel, void *callbackData);
