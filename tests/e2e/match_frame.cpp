// match_frame SCREENSHOT.xwd FRAMES_DIR: finds the captured frame (8-bit RGB
// PNG) that equals a screenshot of the X screen pixel for pixel, or says how
// close the closest came. Exit 0 on a match, 1 when none matches, 2 when an
// input cannot be read.
// match_frame --within SCREENSHOT.xwd FRAMES_DIR: the same, but a frame may lie
// anywhere on a larger screen (a window's client area): the whole frame must
// equal the screenshot's pixels at one offset.
// match_frame --blank SCREENSHOT.xwd: exit 0 when the screen is one colour
// (nothing drawn on it yet), 1 when it is not.
// match_frame --counter SCREENSHOT.xwd FONT.bmp: prints the frame counter shown
// at (10, 10), read cell by cell against the font's glyphs; exit 1 when the
// screenshot shows no counter there.
// match_frame --same A.png B.png: exit 0 when the two PNGs have the same size
// and pixels (alpha included), whatever their encoding; 1 when not.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imagefile/png_file.h"
#include "text/text.h"

namespace {

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
};

// Whether rows of 4 * width bytes hold packed 3-byte pixels and padding, as
// xwd writes a screen with windows of several visuals (Wine's under view
// mode): then the padding past 3 * width bytes is zero, and some fourth byte,
// unused by 4-byte pixels, is not.
bool packed_pixels(const unsigned char* rows, size_t size, uint32_t width, uint32_t row_bytes) {
    bool fourth_used = false;
    for (size_t i = 3; i < size && !fourth_used; i += 4)
        fourth_used = rows[i] != 0;
    for (size_t row = 0; row < size && fourth_used; row += row_bytes)
        if (std::any_of(rows + row + size_t(width) * 3, rows + row + row_bytes,
                        [](unsigned char b) { return b != 0; }))
            return false;
    return fourth_used;
}

// A ZPixmap dump of the 24-bit TrueColor screen of Xvfb, as xwd writes it on
// this machine: least significant byte first, red, green and blue masks
// 0xFF0000, 0xFF00, 0xFF. Null when it reads, else what is wrong.
const char* read_xwd(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), {});
    if (file.size() < 100) return "too short for an XWD header";
    auto field = [&](int i) {
        const unsigned char* p = &file[size_t(i) * 4];
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    uint32_t width = field(4), height = field(5), bytes_per_line = field(12);
    // Wine's mode switch can leave a dump that says 24 bits per pixel over rows
    // of 4-byte pixels: the row length tells the pixel size, unless the rows
    // hold packed 3-byte pixels and padding (see packed_pixels).
    uint32_t pixel_bytes = width == 0 ? 0 : bytes_per_line / width;
    if (field(1) != 7 || field(2) != 2 || field(7) != 0 || field(14) != 0xFF0000 ||
        field(15) != 0xFF00 || field(16) != 0xFF || (pixel_bytes != 3 && pixel_bytes != 4))
        return "not a ZPixmap XWD file of 24-bit pixels, least significant byte first";
    size_t data = size_t(field(0)) + size_t(field(19)) * 12; // header, then the colours
    if (data + size_t(bytes_per_line) * height > file.size()) return "cut short";
    if (pixel_bytes == 4 && field(11) == 24 &&
        packed_pixels(&file[data], size_t(bytes_per_line) * height, width, bytes_per_line))
        pixel_bytes = 3;
    picture = {width, height, std::vector<uint32_t>(size_t(width) * height)};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &file[data + size_t(y) * bytes_per_line + x * pixel_bytes];
            picture.pixels[size_t(y) * width + x] =
                uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    return nullptr;
}

size_t differing(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return SIZE_MAX;
    size_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        count += a.pixels[i] != b.pixels[i];
    return count;
}

// Polynomial hashes of runs of `length` pixels, modulo 2^64; equal runs hash
// equal, and a candidate is compared pixel by pixel anyway.
constexpr uint64_t RUN_BASE = 0x100000001b3;

uint64_t run_hash(const uint32_t* p, uint32_t length) {
    uint64_t h = 0;
    for (uint32_t i = 0; i < length; ++i)
        h = h * RUN_BASE + p[i];
    return h;
}

