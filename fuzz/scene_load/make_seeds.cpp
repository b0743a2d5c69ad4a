// make_scene_seeds DIR: writes small .3DS files that reach every kind of chunk
// handler, as a starting point for fuzz_scene_load.
#include <cstdio>
#include <string>

#include "chunkwriter/scene_chunks.h"

namespace {

const std::vector<float> box_positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,
                                          0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
const std::vector<uint16_t> box_corners = {0, 1, 2, 0, 2, 3, 4, 6, 5, 4, 7, 6, 0, 4, 5, 0, 5, 1,
                                           1, 5, 6, 1, 6, 2, 2, 6, 7, 2, 7, 3, 3, 7, 4, 3, 4, 0};

void float_colour(ChunkWriter& w, uint16_t id, float r, float g, float b) {
    chunk_begin(w, id);
    chunk_f32s(w, {r, g, b});
    chunk_end(w);
}

void material_with_map(ChunkWriter& w, const std::string& name, const std::string& map) {
    chunk_begin(w, CHUNK_MATERIAL);
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, name);
    chunk_end(w);
    chunk_begin(w, CHUNK_MAT_DIFFUSE);
    float_colour(w, CHUNK_COLOR_F, 0.5f, 0.25f, 1.0f);
    chunk_begin(w, CHUNK_COLOR_24);
    chunk_u8(w, 1);
    chunk_u8(w, 2);
    chunk_u8(w, 3);
    chunk_end(w);
    chunk_end(w);
    chunk_begin(w, CHUNK_MAT_TRANSPARENCY);
    chunk_begin(w, CHUNK_PERCENT_INT);
    chunk_u16(w, 17);
    chunk_end(w);
    chunk_end(w);
    chunk_begin(w, CHUNK_MAT_TEXTURE_MAP);
    chunk_begin(w, CHUNK_MAP_FILE_NAME);
    chunk_name(w, map);
    chunk_end(w);
    chunk_begin(w, CHUNK_MAP_U_SCALE);
    chunk_f32(w, 2.0f);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

void textured_box(ChunkWriter& w, const std::string& name, const std::string& material) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    chunk_begin(w, CHUNK_LOCAL_MATRIX);
    chunk_f32s(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7});
    chunk_end(w);
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, 8);
    for (float p : box_positions)
        chunk_f32(w, p);
    chunk_end(w);
    chunk_begin(w, CHUNK_VERTEX_FLAGS);
    chunk_u16(w, 8);
    for (int i = 0; i < 8; ++i)
        chunk_u16(w, 0);
    chunk_end(w);
    chunk_begin(w, CHUNK_MAPPING);
    chunk_u16(w, 8);
    for (int i = 0; i < 8; ++i)
        chunk_f32s(w, {(float)(i & 1), (float)(i >> 1)});
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, 12);
    for (size_t i = 0; i < box_corners.size(); i += 3) {
        chunk_u16(w, box_corners[i]);
        chunk_u16(w, box_corners[i + 1]);
        chunk_u16(w, box_corners[i + 2]);
        chunk_u16(w, 7);
    }
    chunk_begin(w, CHUNK_FACE_MATERIAL);
    chunk_name(w, material);
    chunk_u16(w, 3);
    chunk_u16(w, 0);
    chunk_u16(w, 5);
    chunk_u16(w, 11);
    chunk_end(w);
    chunk_begin(w, CHUNK_SMOOTHING_GROUPS);
    for (int i = 0; i < 12; ++i)
        chunk_u32(w, 1);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

void light(ChunkWriter& w, const std::string& name, bool spot) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_LIGHT);
    chunk_f32s(w, {1, 2, 3});
    float_colour(w, CHUNK_COLOR_F, 1.0f, 0.5f, 0.25f);
    if (spot) {
        chunk_begin(w, CHUNK_SPOTLIGHT);
        chunk_f32s(w, {4, 5, 6, 30, 45});
        chunk_end(w);
        chunk_empty(w, CHUNK_LIGHT_RAY_SHADOWS);
    }
    chunk_empty(w, CHUNK_LIGHT_OFF);
    for (uint16_t id : {CHUNK_LIGHT_INNER_RANGE, CHUNK_LIGHT_OUTER_RANGE, CHUNK_LIGHT_MULTIPLIER}) {
        chunk_begin(w, id);
        chunk_f32(w, 2.5f);
        chunk_end(w);
    }
    chunk_end(w);
    chunk_end(w);
}

void camera(ChunkWriter& w, const std::string& name) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_CAMERA);
    chunk_f32s(w, {0, -100, 20, 0, 0, 0, 0, 45});
    chunk_end(w);
    chunk_end(w);
}

