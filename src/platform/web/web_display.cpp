// The display device in a page: off-screen surfaces are plain memory, the back
// buffer holds the picture in the canvas's byte order, and a flip puts it on
// the canvas. A page has no display mode to take over, and a 2D canvas keeps
// its pixels, so no surface is ever lost.
#include <vector>

#include "platform/web/web_backend.h"

namespace {

enum class SurfaceKind { primary, back_buffer, offscreen };

} // namespace

struct PlatformSurfaceRecord {
    SurfaceKind kind = SurfaceKind::offscreen;
    PlatformDisplayRecord* display = nullptr;
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels; // off-screen: 0x00RRGGBB; back buffer: canvas order
    bool locked = false;
    PlatformSurfaceRecord* attached = nullptr; // the primary's back buffer
};

struct PlatformDisplayRecord {
    PlatformWindow window = nullptr;
    int32_t width = 0, height = 0;
    PlatformSurfaceRecord* primary = nullptr;
};

namespace {

PlatformDisplayRecord* the_display = nullptr;

PlatformSurfaceRecord* new_surface(SurfaceKind kind, PlatformDisplayRecord* display) {
    auto* surface = new PlatformSurfaceRecord;
    surface->kind = kind;
    surface->display = display;
    surface->width = display->width;
    surface->height = display->height;
    return surface;
}

bool has(uint32_t value, uint32_t bits) {
    return (value & bits) == bits;
}

int32_t create_primary(PlatformDisplayRecord* display, const SurfaceDesc* desc,
                       PlatformSurface* out) {
    if (!has(desc->flags, SURFACE_FLAG_BACKBUFFERCOUNT) || desc->back_buffer_count != 1 ||
        !has(desc->caps, SURFACE_CAPS_FLIP | SURFACE_CAPS_COMPLEX))
        return DISPLAY_ERR_UNSUPPORTED;
    if (display->width == 0 || display->primary != nullptr) return DISPLAY_ERR_GENERIC;
    PlatformSurfaceRecord* primary = new_surface(SurfaceKind::primary, display);
    primary->attached = new_surface(SurfaceKind::back_buffer, display);
    primary->attached->pixels.assign(size_t(display->width) * display->height, 0xFF000000);
    display->primary = primary;
    *out = primary;
    return DISPLAY_OK;
}

int32_t create_offscreen(PlatformDisplayRecord* display, const SurfaceDesc* desc,
                         PlatformSurface* out) {
    if (!has(desc->flags, SURFACE_FLAG_WIDTH | SURFACE_FLAG_HEIGHT)) return DISPLAY_ERR_GENERIC;
    if (desc->width == 0 || desc->height == 0 || desc->width > 16384 || desc->height > 16384)
        return DISPLAY_ERR_UNSUPPORTED;
    auto* surface = new PlatformSurfaceRecord;
    surface->display = display;
    surface->width = int32_t(desc->width);
    surface->height = int32_t(desc->height);
    surface->pixels.assign(size_t(desc->width) * desc->height, 0);
    *out = surface;
    return DISPLAY_OK;
}

// 0x00RRGGBB -> the bytes R, G, B, 255 of the canvas's image data. Plain
// integer work: every compiler and vector width gives the same bytes.
void to_canvas_order(const uint32_t* from, uint32_t* to, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t p = from[i];
        to[i] = 0xFF000000u | (p & 0xFF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
}

bool rect_inside(const SurfaceRect& r, int32_t width, int32_t height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

} // namespace

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

int32_t platform_display_create_surface(PlatformDisplay display, const SurfaceDesc* desc,
                                        PlatformSurface* surface) {
    if (desc == nullptr || desc->size != SURFACE_DESC_SIZE || !has(desc->flags, SURFACE_FLAG_CAPS))
        return DISPLAY_ERR_GENERIC;
    if (has(desc->caps, SURFACE_CAPS_PRIMARYSURFACE)) return create_primary(display, desc, surface);
    if (has(desc->caps, SURFACE_CAPS_OFFSCREENPLAIN))
        return create_offscreen(display, desc, surface);
    return DISPLAY_ERR_UNSUPPORTED;
}

int32_t platform_surface_get_attached(PlatformSurface surface, uint32_t caps,
                                      PlatformSurface* attached) {
    if (surface->attached == nullptr || !has(caps, SURFACE_CAPS_BACKBUFFER))
        return DISPLAY_ERR_GENERIC;
    *attached = surface->attached;
    return DISPLAY_OK;
}

// Only the off-screen surfaces are the program's to write; a lock never waits,
// so a surface locked already fails at once.
int32_t platform_surface_lock(PlatformSurface surface, SurfaceDesc* desc, uint32_t) {
    if (surface->kind != SurfaceKind::offscreen) return DISPLAY_ERR_UNSUPPORTED;
    if (surface->locked) return DISPLAY_ERR_GENERIC;
    surface->locked = true;
    desc->flags = SURFACE_FLAG_CAPS | SURFACE_FLAG_HEIGHT | SURFACE_FLAG_WIDTH;
    desc->width = uint32_t(surface->width);
    desc->height = uint32_t(surface->height);
    desc->caps = SURFACE_CAPS_OFFSCREENPLAIN | SURFACE_CAPS_SYSTEMMEMORY;
    desc->surface = surface->pixels.data();
    desc->rgb_bit_count = 32;
    return DISPLAY_OK;
}

int32_t platform_surface_unlock(PlatformSurface surface) {
    if (!surface->locked) return DISPLAY_ERR_GENERIC;
    surface->locked = false;
    return DISPLAY_OK;
}

// The blit is where the picture takes the canvas's byte order.
int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t) {
    if (destination->kind != SurfaceKind::back_buffer || source->kind != SurfaceKind::offscreen)
        return DISPLAY_ERR_UNSUPPORTED;
    if (source->locked) return DISPLAY_ERR_GENERIC;
    SurfaceRect from = rect ? *rect : SurfaceRect{0, 0, source->width, source->height};
    if (!rect_inside(from, source->width, source->height)) return DISPLAY_ERR_GENERIC;
    SurfaceRect to{x, y, x + from.right - from.left, y + from.bottom - from.top};
    if (!rect_inside(to, destination->width, destination->height)) return DISPLAY_ERR_GENERIC;
    for (int32_t row = 0; row < to.bottom - to.top; ++row) {
        const uint32_t* in = &source->pixels[size_t(from.top + row) * source->width + from.left];
        uint32_t* out = &destination->pixels[size_t(to.top + row) * destination->width + to.left];
        to_canvas_order(in, out, to.right - to.left);
    }
    return DISPLAY_OK;
}

int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface, uint32_t) {
    if (surface->kind != SurfaceKind::primary) return DISPLAY_ERR_UNSUPPORTED;
    const PlatformSurfaceRecord* back = surface->attached;
    web_canvas_present(back->pixels.data(), back->width, back->height);
    return DISPLAY_OK;
}

int32_t platform_surface_restore(PlatformSurface) {
    return DISPLAY_OK;
}

// No reference counts: every surface has one owner and goes with one release.
uint32_t platform_surface_release(PlatformSurface surface) {
    if (surface->kind == SurfaceKind::back_buffer) return 0; // goes with the primary
    if (surface->kind == SurfaceKind::primary) {
        surface->display->primary = nullptr;
        delete surface->attached;
    }
    delete surface;
    return 0;
}

uint32_t platform_display_release(PlatformDisplay display) {
    if (display->primary != nullptr) platform_surface_release(display->primary);
    delete display;
    the_display = nullptr;
    return 0;
}
