// View mode's camera: where known points land for known numbers, how much of
// the picture the framing ball fills, what a camera inside the model draws,
// and the camera that scripted drags, wheel turns and keys leave.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"
#include "support/test_mesh.h"

namespace {

const double R = frame_fit_radius();
constexpr double DEGREE = 3.14159265358979323846 / 180;
// How far a point at distance R across the line of sight lies from the centre
// at zoom 1, in units of the picture's smaller side:
// 0.9 * sin(15 deg) * f / R with f = side / 2 / tan(15 deg).
constexpr double K = 0.9 * 0.96592582628906829 / 2;

struct Pixel {
    double x, y;
};

SceneVertex in_scene(double file_x, double file_y, double file_z) {
    return SceneVertex{(float)file_x, (float)file_z, (float)file_y, 0, 0, 0, 0, 0};
}

// The renderer's camera space and projection, done here in double.
Pixel screen_of(const ViewCamera& camera, int width, int height, const SceneVertex& p) {
    Matrix placement, inverse;
    frame_view_matrix(camera, placement);
    matrix_affine_inverse(placement, inverse);
    const float* m = inverse.m;
    double c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = p.x * (double)m[k] + p.y * (double)m[4 + k] + p.z * (double)m[8 + k] + m[12 + k];
    const ViewProjection pr = frame_view_projection(width, height);
    return {pr.focal_length * c[0] / c[2] + pr.centre_x,
            pr.focal_length * c[1] / c[2] + pr.centre_y};
}

// The eye's distance from the target, as frame.h gives it.
double view_distance_at(const ViewCamera& c) {
    return R / std::sin(15 * DEGREE) / 0.9 / c.zoom;
}

ViewCamera camera_at(double az, double el, double zoom = 1, UpAxis up = UpAxis::file_z) {
    ViewCamera c = frame_view_start(up);
    c.azimuth = az, c.elevation = el, c.zoom = zoom;
    return c;
}

// A scene of the given objects, each drawn in its own colour.
struct OwnScene {
    std::vector<SceneObject> objects;
    std::vector<uint32_t> colours;
    Scene scene{};

    void add(TestMesh& mesh, uint32_t colour) {
        mesh_finish(mesh);
        objects.push_back(mesh.object);
        colours.insert(colours.end(), (size_t)mesh.object.face_count, colour);
        scene.objects = objects.data();
        scene.object_count = (int32_t)objects.size();
    }
    std::vector<uint32_t> draw(const ViewCamera& camera, int width, int height) {
        std::vector<uint32_t> pixels((size_t)width * height);
        EXPECT_TRUE(render_init(width, height));
        ViewState view{{}, &scene, colours.data()};
        frame_draw_view(view, camera, width, height, pixels.data());
        render_shutdown();
        return pixels;
    }
};

// A square of half sides u and v about centre, seen from the side u x v
// points to (scene axes).
void add_square(TestMesh& mesh, std::array<float, 3> c, std::array<float, 3> u,
                std::array<float, 3> v) {
    int k[4];
    for (int i = 0; i < 4; ++i) {
        const float su = i == 1 || i == 2 ? 1.0f : -1.0f, sv = i >= 2 ? 1.0f : -1.0f;
        k[i] = mesh_vertex(mesh, c[0] + su * u[0] + sv * v[0], c[1] + su * u[1] + sv * v[1],
                           c[2] + su * u[2] + sv * v[2]);
    }
    mesh_face(mesh, k[0], k[1], k[2]);
    mesh_face(mesh, k[0], k[2], k[3]);
}

// The drawn pixels' bounding box and centre.
struct Extent {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    double sx = 0, sy = 0;
};

Extent extent(const std::vector<uint32_t>& pixels, int width) {
    Extent e;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] == 0) continue;
        const int x = (int)(i % width), y = (int)(i / width);
        ++e.count, e.sx += x, e.sy += y;
        e.left = std::min(e.left, x), e.right = std::max(e.right, x);
        e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
    }
    return e;
}

} // namespace

