// The real shell on the headless backend, run in a fresh folder that holds the
// test font: start-up and shutdown, the frame tick, presentation faults, and
// velmor-capture.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/app_internal.h"
#include "chunkwriter/chunk_writer.h"
#include "chunkwriter/scene_chunks.h"
#include "imagefile/bmp_file.h"
#include "imagefile/png_file.h"
#include "platform/headless/headless.h"
#include "scene/chunk_ids.h"
#include "support/fresh_folder.h"
#include "support/test_font.h"

namespace {

constexpr size_t SCREEN_BYTES = (size_t)screen_width * screen_height * 4;
int failing_screen_allocation = 0; // 1: the first allocation of SCREEN_BYTES fails
int screen_allocations = 0;

bool should_fail(size_t size) {
    return size == SCREEN_BYTES && ++screen_allocations == failing_screen_allocation;
}

} // namespace

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_malloc(size_t size) {
    return should_fail(size) ? nullptr : __real_malloc(size);
}
extern "C" void* __wrap_calloc(size_t count, size_t size) {
    return count && should_fail(count * size) ? nullptr : __real_calloc(count, size);
}

namespace {

struct Presented {
    std::vector<uint32_t> pixels;
    int32_t counter; // the number printed on the frame
    float angle;
};

class AppRun : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        write_file("Font.bmp", font_bmp());
    }
    void TearDown() override {
        free_scene();
        InFreshFolder::TearDown();
    }
    static void keep(const uint32_t* pixels, int32_t width, int32_t height, void* context) {
        static_cast<std::vector<Presented>*>(context)->push_back(
            {std::vector<uint32_t>(pixels, pixels + width * height), app_state.frame_counter - 1,
             app_state.animation_angle});
    }
    // The program never frees its Scene; the tests do, run after run.
    static void free_scene() { app_scene_release(); }
    int run(HeadlessConfig config, const AppOptions& options = {}) {
        free_scene();
        frames.clear();
        config.present_hook = keep;
        config.present_context = &frames;
        headless_reset(config);
        testing::internal::CaptureStderr();
        int exit_code = app_run(options, 5);
        stderr_text = testing::internal::GetCapturedStderr();
        return exit_code;
    }
    int run_ticks(int ticks, std::vector<HeadlessFault> faults = {}) {
        HeadlessConfig config;
        config.script = headless_ticks_then_escape(ticks);
        config.faults = faults;
        return run(config);
    }
    // Whatever happened, the platform got back everything in good order.
    static void expect_all_given_back() {
        const HeadlessReport& r = headless_report();
        EXPECT_EQ(r.cursor_count, 0);
        EXPECT_FALSE(r.window_alive);
        EXPECT_FALSE(r.timer_running);
        EXPECT_FALSE(r.exclusive);
        EXPECT_FALSE(r.mode_changed);
        EXPECT_EQ(r.surfaces_alive, 0);
        EXPECT_EQ(r.misuse, 0);
    }
    std::vector<Presented> frames;
    std::string stderr_text;
};

void write_empty_scene() {
    write_file("Z_Test.3ds", {});
}

// A square parallel to the screen: centre (x, y) at depth z in camera space.
struct ScreenSquare {
    float x, y, z, half;
};

const std::vector<ScreenSquare> FIVE_SQUARES = {
    {-60, -40, 150, 15}, {0, -40, 150, 15}, {60, -40, 150, 15},
    {-60, 40, 150, 15},  {0, 40, 150, 15},
};

