// Golden pictures: a fixed scene turned through one full rocking cycle as the
// program's frame does it; every frame's ColourBuffer and DepthBuffer are
// hashed and compared with tests/render/golden.txt.
//
// Regenerate only after a deliberate change of the output, and say so in the
// commit: VELMOR_UPDATE_GOLDEN=1 test_render --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "render/render_internal.h"
#include "test_mesh.h"

namespace {

constexpr int W = 512, H = 384;
constexpr int frames = 63;
const std::string golden_path = std::string(VELMOR_SOURCE_DIR) + "/tests/render/golden.txt";

// Objects around the origin, some across the screen's edges.
std::vector<TestMesh> scattered_scene() {
    std::vector<TestMesh> scene(5);
    mesh_add_torus(scene[0], 14, 6, 24, 12, 0, 0, 0);
    mesh_add_sphere(scene[1], 17, 20, 12, 35, 20, -10);
    mesh_add_torus(scene[2], 20, 5, 24, 10, -90, 10, 20);
    mesh_add_sphere(scene[3], 30, 24, 16, 10, -75, 0);
    mesh_add_sphere(scene[4], 6, 8, 5, -20, 30, 60);
    for (TestMesh& m : scene)
        mesh_finish(m);
    return scene;
}

// A sphere whose front lies 20 units from the eye, cut by all four planes, and
// a ring in the plane of the view axis whose tube grazes the eye.
std::vector<TestMesh> near_scene() {
    std::vector<TestMesh> scene(2);
    mesh_add_sphere(scene[0], 130, 32, 17, 0, 0, 0);
    mesh_add_torus(scene[1], 150, 6, 96, 12, 0, 0, 0);
    for (SceneVertex& v : scene[1].vertices) { // into the plane x = 6, winding kept
        const float x = v.x;
        v.x = v.y + 6.0f;
        v.y = x;
    }
    for (SceneFace& f : scene[1].faces)
        std::swap(f.corners[1], f.corners[2]);
    for (TestMesh& m : scene)
        mesh_finish(m);
    return scene;
}

// The program's frame: clear, advance the angle, turn and draw every object.
void frame(std::vector<TestMesh>& scene, const Matrix& camera, float& angle,
           std::vector<uint32_t>& colours) {
    static const float turn_speeds[4] = {2.0f, 1.0f, 0.5f, 0.25f};
    static const uint32_t object_colours[4] = {0xFF6496, 0x9664FF, 0x50FF0A, 0xFFFFFF};
    std::fill(colours.begin(), colours.end(), 0u);
    angle = angle + 0.1f;
    if ((double)angle > 6.28) angle = 0.0f;
    depth_buffer_clear();
    for (size_t i = 0; i < scene.size(); ++i) {
        SceneObject& o = scene[i].object;
        const float s = turn_speeds[i & 3];
        matrix_rotate_x(o.matrix, s * 0.031415924f);
        matrix_rotate_y(o.matrix, (float)(math_sinl(angle) * 0.031415926 * s));
        render_object(o.matrix, camera, o, colours.data(), object_colours[i & 3]);
    }
}

std::string hex(uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", (unsigned long long)v);
    return text;
}

void write_ppm(const std::string& path, const std::vector<uint32_t>& colours) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << W << " " << H << "\n255\n";
    for (uint32_t c : colours)
        out.put((char)(c >> 16)).put((char)(c >> 8)).put((char)c);
}

// Lines "scene frame hash".
std::vector<std::string> read_golden(const std::string& name) {
    std::vector<std::string> hashes;
    std::ifstream in(golden_path);
    std::string scene, value;
    int number = 0;
    while (in >> scene >> number >> value)
        if (scene == name) hashes.push_back(value);
    return hashes;
}

// Replaces the scene's lines of the golden file.
void write_golden(const std::string& name, const std::vector<std::string>& hashes) {
    std::vector<std::string> kept;
    {
        std::ifstream in(golden_path);
        std::string line;
        while (std::getline(in, line))
            if (line.compare(0, name.size() + 1, name + " ") != 0) kept.push_back(line);
    }
    std::ofstream out(golden_path);
    for (const std::string& line : kept)
        out << line << "\n";
    for (size_t f = 0; f < hashes.size(); ++f)
        out << name << " " << f + 1 << " " << hashes[f] << "\n";
}

