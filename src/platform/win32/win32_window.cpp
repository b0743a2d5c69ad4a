// Window, messages, timer and cursor: the Win32 calls themselves. A platform
// window is the HWND; the window procedure is reached through one trampoline
// because the shell's procedure has the neutral signature.
#include "platform/win32/win32_backend.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstdio>
#include <cstring>

static_assert(MESSAGE_DESTROY == WM_DESTROY && MESSAGE_CLOSE == WM_CLOSE &&
                  MESSAGE_QUIT == WM_QUIT && MESSAGE_KEYDOWN == WM_KEYDOWN &&
                  MESSAGE_TIMER == WM_TIMER && MESSAGE_DROPFILES == WM_DROPFILES &&
                  MESSAGE_SIZE == WM_SIZE && MESSAGE_KEYUP == WM_KEYUP,
              "the shell's message values are Win32's");
static_assert(MESSAGE_MOUSEMOVE == WM_MOUSEMOVE && MESSAGE_LBUTTONDOWN == WM_LBUTTONDOWN &&
                  MESSAGE_LBUTTONUP == WM_LBUTTONUP && MESSAGE_RBUTTONDOWN == WM_RBUTTONDOWN &&
                  MESSAGE_RBUTTONUP == WM_RBUTTONUP && MESSAGE_MBUTTONDOWN == WM_MBUTTONDOWN &&
                  MESSAGE_MBUTTONUP == WM_MBUTTONUP && MESSAGE_MOUSEWHEEL == WM_MOUSEWHEEL,
              "the mouse messages are Win32's");
static_assert(MOUSE_FLAG_LEFT == MK_LBUTTON && MOUSE_FLAG_RIGHT == MK_RBUTTON &&
                  MOUSE_FLAG_SHIFT == MK_SHIFT && MOUSE_FLAG_MIDDLE == MK_MBUTTON &&
                  WHEEL_STEP == WHEEL_DELTA,
              "the mouse flags are Win32's");
static_assert(KEY_SHIFT == VK_SHIFT && KEY_ESCAPE == VK_ESCAPE && KEY_SPACE == VK_SPACE &&
                  KEY_HOME == VK_HOME && KEY_LEFT == VK_LEFT && KEY_UP == VK_UP &&
                  KEY_RIGHT == VK_RIGHT && KEY_DOWN == VK_DOWN && KEY_ADD == VK_ADD &&
                  KEY_SUBTRACT == VK_SUBTRACT && KEY_F11 == VK_F11 && KEY_PLUS == VK_OEM_PLUS &&
                  KEY_MINUS == VK_OEM_MINUS,
              "the key codes are Win32's virtual-key codes");
static_assert(WINDOW_CLASS_STYLE_REDRAW == (CS_HREDRAW | CS_VREDRAW) &&
                  WINDOW_STYLE_DLGFRAME == WS_DLGFRAME &&
                  WINDOW_STYLE_RESIZABLE == WS_OVERLAPPEDWINDOW,
              "the window styles are Win32's");
static_assert(sizeof(uintptr_t) == sizeof(WPARAM) && sizeof(intptr_t) == sizeof(LPARAM),
              "message parameters pass through unchanged");

namespace {

HINSTANCE instance = nullptr;
WindowProc shell_proc = nullptr;
char failure_reason[256] = "";

// "what: the system's words for the last error (code)".
void fail_with_last_error(const char* what) {
    DWORD code = GetLastError();
    char words[160] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, words, sizeof words, nullptr);
    while (length > 0 && (words[length - 1] == '\n' || words[length - 1] == '\r' ||
                          words[length - 1] == ' ' || words[length - 1] == '.'))
        words[--length] = '\0';
    std::snprintf(failure_reason, sizeof failure_reason, "%s: %s (error %lu)", what,
                  length > 0 ? words : "no description", (unsigned long)code);
}

HWND hwnd_of(PlatformWindow window) {
    return reinterpret_cast<HWND>(window);
}
PlatformWindow window_of(HWND hwnd) {
    return reinterpret_cast<PlatformWindow>(hwnd);
}

