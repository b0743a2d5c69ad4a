// Lights, cameras, colours and the camera matrix built from the tracks.
#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "scene_files.h"

namespace {

std::array<float, 5> spot_values(const SceneLight& l) {
    return {l.hotspot, l.falloff, l.inner_range, l.outer_range, l.multiplier};
}

Matrix camera_matrix(std::initializer_list<float> position, std::initializer_list<float> target) {
    ChunkWriter w;
    write_named(w, "Cam", CHUNK_CAMERA, {1, 2, 3, 4, 5, 6, 7, 8});
    // The keys in file axes: (x, z, y).
    const float* p = position.begin();
    write_node(w, CHUNK_CAMERA_NODE, "Cam", -1, 0xFFFF, {p[0], p[2], p[1]});
    if (const float* t = target.size() == 3 ? target.begin() : nullptr)
        write_node(w, CHUNK_TARGET_NODE, "Cam", -1, 0xFFFF, {t[0], t[2], t[1]});
    ScenePtr scene = load_written(w);
    EXPECT_NE(scene, nullptr) << scene_error();
    if (!scene) return Matrix{};
    expect_floats(scene->cameras[0].position, {1, 2, 3}); // the chunk's values keep the file axes
    expect_floats(scene->cameras[0].target, {4, 5, 6});
    EXPECT_EQ(scene->cameras[0].lens, 8.0f);
    return scene->cameras[0].matrix;
}

} // namespace

TEST(Lights, FieldsComeFromTheLightAndItsSubChunksInSceneAxes) {
    ChunkWriter w;
    write_floats(w, CHUNK_SPOTLIGHT, {9, 9, 9, 9, 9}); // before any light: changes nothing
    write_named(w, "Omni", CHUNK_LIGHT, {1, 2, 3});
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, "Spot");
    chunk_begin(w, CHUNK_LIGHT);
    chunk_f32s(w, {1, 2, 3});
    write_floats(w, CHUNK_COLOR_F, {1.0f, 0.5f, 0.25f});
    write_floats(w, CHUNK_SPOTLIGHT, {4, 5, 6, 30, 45});
    write_floats(w, CHUNK_LIGHT_INNER_RANGE, {10});
    write_floats(w, CHUNK_LIGHT_OUTER_RANGE, {100});
    write_floats(w, CHUNK_LIGHT_MULTIPLIER, {1.5f});
    chunk_empty(w, CHUNK_LIGHT_OFF);
    chunk_empty(w, CHUNK_LIGHT_RAY_SHADOWS);
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    ASSERT_EQ(scene->light_count, 2);
    const SceneLight& omni = scene->lights[0];
    EXPECT_STREQ(omni.name, "Omni");
    expect_floats(omni.position, {1, 3, 2});
    EXPECT_EQ(omni.is_spot + omni.is_off + omni.ray_shadows, 0u);
    expect_floats(spot_values(omni).data(), {0, 0, 0, 0, 0});

    const SceneLight& spot = scene->lights[1];
    EXPECT_EQ(spot.is_spot + spot.is_off + spot.ray_shadows, 3u);
    expect_floats(spot.spot_target, {4, 6, 5});
    expect_floats(spot_values(spot).data(), {30, 45, 10, 100, 1.5f});
    expect_floats(spot.colour, {1.0f, 0.5f, 0.25f});
    EXPECT_EQ(spot.colour255[0], 255);
    EXPECT_EQ(spot.colour255[1], 127);
    EXPECT_EQ(spot.colour255[2], 63);
}

TEST(Lights, ColourGoesToTheLightNamedLikeTheLastNameAndSaturates) {
    ChunkWriter w;
    write_named(w, "Lamp", CHUNK_LIGHT, {0, 0, 0});
    chunk_begin(w, CHUNK_MATERIAL);
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, "Lamp"); // a material of the light's name passes its colour on
    chunk_end(w);
    write_floats(w, CHUNK_COLOR_F_GAMMA, {1e10f, -1e10f, std::numeric_limits<float>::quiet_NaN()});
    chunk_end(w);
    chunk_material(w, "Other");
    write_floats(w, CHUNK_COLOR_F, {0.5f, 0.5f, 0.5f}); // names no light: dropped

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneLight& lamp = scene->lights[0];
    EXPECT_EQ(lamp.colour[0], 1e10f);
    EXPECT_EQ(lamp.colour255[0], INT32_MAX);
    EXPECT_EQ(lamp.colour255[1], INT32_MIN);
    EXPECT_EQ(lamp.colour255[2], 0);
}

TEST(Cameras, MatrixLooksFromTheFirstPositionKeyToTheFirstTargetKey) {
    expect_floats(camera_matrix({0, 0, 0}, {0, 0, 10}).m,
                  {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    expect_floats(camera_matrix({1, 2, 3}, {11, 2, 3}).m,
                  {-0.0f, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 1, 2, 3, 1});
    Matrix diagonal = camera_matrix({0, 0, 0}, {3, 0, 4});
    const float expected[16] = {-0.8f, 0, 0.6f, 0, 0, -1, 0, 0, 0.6f, 0, 0.8f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(diagonal.m[i], expected[i], 1e-7f);
}

TEST(Cameras, MatrixWithoutADirectionKeepsTheIdentityRotation) {
    const std::initializer_list<float> moved = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    expect_floats(camera_matrix({5, 6, 7}, {}).m, moved);         // no target track
    expect_floats(camera_matrix({5, 6, 7}, {5, 6, 7}).m, moved);  // target at the camera
    expect_floats(camera_matrix({5, 6, 7}, {5, 60, 7}).m, moved); // straight up

    ChunkWriter no_tracks;
    write_named(no_tracks, "Still", CHUNK_CAMERA, {1, 2, 3, 4, 5, 6, 7, 8});
    ScenePtr scene = load_written(no_tracks);
    ASSERT_NE(scene, nullptr);
    expect_floats(scene->cameras[0].matrix.m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}
