// velmor-render's output file on POSIX systems.
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "velmor-render/still.h"

FILE* still_temporary_open(const std::string& out_path, std::string& temporary) {
    const size_t slash = out_path.rfind('/');
    temporary = (slash == std::string::npos ? std::string() : out_path.substr(0, slash + 1)) +
                ".velmor-render-XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return nullptr;
    // mkstemp makes the file 0600; the picture gets a new file's usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    FILE* file = fchmod(fd, 0666 & ~mask) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        const int reason = errno;
        close(fd);
        std::remove(temporary.c_str());
        errno = reason;
    }
    return file;
}

bool still_file_replace(const std::string& temporary, const std::string& out_path) {
    return std::rename(temporary.c_str(), out_path.c_str()) == 0;
}

void still_stdout_binary() {} // POSIX streams pass bytes unchanged
