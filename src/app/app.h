// The program's entry point: every backend's main() reads the command line
// with app_parse_args and hands the rest to app_run.
#pragma once

#include "app/options.h"

// Runs the program on the linked platform backend and returns its exit code:
// 0 after a normal end, 1 when start-up failed (the reason went to stderr as
// one line, and into a message box).
// Every program-wide record starts from zero, so it may run many times.
int app_run(const AppOptions& options, int show_command);
