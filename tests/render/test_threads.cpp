// The parallel path of render_objects against render_object one object after
// another: the same colour and depth buffers, bit for bit, whether the chunks
// and bands run on the caller's thread alone or on several. The scenes are
// random: many objects, across the screen's edges and around the eye, some
// drawn twice at equal depth, and one large enough to take several rounds.
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "frame/frame.h"
#include "render/bands.h"
#include "support/screen.h"

namespace {

Matrix startup_camera() {
    Matrix camera;
    frame_camera_build(camera);
    return camera;
}

using Buffers = std::pair<std::vector<uint32_t>, std::vector<uint32_t>>; // colours, depths

class Threads : public Screen {
  protected:
    void TearDown() override {
        bands_destroy(inline_bands);
        Screen::TearDown();
    }

    // The plain path, the parallel one without a pool, or with threads.
    enum Path { PLAIN = 0, INLINE = -1 };

    // From a picture of junk: the first half of the items cleared and drawn,
    // then the rest drawn over them.
    Buffers draw(const Matrix& camera, const std::vector<RenderItem>& items, int path) {
        clear(0x55555555);
        std::fill(render_state.depth_buffer, render_state.depth_buffer + W * H, 12345u);
        const int32_t half = (int32_t)items.size() / 2, rest = (int32_t)items.size() - half;
        if (path == PLAIN) {
            std::fill(colours, colours + W * H, 0u);
            depth_buffer_clear();
            for (const RenderItem& it : items)
                render_object(*it.object_matrix, camera, *it.object, colours, it.colour,
                              it.face_colours, it.look);
        } else if (path == INLINE) {
            if (inline_bands == nullptr) inline_bands = bands_create(H);
            bands_draw(inline_bands, nullptr, camera, items.data(), half, colours, true);
            bands_draw(inline_bands, nullptr, camera, items.data() + half, rest, colours, false);
        } else {
            render_threads_set(path);
            render_clear_objects(camera, items.data(), half, colours);
            render_objects(camera, items.data() + half, rest, colours);
            render_threads_set(1);
        }
        const uint32_t* d = render_state.depth_buffer;
        return {std::vector<uint32_t>(colours, colours + W * H),
                std::vector<uint32_t>(d, d + W * H)};
    }

    void expect_every_path_alike(const Matrix& camera, const std::vector<RenderItem>& items) {
        const Buffers plain = draw(camera, items, PLAIN);
        EXPECT_GT(std::count(plain.second.begin(), plain.second.end(), CLEARED), 0);
        EXPECT_LT(std::count(plain.second.begin(), plain.second.end(), CLEARED), W * H);
        std::vector<int> paths = {INLINE};
        if (render_threads_set(2) == 2) paths.insert(paths.end(), {2, 3, 5}); // else no threads
        render_threads_set(1);
        for (int path : paths) {
            const Buffers other = draw(camera, items, path);
            EXPECT_TRUE(other.first == plain.first) << "colours differ on path " << path;
            EXPECT_TRUE(other.second == plain.second) << "depths differ on path " << path;
        }
    }

    void random_turn(Matrix& m, float reach) {
        matrix_identity(m);
        matrix_rotate_x(m, uniform(-3.2f, 3.2f));
        matrix_rotate_y(m, uniform(-3.2f, 3.2f));
        matrix_rotate_z(m, uniform(-3.2f, 3.2f));
        matrix_translate(m, uniform(-reach, reach), uniform(-reach, reach), uniform(-reach, reach));
    }

    RenderBands* inline_bands = nullptr;
    std::vector<uint32_t> picture = std::vector<uint32_t>(W * H);
};

} // namespace

