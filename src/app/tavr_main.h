#pragma once

// The process: command line, toolkit, start-up, event loop, end. After quit
// the process ends with 0 without returning (a sanitized build returns 0);
// returns -1 when the toolkit cannot start or the panel cannot be loaded, 2
// for a command line that cannot be used.
int tavr_main(int argc, char **argv);
