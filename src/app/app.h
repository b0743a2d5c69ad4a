// The application shell: start-up, the message loop and shutdown, and the
// window procedure whose frame tick shows what the frame core draws.
#pragma once

#include <cstdint>

#include "frame/frame.h"
#include "platform/platform.h"

struct FrameValues {
    float animation_angle;    // radians, advanced by frame_draw
    int32_t frame_counter;    // frames presented so far
    uint32_t* surface_pixels; // the locked surface of the current frame
};

extern ViewState view_state; // its scene is never freed by the program
extern FrameValues frame_values;

// Runs the program on the linked platform backend and returns its exit code:
// 0 after a normal end, 1 when start-up failed (the reason went to stderr).
// Every program-wide record starts from zero, so it may run many times.
int app_run(int show_command);

// The main window's procedure: a timer message draws and presents one frame,
// Escape closes the window, its destruction ends the message loop.
intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam);
