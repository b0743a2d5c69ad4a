// The backend for a web page (Emscripten): the window is the page's canvas,
// messages come from the page's keys and opened files and the emulated timer, and a flip puts
// the picture on the canvas. The page's script (web_library.js) does the
// JavaScript half; these are the C++ halves that meet it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// What the page calls (exported from the module; the page wakes the program
// afterwards). Each queues at most one message for the window.
extern "C" {
// A key went down; key is its Win32 virtual-key code.
void web_key_down(uint32_t key);
void web_key_up(uint32_t key);
// A mouse message (MESSAGE_MOUSEMOVE or a button's) with its MOUSE_FLAG_ bits,
// at x, y in the picture.
void web_mouse(uint32_t message, uint32_t flags, int32_t x, int32_t y);
// The wheel turned by turn (WHEEL_STEP a notch, positive away from the person).
void web_wheel(int32_t turn, uint32_t flags, int32_t x, int32_t y);
// The room the page gives the picture has a new size.
void web_size(int32_t width, int32_t height);
// A file that the page has written into the in-memory file system.
void web_open_file(const char* path);
}

// Forgets the window, its messages and the window classes after a run of the
// shell, so that the next run starts as the first did.
void web_window_reset();

// What the emulated window system asks of the page's window (emulation.h's
// system_ hooks for the windowed view): the room the page gives the canvas
// as the desktop, the page's full screen, the canvas's pixels as the client
// area at (0, 0).
void system_desktop_size(int32_t* width, int32_t* height);
bool system_window_set_fullscreen(PlatformWindow window, bool fullscreen);
bool system_window_client_rect(PlatformWindow window, SurfaceRect* on_screen);

struct MemorySurface;
// Puts the part from of an off-screen picture on all of the canvas, in the
// canvas's byte order: how a windowed display's blit to its primary shows.
int32_t web_present(const MemorySurface& picture, const SurfaceRect& from);

// What the page's script does for the C++ half (web_library.js).
extern "C" {
// A resizable window's canvas follows the room the page gives it (the page
// says its size by web_size); another's is width x height.
void web_window_open(const char* title, int32_t width, int32_t height, int resizable);
// The canvas of a windowed display follows the page's room as a resizable
// window's does.
void web_window_follow_page(int follows);
// The room the page gives the canvas in the device's pixels, at most 3840 x 2160.
void web_room_size(int32_t* width, int32_t* height);
void web_canvas_size(int32_t* width, int32_t* height);
// Asks the page for full screen (or to leave it); zero when it cannot.
int web_window_fullscreen(int fullscreen);
void web_window_show(int shown);
void web_cursor_hide(int hidden);
// The page's clock in milliseconds.
double web_clock_ms();
// Sleeps until the page has queued a message or timeout_ms have gone (-1:
// without a limit).
void web_wait_for_message(int32_t timeout_ms);
// width x height pixels in the canvas's byte order onto all of the canvas,
// scaled when its size differs.
void web_canvas_present(const uint32_t* pixels, int32_t width, int32_t height);
// A message for the person: the page shows its text.
void web_show_message(const char* title, const char* text);
void web_program_started();
void web_program_ended(int exit_code);
// Sleeps until the page asks for another run.
void web_wait_for_restart();
}
