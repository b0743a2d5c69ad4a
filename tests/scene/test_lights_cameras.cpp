// Lights, cameras, colours and the camera matrix built from the tracks.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene_files.h"

namespace {

void named(ChunkWriter& w, const std::string& name, uint16_t id,
           std::initializer_list<float> body) {
    chunk_begin(w, 0x4000);
    chunk_name(w, name);
    write_floats(w, id, body);
    chunk_end(w);
}

// A camera (0xB003) or target (0xB004) node with one position key, file axes.
void camera_track_node(ChunkWriter& w, uint16_t node, const std::string& name, float x, float y,
                       float z) {
    chunk_begin(w, node);
    chunk_node_header(w, name, 0xFFFF);
    chunk_begin(w, 0xB020);
    chunk_track_header(w, 1);
    chunk_key_header(w, 0, 0);
    chunk_f32s(w, {x, y, z});
    chunk_end(w);
    chunk_end(w);
}

// A camera whose first position and target keys are p and t in scene axes.
ScenePtr camera_looking(std::initializer_list<float> p, std::initializer_list<float> t) {
    ChunkWriter w;
    named(w, "Cam", 0x4700, {0, 0, 0, 0, 0, 0, 0, 50});
    const float* pp = p.begin();
    const float* tt = t.begin();
    camera_track_node(w, 0xB003, "Cam", pp[0], pp[2], pp[1]);
    if (t.size() == 3) camera_track_node(w, 0xB004, "Cam", tt[0], tt[2], tt[1]);
    return load_written(w);
}

void expect_matrix(const Matrix& m, std::initializer_list<float> expected) {
    int i = 0;
    for (float e : expected) {
        EXPECT_TRUE(same_bits(m.m[i], e)) << "element " << i << ": " << m.m[i] << " != " << e;
        ++i;
    }
}

} // namespace

TEST(Lights, FieldsComeFromTheLightAndItsSubChunks) {
    ChunkWriter w;
    chunk_begin(w, 0x4610); // before any light: changes nothing
    chunk_f32s(w, {9, 9, 9, 9, 9});
    chunk_end(w);
    named(w, "Omni", 0x4600, {1, 2, 3});
    chunk_begin(w, 0x4000);
    chunk_name(w, "Spot");
    chunk_begin(w, 0x4600);
    chunk_f32s(w, {1, 2, 3});
    write_floats(w, 0x0010, {1.0f, 0.5f, 0.25f});
    write_floats(w, 0x4610, {4, 5, 6, 30, 45});
    write_floats(w, 0x4659, {10});
    write_floats(w, 0x465A, {100});
    write_floats(w, 0x465B, {1.5f});
    chunk_empty(w, 0x4620);
    chunk_empty(w, 0x4627);
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    ASSERT_EQ(scene->light_count, 2);
    const SceneLight& omni = scene->lights[0];
    EXPECT_STREQ(omni.name, "Omni");
    EXPECT_EQ(omni.position[1], 3.0f);
    EXPECT_EQ(omni.position[2], 2.0f);
    EXPECT_EQ(omni.is_spot + omni.is_off + omni.ray_shadows, 0u);
    EXPECT_EQ(omni.hotspot + omni.inner_range + omni.outer_range + omni.multiplier, 0.0f);

    const SceneLight& spot = scene->lights[1];
    EXPECT_EQ(spot.is_spot, 1u);
    EXPECT_EQ(spot.is_off, 1u);
    EXPECT_EQ(spot.ray_shadows, 1u);
    EXPECT_EQ(spot.spot_target[0], 4.0f);
    EXPECT_EQ(spot.spot_target[1], 6.0f);
    EXPECT_EQ(spot.spot_target[2], 5.0f);
    EXPECT_EQ(spot.hotspot, 30.0f);
    EXPECT_EQ(spot.falloff, 45.0f);
    EXPECT_EQ(spot.inner_range, 10.0f);
    EXPECT_EQ(spot.outer_range, 100.0f);
    EXPECT_EQ(spot.multiplier, 1.5f);
    EXPECT_EQ(spot.colour[0], 1.0f);
    EXPECT_EQ(spot.colour[1], 0.5f);
    EXPECT_EQ(spot.colour[2], 0.25f);
    EXPECT_EQ(spot.colour255[0], 255);
    EXPECT_EQ(spot.colour255[1], 127);
    EXPECT_EQ(spot.colour255[2], 63);
}