// Each square becomes a double-sided object, drawn whichever way it turns, with
// a local matrix that start-up must throw away. Square i's faces are listed
// under materials[i] when it is given and not empty; the library of coloured
// materials comes after the meshes.
void write_square_scene(const std::vector<ScreenSquare>& squares,
                        const std::vector<std::string>& materials = {},
                        const std::vector<std::pair<std::string, uint32_t>>& library = {}) {
    Matrix c;
    frame_camera_build(c);
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
    for (size_t i = 0; i < squares.size(); ++i) {
        const ScreenSquare& q = squares[i];
        chunk_begin(w, CHUNK_NAMED_OBJECT);
        chunk_name(w, "square");
        chunk_begin(w, CHUNK_TRIANGLE_MESH);
        chunk_begin(w, CHUNK_VERTEX_LIST);
        chunk_u16(w, 4);
        for (auto [u, v] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
            float x = q.x + u * q.half, y = q.y + v * q.half, z = q.z;
            // Camera space to world, stored with the file's y and z exchanged.
            chunk_f32s(w, {x * c.m[0] + y * c.m[4] + z * c.m[8] + c.m[12],
                           x * c.m[2] + y * c.m[6] + z * c.m[10] + c.m[14],
                           x * c.m[1] + y * c.m[5] + z * c.m[9] + c.m[13]});
        }
        chunk_end(w);
        chunk_begin(w, CHUNK_FACE_LIST);
        chunk_u16(w, 4);
        for (uint16_t index : {0, 1, 2, 0, 0, 2, 1, 0, 0, 2, 3, 0, 0, 3, 2, 0})
            chunk_u16(w, index);
        if (i < materials.size() && !materials[i].empty()) {
            chunk_begin(w, CHUNK_FACE_MATERIAL);
            chunk_name(w, materials[i]);
            chunk_u16(w, 4);
            for (uint16_t face : {0, 1, 2, 3})
                chunk_u16(w, face);
            chunk_end(w);
        }
        chunk_end(w);
        chunk_begin(w, CHUNK_LOCAL_MATRIX);
        chunk_f32s(w, {0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7});
        chunk_end(w);
        chunk_end(w);
        chunk_end(w);
    }
    for (const auto& [name, rgb] : library)
        chunk_material_diffuse(w, name, rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255);
    chunk_end(w);
    chunk_end(w);
    ASSERT_TRUE(chunk_write_file(w, "Z_Test.3ds"));
}

// Black everywhere but the counter at (10, 10), which shows its own number in
// the test font: rows 10 to 22, 11 columns a character.
void expect_black_with_counter(const Presented& frame, int number) {
    std::string text = std::to_string(number) + ".th Frame";
    EXPECT_EQ(frame.counter, number);
    for (int y = 0; y < screen_height; ++y) {
        for (int x = 0; x < screen_width; ++x) {
            uint32_t expected = 0;
            if (y >= 10 && y <= 22 && x >= 10 && x < 10 + 11 * (int)text.size())
                expected = glyph_pixel(text[(x - 10) / 11], (x - 10) % 11, y - 10);
            ASSERT_EQ(frame.pixels[y * screen_width + x], expected) << x << "," << y;
        }
    }
}

