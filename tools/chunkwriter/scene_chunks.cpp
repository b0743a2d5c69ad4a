#include "scene_chunks.h"

void chunk_mesh_object(ChunkWriter& w, const std::string& name, const std::vector<float>& positions,
                       const std::vector<uint16_t>& corners, const std::string& material) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, (uint16_t)(positions.size() / 3));
    for (float p : positions)
        chunk_f32(w, p);
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    size_t face_count = corners.size() / 3;
    chunk_u16(w, (uint16_t)face_count);
    for (size_t f = 0; f < face_count; ++f) {
        for (int c = 0; c < 3; ++c)
            chunk_u16(w, corners[3 * f + c]);
        chunk_u16(w, 7); // edge visibility flags
    }
    if (!material.empty()) {
        chunk_begin(w, CHUNK_FACE_MATERIAL);
        chunk_name(w, material);
        chunk_u16(w, (uint16_t)face_count);
        for (size_t f = 0; f < face_count; ++f)
            chunk_u16(w, (uint16_t)f);
        chunk_end(w);
    }
    chunk_end(w); // CHUNK_FACE_LIST
    chunk_end(w); // CHUNK_TRIANGLE_MESH
    chunk_end(w); // CHUNK_NAMED_OBJECT
}

namespace {

void material_name(ChunkWriter& w, const std::string& name) {
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, name);
    chunk_end(w);
}

} // namespace

void chunk_material(ChunkWriter& w, const std::string& name) {
    chunk_begin(w, CHUNK_MATERIAL);
    material_name(w, name);
    chunk_end(w);
}

void chunk_material_diffuse(ChunkWriter& w, const std::string& name, uint8_t r, uint8_t g,
                            uint8_t b) {
    chunk_begin(w, CHUNK_MATERIAL);
    material_name(w, name);
    chunk_begin(w, CHUNK_MAT_DIFFUSE);
    chunk_begin(w, CHUNK_COLOR_24);
    chunk_u8(w, r);
    chunk_u8(w, g);
    chunk_u8(w, b);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

void chunk_node_header(ChunkWriter& w, const std::string& name, uint16_t parent) {
    chunk_begin(w, CHUNK_NODE_HEADER);
    chunk_name(w, name);
    chunk_u16(w, 0);
    chunk_u16(w, 0);
    chunk_u16(w, parent);
    chunk_end(w);
}

void chunk_track_header(ChunkWriter& w, uint32_t key_count) {
    chunk_u16(w, 0);
    for (int i = 0; i < 8; ++i)
        chunk_u8(w, 0);
    chunk_u32(w, key_count);
}

void chunk_key_header(ChunkWriter& w, uint32_t frame, uint16_t flags) {
    chunk_u32(w, frame);
    chunk_u16(w, flags);
}
