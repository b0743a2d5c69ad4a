// The platform layer: the window system and the display device, shaped like the
// Win32 and DirectDraw operations that the shell and the display logic use.
// Exactly one backend (src/platform/<name>/) is linked into an executable;
// there is no run-time dispatch.
#pragma once

#include <cstddef>
#include <cstdint>

// The operations of the platform interface by name, for a backend that counts
// or logs them: the window system's, then the display device's.
enum class PlatformOp {
    register_class,
    create_window,
    show_window,
    update_window,
    show_cursor,
    set_timer,
    get_message,
    dispatch_message,
    send_message,
    destroy_window,
    post_quit,
    display_create,
    set_cooperative_level,
    set_mode,
    create_surface,
    get_attached,
    lock,
    unlock,
    blt_fast,
    flip,
    restore,
    surface_release,
    display_release,
    desktop_size,
    set_fullscreen,
    client_rect,
    create_clipper,
    clipper_set_window,
    set_clipper,
    clipper_release,
    blt,
    count
};

// --- Window and messages ------------------------------------------------------

struct SurfaceRect {
    int32_t left, top, right, bottom;
};

using PlatformWindow = struct PlatformWindowRecord*;
using WindowProc = intptr_t (*)(PlatformWindow window, uint32_t message, uintptr_t wparam,
                                intptr_t lparam);

struct PlatformMessage {
    PlatformWindow window;
    uint32_t message;
    uintptr_t wparam;
    intptr_t lparam;
};

// Message and key values are the Win32 ones.
constexpr uint32_t MESSAGE_DESTROY = 0x0002;
constexpr uint32_t MESSAGE_CLOSE = 0x0010;
constexpr uint32_t MESSAGE_QUIT = 0x0012; // what platform_get_message returns 0 with
constexpr uint32_t MESSAGE_KEYDOWN = 0x0100;
constexpr uint32_t MESSAGE_TIMER = 0x0113;
// A file dropped on the window (or opened by other means): wparam is its path,
// a (const char*) valid only while the message is dispatched.
constexpr uint32_t MESSAGE_DROPFILES = 0x0233;
// The picture's new width and height in lparam, as Win32's MAKELPARAM packs them.
constexpr uint32_t MESSAGE_SIZE = 0x0005;
constexpr uint32_t MESSAGE_KEYUP = 0x0101;
// The mouse: wparam holds the MOUSE_FLAG_ bits of the buttons held (after the
// change) and of Shift; lparam the pointer's x and y in the picture, packed as
// MAKELPARAM packs them. MESSAGE_MOUSEWHEEL has the turn in wparam's high 16
// bits, WHEEL_STEP a notch, positive away from the person.
constexpr uint32_t MESSAGE_MOUSEMOVE = 0x0200;
constexpr uint32_t MESSAGE_LBUTTONDOWN = 0x0201;
constexpr uint32_t MESSAGE_LBUTTONUP = 0x0202;
constexpr uint32_t MESSAGE_RBUTTONDOWN = 0x0204;
constexpr uint32_t MESSAGE_RBUTTONUP = 0x0205;
constexpr uint32_t MESSAGE_MBUTTONDOWN = 0x0207;
constexpr uint32_t MESSAGE_MBUTTONUP = 0x0208;
constexpr uint32_t MESSAGE_MOUSEWHEEL = 0x020A;
constexpr uintptr_t MOUSE_FLAG_LEFT = 0x01;
constexpr uintptr_t MOUSE_FLAG_RIGHT = 0x02;
constexpr uintptr_t MOUSE_FLAG_SHIFT = 0x04;
constexpr uintptr_t MOUSE_FLAG_MIDDLE = 0x10;
constexpr int32_t WHEEL_STEP = 120;
// The Win32 virtual-key codes in MESSAGE_KEYDOWN's wparam that the backends
// translate their keys into; other keys send no message.
constexpr uintptr_t KEY_SHIFT = 0x10;
constexpr uintptr_t KEY_ESCAPE = 0x1B;
constexpr uintptr_t KEY_SPACE = 0x20;
constexpr uintptr_t KEY_HOME = 0x24;
constexpr uintptr_t KEY_LEFT = 0x25;
constexpr uintptr_t KEY_UP = 0x26;
constexpr uintptr_t KEY_RIGHT = 0x27;
constexpr uintptr_t KEY_DOWN = 0x28;
constexpr uintptr_t KEY_1 = '1';
constexpr uintptr_t KEY_3 = '3';
constexpr uintptr_t KEY_7 = '7';
constexpr uintptr_t KEY_H = 'H';
constexpr uintptr_t KEY_R = 'R';
constexpr uintptr_t KEY_U = 'U';
constexpr uintptr_t KEY_ADD = 0x6B;      // + on the keypad
constexpr uintptr_t KEY_SUBTRACT = 0x6D; // - on the keypad
constexpr uintptr_t KEY_F11 = 0x7A;
constexpr uintptr_t KEY_PLUS = 0xBB;  // the main keyboard's =/+ key
constexpr uintptr_t KEY_MINUS = 0xBD; // the main keyboard's -/_ key