void expect_all_black(const Presented& frame) {
    for (uint32_t p : frame.pixels)
        ASSERT_EQ(p, 0u);
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

bool same_bits(const Matrix& a, const Matrix& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

// Demo mode is deaf to view mode's keys, and mouse, key-up and size messages
// go to the default procedure: the run is the one without them, call for call
// and pixel for pixel.
TEST_F(AppRun, ViewKeysMouseKeyUpAndSizeMessagesChangeNothing) {
    write_empty_scene();
    ASSERT_EQ(run_ticks(3), 0);
    const std::vector<Presented> plain = frames;
    const std::vector<std::string> plain_log = headless_report().log;
    HeadlessConfig config;
    int ticks = 3;
    for (uint32_t message : {MESSAGE_LBUTTONDOWN, MESSAGE_MOUSEMOVE, MESSAGE_MOUSEWHEEL,
                             MESSAGE_LBUTTONUP, MESSAGE_KEYUP, MESSAGE_SIZE}) {
        if (ticks-- > 0) config.script.push_back({HeadlessEventKind::tick, 0});
        config.script.push_back({HeadlessEventKind::post, 0, {}, message, 0x14, 7 << 16 | 9});
    }
    for (uintptr_t key : {KEY_LEFT, KEY_SPACE, KEY_HOME, KEY_H, KEY_F11, KEY_1, KEY_PLUS})
        config.script.push_back({HeadlessEventKind::key, key});
    config.script.push_back({HeadlessEventKind::key, KEY_ESCAPE});
    ASSERT_EQ(run(config), 0);
    EXPECT_EQ(headless_report().log, plain_log);
    ASSERT_EQ(frames.size(), plain.size());
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_TRUE(frames[i].pixels == plain[i].pixels) << "frame " << i;
}

// Keys other than Escape do nothing; Escape ends the program with exit code 0.
TEST_F(AppRun, StartsUpAndShutsDownInOrder) {
    write_empty_scene();
    HeadlessConfig config;
    config.script = {{HeadlessEventKind::tick, 0},
                     {HeadlessEventKind::key, 'A'},
                     {HeadlessEventKind::key, 13},
                     {HeadlessEventKind::key, 0x1C},
                     {HeadlessEventKind::key, KEY_ESCAPE}};
    EXPECT_EQ(run(config), 0);
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

// The angle and the objects move on every tick; the counter only on
// presented frames. A second run starts again from zero.
TEST_F(AppRun, ATickWhoseLockFailsTurnsButDoesNotCount) {
    write_square_scene(FIVE_SQUARES);
    ASSERT_EQ(run_ticks(3, {{HeadlessOp::lock, 2, 1, DISPLAY_ERR_STILL_DRAWING}}), 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].counter, 0);
    EXPECT_EQ(frames[1].counter, 1);
    EXPECT_EQ(frames[1].angle, 0.1f + 0.1f + 0.1f);
    std::vector<Matrix> turned;
    for (int i = 0; i < 5; ++i)
        turned.push_back(app_state.view.scene->objects[i].matrix);

    ASSERT_EQ(run_ticks(3), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].counter, 0);
    EXPECT_EQ(frames[0].angle, 0.1f);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(same_bits(turned[i], app_state.view.scene->objects[i].matrix)) << i;
}

TEST_F(AppRun, AngleIsZeroOnTick63AndEvery63TicksAfter) {
    write_empty_scene();
    ASSERT_EQ(run_ticks(127), 0);
    ASSERT_EQ(frames.size(), 127u);
    EXPECT_NEAR(frames[61].angle, 6.2f, 1e-5);
    EXPECT_EQ(frames[62].angle, 0.0f);
    EXPECT_EQ(frames[63].angle, 0.1f);
    EXPECT_EQ(frames[125].angle, 0.0f);
}

// Whatever placement the file gives, every object starts from the identity,
// takes the colour of its index and turns about its own axes at its index's
// speed s: 2, 1, 0.5 and, for objects 3, 7, 11, ..., a quarter. After one tick
// (angle 0.1) it has turned by s pi/100 about X, which is 3.6 degrees at
// speed 2, and by s pi/100 sin(0.1) about Y; as the Y turn comes after the X
// turn, the matrix holds the sine of the X turn in element 6 and the sine of
// the Y turn in element 8.
TEST_F(AppRun, ObjectsTakeTheirIndexsColourAndSpeedFromTheIdentity) {
    const struct {
        float sin_x, sin_y;
    } one_tick[] = {
        {0.0627905f, 0.0062727f}, // sin 3.6 degrees; sin(0.0628319 x 0.0998334)
        {0.0314108f, 0.0031364f}, // sin 1.8 degrees
        {0.0157073f, 0.0015682f}, // sin 0.9 degrees
        {0.0078539f, 0.0007841f}, // sin 0.45 degrees
        {0.0627905f, 0.0062727f}, // object 4 as object 0
    };
    write_square_scene(FIVE_SQUARES);
    ASSERT_EQ(run_ticks(1), 0);
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(app_state.view.scene->object_count, 5);
    for (int i = 0; i < 5; ++i) {
        const ScreenSquare& q = FIVE_SQUARES[i];
        int x = (int)(256 * q.x / q.z + 256), y = (int)(256 * q.y / q.z + 192);
        uint32_t pixel = frames[0].pixels[y * screen_width + x];
        EXPECT_EQ(base_colours_of(pixel), std::vector<int>{i & 3})
            << i << ": " << std::hex << pixel;
        const float* m = app_state.view.scene->objects[i].matrix.m;
        EXPECT_NEAR(m[6], one_tick[i].sin_x, 1e-7f) << i;
        EXPECT_NEAR(m[8], one_tick[i].sin_y, 1e-7f) << i;
        EXPECT_NEAR(m[12], 0.0f, 1e-7f) << i; // the file's local matrix is gone
    }
}

TEST_F(AppRun, SixteenBitLocksAreUndoneAndNeverWritten) {
    write_square_scene(FIVE_SQUARES);
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(4);
    config.lock_bit_count = 16;
    ASSERT_EQ(run(config), 0);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(app_state.frame_counter, 0);
    EXPECT_EQ(headless_calls(HeadlessOp::lock), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::unlock), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 0);
    EXPECT_EQ(headless_report().writes_to_rejected_locks, 0);
    expect_all_given_back();
}

