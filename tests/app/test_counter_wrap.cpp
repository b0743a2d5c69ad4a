// The frame counter after 2^31 frames (about 16 months at 50 a second).
#include <climits>

#include "app/app_internal.h"
#include "platform/headless/headless.h"
#include "support/fresh_folder.h"
#include "support/test_font.h"

namespace {

// The test font's top-left pixel of a cell holds its code in the red byte, so
// the text at (10, 10) reads back one pixel a character.
void read_counter_text(const uint32_t* pixels, int32_t width, int32_t, void* context) {
    std::string text;
    for (int32_t x = 10; pixels[10 * width + x] != 0; x += 11)
        text += (char)(pixels[10 * width + x] >> 16);
    static_cast<std::vector<std::string>*>(context)->push_back(text);
    // After the first frame the counter jumps to just below the limit.
    if (app_state.frame_counter == 1) app_state.frame_counter = INT32_MAX - 1;
}

class CounterWrap : public InFreshFolder {};

} // namespace

// Past 2147483647 the counter goes on from -2147483648, as a 32-bit counter
// in two's complement does, without an overflow for UBSan to find.
TEST_F(CounterWrap, GoesOnFromTheLowestNumberAfterTheHighest) {
    write_file("Font.bmp", font_bmp());
    write_file("Z_Test.3ds", {});
    std::vector<std::string> shown;
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(5);
    config.present_hook = read_counter_text;
    config.present_context = &shown;
    headless_reset(config);
    EXPECT_EQ(app_run(AppOptions{}, 1), 0);
    app_scene_release();
    EXPECT_EQ(shown,
              (std::vector<std::string>{"0.th Frame", "2147483646.th Frame", "2147483647.th Frame",
                                        "-2147483648.th Frame", "-2147483647.th Frame"}));
    EXPECT_EQ(app_state.frame_counter, INT32_MIN + 2);
}
