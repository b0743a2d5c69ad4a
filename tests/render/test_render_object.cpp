#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/render_internal.h"
#include "test_mesh.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t cleared = 0xFFFFFFFFu;

class RenderObject : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(render_init(W, H), 1);
        depth_buffer_clear();
        colours.assign(W * H, 0);
        matrix_identity(identity);
    }
    void TearDown() override { render_shutdown(); }

    // One face with corners given in camera space.
    static TestMesh face(float x0, float y0, float z0, float x1, float y1, float z1, float x2,
                         float y2, float z2) {
        TestMesh mesh;
        mesh_face(mesh, mesh_vertex(mesh, x0, y0, z0), mesh_vertex(mesh, x1, y1, z1),
                  mesh_vertex(mesh, x2, y2, z2));
        mesh_finish(mesh);
        return mesh;
    }
    // The example face in front of the eye, drawn CCW on the screen.
    static TestMesh example() { return face(0, 0, 10, 0, 1, 10, 1, 0, 10); }

    void render(const TestMesh& mesh, uint32_t colour = 0xFFFFFF) {
        render_object(identity, identity, mesh.object, colours.data(), colour);
    }
    uint32_t depth(int x, int y) const { return render_state.depth_buffer[y * W + x]; }
    uint32_t pixel(int x, int y) const { return colours[y * W + x]; }
    int drawn_count() const {
        int n = 0;
        for (int i = 0; i < W * H; ++i)
            n += render_state.depth_buffer[i] != cleared;
        return n;
    }

    Matrix identity;
    std::vector<uint32_t> colours;
};

} // namespace

TEST_F(RenderObject, ExampleFaceIsProjectedLitAndCulledByWinding) {
    render(example());
    // Corners (256, 192), (256, 217.6), (281.6, 192); row 217 ends left of 257.
    EXPECT_EQ(depth(257, 192), 10u * 65536u);
    EXPECT_EQ(pixel(257, 192), 0xFEFEFEu);
    EXPECT_EQ(depth(257, 216), 10u * 65536u);
    EXPECT_EQ(depth(257, 218), cleared);
    EXPECT_EQ(depth(256, 200), cleared);
    EXPECT_EQ(depth(281, 192), 10u * 65536u);
    EXPECT_EQ(depth(282, 192), cleared);

    depth_buffer_clear();
    render(face(0, 0, 10, 1, 0, 10, 0, 1, 10));
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(RenderObject, CullingComparesTheEyeDistanceWithATenthAsDouble) {
    TestMesh mesh = example();
    // The eye sits at the origin, so the distance is the plane's offset; the
    // float 0.1 lies above the double 0.1.
    mesh.faces[0].plane.d = 0.1f;
    render(mesh);
    EXPECT_EQ(drawn_count(), 0);
    mesh.faces[0].plane.d = std::nextafter(0.1f, 0.0f);
    render(mesh);
    EXPECT_GT(drawn_count(), 0);
}

TEST_F(RenderObject, HeadlightBrightness) {
    struct Case {
        float a, b, c;
        uint32_t colour;
    };
    const float c128 = 128.5f / 255.0f;
    const Case cases[] = {
        {0, 0, 1, 0xFEFEFE},                             // head-on: E = 255
        {0, 0, -1, 0xFEFEFE},                            // the negated normal too
        {0, std::sqrt(1 - c128 * c128), c128, 0x7F7F7F}, // E = 128
        {1, 0, 0, 0x000000},                             // edge-on: E = 0
        {0, 0, 0, 0x000000},                             // zero normal: NaN, then 0
        {0, 0, 1e-30f, 0xFEFEFE},                        // tiny normal, no overflow
    };
    for (const Case& k : cases) {
        TestMesh mesh = example();
        mesh.faces[0].plane = Plane{k.a, k.b, k.c, -10.0f};
        colours.assign(W * H, 0x55555555);
        depth_buffer_clear();
        render(mesh);
        EXPECT_EQ(pixel(260, 195), k.colour) << k.a << " " << k.b << " " << k.c;
    }
    TestMesh mesh = example();
    depth_buffer_clear();
    render(mesh, 0x80FF40);
    EXPECT_EQ(pixel(260, 195), 0x7FFE3Fu);
}

TEST_F(RenderObject, VerticesNearerThanATenthDropTheWholeFace) {
    render(face(0, 0, 0.09f, 0, 5, 20, 5, 0, 20));
    EXPECT_EQ(drawn_count(), 0);
    render(face(0, 0, 0.1f, 0, 5, 20, 5, 0, 20));
    EXPECT_GT(drawn_count(), 0);
}

TEST_F(RenderObject, EmptyAndInvisibleObjectsDrawNothing) {
    TestMesh empty;
    mesh_finish(empty);
    render(empty);
    TestMesh right_of_view;
    mesh_add_sphere(right_of_view, 5, 12, 8, 60, 0, 30);
    mesh_finish(right_of_view);
    render(right_of_view);
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(RenderObject, NearerSurfaceWinsWhateverTheOrder) {
    const TestMesh near = face(-1, -1, 10, -1, 1, 10, 1, -1, 10);
    const TestMesh far = face(-2, -2, 20, -2, 2, 20, 2, -2, 20);
    render(near, 0x0000FF);
    render(far, 0x00FF00);
    const uint32_t near_first = pixel(240, 180);
    depth_buffer_clear();
    render(far, 0x00FF00);
    render(near, 0x0000FF);
    EXPECT_EQ(pixel(240, 180), near_first);
    EXPECT_EQ(near_first, 0x0000FEu);
    // At equal depth the surface drawn first keeps the pixel.
    depth_buffer_clear();
    render(near, 0x0000FF);
    render(near, 0x00FF00);
    EXPECT_EQ(pixel(240, 180), 0x0000FEu);
}

TEST_F(RenderObject, StartupCameraLooksAtTheOrigin) {
    TestMesh ball;
    mesh_add_sphere(ball, 10, 16, 12, 0, 0, 0);
    mesh_finish(ball);
    const Matrix camera = startup_camera();
    render_object(identity, camera, ball.object, colours.data(), 0xFFFFFF);
    // Radius 10 at distance 150 covers about 17 pixels around the centre.
    EXPECT_NE(depth(256, 192), cleared);
    EXPECT_NE(depth(256 - 15, 192), cleared);
    EXPECT_NE(depth(256 + 15, 192), cleared);
    EXPECT_EQ(depth(256 - 20, 192), cleared);
    EXPECT_EQ(depth(256 + 20, 192), cleared);
    EXPECT_NEAR((double)depth(256, 192) / 65536.0, 140.0, 0.5);
}