// An empty scene gives black frames with the counter from 0. Still-drawing is
// retried. A lost surface is restored and the flip still tried: that frame
// counts and shows the restored, empty back buffer; the next is whole again.
TEST_F(AppRun, FramesSurviveBusyAndLostSurfaces) {
    write_empty_scene();
    ASSERT_EQ(run_ticks(3, {{HeadlessOp::blt_fast, 1, 2, DISPLAY_ERR_STILL_DRAWING},
                            {HeadlessOp::flip, 1, 4, DISPLAY_ERR_STILL_DRAWING},
                            {HeadlessOp::blt_fast, 4, 1, DISPLAY_ERR_SURFACE_LOST}}),
              0);
    ASSERT_EQ(frames.size(), 3u);
    expect_black_with_counter(frames[0], 0);
    expect_all_black(frames[1]);
    expect_black_with_counter(frames[2], 2);
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 5);
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 7);
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 3);
    expect_all_given_back();
}

// Each failure ends start-up with one line that names it, the same line in a
// message box, and exit code 1, before what comes after it starts, giving
// back everything made so far. A backend's own reason replaces the shell's.
TEST_F(AppRun, StartUpFailuresAreReported) {
    enum Scene { MISSING, BAD, EMPTY };
    enum Reached { NOT_TIMER, TIMER, DISPLAY };
    const struct {
        Scene scene;
        HeadlessFault fault;    // none when the call is 0
        int failing_allocation; // of the screen's size, unless 0
        const char* line;
        Reached reached;
    } cases[] = {
        {MISSING,
         {},
         0,
         "cannot load the scene: Z_Test.3ds: cannot open: No such file or directory",
         NOT_TIMER},
        {BAD,
         {},
         0,
         "cannot load the scene: Z_Test.3ds: chunk 0x4D4D at offset 0: length 0 is below the "
         "6-byte "
         "header",
         NOT_TIMER},
        {EMPTY,
         {HeadlessOp::register_class, 1, 1, 1},
         0,
         "cannot register the window class",
         NOT_TIMER},
        {EMPTY, {HeadlessOp::create_window, 1, 1, 1}, 0, "cannot create the window", NOT_TIMER},
        {EMPTY,
         {HeadlessOp::create_window, 1, 1, 1, "no display: nowhere to show it"},
         0,
         "no display: nowhere to show it",
         NOT_TIMER},
        // The depth buffer is the first allocation of the screen's size.
        {EMPTY, {}, 1, "cannot allocate the depth buffer", NOT_TIMER},
        {EMPTY, {HeadlessOp::set_timer, 1, 1, 1}, 0, "cannot start the frame timer", TIMER},
        {EMPTY,
         {HeadlessOp::create_surface, 3, 1, DISPLAY_ERR_UNSUPPORTED},
         0,
         "cannot take over the display: unsupported (0x80004001)",
         DISPLAY},
        {EMPTY,
         {HeadlessOp::set_mode, 1, 1, DISPLAY_ERR_GENERIC, "cannot create a renderer: none"},
         0,
         "cannot create a renderer: none",
         DISPLAY},
    };
    for (const auto& c : cases) {
        const std::string line = std::string("velmor: ") + c.line;
        SCOPED_TRACE(line);
        std::remove("Z_Test.3ds");
        if (c.scene == BAD)
            write_file("Z_Test.3ds", {CHUNK_MAIN & 0xFF, CHUNK_MAIN >> 8, 0, 0, 0, 0}); // length 0
        if (c.scene == EMPTY) write_empty_scene();
        failing_screen_allocation = c.failing_allocation;
        screen_allocations = 0;
        EXPECT_EQ(run_ticks(2, {c.fault}), 1);
        failing_screen_allocation = 0;
        EXPECT_EQ(stderr_text, line + "\n");
        EXPECT_EQ(headless_report().message_boxes,
                  std::vector<std::string>{"Velmor Engine 1.0: " + line});
        EXPECT_EQ(headless_calls(HeadlessOp::set_timer), c.reached >= TIMER);
        EXPECT_EQ(headless_calls(HeadlessOp::display_create), c.reached >= DISPLAY);
        EXPECT_EQ(headless_report().ticks_delivered, 0);
        EXPECT_EQ(app_state.view.scene, nullptr);
        expect_all_given_back();
    }
}

// Without a usable font the frames come without text, said once on stderr.
TEST_F(AppRun, AMissingOrBadFontIsNotFatal) {
    write_empty_scene();
    std::remove("Font.bmp");
    for (const char* why : {"cannot open the file", "not 24 bits per pixel"}) {
        EXPECT_EQ(run_ticks(2), 0);
        EXPECT_EQ(stderr_text,
                  "velmor: Font.bmp: " + std::string(why) + "; frames are drawn without text\n");
        ASSERT_EQ(frames.size(), 2u);
        expect_all_black(frames[1]);
        write_file("Font.bmp", bmp_encode({176, 78, 32}, font_pixel)); // for the second round
    }
}

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int capture(const std::string& arguments) {
    std::string command = std::string(VELMOR_CAPTURE_PATH) + " " + arguments + " 2>stderr.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The pixels (0x00RRGGBB) of a 512 x 384 8-bit RGB PNG; empty for anything else.
std::vector<uint32_t> read_screen_png(const std::string& path) {
    PngPicture picture;
    if (!png_read(path, picture) || !picture.stored_as_rgb8 || picture.width != 512 ||
        picture.height != 384)
        return {};
    return picture.pixels;
}

} // namespace

