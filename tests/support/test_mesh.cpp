#include "support/test_mesh.h"

#include <cstddef>

#include "math/maths.h"
#include "scene/scene.h"

namespace {

constexpr double TWO_PI = 6.283185307179586;
constexpr double PI = 3.141592653589793;

} // namespace

int mesh_vertex(TestMesh& mesh, float x, float y, float z) {
    mesh.vertices.push_back(SceneVertex{x, y, z, 0, 0, 0, 0, 0});
    return (int)mesh.vertices.size() - 1;
}

void mesh_face(TestMesh& mesh, int c0, int c1, int c2) {
    SceneFace f = {};
    int k = 0;
    for (int c : {c0, c1, c2}) // indices until mesh_finish turns them into pointers
        f.corners[k++] = (SceneVertex*)(intptr_t)c;
    mesh.faces.push_back(f);
}

void mesh_finish(TestMesh& mesh) {
    for (SceneFace& f : mesh.faces)
        for (SceneVertex*& c : f.corners)
            c = &mesh.vertices[(size_t)(intptr_t)c];
    mesh.object = SceneObject{};
    mesh.object.vertex_count = (int32_t)mesh.vertices.size();
    mesh.object.face_count = (int32_t)mesh.faces.size();
    mesh.object.vertices = mesh.vertices.data();
    mesh.object.faces = mesh.faces.data();
    matrix_identity(mesh.object.matrix);
    scene_compute_face_planes(mesh.object); // as the loader does
}

void mesh_smooth(TestMesh& mesh, uint32_t mask, uint32_t (*group)(size_t face)) {
    mesh.groups.assign(mesh.faces.size(), mask);
    if (group)
        for (size_t f = 0; f < mesh.groups.size(); ++f)
            mesh.groups[f] = group(f);
    mesh.normals.assign(mesh.faces.size(), SceneCornerNormals{});
    mesh.object.smoothing_groups = mesh.groups.data();
    mesh.object.corner_normals = mesh.normals.data();
    scene_compute_shading(mesh.object);
}

void mesh_add_torus(TestMesh& mesh, float ring_radius, float tube_radius, int ring_steps,
                    int tube_steps, float cx, float cy, float cz) {
    const int base = (int)mesh.vertices.size();
    for (int i = 0; i < ring_steps; ++i) {
        const double u = TWO_PI * i / ring_steps;
        for (int j = 0; j < tube_steps; ++j) {
            const double v = TWO_PI * j / tube_steps;
            const double d = ring_radius + tube_radius * math_cos(v);
            mesh_vertex(mesh, (float)(cx + d * math_cos(u)),
                        (float)(cy + tube_radius * math_sin(v)), (float)(cz + d * math_sin(u)));
        }
    }
    for (int i = 0; i < ring_steps; ++i) {
        const int i1 = (i + 1) % ring_steps;
        for (int j = 0; j < tube_steps; ++j) {
            const int j1 = (j + 1) % tube_steps;
            const int a = base + i * tube_steps + j, b = base + i1 * tube_steps + j;
            const int c = base + i1 * tube_steps + j1, d = base + i * tube_steps + j1;
            mesh_face(mesh, a, c, b);
            mesh_face(mesh, a, d, c);
        }
    }
}

void mesh_add_sphere(TestMesh& mesh, float radius, int segments, int bands, float cx, float cy,
                     float cz) {
    const int north = mesh_vertex(mesh, cx, cy + radius, cz);
    for (int k = 1; k < bands; ++k) {
        const double theta = PI * k / bands;
        const double y = radius * math_cos(theta), r = radius * math_sin(theta);
        for (int i = 0; i < segments; ++i) {
            const double phi = TWO_PI * i / segments;
            mesh_vertex(mesh, (float)(cx + r * math_cos(phi)), (float)(cy + y),
                        (float)(cz + r * math_sin(phi)));
        }
    }
    const int south = mesh_vertex(mesh, cx, cy - radius, cz);
    auto ring = [&](int k, int i) { return north + 1 + (k - 1) * segments + i % segments; };
    for (int i = 0; i < segments; ++i)
        mesh_face(mesh, north, ring(1, i + 1), ring(1, i));
    for (int k = 1; k < bands - 1; ++k) {
        for (int i = 0; i < segments; ++i) {
            const int a = ring(k, i), b = ring(k, i + 1), c = ring(k + 1, i + 1),
                      d = ring(k + 1, i);
            mesh_face(mesh, a, b, c);
            mesh_face(mesh, a, c, d);
        }
    }
    for (int i = 0; i < segments; ++i)
        mesh_face(mesh, south, ring(bands - 1, i), ring(bands - 1, i + 1));
}
