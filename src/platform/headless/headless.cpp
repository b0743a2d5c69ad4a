#include "platform/headless/headless.h"

#include "platform/emulation/emulation.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

struct PlatformSurfaceRecord {
    std::string name;
    int32_t width, height;
    std::vector<uint32_t> pixels;
    PlatformSurfaceRecord* back_buffer; // the primary's flipping partner
    bool is_back_buffer;
    bool locked;
    bool lock_rejected; // the current lock reported a depth other than 32
    bool lost;
    bool released;
};

struct PlatformClipperRecord {
    PlatformWindow window;
    bool released;
};

struct PlatformDisplayRecord {
    bool released;
    int offscreen_made;
    int32_t mode_width, mode_height;
};

namespace {

constexpr int32_t DISPLAY_ERR_INVALID_PARAMS = (int32_t)0x80070057;
constexpr int32_t DISPLAY_ERR_BUSY = (int32_t)0x887601CC;
constexpr int32_t DISPLAY_ERR_NOT_LOCKED = (int32_t)0x887601E2;
constexpr uint32_t CANARY = 0xDEADBEEF;

struct Backend {
    HeadlessConfig config;
    HeadlessReport report;
    // Records live until the next reset, so that a call on a released one is
    // caught rather than undefined.
    std::vector<std::unique_ptr<PlatformSurfaceRecord>> surfaces;
    std::vector<std::unique_ptr<PlatformDisplayRecord>> displays;
    std::vector<std::unique_ptr<PlatformClipperRecord>> clippers;
    PlatformWindow window; // the one with the timer and the script's messages
    size_t next_event;
    bool close_sent_at_end;
    std::string failure_reason;
};

Backend backend;

void log_call(const std::string& entry) {
    if (backend.report.log.size() < HEADLESS_LOG_LIMIT)
        backend.report.log.push_back(entry);
    else
        ++backend.report.log_dropped;
}

// Only the primary chain lives in video memory; the off-screen surfaces are in
// system memory, which a mode switch does not take away.
void lose_video_memory() {
    for (auto& s : backend.surfaces)
        if (!s->released && (s->back_buffer || s->is_back_buffer)) s->lost = true;
}

// Counts the call; returns the injected result, or 0 when it should do its work.
int32_t enter(HeadlessOp op) {
    int call = ++backend.report.calls[(int)op];
    for (const HeadlessFault& f : backend.config.faults) {
        if (f.op != op || call < f.first_call || call >= f.first_call + f.count) continue;
        if (f.result == DISPLAY_ERR_SURFACE_LOST) lose_video_memory();
        if (f.reason) backend.failure_reason = f.reason;
        return f.result;
    }
    return 0;
}

int32_t misuse(int32_t result) {
    ++backend.report.misuse;
    return result;
}

bool surface_usable(PlatformSurface surface) {
    return surface && !surface->released;
}

bool display_usable(PlatformDisplay display) {
    return display && !display->released;
}

std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// A surface as the log names it.
std::string name_of(PlatformSurface surface) {
    return surface ? surface->name : "null";
}

PlatformSurface new_surface(const std::string& name, int32_t width, int32_t height) {
    auto s = std::make_unique<PlatformSurfaceRecord>();
    s->name = name;
    s->width = width;
    s->height = height;
    s->pixels.assign((size_t)width * (size_t)height, 0);
    backend.surfaces.push_back(std::move(s));
    ++backend.report.surfaces_alive;
    return backend.surfaces.back().get();
}

void release_one(PlatformSurface s) {
    s->released = true;
    --backend.report.surfaces_alive;
}

int count_changed_pixels(const PlatformSurfaceRecord& s) {
    int changed = 0;
    for (uint32_t p : s.pixels)
        changed += p != CANARY;
    return changed;
}

// Posts the next scripted event that reaches the window.
bool post_scripted_event() {
    auto& script = backend.config.script;
    while (backend.next_event < script.size()) {
        const HeadlessEvent& event = script[backend.next_event++];
        PlatformWindow window = backend.window;
        if (!emulation_window_alive(window)) continue;
        if (event.kind == HeadlessEventKind::key)
            return emulation_post(window, MESSAGE_KEYDOWN, event.key, 0);
        if (event.kind == HeadlessEventKind::close)
            return emulation_post(window, MESSAGE_CLOSE, 0, 0);
        if (event.kind == HeadlessEventKind::open)
            return emulation_post_file(window, event.path.c_str());
        if (event.kind == HeadlessEventKind::post)
            return emulation_post(window, event.message, event.wparam, event.lparam);
        if (emulation_timer_elapse(window)) {
            ++backend.report.ticks_delivered;
            return true;
        }
        ++backend.report.ticks_dropped;
    }
    // The script has run out: the user closes the window, once.
    if (!emulation_window_alive(backend.window) || backend.close_sent_at_end) return false;
    backend.close_sent_at_end = true;
    return emulation_post(backend.window, MESSAGE_CLOSE, 0, 0);
}

// The log's line for a call of the window system; "" for the message loop's.
std::string describe(const EmulatedCall& c) {
    switch (c.op) {
    case PlatformOp::register_class:
        return "register_class " + std::string(c.name) + " style " + hex(c.value);
    case PlatformOp::create_window:
        return "create_window " + std::string(c.name) + " \"" + c.title + "\" style " +
               hex(c.value) + " " + std::to_string(c.width) + "x" + std::to_string(c.height);
    case PlatformOp::show_window:
        return "show_window " + std::to_string(int(c.value));
    case PlatformOp::update_window:
        return "update_window";
    case PlatformOp::show_cursor:
        return c.value ? "show_cursor 1" : "show_cursor 0";
    case PlatformOp::set_timer:
        return "set_timer " + std::to_string(c.value) + " " + std::to_string(c.milliseconds);
    case PlatformOp::send_message:
        return "send_message " + hex(c.value);
    case PlatformOp::destroy_window:
        return "destroy_window";
    case PlatformOp::post_quit:
        return "post_quit " + std::to_string(int(c.value));
    case PlatformOp::desktop_size:
        return "desktop_size " + std::to_string(c.width) + "x" + std::to_string(c.height);
    case PlatformOp::set_fullscreen:
        return "set_fullscreen " + std::to_string(int(c.value));
    case PlatformOp::client_rect:
        return "client_rect";
    default:
        return "";
    }
}

} // namespace