TEST(ViewCamera, KnownPointsLandOnKnownPixels) {
    const double k = K * 384, cx = 255.5, cy = 191.5;
    // Nearer by R, a point across the line of sight lies farther out: f R / (D - R).
    const double nearer = 192 / std::tan(15 * DEGREE) / (1 / (0.9 * std::sin(15 * DEGREE)) - 1);
    ViewCamera panned = camera_at(0, 0);
    panned.target[0] = R; // the file's +X, in the scene's axes
    struct Case {
        ViewCamera camera;
        SceneVertex point;
        Pixel expected;
    } cases[] = {
        {camera_at(0, 0), in_scene(R, 0, 0), {cx + k, cy}},        // front: +X to the right
        {camera_at(0, 0), in_scene(0, 0, R), {cx, cy - k}},        // and +Z up
        {camera_at(0, 0), in_scene(R, -R, 0), {cx + nearer, cy}},  // nearer, farther out
        {camera_at(90, 0), in_scene(0, R, 0), {cx + k, cy}},       // right view: +Y to the right
        {camera_at(0, 90), in_scene(0, R, 0), {cx, cy - k}},       // top view: +Y up
        {camera_at(180, 0), in_scene(R, 0, 0), {cx - k, cy}},      // back view
        {camera_at(0, 0, 2), in_scene(R / 2, 0, 0), {cx + k, cy}}, // zoom 2: half as far
        {panned, in_scene(R, 0, 0), {cx, cy}},                     // the target at the centre
        {panned, in_scene(0, 0, 0), {cx - k, cy}},
        {camera_at(0, 0, 1, UpAxis::file_y), in_scene(0, R, 0), {cx, cy - k}}, // Y up: +Y up
        {camera_at(0, 0, 1, UpAxis::file_y), in_scene(R, 0, 0), {cx + k, cy}}, // from +Z
        {camera_at(90, 0, 1, UpAxis::file_y), in_scene(0, 0, -R), {cx + k, cy}},
        {camera_at(45, 20), in_scene(0, 0, 0), {cx, cy}},
    };
    for (const Case& c : cases) {
        const Pixel p = screen_of(c.camera, 512, 384, c.point);
        EXPECT_NEAR(p.x, c.expected.x, 0.01) << c.camera.azimuth << " " << c.camera.elevation;
        EXPECT_NEAR(p.y, c.expected.y, 0.01) << c.camera.azimuth << " " << c.camera.elevation;
    }
}

// The renderer puts a small ball where the camera says: pixel (i, j) is
// sampled at its centre, so a ball at the centre of a 64 x 64 picture covers
// pixels 31 and 32 alike.
TEST(ViewCamera, DrawnPointsLieWhereTheCameraPutsThem) {
    for (const ViewCamera& camera : {camera_at(0, 0), camera_at(30, -40, 3)}) {
        for (const SceneVertex& p : {in_scene(0, 0, 0), in_scene(10, -5, 12)}) {
            TestMesh ball;
            mesh_add_sphere(ball, 0.1f * (float)R / (float)camera.zoom, 32, 16, p.x, p.y, p.z);
            OwnScene scene;
            scene.add(ball, 0xFFFFFF);
            for (auto [w, h] : {std::array<int, 2>{64, 64}, {300, 200}}) {
                const Extent e = extent(scene.draw(camera, w, h), w);
                const Pixel expected = screen_of(camera, w, h, p);
                ASSERT_GT(e.count, 0) << camera.azimuth << " " << p.x << " " << w;
                EXPECT_NEAR(e.sx / e.count, expected.x, 0.25) << w;
                EXPECT_NEAR(e.sy / e.count, expected.y, 0.25) << w;
            }
        }
    }
}

// At zoom 1 the framing ball spans 90% of the smaller side as the distance
// R / sin(15 deg) / 0.9 has it: the outline of a ball seen from there has
// tan(asin(0.9 sin 15 deg)) / tan(15 deg) = 89.4% of it.
TEST(ViewCamera, FramingBallFillsNinetyPercentOfTheSmallerSide) {
    TestMesh ball;
    mesh_add_sphere(ball, (float)R, 192, 96, 0, 0, 0);
    OwnScene scene;
    scene.add(ball, 0xFFFFFF);
    for (auto [w, h] : {std::array<int, 2>{512, 384}, {384, 512}, {1280, 720}}) {
        const Extent e = extent(scene.draw(frame_view_start(UpAxis::file_z), w, h), w);
        const int side = std::min(w, h);
        EXPECT_NEAR((e.right - e.left + 1) / (double)side, 0.894, 0.006) << w << "x" << h;
        EXPECT_NEAR((e.bottom - e.top + 1) / (double)side, 0.894, 0.006) << w << "x" << h;
        EXPECT_NEAR((e.left + e.right) / 2.0, w / 2.0 - 0.5, 0.5);
        EXPECT_NEAR((e.top + e.bottom) / 2.0, h / 2.0 - 0.5, 0.5);
    }
}

