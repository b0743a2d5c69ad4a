#include <cstring>

#include "app_fixture.h"
#include "scene_files.h"

namespace {

const std::vector<ScreenSquare> FIVE_SQUARES = {
    {-60, -40, 150, 15}, {0, -40, 150, 15}, {60, -40, 150, 15},
    {-60, 40, 150, 15},  {0, 40, 150, 15},
};

void write_empty_scene() {
    write_file("Z_Test.3ds", {});
}

int screen_x(const ScreenSquare& q) {
    return (int)(256 * q.x / q.z + 256);
}
int screen_y(const ScreenSquare& q) {
    return (int)(256 * q.y / q.z + 192);
}

uint32_t shade(uint32_t colour, uint32_t e) {
    return ((colour >> 16 & 255) * e >> 8) << 16 | ((colour >> 8 & 255) * e >> 8) << 8 |
           ((colour & 255) * e >> 8);
}

// The base colours (indices into object_colours) that, lit well, give this pixel.
std::vector<int> base_colours_of(uint32_t pixel) {
    std::vector<int> found;
    for (int c = 0; c < 4; ++c)
        for (uint32_t e = 200; e < 256; ++e)
            if (shade(object_colours[c], e) == pixel) {
                found.push_back(c);
                break;
            }
    return found;
}

// Black everywhere but the counter, which shows its own number in the test font.
void expect_black_with_counter(const Presented& frame, int number) {
    std::string text = counter_text(number);
    EXPECT_EQ(frame.counter, number);
    for (int y = 0; y < screen_height; ++y) {
        for (int x = 0; x < screen_width; ++x) {
            uint32_t expected = 0;
            if (in_text_box(text, x, y)) {
                int n = (x - 10) / 11;
                expected = glyph_pixel(text[n], (x - 10) % 11, y - 10);
            }
            ASSERT_EQ(frame.pixels[y * screen_width + x], expected) << x << "," << y;
        }
    }
}

void expect_all_black(const Presented& frame) {
    for (uint32_t p : frame.pixels)
        ASSERT_EQ(p, 0u);
}

// Object turning as documented: about its own X by speed x 0.031415924, then
// about its own Y by the rocking sine, tick after tick from the identity.
Matrix replay_turns(int index, int ticks) {
    const float speeds[4] = {2.0f, 1.0f, 0.5f, 0.25f};
    float s = speeds[index & 3];
    Matrix m;
    matrix_identity(m);
    float angle = 0.0f;
    for (int t = 0; t < ticks; ++t) {
        angle = angle + 0.1f;
        if ((double)angle > 6.28) angle = 0.0f;
        matrix_rotate_x(m, s * 0.031415924f);
        matrix_rotate_y(m, (float)(math_sinl(angle) * 0.031415926 * s));
    }
    return m;
}

bool same_bits(const Matrix& a, const Matrix& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST_F(AppRun, StartsAndEndsInTheListedOrder) {
    write_empty_scene();
    EXPECT_EQ(run_ticks(1), 0);
    EXPECT_EQ(headless_report().log,
              (std::vector<std::string>{
                  "register_class Velmor_Engine style 0x3",
                  "create_window Velmor_Engine \"Velmor Engine 1.0\" style 0x400000 512x384",
                  "show_window 5",
                  "update_window",
                  "show_cursor 0",
                  "set_timer 0 20",
                  "display_create",
                  "set_cooperative_level 0x13",
                  "set_mode 512x384x32",
                  "create_surface primary flags 0x21 caps 0x100218",
                  "get_attached 0x100004",
                  "create_surface offscreen flags 0x7 caps 0x100840",
                  "create_surface offscreen flags 0x7 caps 0x100840",
                  "lock s2 flags 0x0",
                  "unlock s2",
                  "blt_fast back <- s2 flags 0x0",
                  "flip primary flags 0x0",
                  "send_message 0x10", // Escape
                  "destroy_window",
                  "post_quit 0",
                  "release primary",
                  "release s1",
                  "release s2",
                  "display_release",
                  "show_cursor 1",
              }));
    EXPECT_EQ(stderr_text, "");
    expect_all_given_back();
}

TEST_F(AppRun, EmptySceneGivesBlackFramesWithTheCounterFromZero) {
    write_empty_scene();
    EXPECT_EQ(run_ticks(3), 0);
    ASSERT_EQ(frames.size(), 3u);
    for (int n = 0; n < 3; ++n)
        expect_black_with_counter(frames[n], n);
    EXPECT_EQ(frame_values.frame_counter, 3);
}

// Only Escape or closing the window ends the program, with exit code 0.
TEST_F(AppRun, KeysOtherThanEscapeDoNothing) {
    write_empty_scene();
    HeadlessConfig config;
    config.script = {{HeadlessEventKind::tick, 0}, {HeadlessEventKind::key, 'A'},
                     {HeadlessEventKind::key, 13}, {HeadlessEventKind::key, 0x1C},
                     {HeadlessEventKind::tick, 0}, {HeadlessEventKind::close, 0},
                     {HeadlessEventKind::tick, 0}}; // after the close: never delivered
    EXPECT_EQ(run(config), 0);
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_EQ(headless_calls(HeadlessOp::send_message), 0);
    EXPECT_EQ(headless_report().ticks_delivered, 2);
    expect_all_given_back();
}

// The angle and the objects move on every tick; the counter only on
// presented frames. A second run starts again from zero.
TEST_F(AppRun, ATickWhoseLockFailsTurnsButDoesNotCount) {
    ASSERT_TRUE(write_square_scene("Z_Test.3ds", FIVE_SQUARES));
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(3);
    config.faults = {{HeadlessOp::lock, 2, 1, DISPLAY_ERR_STILL_DRAWING}};
    ASSERT_EQ(run(config), 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].counter, 0);
    EXPECT_EQ(frames[1].counter, 1);
    EXPECT_EQ(frames[1].angle, 0.1f + 0.1f + 0.1f);
    std::vector<Matrix> turned;
    for (int i = 0; i < 5; ++i)
        turned.push_back(view_state.scene->objects[i].matrix);

    ASSERT_EQ(run_ticks(3), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].counter, 0);
    EXPECT_EQ(frames[0].angle, 0.1f);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(same_bits(turned[i], view_state.scene->objects[i].matrix)) << i;
}