// --- Control --------------------------------------------------------------------

void headless_reset(const HeadlessConfig& config) {
    emulation_reset();
    backend = Backend{};
    backend.config = config;
}

const HeadlessReport& headless_report() {
    HeadlessReport& report = backend.report;
    report.cursor_count = emulation_cursor_count();
    report.window_alive = emulation_window_alive(backend.window);
    report.timer_running = emulation_timer_running(backend.window);
    return report;
}

int headless_calls(HeadlessOp op) {
    return backend.report.calls[(int)op];
}

std::vector<HeadlessEvent> headless_ticks_then_escape(int ticks) {
    std::vector<HeadlessEvent> script((size_t)(ticks > 0 ? ticks : 0),
                                      HeadlessEvent{HeadlessEventKind::tick, 0});
    script.push_back({HeadlessEventKind::key, KEY_ESCAPE});
    return script;
}

// --- Window and messages ---------------------------------------------------------

// --- The system beneath the emulated window system ---------------------------------

int32_t system_enter(const EmulatedCall& call) {
    std::string line = describe(call);
    if (!line.empty()) log_call(line);
    if (int32_t fault = enter(call.op)) return fault;
    if (!call.valid) misuse(0);
    return 0;
}

bool system_window_open(PlatformWindow window, const char*, int32_t, int32_t) {
    backend.window = window;
    return true;
}

void system_window_show(PlatformWindow, bool) {}

void system_window_close(PlatformWindow) {}

void system_cursor_show(bool) {}

void system_desktop_size(int32_t* width, int32_t* height) {
    *width = backend.config.desktop_width;
    *height = backend.config.desktop_height;
}

bool system_window_fullscreen(PlatformWindow, bool, int32_t, int32_t) {
    return true;
}

// Time stands still: the script says when a timer's period has run out.
uint64_t system_clock_ms() {
    return 0;
}

// Nothing left that could ever arrive: a real loop would wait for ever.
bool system_wait(int32_t) {
    return post_scripted_event();
}

void system_dispatched(const PlatformMessage&) {}

const char* platform_error() {
    return backend.failure_reason.c_str();
}

void platform_show_message(const char* title, const char* text) {
    log_call("show_message");
    backend.report.message_boxes.push_back(std::string(title) + ": " + text);
}

// --- Display device ----------------------------------------------------------------

