// Where the running program's file lies, asked of the operating system, and
// where the files installed with it lie: share/velmor beside its bin/ folder
// on Linux, its own folder on Windows (where the zip holds everything). Every
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

bool platform_data_folder(char* path, size_t size) {
    if (!platform_executable_folder(path, size)) return false;
#if defined(_WIN32)
    return true;
#else
    // From PREFIX/bin/ to PREFIX/share/velmor/.
    path[std::strlen(path) - 1] = '\0';
    char* parent_end = std::strrchr(path, '/');
    if (!parent_end) return false;
    parent_end[1] = '\0';
    const char* data = "share/velmor/";
    if (std::strlen(path) + std::strlen(data) >= size) return false;
    std::strcat(path, data);
    return true;
#endif
}
