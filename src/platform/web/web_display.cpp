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
    bool windowed = false;
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

// A windowed display's picture goes through here on its way to the canvas.
std::vector<uint32_t> staging;

} // namespace

int32_t web_present(const MemorySurface& picture, const SurfaceRect& from) {
    if (picture.locked || from.left < 0 || from.top < 0 || from.right > picture.width ||
        from.bottom > picture.height || from.left >= from.right || from.top >= from.bottom)
        return DISPLAY_ERR_GENERIC;
    const int32_t width = from.right - from.left, height = from.bottom - from.top;
    staging.resize(size_t(width) * height);
    for (int32_t row = 0; row < height; ++row)
        to_canvas_order(&picture.pixels[size_t(from.top + row) * picture.width + from.left],
                        &staging[size_t(row) * width], width);
    web_canvas_present(staging.data(), width, height);
    return DISPLAY_OK;
}

// A windowed primary is the canvas as it is; a full-screen one's back buffer
// starts black and opaque, in the canvas's byte order.
int32_t memory_primary_open(PlatformSurfaceRecord* primary, int32_t& width, int32_t& height) {
    PlatformDisplayRecord* display = primary->display;
    if (display->primary != nullptr) return DISPLAY_ERR_GENERIC;
    if (display->windowed) {
        web_canvas_size(&width, &height);
    } else {
        if (display->width == 0 || primary->attached == nullptr) return DISPLAY_ERR_GENERIC;
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
// to take over exclusively. A windowed display draws at the canvas's own size.
int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t flags) {
    if (window == nullptr || (display->window != nullptr && display->window != window))
        return DISPLAY_ERR_GENERIC;
    display->window = window;
    display->windowed = flags == DISPLAY_COOPERATIVE_NORMAL;
    if (display->windowed) web_window_follow_page(1);
    return DISPLAY_OK;
}

// The mode becomes the canvas's size.
int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel) {
    if (bits_per_pixel != 32 || width <= 0 || height <= 0) return DISPLAY_ERR_UNSUPPORTED;
    if (display->window == nullptr || display->windowed || display->primary != nullptr)
        return DISPLAY_ERR_GENERIC;
    display->width = width;
    display->height = height;
    return DISPLAY_OK;
}

// The blit is where the picture takes the canvas's byte order.
int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t) {
    if (destination->kind != SurfaceKind::back_buffer || source->kind != SurfaceKind::offscreen)
        return DISPLAY_ERR_UNSUPPORTED;
    const MemorySurface& in = source->memory;
    MemorySurface& out = destination->memory;
    SurfaceRect from, to;
    if (in.locked || !blit_rects(rect, x, y, in, out, from, to)) return DISPLAY_ERR_GENERIC;
    for (int32_t row = 0; row < to.bottom - to.top; ++row)
        to_canvas_order(&in.pixels[size_t(from.top + row) * in.width + from.left],
                        &out.pixels[size_t(to.top + row) * out.width + to.left],
                        to.right - to.left);
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