TEST_F(AppRun, AngleIsZeroOnTick63AndEvery63TicksAfter) {
    write_empty_scene();
    ASSERT_EQ(run_ticks(127), 0);
    ASSERT_EQ(frames.size(), 127u);
    EXPECT_EQ(frames[0].angle, 0.1f);
    EXPECT_NEAR(frames[61].angle, 6.2f, 1e-5);
    EXPECT_EQ(frames[62].angle, 0.0f);
    EXPECT_EQ(frames[63].angle, 0.1f);
    EXPECT_EQ(frames[125].angle, 0.0f);
    for (const Presented& f : frames)
        EXPECT_LE(f.angle, 6.2f + 1e-5f);
}

// Whatever placement the file gives, every object starts from the identity and
// turns about its own axes at its index's speed: 2, 1, 0.5 and, for objects
// 3, 7, 11, ..., a quarter.
TEST_F(AppRun, ObjectsTurnFromTheIdentityAtTheirSpeeds) {
    ASSERT_TRUE(write_square_scene("Z_Test.3ds", FIVE_SQUARES, true));
    ASSERT_EQ(run_ticks(70), 0);
    ASSERT_EQ(view_state.scene->object_count, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(same_bits(view_state.scene->objects[i].matrix, replay_turns(i, 70))) << i;
}

TEST_F(AppRun, ObjectsTakeTheFourColoursByIndex) {
    ASSERT_TRUE(write_square_scene("Z_Test.3ds", FIVE_SQUARES));
    ASSERT_EQ(run_ticks(1), 0);
    ASSERT_EQ(frames.size(), 1u);
    for (int i = 0; i < 5; ++i) {
        const ScreenSquare& q = FIVE_SQUARES[i];
        uint32_t pixel = frames[0].pixels[screen_y(q) * screen_width + screen_x(q)];
        EXPECT_EQ(base_colours_of(pixel), std::vector<int>{i & 3})
            << i << ": " << std::hex << pixel;
    }
}

TEST_F(AppRun, SixteenBitLocksAreUndoneAndNeverWritten) {
    ASSERT_TRUE(write_square_scene("Z_Test.3ds", FIVE_SQUARES));
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(4);
    config.lock_bit_count = 16;
    ASSERT_EQ(run(config), 0);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(frame_values.frame_counter, 0);
    EXPECT_EQ(headless_calls(HeadlessOp::lock), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::unlock), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 0);
    EXPECT_EQ(headless_report().writes_to_rejected_locks, 0);
    expect_all_given_back();
}