constexpr uint32_t WINDOW_CLASS_STYLE_REDRAW = 3; // CS_HREDRAW | CS_VREDRAW
constexpr uint32_t WINDOW_STYLE_DLGFRAME = 0x00400000;
// WS_OVERLAPPEDWINDOW: a normal window that the person can resize. With it,
// platform_create_window's width and height are those of the client area, and
// the window sends MESSAGE_SIZE with the client area's size when it is shown
// and whenever that size changes.
constexpr uint32_t WINDOW_STYLE_RESIZABLE = 0x00CF0000;

// Nonzero on success. The backend supplies the icon, cursor and black background.
int platform_register_window_class(const char* class_name, uint32_t class_style, WindowProc proc);
// Null on failure.
PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t style,
                                      int32_t width, int32_t height);
void platform_show_window(PlatformWindow window, int show_command);
void platform_update_window(PlatformWindow window);
// Like ShowCursor: show nonzero increments the display count, zero decrements it.
int platform_show_cursor(int show);
// The size of the desktop (the screen the window is on), in pixels.
void platform_desktop_size(int32_t* width, int32_t* height);
// Nonzero: the window covers the desktop without a frame; zero: it goes back
// to the size and place it had. MESSAGE_SIZE follows. Nonzero on success.
int platform_window_set_fullscreen(PlatformWindow window, int fullscreen);
// Where the window's client area lies on the screen (ClientToScreen of
// GetClientRect); false when the window is not alive.
bool platform_window_client_rect(PlatformWindow window, SurfaceRect* on_screen);
// A periodic timer that posts MESSAGE_TIMER to the window, at most one pending.
int platform_set_timer(PlatformWindow window, uint32_t timer_id, uint32_t milliseconds);
// Waits for the next message: > 0 a message, 0 the quit message (its exit code
// in wparam), < 0 an error.
int platform_get_message(PlatformMessage* message);
void platform_translate_message(const PlatformMessage* message);
intptr_t platform_dispatch_message(const PlatformMessage* message);
intptr_t platform_send_message(PlatformWindow window, uint32_t message, uintptr_t wparam,
                               intptr_t lparam);
// Default handling: MESSAGE_CLOSE destroys the window, which sends MESSAGE_DESTROY.
intptr_t platform_default_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                                      intptr_t lparam);
void platform_destroy_window(PlatformWindow window);
void platform_post_quit_message(int exit_code);

// --- Telling the person at the screen --------------------------------------------

// Why the latest failed call of the backend failed, in words that complete the
// line "velmor: ..." ("no display: neither DISPLAY nor WAYLAND_DISPLAY is set");
// "" when no failure said why.
const char* platform_error();
// A message box with the title, one line of text and an OK button, like
// MessageBoxA; returns once it is closed. Where no box can be shown (no
// display) it does nothing.
void platform_show_message(const char* title, const char* text);

// --- The program's own file ------------------------------------------------------

// The folder of the running program's file, ending in its separator; false when
// it cannot be known or does not fit in size bytes.
bool platform_executable_folder(char* path, size_t size);
// The folder of the files installed with the program (its font), ending in
// its separator, found from the program's own folder so that an installed
// tree can be moved as a whole; false as for platform_executable_folder.
bool platform_data_folder(char* path, size_t size);

// --- Display device -------------------------------------------------------------

using PlatformDisplay = struct PlatformDisplayRecord*;
using PlatformSurface = struct PlatformSurfaceRecord*;

