// velmor-render's output file on Windows: paths with \ or /, and a rename
// that replaces the file (the C library's rename fails when OUT exists).
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "velmor-render/still.h"

namespace {

void set_errno_from_last_error() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    default:
        errno = EIO;
    }
}

} // namespace

FILE* still_temporary_open(const std::string& out_path, std::string& temporary) {
    const size_t separator = out_path.find_last_of("/\\:");
    const std::string folder =
        separator == std::string::npos ? std::string(".") : out_path.substr(0, separator + 1);
    char name[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), "vmr", 0, name) == 0) { // makes the file
        set_errno_from_last_error();
        return nullptr;
    }
    temporary = name;
    FILE* file = std::fopen(name, "wb");
    if (!file) DeleteFileA(name);
    return file;
}

bool still_file_replace(const std::string& temporary, const std::string& out_path) {
    if (MoveFileExA(temporary.c_str(), out_path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    set_errno_from_last_error();
    return false;
}

void still_stdout_binary() {
    _setmode(_fileno(stdout), _O_BINARY); // no \n to \r\n inside the PNG
}
