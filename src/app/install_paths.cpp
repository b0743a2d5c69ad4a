// Where an installed program finds the files installed with it: share/velmor
// beside its bin/ folder on Linux, its own folder on Windows (where the zip
// holds everything). The executable's own path says where that is, so an
// installed tree can be moved as a whole.
#include <cstdio>
#include <cstring>

#include "app/app_internal.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <unistd.h>
#endif

namespace {

// The executable's full path into path; false when it cannot be known.
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

// Cuts path after its last separator, which stays; false when it has none.
bool cut_after_last_separator(char* path) {
    char* last = std::strrchr(path, '/');
#if defined(_WIN32)
    char* backslash = std::strrchr(path, '\\');
    if (!last || (backslash && backslash > last)) last = backslash;
#endif
    if (!last) return false;
    last[1] = '\0';
    return true;
}

} // namespace

bool app_installed_file(const char* name, char* path, size_t size) {
    char folder[1024];
    if (!executable_path(folder, sizeof folder) || !cut_after_last_separator(folder)) return false;
#if defined(_WIN32)
    const char* relative = "";
#else
    // From PREFIX/bin/ to PREFIX/share/velmor/.
    folder[std::strlen(folder) - 1] = '\0';
    if (!cut_after_last_separator(folder)) return false;
    const char* relative = "share/velmor/";
#endif
    int written = std::snprintf(path, size, "%s%s%s", folder, relative, name);
    return written > 0 && (size_t)written < size;
}
