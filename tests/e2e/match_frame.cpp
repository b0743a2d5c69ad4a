// match_frame SCREENSHOT.xwd FRAMES_DIR: finds the captured frame (8-bit RGB
// PNG, frame_NNNNN.png) that equals a screenshot of the X screen pixel for
// pixel. Prints the match, or the closest frame and where it differs first.
// Exit 0 on a match, 1 when none matches, 2 when an input cannot be read.
// match_frame --blank SCREENSHOT.xwd: exit 0 when the screen is one colour
// (nothing drawn on it yet), 1 when it is not.
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
};

uint32_t big_endian(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int shift_of(uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// A ZPixmap XWD dump of a 24- or 32-bit TrueColor screen, as xwd writes it.
bool read_xwd(const char* path, Picture& picture, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (file.size() < 100) return error = "too short for an XWD header", false;
    auto field = [&](int i) { return big_endian(&file[size_t(i) * 4]); };
    uint32_t header_size = field(0), format = field(2), width = field(4), height = field(5);
    uint32_t byte_order = field(7), bits_per_pixel = field(11), bytes_per_line = field(12);
    uint32_t masks[3] = {field(14), field(15), field(16)}; // red, green, blue
    uint32_t colours = field(19);
    // Wine's mode switch can leave a dump that says 24 bits per pixel over
    // rows of 4-byte pixels: the row length tells the pixel size.
    uint32_t pixel_bytes = width == 0 ? 0 : bytes_per_line / width;
    if (field(1) != 7 || format != 2 || (bits_per_pixel != 24 && bits_per_pixel != 32) ||
        (pixel_bytes != 3 && pixel_bytes != 4))
        return error = "not a 24- or 32-bit ZPixmap XWD file", false;
    size_t data = size_t(header_size) + size_t(colours) * 12;
    if (data + size_t(bytes_per_line) * height > file.size())
        return error = "XWD image data is cut short", false;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = &file[data + size_t(y) * bytes_per_line + x * pixel_bytes];
            uint32_t v = 0;
            for (uint32_t b = 0; b < pixel_bytes; ++b) // byte order 0: least significant first
                v |= uint32_t(p[b]) << (byte_order == 0 ? 8 * b : 8 * (pixel_bytes - 1 - b));
            uint32_t rgb = 0;
            for (int c = 0; c < 3; ++c)
                rgb = rgb << 8 | ((v & masks[c]) >> shift_of(masks[c]) & 0xFF);
            picture.pixels[size_t(y) * width + x] = rgb;
        }
    }
    return true;
}

bool read_png(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    picture.width = image.width;
    picture.height = image.height;
    picture.pixels.resize(size_t(image.width) * image.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] =
            uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    return true;
}

size_t differing(const Picture& a, const Picture& b, size_t* first) {
    if (a.width != b.width || a.height != b.height) return SIZE_MAX;
    size_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        if (a.pixels[i] == b.pixels[i]) continue;
        if (count++ == 0) *first = i;
    }
    return count;
}

bool read_screenshot(const char* path, Picture& shot) {
    std::string error;
    if (read_xwd(path, shot, error)) return true;
    std::fprintf(stderr, "match_frame: %s: %s\n", path, error.c_str());
    return false;
}

bool one_colour(const Picture& shot) {
    return std::all_of(shot.pixels.begin(), shot.pixels.end(),
                       [&](uint32_t p) { return p == shot.pixels[0]; });
}

} // namespace

int main(int argc, char** argv) {
    Picture shot;
    if (argc == 3 && std::string(argv[1]) == "--blank")
        return read_screenshot(argv[2], shot) ? (one_colour(shot) ? 0 : 1) : 2;
    if (argc != 3) {
        std::fprintf(stderr, "usage: match_frame SCREENSHOT.xwd FRAMES_DIR\n"
                             "       match_frame --blank SCREENSHOT.xwd\n");
        return 2;
    }
    if (!read_screenshot(argv[1], shot)) return 2;
    std::vector<std::string> frames;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2]))
        if (entry.path().extension() == ".png") frames.push_back(entry.path().string());
    std::sort(frames.begin(), frames.end());
    if (frames.empty()) {
        std::fprintf(stderr, "match_frame: no frames in %s\n", argv[2]);
        return 2;
    }

    size_t best = SIZE_MAX, best_first = 0;
    std::string best_name;
    for (const std::string& name : frames) {
        Picture frame;
        if (!read_png(name, frame)) {
            std::fprintf(stderr, "match_frame: cannot read %s\n", name.c_str());
            return 2;
        }
        size_t first = 0, count = differing(shot, frame, &first);
        if (count == 0) {
            std::printf("screenshot equals %s\n", name.c_str());
            return 0;
        }
        if (count < best) best = count, best_first = first, best_name = name;
    }
    if (best == SIZE_MAX) {
        std::printf("no frame has the screenshot's size %ux%u\n", shot.width, shot.height);
        return 1;
    }
    std::printf("no frame matches; closest %s differs in %zu pixels, first at (%zu, %zu)\n",
                best_name.c_str(), best, best_first % shot.width, best_first / shot.width);
    return 1;
}