// (hash, y * width + x) of every run of `length` pixels in the picture's rows,
// sorted by hash.
std::vector<std::pair<uint64_t, size_t>> index_runs(const Picture& shot, uint32_t length) {
    std::vector<std::pair<uint64_t, size_t>> runs;
    if (length == 0 || length > shot.width) return runs;
    uint64_t top = 1; // RUN_BASE^(length - 1)
    for (uint32_t i = 1; i < length; ++i)
        top *= RUN_BASE;
    for (uint32_t y = 0; y < shot.height; ++y) {
        const uint32_t* row = &shot.pixels[size_t(y) * shot.width];
        uint64_t h = run_hash(row, length);
        for (uint32_t x = 0;; ++x) {
            runs.emplace_back(h, size_t(y) * shot.width + x);
            if (x + length == shot.width) break;
            h = (h - row[x] * top) * RUN_BASE + row[x + length];
        }
    }
    std::sort(runs.begin(), runs.end());
    return runs;
}

// Pixels of the frame that differ from the screenshot with the frame's corner
// at (x, y).
size_t differing_at(const Picture& shot, const Picture& frame, uint32_t x, uint32_t y) {
    size_t count = 0;
    for (uint32_t k = 0; k < frame.height; ++k)
        for (uint32_t i = 0; i < frame.width; ++i)
            count += frame.pixels[size_t(k) * frame.width + i] !=
                     shot.pixels[size_t(y + k) * shot.width + x + i];
    return count;
}