namespace {

// The desktop as the screen: without a back buffer, presented into by blits.
int32_t create_windowed_primary(const SurfaceDesc* desc, PlatformSurface* surface) {
    if (desc->caps & SURFACE_CAPS_FLIP) return misuse(DISPLAY_ERR_INVALID_PARAMS);
    *surface = new_surface("primary", backend.config.desktop_width, backend.config.desktop_height);
    return DISPLAY_OK;
}

bool clipper_usable(PlatformClipper clipper) {
    return clipper && !clipper->released;
}

} // namespace

int32_t platform_display_create(PlatformDisplay* display) {
    log_call("display_create");
    if (int32_t fault = enter(HeadlessOp::display_create)) return fault;
    backend.displays.push_back(std::make_unique<PlatformDisplayRecord>());
    *display = backend.displays.back().get();
    return DISPLAY_OK;
}

int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t flags) {
    log_call("set_cooperative_level " + hex(flags));
    if (int32_t fault = enter(HeadlessOp::set_cooperative_level)) return fault;
    if (!display_usable(display) || !emulation_window_alive(window))
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    backend.report.windowed = flags == DISPLAY_COOPERATIVE_NORMAL;
    backend.report.exclusive = !backend.report.windowed;
    return DISPLAY_OK;
}

int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel) {
    log_call("set_mode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
             std::to_string(bits_per_pixel));
    if (int32_t fault = enter(HeadlessOp::set_mode)) return fault;
    if (!display_usable(display) || width <= 0 || height <= 0)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (!backend.report.exclusive) return DISPLAY_ERR_GENERIC; // needs exclusive mode
    display->mode_width = width;
    display->mode_height = height;
    backend.report.mode_changed = true;
    return DISPLAY_OK;
}

int32_t platform_display_create_surface(PlatformDisplay display, const SurfaceDesc* desc,
                                        PlatformSurface* surface) {
    bool primary = desc && (desc->caps & SURFACE_CAPS_PRIMARYSURFACE);
    log_call("create_surface " + std::string(primary ? "primary" : "offscreen") + " flags " +
             hex(desc ? desc->flags : 0) + " caps " + hex(desc ? desc->caps : 0));
    if (int32_t fault = enter(HeadlessOp::create_surface)) return fault;
    if (!display_usable(display) || !desc || desc->size != SURFACE_DESC_SIZE ||
        !(desc->flags & SURFACE_FLAG_CAPS))
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (primary && backend.report.windowed) return create_windowed_primary(desc, surface);
    if (primary) {
        if (!backend.report.mode_changed) return DISPLAY_ERR_GENERIC;
        bool flips = desc->caps & SURFACE_CAPS_FLIP;
        if (flips &&
            (!(desc->flags & SURFACE_FLAG_BACKBUFFERCOUNT) || desc->back_buffer_count != 1))
            return misuse(DISPLAY_ERR_INVALID_PARAMS);
        PlatformSurface front = new_surface("primary", display->mode_width, display->mode_height);
        if (flips) {
            front->back_buffer = new_surface("back", display->mode_width, display->mode_height);
            front->back_buffer->is_back_buffer = true;
        }
        *surface = front;
        return DISPLAY_OK;
    }
    uint32_t size_flags = SURFACE_FLAG_WIDTH | SURFACE_FLAG_HEIGHT;
    if ((desc->flags & size_flags) != size_flags || desc->width == 0 || desc->height == 0 ||
        desc->width > 16384 || desc->height > 16384)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    std::string name = "s" + std::to_string(++display->offscreen_made);
    *surface = new_surface(name, (int32_t)desc->width, (int32_t)desc->height);
    return DISPLAY_OK;
}

int32_t platform_surface_get_attached(PlatformSurface surface, uint32_t caps,
                                      PlatformSurface* attached) {
    log_call("get_attached " + hex(caps));
    if (int32_t fault = enter(HeadlessOp::get_attached)) return fault;
    if (!surface_usable(surface)) return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (!(caps & SURFACE_CAPS_BACKBUFFER) || !surface->back_buffer)
        return DISPLAY_ERR_GENERIC; // not found
    *attached = surface->back_buffer;
    return DISPLAY_OK;
}

int32_t platform_surface_lock(PlatformSurface surface, SurfaceDesc* desc, uint32_t flags) {
    log_call("lock " + name_of(surface) + " flags " + hex(flags));
    if (!surface_usable(surface) || !desc || desc->size != SURFACE_DESC_SIZE) {
        enter(HeadlessOp::lock);
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    }
    if (int32_t fault = enter(HeadlessOp::lock)) return fault;
    if (surface->lost) return DISPLAY_ERR_SURFACE_LOST;
    if (surface->locked) return misuse(DISPLAY_ERR_BUSY);
    surface->locked = true;
    surface->lock_rejected = backend.config.lock_bit_count != 32;
    if (surface->lock_rejected) surface->pixels.assign(surface->pixels.size(), CANARY);
    desc->width = (uint32_t)surface->width;
    desc->height = (uint32_t)surface->height;
    desc->surface = surface->pixels.data();
    desc->rgb_bit_count = backend.config.lock_bit_count;
    return DISPLAY_OK;
}

