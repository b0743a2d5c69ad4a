// The committed assets are exactly what their tools write today: a tool change
// that alters the bytes must come with the regenerated file (make assets).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::vector<char> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void expect_tool_reproduces(const std::string& tool, const std::string& asset) {
    const auto committed = std::filesystem::path(VELMOR_SOURCE_DIR) / "assets" / asset;
    const auto out = std::filesystem::temp_directory_path() /
                     ("velmor-" + std::to_string(getpid()) + "-" + asset);
    const std::string command = "\"" + tool + "\" \"" + out.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<char> expected = read_bytes(committed);
    EXPECT_FALSE(expected.empty()) << committed;
    EXPECT_TRUE(read_bytes(out) == expected) << out << " differs from " << committed;
    std::filesystem::remove(out);
}

} // namespace

TEST(Regenerate, MakeSceneWritesTheCommittedScene) {
    expect_tool_reproduces(VELMOR_MAKE_SCENE, "Z_Test.3ds");
}

TEST(Regenerate, MakeFontWritesTheCommittedFont) {
#ifdef VELMOR_MAKE_FONT
    expect_tool_reproduces(VELMOR_MAKE_FONT, "Font.bmp");
#else
    GTEST_SKIP()
        << "make-font not built: FreeType or DejaVu Sans Mono missing (scripts/deps.sh font)";
#endif
}