// Where in the screenshot the frame lies, found from its row that occurs
// least often there; the fewest differing pixels among those places.
size_t closest_placement(const Picture& shot, const Picture& frame,
                         const std::vector<std::pair<uint64_t, size_t>>& runs, size_t& at) {
    if (frame.width > shot.width || frame.height > shot.height) return SIZE_MAX;
    using Range = std::pair<std::vector<std::pair<uint64_t, size_t>>::const_iterator,
                            std::vector<std::pair<uint64_t, size_t>>::const_iterator>;
    Range rarest{runs.end(), runs.end()};
    uint32_t rarest_row = 0;
    for (uint32_t k = 0; k < frame.height; ++k) {
        uint64_t h = run_hash(&frame.pixels[size_t(k) * frame.width], frame.width);
        Range found =
            std::equal_range(runs.begin(), runs.end(), std::make_pair(h, size_t(0)),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        if (k == 0 || found.second - found.first < rarest.second - rarest.first)
            rarest = found, rarest_row = k;
        if (found.first == found.second) return SIZE_MAX;
    }
    size_t best = SIZE_MAX;
    for (auto it = rarest.first; it != rarest.second && best != 0; ++it) {
        uint32_t x = uint32_t(it->second % shot.width), y = uint32_t(it->second / shot.width);
        if (y < rarest_row || y - rarest_row + frame.height > shot.height) continue;
        size_t count = differing_at(shot, frame, x, y - rarest_row);
        if (count < best) best = count, at = it->second - size_t(rarest_row) * shot.width;
    }
    return best;
}

// The printable character whose font cell equals the screen's 11 x 13 pixels
// at (x, y); 0 when none does.
char glyph_at(const Picture& shot, const Image& font, uint32_t x, uint32_t y) {
    for (int code = 32; code < 128; ++code) {
        int32_t left = code % 16 * GLYPH_WIDTH, top = (code - 32) / 16 * GLYPH_HEIGHT;
        if (left + GLYPH_WIDTH > font.width || top + GLYPH_HEIGHT > font.height) continue;
        bool same = x + GLYPH_WIDTH <= shot.width && y + GLYPH_HEIGHT <= shot.height;
        for (int k = 0; same && k < GLYPH_HEIGHT; ++k)
            for (int i = 0; same && i < GLYPH_WIDTH; ++i)
                same = shot.pixels[size_t(y + k) * shot.width + x + i] ==
                       font.pixels[(top + k) * font.width + left + i];
        if (same) return char(code);
    }
    return 0;
}

// The digits of "%d.th Frame" at (10, 10), up to the full stop.
int print_counter(const Picture& shot, const char* font_path) {
    Image* font = image_load_bmp(font_path);
    if (!font) {
        std::fprintf(stderr, "match_frame: %s: %s\n", font_path, image_error());
        return 2;
    }
    std::string digits;
    char c;
    for (uint32_t x = 10; (c = glyph_at(shot, *font, x, 10)) != 0 && c != '.'; x += GLYPH_WIDTH)
        digits += c;
    image_free(font);
    size_t sign = !digits.empty() && digits[0] == '-';
    bool number = c == '.' && digits.size() > sign &&
                  digits.find_first_not_of("0123456789", sign) == std::string::npos;
    if (!number) return 1;
    std::printf("%s\n", digits.c_str());
    return 0;
}

// Two PNG files' pixels, read with their alpha.
int same_pictures(const char* first, const char* second) {
    PngPicture a, b;
    if (!png_read_rgba(first, a) || !png_read_rgba(second, b)) {
        std::fprintf(stderr, "match_frame: cannot read %s or %s\n", first, second);
        return 2;
    }
    size_t count = differing({a.width, a.height, a.pixels}, {b.width, b.height, b.pixels});
    if (count == 0) return 0;
    std::printf("%s (%ux%u) and %s (%ux%u) differ in %zu pixels\n", first, a.width, a.height,
                second, b.width, b.height, count);
    return 1;
}

// Whether a frame in the folder equals the screenshot, whole or (within) at
// some offset; says which, or how close the closest came.
int match_frames(const Picture& shot, const char* folder, bool within) {
    std::vector<std::string> frames;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".png") frames.push_back(entry.path().string());
    std::sort(frames.begin(), frames.end());
    std::vector<std::pair<uint64_t, size_t>> runs;
    uint32_t run_length = 0;
    size_t best = SIZE_MAX, best_at = 0, at = 0;
    std::string best_name = "none";
    for (const std::string& name : frames) {
        PngPicture png;
        if (!png_read(name, png)) {
            std::fprintf(stderr, "match_frame: cannot read %s\n", name.c_str());
            return 2;
        }
        Picture frame{png.width, png.height, png.pixels};
        if (within && run_length != frame.width)
            runs = index_runs(shot, frame.width), run_length = frame.width;
        size_t count = within ? closest_placement(shot, frame, runs, at) : differing(shot, frame);
        if (count < best) best = count, best_name = name, best_at = at;
        if (count != 0) continue;
        if (within)
            std::printf("screenshot at (%zu, %zu) equals %s\n", at % shot.width, at / shot.width,
                        name.c_str());
        else
            std::printf("screenshot equals %s\n", name.c_str());
        return 0;
    }
    if (within && best == SIZE_MAX)
        std::printf("no frame lies in the %ux%u screenshot: none has all its rows there\n",
                    shot.width, shot.height);
    else if (within)
        std::printf("no frame lies in the %ux%u screenshot; closest: %s at (%zu, %zu), %zu "
                    "pixels differ\n",
                    shot.width, shot.height, best_name.c_str(), best_at % shot.width,
                    best_at / shot.width, best);
    else
        std::printf("no frame equals the %ux%u screenshot; closest: %s, %zu pixels differ\n",
                    shot.width, shot.height, best_name.c_str(), best);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    bool blank = argc == 3 && mode == "--blank";
    bool within = argc == 4 && mode == "--within";
    if (argc == 4 && mode == "--same") return same_pictures(argv[2], argv[3]);
    if (argc == 4 && mode == "--counter") {
        Picture shot;
        if (const char* error = read_xwd(argv[2], shot)) {
            std::fprintf(stderr, "match_frame: %s: %s\n", argv[2], error);
            return 2;
        }
        return print_counter(shot, argv[3]);
    }
    if (argc != 3 && !within) {
        std::fprintf(stderr, "usage: match_frame [--blank|--within] SCREENSHOT.xwd [FRAMES_DIR]\n"
                             "       match_frame --counter SCREENSHOT.xwd FONT.bmp\n"
                             "       match_frame --same A.png B.png\n");
        return 2;
    }
    const char* shot_path = argv[blank || within ? 2 : 1];
    Picture shot;
    if (const char* error = read_xwd(shot_path, shot)) {
        std::fprintf(stderr, "match_frame: %s: %s\n", shot_path, error);
        return 2;
    }
    if (blank)
        return std::all_of(shot.pixels.begin(), shot.pixels.end(),
                           [&](uint32_t p) { return p == shot.pixels[0]; })
                   ? 0
                   : 1;
    return match_frames(shot, argv[within ? 3 : 2], within);
}
