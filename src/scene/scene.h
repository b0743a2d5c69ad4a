// The scene: records loaded from a .3DS file, and the loader's entry points.
//
// Axes: triples that the mesh, light and keyframer chunks give as (x, y, z) are
// stored as (x, z, y). Camera chunk values and an object's local matrix keep
// the file's order. Face corners are stored as (file corner 0, 2, 1).
#pragma once

#include <cstdint>

#include "math/maths.h"

struct SceneVertex {
    float x, y, z; // object space, scene axes
    float u, v;    // mapping coordinates, file order
    float nx, ny, nz;
};

struct SceneFace {
    // Index into Scene::materials of the material that the last face material
    // list naming this face names, found among the materials read before that
    // list; -1 when none of them bears the name, 0 when no list names the face.
    // velmor-dump shows it; nothing draws with it.
    int32_t material_read_before;
    // The same material found among all materials of the file, so that a
    // library written after the meshes counts too; -1 when no list names the
    // face or no material bears the name. Its diffuse colour is the face's
    // colour in view mode.
    int32_t colour_material;
    SceneVertex* corners[3]; // file corners 0, 2, 1
    Plane plane;             // unit normal (a, b, c) and d = -(normal . corner 0)
};

// A face's normal at each of its corners, in the order of SceneFace::corners,
// pointing to the side its plane's normal points to.
struct SceneCornerNormals {
    float n[3][3];
};

struct SceneObject {
    uint32_t node_id;
    char* name;
    int32_t vertex_count;
    int32_t face_count;
    SceneFace* faces;
    SceneVertex* vertices;
    Matrix matrix;
    uint32_t parent_id;
    int32_t position_key_count;
    int32_t rotation_key_count;
    float* position_frames;
    float* position_x;
    float* position_y;
    float* position_z;
    float* rotation_frames;
    float* rotation_angle;
    float* rotation_axis_x;
    float* rotation_axis_y;
    float* rotation_axis_z;
    // For shading (see scene_compute_shading); the face planes and vertex
    // normals above are not derived from them.
    uint32_t* smoothing_groups;         // one mask per face; null when there are no faces
    SceneCornerNormals* corner_normals; // one per face; null when there are no faces
    uint8_t mirrored;                   // the local axes have a negative determinant
    uint8_t closed;                     // every edge joins two faces, used once each way
    uint8_t planes_outward;             // closed, with the face planes' normals pointing out
};

struct SceneCamera {
    char* name;
    Matrix matrix;
    float position[3]; // file order
    float target[3];   // file order
    float bank;
    float lens;
    int32_t target_key_count;
    int32_t position_key_count;
    float* target_frames;
    float* target_x;
    float* target_y;
    float* target_z;
    float* position_frames;
    float* position_x;
    float* position_y;
    float* position_z;
};

struct SceneLight {
    char* name;
    uint32_t is_spot;
    uint32_t is_off;
    uint32_t ray_shadows;
    float position[3];
    float spot_target[3];
    float hotspot;
    float falloff;
    float inner_range;
    float outer_range;
    float multiplier;
    float colour[3];      // r, g, b
    int32_t colour255[3]; // r, g, b, times 255, truncated
};

struct SceneMaterial {
    char* name;
    uint8_t diffuse[3];  // red, green, blue
    uint8_t has_diffuse; // 1 when the file gave the diffuse colour
    uint8_t two_sided;   // 1 when its block holds the two-sided flag
};

struct Scene {
    uint32_t start_frame;
    uint32_t end_frame;
    int32_t object_count;
    int32_t camera_count;
    int32_t light_count;
    int32_t material_count;
    SceneObject* objects;
    SceneCamera* cameras;
    SceneLight* lights;
    SceneMaterial* materials;
};

// Loads a .3DS file in two passes. Returns null on failure; scene_error()
// then tells why in one line (the file, and for bad content the chunk id, its
// offset and what was wrong).
Scene* scene_load(const char* file_name);
const char* scene_error();
// Releases everything a successful scene_load allocated. The program keeps its
// scene to the end; tools, tests and fuzzing free theirs.
void scene_free(Scene* scene);
// Every face's plane from its corners, as loading computes it; again after
// the object's vertices have moved.
void scene_compute_face_planes(SceneObject& object);
// The shading data of an object whose face planes are in place: for every
// corner the area-weighted normal of the faces around its position that share
// a smoothing group with the corner's face (the face's own plane for mask 0),
// and whether the object is closed and consistently wound. Corners are welded
// by exact position, so texture seams stay smooth. Needs corner_normals for
// every face; smoothing_groups may be null (all 0). Linear time; false when
// out of memory.
bool scene_compute_shading(SceneObject& object);
