#include "display/display.h"

#include <cstdio>
#include <cstring>

DisplayState display_state;

namespace {

constexpr uint32_t PRIMARY_FLAGS = SURFACE_FLAG_CAPS | SURFACE_FLAG_BACKBUFFERCOUNT;
constexpr uint32_t PRIMARY_CAPS =
    SURFACE_CAPS_PRIMARYSURFACE | SURFACE_CAPS_FLIP | SURFACE_CAPS_COMPLEX | SURFACE_CAPS_HWCODEC;
constexpr uint32_t WINDOWED_PRIMARY_CAPS = SURFACE_CAPS_PRIMARYSURFACE;
constexpr uint32_t BACK_BUFFER_CAPS = SURFACE_CAPS_BACKBUFFER | SURFACE_CAPS_HWCODEC;
constexpr uint32_t OFFSCREEN_FLAGS = SURFACE_FLAG_CAPS | SURFACE_FLAG_HEIGHT | SURFACE_FLAG_WIDTH;
constexpr uint32_t OFFSCREEN_CAPS =
    SURFACE_CAPS_OFFSCREENPLAIN | SURFACE_CAPS_SYSTEMMEMORY | SURFACE_CAPS_HWCODEC;

char failure_reason[64];

const char* result_name(int32_t result) {
    switch (result) {
    case DISPLAY_ERR_UNSUPPORTED:
        return "unsupported";
    case DISPLAY_ERR_OUT_OF_MEMORY:
        return "out of memory";
    case DISPLAY_ERR_SURFACE_LOST:
        return "surface lost";
    case DISPLAY_ERR_STILL_DRAWING:
        return "still drawing";
    default:
        return "error";
    }
}

// True for DISPLAY_OK; otherwise keeps the result for display_error.
bool succeeded(int32_t result) {
    if (result == DISPLAY_OK) return true;
    std::snprintf(failure_reason, sizeof failure_reason, "%s (0x%08X)", result_name(result),
                  (unsigned)result);
    return false;
}

PlatformSurface current_surface() {
    return display_state.current_is_a ? display_state.surface_a : display_state.surface_b;
}

int32_t create_primary(bool windowed) {
    DisplayState& d = display_state;
    std::memset(&d.surface_desc, 0, sizeof d.surface_desc);
    d.surface_desc.size = SURFACE_DESC_SIZE;
    d.surface_desc.flags = windowed ? SURFACE_FLAG_CAPS : PRIMARY_FLAGS;
    d.surface_desc.caps = windowed ? WINDOWED_PRIMARY_CAPS : PRIMARY_CAPS;
    d.surface_desc.back_buffer_count = windowed ? 0 : 1;
    return platform_display_create_surface(d.display, &d.surface_desc, &d.primary);
}

// Same description for both; back_buffer_count keeps its 1 but is not flagged.
void describe_offscreen() {
    DisplayState& d = display_state;
    d.surface_desc.flags = OFFSCREEN_FLAGS;
    d.surface_desc.height = (uint32_t)d.height;
    d.surface_desc.width = (uint32_t)d.width;
    d.surface_desc.caps = OFFSCREEN_CAPS;
}

// Repeats a blit or flip while the device is busy; a lost surface restores
// everything and ends the attempt, any other error is ignored for this frame.
template <typename Call> void present_step(Call call) {
    for (;;) {
        int32_t result = call();
        if (result == DISPLAY_ERR_STILL_DRAWING) continue;
        if (result == DISPLAY_ERR_SURFACE_LOST) display_restore();
        return;
    }
}

void release_surface(PlatformSurface& surface) {
    if (!surface) return;
    platform_surface_release(surface);
    surface = nullptr;
}

} // namespace

namespace {

// Starts the record afresh and makes the device; the caller sets its level.
bool display_begin(PlatformWindow window, int32_t width, int32_t height) {
    DisplayState& d = display_state;
    d = DisplayState{}; // a run after an earlier one starts on surface_b again
    d.width = width;
    d.height = height;
    d.window = window;
    failure_reason[0] = '\0';
    if (succeeded(platform_display_create(&d.display))) return true;
    d.display = nullptr;
    return false;
}

bool create_offscreen_pair() {
    DisplayState& d = display_state;
    describe_offscreen();
    return succeeded(platform_display_create_surface(d.display, &d.surface_desc, &d.surface_a)) &&
           succeeded(platform_display_create_surface(d.display, &d.surface_desc, &d.surface_b));
}

} // namespace

