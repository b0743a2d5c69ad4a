#include "platform/memory_surface.h"

#include <utility>

namespace {

bool has(uint32_t value, uint32_t bits) {
    return (value & bits) == bits;
}

bool rect_inside(const SurfaceRect& r, int32_t width, int32_t height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

PlatformSurfaceRecord* new_surface(SurfaceKind kind, PlatformDisplayRecord* display) {
    auto* surface = new PlatformSurfaceRecord;
    surface->kind = kind;
    surface->display = display;
    return surface;
}

// A flipping chain (exclusive mode) has one back buffer; a windowed display's
// primary has none and is presented into with platform_surface_blt.
int32_t create_primary(PlatformDisplayRecord* display, const SurfaceDesc* desc,
                       PlatformSurface* out) {
    bool flips = has(desc->caps, SURFACE_CAPS_FLIP);
    if (flips && (!has(desc->flags, SURFACE_FLAG_BACKBUFFERCOUNT) || desc->back_buffer_count != 1 ||
                  !has(desc->caps, SURFACE_CAPS_COMPLEX)))
        return DISPLAY_ERR_UNSUPPORTED;
    PlatformSurfaceRecord* primary = new_surface(SurfaceKind::primary, display);
    if (flips) primary->attached = new_surface(SurfaceKind::back_buffer, display);
    int32_t width = 0, height = 0;
    int32_t result = memory_primary_open(primary, width, height);
    if (result != DISPLAY_OK) {
        delete primary->attached;
        delete primary;
        return result;
    }
    for (PlatformSurfaceRecord* s : {primary, primary->attached}) {
        if (s == nullptr) continue;
        s->memory.width = width;
        s->memory.height = height;
    }
    *out = primary;
    return DISPLAY_OK;
}

int32_t create_offscreen(PlatformDisplayRecord* display, const SurfaceDesc* desc,
                         PlatformSurface* out) {
    MemorySurface memory;
    int32_t result = memory_surface_create(desc, memory);
    if (result != DISPLAY_OK) return result;
    PlatformSurfaceRecord* surface = new_surface(SurfaceKind::offscreen, display);
    surface->memory = std::move(memory);
    *out = surface;
    return DISPLAY_OK;
}

} // namespace

int32_t memory_surface_create(const SurfaceDesc* desc, MemorySurface& surface) {
    if (!has(desc->flags, SURFACE_FLAG_WIDTH | SURFACE_FLAG_HEIGHT)) return DISPLAY_ERR_GENERIC;
    if (desc->width == 0 || desc->height == 0 || desc->width > 16384 || desc->height > 16384)
        return DISPLAY_ERR_UNSUPPORTED;
    surface.width = int32_t(desc->width);
    surface.height = int32_t(desc->height);
    surface.pixels.assign(std::size_t(desc->width) * desc->height, 0);
    return DISPLAY_OK;
}

int32_t memory_surface_lock(MemorySurface& surface, SurfaceDesc* desc) {
    if (surface.locked) return DISPLAY_ERR_GENERIC;
    surface.locked = true;
    desc->flags = SURFACE_FLAG_CAPS | SURFACE_FLAG_HEIGHT | SURFACE_FLAG_WIDTH;
    desc->width = uint32_t(surface.width);
    desc->height = uint32_t(surface.height);
    desc->caps = SURFACE_CAPS_OFFSCREENPLAIN | SURFACE_CAPS_SYSTEMMEMORY;
    desc->surface = surface.pixels.data();
    desc->rgb_bit_count = 32;
    return DISPLAY_OK;
}

int32_t memory_surface_unlock(MemorySurface& surface) {
    if (!surface.locked) return DISPLAY_ERR_GENERIC;
    surface.locked = false;
    return DISPLAY_OK;
}

bool blit_rects(const SurfaceRect* rect, int32_t x, int32_t y, const MemorySurface& source,
                const MemorySurface& destination, SurfaceRect& from, SurfaceRect& to) {
    from = rect ? *rect : SurfaceRect{0, 0, source.width, source.height};
    to = {x, y, x + from.right - from.left, y + from.bottom - from.top};
    return rect_inside(from, source.width, source.height) &&
           rect_inside(to, destination.width, destination.height);
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
    return memory_surface_lock(surface->memory, desc);
}

int32_t platform_surface_unlock(PlatformSurface surface) {
    return memory_surface_unlock(surface->memory);
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

// No reference counts: every surface has one owner and goes with one release.
uint32_t platform_surface_release(PlatformSurface surface) {
    if (surface->kind == SurfaceKind::back_buffer) return 0; // goes with the primary
    if (surface->kind == SurfaceKind::primary) {
        memory_primary_close(surface);
        delete surface->attached;
    }
    delete surface;
    return 0;
}

// The emulated systems present into the window itself, so a clipper only
// remembers which window it keeps blits inside.
struct PlatformClipperRecord {
    PlatformWindow window = nullptr;
};

int32_t platform_display_create_clipper(PlatformDisplay, PlatformClipper* clipper) {
    *clipper = new PlatformClipperRecord;
    return DISPLAY_OK;
}

int32_t platform_clipper_set_window(PlatformClipper clipper, PlatformWindow window) {
    clipper->window = window;
    return DISPLAY_OK;
}

int32_t platform_surface_set_clipper(PlatformSurface surface, PlatformClipper clipper) {
    if (surface->kind != SurfaceKind::primary || clipper->window == nullptr)
        return DISPLAY_ERR_GENERIC;
    return DISPLAY_OK;
}

uint32_t platform_clipper_release(PlatformClipper clipper) {
    delete clipper;
    return 0;
}

int32_t blt_fast_rects(PlatformSurface destination, int32_t x, int32_t y, PlatformSurface source,
                       const SurfaceRect* rect, SurfaceRect& from, SurfaceRect& to) {
    if (destination->kind != SurfaceKind::back_buffer || source->kind != SurfaceKind::offscreen)
        return DISPLAY_ERR_UNSUPPORTED;
    if (source->memory.locked ||
        !blit_rects(rect, x, y, source->memory, destination->memory, from, to))
        return DISPLAY_ERR_GENERIC;
    return DISPLAY_OK;
}