// A ball just inside another, a thousandth of the framing radius apart, stays
// hidden behind it from the farthest zoom to the nearest.
TEST(ViewCamera, DepthHoldsAtEveryZoom) {
    TestMesh outer, inner;
    mesh_add_sphere(outer, 0.2f * (float)R, 48, 24, 0, 0, 0);
    mesh_add_sphere(inner, 0.199f * (float)R, 48, 24, 0, 0, 0);
    OwnScene scene;
    scene.add(inner, 0x00FF00);
    scene.add(outer, 0xFF0000);
    for (double zoom : {0.05, 1.0, 4.0}) {
        int outer_pixels = 0;
        for (uint32_t p : scene.draw(camera_at(45, 20, zoom), 640, 480)) {
            ASSERT_EQ(p & 0x00FF00, 0u) << "zoom " << zoom;
            outer_pixels += p != 0;
        }
        EXPECT_GT(outer_pixels, 0) << "zoom " << zoom;
    }
}

// Seen from 7.4 units in front of the target (scene z = -7.4): a small square
// ahead, a wall behind the eye, and a slope that crosses the line of sight
// 0.05 in front of the eye, from behind the eye down to 1.55 ahead. The slope
// crosses the near plane and is cut there, not dropped: it shows on the rows
// from 72 to 143 below the centre. The wall behind the eye draws nothing.
TEST(ViewCamera, CameraInsideTheModelDrawsWhatIsInFrontOnly) {
    const ViewCamera inside = camera_at(0, 0, 50);
    const float eye_z = (float)-view_distance_at(inside);
    TestMesh ahead, behind, ramp;
    add_square(ahead, {0, 0, 0}, {0.5f, 0, 0}, {0, -0.5f, 0}); // faces the eye
    add_square(behind, {0, 0, -20}, {10, 0, 0}, {0, 10, 0});   // faces the eye
    const int a = mesh_vertex(ramp, 0, 0.2f, eye_z - 0.95f);
    const int b = mesh_vertex(ramp, -3, -0.3f, eye_z + 1.55f);
    const int c = mesh_vertex(ramp, 3, -0.3f, eye_z + 1.55f);
    mesh_face(ramp, a, b, c); // one of the two is turned away
    mesh_face(ramp, a, c, b);
    OwnScene scene;
    scene.add(ahead, 0xFF0000);
    scene.add(behind, 0x00FF00);
    scene.add(ramp, 0x0000FF);
    const int w = 512, h = 384;
    const std::vector<uint32_t> pixels = scene.draw(inside, w, h);
    auto at = [&](int x, int y) { return pixels[(size_t)y * w + x]; };
    EXPECT_NE(at(256, 192) & 0xFF0000, 0u) << "the square ahead";
    // The view planes keep two pixels at each edge.
    EXPECT_NE(at(256, 292) & 0x0000FF, 0u) << "the slope, cut at the near plane";
    EXPECT_NE(at(2, 292) & 0x0000FF, 0u);
    EXPECT_EQ(at(256, 240), 0u) << "the slope nearer than the near plane";
    for (uint32_t p : pixels)
        ASSERT_EQ(p & 0x00FF00, 0u) << "a face behind the eye";
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(at(x, 0), 0u) << "above the horizon";
}

