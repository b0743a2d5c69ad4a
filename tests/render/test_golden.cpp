// Golden pictures: scenes turned and drawn by the program's frame, every
// frame's colour and depth buffers hashed and compared with the lines
// "scene frame hash" of tests/render/golden.txt, drawn once by the caller's
// thread alone and once by two. They guard every change of the renderer's
// speed: not one pixel may move.
//
// Regenerate only after a deliberate change of the output, and say so in the
// commit: VELMOR_UPDATE_GOLDEN=1 test_render --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "frame/frame.h"
#include "render/render_state.h"
#include "support/frame_hash.h"
#include "support/test_mesh.h"

namespace {

constexpr int W = 512, H = 384;
constexpr int CYCLE = 63; // frames of one rocking cycle
const std::string golden_path = std::string(VELMOR_SOURCE_DIR) + "/tests/render/golden.txt";
const bool updating = std::getenv("VELMOR_UPDATE_GOLDEN") != nullptr;

// Objects around the origin, some across the screen's edges.
std::vector<TestMesh> scattered_scene() {
    std::vector<TestMesh> scene(5);
    mesh_add_torus(scene[0], 14, 6, 24, 12, 0, 0, 0);
    mesh_add_sphere(scene[1], 17, 20, 12, 35, 20, -10);
    mesh_add_torus(scene[2], 20, 5, 24, 10, -90, 10, 20);
    mesh_add_sphere(scene[3], 30, 24, 16, 10, -75, 0);
    mesh_add_sphere(scene[4], 6, 8, 5, -20, 30, 60);
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
    return scene;
}

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

std::string frame_hash(const std::vector<uint32_t>& colours) {
    const uint64_t h = frame_hash_bytes(render_state.depth_buffer, W * H * 4,
                                        frame_hash_bytes(colours.data(), W * H * 4));
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", (unsigned long long)h);
    return text;
}

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
    std::ifstream in(golden_path);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, name.size() + 1, name + " ") != 0) kept.push_back(line);
    in.close();
    std::ofstream out(golden_path);
    for (const std::string& line : kept)
        out << line << "\n";
    for (size_t f = 0; f < hashes.size(); ++f)
        out << name << " " << f + 1 << " " << hashes[f] << "\n";
}

// Clears both buffers, lets draw_frame draw with the given number of threads,
// and compares the frame with its golden hash, frame after frame up to the
// first difference.
void check_frames(const std::string& name, int frames, int threads,
                  const std::function<void(uint32_t* colours)>& draw_frame) {
    const std::vector<std::string> golden = read_golden(name);
    ASSERT_TRUE(updating || golden.size() == (size_t)frames) << "no golden frames for " << name;
    ASSERT_TRUE(render_init(W, H));
    render_threads_set(threads);
    std::vector<uint32_t> colours(W * H);
    std::vector<std::string> hashes;
    for (int f = 0; f < frames; ++f) {
        std::fill(colours.begin(), colours.end(), 0u);
        depth_buffer_clear();
        draw_frame(colours.data());
        hashes.push_back(frame_hash(colours));
        if (!updating && hashes[f] != golden[f]) {
            ADD_FAILURE() << name << " frame " << f + 1 << " differs with " << threads
                          << " threads";
            break;
        }
    }
    render_shutdown();
    if (updating) write_golden(name, hashes);
}

// The program's own frames: each advances the angle, turns every object and
// draws it with the camera of start-up; drawn by the caller's thread alone,
// then by the parallel path.
void check_program_frames(const std::string& name, Scene& scene, int frames) {
    for (int threads : {1, 2}) {
        ViewState view = {{}, &scene, nullptr};
        frame_camera_build(view.camera);
        frame_objects_reset(scene);
        float angle = 0.0f;
        check_frames(name, frames, threads, [&](uint32_t* colours) {
            frame_draw(view, angle, Turning::by_index, colours);
        });
        if (updating) return;
    }
}

void check_meshes(const std::string& name, std::vector<TestMesh> meshes) {
    std::vector<SceneObject> objects;
    for (TestMesh& m : meshes) {
        mesh_finish(m);
        objects.push_back(m.object);
    }
    Scene scene{};
    scene.object_count = (int32_t)objects.size();
    scene.objects = objects.data();
    check_program_frames(name, scene, CYCLE);
}

} // namespace

TEST(Golden, TrianglesAroundTheEye) {
    const TestMesh mesh = eye_scene();
    Matrix identity;
    matrix_identity(identity);
    const RenderItem item = {&identity, &mesh.object, 0xFFFFFF};
    for (int threads : {1, 2})
        check_frames("eye", 1, threads,
                     [&](uint32_t* colours) { render_objects(identity, &item, 1, colours); });
}

TEST(Golden, ScenesThroughOneRockingCycle) {
    check_meshes("scattered", scattered_scene());
    check_meshes("near", near_scene());
}

// The shared benchmark scenes: a full cycle where it is cheap, a few frames of
// the million faces.
TEST(Golden, BenchmarkScenes) {
    const struct {
        const char* name;
        int frames;
    } scenes[] = {{"stress_1k", CYCLE}, {"stress_10k", CYCLE}, {"stress_100k", 16},
                  {"stress_1m", 3},     {"fill", CYCLE},       {"fill_zreject", CYCLE}};
    const std::string folder = std::string(VELMOR_SHARED_DIR) + "/bench/";
    if (!std::ifstream(folder + "fill.3ds")) GTEST_SKIP() << "no scenes in " << folder;
    for (const auto& s : scenes) {
        Scene* scene = scene_load((folder + s.name + ".3ds").c_str());
        ASSERT_NE(scene, nullptr) << s.name << ": " << scene_error();
        check_program_frames(s.name, *scene, s.frames);
        scene_free(scene);
    }
}