int32_t platform_surface_unlock(PlatformSurface surface) {
    log_call("unlock " + name_of(surface));
    if (int32_t fault = enter(HeadlessOp::unlock)) return fault;
    if (!surface_usable(surface)) return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (!surface->locked) return misuse(DISPLAY_ERR_NOT_LOCKED);
    if (surface->lock_rejected)
        backend.report.writes_to_rejected_locks += count_changed_pixels(*surface);
    surface->locked = false;
    surface->lock_rejected = false;
    return DISPLAY_OK;
}

int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t flags) {
    log_call("blt_fast " + name_of(destination) + " <- " + name_of(source) + " flags " +
             hex(flags));
    if (int32_t fault = enter(HeadlessOp::blt_fast)) return fault;
    if (!surface_usable(destination) || !surface_usable(source) || !rect)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (destination->lost || source->lost) return DISPLAY_ERR_SURFACE_LOST;
    if (destination->locked || source->locked) return misuse(DISPLAY_ERR_BUSY);
    int32_t w = rect->right - rect->left, h = rect->bottom - rect->top;
    if (rect->left < 0 || rect->top < 0 || w <= 0 || h <= 0 || rect->right > source->width ||
        rect->bottom > source->height || x < 0 || y < 0 || x + w > destination->width ||
        y + h > destination->height)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    for (int32_t row = 0; row < h; ++row) {
        const uint32_t* from = &source->pixels[(size_t)(rect->top + row) * source->width];
        uint32_t* to = &destination->pixels[(size_t)(y + row) * destination->width];
        std::copy_n(from + rect->left, w, to + x);
    }
    return DISPLAY_OK;
}

int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface target, uint32_t flags) {
    log_call("flip " + name_of(surface) + " flags " + hex(flags));
    if (int32_t fault = enter(HeadlessOp::flip)) return fault;
    if (!surface_usable(surface) || !surface->back_buffer || target)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    PlatformSurface back = surface->back_buffer;
    if (surface->lost || back->lost) return DISPLAY_ERR_SURFACE_LOST;
    if (surface->locked || back->locked) return misuse(DISPLAY_ERR_BUSY);
    std::swap(surface->pixels, back->pixels);
    ++backend.report.presented;
    if (backend.config.present_hook)
        backend.config.present_hook(surface->pixels.data(), surface->width, surface->height,
                                    backend.config.present_context);
    return DISPLAY_OK;
}

int32_t platform_surface_restore(PlatformSurface surface) {
    log_call("restore " + name_of(surface));
    if (int32_t fault = enter(HeadlessOp::restore)) return fault;
    if (!surface_usable(surface)) return misuse(DISPLAY_ERR_INVALID_PARAMS);
    // Restored memory holds nothing of the old picture.
    for (PlatformSurface s = surface; s; s = s->back_buffer) {
        if (!s->lost) continue;
        s->lost = false;
        s->pixels.assign(s->pixels.size(), 0);
    }
    return DISPLAY_OK;
}

uint32_t platform_surface_release(PlatformSurface surface) {
    log_call("release " + name_of(surface));
    enter(HeadlessOp::surface_release);
    if (!surface_usable(surface) || surface->is_back_buffer) return (uint32_t)misuse(0);
    if (surface->back_buffer) release_one(surface->back_buffer);
    release_one(surface);
    return 0;
}

uint32_t platform_display_release(PlatformDisplay display) {
    log_call("display_release");
    enter(HeadlessOp::display_release);
    if (!display_usable(display)) return (uint32_t)misuse(0);
    display->released = true;
    backend.report.exclusive = false;
    backend.report.windowed = false;
    backend.report.mode_changed = false;
    return 0;
}

int32_t platform_display_create_clipper(PlatformDisplay display, PlatformClipper* clipper) {
    log_call("create_clipper");
    if (int32_t fault = enter(HeadlessOp::create_clipper)) return fault;
    if (!display_usable(display) || !clipper) return misuse(DISPLAY_ERR_INVALID_PARAMS);
    backend.clippers.push_back(std::make_unique<PlatformClipperRecord>());
    *clipper = backend.clippers.back().get();
    ++backend.report.clippers_alive;
    return DISPLAY_OK;
}