// The tool's files hold exactly the pictures that the shell presented, one per
// counter value; a failed start-up is one line on stderr and exit code 1.
TEST_F(AppRun, CaptureWritesEveryPresentedFrameExactly) {
    EXPECT_EQ(capture("--frames 2"), 1);
    EXPECT_EQ(
        slurp("stderr.txt"),
        "velmor: cannot load the scene: Z_Test.3ds: cannot open: No such file or directory\n");

    write_square_scene({{-40, 0, 150, 30}, {40, 10, 120, 20}});
    ASSERT_EQ(capture("--frames 4 --out shots/run"), 0) << slurp("stderr.txt");
    EXPECT_EQ(slurp("stderr.txt"), "");
    ASSERT_EQ(run_ticks(4), 0);
    ASSERT_EQ(frames.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        std::string name = "shots/run/frame_0000" + std::to_string(n) + ".png";
        EXPECT_TRUE(read_screen_png(name) == frames[n].pixels) << name;
    }
    EXPECT_FALSE(std::filesystem::exists("shots/run/frame_00004.png"));
}

namespace {

// View mode at the demo's size, as velmor-capture draws it without --size.
AppOptions named(const char* scene) {
    AppOptions options{};
    options.scene_path = scene;
    options.width = screen_width;
    options.height = screen_height;
    return options;
}

// Ticks, then a file dropped on the window, then more ticks.
HeadlessConfig drop_between(int before, const char* path, int after) {
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(before);
    config.script.back() = {HeadlessEventKind::open, 0, path};
    for (const HeadlessEvent& event : headless_ticks_then_escape(after))
        config.script.push_back(event);
    return config;
}

} // namespace

// A named scene is framed and stays where it lies, every object at the
// identity: the turntable turns the camera instead, a step a tick.
TEST_F(AppRun, ANamedSceneStaysAndTheCameraTurns) {
    write_square_scene(FIVE_SQUARES);
    ASSERT_EQ(run_ticks(0), 0); // demo mode: as in the file
    float demo_x = app_state.view.scene->objects[1].vertices[0].x;
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(12);
    ASSERT_EQ(run(config, named("Z_Test.3ds")), 0);
    EXPECT_EQ(stderr_text, "");
    EXPECT_NE(app_state.view.scene->objects[1].vertices[0].x, demo_x);
    Matrix identity;
    matrix_identity(identity);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(same_bits(app_state.view.scene->objects[i].matrix, identity)) << i;
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 + 12 * 0.6);
}

// View mode's background: the gradient from top to bottom, or one colour.
TEST_F(AppRun, ViewModesBackgroundIsAGradientOrTheOneAsked) {
    write_square_scene(FIVE_SQUARES);
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(1);
    AppOptions options = named("Z_Test.3ds");
    ASSERT_EQ(run(config, options), 0);
    ASSERT_EQ(frames.size(), 1u);
    const std::vector<uint32_t>& gradient = frames[0].pixels;
    EXPECT_EQ(gradient[screen_width - 1], view_background_top);
    EXPECT_EQ(gradient.back(), view_background_bottom);
    options.background_set = true;
    options.background = 0x1A2B3C;
    ASSERT_EQ(run(config, options), 0);
    EXPECT_EQ(frames.at(0).pixels[screen_width - 1], 0x1A2B3Cu);
    EXPECT_EQ(frames.at(0).pixels.back(), 0x1A2B3Cu);
}

// The frames after a drop are those of a run started with the file: counter,
// angle, placement and framing start again.
TEST_F(AppRun, ADroppedFileOpensAsIfStartedWithIt) {
    write_square_scene({{-40, 0, 150, 30}, {40, 10, 120, 20}});
    std::filesystem::rename("Z_Test.3ds", "dropped.3ds");
    write_square_scene(FIVE_SQUARES);
    ASSERT_EQ(run(drop_between(3, "dropped.3ds", 4)), 0);
    EXPECT_EQ(stderr_text, "");
    std::vector<Presented> dropped = frames;
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(4);
    ASSERT_EQ(run(config, named("dropped.3ds")), 0);
    ASSERT_EQ(dropped.size(), 7u);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(dropped[3 + n].counter, n);
        EXPECT_TRUE(dropped[3 + n].pixels == frames[n].pixels) << n;
    }
}

