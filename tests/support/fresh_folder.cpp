#include "support/fresh_folder.h"

#include <cstdio>
#include <unistd.h>

void InFreshFolder::SetUp() {
    previous = std::filesystem::current_path();
    folder = testing::TempDir() + "velmor_XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::filesystem::current_path(folder);
}

void InFreshFolder::TearDown() {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}
