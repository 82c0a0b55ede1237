#pragma once

// The process: command line, toolkit, start-up, event loop, end. After quit
// the process ends without returning (a sanitized build returns) with 0, or
// kExitStateNotSaved when the quit could not save the state file; returns -1
// when the toolkit cannot start or the panel cannot be loaded, 2 for a
// command line that cannot be used.
int tavr_main(int argc, char **argv);

inline constexpr int kExitStateNotSaved = 4;
