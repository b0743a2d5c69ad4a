// Writers for the parts of a .3DS file that make-scene uses, each as a
// modelling program lays it out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chunkwriter/chunk_writer.h"
#include "mesh.h"

namespace chunk_id {
enum : uint16_t {
    file_version = 0x0002,
    colour_float = 0x0010,
    colour_24 = 0x0011,
    colour_24_gamma = 0x0012,
    colour_float_gamma = 0x0013,
    percent_int = 0x0030,
    percent_float = 0x0031,
    master_scale = 0x0100,
    background_colour = 0x1200,
    ambient_light = 0x2100,
    editor = 0x3D3D,
    mesh_version = 0x3D3E,
    named_object = 0x4000,
    triangle_mesh = 0x4100,
    vertex_list = 0x4110,
    vertex_flags = 0x4111,
    face_list = 0x4120,
    face_material = 0x4130,
    mapping = 0x4140,
    smoothing = 0x4150,
    local_matrix = 0x4160,
    mesh_colour = 0x4165,
    texture_info = 0x4170,
    light = 0x4600,
    spotlight = 0x4610,
    light_off = 0x4620,
    ray_shadows = 0x4627,
    inner_range = 0x4659,
    outer_range = 0x465A,
    multiplier = 0x465B,
    camera = 0x4700,
    camera_ranges = 0x4720,
    main = 0x4D4D,
    viewport_layout = 0x7001,
    viewport_size = 0x7020,
    material_name = 0xA000,
    ambient = 0xA010,
    diffuse = 0xA020,
    specular = 0xA030,
    shininess = 0xA040,
    shininess_strength = 0xA041,
    transparency = 0xA050,
    transparency_falloff = 0xA052,
    reflection_blur = 0xA053,
    two_sided = 0xA081,
    soften = 0xA08C,
    self_illumination = 0xA084,
    wire_size = 0xA087,
    shading = 0xA100,
    texture_map = 0xA200,
    reflection_map = 0xA220,
    bump_map = 0xA230,
    bump_percent = 0xA252,
    map_file_name = 0xA300,
    map_tiling = 0xA351,
    map_blur = 0xA353,
    map_u_scale = 0xA354,
    map_v_scale = 0xA356,
    map_u_offset = 0xA358,
    map_v_offset = 0xA35A,
    map_rotation = 0xA35C,
    material = 0xAFFF,
    keyframer = 0xB000,
    ambient_node = 0xB001,
    object_node = 0xB002,
    camera_node = 0xB003,
    target_node = 0xB004,
    omni_node = 0xB005,
    spot_target_node = 0xB006,
    spot_node = 0xB007,
    segment = 0xB008,
    current_time = 0xB009,
    keyframer_header = 0xB00A,
    node_header = 0xB010,
    instance_name = 0xB011,
    pivot = 0xB013,
    position_track = 0xB020,
    rotation_track = 0xB021,
    scale_track = 0xB022,
    fov_track = 0xB023,
    roll_track = 0xB024,
    colour_track = 0xB025,
    hide_track = 0xB029,
    node_id = 0xB030,
};
}

struct Rgb {
    uint8_t r, g, b;
};

struct MapDesc {
    uint16_t kind; // texture_map, reflection_map or bump_map
    std::string file_name;
    uint16_t percent;
    float u_scale, v_scale, rotation;
};

struct MaterialDesc {
    std::string name;
    Rgb ambient, diffuse, specular;
    uint16_t shininess, shininess_strength;
    float transparency_falloff; // written as a float percentage
    bool two_sided, soften;
    std::vector<MapDesc> maps;
};

struct ObjectDesc {
    std::string name;
    Mesh mesh;
    std::vector<std::string> part_materials; // material of each face part
    uint32_t smoothing_group;                // 0: faceted
    uint8_t colour_index;
    bool textured; // writes the mapping icon record
};

struct LightDesc {
    std::string name;
    float position[3];
    float colour[3];
    bool off, ray_shadows;
    bool spot;
    float target[3], hotspot, falloff;
    float inner_range, outer_range, multiplier;
};

struct CameraDesc {
    std::string name;
    float position[3], target[3], bank, lens;
};

// Key flag bits: tension, continuity, bias, ease to, ease from; each set bit
// is followed by one float.
enum KeyFlag : uint16_t {
    key_tension = 1,
    key_continuity = 2,
    key_bias = 4,
    key_ease_to = 8,
    key_ease_from = 16,
};

struct Key {
    uint32_t frame;
    uint16_t flags;
    std::vector<float> value; // 3 floats for positions, 4 for rotations (angle, axis)
};

struct TrackDesc {
    uint16_t id; // position_track, rotation_track, ...
    std::vector<Key> keys;
};

struct NodeDesc {
    uint16_t kind; // ambient_node, object_node, ...
    uint16_t node_id;
    std::string name;
    uint16_t parent; // 0xFFFF: none
    std::string instance_name;
    bool has_pivot;
    std::vector<TrackDesc> tracks;
};

void write_material(ChunkWriter& w, const MaterialDesc& material);
void write_mesh_object(ChunkWriter& w, const ObjectDesc& object);
void write_light(ChunkWriter& w, const LightDesc& light);
void write_camera(ChunkWriter& w, const CameraDesc& camera);
void write_node(ChunkWriter& w, const NodeDesc& node);
void write_float_colour(ChunkWriter& w, uint16_t id, const float rgb[3]);