// The lost frame still counts and still flips, showing the restored (empty)
// back buffer; the next frame is whole again.
TEST_F(AppRun, LostSurfacesAreRestoredAndTheFlipStillTried) {
    write_empty_scene();
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(3);
    config.faults = {{HeadlessOp::blt_fast, 2, 1, DISPLAY_ERR_SURFACE_LOST}};
    ASSERT_EQ(run(config), 0);
    ASSERT_EQ(frames.size(), 3u);
    expect_black_with_counter(frames[0], 0);
    expect_all_black(frames[1]);
    expect_black_with_counter(frames[2], 2);
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 3);
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 3);
    expect_all_given_back();
}

TEST_F(AppRun, StillDrawingIsRetried) {
    write_empty_scene();
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(1);
    config.faults = {{HeadlessOp::blt_fast, 1, 2, DISPLAY_ERR_STILL_DRAWING},
                     {HeadlessOp::flip, 1, 4, DISPLAY_ERR_STILL_DRAWING}};
    ASSERT_EQ(run(config), 0);
    ASSERT_EQ(frames.size(), 1u);
    expect_black_with_counter(frames[0], 0);
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 3);
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 5);
}

// Each failure ends start-up with one line that names it and exit code 1,
// after giving back everything made so far.
TEST_F(AppRun, PlatformFailuresAtStartUpAreReported) {
    struct Case {
        HeadlessOp op;
        int call;
        const char* line;
    };
    const Case cases[] = {
        {HeadlessOp::register_class, 1, "velmor: cannot register the window class\n"},
        {HeadlessOp::create_window, 1, "velmor: cannot create the window\n"},
        {HeadlessOp::set_timer, 1, "velmor: cannot start the frame timer\n"},
        {HeadlessOp::display_create, 1,
         "velmor: cannot take over the display: unsupported (0x80004001)\n"},
        {HeadlessOp::set_mode, 1,
         "velmor: cannot take over the display: unsupported (0x80004001)\n"},
        {HeadlessOp::create_surface, 3,
         "velmor: cannot take over the display: unsupported (0x80004001)\n"},
    };
    write_empty_scene();
    for (const Case& c : cases) {
        HeadlessConfig config;
        config.script = headless_ticks_then_escape(2);
        config.faults = {{c.op, c.call, 1, DISPLAY_ERR_UNSUPPORTED}};
        EXPECT_EQ(run(config), 1) << c.line;
        EXPECT_EQ(stderr_text, c.line);
        EXPECT_TRUE(frames.empty());
        EXPECT_EQ(headless_report().ticks_delivered, 0);
        expect_all_given_back();
    }
}

TEST_F(AppRun, NoSceneEndsBeforeTheTimerAndTheDisplay) {
    for (bool present : {false, true}) {
        if (present) {
            ASSERT_TRUE(write_bad_scene("Z_Test.3ds"));
        }
        EXPECT_EQ(run_ticks(2), 1);
        EXPECT_EQ(stderr_text.rfind("velmor: cannot load the scene: ", 0), 0u) << stderr_text;
        EXPECT_EQ(count_lines(stderr_text), 1) << stderr_text;
        EXPECT_EQ(view_state.scene, nullptr);
        EXPECT_EQ(headless_calls(HeadlessOp::set_timer), 0);
        EXPECT_EQ(headless_calls(HeadlessOp::display_create), 0);
        EXPECT_EQ(headless_calls(HeadlessOp::destroy_window), 1);
        expect_all_given_back();
    }
}

// Without a usable font the frames come without text, said once on stderr.
TEST_F(AppRun, AMissingOrBadFontIsNotFatal) {
    write_empty_scene();
    std::remove("Font.bmp");
    EXPECT_EQ(run_ticks(2), 0);
    EXPECT_EQ(stderr_text,
              "velmor: Font.bmp: cannot open the file; frames are drawn without text\n");
    ASSERT_EQ(frames.size(), 2u);
    for (const Presented& f : frames)
        expect_all_black(f);

    write_file("Font.bmp", bmp_bytes({176, 78, 32}, font_pixel));
    EXPECT_EQ(run_ticks(2), 0);
    EXPECT_EQ(stderr_text,
              "velmor: Font.bmp: not 24 bits per pixel; frames are drawn without text\n");
    ASSERT_EQ(frames.size(), 2u);
    expect_all_black(frames[1]);
}