// Every third object in colours of its own, face by face.
TEST_F(Threads, ManyObjectsAroundTheCamera) {
    std::vector<std::unique_ptr<TestMesh>> meshes;
    std::vector<Matrix> turns(90);
    std::vector<std::vector<uint32_t>> face_colours(90);
    std::vector<RenderItem> items;
    for (int i = 0; i < 90; ++i) {
        meshes.push_back(std::make_unique<TestMesh>());
        TestMesh& m = *meshes.back();
        const float size = uniform(3, 40);
        if (pick(2))
            mesh_add_torus(m, size, size / 3, 8 + pick(30), 6 + pick(10), 0, 0, 0);
        else
            mesh_add_sphere(m, size, 6 + pick(30), 4 + pick(16), 0, 0, 0);
        mesh_finish(m);
        random_turn(turns[i], 120);
        if (i % 3 == 0)
            for (int f = 0; f < m.object.face_count; ++f)
                face_colours[i].push_back((uint32_t)rng() & 0xFFFFFF);
        items.push_back({&turns[i], &m.object, (uint32_t)rng() & 0xFFFFFF,
                         face_colours[i].empty() ? nullptr : face_colours[i].data()});
        if (pick(6) == 0) items.push_back({&turns[i], &m.object, 0x00FF00}); // ties
    }
    expect_every_path_alike(startup_camera(), items);
}

// View mode's looks: both sides, culled as wound, mirrored, closed.
TEST_F(Threads, ViewModesLooksAreAlike) {
    std::vector<std::unique_ptr<TestMesh>> meshes;
    std::vector<Matrix> turns(60);
    const SceneMaterial materials[2] = {{nullptr, {0, 0, 0}, 0, 0}, {nullptr, {0, 0, 0}, 0, 1}};
    const FaceLook looks[2] = {{false, 64, materials, 2}, {true, 0, materials, 2}};
    std::vector<RenderItem> items;
    for (int i = 0; i < 60; ++i) {
        meshes.push_back(std::make_unique<TestMesh>());
        TestMesh& m = *meshes.back();
        const float size = uniform(3, 40);
        mesh_add_torus(m, size, size / 3, 8 + pick(30), 6 + pick(10), 0, 0, 0);
        mesh_finish(m);
        for (SceneFace& f : m.faces)
            f.colour_material = pick(3) - 1;
        m.object.mirrored = (uint8_t)pick(2);
        m.object.closed = (uint8_t)pick(2);
        m.object.planes_outward = (uint8_t)pick(2);
        random_turn(turns[i], 120);
        items.push_back(
            {&turns[i], &m.object, (uint32_t)rng() & 0xFFFFFF, nullptr, &looks[pick(2)]});
    }
    expect_every_path_alike(startup_camera(), items);
}

TEST_F(Threads, ObjectsLargerThanARound) {
    TestMesh big, small;
    mesh_add_sphere(big, 90, 200, 120, 0, 0, 0); // 48,000 faces
    mesh_add_torus(small, 30, 12, 40, 20, 10, 0, 0);
    mesh_finish(big);
    mesh_finish(small);
    Matrix turn, near;
    random_turn(turn, 10);
    random_turn(near, 2); // the camera inside the torus's reach
    std::vector<uint32_t> big_colours(big.object.face_count);
    for (size_t f = 0; f < big_colours.size(); ++f)
        big_colours[f] = (uint32_t)(f * 2654435761u) & 0xFFFFFF;
    // The second drawing of the sphere ties with the first everywhere.
    const std::vector<RenderItem> items = {{&turn, &big.object, 0xFF6496, big_colours.data()},
                                           {&near, &small.object, 0x9664FF},
                                           {&turn, &big.object, 0x50FF0A},
                                           {&near, &small.object, 0xFFFFFF}};
    expect_every_path_alike(startup_camera(), items);
}

TEST_F(Threads, TrianglesAroundTheEye) {
    // Camera-space faces of both windings, clipped, too near or not finite.
    TestMesh soup;
    for (int i = 0; i < 1500; ++i) {
        int c[3];
        for (int& k : c) {
            const float reach = pick(4) == 0 ? 0.3f : 40.0f;
            k = mesh_vertex(soup, uniform(-reach, reach), uniform(-reach, reach),
                            uniform(-1.0f, reach));
            if (pick(200) == 0) soup.vertices[k].y = std::nanf("");
        }
        mesh_face(soup, c[0], c[1], c[2]);
        mesh_face(soup, c[0], c[2], c[1]);
    }
    mesh_finish(soup);
    expect_every_path_alike(identity, {{&identity, &soup.object, 0xFFFFFF}});
}

