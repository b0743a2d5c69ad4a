// The Win32 + DirectDraw backend driven directly, under Wine.
//
//   velmor-win32-check              on a 512 x 384 X screen
//   velmor-win32-check --windowed WxH   on an X screen of W x H, larger than 800 x 500
//
// The first shows what the end-to-end run of the program cannot: that
// win32_set_float_control undoes what a DLL may do to the floating-point
// state, that DirectDraw leaves the x87 unit's precision alone, that a surface
// whose rows are padded keeps what is written to it, and that a dropped file
// reaches the window procedure with its path. The second checks view mode's
// windowed display (win32_windowed_check.cpp). Prints one line per failed
// check; exit code 0 when all hold, 2 for bad arguments.
#include "win32_check.h"

#include "platform/win32/win32_backend.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <xmmintrin.h>

namespace {
int failures = 0;
} // namespace

void check(bool ok, const char* what, long value) {
    if (ok) return;
    std::printf("FAILED: %s (%ld, 0x%lx)\n", what, value, (unsigned long)value);
    ++failures;
}

uint32_t pattern(uint32_t i) {
    return (i * 2654435761u) & 0x00FFFFFF;
}

namespace {

char dropped_path[MAX_PATH];

intptr_t quiet_proc(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    if (message == MESSAGE_DROPFILES)
        std::snprintf(dropped_path, sizeof dropped_path, "%s",
                      reinterpret_cast<const char*>(wparam));
    return platform_default_window_proc(window, message, wparam, lparam);
}

// Explorer's drop, as WM_DROPFILES carries it: a DROPFILES block followed by
// the file names, each ended by a NUL, the list by another. The window
// procedure sees the first file's path.
void drop_reaches_the_shell(PlatformWindow window) {
    const char names[] = "C:\\models\\ship one.3ds\0C:\\second.3ds\0";
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof names);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names, sizeof names);
    GlobalUnlock(block);
    check(PostMessageA(win32_window_handle(window), WM_DROPFILES, (WPARAM)block, 0), "post a drop");
    PlatformMessage message{};
    check(platform_get_message(&message) == 1, "the drop arrives");
    platform_dispatch_message(&message);
    check(std::strcmp(dropped_path, "C:\\models\\ship one.3ds") == 0, "the dropped path");
}

// The frame tick takes sines in long double: the x87 unit must stay at its
// full 64-bit precision, as WinMain set it.
unsigned short x87_precision() {
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word & 0x300;
}

// What a DLL may leave behind: the x87 at 24 bits rounding toward zero, SSE
// rounding toward zero and flushing denormals. win32_set_float_control must
// undo all of it.
void float_control_restored() {
    unsigned short narrow = 0x0C7F;
    __asm__ volatile("fldcw %0" : : "m"(narrow));
    _mm_setcsr(_mm_getcsr() | 0xE040);
    win32_set_float_control();
    volatile long double one = 1.0L, tiny = 0x1p-60L;
    check(one + tiny != one, "x87 adds at 64-bit precision after win32_set_float_control");
    volatile long double three_quarter_steps = 0x3p-65L;
    check(one + three_quarter_steps == 1.0L + 0x1p-63L, "x87 rounds to nearest");
    check((_mm_getcsr() & 0xE040) == 0, "SSE rounds to nearest and keeps denormals", _mm_getcsr());
}

// The display set up with the display logic's calls and flags.
void take_the_display(PlatformDisplay display, PlatformWindow window, PlatformSurface& primary) {
    check(platform_display_set_cooperative_level(display, window, 0x13) == DISPLAY_OK,
          "cooperative level");
    check(platform_display_set_mode(display, 512, 384, 32) == DISPLAY_OK, "display mode");
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = 0x21;
    desc.caps = 0x00100218;
    desc.back_buffer_count = 1;
    check(platform_display_create_surface(display, &desc, &primary) == DISPLAY_OK, "primary");
}

// A 5 x 3 surface's rows are padded: what one lock wrote, the next reads back.
void padded_rows_read_back(PlatformDisplay display) {
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = 7;
    desc.width = 5;
    desc.height = 3;
    desc.caps = 0x00100840;
    PlatformSurface small = nullptr;
    check(platform_display_create_surface(display, &desc, &small) == DISPLAY_OK, "5 x 3 surface");
    for (int round = 0; small != nullptr && round < 2; ++round) {
        SurfaceDesc locked{};
        locked.size = SURFACE_DESC_SIZE;
        check(platform_surface_lock(small, &locked, 0) == DISPLAY_OK, "lock");
        check(locked.rgb_bit_count == 32, "32 bits per pixel", locked.rgb_bit_count);
        auto* pixels = static_cast<uint32_t*>(locked.surface);
        if (pixels == nullptr) break;
        int wrong = 0;
        for (uint32_t i = 0; i < 15; ++i) {
            if (round == 1) wrong += pixels[i] != pattern(i);
            pixels[i] = pattern(i);
        }
        check(wrong == 0, "5 x 3 surface keeps what was written: wrong pixels", wrong);
        check(platform_surface_unlock(small) == DISPLAY_OK, "unlock");
    }
    if (small) platform_surface_release(small);
}

// The exclusive 512 x 384 x 32 display of demo mode, its window and messages.
void exclusive_checks() {
    check(platform_register_window_class("Velmor_Engine", WINDOW_CLASS_STYLE_REDRAW, quiet_proc),
          "RegisterClassExA");
    PlatformWindow window = platform_create_window("Velmor_Engine", "Velmor Engine 1.0",
                                                   WINDOW_STYLE_DLGFRAME, 512, 384);
    check(window != nullptr, "CreateWindowExA");
    PlatformDisplay display = nullptr;
    PlatformSurface primary = nullptr;
    float_control_restored();
    unsigned short precision = x87_precision();
    if (window) {
        platform_show_window(window, SW_SHOWNORMAL);
        drop_reaches_the_shell(window);
        check(platform_display_create(&display) == DISPLAY_OK, "DirectDrawCreate");
    }
    if (display) {
        take_the_display(display, window, primary);
        padded_rows_read_back(display);
    }
    check(x87_precision() == precision, "DirectDraw keeps the x87 precision", x87_precision());
    if (primary) platform_surface_release(primary);
    if (display) platform_display_release(display);
    if (window) platform_destroy_window(window);
}

} // namespace

int main(int argc, char** argv) {
    win32_set_instance(GetModuleHandleA(nullptr));
    int width = 0, height = 0;
    if (argc == 3 && std::strcmp(argv[1], "--windowed") == 0 &&
        std::sscanf(argv[2], "%dx%d", &width, &height) == 2)
        windowed_checks(width, height);
    else if (argc == 1)
        exclusive_checks();
    else {
        std::printf("usage: velmor-win32-check [--windowed WIDTHxHEIGHT]\n");
        return 2;
    }
    std::printf("win32 backend%s: %s\n", argc == 1 ? "" : ", windowed",
                failures == 0 ? "all checks passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