int32_t platform_clipper_set_window(PlatformClipper clipper, PlatformWindow window) {
    log_call("clipper_set_window");
    if (int32_t fault = enter(HeadlessOp::clipper_set_window)) return fault;
    if (!clipper_usable(clipper) || !emulation_window_alive(window))
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    clipper->window = window;
    return DISPLAY_OK;
}

int32_t platform_surface_set_clipper(PlatformSurface surface, PlatformClipper clipper) {
    log_call("set_clipper " + name_of(surface));
    if (int32_t fault = enter(HeadlessOp::set_clipper)) return fault;
    if (!surface_usable(surface) || !clipper_usable(clipper) || !clipper->window)
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    return DISPLAY_OK;
}

uint32_t platform_clipper_release(PlatformClipper clipper) {
    log_call("clipper_release");
    enter(HeadlessOp::clipper_release);
    if (!clipper_usable(clipper)) return (uint32_t)misuse(0);
    clipper->released = true;
    --backend.report.clippers_alive;
    return 0;
}

namespace {

// Nearest-neighbour scaling of the from rectangle of source onto the to one.
void copy_scaled(const PlatformSurfaceRecord& source, const SurfaceRect& from,
                 PlatformSurfaceRecord& destination, const SurfaceRect& to) {
    int64_t fw = from.right - from.left, fh = from.bottom - from.top;
    int64_t tw = to.right - to.left, th = to.bottom - to.top;
    for (int64_t y = 0; y < th; ++y) {
        const uint32_t* row = &source.pixels[(size_t)(from.top + y * fh / th) * source.width];
        uint32_t* out = &destination.pixels[(size_t)(to.top + y) * destination.width + to.left];
        for (int64_t x = 0; x < tw; ++x)
            out[x] = row[from.left + x * fw / tw];
    }
}

// A window may reach past the desktop's edges; the screen here grows to hold
// it, so that its client area is seen whole.
void cover(PlatformSurfaceRecord& screen, const SurfaceRect& r) {
    if (r.right <= screen.width && r.bottom <= screen.height) return;
    int32_t width = std::max(screen.width, r.right), height = std::max(screen.height, r.bottom);
    screen.pixels.assign((size_t)width * (size_t)height, 0);
    screen.width = width, screen.height = height;
}

bool rect_fits(const SurfaceRect& r, const PlatformSurfaceRecord& s) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= s.width && r.bottom <= s.height;
}

// What the person sees of a windowed display: the client area.
void show_client_area(const PlatformSurfaceRecord& primary, const SurfaceRect& area) {
    ++backend.report.presented;
    if (!backend.config.present_hook) return;
    int32_t w = area.right - area.left, h = area.bottom - area.top;
    std::vector<uint32_t> pixels((size_t)w * (size_t)h);
    for (int32_t y = 0; y < h; ++y)
        std::copy_n(&primary.pixels[(size_t)(area.top + y) * primary.width + area.left], w,
                    &pixels[(size_t)y * w]);
    backend.config.present_hook(pixels.data(), w, h, backend.config.present_context);
}

} // namespace

int32_t platform_surface_blt(PlatformSurface destination, const SurfaceRect* destination_rect,
                             PlatformSurface source, const SurfaceRect* source_rect,
                             uint32_t flags) {
    log_call("blt " + name_of(destination) + " <- " + name_of(source) + " flags " + hex(flags));
    if (int32_t fault = enter(HeadlessOp::blt)) return fault;
    if (!surface_usable(destination) || !surface_usable(source))
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    if (destination->lost || source->lost) return DISPLAY_ERR_SURFACE_LOST;
    if (destination->locked || source->locked) return misuse(DISPLAY_ERR_BUSY);
    SurfaceRect to = destination_rect ? *destination_rect
                                      : SurfaceRect{0, 0, destination->width, destination->height};
    SurfaceRect from =
        source_rect ? *source_rect : SurfaceRect{0, 0, source->width, source->height};
    if (destination->name == "primary") cover(*destination, to);
    if (!rect_fits(to, *destination) || !rect_fits(from, *source))
        return misuse(DISPLAY_ERR_INVALID_PARAMS);
    copy_scaled(*source, from, *destination, to);
    if (destination->name == "primary") show_client_area(*destination, to);
    return DISPLAY_OK;
}
