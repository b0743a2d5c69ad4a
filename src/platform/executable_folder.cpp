// Where the running program's file lies, asked of the operating system; every
// backend links it, whatever window system it drives.
#include <cstring>

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <unistd.h>
#endif

namespace {

// The program's full path into path; false when it cannot be known.
bool executable_path(char* path, size_t size) {
#if defined(_WIN32)
    DWORD length = GetModuleFileNameA(nullptr, path, (DWORD)size);
    return length > 0 && length < size;
#elif defined(__linux__)
    ssize_t length = readlink("/proc/self/exe", path, size - 1);
    if (length <= 0) return false;
    path[length] = '\0';
    return true;
#else
    (void)path;
    (void)size;
    return false;
#endif
}

} // namespace

bool platform_executable_folder(char* path, size_t size) {
    if (!executable_path(path, size)) return false;
    char* last = std::strrchr(path, '/');
#if defined(_WIN32)
    char* backslash = std::strrchr(path, '\\');
    if (!last || (backslash && backslash > last)) last = backslash;
#endif
    if (!last) return false;
    last[1] = '\0';
    return true;
}
