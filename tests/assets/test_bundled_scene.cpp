// What the loader makes of the bundled Z_Test.3ds: the file uses every kind of
// chunk the loader reads, so this is also the loader's end-to-end check.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene/scene.h"

namespace {

struct BundledScene : testing::Test {
    static Scene* scene;
    static void SetUpTestSuite() {
        scene = scene_load((std::string(VELMOR_SOURCE_DIR) + "/assets/Z_Test.3ds").c_str());
    }
    static void TearDownTestSuite() {
        if (scene) scene_free(scene);
        scene = nullptr;
    }
    void SetUp() override { ASSERT_NE(scene, nullptr) << scene_load_error(); }
};
Scene* BundledScene::scene = nullptr;

// Where the program's fixed camera sits, in scene axes: 150 from the origin, 30 degrees up.
constexpr float eye[3] = {0.0f, 75.0f, -129.903811f};

float face_side(const SceneFace& f, const float p[3]) {
    return f.plane.a * p[0] + f.plane.b * p[1] + f.plane.c * p[2] + f.plane.d;
}

float radius(const SceneVertex& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

} // namespace

TEST_F(BundledScene, HoldsFiveMeshesTheMaterialLibraryTwoLightsAndACamera) {
    const char* names[] = {"Frame", "Torus", "Gear", "Sphere", "Knot"};
    const int faces[] = {240, 1280, 768, 320, 4800};
    const int vertices[] = {160, 640, 384, 162, 2400};
    ASSERT_EQ(scene->object_count, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(scene->objects[i].name, names[i]);
        EXPECT_EQ(scene->objects[i].face_count, faces[i]) << names[i];
        EXPECT_EQ(scene->objects[i].vertex_count, vertices[i]) << names[i];
    }
    const char* materials[] = {"Rose", "Violet", "Lime", "Chalk", "Steel"};
    ASSERT_EQ(scene->material_count, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(scene->materials[i].name, materials[i]);
    ASSERT_EQ(scene->light_count, 2);
    EXPECT_STREQ(scene->lights[0].name, "Fill");
    EXPECT_STREQ(scene->lights[1].name, "Key");
    ASSERT_EQ(scene->camera_count, 1);
    EXPECT_STREQ(scene->cameras[0].name, "Camera01");
}

TEST_F(BundledScene, EveryFaceNamesAMaterialOfTheLibrary) {
    const int main_material[] = {0, 1, 2, 3, 0}; // the frame's corner blocks use Steel (4)
    for (int i = 0; i < scene->object_count; ++i) {
        const SceneObject& o = scene->objects[i];
        int steel = 0;
        for (int f = 0; f < o.face_count; ++f) {
            if (i == 0 && o.faces[f].material == 4) {
                ++steel;
                continue;
            }
            EXPECT_EQ(o.faces[f].material, main_material[i]) << o.name << " face " << f;
        }
        if (i == 0) {
            EXPECT_EQ(steel, 8 * 12);
        }
    }
}

// The outside of every shape faces the viewer: each closed mesh has its face
// normals pointing inwards (the renderer draws a face when the eye is behind its
// plane), and on the sphere the face turned towards the camera is drawn and the
// one turned away is culled.
TEST_F(BundledScene, ShapesAreClosedAndShowTheirOutsideToTheFixedCamera) {
    for (int i = 0; i < scene->object_count; ++i) {
        const SceneObject& o = scene->objects[i];
        double inward = 0; // sum of area x offset: positive when the normals point inwards
        for (int f = 0; f < o.face_count; ++f) {
            const SceneFace& face = o.faces[f];
            const SceneVertex &a = *face.corners[0], &b = *face.corners[1], &c = *face.corners[2];
            double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
            double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
            double area =
                std::sqrt(std::pow(uy * vz - uz * vy, 2) + std::pow(uz * vx - ux * vz, 2) +
                          std::pow(ux * vy - uy * vx, 2));
            inward += area * face.plane.d;
        }
        EXPECT_GT(inward, 0.0) << o.name << " would show its inside";
    }
    const SceneObject& sphere = scene->objects[3];
    int towards = 0, away = 0;
    float best = -2, worst = 2;
    for (int f = 0; f < sphere.face_count; ++f) {
        const SceneFace& face = sphere.faces[f];
        float to_eye = -(face.plane.a * eye[0] + face.plane.b * eye[1] + face.plane.c * eye[2]) /
                       std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
        if (to_eye > best) best = to_eye, towards = f;
        if (to_eye < worst) worst = to_eye, away = f;
    }
    EXPECT_LE(face_side(sphere.faces[towards], eye), 0.1f);
    EXPECT_GT(face_side(sphere.faces[away], eye), 0.1f);
}

// Every object turns about the world origin: each keeps to its own shell, and
// all stay inside the fixed view.
TEST_F(BundledScene, ObjectsSitInSeparateShellsWithinSeventyUnits) {
    float previous_outer = 0;
    const int inside_out[] = {3, 0, 2, 1, 4}; // sphere, frame, gear, torus, knot
    for (int i : inside_out) {
        const SceneObject& o = scene->objects[i];
        float inner = 1e9f, outer = 0;
        for (int v = 0; v < o.vertex_count; ++v) {
            inner = std::fmin(inner, radius(o.vertices[v]));
            outer = std::fmax(outer, radius(o.vertices[v]));
        }
        EXPECT_GT(inner, previous_outer) << o.name;
        previous_outer = outer;
    }
    EXPECT_LT(previous_outer, 70.0f);
}

TEST_F(BundledScene, LightsKeepTheirColoursRangesAndFlags) {
    const SceneLight& fill = scene->lights[0];
    EXPECT_EQ(fill.is_spot, 0u);
    EXPECT_EQ(fill.is_off, 1u);
    EXPECT_EQ(fill.ray_shadows, 0u);
    EXPECT_EQ(fill.position[0], -90.0f);
    EXPECT_EQ(fill.position[1], 110.0f); // the file's z
    EXPECT_EQ(fill.position[2], -80.0f);
    EXPECT_EQ(fill.inner_range, 80.0f);
    EXPECT_EQ(fill.outer_range, 300.0f);
    EXPECT_EQ(fill.multiplier, 0.6f);
    EXPECT_EQ(fill.colour255[0], 140);
    EXPECT_EQ(fill.colour255[1], 153);
    EXPECT_EQ(fill.colour255[2], 191);

    const SceneLight& key = scene->lights[1];
    EXPECT_EQ(key.is_spot, 1u);
    EXPECT_EQ(key.is_off, 0u);
    EXPECT_EQ(key.ray_shadows, 1u);
    EXPECT_EQ(key.hotspot, 28.0f);
    EXPECT_EQ(key.falloff, 40.0f);
    EXPECT_EQ(key.spot_target[0], 0.0f);
    EXPECT_EQ(key.multiplier, 1.25f);
    EXPECT_EQ(key.colour255[0], 255);
    EXPECT_EQ(key.colour255[1], 229);
    EXPECT_EQ(key.colour255[2], 204);
}

// The scene's camera describes the program's own fixed view, and its keyframer
// tracks give it the same placement.
TEST_F(BundledScene, CameraMatchesTheFixedView) {
    const SceneCamera& c = scene->cameras[0];
    EXPECT_EQ(c.position[0], 0.0f);
    EXPECT_EQ(c.position[1], -129.903811f); // camera chunk values keep the file's order
    EXPECT_EQ(c.position[2], 75.0f);
    EXPECT_EQ(c.target[1], 0.0f);
    EXPECT_EQ(c.lens, 18.0f);
    ASSERT_EQ(c.position_key_count, 1);
    ASSERT_EQ(c.target_key_count, 1);
    const float* m = c.matrix.m;
    EXPECT_FLOAT_EQ(m[0], -1.0f);
    EXPECT_NEAR(m[5], -0.8660254f, 1e-6);
    EXPECT_NEAR(m[6], -0.5f, 1e-6);
    EXPECT_NEAR(m[9], -0.5f, 1e-6);
    EXPECT_NEAR(m[10], 0.8660254f, 1e-6);
    EXPECT_EQ(m[12], eye[0]);
    EXPECT_EQ(m[13], eye[1]);
    EXPECT_EQ(m[14], eye[2]);
}

TEST_F(BundledScene, KeyframerNodesReachTheirObjectsAndTheDummyNoOne) {
    EXPECT_EQ(scene->start_frame, 0u);
    EXPECT_EQ(scene->end_frame, 100u);
    const uint32_t node_ids[] = {2, 3, 4, 5, 6};
    const uint32_t parents[] = {1, 1, 1, 2, 65535}; // 1 is the dummy; the sphere hangs in the frame
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(scene->objects[i].node_id, node_ids[i]) << scene->objects[i].name;
        EXPECT_EQ(scene->objects[i].parent_id, parents[i]) << scene->objects[i].name;
        EXPECT_EQ(scene->objects[i].rotation_key_count, 2) << scene->objects[i].name;
    }
    const SceneObject& torus = scene->objects[1];
    ASSERT_EQ(torus.position_key_count, 2);
    EXPECT_EQ(torus.position_frames[1], 50.0f);
    EXPECT_EQ(torus.position_y[1], 5.0f); // the file's z
    EXPECT_EQ(torus.position_z[1], 0.0f);
    const SceneObject& knot = scene->objects[4];
    EXPECT_EQ(knot.rotation_frames[1], 100.0f);
    EXPECT_EQ(knot.rotation_angle[1], 0.5f * 6.2831855f);
    EXPECT_EQ(knot.rotation_axis_x[1], 0.0f);
    EXPECT_EQ(knot.rotation_axis_y[1], 0.8f); // the file's z
    EXPECT_EQ(knot.rotation_axis_z[1], 0.6f);
}