TEST(ViewInput, TurntableTurnsOnceIn600TicksUntilTheFirstDragAndSpaceRestartsIt) {
    ViewCamera c = frame_view_start(UpAxis::file_z);
    ViewInput in = frame_view_input_start();
    frame_view_tick(c, in);
    EXPECT_NEAR(c.azimuth, 45.6, 1e-9);
    for (int i = 1; i < 600; ++i)
        frame_view_tick(c, in);
    EXPECT_NEAR(c.azimuth, 45.0, 1e-9);
    // A click without a move and a move without a button leave it turning.
    frame_view_message(c, in, VIEW_MESSAGE_LBUTTONDOWN, VIEW_BUTTON_LEFT, 100 | 100 << 16, 512,
                       384);
    frame_view_message(c, in, VIEW_MESSAGE_LBUTTONUP, 0, 100 | 100 << 16, 512, 384);
    EXPECT_FALSE(frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, 0, 140 | 90 << 16, 512, 384));
    EXPECT_TRUE(in.turntable);
    frame_view_message(c, in, VIEW_MESSAGE_LBUTTONDOWN, VIEW_BUTTON_LEFT, 100 | 100 << 16, 512,
                       384);
    EXPECT_TRUE(frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, VIEW_BUTTON_LEFT, 110 | 95 << 16,
                                   512, 384));
    EXPECT_FALSE(in.turntable);
    EXPECT_NEAR(c.azimuth, 41.0, 1e-9); // the model follows the pointer: 0.4 degrees a pixel
    EXPECT_NEAR(c.elevation, 18.0, 1e-9);
    frame_view_tick(c, in);
    EXPECT_NEAR(c.azimuth, 41.0, 1e-9);
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_SPACE, 0, 512, 384);
    frame_view_tick(c, in);
    EXPECT_NEAR(c.azimuth, 41.6, 1e-9);
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_SPACE, 0, 512, 384);
    frame_view_tick(c, in);
    EXPECT_NEAR(c.azimuth, 41.6, 1e-9);
    // Dragged far down: the elevation stops at 90.
    frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, VIEW_BUTTON_LEFT, 110 | 2000 << 16, 512, 384);
    EXPECT_EQ(c.elevation, 90.0);
    // The button let go outside the window ends the drag at the next move.
    frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, 0, 10 | 10 << 16, 512, 384);
    EXPECT_EQ(in.drag, ViewDrag::none);
}

// Right, middle and Shift + left drags, and Shift + arrows: the target's point
// follows the pointer.
TEST(ViewInput, PanningKeepsThePointUnderThePointer) {
    const SceneVertex origin = in_scene(0, 0, 0);
    struct Pan {
        uint32_t down;
        uintptr_t held;
    } pans[] = {{VIEW_MESSAGE_RBUTTONDOWN, VIEW_BUTTON_RIGHT},
                {VIEW_MESSAGE_MBUTTONDOWN, VIEW_BUTTON_MIDDLE},
                {VIEW_MESSAGE_LBUTTONDOWN, VIEW_BUTTON_LEFT | VIEW_BUTTON_SHIFT}};
    for (const Pan& pan : pans)
        for (double zoom : {1.0, 7.0}) {
            ViewCamera c = camera_at(30, 50, zoom);
            ViewInput in = frame_view_input_start();
            const Pixel start = screen_of(c, 640, 480, origin);
            frame_view_message(c, in, pan.down, pan.held, 200 | 300 << 16, 640, 480);
            frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, pan.held, 230 | 280 << 16, 640, 480);
            const Pixel moved = screen_of(c, 640, 480, origin);
            EXPECT_NEAR(moved.x - start.x, 30, 1e-3);
            EXPECT_NEAR(moved.y - start.y, -20, 1e-3);
            EXPECT_EQ(c.azimuth, 30.0);
            EXPECT_FALSE(in.turntable);
        }
    ViewCamera c = camera_at(0, 0);
    ViewInput in = frame_view_input_start();
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_SHIFT, 0, 640, 480);
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_LEFT, 0, 640, 480);
    EXPECT_NEAR(screen_of(c, 640, 480, origin).x, 319.5 - 24, 1e-3); // a 20th of 480
    frame_view_message(c, in, VIEW_MESSAGE_KEYUP, VIEW_KEY_SHIFT, 0, 640, 480);
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_LEFT, 0, 640, 480);
    EXPECT_EQ(c.azimuth, 5.0);
}