TEST(Lights, ColourGoesToTheLightNamedLikeTheLastNameAndSaturates) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ChunkWriter w;
    named(w, "Lamp", 0x4600, {0, 0, 0});
    chunk_begin(w, 0xAFFF);
    chunk_begin(w, 0xA000);
    chunk_name(w, "Lamp"); // a material of the light's name takes the colour
    chunk_end(w);
    write_floats(w, 0x0013, {1e10f, -1e10f, nan});
    chunk_end(w);
    chunk_material(w, "Other");
    write_floats(w, 0x0010, {0.5f, 0.5f, 0.5f}); // names no light: dropped

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneLight& lamp = scene->lights[0];
    EXPECT_EQ(lamp.colour[0], 1e10f);
    EXPECT_EQ(lamp.colour255[0], INT32_MAX);
    EXPECT_EQ(lamp.colour255[1], INT32_MIN);
    EXPECT_EQ(lamp.colour255[2], 0);
}

TEST(Cameras, ChunkValuesKeepTheFileAxes) {
    ChunkWriter w;
    named(w, "Cam1", 0x4700, {1, 2, 3, 4, 5, 6, 7, 8});
    named(w, "Cam2", 0x4700, {0, 0, 0, 0, 0, 0, 0, 0});
    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    ASSERT_EQ(scene->camera_count, 2);
    const SceneCamera& c = scene->cameras[0];
    EXPECT_STREQ(c.name, "Cam1");
    EXPECT_EQ(c.position[1], 2.0f);
    EXPECT_EQ(c.target[2], 6.0f);
    EXPECT_EQ(c.bank, 7.0f);
    EXPECT_EQ(c.lens, 8.0f);
    expect_matrix(c.matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

TEST(Cameras, MatrixLooksFromTheFirstPositionKeyToTheFirstTargetKey) {
    ScenePtr ahead = camera_looking({0, 0, 0}, {0, 0, 10});
    ASSERT_NE(ahead, nullptr) << scene_load_error();
    expect_matrix(ahead->cameras[0].matrix, {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

    ScenePtr sideways = camera_looking({1, 2, 3}, {11, 2, 3});
    ASSERT_NE(sideways, nullptr) << scene_load_error();
    expect_matrix(sideways->cameras[0].matrix,
                  {-0.0f, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 1, 2, 3, 1});

    ScenePtr diagonal = camera_looking({0, 0, 0}, {3, 0, 4});
    ASSERT_NE(diagonal, nullptr) << scene_load_error();
    const float expected[16] = {-0.8f, 0, 0.6f, 0, 0, -1, 0, 0, 0.6f, 0, 0.8f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(diagonal->cameras[0].matrix.m[i], expected[i], 1e-7f);
}

TEST(Cameras, MatrixWithoutADirectionKeepsTheIdentityRotation) {
    ScenePtr no_target = camera_looking({5, 6, 7}, {});
    ASSERT_NE(no_target, nullptr) << scene_load_error();
    expect_matrix(no_target->cameras[0].matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1});

    ScenePtr same_point = camera_looking({5, 6, 7}, {5, 6, 7});
    ASSERT_NE(same_point, nullptr) << scene_load_error();
    expect_matrix(same_point->cameras[0].matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1});

    ScenePtr straight_up = camera_looking({5, 6, 7}, {5, 60, 7});
    ASSERT_NE(straight_up, nullptr) << scene_load_error();
    expect_matrix(straight_up->cameras[0].matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1});
}
