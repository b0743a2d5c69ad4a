// What the Win32 backend's entry point, window half and display half share.
#pragma once

#include "platform/platform.h"

#include <windows.h>

#include <ddraw.h>

// WinMain hands over the program's instance before anything else runs.
void win32_set_instance(HINSTANCE program_instance);
// x87 at 64-bit precision, x87 and SSE rounding to nearest, SSE without
// flushing denormals to zero; the exception masks are kept. WinMain calls it first.
void win32_set_float_control();
HWND win32_window_handle(PlatformWindow window);
