// What the SDL2 backend's window half and display half tell each other.
#pragma once

#include "platform/platform.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

// Starts SDL's video on a real display; on failure keeps the reason.
bool sdl_video_start();
// Keeps the reason of a failure for platform_error.
__attribute__((format(printf, 1, 2))) void sdl_failure(const char* format, ...);
// The SDL window of the live platform window, null once it is destroyed.
SDL_Window* sdl_window_handle(PlatformWindow window);
// Takes down the SDL window of a destroyed platform window.
void sdl_window_forget_if_destroyed(PlatformWindow window);
// Whether a display device still draws into the window.
bool sdl_display_uses_window(PlatformWindow window);
// A render reset was seen: the primary surface and its back buffer are lost.
void sdl_display_mark_lost();
// Ends SDL; main calls it after the shell has returned.
void sdl_backend_shutdown();
