// View mode's display, driven directly: a resizable window asked for by its
// client size, a DDSCL_NORMAL display whose primary is clipped to the window,
// off-screen pictures blitted (and scaled) onto it and read back from the
// screen with GDI, resizes, full screen and back, and the mouse as Windows
// delivers it. Runs on an X screen larger than the window.
#include "win32_check.h"

#include "platform/win32/win32_backend.h"

#include <cstdio>
#include <vector>

namespace {

// What the window procedure saw last.
struct Seen {
    int sizes = 0;
    intptr_t size = 0;
    uint32_t mouse = 0;
    uintptr_t mouse_wparam = 0;
    intptr_t mouse_lparam = 0;
    bool left_outside = false; // a move with the left button held, left of the client area
};
Seen seen;

int16_t x_of(intptr_t lparam) {
    return int16_t(lparam & 0xFFFF);
}
int16_t y_of(intptr_t lparam) {
    return int16_t((lparam >> 16) & 0xFFFF);
}

intptr_t view_proc(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    if (message == MESSAGE_SIZE) {
        ++seen.sizes;
        seen.size = lparam;
    }
    if (message >= MESSAGE_MOUSEMOVE && message <= MESSAGE_MOUSEWHEEL) {
        seen.mouse = message;
        seen.mouse_wparam = wparam;
        seen.mouse_lparam = lparam;
        if (message == MESSAGE_MOUSEMOVE && (wparam & MOUSE_FLAG_LEFT) && x_of(lparam) < 0)
            seen.left_outside = true;
    }
    return platform_default_window_proc(window, message, wparam, lparam);
}

// Dispatches what comes for the next milliseconds: input from SendInput and
// Wine's own window updates arrive through the queue.
void pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

bool size_is(int32_t width, int32_t height) {
    return seen.size == ((intptr_t(height) << 16) | width);
}

SurfaceRect client_rect(PlatformWindow window) {
    SurfaceRect rect{};
    check(platform_window_client_rect(window, &rect), "platform_window_client_rect");
    return rect;
}

// The screen's pixels in rect, as 0x00RRGGBB, read with GDI.
std::vector<uint32_t> read_screen(const SurfaceRect& rect) {
    int32_t width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    check(BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY), "BitBlt");
    GdiFlush();
    for (size_t i = 0; bits != nullptr && i < pixels.size(); ++i)
        pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// An off-screen picture of width x height filled with the pattern, row by row.
PlatformSurface pattern_surface(PlatformDisplay display, int32_t width, int32_t height) {
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = SURFACE_FLAG_CAPS | SURFACE_FLAG_WIDTH | SURFACE_FLAG_HEIGHT;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps = SURFACE_CAPS_OFFSCREENPLAIN | SURFACE_CAPS_SYSTEMMEMORY;
    PlatformSurface surface = nullptr;
    check(platform_display_create_surface(display, &desc, &surface) == DISPLAY_OK,
          "off-screen surface");
    SurfaceDesc locked{};
    locked.size = SURFACE_DESC_SIZE;
    if (surface == nullptr || platform_surface_lock(surface, &locked, 0) != DISPLAY_OK) {
        check(false, "lock the off-screen surface");
        return surface;
    }
    check(locked.rgb_bit_count == 32, "the off-screen surface has 32 bits", locked.rgb_bit_count);
    auto* pixels = static_cast<uint32_t*>(locked.surface);
    for (uint32_t i = 0; i < uint32_t(width) * uint32_t(height); ++i)
        pixels[i] = pattern(i);
    platform_surface_unlock(surface);
    return surface;
}

// Blits a picture of source_width x source_height onto the client area and
// requires every pixel there to be the source's pixel it covers (at twice the
// size, each pixel four times).
void blit_shows(PlatformDisplay display, PlatformSurface primary, PlatformWindow window,
                int32_t source_width, int32_t source_height, const char* what) {
    PlatformSurface source = pattern_surface(display, source_width, source_height);
    if (source == nullptr) return;
    SurfaceRect client = client_rect(window);
    int32_t result = platform_surface_blt(primary, &client, source, nullptr, SURFACE_BLT_WAIT);
    check(result == DISPLAY_OK, what, result);
    pump(200);
    int32_t width = client.right - client.left, height = client.bottom - client.top;
    std::vector<uint32_t> shown = read_screen(client);
    long wrong = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t from = uint32_t(y * source_height / height) * uint32_t(source_width) +
                            uint32_t(x * source_width / width);
            wrong += shown[size_t(y) * size_t(width) + size_t(x)] != pattern(from);
        }
    std::printf("%s: %ld of %d x %d pixels differ\n", what, wrong, width, height);
    check(wrong == 0, what, wrong);
    platform_surface_release(source);
}

