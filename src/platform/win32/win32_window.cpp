// Window, messages, timer and cursor: the Win32 calls themselves. A platform
// window is the HWND; the window procedure is reached through one trampoline
// because the shell's procedure has the neutral signature.
#include "platform/win32/win32_backend.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

static_assert(MESSAGE_DROPFILES == WM_DROPFILES && MESSAGE_SIZE == WM_SIZE &&
                  MESSAGE_KEYUP == WM_KEYUP && MESSAGE_MOUSEMOVE == WM_MOUSEMOVE &&
                  MESSAGE_MBUTTONUP == WM_MBUTTONUP && MESSAGE_MOUSEWHEEL == WM_MOUSEWHEEL,
              "the shell's message values are Win32's");
static_assert(MOUSE_FLAG_SHIFT == MK_SHIFT && MOUSE_FLAG_MIDDLE == MK_MBUTTON &&
                  WHEEL_STEP == WHEEL_DELTA,
              "the mouse flags are Win32's");
static_assert(KEY_SHIFT == VK_SHIFT && KEY_HOME == VK_HOME && KEY_DOWN == VK_DOWN &&
                  KEY_ADD == VK_ADD && KEY_SUBTRACT == VK_SUBTRACT && KEY_F11 == VK_F11 &&
                  KEY_PLUS == VK_OEM_PLUS && KEY_MINUS == VK_OEM_MINUS,
              "the key codes are Win32's virtual-key codes");
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

LRESULT CALLBACK window_proc_trampoline(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (shell_proc == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
    if (message == WM_DROPFILES) return dispatch_drop(hwnd, reinterpret_cast<HDROP>(wparam));
    return shell_proc(window_of(hwnd), message, wparam, lparam);
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

PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t style,
                                      int32_t width, int32_t height) {
    HWND hwnd = CreateWindowExA(0, class_name, title, style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                                height, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) fail_with_last_error("cannot create the window");
    if (hwnd != nullptr) DragAcceptFiles(hwnd, TRUE);
    return window_of(hwnd);
}

const char* platform_failure_reason() {
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