namespace {

constexpr uint32_t RED = 0xC82814, BLUE = 0x0A3CDC;

// FIVE_SQUARES with the top row's first two squares in Red, the next two in
// Blue and the last without a material.
void write_coloured_squares() {
    write_square_scene(FIVE_SQUARES, {"Red", "Red", "Blue", "Blue", ""},
                       {{"Red", RED}, {"Blue", BLUE}});
}

// On black, so that every lit pixel is a shade of a base colour.
AppOptions coloured(const char* scene, AppColours colours) {
    AppOptions options = named(scene);
    options.colours = colours;
    options.background_set = true;
    options.background = 0;
    return options;
}

bool is_shade_of(uint32_t pixel, uint32_t base) {
    for (uint32_t e = 1; e < 256; ++e)
        if (shade(base, e) == pixel) return true;
    return false;
}

// How many lit pixels below the counter are a shade of each base colour (the
// first that fits), and last how many are a shade of none.
std::vector<int> count_shades(const Presented& frame, const std::vector<uint32_t>& bases) {
    std::vector<int> counts(bases.size() + 1, 0);
    for (int i = 30 * screen_width; i < screen_width * screen_height; ++i) {
        uint32_t pixel = frame.pixels[i];
        if (pixel == 0) continue;
        size_t b = 0;
        while (b < bases.size() && !is_shade_of(pixel, bases[b]))
            ++b;
        ++counts[b];
    }
    return counts;
}

} // namespace

// View mode draws each face in its material's colour from the file, shaded as
// the index colours are, and a face without one in its object's index colour;
// --colours index gives exactly the frames of the file without materials.
TEST_F(AppRun, ViewModeDrawsTheFilesColoursUnlessToldOtherwise) {
    write_square_scene(FIVE_SQUARES);
    std::filesystem::rename("Z_Test.3ds", "plain.3ds");
    write_coloured_squares();
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(3);
    ASSERT_EQ(run(config, coloured("plain.3ds", AppColours::file)), 0);
    std::vector<Presented> plain = frames;
    ASSERT_EQ(run(config, coloured("Z_Test.3ds", AppColours::index)), 0);
    ASSERT_EQ(frames.size(), plain.size());
    for (size_t n = 0; n < frames.size(); ++n)
        EXPECT_TRUE(frames[n].pixels == plain[n].pixels) << n;

    ASSERT_EQ(run(config, coloured("Z_Test.3ds", AppColours::file)), 0);
    EXPECT_EQ(stderr_text, "");
    ASSERT_EQ(frames.size(), 3u);
    for (const Presented& frame : frames) {
        std::vector<int> counts = count_shades(frame, {RED, BLUE, object_colours[0]});
        EXPECT_GT(counts[0], 1000);
        EXPECT_GT(counts[1], 1000);
        EXPECT_GT(counts[2], 500);
        EXPECT_EQ(counts[3], 0);
    }
}

// Demo mode keeps its index colours whatever is asked, and a dropped file
// follows the choice made at start-up.
TEST_F(AppRun, DemoModeKeepsItsColoursAndDroppedFilesFollowTheChoice) {
    write_coloured_squares();
    ASSERT_EQ(run_ticks(3), 0);
    std::vector<Presented> demo = frames;
    AppOptions demo_named = coloured("Z_Test.3ds", AppColours::file);
    demo_named.demo = true;
    AppOptions demo_index{};
    demo_index.colours = AppColours::index;
    for (const AppOptions& options : {demo_named, demo_index}) {
        HeadlessConfig config;
        config.script = headless_ticks_then_escape(3);
        ASSERT_EQ(run(config, options), 0);
        ASSERT_EQ(frames.size(), demo.size());
        for (size_t n = 0; n < frames.size(); ++n)
            EXPECT_TRUE(frames[n].pixels == demo[n].pixels) << n;
    }

    for (AppColours colours : {AppColours::file, AppColours::index}) {
        AppOptions started{};
        started.colours = colours;
        started.background_set = true; // black, as coloured() has it
        ASSERT_EQ(run(drop_between(2, "Z_Test.3ds", 3), started), 0);
        std::vector<Presented> dropped = frames;
        HeadlessConfig config;
        config.script = headless_ticks_then_escape(3);
        ASSERT_EQ(run(config, coloured("Z_Test.3ds", colours)), 0);
        ASSERT_EQ(dropped.size(), 5u);
        for (int n = 0; n < 3; ++n)
            EXPECT_TRUE(dropped[2 + n].pixels == frames[n].pixels) << n;
    }
}

