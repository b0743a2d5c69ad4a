// The display device on SDL2: off-screen surfaces are plain memory, the back
// buffer is a streaming texture that blits write into, and a flip presents it
// scaled to the desktop with the aspect kept. A windowed display has no back
// buffer: a blit to its primary fills the texture from the source and presents
// it at once on the window's destination rectangle. A render reset loses the
// texture; restore makes a new one.
#include "platform/memory_surface.h"
#include "platform/sdl/sdl_backend.h"

#include <cstdio>

struct PlatformDisplayRecord {
    PlatformWindow window = nullptr;
    SDL_Window* sdl_window = nullptr;
    bool exclusive = false;
    SDL_Renderer* renderer = nullptr;
    int32_t width = 0, height = 0;
    SDL_Texture* texture = nullptr; // the back buffer's picture
    PlatformSurfaceRecord* primary = nullptr;
    bool lost = false;
};

namespace {

// One device at a time, as the program uses it; reset events reach it here.
PlatformDisplayRecord* the_display = nullptr;

// A windowed display's renderer comes with its primary, as no mode is set.
bool renderer_ready(PlatformDisplayRecord* display) {
    if (display->renderer != nullptr) return true;
    if (display->exclusive || display->sdl_window == nullptr) return false;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    display->renderer = SDL_CreateRenderer(display->sdl_window, -1, 0);
    if (display->renderer == nullptr) {
        sdl_failure("cannot create a renderer: %s", SDL_GetError());
        return false;
    }
    SDL_GetRendererOutputSize(display->renderer, &display->width, &display->height);
    return true;
}

SDL_Texture* create_back_texture(PlatformDisplayRecord* display) {
    return SDL_CreateTexture(display->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                             display->width, display->height);
}

// Resets may be queued while a frame is being drawn; take them before the
// blit or flip that they spoil.
bool primary_lost(const PlatformDisplayRecord* display) {
    SDL_Event events[8];
    while (SDL_PeepEvents(events, 8, SDL_GETEVENT, SDL_RENDER_TARGETS_RESET,
                          SDL_RENDER_DEVICE_RESET) > 0)
        sdl_display_mark_lost();
    return display->lost;
}

} // namespace

int32_t memory_primary_open(PlatformSurfaceRecord* primary, int32_t& width, int32_t& height) {
    PlatformDisplayRecord* display = primary->display;
    if (!renderer_ready(display) || display->primary != nullptr) return DISPLAY_ERR_GENERIC;
    display->primary = primary;
    display->lost = false;
    width = display->width;
    height = display->height;
    if (!display->exclusive) return DISPLAY_OK; // the texture follows the blits' sources
    display->texture = create_back_texture(display);
    if (display->texture == nullptr) {
        sdl_failure("cannot create the back buffer: %s", SDL_GetError());
        display->primary = nullptr;
        return DISPLAY_ERR_OUT_OF_MEMORY;
    }
    return DISPLAY_OK;
}

void memory_primary_close(PlatformSurfaceRecord* primary) {
    PlatformDisplayRecord* display = primary->display;
    if (display->texture != nullptr) SDL_DestroyTexture(display->texture);
    display->texture = nullptr;
    display->primary = nullptr;
    display->lost = false;
}

bool sdl_display_uses_window(PlatformWindow window) {
    return the_display != nullptr && the_display->window == window;
}

void sdl_display_mark_lost() {
    if (the_display != nullptr && the_display->primary != nullptr) the_display->lost = true;
}

int32_t platform_display_create(PlatformDisplay* display) {
    if (the_display != nullptr) return DISPLAY_ERR_GENERIC;
    if (!sdl_video_start()) return DISPLAY_ERR_GENERIC;
    the_display = new PlatformDisplayRecord;
    *display = the_display;
    return DISPLAY_OK;
}

// Exclusive full-screen becomes SDL's desktop full-screen: the desktop keeps
// its mode and the picture is scaled onto it.
int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t flags) {
    SDL_Window* sdl = sdl_window_handle(window);
    if (sdl == nullptr || (display->window != nullptr && display->window != window))
        return DISPLAY_ERR_GENERIC;
    display->window = window;
    display->sdl_window = sdl;
    display->exclusive = (flags & 0x1) != 0; // DDSCL_FULLSCREEN
    if (display->exclusive && SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        sdl_failure("cannot go full-screen: %s", SDL_GetError());
        return DISPLAY_ERR_GENERIC;
    }
    return DISPLAY_OK;
}

int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel) {
    if (bits_per_pixel != 32 || width <= 0 || height <= 0) return DISPLAY_ERR_UNSUPPORTED;
    if (display->sdl_window == nullptr || display->renderer != nullptr) return DISPLAY_ERR_GENERIC;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    display->renderer = SDL_CreateRenderer(display->sdl_window, -1, 0);
    if (display->renderer == nullptr) {
        sdl_failure("cannot create a renderer: %s", SDL_GetError());
        return DISPLAY_ERR_GENERIC;
    }
    SDL_RenderSetLogicalSize(display->renderer, width, height);
    display->width = width;
    display->height = height;
    return DISPLAY_OK;
}

