// The JSON that velmor-dump prints for a scene.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "dump_json.h"

TEST(DumpJson, EscapesNamesAndWritesNonFiniteFloatsAsStrings) {
    const float inf = std::numeric_limits<float>::infinity();
    SceneVertex vertices[3] = {
        {0.1f, -0.0f, inf, -inf, std::numeric_limits<float>::quiet_NaN(), 1, 2, 3}, {}, {}};
    SceneFace face{-1, -1, {&vertices[0], &vertices[2], &vertices[1]}, {0, 0, 1, -0.0f}};
    float frames[1] = {10}, xs[1] = {1}, ys[1] = {2}, zs[1] = {3};
    char name[] = "q\"b\\c\x01\xE9";
    SceneObject object{};
    object.name = name;
    object.node_id = 3;
    object.parent_id = 65535;
    object.vertex_count = 1; // vertices 1 and 2 lie outside: a replaced vertex list
    object.vertices = vertices;
    object.face_count = 1;
    object.faces = &face;
    object.position_key_count = 1;
    object.position_frames = frames;
    object.position_x = xs;
    object.position_y = ys;
    object.position_z = zs;
    char plain[] = "M", coloured[] = "D";
    SceneMaterial materials[2] = {{plain, {9, 9, 9}, 0, 0}, {coloured, {0, 128, 255}, 1, 0}};
    Scene scene{0, 4000000000u, 1, 0, 0, 2, &object, nullptr, nullptr, materials};

    std::string json;
    dump_scene_json(scene, json);
    EXPECT_EQ(json,
              "{\"start_frame\": 0, \"end_frame\": 4000000000,\n"
              " \"objects\": [\n"
              "  {\"name\": \"q\\\"b\\\\c\\u0001\\u00e9\", \"node_id\": 3, \"parent_id\": 65535,\n"
              "    \"matrix\": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0],\n"
              "    \"vertices\": [\n"
              "      [0.100000001, -0, \"inf\", \"-inf\", \"nan\", 1, 2, 3]],\n"
              "    \"faces\": [\n"
              "      [0, -1, -1, -1, 0, 0, 1, -0]],\n"
              "    \"position_keys\": [\n"
              "      [10, 1, 2, 3]],\n"
              "    \"rotation_keys\": []}],\n"
              " \"cameras\": [],\n"
              " \"lights\": [],\n"
              " \"materials\": [\n"
              "  {\"name\": \"M\"},\n"
              "  {\"name\": \"D\", \"diffuse\": [0, 128, 255]}]}\n");
}
