// The shading data of an object: per-corner normals by smoothing group, and
// whether it is closed and consistently wound. Corners are grouped by exact
// position rather than by vertex index, so that faces on either side of a
// texture seam (two vertices at one place) still share their normals and edges.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

namespace {

// Corners at one position beyond which a corner keeps its own face's normal:
// each corner there looks at every other, and a made-up file can put tens of
// thousands of corners at one point.
constexpr int32_t MAX_CORNERS_AT_POSITION = 256;

struct Vec {
    double x, y, z;
};

double dot(const Vec& a, const Vec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The face plane's direction, (c2 - c0) x (c1 - c0), as long as twice the
// face's area: adding these weights each face by its area, so that the thin
// slivers common in modelled files barely turn a corner's normal.
Vec area_normal(const SceneFace& face) {
    const SceneVertex* const* c = face.corners;
    const Vec a{(double)c[2]->x - c[0]->x, (double)c[2]->y - c[0]->y, (double)c[2]->z - c[0]->z};
    const Vec b{(double)c[1]->x - c[0]->x, (double)c[1]->y - c[0]->y, (double)c[1]->z - c[0]->z};
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Directed edges between position groups, counted.
struct EdgeTable {
    uint64_t* keys;
    int32_t* counts; // 0 marks an empty slot
    uint32_t mask;
};

struct Scratch {
    PositionTable positions;
    int32_t* vertex_group;  // the position group of every vertex of the object
    int32_t* corner_group;  // the position group of every corner, -1 for a NaN
    int32_t* group_start;   // group g's corners are group_corners[start[g] .. start[g + 1])
    int32_t* group_corners; // corner numbers (3 * face + corner), grouped
    Vec* weighted;          // area_normal of every face
    EdgeTable edges;
};

void scratch_free(Scratch& s) {
    position_table_free(s.positions);
    std::free(s.vertex_group);
    std::free(s.corner_group);
    std::free(s.group_start);
    std::free(s.group_corners);
    std::free(s.weighted);
    std::free(s.edges.keys);
    std::free(s.edges.counts);
}

// The index of the object's vertex that a corner stands on, or -1 for a
// corner in a vertex list that a later one replaced.
int32_t own_vertex(const SceneObject& object, const SceneVertex* corner) {
    const uintptr_t first = (uintptr_t)object.vertices, at = (uintptr_t)corner;
    if (at < first || at >= first + (size_t)object.vertex_count * sizeof(SceneVertex)) return -1;
    return (int32_t)((at - first) / sizeof(SceneVertex));
}

// Positions are looked up once a vertex, not once a corner, but for
// corners on replaced vertices.
size_t positions_needed(const SceneObject& object) {
    size_t count = (size_t)object.vertex_count;
    for (int32_t i = 0; i < 3 * object.face_count; ++i)
        count += own_vertex(object, object.faces[i / 3].corners[i % 3]) < 0;
    return count;
}

bool scratch_create(Scratch& s, const SceneObject& object) {
    const int32_t face_count = object.face_count;
    const size_t corners = 3 * (size_t)face_count, positions = positions_needed(object);
    s = Scratch{};
    uint32_t capacity = 16;
    while (capacity < 2 * corners)
        capacity *= 2;
    bool ok = position_table_create(s.positions, (uint32_t)positions);
    s.vertex_group = (int32_t*)std::malloc(((size_t)object.vertex_count + 1) * sizeof(int32_t));
    s.corner_group = (int32_t*)std::malloc(corners * sizeof(int32_t));
    s.group_start = (int32_t*)std::calloc(positions + 1, sizeof(int32_t));
    s.group_corners = (int32_t*)std::malloc(corners * sizeof(int32_t));
    s.weighted = (Vec*)std::malloc((size_t)face_count * sizeof(Vec));
    s.edges = {(uint64_t*)std::malloc(capacity * sizeof(uint64_t)),
               (int32_t*)std::calloc(capacity, sizeof(int32_t)), capacity - 1};
    return ok && s.vertex_group && s.corner_group && s.group_start && s.group_corners &&
           s.weighted && s.edges.keys && s.edges.counts;
}

// Every corner's position group, and the corners of each group in order.
void group_corners(const SceneObject& object, Scratch& s) {
    const int32_t corners = 3 * object.face_count;
    for (int32_t v = 0; v < object.vertex_count; ++v)
        s.vertex_group[v] = position_table_add(s.positions, object.vertices[v]);
    for (int32_t i = 0; i < corners; ++i) {
        const SceneVertex* corner = object.faces[i / 3].corners[i % 3];
        const int32_t own = own_vertex(object, corner);
        const int32_t g = own >= 0 ? s.vertex_group[own] : position_table_add(s.positions, *corner);
        s.corner_group[i] = g;
        if (g >= 0) ++s.group_start[g + 1];
    }
    const int32_t groups = s.positions.group_count;
    for (int32_t g = 0; g < groups; ++g)
        s.group_start[g + 1] += s.group_start[g];
    for (int32_t i = 0; i < corners; ++i)
        if (s.corner_group[i] >= 0) s.group_corners[s.group_start[s.corner_group[i]]++] = i;
    for (int32_t g = groups; g > 0; --g) // each start moved to the next group's; back
        s.group_start[g] = s.group_start[g - 1];
    s.group_start[0] = 0;
}

uint32_t mask_of(const SceneObject& object, int32_t face) {
    return object.smoothing_groups ? object.smoothing_groups[face] : 0;
}

// The sum over the faces at the corner's position that share a group with
// its face, each turned to agree with the face first, so that a neighbour
// wound the other way adds to the normal rather than cancelling it.
void corner_normal(const SceneObject& object, const Scratch& s, int32_t corner, float out[3]) {
    const int32_t face = corner / 3, g = s.corner_group[corner];
    const Plane& plane = object.faces[face].plane;
    out[0] = plane.a, out[1] = plane.b, out[2] = plane.c;
    const uint32_t mask = mask_of(object, face);
    if (mask == 0 || g < 0) return;
    const int32_t begin = s.group_start[g], end = s.group_start[g + 1];
    if (end - begin > MAX_CORNERS_AT_POSITION) return;
    const Vec own = s.weighted[face];
    Vec sum{0.0, 0.0, 0.0};
    for (int32_t j = begin; j < end; ++j) {
        const int32_t other = s.group_corners[j] / 3;
        if ((mask_of(object, other) & mask) == 0) continue;
        const Vec w = s.weighted[other];
        const double sign = dot(own, w) < 0.0 ? -1.0 : 1.0;
        sum = {sum.x + sign * w.x, sum.y + sign * w.y, sum.z + sign * w.z};
    }
    const double length = std::sqrt(dot(sum, sum));
    if (!(length > 0.0) || !std::isfinite(length)) return;
    out[0] = (float)(sum.x / length), out[1] = (float)(sum.y / length);
    out[2] = (float)(sum.z / length);
}

uint32_t edge_slot(const EdgeTable& t, uint64_t key) {
    uint32_t slot = (uint32_t)((key * 0x9E3779B97F4A7C15u) >> 32) & t.mask;
    while (t.counts[slot] != 0 && t.keys[slot] != key)
        slot = (slot + 1) & t.mask;
    return slot;
}

uint64_t edge_key(int32_t from, int32_t to) {
    return (uint64_t)(uint32_t)from << 32 | (uint32_t)to;
}

// Every edge, from corner k to corner k + 1 of a face, counted; false when an
// edge has a corner with a NaN or joins a position to itself.
bool count_edges(const SceneObject& object, Scratch& s) {
    for (int32_t i = 0; i < 3 * object.face_count; ++i) {
        const int32_t from = s.corner_group[i], to = s.corner_group[i - i % 3 + (i + 1) % 3];
        if (from < 0 || to < 0 || from == to) return false;
        const uint64_t key = edge_key(from, to);
        const uint32_t slot = edge_slot(s.edges, key);
        s.edges.keys[slot] = key;
        ++s.edges.counts[slot];
    }
    return true;
}

// Closed and consistently wound: every edge is used once each way.
bool closed_and_consistent(const SceneObject& object, Scratch& s) {
    if (!count_edges(object, s)) return false;
    const EdgeTable& t = s.edges;
    for (int32_t i = 0; i < 3 * object.face_count; ++i) {
        const int32_t from = s.corner_group[i], to = s.corner_group[i - i % 3 + (i + 1) % 3];
        const uint32_t there = edge_slot(t, edge_key(from, to));
        const uint32_t back = edge_slot(t, edge_key(to, from));
        if (t.counts[there] != 1 || t.counts[back] != 1) return false;
    }
    return true;
}

// For a closed object: the planes point out when the volume they enclose,
// summed from each face's corner 0, is positive.
bool planes_point_out(const SceneObject& object, const Scratch& s) {
    const SceneVertex& r = *object.faces[0].corners[0];
    double volume = 0.0;
    for (int32_t f = 0; f < object.face_count; ++f) {
        const SceneVertex& c = *object.faces[f].corners[0];
        const Vec p{(double)c.x - r.x, (double)c.y - r.y, (double)c.z - r.z};
        volume = volume + dot(p, s.weighted[f]);
    }
    return volume > 0.0;
}

} // namespace

bool scene_compute_shading(SceneObject& object) {
    object.closed = object.planes_outward = 0;
    if (object.face_count <= 0 || !object.corner_normals) return true;
    Scratch s;
    const bool ok = scratch_create(s, object);
    if (ok) {
        group_corners(object, s);
        for (int32_t f = 0; f < object.face_count; ++f)
            s.weighted[f] = area_normal(object.faces[f]);
        for (int32_t i = 0; i < 3 * object.face_count; ++i)
            corner_normal(object, s, i, object.corner_normals[i / 3].n[i % 3]);
        object.closed = closed_and_consistent(object, s);
        object.planes_outward = object.closed && planes_point_out(object, s);
    }
    scratch_free(s);
    return ok;
}