int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t) {
    PlatformDisplayRecord* display = destination->display;
    if (destination->kind == SurfaceKind::back_buffer && primary_lost(display))
        return DISPLAY_ERR_SURFACE_LOST;
    SurfaceRect from, to;
    const int32_t checked = blt_fast_rects(destination, x, y, source, rect, from, to);
    if (checked != DISPLAY_OK) return checked;
    SDL_Rect area{to.left, to.top, to.right - to.left, to.bottom - to.top};
    const MemorySurface& memory = source->memory;
    const uint32_t* first = memory.pixels.data() + size_t(from.top) * memory.width + from.left;
    if (SDL_UpdateTexture(display->texture, &area, first, memory.width * 4) != 0)
        return DISPLAY_ERR_GENERIC;
    return DISPLAY_OK;
}

namespace {

// The windowed texture takes the size of what is blitted into it.
bool texture_fits(PlatformDisplayRecord* display, int32_t width, int32_t height) {
    if (display->texture != nullptr && display->width == width && display->height == height)
        return true;
    if (display->texture != nullptr) SDL_DestroyTexture(display->texture);
    display->width = width;
    display->height = height;
    display->texture = create_back_texture(display);
    return display->texture != nullptr;
}

} // namespace

// Only into a windowed primary, whose rectangle is the window's own (the
// emulated client area lies at the screen's origin), scaled by the renderer.
int32_t platform_surface_blt(PlatformSurface destination, const SurfaceRect* destination_rect,
                             PlatformSurface source, const SurfaceRect* source_rect, uint32_t) {
    if (destination->kind != SurfaceKind::primary || destination->attached != nullptr ||
        source->kind != SurfaceKind::offscreen)
        return DISPLAY_ERR_UNSUPPORTED;
    PlatformDisplayRecord* display = destination->display;
    if (primary_lost(display)) return DISPLAY_ERR_SURFACE_LOST;
    const MemorySurface& memory = source->memory;
    SurfaceRect from, unused;
    if (memory.locked || !blit_rects(source_rect, 0, 0, memory, memory, from, unused))
        return DISPLAY_ERR_GENERIC;
    int32_t w = from.right - from.left, h = from.bottom - from.top;
    if (!texture_fits(display, w, h)) return DISPLAY_ERR_OUT_OF_MEMORY;
    const uint32_t* first = memory.pixels.data() + size_t(from.top) * memory.width + from.left;
    if (SDL_UpdateTexture(display->texture, nullptr, first, memory.width * 4) != 0)
        return DISPLAY_ERR_GENERIC;
    SDL_Rect to{0, 0, 0, 0};
    if (destination_rect)
        to = {destination_rect->left, destination_rect->top,
              destination_rect->right - destination_rect->left,
              destination_rect->bottom - destination_rect->top};
    SDL_SetRenderDrawColor(display->renderer, 0, 0, 0, 255);
    SDL_RenderClear(display->renderer);
    SDL_RenderCopy(display->renderer, display->texture, nullptr, destination_rect ? &to : nullptr);
    SDL_RenderPresent(display->renderer);
    return DISPLAY_OK;
}

int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface, uint32_t) {
    if (surface->kind != SurfaceKind::primary) return DISPLAY_ERR_UNSUPPORTED;
    PlatformDisplayRecord* display = surface->display;
    if (primary_lost(display)) return DISPLAY_ERR_SURFACE_LOST;
    SDL_SetRenderDrawColor(display->renderer, 0, 0, 0, 255);
    SDL_RenderClear(display->renderer);
    SDL_RenderCopy(display->renderer, display->texture, nullptr, nullptr);
    SDL_RenderPresent(display->renderer);
    return DISPLAY_OK;
}

// Restoring the primary makes a new back-buffer texture; its picture is gone
// and the next frame draws a whole one. Memory surfaces are never lost.
int32_t platform_surface_restore(PlatformSurface surface) {
    if (surface->kind == SurfaceKind::offscreen) return DISPLAY_OK;
    PlatformDisplayRecord* display = surface->display;
    primary_lost(display);
    if (!display->lost) return DISPLAY_OK;
    SDL_Texture* texture = create_back_texture(display);
    if (texture == nullptr) return DISPLAY_ERR_SURFACE_LOST;
    if (display->texture != nullptr) SDL_DestroyTexture(display->texture);
    display->texture = texture;
    display->lost = false;
    return DISPLAY_OK;
}

uint32_t platform_display_release(PlatformDisplay display) {
    if (display->primary != nullptr) platform_surface_release(display->primary);
    if (display->renderer != nullptr) SDL_DestroyRenderer(display->renderer);
    if (display->exclusive && display->sdl_window != nullptr)
        SDL_SetWindowFullscreen(display->sdl_window, 0);
    PlatformWindow window = display->window;
    delete display;
    the_display = nullptr;
    sdl_window_forget_if_destroyed(window);
    return 0;
}
