// Where an installed program finds the files installed with it: share/velmor
// beside its bin/ folder on Linux, its own folder on Windows (where the zip
// holds everything). The executable's own folder says where that is, so an
// installed tree can be moved as a whole.
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "platform/platform.h"

bool app_installed_file(const char* name, char* path, size_t size) {
    char folder[1024];
    if (!platform_executable_folder(folder, sizeof folder)) return false;
#if defined(_WIN32)
    const char* relative = "";
#else
    // From PREFIX/bin/ to PREFIX/share/velmor/.
    folder[std::strlen(folder) - 1] = '\0';
    char* parent_end = std::strrchr(folder, '/');
    if (!parent_end) return false;
    parent_end[1] = '\0';
    const char* relative = "share/velmor/";
#endif
    int written = std::snprintf(path, size, "%s%s%s", folder, relative, name);
    return written > 0 && (size_t)written < size;
}
