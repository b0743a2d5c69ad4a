// Scene objects built in memory for the renderer's tests and benchmarks; the
// face planes come from the loader's own post-processing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/scene.h"

struct TestMesh {
    std::vector<SceneVertex> vertices;
    std::vector<SceneFace> faces;
    SceneObject object;
    std::vector<uint32_t> groups; // mesh_smooth's
    std::vector<SceneCornerNormals> normals;
};

int mesh_vertex(TestMesh& mesh, float x, float y, float z);
// Corners in stored order; the plane's normal is (c2 - c0) x (c1 - c0).
void mesh_face(TestMesh& mesh, int c0, int c1, int c2);
// Links corners and object once every vertex and face is in; the matrix is the
// identity.
void mesh_finish(TestMesh& mesh);

// After mesh_finish: every face in smoothing group mask, or group(face index)
// when given, and the corner normals the loader would make.
void mesh_smooth(TestMesh& mesh, uint32_t mask, uint32_t (*group)(size_t face) = nullptr);

// Closed shapes whose faces are drawn from outside (plane normals inward, as
// the loader gives them for outward-wound files). Call mesh_finish afterwards.
void mesh_add_torus(TestMesh& mesh, float ring_radius, float tube_radius, int ring_steps,
                    int tube_steps, float cx, float cy, float cz);
void mesh_add_sphere(TestMesh& mesh, float radius, int segments, int bands, float cx, float cy,
                     float cz);
