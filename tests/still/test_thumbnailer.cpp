// The installed thumbnailer entry run as a file manager runs it: its Exec line
// with the codes filled in, in a bubblewrap sandbox like GNOME's (read-only
// /usr, nothing shared with the host, no display, only the input file and an
// output folder bound in), on corpus files at two thumbnail sizes.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

#include "imagefile/png_file.h"
#include "still/still_run.h"
#include "support/fresh_folder.h"

namespace {

const std::string CORPUS = VELMOR_SHARED_DIR "/corpus/";

// The value of key in the entry's text; empty when it has none.
std::string entry_value(const std::string& entry, const std::string& key) {
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

// The Exec line split into words, each code replaced as the file managers do.
std::vector<std::string> expand(const std::string& exec, const std::string& input,
                                const std::string& output, int size) {
    std::vector<std::string> words;
    std::istringstream split(exec);
    for (std::string word; split >> word;) {
        std::string expanded;
        for (size_t i = 0; i < word.size(); ++i) {
            const char code = word[i] == '%' && i + 1 < word.size() ? word[++i] : '\0';
            if (code == 's')
                expanded += std::to_string(size);
            else if (code == 'i')
                expanded += input;
            else if (code == 'u')
                expanded += "file://" + input;
            else if (code == 'o')
                expanded += output;
            else
                expanded += code ? std::string(1, code) : std::string(1, word[i]);
        }
        words.push_back(expanded);
    }
    return words;
}

std::vector<std::string> sandbox(const std::string& prefix, const std::string& input,
                                 const std::string& out_folder) {
    return {"bwrap",
            "--ro-bind",
            "/usr",
            "/usr",
            "--symlink",
            "usr/lib",
            "/lib",
            "--symlink",
            "usr/lib64",
            "/lib64",
            "--symlink",
            "usr/bin",
            "/bin",
            "--symlink",
            "usr/sbin",
            "/sbin",
            "--ro-bind",
            "/etc/ld.so.cache",
            "/etc/ld.so.cache",
            "--proc",
            "/proc",
            "--dev",
            "/dev",
            "--chdir",
            "/",
            "--unshare-all",
            "--die-with-parent",
            "--clearenv",
            "--setenv",
            "PATH",
            prefix + "/bin:/usr/bin",
            "--ro-bind",
            prefix,
            prefix,
            "--ro-bind",
            input,
            input,
            "--bind",
            out_folder,
            out_folder};
}

class Thumbnailer : public InFreshFolder {};

} // namespace

TEST_F(Thumbnailer, DrawsCorpusModelsInTheSandbox) {
    if (!std::filesystem::exists(CORPUS)) GTEST_SKIP() << "no shared corpus at " << CORPUS;
    if (std::system("command -v bwrap >/dev/null") != 0) GTEST_SKIP() << "bubblewrap missing";
    const std::string prefix = folder + "/prefix", out = folder + "/out";
    StillRun install = run_command(shell_words({VELMOR_CMAKE, "--install", VELMOR_BINARY_DIR,
                                                "--prefix", prefix, "--component", "thumbnailer"}));
    ASSERT_EQ(install.exit_code, 0) << install.err;
    const std::string entry = slurp(prefix + "/share/thumbnailers/velmor.thumbnailer");
    ASSERT_EQ(entry.rfind("[Thumbnailer Entry]\n", 0), 0u) << entry;
    EXPECT_EQ(entry_value(entry, "MimeType"), "image/x-3ds;");
    const std::string try_exec = prefix + "/bin/" + entry_value(entry, "TryExec");
    EXPECT_EQ(access(try_exec.c_str(), X_OK), 0) << try_exec;
    std::filesystem::create_directory(out);

    for (const char* name : {"assimp_fels.3ds", "castle_house3.3ds", "gl117_ship1.3ds"}) {
        for (int size : {128, 256}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(size));
            const std::string input = CORPUS + name, output = out + "/thumbnail.png";
            std::vector<std::string> words = sandbox(prefix, input, out);
            for (const std::string& word : expand(entry_value(entry, "Exec"), input, output, size))
                words.push_back(word);
            StillRun run = run_command("env -u DISPLAY -u WAYLAND_DISPLAY " + shell_words(words));
            ASSERT_EQ(run.exit_code, 0) << run.err;
            const std::string bytes = slurp(output);
            ASSERT_GT(bytes.size(), 26u);
            EXPECT_EQ(bytes[25], 6) << "an 8-bit RGBA PNG"; // IHDR colour type
            PngPicture picture;
            ASSERT_TRUE(png_read_rgba(output, picture));
            EXPECT_EQ(std::max(picture.width, picture.height), (uint32_t)size);
            size_t drawn = 0;
            for (uint32_t p : picture.pixels)
                drawn += p >> 24 != 0;
            EXPECT_GT(drawn, 0u) << "the model";
            EXPECT_LT(drawn, picture.pixels.size()) << "a transparent background";
            std::filesystem::remove(output);
        }
    }
}
