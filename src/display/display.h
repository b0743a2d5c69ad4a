// The display: two off-screen surfaces that take turns, presented either in
// full-screen exclusive mode by one blit to the back buffer and one flip, or
// in a window (the normal cooperative level) by one scaled blit onto the
// window's client area on a primary without back buffer, clipped to it.
//
// A locked surface holds a picture as the frame core draws it: width x height
// 32-bit pixels 0x00RRGGBB, rows top to bottom, each exactly width pixels
// long.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct DisplayState {
    PlatformDisplay display;
    PlatformSurface primary;
    PlatformSurface back_buffer; // released together with the primary; null in a window
    PlatformClipper clipper;     // a windowed display's
    PlatformWindow window;
    PlatformSurface surface_a;
    PlatformSurface surface_b;
    int32_t width;
    int32_t height;
    SurfaceDesc surface_desc; // shared by the creations and every lock
    int32_t current_is_a;     // 0 at start: the first frame uses surface_b
};

extern DisplayState display_state;

// Starts display_state afresh. False when a platform call failed
// (display_error() then names its result); the surfaces not yet created stay
// null.
bool display_init(PlatformWindow window, int32_t width, int32_t height);
// The same for a window: the off-screen surfaces are width x height, the
// picture's size, whatever the client area's.
bool display_init_windowed(PlatformWindow window, int32_t width, int32_t height);
// New off-screen surfaces of width x height for a windowed display; false
// (and no surface) when they cannot be made.
bool display_resize(int32_t width, int32_t height);
// Why display_init failed, in a few words and the platform's code:
// "unsupported (0x80004001)".
const char* display_error();
// True with *pixels set to the current surface's first pixel, which stays
// locked until display_present; false when the lock failed, the surface is not
// 32 bits per pixel or there is no surface (*pixels unchanged).
bool display_lock(uint32_t** pixels);
// Unlocks the current surface and shows it (the back buffer and a flip, or the
// window's client area); the other surface becomes current. Does nothing when there is no surface.
void display_present();
// Restores the surfaces in order; false at the first restore that failed.
bool display_restore();
// Releases what exists, which gives the display mode back.
void display_shutdown();
