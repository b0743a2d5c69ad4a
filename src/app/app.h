// The application shell: start-up, the message loop and shutdown.
#pragma once

// Runs the program on the linked platform backend and returns its exit code:
// 0 after a normal end, 1 when start-up failed (the reason went to stderr).
int app_run(int show_command);