// The shell takes a dropped file as MESSAGE_DROPFILES with the path of the
// first file; the drop's handle is given back here.
LRESULT dispatch_drop(HWND hwnd, HDROP drop) {
    char path[MAX_PATH];
    UINT length = DragQueryFileA(drop, 0, path, sizeof path);
    LRESULT result = 0;
    if (length > 0 && length < sizeof path)
        result =
            shell_proc(window_of(hwnd), MESSAGE_DROPFILES, reinterpret_cast<uintptr_t>(path), 0);
    DragFinish(drop);
    return result;
}

bool is_resizable(uint32_t style) {
    return (style & WINDOW_STYLE_RESIZABLE) == WINDOW_STYLE_RESIZABLE;
}

// The shell reads only the MOUSE_FLAG_ bits; Ctrl and the extra buttons are
// dropped. The wheel's turn in the high word stays.
constexpr WPARAM MOUSE_FLAGS =
    MOUSE_FLAG_LEFT | MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT | MOUSE_FLAG_MIDDLE;
WPARAM mouse_flags(WPARAM wparam) {
    return (wparam & ~WPARAM(0xFFFF)) | (wparam & MOUSE_FLAGS);
}

bool is_button_down(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}
bool is_button_up(UINT message) {
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

// A drag goes on outside the window: the mouse is captured while a button is
// held, so its moves keep coming, in client coordinates beyond the edges.
void follow_drag(HWND hwnd, UINT message, WPARAM wparam) {
    if (is_button_down(message)) SetCapture(hwnd);
    if (is_button_up(message) && (wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0)
        ReleaseCapture();
}

// WM_MOUSEWHEEL's point is on the screen; the shell's points are the client area's.
LPARAM client_point(HWND hwnd, LPARAM on_screen) {
    POINT point{GET_X_LPARAM(on_screen), GET_Y_LPARAM(on_screen)};
    ScreenToClient(hwnd, &point);
    return MAKELPARAM(point.x, point.y);
}

LRESULT dispatch_mouse(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    follow_drag(hwnd, message, wparam);
    if (message == WM_MOUSEWHEEL) lparam = client_point(hwnd, lparam);
    return shell_proc(window_of(hwnd), message, mouse_flags(wparam), lparam);
}

bool is_mouse_message(UINT message) {
    return message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL;
}

// A minimized window's client area is empty: no picture has that size, and
// the size it comes back with follows when it is restored.
bool is_empty_size(UINT message, WPARAM wparam, LPARAM lparam) {
    return message == WM_SIZE &&
           (wparam == SIZE_MINIMIZED || LOWORD(lparam) == 0 || HIWORD(lparam) == 0);
}

LRESULT CALLBACK window_proc_trampoline(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (shell_proc == nullptr || is_empty_size(message, wparam, lparam))
        return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_DROPFILES) return dispatch_drop(hwnd, reinterpret_cast<HDROP>(wparam));
    if (is_mouse_message(message)) return dispatch_mouse(hwnd, message, wparam, lparam);
    return shell_proc(window_of(hwnd), message, wparam, lparam);
}

// Where a window that went full screen was, to go back there.
struct WindowedPlace {
    HWND hwnd = nullptr;
    LONG_PTR style = 0;
    WINDOWPLACEMENT placement{};
};
WindowedPlace windowed_place;

int go_fullscreen(HWND hwnd) {
    if (windowed_place.hwnd == hwnd) return 1;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor) ||
        !GetWindowPlacement(hwnd, &placement))
        return 0;
    LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    windowed_place = WindowedPlace{hwnd, style, placement};
    SetWindowLongPtrA(hwnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    const RECT& area = monitor.rcMonitor;
    return SetWindowPos(hwnd, HWND_TOP, area.left, area.top, area.right - area.left,
                        area.bottom - area.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER) != 0;
}

int go_windowed(HWND hwnd) {
    if (windowed_place.hwnd != hwnd) return 1;
    windowed_place.hwnd = nullptr;
    SetWindowLongPtrA(hwnd, GWL_STYLE, windowed_place.style);
    SetWindowPlacement(hwnd, &windowed_place.placement);
    return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                        SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER |
                            SWP_FRAMECHANGED) != 0;
}

MSG to_msg(const PlatformMessage* message) {
    MSG msg{};
    msg.hwnd = hwnd_of(message->window);
    msg.message = message->message;
    msg.wParam = message->wparam;
    msg.lParam = message->lparam;
    return msg;
}

} // namespace

void win32_set_instance(HINSTANCE program_instance) {
    instance = program_instance;
}

