// The input becomes "Font.bmp". A loaded font draws every printable character
// and the frame counter's text at the corners, edges and far outside of a
// screen-sized target that lies between two guard zones; the zones must come
// out untouched and every pixel of the image must be readable.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "../fuzz_folder.h"
#include "text/text.h"

namespace {

constexpr int32_t WIDTH = 512, HEIGHT = 384;
constexpr size_t GUARD = 4096; // pixels on either side of the target
constexpr uint32_t GUARD_PIXEL = 0xA5C3E1F7;

const struct {
    int32_t x, y;
} places[] = {{10, 10},          {0, 0},
              {-5, -7},          {WIDTH - 6, HEIGHT - 6},
              {WIDTH, HEIGHT},   {-GLYPH_WIDTH, 5},
              {INT32_MAX, 3},    {INT32_MIN, INT32_MIN},
              {3, INT32_MAX - 5}};

std::vector<uint32_t> memory(GUARD + (size_t)WIDTH * HEIGHT + GUARD);

void check_image(const Image& image) {
    fuzz_require(image.width > 0 && image.height > 0 && image.pixels != nullptr);
    uint32_t high_bits = 0;
    for (size_t i = 0; i < (size_t)image.width * (size_t)image.height; ++i)
        high_bits |= image.pixels[i] & 0xFF000000;
    fuzz_require(high_bits == 0);
}

void draw_everything(uint32_t* target) {
    char text[32];
    for (const auto& place : places) {
        for (int c = 0; c < 256; ++c)
            font_draw_char(place.x, place.y, (char)c, target);
        for (int32_t counter : {0, 7, INT32_MAX, INT32_MIN}) {
            std::snprintf(text, sizeof text, "%d.th Frame", counter);
            font_draw_text(text, place.x, place.y, target);
        }
        font_draw_text(" !\n~\x7F\n\n.th", place.x, place.y, target);
    }
}

bool guards_untouched() {
    for (size_t i = 0; i < GUARD; ++i)
        if (memory[i] != GUARD_PIXEL || memory[memory.size() - 1 - i] != GUARD_PIXEL) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFolder folder;
    fuzz_write_file("Font.bmp", data, size);
    font_state = FontState{};
    if (!font_init(WIDTH, HEIGHT)) {
        fuzz_require(font_state.font_image == nullptr && image_error()[0] != '\0');
        return 0;
    }
    check_image(*font_state.font_image);
    std::fill(memory.begin(), memory.end(), GUARD_PIXEL);
    draw_everything(memory.data() + GUARD);
    fuzz_require(guards_untouched());
    font_release();
    return 0;
}
