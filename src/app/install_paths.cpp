// Where an installed program finds the files installed with it: the platform
// knows its install layout.
#include <cstdio>

#include "app/app_internal.h"
#include "platform/platform.h"

bool app_installed_file(const char* name, char* path, size_t size) {
    char folder[1024];
    if (!platform_data_folder(folder, sizeof folder)) return false;
    int written = std::snprintf(path, size, "%s%s", folder, name);
    return written > 0 && (size_t)written < size;
}
