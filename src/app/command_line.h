// The program's own options, and the command-line text: the remaining
// arguments joined with single blanks, used whole as the LAN chassis address.
#pragma once

#include <string>

struct CommandLine {
    std::string text;   // the address text; empty for none
    std::string recordFolder; // where the message record goes, absolute; empty for no record
    bool exit = false;  // nothing to run: print `output` and end with `status`
    int status = 0;
    std::string output; // for standard output (status 0) or standard error
};

CommandLine parseCommandLine(int argc, char **argv);

// The record's folder when none is given: tavr/ in the XDG state folder,
// $XDG_STATE_HOME when that is an absolute path, else ~/.local/state.
std::string defaultRecordFolder();
