// Groups of chunks of the .3DS scene format, written with a ChunkWriter: a
// mesh object, a material, and the pieces of keyframer nodes and tracks.
#pragma once

#include <string>
#include <vector>

#include "chunk_writer.h"
#include "scene/chunk_ids.h"

// CHUNK_NAMED_OBJECT name { CHUNK_TRIANGLE_MESH { CHUNK_VERTEX_LIST vertices, CHUNK_FACE_LIST faces
// { CHUNK_FACE_MATERIAL material } } }. positions holds x, y, z per vertex and corners a, b, c per
// face, both in the file's axes; without a material name no face material chunk is written.
void chunk_mesh_object(ChunkWriter& w, const std::string& name, const std::vector<float>& positions,
                       const std::vector<uint16_t>& corners, const std::string& material = "");
// CHUNK_MATERIAL { CHUNK_MAT_NAME name }.
void chunk_material(ChunkWriter& w, const std::string& name);
// CHUNK_MATERIAL { CHUNK_MAT_NAME name, CHUNK_MAT_DIFFUSE { CHUNK_COLOR_24 r g b } }: a
// material with a diffuse colour.
void chunk_material_diffuse(ChunkWriter& w, const std::string& name, uint8_t r, uint8_t g,
                            uint8_t b);
// CHUNK_NODE_HEADER: name, two flag words, parent node number.
void chunk_node_header(ChunkWriter& w, const std::string& name, uint16_t parent);
// The 14 bytes before the keys of a track: flags, reserved, key count.
void chunk_track_header(ChunkWriter& w, uint32_t key_count);
// The frame number and the flags of one key, without the optional floats.
void chunk_key_header(ChunkWriter& w, uint32_t frame, uint16_t flags);
