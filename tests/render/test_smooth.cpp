// Gouraud shading in view mode: smooth surfaces, hard edges kept, and the
// span code's smooth variants against the plain loop.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "support/screen.h"

namespace {

class Smooth : public Screen {
  protected:
    // The picture of mesh with look, white, in camera space.
    std::vector<uint32_t> drawn(const FaceLook& look) {
        clear();
        render_object(identity, identity, mesh.object, colours, 0xFFFFFF, nullptr, &look);
        return std::vector<uint32_t>(colours, colours + W * H);
    }
    // The largest brightness step between neighbouring pixels of the sphere
    // drawn about the centre, within fraction of its outline's radius.
    static int largest_step(const std::vector<uint32_t>& p, float cx, float cy, float radius) {
        int largest = 0;
        for (int y = 0; y + 1 < H; ++y)
            for (int x = 0; x + 1 < W; ++x) {
                if (std::hypot(x + 1 - cx, y + 1 - cy) > radius) continue;
                const int here = (int)(p[y * W + x] & 0xFF);
                const int right = (int)(p[y * W + x + 1] & 0xFF);
                const int below = (int)(p[(y + 1) * W + x] & 0xFF);
                largest = std::max({largest, std::abs(here - right), std::abs(here - below)});
            }
        return largest;
    }

    TestMesh mesh;
    FaceLook smooth{false, 64, nullptr, 0, true};
    FaceLook flat{false, 64, nullptr, 0, false};
};

// A cube about (0, 0, 8) turned so that three faces show, as the loader winds
// an outward-wound file.
void add_turned_cube(TestMesh& mesh) {
    const float c = std::cos(0.6f), s = std::sin(0.6f), c2 = std::cos(0.5f), s2 = std::sin(0.5f);
    for (int i = 0; i < 8; ++i) {
        const float x0 = i & 1 ? 1.0f : -1.0f, y0 = i & 2 ? 1.0f : -1.0f, z0 = i & 4 ? 1.0f : -1.0f;
        const float x1 = c * x0 + s * z0, z1 = -s * x0 + c * z0;
        const float y2 = c2 * y0 - s2 * z1, z2 = s2 * y0 + c2 * z1;
        mesh_vertex(mesh, x1, y2, z2 + 8.0f);
    }
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads) {
        mesh_face(mesh, q[0], q[2], q[1]);
        mesh_face(mesh, q[0], q[3], q[2]);
    }
}

} // namespace

TEST_F(Smooth, SphereInOneGroupHasNoStepsButMaskZeroIsFlat) {
    mesh_add_sphere(mesh, 60, 32, 16, 0, 0, 200);
    mesh_finish(mesh);
    mesh_smooth(mesh, 0); // closed: its backs culled from now on, as for the cube
    const std::vector<uint32_t> facets = drawn(flat);
    const float cx = W / 2, cy = H / 2, inside = 0.6f * 256 * 60 / 200;
    EXPECT_TRUE(drawn(smooth) == facets); // mask 0: flat
    mesh_smooth(mesh, 0x10);
    const std::vector<uint32_t> shaded = drawn(smooth);
    EXPECT_LE(largest_step(shaded, cx, cy, inside), 3);
    EXPECT_GT(largest_step(facets, cx, cy, inside), 12);
}

TEST_F(Smooth, CubeOfSixGroupsKeepsItsHardEdges) {
    add_turned_cube(mesh);
    mesh_finish(mesh);
    mesh_smooth(mesh, 0, [](size_t face) { return 1u << (face / 2); });
    const std::vector<uint32_t> facets = drawn(flat);
    ASSERT_GT(drawn_count(), 5000);
    EXPECT_TRUE(drawn(smooth) == facets);
    mesh_smooth(mesh, 1); // one group: rounded
    EXPECT_FALSE(drawn(smooth) == facets);
}

// Random spans, brightness and depths: every code for the runs draws what
// the plain loop draws; the brightness is exact at both ends and never turns
// back, clamped where it leaves 0..255.
TEST_F(Screen, SmoothSpansOfEveryKindDrawThePlainLoopsBits) {
    for (int runs : {(int)SPAN_RUNS_PLAIN, (int)SPAN_RUNS_SSE2, (int)SPAN_RUNS_AVX2, -1}) {
        if (runs >= 0 && !span_runs_available((SpanRuns)runs)) continue;
        for (int i = 0; i < 2000; ++i) {
            const int n = 1 + pick(100);
            const float w = uniform(1e-4f, 1.0f), w_dx = uniform(-1e-5f, 1e-5f);
            const uint32_t b = (uint32_t)(int32_t)uniform(-20.0f * 65536, 275.0f * 65536);
            const uint32_t b_dx = (uint32_t)(int32_t)uniform(-4.0f * 65536, 4.0f * 65536);
            const SpanShade shade = {(uint32_t)rng() & 0xFFFFFF, b, b_dx};
            std::vector<uint32_t> depths(n, CLEARED), pixels(n, 0), plain(n, 0);
            std::vector<uint32_t> plain_depths = depths;
            span_fill_smooth_with(SPAN_RUNS_PLAIN, n, w, w_dx, plain_depths.data(), plain.data(),
                                  shade);
            if (runs < 0)
                span_fill_smooth(n, w, w_dx, depths.data(), pixels.data(), shade);
            else
                span_fill_smooth_with((SpanRuns)runs, n, w, w_dx, depths.data(), pixels.data(),
                                      shade);
            ASSERT_EQ(pixels, plain) << "runs " << runs << " n " << n;
            ASSERT_EQ(depths, plain_depths) << "runs " << runs << " n " << n;
            const uint32_t last = b + (uint32_t)(n - 1) * b_dx;
            EXPECT_EQ(plain[0], span_shade_pixel(shade.colour, b));
            EXPECT_EQ(plain[n - 1], span_shade_pixel(shade.colour, last));
            for (int k = 1; k < n; ++k) {
                const int step = (int)(plain[k] & 0xFF) - (int)(plain[k - 1] & 0xFF);
                ASSERT_TRUE((int32_t)b_dx >= 0 ? step >= 0 : step <= 0) << k;
            }
        }
    }
}
