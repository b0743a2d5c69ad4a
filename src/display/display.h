// The display: full-screen exclusive mode, two off-screen surfaces that take
// turns, and presentation by one blit to the back buffer and one flip.
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
    PlatformSurface back_buffer; // released together with the primary
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
// Why display_init failed, in a few words and the platform's code:
// "unsupported (0x80004001)".
const char* display_error();
// True with *pixels set to the current surface's first pixel, which stays
// locked until display_present; false when the lock failed, the surface is not
// 32 bits per pixel or there is no surface (*pixels unchanged).
bool display_lock(uint32_t** pixels);
// Unlocks the current surface, blits it to the back buffer and flips; the
// other surface becomes current. Does nothing when there is no surface.
void display_present();
// Restores the surfaces in order; false at the first restore that failed.
bool display_restore();
// Releases what exists, which gives the display mode back.
void display_shutdown();