// A blit meant for the whole screen lands in the window only: a strip right
// of the window stays as it was. (Wine confines a windowed primary's blits to
// its window even without a clipper; release() sees that one is set.)
void clipper_keeps_the_rest(PlatformDisplay display, PlatformSurface primary, PlatformWindow window,
                            int32_t desktop_width) {
    RECT outer{};
    GetWindowRect(win32_window_handle(window), &outer);
    SurfaceRect strip{outer.right + 8, outer.top, outer.right + 40, outer.bottom};
    check(strip.right <= desktop_width, "room right of the window", outer.right);
    std::vector<uint32_t> before = read_screen(strip);
    PlatformSurface source = pattern_surface(display, 64, 64);
    if (source == nullptr) return;
    int32_t result = platform_surface_blt(primary, nullptr, source, nullptr, SURFACE_BLT_WAIT);
    check(result == DISPLAY_OK, "blit onto the whole screen", result);
    pump(200);
    check(read_screen(strip) == before, "the clipper keeps blits inside the window");
    platform_surface_release(source);
}

void resize_to(PlatformWindow window, int32_t width, int32_t height) {
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WINDOW_STYLE_RESIZABLE, FALSE);
    SetWindowPos(win32_window_handle(window), nullptr, 0, 0, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    pump(200);
    check(size_is(width, height), "WM_SIZE gives the new client size", long(seen.size));
    SurfaceRect client = client_rect(window);
    check(client.right - client.left == width && client.bottom - client.top == height,
          "the client rect has the new size", long(client.right - client.left));
}

void send_mouse(DWORD flags, DWORD data = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
    pump(150);
}

// Real input through Windows: a left drag that leaves the window goes on being
// seen (the mouse is captured), and the wheel's point is the client area's.
void mouse_arrives_in_client_pixels(PlatformWindow window) {
    SurfaceRect client = client_rect(window);
    SetForegroundWindow(win32_window_handle(window));
    SetCursorPos(client.left + 100, client.top + 50);
    pump(150);
    send_mouse(MOUSEEVENTF_LEFTDOWN);
    check(seen.mouse == MESSAGE_LBUTTONDOWN && seen.mouse_wparam == MOUSE_FLAG_LEFT,
          "left button down", long(seen.mouse));
    check(x_of(seen.mouse_lparam) == 100 && y_of(seen.mouse_lparam) == 50,
          "the button's point in client pixels", long(seen.mouse_lparam));
    SetCursorPos(client.left - 30, client.top + 60);
    pump(150);
    check(seen.left_outside, "a drag out of the window is followed", long(seen.mouse_lparam));
    send_mouse(MOUSEEVENTF_LEFTUP);
    check(seen.mouse == MESSAGE_LBUTTONUP && seen.mouse_wparam == 0, "left button up",
          long(seen.mouse));
    SetCursorPos(client.left + 120, client.top + 70);
    pump(150);
    send_mouse(MOUSEEVENTF_WHEEL, DWORD(-WHEEL_STEP));
    check(seen.mouse == MESSAGE_MOUSEWHEEL && int16_t(seen.mouse_wparam >> 16) == -WHEEL_STEP,
          "a wheel notch towards the person", long(seen.mouse_wparam));
    check(x_of(seen.mouse_lparam) == 120 && y_of(seen.mouse_lparam) == 70,
          "the wheel's point in client pixels", long(seen.mouse_lparam));
}

// Ctrl and the extra buttons are not the shell's flags.
void only_mouse_flags_pass(PlatformWindow window) {
    HWND hwnd = win32_window_handle(window);
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL | MK_XBUTTON1, MAKELPARAM(3, 4));
    check(seen.mouse_wparam == MOUSE_FLAG_SHIFT, "only MOUSE_FLAG_ bits", long(seen.mouse_wparam));
}

void fullscreen_and_back(PlatformWindow window, int32_t desktop_width, int32_t desktop_height) {
    int32_t width = 0, height = 0;
    platform_desktop_size(&width, &height);
    check(width == desktop_width && height == desktop_height, "platform_desktop_size", width);
    SurfaceRect windowed = client_rect(window);
    check(platform_window_set_fullscreen(window, 1) == 1, "full screen");
    pump(200);
    check(size_is(desktop_width, desktop_height), "full screen: WM_SIZE of the desktop",
          long(seen.size));
    SurfaceRect full = client_rect(window);
    check(full.left == 0 && full.top == 0 && full.right == desktop_width &&
              full.bottom == desktop_height,
          "full screen covers the desktop", long(full.right));
    check(platform_window_set_fullscreen(window, 0) == 1, "back to the window");
    pump(200);
    SurfaceRect back = client_rect(window);
    check(back.left == windowed.left && back.top == windowed.top && back.right == windowed.right &&
              back.bottom == windowed.bottom,
          "the window comes back where it was", long(back.left));
    check(size_is(windowed.right - windowed.left, windowed.bottom - windowed.top),
          "back: WM_SIZE of the window", long(seen.size));
}

