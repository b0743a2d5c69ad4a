#include "scene_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

std::string test_file_path(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string unique = std::string(test->test_suite_name()) + "_" + test->name() + "_" + name;
    for (char& c : unique)
        if (c == '/') c = '_';
    return ::testing::TempDir() + "velmor_" + std::to_string(getpid()) + "_" + unique;
}

ScenePtr load_file(const std::string& path) {
    return ScenePtr(scene_load(path.c_str()), scene_free);
}

ScenePtr load_written(const ChunkWriter& w) {
    std::string path = test_file_path("scene.3ds");
    EXPECT_TRUE(chunk_write_file(w, path));
    ScenePtr scene = load_file(path);
    std::remove(path.c_str());
    return scene;
}

std::string failure_of(const ChunkWriter& w) {
    EXPECT_EQ(load_written(w), nullptr);
    return scene_error();
}

::testing::AssertionResult fails_with(const ChunkWriter& w, const std::string& part) {
    const std::string reason = failure_of(w);
    if (reason.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the reason \"" << reason << "\" lacks \"" << part << "\"";
}

void write_floats(ChunkWriter& w, uint16_t id, std::initializer_list<float> values) {
    chunk_begin(w, id);
    chunk_f32s(w, values);
    chunk_end(w);
}

void write_named(ChunkWriter& w, const std::string& name, uint16_t id,
                 std::initializer_list<float> values) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    write_floats(w, id, values);
    chunk_end(w);
}

void write_track(ChunkWriter& w, uint16_t id, uint32_t key_count, const std::vector<Key>& keys) {
    chunk_begin(w, id);
    chunk_track_header(w, key_count);
    for (const Key& k : keys) {
        chunk_key_header(w, k.frame, k.flags);
        for (float f : k.floats)
            chunk_f32(w, f);
    }
    chunk_end(w);
}

void write_node(ChunkWriter& w, uint16_t kind, const std::string& name, int id, uint16_t parent,
                const std::vector<float>& position) {
    chunk_begin(w, kind);
    if (id >= 0) {
        chunk_begin(w, CHUNK_NODE_ID);
        chunk_u16(w, (uint16_t)id);
        chunk_end(w);
    }
    chunk_node_header(w, name, parent);
    write_track(w, CHUNK_POSITION_TRACK, 1, {{0, 0, position}});
    chunk_end(w);
}

bool same_bits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::array<float, 8> values_of(const SceneVertex& v) {
    return {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz};
}

std::array<float, 4> values_of(const Plane& p) {
    return {p.a, p.b, p.c, p.d};
}

void expect_floats(const float* values, std::initializer_list<float> expected) {
    int i = 0;
    for (float e : expected) {
        EXPECT_TRUE(same_bits(values[i], e)) << "value " << i << ": " << values[i] << " != " << e;
        ++i;
    }
}