TEST_F(Threads, ClearBlanksBothBuffersOnEveryThreadCount) {
    for (int threads : {1, 2, 3}) {
        render_threads_set(threads);
        clear(0x55555555);
        std::fill(render_state.depth_buffer, render_state.depth_buffer + W * H, 7u);
        render_clear(colours);
        EXPECT_EQ(std::count(colours, colours + W * H, 0u), W * H) << threads;
        EXPECT_EQ(drawn_count(), 0) << threads;
    }
}

// A frame that frame_advance skips turns the objects exactly as a drawn one:
// the frames after it are those of a run that drew every frame, on one
// thread and on two; 70 objects take two batches.
TEST_F(Threads, FrameAdvanceTurnsAsFrameDrawDoes) {
    std::vector<std::unique_ptr<TestMesh>> meshes;
    std::vector<SceneObject> objects;
    for (int i = 0; i < 70; ++i) {
        meshes.push_back(std::make_unique<TestMesh>());
        mesh_add_torus(*meshes.back(), 6, 2, 12, 8, uniform(-60, 60), uniform(-60, 60),
                       uniform(-40, 40));
        mesh_finish(*meshes.back());
        objects.push_back(meshes.back()->object);
    }
    std::vector<SceneObject> copies = objects; // each view turns its own
    Scene scene{}, copy{};
    scene.object_count = copy.object_count = (int32_t)objects.size();
    scene.objects = objects.data();
    copy.objects = copies.data();
    for (int threads : {1, 2}) {
        render_threads_set(threads);
        ViewState drawn{}, skipped{};
        for (ViewState* view : {&drawn, &skipped})
            frame_camera_build(view->camera);
        drawn.scene = &scene, skipped.scene = &copy;
        frame_objects_reset(scene);
        frame_objects_reset(copy);
        float angle = 0.0f, skipped_angle = 0.0f;
        for (int frame = 0; frame < 4; ++frame) {
            frame_draw(drawn, angle, Turning::by_index, colours);
            if (frame == 1) {
                frame_advance(skipped, skipped_angle, Turning::by_index);
                continue;
            }
            frame_draw(skipped, skipped_angle, Turning::by_index, picture.data());
            EXPECT_TRUE(std::equal(colours, colours + W * H, picture.begin())) << threads;
        }
        EXPECT_EQ(skipped_angle, angle);
    }
    render_threads_set(1);
}

TEST(Pool, RunsEveryTaskOnceInEverySet) {
    RenderPool* pool = pool_create(3);
    if (pool == nullptr) GTEST_SKIP() << "built without threads";
    EXPECT_EQ(pool_threads(pool), 3);
    struct Tally {
        std::atomic<int> runs[200];
    } tally;
    for (int set = 0; set < 3000; ++set) {
        const int count = 1 + set % 200;
        for (int i = 0; i < count; ++i)
            tally.runs[i] = 0;
        pool_run(
            pool, [](void* t, int32_t i) { ((Tally*)t)->runs[i].fetch_add(1); }, &tally, count);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(tally.runs[i].load(), 1) << "set " << set << " task " << i;
    }
    pool_destroy(pool);
}

// View mode at pictures of every shape: the parallel path draws what
// render_object draws, through the mirroring camera, from far off, framed,
// and from inside the objects, where the near plane cuts faces; flat as the
// demo draws and smooth as view mode does.
namespace {

// Tori and spheres scattered about the origin, and with big_faces one sphere
// of at least that many faces, which takes several rounds of chunks.
struct SizeScene {
    std::vector<std::unique_ptr<TestMesh>> meshes;
    std::vector<SceneObject> objects;
    Scene scene{};

    explicit SizeScene(int big_faces = 0) {
        std::mt19937 rng{7u};
        auto uniform = [&](float lo, float hi) {
            return std::uniform_real_distribution<float>(lo, hi)(rng);
        };
        for (int i = 0; i < 24; ++i) {
            const float x = uniform(-50, 50), y = uniform(-50, 50), z = uniform(-50, 50);
            const uint32_t groups = i % 3 ? 1u : 0u; // drawn smooth in view mode's look
            if (i % 2)
                add(groups, [&](TestMesh& m) {
                    mesh_add_torus(m, uniform(5, 30), uniform(1, 5), 24, 12, x, y, z);
                });
            else
                add(groups,
                    [&](TestMesh& m) { mesh_add_sphere(m, uniform(2, 30), 24, 12, x, y, z); });
        }
        const int rings = (int)std::sqrt(big_faces / 2.0) + 1;
        if (big_faces > 0)
            add(0u, [&](TestMesh& m) { mesh_add_sphere(m, 40, 2 * rings, rings, 0, 0, 0); });
        scene.objects = objects.data();
        scene.object_count = (int32_t)objects.size();
    }

