// Test support: write a generated file and load it with the real loader.
#pragma once

#include <memory>
#include <string>

#include "chunkwriter/scene_chunks.h"
#include "scene/scene.h"

using ScenePtr = std::unique_ptr<Scene, void (*)(Scene*)>;

// A path in the test's temporary folder, unique to the running test.
std::string test_file_path(const std::string& name);
// Writes the bytes to a file of the running test and loads it.
ScenePtr load_written(const ChunkWriter& w);
// Loads an existing file.
ScenePtr load_file(const std::string& path);

// One triangle mesh object with the given positions (file axes) and faces.
void write_mesh(ChunkWriter& w, const std::string& name, std::initializer_list<float> positions,
                std::initializer_list<uint16_t> corners);

// A chunk holding the given floats.
void write_floats(ChunkWriter& w, uint16_t id, std::initializer_list<float> values);

bool same_bits(float a, float b);
