// Test support: write generated files, load them with the real loader, and
// compare floats bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "chunkwriter/scene_chunks.h"
#include "scene/scene.h"

using ScenePtr = std::unique_ptr<Scene, void (*)(Scene*)>;

// A path in the temporary folder, unique to the running test.
std::string test_file_path(const std::string& name);
ScenePtr load_file(const std::string& path);
// Writes the bytes to the running test's file and loads it.
ScenePtr load_written(const ChunkWriter& w);
// The reason of a load that must fail.
std::string failure_of(const ChunkWriter& w);
// Whether the load fails with a reason that contains part.
::testing::AssertionResult fails_with(const ChunkWriter& w, const std::string& part);

// A chunk holding the given floats.
void write_floats(ChunkWriter& w, uint16_t id, std::initializer_list<float> values);
// A named object chunk holding one chunk of floats (a light or a camera).
void write_named(ChunkWriter& w, const std::string& name, uint16_t id,
                 std::initializer_list<float> values);

// A keyframer track: its header, then per key the frame, the flags and floats.
struct Key {
    uint32_t frame;
    uint16_t flags;
    std::vector<float> floats; // the optional floats, then the value
};
void write_track(ChunkWriter& w, uint16_t id, uint32_t key_count, const std::vector<Key>& keys);
// A keyframer node: a node id chunk unless id < 0, the node header, and a
// position track of one key at frame 0 (file axes).
void write_node(ChunkWriter& w, uint16_t kind, const std::string& name, int id, uint16_t parent,
                const std::vector<float>& position);

bool same_bits(float a, float b);
// x, y, z, u, v, nx, ny, nz and a, b, c, d, for expect_floats.
std::array<float, 8> values_of(const SceneVertex& v);
std::array<float, 4> values_of(const Plane& p);
// Each value equals the expected one bit for bit (so -0 differs from +0).
void expect_floats(const float* values, std::initializer_list<float> expected);