// Result codes are DirectDraw's.
constexpr int32_t DISPLAY_OK = 0;
constexpr int32_t DISPLAY_ERR_GENERIC = (int32_t)0x80004005;
constexpr int32_t DISPLAY_ERR_OUT_OF_MEMORY = (int32_t)0x8007000E;
constexpr int32_t DISPLAY_ERR_UNSUPPORTED = (int32_t)0x80004001;
constexpr int32_t DISPLAY_ERR_SURFACE_LOST = (int32_t)0x887601C2;
constexpr int32_t DISPLAY_ERR_STILL_DRAWING = (int32_t)0x8876021C;

constexpr uint32_t DISPLAY_COOPERATIVE_FULLSCREEN_EXCLUSIVE = 0x13;
// DDSCL_NORMAL: the display stays the desktop's and the program draws into its
// window: a primary surface without back buffer, clipped to the window, that
// platform_surface_blt presents into.
constexpr uint32_t DISPLAY_COOPERATIVE_NORMAL = 0x08;
constexpr uint32_t SURFACE_BLT_WAIT = 0x01000000; // DDBLT_WAIT

constexpr uint32_t SURFACE_DESC_SIZE = 108;
constexpr uint32_t SURFACE_FLAG_CAPS = 0x1;
constexpr uint32_t SURFACE_FLAG_HEIGHT = 0x2;
constexpr uint32_t SURFACE_FLAG_WIDTH = 0x4;
constexpr uint32_t SURFACE_FLAG_BACKBUFFERCOUNT = 0x20;

constexpr uint32_t SURFACE_CAPS_BACKBUFFER = 0x4;
constexpr uint32_t SURFACE_CAPS_COMPLEX = 0x8;
constexpr uint32_t SURFACE_CAPS_FLIP = 0x10;
constexpr uint32_t SURFACE_CAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t SURFACE_CAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t SURFACE_CAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t SURFACE_CAPS_HWCODEC = 0x00100000;

// The fields of a DirectDraw surface description that the program uses.
struct SurfaceDesc {
    uint32_t size;
    uint32_t flags;
    uint32_t height;
    uint32_t width;
    uint32_t back_buffer_count;
    uint32_t caps;
    void* surface;          // set by a lock: the first pixel
    uint32_t rgb_bit_count; // set by a lock
};

int32_t platform_display_create(PlatformDisplay* display);
int32_t platform_display_set_cooperative_level(PlatformDisplay display, PlatformWindow window,
                                               uint32_t flags);
int32_t platform_display_set_mode(PlatformDisplay display, int32_t width, int32_t height,
                                  int32_t bits_per_pixel);
int32_t platform_display_create_surface(PlatformDisplay display, const SurfaceDesc* desc,
                                        PlatformSurface* surface);
int32_t platform_surface_get_attached(PlatformSurface surface, uint32_t caps,
                                      PlatformSurface* attached);
// Flags 0: do not wait. Fills desc->surface and desc->rgb_bit_count; the memory
// is width x height pixels, rows of exactly width x 4 bytes.
int32_t platform_surface_lock(PlatformSurface surface, SurfaceDesc* desc, uint32_t flags);
int32_t platform_surface_unlock(PlatformSurface surface);
// A windowed display's clipper keeps blits to the primary inside the window.
using PlatformClipper = struct PlatformClipperRecord*;
int32_t platform_display_create_clipper(PlatformDisplay display, PlatformClipper* clipper);
int32_t platform_clipper_set_window(PlatformClipper clipper, PlatformWindow window);
int32_t platform_surface_set_clipper(PlatformSurface surface, PlatformClipper clipper);
uint32_t platform_clipper_release(PlatformClipper clipper);
// Like IDirectDrawSurface::Blt without effects: copies source_rect of source
// (null: all of it) into destination_rect of destination (null: all of it),
// scaled when the sizes differ. For a windowed display's primary the
// destination is in screen coordinates (platform_window_client_rect).
int32_t platform_surface_blt(PlatformSurface destination, const SurfaceRect* destination_rect,
                             PlatformSurface source, const SurfaceRect* source_rect,
                             uint32_t flags);
int32_t platform_surface_blt_fast(PlatformSurface destination, int32_t x, int32_t y,
                                  PlatformSurface source, const SurfaceRect* rect, uint32_t flags);
int32_t platform_surface_flip(PlatformSurface surface, PlatformSurface target, uint32_t flags);
int32_t platform_surface_restore(PlatformSurface surface);
uint32_t platform_surface_release(PlatformSurface surface);
// Ends exclusive mode and gives the previous display mode back.
uint32_t platform_display_release(PlatformDisplay display);