// Renders the scene for a full cycle; returns the frames' hashes. Compares with
// the golden ones when there are any and writes the first differing picture.
std::vector<std::string> render_cycle(const std::string& name, std::vector<TestMesh> scene,
                                      const std::vector<std::string>& golden) {
    EXPECT_EQ(render_init(W, H), 1);
    const Matrix camera = startup_camera();
    std::vector<uint32_t> colours(W * H);
    std::vector<std::string> hashes;
    float angle = 0.0f;
    size_t drawn = 0;
    for (int f = 0; f < frames; ++f) {
        frame(scene, camera, angle, colours);
        hashes.push_back(
            hex(fnv1a(render_state.depth_buffer, W * H * 4, fnv1a(colours.data(), W * H * 4))));
        for (uint32_t c : colours)
            drawn += c != 0;
        if (!golden.empty() && hashes[f] != golden[f]) {
            const std::string picture = name + "_frame_" + std::to_string(f + 1) + ".ppm";
            write_ppm(picture, colours);
            ADD_FAILURE() << name << " frame " << f + 1 << " differs; picture in " << picture;
            break;
        }
    }
    render_shutdown();
    EXPECT_GT(drawn, (size_t)frames * W * H / 16) << name;
    return hashes;
}

} // namespace

// Triangles in camera space around the eye, both windings, from a portable
// generator: clipped by every plane, and many too near the eye to project.
TestMesh eye_scene() {
    TestMesh mesh;
    uint32_t state = 12345u;
    auto next = [&state](float lo, float hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * (float)(state >> 8) * (1.0f / 16777216.0f);
    };
    for (int i = 0; i < 3000; ++i) {
        int c[3];
        for (int& k : c) {
            const float z = next(-2.0f, 30.0f);
            k = mesh_vertex(mesh, next(-20.0f, 20.0f), next(-15.0f, 15.0f), z);
        }
        if (i % 2 == 0) { // one corner close to the eye
            const float z = next(-0.2f, 0.3f);
            c[0] = mesh_vertex(mesh, next(-0.2f, 0.2f), next(-0.2f, 0.2f), z);
        }
        mesh_face(mesh, c[0], c[1], c[2]);
        mesh_face(mesh, c[0], c[2], c[1]);
    }
    mesh_finish(mesh);
    return mesh;
}

TEST(Golden, TrianglesAroundTheEye) {
    ASSERT_EQ(render_init(W, H), 1);
    depth_buffer_clear();
    std::vector<uint32_t> colours(W * H, 0u);
    const TestMesh mesh = eye_scene();
    Matrix identity;
    matrix_identity(identity);
    render_object(identity, identity, mesh.object, colours.data(), 0xFFFFFF);
    const std::string hash =
        hex(fnv1a(render_state.depth_buffer, W * H * 4, fnv1a(colours.data(), W * H * 4)));
    render_shutdown();
    if (std::getenv("VELMOR_UPDATE_GOLDEN") != nullptr) {
        write_golden("eye", {hash});
        GTEST_SKIP() << "golden rewritten: " << golden_path;
    }
    const std::vector<std::string> golden = read_golden("eye");
    ASSERT_EQ(golden.size(), 1u);
    if (hash != golden[0]) {
        write_ppm("eye_frame_1.ppm", colours);
        FAIL() << "eye scene differs; picture in eye_frame_1.ppm";
    }
}

TEST(Golden, ScenesThroughOneRockingCycle) {
    const struct {
        const char* name;
        std::vector<TestMesh> (*make)();
    } scenes[] = {{"scattered", scattered_scene}, {"near", near_scene}};
    if (std::getenv("VELMOR_UPDATE_GOLDEN") != nullptr) {
        for (const auto& s : scenes)
            write_golden(s.name, render_cycle(s.name, s.make(), {}));
        GTEST_SKIP() << "golden rewritten: " << golden_path;
    }
    for (const auto& s : scenes) {
        const std::vector<std::string> golden = read_golden(s.name);
        ASSERT_EQ(golden.size(), (size_t)frames) << "missing or short " << golden_path;
        render_cycle(s.name, s.make(), golden);
    }
}