TEST(ViewInput, WheelAndKeysGiveTheirViews) {
    ViewCamera c = frame_view_start(UpAxis::file_z);
    ViewInput in = frame_view_input_start();
    auto send = [&](uint32_t message, uintptr_t wparam) {
        return frame_view_message(c, in, message, wparam, 0, 512, 384);
    };
    auto wheel = [&](int delta) {
        send(VIEW_MESSAGE_MOUSEWHEEL, (uintptr_t)(uint16_t)delta << 16);
    };
    wheel(120);
    EXPECT_FALSE(in.turntable);
    EXPECT_NEAR(c.zoom, 1.1, 1e-12);
    wheel(60); // half a notch waits for the other half
    EXPECT_NEAR(c.zoom, 1.1, 1e-12);
    wheel(60);
    EXPECT_NEAR(c.zoom, 1.21, 1e-12);
    wheel(-360);
    EXPECT_NEAR(c.zoom, 1.21 / 1.331, 1e-12);
    for (int i = 0; i < 100; ++i)
        wheel(120);
    EXPECT_EQ(c.zoom, 50.0);
    for (int i = 0; i < 100; ++i)
        send(VIEW_MESSAGE_KEYDOWN, VIEW_KEY_SUBTRACT);
    EXPECT_EQ(c.zoom, 0.05);
    send(VIEW_MESSAGE_KEYDOWN, VIEW_KEY_PLUS);
    EXPECT_NEAR(c.zoom, 0.055, 1e-12);

    send(VIEW_MESSAGE_KEYDOWN, 'R');
    EXPECT_EQ(c.zoom, 1.0);
    send(VIEW_MESSAGE_KEYDOWN, VIEW_KEY_LEFT);
    send(VIEW_MESSAGE_KEYDOWN, VIEW_KEY_UP);
    EXPECT_EQ(c.azimuth, 50.0);
    EXPECT_EQ(c.elevation, 15.0);
    const std::array<double, 2> views[] = {{0, 0}, {90, 0}, {0, 90}};
    const uintptr_t keys[][2] = {{'1', 0x61}, {'3', 0x63}, {'7', 0x67}};
    for (int v = 0; v < 3; ++v)
        for (uintptr_t key : keys[v]) {
            c = frame_view_start(UpAxis::file_z);
            EXPECT_TRUE(send(VIEW_MESSAGE_KEYDOWN, key));
            EXPECT_EQ(c.azimuth, views[v][0]);
            EXPECT_EQ(c.elevation, views[v][1]);
            EXPECT_EQ(c.zoom, 1.0);
        }
    send(VIEW_MESSAGE_KEYDOWN, 'U');
    EXPECT_EQ(c.up, UpAxis::file_y);
    c.target[1] = 3;
    send(VIEW_MESSAGE_KEYDOWN, VIEW_KEY_HOME);
    EXPECT_EQ(c.up, UpAxis::file_y); // the up axis stays as chosen
    EXPECT_EQ(c.target[1], 0.0);
    send(VIEW_MESSAGE_KEYDOWN, 'U');
    EXPECT_EQ(c.up, UpAxis::file_z);
    EXPECT_FALSE(send(VIEW_MESSAGE_KEYDOWN, 'Q'));
}

// Home after a drag, a wheel turn and a pan draws the start view's picture
// again, bit for bit.
TEST(ViewInput, HomeGivesTheFirstPictureBack) {
    TestMesh torus;
    mesh_add_torus(torus, 50, 20, 40, 20, 0, 10, 0);
    OwnScene scene;
    scene.add(torus, 0x50FF0A);
    ViewCamera c = frame_view_start(UpAxis::file_z);
    ViewInput in = frame_view_input_start();
    const std::vector<uint32_t> first = scene.draw(c, 320, 240);
    frame_view_message(c, in, VIEW_MESSAGE_LBUTTONDOWN, VIEW_BUTTON_LEFT, 0, 320, 240);
    frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, VIEW_BUTTON_LEFT, 33 | 7 << 16, 320, 240);
    frame_view_message(c, in, VIEW_MESSAGE_MOUSEWHEEL, (uintptr_t)240 << 16, 0, 320, 240);
    frame_view_message(c, in, VIEW_MESSAGE_RBUTTONDOWN, VIEW_BUTTON_RIGHT, 0, 320, 240);
    frame_view_message(c, in, VIEW_MESSAGE_MOUSEMOVE, VIEW_BUTTON_RIGHT, 5 | 9 << 16, 320, 240);
    EXPECT_NE(scene.draw(c, 320, 240), first);
    frame_view_message(c, in, VIEW_MESSAGE_KEYDOWN, VIEW_KEY_HOME, 0, 320, 240);
    EXPECT_EQ(scene.draw(c, 320, 240), first);
}
