// The backend for a web page (Emscripten): the window is the page's canvas,
// messages come from the page's keys and opened files and the emulated timer, and a flip puts
// the picture on the canvas. The page's script (web_library.js) does the
// JavaScript half; these are the C++ halves that meet it.
#pragma once

#include <cstdint>
#include <string>

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
// A file that the page has written into the in-memory file system: dropped on
// a resizable window; the demo's window closes and the file waits for a run of
// view mode (web_scene_to_view).
void web_open_file(const char* path);
}

// Forgets the window, its messages and the window classes after a run of the
// shell, so that the next run starts as the first did.
void web_window_reset();
// The file opened on the demo's window during the run, once ("" when none).
std::string web_scene_to_view();

// What the page's script does for the C++ half (web_library.js).
extern "C" {
// A resizable window's canvas fills the room the page gives it, at the
// device's pixels (the page says each new size by web_size); another's is
// width x height.
void web_window_open(const char* title, int32_t width, int32_t height, int resizable);
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
