// The screen of the renderer's tests: render_init's state for 512 x 384, with
// the depth buffer and the colour buffer between GUARD zones that no test may
// touch (TearDown checks them after every test), and the random numbers of
// the randomized tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "render/scan.h"
#include "render/span.h"
#include "support/test_mesh.h"

constexpr int W = 512, H = 384;
constexpr uint32_t CLEARED = 0xFFFFFFFFu;

// Screen x, y and camera z per vertex.
using Points = std::vector<std::array<float, 3>>;

inline ClipPolygon polygon(const Points& points) {
    ClipPolygon p = {};
    for (const auto& q : points) {
        SceneVertex& v = p.vertices[p.count++];
        v.x = q[0], v.y = q[1], v.z = q[2];
    }
    return p;
}

class Screen : public ::testing::Test {
  protected:
    static constexpr size_t GUARD = 4096;
    static constexpr uint32_t CANARY = 0xDEADBEEFu;

    void SetUp() override {
        ASSERT_TRUE(render_init(W, H));
        own_depths = render_state.depth_buffer;
        render_state.depth_buffer = depth_storage.data() + GUARD;
        matrix_identity(identity);
        clear();
    }
    void TearDown() override {
        render_state.depth_buffer = own_depths;
        render_shutdown();
        EXPECT_TRUE(guards_intact()) << "written outside a buffer";
    }
    // Whether the guard zones around both buffers still hold their canary.
    bool guards_intact() const { return intact(depth_storage) && intact(colour_storage); }
    static bool intact(const std::vector<uint32_t>& s) {
        auto is_canary = [](uint32_t v) { return v == CANARY; };
        return std::all_of(s.begin(), s.begin() + GUARD, is_canary) &&
               std::all_of(s.end() - GUARD, s.end(), is_canary);
    }
    void clear(uint32_t colour = 0) {
        depth_buffer_clear();
        std::fill(colours, colours + W * H, colour);
    }
    bool draw(const Points& points, uint32_t colour = 0x123456) {
        ClipPolygon p = polygon(points);
        return raster_polygon(p, colours, colour);
    }
    // An object in camera space: the eye at the origin looking along +z.
    void render(const TestMesh& mesh, uint32_t colour = 0xFFFFFF) {
        render_object(identity, identity, mesh.object, colours, colour);
    }
    uint32_t depth(int x, int y) const { return render_state.depth_buffer[y * W + x]; }
    uint32_t pixel(int x, int y) const { return colours[y * W + x]; }
    std::vector<int> row(int y) const {
        std::vector<int> xs;
        for (int x = 0; x < W; ++x)
            if (depth(x, y) != CLEARED) xs.push_back(x);
        return xs;
    }
    int drawn_count() const {
        const uint32_t* d = render_state.depth_buffer;
        return (int)std::count_if(d, d + W * H, [](uint32_t v) { return v != CLEARED; });
    }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    std::vector<uint32_t> depth_storage = std::vector<uint32_t>(GUARD + W * H + GUARD, CANARY);
    std::vector<uint32_t> colour_storage = std::vector<uint32_t>(GUARD + W * H + GUARD, CANARY);
    uint32_t* const colours = colour_storage.data() + GUARD;
    uint32_t* own_depths = nullptr;
    Matrix identity;
    std::mt19937 rng{20240611u};
};