// A file that does not load leaves the scene drawing on: its reason goes to
// stderr and, in the font, under the counter for 200 frames.
TEST_F(AppRun, AFileThatFailsToOpenLeavesTheSceneDrawing) {
    write_square_scene(FIVE_SQUARES);
    ASSERT_EQ(run(drop_between(3, "missing.3ds", 201)), 0);
    EXPECT_EQ(stderr_text, "velmor: missing.3ds: cannot open: No such file or directory\n");
    std::vector<Presented> dropped = frames;
    ASSERT_EQ(run_ticks(204), 0);
    ASSERT_EQ(dropped.size(), frames.size());
    const int notice_top = 38, notice_bottom = 38 + 14 + 13; // two lines
    for (int n = 3; n < 204; ++n) {
        ASSERT_EQ(dropped[n].counter, n);
        int differing_rows = 0;
        for (int y = 0; y < screen_height; ++y) {
            bool same = std::equal(&frames[n].pixels[y * screen_width],
                                   &frames[n].pixels[(y + 1) * screen_width],
                                   &dropped[n].pixels[y * screen_width]);
            ASSERT_TRUE(same || (n < 203 && y >= notice_top && y < notice_bottom)) << n << " " << y;
            differing_rows += !same;
        }
        ASSERT_EQ(differing_rows > 0, n < 203) << n;
    }
    // "missing.3ds: cannot open: No such file or" and "directory".
    EXPECT_EQ(dropped[3].pixels[(notice_top + 5) * screen_width + 10 + 4], glyph_pixel('m', 4, 5));
    EXPECT_EQ(dropped[3].pixels[(notice_top + 14 + 5) * screen_width + 10 + 4],
              glyph_pixel('d', 4, 5));
}

// A named file that loads without a mesh object says so and runs on; a font
// named on the command line is used instead of Font.bmp.
TEST_F(AppRun, NoMeshObjectsAndAFontOfOnesOwn) {
    write_empty_scene();
    std::filesystem::create_directory("fonts");
    std::filesystem::rename("Font.bmp", "fonts/mine.bmp");
    AppOptions options = named("Z_Test.3ds");
    options.font_path = "fonts/mine.bmp";
    options.background_set = true; // black, as the counter is checked against
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(2);
    ASSERT_EQ(run(config, options), 0);
    EXPECT_EQ(stderr_text, "velmor: Z_Test.3ds: no mesh objects (is it a 3D Studio file?)\n");
    ASSERT_EQ(frames.size(), 2u);
    expect_black_with_counter(frames[1], 1);
}

namespace {

struct ProgramRun {
    int exit_code;
    std::string out, err;
};

ProgramRun run_program(const std::string& program, const std::string& arguments) {
    std::string command = program + " " + arguments + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp("out.txt"), slurp("err.txt")};
}

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

} // namespace