bool display_init(PlatformWindow window, int32_t width, int32_t height) {
    DisplayState& d = display_state;
    if (!display_begin(window, width, height)) return false;
    if (!succeeded(platform_display_set_cooperative_level(
            d.display, window, DISPLAY_COOPERATIVE_FULLSCREEN_EXCLUSIVE)) ||
        !succeeded(platform_display_set_mode(d.display, width, height, 32)) ||
        !succeeded(create_primary(false)) ||
        !succeeded(platform_surface_get_attached(d.primary, BACK_BUFFER_CAPS, &d.back_buffer)))
        return false;
    return create_offscreen_pair();
}

bool display_init_windowed(PlatformWindow window, int32_t width, int32_t height) {
    DisplayState& d = display_state;
    if (!display_begin(window, width, height)) return false;
    if (!succeeded(platform_display_set_cooperative_level(d.display, window,
                                                          DISPLAY_COOPERATIVE_NORMAL)) ||
        !succeeded(create_primary(true)) ||
        !succeeded(platform_display_create_clipper(d.display, &d.clipper)))
        return false;
    if (!succeeded(platform_clipper_set_window(d.clipper, window)) ||
        !succeeded(platform_surface_set_clipper(d.primary, d.clipper)))
        return false;
    return create_offscreen_pair();
}

bool display_resize(int32_t width, int32_t height) {
    DisplayState& d = display_state;
    if (!d.display || !d.clipper) return false;
    release_surface(d.surface_a);
    release_surface(d.surface_b);
    d.width = width;
    d.height = height;
    d.current_is_a = 0;
    return create_offscreen_pair();
}

const char* display_error() {
    return failure_reason;
}

bool display_lock(uint32_t** pixels) {
    DisplayState& d = display_state;
    d.surface_desc.size = SURFACE_DESC_SIZE;
    PlatformSurface surface = current_surface();
    if (!surface) return false;
    if (platform_surface_lock(surface, &d.surface_desc, 0) != DISPLAY_OK) return false;
    if (d.surface_desc.rgb_bit_count != 32) {
        platform_surface_unlock(surface);
        return false;
    }
    *pixels = (uint32_t*)d.surface_desc.surface;
    return true;
}

void display_present() {
    DisplayState& d = display_state;
    PlatformSurface shown = current_surface();
    if (!shown) return;
    SurfaceRect rect = {0, 0, d.width, d.height};
    // Switched first, so the next frame locks the other surface.
    d.current_is_a = !d.current_is_a;
    platform_surface_unlock(shown);
    if (d.clipper) {
        SurfaceRect client;
        if (!platform_window_client_rect(d.window, &client) || client.right <= client.left ||
            client.bottom <= client.top)
            return; // a window without a client area shows nothing
        present_step([&] {
            return platform_surface_blt(d.primary, &client, shown, nullptr, SURFACE_BLT_WAIT);
        });
        return;
    }
    present_step([&] { return platform_surface_blt_fast(d.back_buffer, 0, 0, shown, &rect, 0); });
    present_step([&] { return platform_surface_flip(d.primary, nullptr, 0); });
}

bool display_restore() {
    DisplayState& d = display_state;
    return platform_surface_restore(d.primary) == DISPLAY_OK &&
           platform_surface_restore(d.surface_a) == DISPLAY_OK &&
           platform_surface_restore(d.surface_b) == DISPLAY_OK;
}

void display_shutdown() {
    DisplayState& d = display_state;
    if (!d.display) return;
    release_surface(d.primary);
    d.back_buffer = nullptr; // went with the primary
    release_surface(d.surface_a);
    release_surface(d.surface_b);
    if (d.clipper) platform_clipper_release(d.clipper);
    d.clipper = nullptr;
    platform_display_release(d.display);
    d.display = nullptr;
}