HWND win32_window_handle(PlatformWindow window) {
    return hwnd_of(window);
}

// cbSize is sizeof(WNDCLASSEXA): 48 bytes on 32-bit Windows, 80 on 64-bit.
int platform_register_window_class(const char* class_name, uint32_t class_style, WindowProc proc) {
    shell_proc = proc;
    WNDCLASSEXA window_class;
    std::memset(&window_class, 0, sizeof window_class);
    window_class.cbSize = sizeof window_class;
    window_class.style = class_style;
    window_class.lpfnWndProc = window_proc_trampoline;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, IDI_APPLICATION);
    window_class.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = class_name;
    if (RegisterClassExA(&window_class) != 0) return 1;
    fail_with_last_error("cannot register the window class");
    return 0;
}

// A resizable window is asked for by its client area; the frame is added here.
PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t style,
                                      int32_t width, int32_t height) {
    RECT outer{0, 0, width, height};
    if (is_resizable(style)) AdjustWindowRect(&outer, style, FALSE);
    HWND hwnd = CreateWindowExA(0, class_name, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                nullptr, instance, nullptr);
    if (hwnd == nullptr) fail_with_last_error("cannot create the window");
    if (hwnd != nullptr) DragAcceptFiles(hwnd, TRUE);
    return window_of(hwnd);
}

const char* platform_error() {
    return failure_reason;
}

// Started from Explorer the program has no console: the box is all a person
// sees. The destroyed main window has posted the quit message, which would end
// the box's own message loop at once; it is taken out of the queue first.
void platform_show_message(const char* title, const char* text) {
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxA(nullptr, text, title, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void platform_show_window(PlatformWindow window, int show_command) {
    ShowWindow(hwnd_of(window), show_command);
}

void platform_update_window(PlatformWindow window) {
    UpdateWindow(hwnd_of(window));
}

int platform_show_cursor(int show) {
    return ShowCursor(show ? TRUE : FALSE);
}

void platform_desktop_size(int32_t* width, int32_t* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

// The frame goes and the window covers its monitor; going back restores the
// style and the placement it had. SetWindowPos sends WM_SIZE before returning.
int platform_window_set_fullscreen(PlatformWindow window, int fullscreen) {
    HWND hwnd = hwnd_of(window);
    if (!IsWindow(hwnd)) return 0;
    return fullscreen ? go_fullscreen(hwnd) : go_windowed(hwnd);
}

// A minimized window has no client area on the screen either.
bool platform_window_client_rect(PlatformWindow window, SurfaceRect* on_screen) {
    HWND hwnd = hwnd_of(window);
    RECT client{};
    if (!IsWindow(hwnd) || IsIconic(hwnd) || !GetClientRect(hwnd, &client)) return false;
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    MapWindowPoints(hwnd, nullptr, corners, 2);
    *on_screen = SurfaceRect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return true;
}

int platform_set_timer(PlatformWindow window, uint32_t timer_id, uint32_t milliseconds) {
    return SetTimer(hwnd_of(window), timer_id, milliseconds, nullptr) != 0 ? 1 : 0;
}

int platform_get_message(PlatformMessage* message) {
    MSG msg{};
    BOOL result = GetMessageA(&msg, nullptr, 0, 0);
    message->window = window_of(msg.hwnd);
    message->message = msg.message;
    message->wparam = msg.wParam;
    message->lparam = msg.lParam;
    return result > 0 ? 1 : result;
}

void platform_translate_message(const PlatformMessage* message) {
    MSG msg = to_msg(message);
    TranslateMessage(&msg);
}

intptr_t platform_dispatch_message(const PlatformMessage* message) {
    MSG msg = to_msg(message);
    return DispatchMessageA(&msg);
}

intptr_t platform_send_message(PlatformWindow window, uint32_t message, uintptr_t wparam,
                               intptr_t lparam) {
    return SendMessageA(hwnd_of(window), message, wparam, lparam);
}

intptr_t platform_default_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                                      intptr_t lparam) {
    return DefWindowProcA(hwnd_of(window), message, wparam, lparam);
}

void platform_destroy_window(PlatformWindow window) {
    DestroyWindow(hwnd_of(window));
}

void platform_post_quit_message(int exit_code) {
    PostQuitMessage(exit_code);
}
