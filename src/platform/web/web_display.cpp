// The display device in a page: off-screen surfaces are plain memory, the back
// buffer holds the picture in the canvas's byte order, and a flip puts it on
// the canvas; a windowed display has no back buffer, and a blit to its primary
// puts the picture on the canvas. A page has no display mode to take over, and
// a 2D canvas keeps its pixels, so no surface is ever lost.
#include <vector>

#include "platform/memory_surface.h"
#include "platform/web/web_backend.h"

struct PlatformDisplayRecord {
    PlatformWindow window = nullptr;
    int32_t width = 0, height = 0;
    PlatformSurfaceRecord* primary = nullptr;
};

namespace {

PlatformDisplayRecord* the_display = nullptr;

// 0x00RRGGBB -> the bytes R, G, B, 255 of the canvas's image data. Plain
// integer work: every compiler and vector width gives the same bytes.
void to_canvas_order(const uint32_t* from, uint32_t* to, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t p = from[i];
        to[i] = 0xFF000000u | (p & 0xFF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

// The rows of from in picture, in the canvas's byte order, into out (rows of
// out_width pixels) from (left, top) on.
void rows_to_canvas_order(const MemorySurface& picture, const SurfaceRect& from, uint32_t* out,
                          int32_t out_width, int32_t left, int32_t top) {
    for (int32_t row = 0; row < from.bottom - from.top; ++row)
        to_canvas_order(&picture.pixels[size_t(from.top + row) * picture.width + from.left],
                        &out[size_t(top + row) * out_width + left], from.right - from.left);
}

// A windowed display's picture goes through here on its way to the canvas.
std::vector<uint32_t> staging;

} // namespace

// A windowed primary (no back buffer) is the canvas as it is; a flipping
// one's back buffer starts black and opaque, in the canvas's byte order.
int32_t memory_primary_open(PlatformSurfaceRecord* primary, int32_t& width, int32_t& height) {
    PlatformDisplayRecord* display = primary->display;
    if (display->primary != nullptr) return DISPLAY_ERR_GENERIC;
    if (primary->attached == nullptr) {
        web_canvas_size(&width, &height);
    } else {
        if (display->width == 0) return DISPLAY_ERR_GENERIC;
        primary->attached->memory.pixels.assign(size_t(display->width) * display->height,
                                                0xFF000000);
        width = display->width;
        height = display->height;
    }
    display->primary = primary;
    return DISPLAY_OK;
}

void memory_primary_close(PlatformSurfaceRecord* primary) {
    primary->display->primary = nullptr;
}

int32_t platform_display_create(PlatformDisplay* display) {
    if (the_display != nullptr) return DISPLAY_ERR_GENERIC;
    the_display = new PlatformDisplayRecord;
    *display = the_display;
    return DISPLAY_OK;
}

// The page shows the canvas however the person has sized it; there is nothing
// to take over exclusively.
int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t) {
    if (window == nullptr || (display->window != nullptr && display->window != window))
        return DISPLAY_ERR_GENERIC;
    display->window = window;
    return DISPLAY_OK;
}

// The mode becomes the canvas's size.
int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel) {
    if (bits_per_pixel != 32 || width <= 0 || height <= 0) return DISPLAY_ERR_UNSUPPORTED;
    if (display->window == nullptr || display->primary != nullptr) return DISPLAY_ERR_GENERIC;
    display->width = width;
    display->height = height;
    return DISPLAY_OK;
}

// The blit is where the picture takes the canvas's byte order.
int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t) {
    SurfaceRect from, to;
    const int32_t checked = blt_fast_rects(destination, x, y, source, rect, from, to);
    if (checked != DISPLAY_OK) return checked;
    MemorySurface& out = destination->memory;
    rows_to_canvas_order(source->memory, from, out.pixels.data(), out.width, to.left, to.top);
    return DISPLAY_OK;
}

// Only into a windowed primary, whose rectangle is all of the canvas (the
// client area lies at the page's origin): the picture in the canvas's byte
// order, scaled by the page when its size is not the canvas's.
int32_t platform_surface_blt(PlatformSurface destination, const SurfaceRect*,
                             PlatformSurface source, const SurfaceRect* source_rect, uint32_t) {
    if (destination->kind != SurfaceKind::primary || destination->attached != nullptr ||
        source->kind != SurfaceKind::offscreen)
        return DISPLAY_ERR_UNSUPPORTED;
    const MemorySurface& picture = source->memory;
    SurfaceRect from, unused;
    if (picture.locked || !blit_rects(source_rect, 0, 0, picture, picture, from, unused))
        return DISPLAY_ERR_GENERIC;
    const int32_t width = from.right - from.left, height = from.bottom - from.top;
    staging.resize(size_t(width) * height);
    rows_to_canvas_order(picture, from, staging.data(), width, 0, 0);
    web_canvas_present(staging.data(), width, height);
    return DISPLAY_OK;
}

int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface, uint32_t) {
    if (surface->kind != SurfaceKind::primary) return DISPLAY_ERR_UNSUPPORTED;
    const MemorySurface& back = surface->attached->memory;
    web_canvas_present(back.pixels.data(), back.width, back.height);
    return DISPLAY_OK;
}

int32_t platform_surface_restore(PlatformSurface) {
    return DISPLAY_OK;
}

uint32_t platform_display_release(PlatformDisplay display) {
    if (display->primary != nullptr) platform_surface_release(display->primary);
    delete display;
    the_display = nullptr;
    return 0;
}