// Each program answers --help and --version on stdout with 0, a bad argument
// with one line and the usage on stderr and 2, a scene that cannot be loaded
// with the loader's reason and 1, and runs a named scene.
TEST_F(AppRun, CommandLines) {
    write_square_scene(FIVE_SQUARES);
    std::vector<std::string> programs = {VELMOR_CAPTURE_PATH};
#ifdef VELMOR_PROGRAM_PATH
    programs.push_back(VELMOR_PROGRAM_PATH); // without a display: up to the window only
#endif
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        std::string name = program.substr(program.rfind('/') + 1);
        const struct {
            const char* arguments;
            int exit_code;
            std::string out_first_line, err_first_line;
        } cases[] = {
            {"--help", 0, "Usage: " + name + " [", ""},
            {"--version", 0, name + " 1.0", ""},
            {"--frobnicate", 2, "", name + ": unknown option '--frobnicate'"},
            {"--font", 2, "", name + ": --font needs a value"},
            {"a.3ds b.3ds", 2, "", name + ": one scene at a time: 'a.3ds' and 'b.3ds'"},
            {"--colours", 2, "", name + ": --colours needs a value"},
            {"--colours red", 2, "", name + ": --colours needs file or index, not 'red'"},
            {"nothing.3ds", 1, "", "velmor: nothing.3ds: cannot open: No such file or directory"},
            {"--size 63x64", 2, "",
             name + ": --size needs WxH from 64x64 to 7680x4320, not '63x64'"},
            {"--size 7680x4321", 2, "",
             name + ": --size needs WxH from 64x64 to 7680x4320, not '7680x4321'"},
            {"--size 640x", 2, "", name + ": --size needs WxH from 64x64 to 7680x4320, not '640x'"},
            {"--up x", 2, "", name + ": --up needs z or y, not 'x'"},
            {"--background 12345", 2, "",
             name + ": --background needs a colour RRGGBB in hex, not '12345'"},
            {"--background 00GG00", 2, "",
             name + ": --background needs a colour RRGGBB in hex, not '00GG00'"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.arguments);
            ProgramRun r = run_program(program, c.arguments);
            EXPECT_EQ(r.exit_code, c.exit_code);
            EXPECT_EQ(r.out.rfind(c.out_first_line, 0), 0u) << r.out;
            EXPECT_EQ(first_line(r.err), c.err_first_line);
            if (c.exit_code == 2) {
                EXPECT_NE(r.err.find("\nUsage: " + name), std::string::npos);
            }
        }
    }
    ProgramRun named_scene = run_program(VELMOR_CAPTURE_PATH, "--frames 1 --out shots Z_Test.3ds");
    EXPECT_EQ(named_scene.exit_code, 0) << named_scene.err;
    EXPECT_TRUE(std::filesystem::exists("shots/frame_00000.png"));
    for (const char* look :
         {"--colours file", "--colours index", "--cull --flat", "--background 1a2B3c"}) {
        ProgramRun r =
            run_program(VELMOR_CAPTURE_PATH, std::string("--frames 1 --out shots ") + look);
        EXPECT_EQ(r.exit_code, 0) << look << r.err;
    }
    for (const char* view : {"--view 1,2,3,4", "--turntable maybe"}) {
        ProgramRun r = run_program(VELMOR_CAPTURE_PATH, view);
        EXPECT_EQ(r.exit_code, 2) << view;
        EXPECT_NE(first_line(r.err).find("needs"), std::string::npos) << r.err;
    }
    ProgramRun sized =
        run_program(VELMOR_CAPTURE_PATH, "--frames 1 --out sized --size 64x4320 --up y Z_Test.3ds");
    EXPECT_EQ(sized.exit_code, 0) << sized.err;
    PngPicture still;
    ASSERT_TRUE(png_read("sized/frame_00000.png", still));
    EXPECT_EQ(still.width, 64u);
    EXPECT_EQ(still.height, 4320u);
    ProgramRun dump_help = run_program(VELMOR_DUMP_PATH, "--help");
    EXPECT_EQ(dump_help.exit_code, 0);
    EXPECT_EQ(first_line(dump_help.out), "Usage: velmor-dump FILE.3ds");
    ProgramRun dump_version = run_program(VELMOR_DUMP_PATH, "--version");
    EXPECT_EQ(dump_version.exit_code, 0);
    EXPECT_EQ(dump_version.out, "velmor-dump 1.0\n");
}

// velmor-capture runs from 0 to 100000000 ticks: 0 presents nothing and ends
// normally; the top end is taken, one past either end is refused. The parser
// answers those in-process: a count it took by mistake would run for days.
TEST_F(AppRun, CaptureFrameCountsAtBothEndsOfTheRange) {
    write_square_scene(FIVE_SQUARES);
    ProgramRun none = run_program(VELMOR_CAPTURE_PATH, "--frames 0 --out shots");
    EXPECT_EQ(none.exit_code, 0) << none.err;
    EXPECT_EQ(none.err, "");
    EXPECT_TRUE(std::filesystem::is_empty("shots"));

    AppOptions options;
    const char* most[] = {"velmor-capture", "--frames", "100000000"};
    EXPECT_EQ(app_parse_args(3, most, AppProgram::capture, options), -1);
    EXPECT_EQ(options.frames, 100000000);
    for (const char* count : {"100000001", "-1"}) {
        const char* argv[] = {"velmor-capture", "--frames", count};
        testing::internal::CaptureStderr();
        EXPECT_EQ(app_parse_args(3, argv, AppProgram::capture, options), 2);
        EXPECT_EQ(first_line(testing::internal::GetCapturedStderr()),
                  "velmor-capture: --frames needs a count from 0 to 100000000, not '" +
                      std::string(count) + "'");
    }
}
