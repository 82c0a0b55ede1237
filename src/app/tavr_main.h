#pragma once

// The process: command line, toolkit, start-up, event loop, end. Returns 0
// after quit, -1 when the toolkit cannot start or the panel cannot be loaded,
// 2 for a command line that cannot be used.
int tavr_main(int argc, char **argv);