// Minimized, the window has no client area to present into and sends no size.
void minimized_sends_no_size(PlatformWindow window) {
    intptr_t size = seen.size;
    ShowWindow(win32_window_handle(window), SW_MINIMIZE);
    pump(200);
    SurfaceRect rect{};
    check(!platform_window_client_rect(window, &rect), "no client rect while minimized");
    check(seen.size == size, "no empty size while minimized", long(seen.size));
    ShowWindow(win32_window_handle(window), SW_RESTORE);
    pump(200);
    check(seen.size == size, "restored: the size it had", long(seen.size));
}

struct Display {
    PlatformDisplay device = nullptr;
    PlatformSurface primary = nullptr;
    PlatformClipper clipper = nullptr;
};

// As the display logic sets up view mode: no mode change, a primary without
// back buffer, clipped to the window.
Display windowed_display(PlatformWindow window) {
    Display display;
    check(platform_display_create(&display.device) == DISPLAY_OK, "DirectDrawCreate");
    if (display.device == nullptr) return display;
    check(platform_display_set_cooperative_level(display.device, window,
                                                 DISPLAY_COOPERATIVE_NORMAL) == DISPLAY_OK,
          "DDSCL_NORMAL");
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = SURFACE_FLAG_CAPS;
    desc.caps = SURFACE_CAPS_PRIMARYSURFACE;
    check(platform_display_create_surface(display.device, &desc, &display.primary) == DISPLAY_OK,
          "windowed primary");
    check(platform_display_create_clipper(display.device, &display.clipper) == DISPLAY_OK,
          "CreateClipper");
    if (display.primary == nullptr || display.clipper == nullptr) return display;
    check(platform_clipper_set_window(display.clipper, window) == DISPLAY_OK, "SetHWnd");
    check(platform_surface_set_clipper(display.primary, display.clipper) == DISPLAY_OK,
          "SetClipper");
    return display;
}

void release(Display& display) {
    if (display.clipper)
        check(platform_clipper_release(display.clipper) == 1, "the primary holds the clipper");
    if (display.primary) platform_surface_release(display.primary);
    if (display.device)
        check(platform_display_release(display.device) == 0, "the display goes with its last use");
}

PlatformWindow resizable_window(int32_t width, int32_t height) {
    check(platform_register_window_class("Velmor_View", WINDOW_CLASS_STYLE_REDRAW, view_proc),
          "RegisterClassExA");
    PlatformWindow window = platform_create_window("Velmor_View", "Velmor view check",
                                                   WINDOW_STYLE_RESIZABLE, width, height);
    check(window != nullptr, "CreateWindowExA, resizable");
    if (window == nullptr) return nullptr;
    platform_show_window(window, SW_SHOWNORMAL);
    platform_update_window(window);
    pump(300);
    check(seen.sizes > 0 && size_is(width, height), "WM_SIZE with the client size asked",
          long(seen.size));
    SurfaceRect client = client_rect(window);
    check(client.right - client.left == width && client.bottom - client.top == height,
          "the client area has the size asked", long(client.right - client.left));
    return window;
}

} // namespace

void windowed_checks(int32_t desktop_width, int32_t desktop_height) {
    PlatformWindow window = resizable_window(640, 400);
    if (window == nullptr) return;
    Display display = windowed_display(window);
    if (display.primary != nullptr && display.clipper != nullptr) {
        blit_shows(display.device, display.primary, window, 640, 400, "a blit of the client size");
        blit_shows(display.device, display.primary, window, 320, 200, "a blit scaled twice");
        clipper_keeps_the_rest(display.device, display.primary, window, desktop_width);
        resize_to(window, 800, 500);
        blit_shows(display.device, display.primary, window, 800, 500, "a blit after the resize");
        mouse_arrives_in_client_pixels(window);
        only_mouse_flags_pass(window);
        fullscreen_and_back(window, desktop_width, desktop_height);
        blit_shows(display.device, display.primary, window, 800, 500, "a blit after full screen");
        minimized_sends_no_size(window);
    }
    release(display);
    platform_destroy_window(window);
}
