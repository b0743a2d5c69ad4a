#include "scene_files.h"

#include <gtest/gtest.h>

#include <cstring>

std::string test_file_path(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path =
        ::testing::TempDir() + "velmor_" + test->test_suite_name() + "_" + test->name();
    for (char& c : path)
        if (c == '/' && &c > &path[::testing::TempDir().size()]) c = '_';
    return path + "_" + name;
}

ScenePtr load_file(const std::string& path) {
    return ScenePtr(scene_load(path.c_str()), scene_free);
}

ScenePtr load_written(const ChunkWriter& w) {
    std::string path = test_file_path("scene.3ds");
    EXPECT_TRUE(chunk_write_file(w, path));
    return load_file(path);
}

void write_mesh(ChunkWriter& w, const std::string& name, std::initializer_list<float> positions,
                std::initializer_list<uint16_t> corners) {
    chunk_mesh_object(w, name, positions, corners);
}

void write_floats(ChunkWriter& w, uint16_t id, std::initializer_list<float> values) {
    chunk_begin(w, id);
    chunk_f32s(w, values);
    chunk_end(w);
}

bool same_bits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