    template <typename Build> void add(uint32_t groups, Build build) {
        meshes.push_back(std::make_unique<TestMesh>());
        build(*meshes.back());
        mesh_finish(*meshes.back());
        mesh_smooth(*meshes.back(), groups);
        objects.push_back(meshes.back()->object);
    }
};

} // namespace

TEST(ThreadsAtSize, ViewModeDrawsTheSameBitsAtEverySize) {
    SizeScene s;
    Scene& scene = s.scene;
    std::vector<ViewCamera> cameras(4, frame_view_start(UpAxis::file_z));
    cameras[1] = {{10, -20, 5}, 200, -60, 0.05, UpAxis::file_y};
    cameras[2] = {{3, 4, -2}, 75, 10, 50, UpAxis::file_z};
    cameras[3] = {{-30, 0, 0}, 0, 90, 8, UpAxis::file_z};
    for (auto [w, h] : {std::array<int, 2>{64, 64}, {1280, 720}, {1080, 1920}}) {
        ASSERT_TRUE(render_init(w, h));
        std::vector<uint32_t> colours((size_t)w * h);
        ViewState view{{}, &scene, nullptr};
        const uint32_t* depths = render_state.depth_buffer;
        const ViewLook smooth{false, view_ambient, true, 0, 0};
        for (const ViewCamera& camera : cameras)
            for (const ViewLook* look : {(const ViewLook*)nullptr, &smooth}) {
                view.look = look;
                render_threads_set(1);
                frame_draw_view(view, camera, w, h, colours.data());
                const std::vector<uint32_t> plain = colours, plain_depths(depths, depths + w * h);
                EXPECT_GT(std::count(plain.begin(), plain.end(), 0u), 0);
                EXPECT_LT(std::count(plain.begin(), plain.end(), 0u), w * h);
                for (int threads : {2, 3}) {
                    if (render_threads_set(threads) != threads) break; // a build without threads
                    frame_draw_view(view, camera, w, h, colours.data());
                    EXPECT_TRUE(colours == plain) << w << "x" << h << " on " << threads;
                    EXPECT_TRUE(std::equal(depths, depths + w * h, plain_depths.begin()));
                }
            }
        render_shutdown();
    }
}

// The demo's camera at the sizes the benchmarks draw (focal length half the
// width): many bands, and a sphere that takes several rounds. Three frames
// of turning from the same start on every thread count.
TEST(ThreadsAtSize, DemoCameraDrawsTheSameBitsAtLargeSizes) {
    SizeScene s(40000);
    for (auto [w, h] : {std::array<int, 2>{1920, 1080}, {3840, 2160}}) {
        ASSERT_TRUE(render_init(w, h));
        std::vector<uint32_t> colours((size_t)w * h), plain, plain_depths;
        const uint32_t* depths = render_state.depth_buffer;
        for (int threads : {1, 2, 3}) {
            if (render_threads_set(threads) != threads) break; // a build without threads
            ViewState view{startup_camera(), &s.scene, nullptr};
            frame_objects_reset(s.scene);
            float angle = 0.0f;
            for (int frame = 0; frame < 3; ++frame)
                frame_draw(view, angle, Turning::by_index, colours.data());
            if (threads == 1) {
                plain = colours, plain_depths.assign(depths, depths + (size_t)w * h);
                EXPECT_GT(std::count(plain_depths.begin(), plain_depths.end(), CLEARED), 0);
                EXPECT_LT(std::count(plain_depths.begin(), plain_depths.end(), CLEARED), w * h);
                continue;
            }
            EXPECT_TRUE(colours == plain) << w << "x" << h << " on " << threads;
            EXPECT_TRUE(std::equal(depths, depths + (size_t)w * h, plain_depths.begin()));
        }
        render_shutdown();
    }
}
