// For fuzz targets whose code reads fixed file names ("Font.bmp", "Z_Test.3ds")
// from the working folder: one fresh folder per process, in memory when
// /dev/shm is there, removed at exit. It is the working folder only while a
// FuzzFolder lives, so that libFuzzer's own relative paths keep working.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline void fuzz_require(bool condition) {
    if (!condition) std::abort();
}

struct FuzzFolder {
    int previous;
    FuzzFolder() {
        static std::string folder;
        if (folder.empty()) {
            const char* parent = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
            folder = std::string(parent) + "/velmor_fuzz.XXXXXX";
            fuzz_require(mkdtemp(&folder[0]) != nullptr);
            std::atexit([] { std::filesystem::remove_all(folder); });
        }
        previous = open(".", O_RDONLY | O_DIRECTORY);
        fuzz_require(previous >= 0 && chdir(folder.c_str()) == 0);
    }
    ~FuzzFolder() {
        fuzz_require(fchdir(previous) == 0);
        close(previous);
    }
};

inline void fuzz_write_file(const char* name, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(name, "wb");
    fuzz_require(f != nullptr);
    fuzz_require(size == 0 || std::fwrite(data, 1, size, f) == size);
    fuzz_require(std::fclose(f) == 0);
}
