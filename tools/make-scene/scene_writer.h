// Writers for the parts of a .3DS file that make-scene uses, each as a
// modelling program lays it out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chunkwriter/chunk_writer.h"
#include "mesh.h"
#include "scene/chunk_ids.h"

struct Rgb {
    uint8_t r, g, b;
};

struct MapDesc {
    uint16_t kind; // CHUNK_MAT_TEXTURE_MAP, CHUNK_MAT_REFLECTION_MAP or CHUNK_MAT_BUMP_MAP
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
    KEY_TENSION = 1,
    KEY_CONTINUITY = 2,
    KEY_BIAS = 4,
    KEY_EASE_TO = 8,
    KEY_EASE_FROM = 16,
};

struct Key {
    uint32_t frame;
    uint16_t flags;
    std::vector<float> value; // 3 floats for positions, 4 for rotations (angle, axis)
};

struct TrackDesc {
    uint16_t id; // CHUNK_POSITION_TRACK, CHUNK_ROTATION_TRACK, ...
    std::vector<Key> keys;
};

struct NodeDesc {
    uint16_t kind; // CHUNK_AMBIENT_NODE, CHUNK_OBJECT_NODE, ...
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
