// Off-screen surfaces in plain memory, as the SDL2 and web backends keep them:
// the surface record those backends share, the making and releasing of
// surfaces, and the rectangle checks of their blits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

struct MemorySurface {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool locked = false;
};

enum class SurfaceKind { primary, back_buffer, offscreen };

// A surface of a backend whose off-screen surfaces are plain memory. The
// backend's own PlatformDisplayRecord holds the rest (window, picture).
// platform_display_create_surface, platform_surface_get_attached, _lock,
// _unlock and _release, and the clipper's operations, are defined for this
// record in memory_surface.cpp; a backend defines the other surface operations
// (platform_surface_blt among them) and the two below. A primary made without
// SURFACE_CAPS_FLIP (a windowed display's) has no back buffer.
struct PlatformSurfaceRecord {
    SurfaceKind kind = SurfaceKind::offscreen;
    PlatformDisplayRecord* display = nullptr;
    // The size of every kind; the pixels of the off-screen surfaces (0x00RRGGBB)
    // and, where the backend keeps them, of the back buffer.
    MemorySurface memory;
    PlatformSurfaceRecord* attached = nullptr; // the primary's back buffer
};

// DISPLAY_OK with width x height black pixels from desc (DDSD_WIDTH and
// DDSD_HEIGHT, 1 to 16384 each), else the error and nothing allocated.
int32_t memory_surface_create(const SurfaceDesc* desc, MemorySurface& surface);
// Never waits: a surface locked already fails at once. Fills desc as a locked
// 32-bit off-screen system-memory surface.
int32_t memory_surface_lock(MemorySurface& surface, SurfaceDesc* desc);
int32_t memory_surface_unlock(MemorySurface& surface);

// The part of a source surface (all of it when rect is null) that a blit
// takes, and where it lands at (x, y); false when either falls outside.
bool blit_rects(const SurfaceRect* rect, int32_t x, int32_t y, const MemorySurface& source,
                const MemorySurface& destination, SurfaceRect& from, SurfaceRect& to);
// What every BltFast of the chain checks: an unlocked off-screen source, a
// back buffer as destination, and the rectangles blit_rects gives. DISPLAY_OK
// with from and to set, or the result the blit fails with.
int32_t blt_fast_rects(PlatformSurface destination, int32_t x, int32_t y, PlatformSurface source,
                       const SurfaceRect* rect, SurfaceRect& from, SurfaceRect& to);

// What a backend supplies for the primary surface and its back buffer. Open
// readies the picture behind a new chain for primary->display and gives the
// chain's size, or says why it cannot; close lets go of it when the primary is
// released.
int32_t memory_primary_open(PlatformSurfaceRecord* primary, int32_t& width, int32_t& height);
void memory_primary_close(PlatformSurfaceRecord* primary);