void position_track(ChunkWriter& w, uint16_t flags) {
    chunk_begin(w, CHUNK_POSITION_TRACK);
    chunk_track_header(w, 2);
    chunk_key_header(w, 0, 0);
    chunk_f32s(w, {1, 2, 3});
    chunk_key_header(w, 10, flags);
    for (int bit = 0; bit <= 4; ++bit)
        if (flags & (1 << bit)) chunk_f32(w, 0.5f);
    chunk_f32s(w, {4, 5, 6});
    chunk_end(w);
}

void object_node(ChunkWriter& w, const std::string& name, uint16_t id, uint16_t parent) {
    chunk_begin(w, CHUNK_OBJECT_NODE);
    chunk_begin(w, CHUNK_NODE_ID);
    chunk_u16(w, id);
    chunk_end(w);
    chunk_node_header(w, name, parent);
    chunk_begin(w, CHUNK_PIVOT);
    chunk_f32s(w, {0, 0, 0});
    chunk_end(w);
    position_track(w, 0x1F);
    chunk_begin(w, CHUNK_ROTATION_TRACK);
    chunk_track_header(w, 1);
    chunk_key_header(w, 0, 0);
    chunk_f32s(w, {0.5f, 1, 2, 3});
    chunk_end(w);
    chunk_begin(w, CHUNK_SCALE_TRACK);
    chunk_track_header(w, 1);
    chunk_key_header(w, 0, 0);
    chunk_f32s(w, {1, 1, 1});
    chunk_end(w);
    chunk_end(w);
}

void camera_nodes(ChunkWriter& w, const std::string& name) {
    for (uint16_t kind : {CHUNK_CAMERA_NODE, CHUNK_TARGET_NODE}) {
        chunk_begin(w, kind);
        chunk_node_header(w, name, 0xFFFF);
        position_track(w, 0);
        chunk_begin(w, CHUNK_ROLL_TRACK);
        chunk_track_header(w, 1);
        chunk_key_header(w, 0, 0);
        chunk_f32(w, 0.0f);
        chunk_end(w);
        chunk_end(w);
    }
}

void segment(ChunkWriter& w) {
    chunk_begin(w, CHUNK_SEGMENT);
    chunk_u32(w, 0);
    chunk_u32(w, 100);
    chunk_end(w);
}

// The usual frame: main chunk, editor chunk, keyframer section.
template <typename Editor, typename Keyframer>
ChunkWriter scene_file(Editor editor, Keyframer keyframer) {
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_VERSION);
    chunk_u32(w, 3);
    chunk_end(w);
    chunk_begin(w, CHUNK_EDITOR);
    chunk_begin(w, CHUNK_MESH_VERSION);
    chunk_u32(w, 3);
    chunk_end(w);
    editor(w);
    chunk_end(w);
    chunk_begin(w, CHUNK_KEYFRAMER);
    keyframer(w);
    chunk_end(w);
    chunk_end(w);
    return w;
}

bool write(const std::string& dir, const std::string& name, const ChunkWriter& w) {
    if (chunk_write_file(w, dir + "/" + name)) return true;
    std::fprintf(stderr, "make_scene_seeds: cannot write %s/%s\n", dir.c_str(), name.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_scene_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    auto no_keyframer = [](ChunkWriter&) {};
    bool ok = true;
    ok &= write(
        dir, "box.3ds",
        scene_file(
            [](ChunkWriter& w) { chunk_mesh_object(w, "Box", box_positions, box_corners, ""); },
            no_keyframer));
    ok &= write(dir, "textured.3ds",
                scene_file(
                    [](ChunkWriter& w) {
                        material_with_map(w, "Red", "red.png");
                        textured_box(w, "Box01", "Red");
                        textured_box(w, "Box02", "Blue");
                    },
                    [](ChunkWriter& w) {
                        segment(w);
                        object_node(w, "Box01", 0, 0xFFFF);
                        object_node(w, "$$$DUMMY", 1, 0);
                        object_node(w, "Box02", 2, 1);
                    }));
    ok &= write(dir, "lights.3ds",
                scene_file(
                    [](ChunkWriter& w) {
                        light(w, "Omni", false);
                        light(w, "Spot", true);
                        chunk_begin(w, CHUNK_AMBIENT_LIGHT);
                        float_colour(w, CHUNK_COLOR_F_GAMMA, 0.1f, 0.1f, 0.1f);
                        chunk_end(w);
                    },
                    no_keyframer));
    ok &= write(dir, "camera.3ds",
                scene_file(
                    [](ChunkWriter& w) {
                        camera(w, "Cam");
                        chunk_mesh_object(w, "Tri", {0, 0, 0, 0, 1, 0, 1, 0, 0}, {0, 1, 2}, "");
                    },
                    [](ChunkWriter& w) {
                        segment(w);
                        camera_nodes(w, "Cam");
                        object_node(w, "Tri", 3, 0xFFFF);
                    }));
    ok &= write(dir, "empty.3ds", ChunkWriter{});
    return ok ? 0 : 1;
}
