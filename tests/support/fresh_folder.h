// Each test that writes files runs in a folder of its own (ctest runs several
// at once), removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class InFreshFolder : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path previous;
    std::string folder;
};

// Writes the bytes to path (nothing when it cannot be opened).
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
