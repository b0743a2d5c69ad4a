// The Win32-shaped window system, for the backends whose system has none
// (off-screen surfaces in plain memory: platform/memory_surface.h). The
// emulation keeps the window records, the window classes, the message queue,
// sending, dispatching and the default procedure, the timers (at most one tick
// pending per window) and the cursor's display count; it defines those
// functions of platform.h.
//
// A backend built on it supplies the system_ functions below (how to wait for
// input, what the system's window does, the clock) and posts its input with
// emulation_post as Win32-shaped messages.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// --- The emulated window system ---------------------------------------------------

// Forgets every window, class, queued message, timer and the cursor count; the
// window records of before are invalid after it.
void emulation_reset();
// Queues a message for the window, behind those waiting; false when the window
// is not alive, so that nothing reaches a destroyed window.
bool emulation_post(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// MESSAGE_DROPFILES with a copy of path that lives through the message's dispatch.
bool emulation_post_file(PlatformWindow window, const char* path);
// A resizable window's client size follows the MESSAGE_SIZE messages posted to
// it; its client area lies at the screen's origin, since the emulated systems
// present into the window itself.
//
// lparam of the mouse messages and MESSAGE_SIZE: x (or width) in the low 16
// bits, y (or height) in the next 16, each as a signed 16-bit number.
intptr_t emulation_point(int32_t x, int32_t y);
// wparam of MESSAGE_MOUSEWHEEL: the turn (WHEEL_STEP a notch) and the flags.
uintptr_t emulation_wheel(int32_t turn, uintptr_t flags);
// The window's timer period has run out: its tick is queued unless one waits
// already. False when the window has no running timer.
bool emulation_timer_elapse(PlatformWindow window);
bool emulation_window_alive(PlatformWindow window);
// The style the window was created with (WINDOW_STYLE_), for system_window_open.
uint32_t emulation_window_style(PlatformWindow window);
bool emulation_timer_running(PlatformWindow window);
int emulation_cursor_count();

// A call of the emulated window system, for a backend that watches them.
struct EmulatedCall {
    PlatformOp op;                 // register_class to post_quit
    bool valid;                    // false: a dead window, or a class without a procedure
    const char* name = "";         // the class's name
    const char* title = "";        // the new window's
    uint32_t value = 0;            // style, show command, show, timer id, message or exit code
    uint32_t milliseconds = 0;     // the timer's period
    int32_t width = 0, height = 0; // a new window's, or the desktop's
};

// --- What a backend built on the emulation supplies ---------------------------------

// Sees every emulated call before it acts. Register_class, create_window and
// set_timer fail when it returns nonzero; the other calls go on regardless.
int32_t system_enter(const EmulatedCall& call);
// Makes the system's window for a new record; false (the reason kept for
// platform_error) when it cannot.
bool system_window_open(PlatformWindow window, const char* title, int32_t width, int32_t height);
void system_window_show(PlatformWindow window, bool shown);
// The window has been destroyed (its procedure has heard MESSAGE_DESTROY).
void system_window_close(PlatformWindow window);
void system_cursor_show(bool shown);
// The desktop's size in pixels.
void system_desktop_size(int32_t* width, int32_t* height);
// Makes the system's window cover the desktop without a frame, or gives it
// back the client size it had (width x height); false when it cannot.
bool system_window_fullscreen(PlatformWindow window, bool fullscreen, int32_t width,
                              int32_t height);
// Milliseconds on a clock that only goes forward; the timers run on it.
uint64_t system_clock_ms();
// Waits for input up to timeout_ms (-1: without end) and posts what came with
// emulation_post; false when no input can ever come.
bool system_wait(int32_t timeout_ms);
// A message has been dispatched to its window.
void system_dispatched(const PlatformMessage& message);
