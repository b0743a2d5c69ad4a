// Face planes and vertex normals; the linear-time normals against the
// straightforward comparison of every vertex with every face corner.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "scene/loader.h"
#include "scene_files.h"

namespace {

// The normal sums the plain, quadratic way: every vertex against every corner.
void quadratic_vertex_normals(SceneObject& object) {
    for (int32_t v = 0; v < object.vertex_count; ++v) {
        SceneVertex& vertex = object.vertices[v];
        float nx = 0.0f, ny = 0.0f, nz = 0.0f;
        for (int32_t f = 0; f < object.face_count; ++f) {
            const SceneFace& face = object.faces[f];
            for (const SceneVertex* corner : face.corners) {
                if (corner->x == vertex.x && corner->y == vertex.y && corner->z == vertex.z) {
                    nx = nx + face.plane.a;
                    ny = ny + face.plane.b;
                    nz = nz + face.plane.c;
                }
            }
        }
        const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (length == 0.0f) {
            vertex.nx = vertex.ny = vertex.nz = 0.0f;
        } else {
            vertex.nx = nx / length;
            vertex.ny = ny / length;
            vertex.nz = nz / length;
        }
    }
}

struct Mesh {
    std::vector<SceneVertex> vertices;
    std::vector<SceneFace> faces;
    SceneObject object{};

    Mesh() = default;
    // A copy whose faces point into its own vertices.
    Mesh(const Mesh& other) : vertices(other.vertices), faces(other.faces) {
        for (SceneFace& f : faces)
            for (SceneVertex*& corner : f.corners)
                corner = &vertices[corner - other.vertices.data()];
        link();
    }
    void link() {
        object.vertex_count = (int32_t)vertices.size();
        object.face_count = (int32_t)faces.size();
        object.vertices = vertices.data();
        object.faces = faces.data();
    }
};

// Vertices on few positions, so that many share one; some positions differ
// only in the sign of a zero, one holds a NaN.
Mesh random_mesh(uint32_t seed, int vertex_count, int face_count) {
    std::mt19937 random(seed);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 3.25f, 1e-3f, nan};
    std::vector<SceneVertex> pool(vertex_count / 3 + 1);
    for (size_t i = 0; i < pool.size(); ++i) {
        SceneVertex& p = pool[i];
        p.x = values[random() % 8];
        p.y = values[random() % 7];
        p.z = std::uniform_real_distribution<float>(-2, 2)(random);
        if (i % 5 == 0) p.z = (i % 10 == 0) ? 0.0f : -0.0f;
    }
    Mesh mesh;
    for (int i = 0; i < vertex_count; ++i)
        mesh.vertices.push_back(pool[random() % pool.size()]);
    mesh.faces.resize(face_count);
    for (SceneFace& face : mesh.faces)
        for (SceneVertex*& corner : face.corners)
            corner = &mesh.vertices[random() % mesh.vertices.size()];
    mesh.link();
    return mesh;
}

// The plane of corners 0, 1, 2 at the given positions.
std::array<float, 4> plane_of(std::array<float, 9> p) {
    SceneVertex v[3] = {{p[0], p[1], p[2], 0, 0, 0, 0, 0},
                        {p[3], p[4], p[5], 0, 0, 0, 0, 0},
                        {p[6], p[7], p[8], 0, 0, 0, 0, 0}};
    SceneFace face{0, -1, {&v[0], &v[1], &v[2]}, {}};
    return values_of(scene_compute_face_plane(face));
}

} // namespace

TEST(FacePlane, UnitNormalAndSignedDistance) {
    expect_floats(plane_of({0, 0, 0, 0, 1, 0, 1, 0, 0}).data(), {0, 0, 1, -0.0f}); // d = -(0)
    expect_floats(plane_of({0, 0, 2, 0, 3, 2, 3, 0, 2}).data(), {0, 0, 1, -2});
    expect_floats(plane_of({1, 1, 1, 2, 2, 2, 3, 3, 3}).data(), {0, 0, 0, 0}); // no area
}

TEST(VertexNormals, LinearSumsAreBitIdenticalToComparingEveryCorner) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        Mesh mesh = random_mesh(seed, 20 + (int)seed * 7, 10 + (int)seed * 11);
        scene_compute_face_planes(mesh.object);
        Mesh reference = mesh;

        ASSERT_TRUE(scene_compute_vertex_normals(mesh.object));
        quadratic_vertex_normals(reference.object);
        for (size_t v = 0; v < mesh.vertices.size(); ++v) {
            const SceneVertex& got = mesh.vertices[v];
            const SceneVertex& want = reference.vertices[v];
            ASSERT_TRUE(same_bits(got.nx, want.nx) && same_bits(got.ny, want.ny) &&
                        same_bits(got.nz, want.nz))
                << "seed " << seed << " vertex " << v;
        }
    }
}
