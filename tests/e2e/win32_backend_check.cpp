// The Win32 + DirectDraw backend driven directly, under Wine on a 512 x 384
// X screen: the display set up with the display logic's calls and flags, a
// picture carried from an off-screen surface through the back buffer to the
// front, a surface with padded rows, and the window closed by Escape.
// Prints one line per failed check; exit code 0 when all hold.
#include "platform/win32/win32_backend.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

int failures = 0;

void check(bool ok, const char* what, long value = 0) {
    if (ok) return;
    std::printf("FAILED: %s (%ld, 0x%lx)\n", what, value, (unsigned long)value);
    ++failures;
}

void check_ok(int32_t result, const char* what) {
    check(result == DISPLAY_OK, what, result);
}

intptr_t check_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                           intptr_t lparam) {
    if (message == MESSAGE_KEYDOWN && wparam == KEY_ESCAPE) {
        platform_send_message(window, MESSAGE_CLOSE, 0, 0);
        return 0;
    }
    if (message == MESSAGE_DESTROY) {
        platform_post_quit_message(3);
        return 0;
    }
    return platform_default_window_proc(window, message, wparam, lparam);
}

// The frame tick takes sines in long double: DirectDraw must leave the x87
// unit at its full 64-bit precision, as the C runtime set it.
unsigned short x87_control_word() {
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

uint32_t pattern(uint32_t i) {
    return (i * 2654435761u) & 0x00FFFFFF;
}

uint32_t* lock(PlatformSurface surface, SurfaceDesc& desc) {
    desc.size = SURFACE_DESC_SIZE;
    check_ok(platform_surface_lock(surface, &desc, 0), "lock");
    check(desc.rgb_bit_count == 32, "locked surface is 32 bits per pixel", desc.rgb_bit_count);
    return static_cast<uint32_t*>(desc.surface);
}

struct Screen {
    PlatformDisplay display = nullptr;
    PlatformSurface primary = nullptr, back = nullptr, a = nullptr, b = nullptr;
};

bool set_up(PlatformWindow window, Screen& s) {
    check_ok(platform_display_create(&s.display), "DirectDrawCreate");
    if (s.display == nullptr) return false;
    check_ok(platform_display_set_cooperative_level(s.display, window, 0x13), "cooperative level");
    check_ok(platform_display_set_mode(s.display, 512, 384, 32), "display mode");
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = 0x21;
    desc.caps = 0x00100218;
    desc.back_buffer_count = 1;
    check_ok(platform_display_create_surface(s.display, &desc, &s.primary), "primary");
    if (s.primary == nullptr) return false;
    check_ok(platform_surface_get_attached(s.primary, 0x00100004, &s.back), "back buffer");
    desc.flags = 7;
    desc.height = 384;
    desc.width = 512;
    desc.caps = 0x00100840;
    check_ok(platform_display_create_surface(s.display, &desc, &s.a), "surface a");
    check_ok(platform_display_create_surface(s.display, &desc, &s.b), "surface b");
    return s.back != nullptr && s.a != nullptr && s.b != nullptr;
}

void picture_reaches_the_front(const Screen& s) {
    SurfaceDesc desc{};
    uint32_t* pixels = lock(s.b, desc);
    if (pixels == nullptr) return;
    for (uint32_t i = 0; i < 512 * 384; ++i)
        pixels[i] = pattern(i);
    check_ok(platform_surface_unlock(s.b), "unlock");
    const SurfaceRect whole{0, 0, 512, 384};
    check_ok(platform_surface_blt_fast(s.back, 0, 0, s.b, &whole, 0), "BltFast");
    check_ok(platform_surface_flip(s.primary, nullptr, 0), "Flip");

    SurfaceDesc front{};
    uint32_t* shown = lock(s.primary, front);
    if (shown == nullptr) return;
    int wrong = 0;
    for (uint32_t i = 0; i < 512 * 384; ++i)
        wrong += (shown[i] & 0x00FFFFFF) != pattern(i);
    check(wrong == 0, "front buffer shows the blitted picture: wrong pixels", wrong);
    check_ok(platform_surface_unlock(s.primary), "unlock front");
    for (PlatformSurface surface : {s.primary, s.a, s.b})
        check_ok(platform_surface_restore(surface), "Restore");
}

void padded_rows_read_back(const Screen& s) {
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = 7;
    desc.width = 5;
    desc.height = 3;
    desc.caps = 0x00100840;
    PlatformSurface small = nullptr;
    check_ok(platform_display_create_surface(s.display, &desc, &small), "5 x 3 surface");
    if (small == nullptr) return;
    for (int round = 0; round < 2; ++round) {
        SurfaceDesc locked{};
        uint32_t* pixels = lock(small, locked);
        if (pixels == nullptr) break;
        int wrong = 0;
        for (uint32_t i = 0; i < 15; ++i) {
            if (round == 1) wrong += pixels[i] != pattern(i);
            pixels[i] = pattern(i);
        }
        check(wrong == 0, "5 x 3 surface keeps what was written: wrong pixels", wrong);
        check_ok(platform_surface_unlock(small), "unlock 5 x 3");
    }
    platform_surface_release(small);
}

int escape_ends_the_loop(PlatformWindow window) {
    PostMessageA(win32_window_handle(window), WM_KEYDOWN, VK_ESCAPE, 0);
    PlatformMessage message{};
    int result;
    while ((result = platform_get_message(&message)) > 0) {
        platform_translate_message(&message);
        platform_dispatch_message(&message);
    }
    check(result == 0, "message loop ends with the quit message", result);
    return int(message.wparam);
}

} // namespace

int main() {
    win32_set_instance(GetModuleHandleA(nullptr));
    check(platform_register_window_class("Velmor_Engine", WINDOW_CLASS_STYLE_REDRAW,
                                         check_window_proc) != 0,
          "RegisterClassExA");
    PlatformWindow window = platform_create_window("Velmor_Engine", "Velmor Engine 1.0",
                                                   WINDOW_STYLE_DLGFRAME, 512, 384);
    check(window != nullptr, "CreateWindowExA");
    if (window == nullptr) return 1;
    platform_show_window(window, SW_SHOWNORMAL);
    platform_update_window(window);
    check(platform_show_cursor(0) < 0, "cursor hidden");
    check(platform_set_timer(window, 0, 20) != 0, "SetTimer");

    unsigned short precision = x87_control_word() & 0x300;
    check(precision == 0x300, "x87 precision is extended at start", precision);
    Screen s;
    if (set_up(window, s)) {
        picture_reaches_the_front(s);
        padded_rows_read_back(s);
    }
    check((x87_control_word() & 0x300) == precision, "DirectDraw keeps the x87 precision",
          x87_control_word());
    int exit_code = escape_ends_the_loop(window);
    check(exit_code == 3, "quit code", exit_code);
    if (s.primary) platform_surface_release(s.primary);
    if (s.a) platform_surface_release(s.a);
    if (s.b) platform_surface_release(s.b);
    if (s.display) check(platform_display_release(s.display) == 0, "DirectDraw released");
    platform_show_cursor(1);
    std::printf("%s\n",
                failures == 0 ? "win32 backend: all checks passed" : "win32 backend: FAILED");
    return failures == 0 ? 0 : 1;
}
