// Face planes and smoothed vertex normals, computed once after loading.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

// The normal is (c2 - c0) x (c1 - c0): the corners are stored in the order
// file corner 0, 2, 1, so this is the file's (c1 - c0) x (c2 - c0).
Plane scene_compute_face_plane(const SceneFace& face) {
    const SceneVertex* const* c = face.corners;
    const float c0[3] = {c[0]->x, c[0]->y, c[0]->z};
    const float c1[3] = {c[1]->x, c[1]->y, c[1]->z};
    const float c2[3] = {c[2]->x, c[2]->y, c[2]->z};
    return plane_from_points(c0, c2, c1);
}

void scene_compute_face_planes(SceneObject& object) {
    for (int32_t i = 0; i < object.face_count; ++i)
        object.faces[i].plane = scene_compute_face_plane(object.faces[i]);
}

// Vertices are grouped by exact position, as float comparison sees it: +0 and
// -0 are one position, and a position with a NaN equals nothing, not even
// itself.
bool position_key(const SceneVertex& v, PositionKey& key) {
    const float p[3] = {v.x, v.y, v.z};
    for (int i = 0; i < 3; ++i) {
        if (p[i] != p[i]) return false;
        float zero_folded = p[i] == 0.0f ? 0.0f : p[i];
        std::memcpy(&key.bits[i], &zero_folded, 4);
    }
    return true;
}

namespace {

uint32_t hash_key(const PositionKey& key) {
    uint32_t h = 0x811C9DC5u;
    for (uint32_t word : key.bits) {
        h ^= word;
        h *= 0x01000193u;
        h ^= h >> 15;
    }
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

} // namespace

bool position_table_create(PositionTable& table, uint32_t entries) {
    uint32_t capacity = 16;
    while (capacity < 2 * entries)
        capacity *= 2;
    table = {(PositionKey*)std::malloc(capacity * sizeof(PositionKey)),
             (int32_t*)std::malloc(capacity * sizeof(int32_t)), capacity - 1, 0};
    if (table.groups) std::memset(table.groups, 0xFF, capacity * sizeof(int32_t));
    return table.keys && table.groups;
}

void position_table_free(PositionTable& table) {
    std::free(table.keys);
    std::free(table.groups);
    table = {};
}

uint32_t position_table_slot(const PositionTable& table, const PositionKey& key) {
    uint32_t slot = hash_key(key) & table.mask;
    while (table.groups[slot] >= 0 && std::memcmp(&table.keys[slot], &key, sizeof key) != 0)
        slot = (slot + 1) & table.mask;
    return slot;
}

int32_t position_table_add(PositionTable& table, const SceneVertex& v) {
    PositionKey key;
    if (!position_key(v, key)) return -1;
    uint32_t slot = position_table_slot(table, key);
    if (table.groups[slot] < 0) {
        table.keys[slot] = key;
        table.groups[slot] = table.group_count++;
    }
    return table.groups[slot];
}

namespace {

// A corner adds its face's normal to the group of its position, in face order
// and then corner order: per vertex, the same additions in the same order as
// comparing the vertex with every corner of every face.
struct NormalSum {
    float x, y, z;
};

// The group of every vertex's position (-1 for a position with a NaN).
void group_vertices(const SceneObject& object, PositionTable& table, int32_t* vertex_group) {
    for (int32_t i = 0; i < object.vertex_count; ++i)
        vertex_group[i] = position_table_add(table, object.vertices[i]);
}

void sum_corner_normals(const SceneObject& object, const PositionTable& table, NormalSum* sums) {
    for (int32_t f = 0; f < object.face_count; ++f) {
        const SceneFace& face = object.faces[f];
        for (int c = 0; c < 3; ++c) {
            PositionKey key;
            if (!position_key(*face.corners[c], key)) continue;
            int32_t group = table.groups[position_table_slot(table, key)];
            if (group < 0) continue; // no vertex there
            sums[group].x = sums[group].x + face.plane.a;
            sums[group].y = sums[group].y + face.plane.b;
            sums[group].z = sums[group].z + face.plane.c;
        }
    }
}

void store_normal(SceneVertex& v, const NormalSum& sum) {
    const float length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
    if (length == 0.0f) {
        v.nx = v.ny = v.nz = 0.0f;
        return;
    }
    v.nx = sum.x / length;
    v.ny = sum.y / length;
    v.nz = sum.z / length;
}

} // namespace

bool scene_compute_vertex_normals(SceneObject& object) {
    if (object.vertex_count <= 0) return true;
    PositionTable table;
    bool ok = position_table_create(table, (uint32_t)object.vertex_count);
    int32_t* vertex_group = (int32_t*)std::malloc((size_t)object.vertex_count * sizeof(int32_t));
    NormalSum* sums = (NormalSum*)std::calloc((size_t)object.vertex_count, sizeof(NormalSum));
    ok = ok && vertex_group && sums;
    if (ok) {
        group_vertices(object, table, vertex_group);
        sum_corner_normals(object, table, sums);
        const NormalSum none{0.0f, 0.0f, 0.0f};
        for (int32_t i = 0; i < object.vertex_count; ++i)
            store_normal(object.vertices[i], vertex_group[i] < 0 ? none : sums[vertex_group[i]]);
    }
    position_table_free(table);
    std::free(vertex_group);
    std::free(sums);
    return ok;
}
