// Corner normals by smoothing group, and closed, consistently wound objects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "scene/scene.h"
#include "scene_files.h"
#include "support/test_mesh.h"

namespace {

// A mesh with its shading arrays; every face in group `groups` unless told.
struct Shaded {
    TestMesh mesh;
    std::vector<uint32_t> groups;
    std::vector<SceneCornerNormals> normals;

    void finish(uint32_t group) {
        mesh_finish(mesh);
        groups.assign(mesh.faces.size(), group);
        normals.assign(mesh.faces.size(), SceneCornerNormals{});
        mesh.object.smoothing_groups = groups.data();
        mesh.object.corner_normals = normals.data();
    }
    void compute() { ASSERT_TRUE(scene_compute_shading(mesh.object)); }
    const float* normal(size_t face, int corner) const { return normals[face].n[corner]; }
};

// A unit cube about the origin, wound as the loader gives outward-wound files.
void add_cube(TestMesh& mesh, float mirror_x) {
    for (int i = 0; i < 8; ++i)
        mesh_vertex(mesh, mirror_x * (i & 1 ? 1.0f : -1.0f), i & 2 ? 1.0f : -1.0f,
                    i & 4 ? 1.0f : -1.0f);
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads) {
        mesh_face(mesh, q[0], q[2], q[1]);
        mesh_face(mesh, q[0], q[3], q[2]);
    }
}

void expect_plane_normal(const Shaded& s, size_t face) {
    const Plane& p = s.mesh.faces[face].plane;
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(s.normal(face, c)[0], p.a) << "face " << face << " corner " << c;
        EXPECT_EQ(s.normal(face, c)[1], p.b);
        EXPECT_EQ(s.normal(face, c)[2], p.c);
    }
}

void expect_same(const float* a, const float* b) {
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[1], b[1]);
    EXPECT_EQ(a[2], b[2]);
}

const SceneVertex& corner_of(const Shaded& s, size_t face, int corner) {
    return *s.mesh.faces[face].corners[corner];
}

// The mesh, not yet finished, with every face on vertices of its own: a seam
// along every edge.
void unweld(Shaded& s) {
    TestMesh soup;
    for (const SceneFace& f : s.mesh.faces) {
        int c[3];
        for (int k = 0; k < 3; ++k) {
            const SceneVertex& v = s.mesh.vertices[(size_t)(intptr_t)f.corners[k]];
            c[k] = mesh_vertex(soup, v.x, v.y, v.z);
        }
        mesh_face(soup, c[0], c[1], c[2]);
    }
    s.mesh = std::move(soup);
}

} // namespace

TEST(Shading, CubeOfSixGroupsKeepsFlatNormalsAndIsClosed) {
    Shaded cube;
    add_cube(cube.mesh, 1.0f);
    cube.finish(0);
    for (size_t f = 0; f < cube.groups.size(); ++f)
        cube.groups[f] = 1u << (f / 2);
    cube.compute();
    for (size_t f = 0; f < cube.groups.size(); ++f)
        expect_plane_normal(cube, f);
    EXPECT_TRUE(cube.mesh.object.closed);
    EXPECT_FALSE(cube.mesh.object.planes_outward); // inward, as for every outward-wound file

    // Mirrored, the same indices wind the other way: still closed, planes out.
    Shaded mirrored;
    add_cube(mirrored.mesh, -1.0f);
    mirrored.finish(1);
    mirrored.compute();
    EXPECT_TRUE(mirrored.mesh.object.closed);
    EXPECT_TRUE(mirrored.mesh.object.planes_outward);
}

TEST(Shading, SphereInOneGroupIsSmoothAcrossSeams) {
    Shaded welded;
    mesh_add_sphere(welded.mesh, 10.0f, 16, 8, 0, 0, 0);
    welded.finish(4);
    welded.compute();
    EXPECT_TRUE(welded.mesh.object.closed);
    EXPECT_FALSE(welded.mesh.object.planes_outward);

    // Corners on a vertex list that a later one replaced are found by position too.
    std::vector<SceneCornerNormals> own = welded.normals;
    welded.mesh.object.vertex_count = 0;
    welded.compute();
    EXPECT_EQ(std::memcmp(own.data(), welded.normals.data(), own.size() * sizeof own[0]), 0);

    Shaded soup;
    mesh_add_sphere(soup.mesh, 10.0f, 16, 8, 0, 0, 0);
    unweld(soup);
    soup.finish(4);
    soup.compute();
    EXPECT_TRUE(soup.mesh.object.closed); // welded by position
    for (size_t f = 0; f < welded.groups.size(); ++f) {
        for (int c = 0; c < 3; ++c) {
            expect_same(soup.normal(f, c), welded.normal(f, c));
            // Smooth: close to the radius, inward like the planes.
            const SceneVertex& v = corner_of(welded, f, c);
            const float* n = welded.normal(f, c);
            EXPECT_LT((n[0] * v.x + n[1] * v.y + n[2] * v.z) / 10.0f, -0.98f);
        }
    }
}

TEST(Shading, NeighbourWoundTheOtherWayDoesNotCancel) {
    Shaded sphere, flipped;
    mesh_add_sphere(sphere.mesh, 10.0f, 12, 6, 0, 0, 0);
    mesh_add_sphere(flipped.mesh, 10.0f, 12, 6, 0, 0, 0);
    const size_t turned = 20;
    std::swap(flipped.mesh.faces[turned].corners[1], flipped.mesh.faces[turned].corners[2]);
    sphere.finish(1);
    flipped.finish(1);
    sphere.compute();
    flipped.compute();
    EXPECT_FALSE(flipped.mesh.object.closed);
    for (size_t f = 0; f < sphere.groups.size(); ++f) {
        for (int c = 0; c < 3; ++c) {
            const int fc = f == turned && c > 0 ? 3 - c : c;
            const float* n = flipped.normal(f, fc);
            if (f != turned) {
                expect_same(n, sphere.normal(f, c));
            } else {
                const float* s = sphere.normal(f, c);
                EXPECT_EQ(n[0], -s[0]);
                EXPECT_EQ(n[1], -s[1]);
                EXPECT_EQ(n[2], -s[2]);
            }
        }
    }
}

TEST(Shading, MaskZeroStaysFlatAndTakesNoPart) {
    Shaded sphere, holed;
    mesh_add_sphere(sphere.mesh, 10.0f, 12, 6, 0, 0, 0);
    mesh_add_sphere(holed.mesh, 10.0f, 12, 6, 0, 0, 0);
    sphere.finish(2);
    holed.finish(2);
    const size_t flat = 30;
    holed.groups[flat] = 0;
    sphere.compute();
    holed.compute();
    expect_plane_normal(holed, flat);
    // A neighbour across one of its corners no longer leans towards it.
    const SceneVertex* shared = holed.mesh.faces[flat].corners[0];
    int differing = 0;
    for (size_t f = 0; f < holed.groups.size(); ++f)
        for (int c = 0; c < 3; ++c)
            if (f != flat && holed.mesh.faces[f].corners[c] == shared)
                differing += holed.normal(f, c)[0] != sphere.normal(f, c)[0] ||
                             holed.normal(f, c)[1] != sphere.normal(f, c)[1];
    EXPECT_GT(differing, 0);
}

TEST(Shading, OpenOrEmptyObjectsAreNotClosed) {
    Shaded quad;
    const int a = mesh_vertex(quad.mesh, 0, 0, 0), b = mesh_vertex(quad.mesh, 1, 0, 0),
              c = mesh_vertex(quad.mesh, 1, 1, 0), d = mesh_vertex(quad.mesh, 0, 1, 0);
    mesh_face(quad.mesh, a, b, c);
    mesh_face(quad.mesh, a, c, d);
    quad.finish(1);
    quad.compute();
    EXPECT_FALSE(quad.mesh.object.closed);
    // A triangle's two sides, each wound its way, close it.
    Shaded sheet;
    for (int i = 0; i < 3; ++i)
        mesh_vertex(sheet.mesh, (float)(i == 1), (float)(i == 2), 0);
    mesh_face(sheet.mesh, 0, 1, 2);
    mesh_face(sheet.mesh, 0, 2, 1);
    sheet.finish(0);
    sheet.compute();
    EXPECT_TRUE(sheet.mesh.object.closed);
    expect_plane_normal(sheet, 0);

    SceneObject empty{};
    EXPECT_TRUE(scene_compute_shading(empty));
    EXPECT_FALSE(empty.closed);
}

// Through the loader: the masks, the two-sided flag and mirrored axes.
TEST(Shading, LoaderKeepsGroupsTwoSidedMaterialsAndMirroredAxes) {
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
    chunk_begin(w, CHUNK_MATERIAL);
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, "leaf");
    chunk_end(w);
    chunk_empty(w, CHUNK_MAT_TWO_SIDED);
    chunk_end(w);
    chunk_material(w, "bark");
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, "quad");
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, 4);
    chunk_f32s(w, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, 2);
    for (uint16_t v : {0, 1, 2, 0, 0, 2, 3, 0})
        chunk_u16(w, v);
    chunk_begin(w, CHUNK_SMOOTHING_GROUPS);
    chunk_u32(w, 0x80000001u); // the second face's mask is cut off: 0
    chunk_end(w);
    chunk_end(w);
    chunk_begin(w, CHUNK_LOCAL_MATRIX);
    chunk_f32s(w, {-1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
    ScenePtr scene = load_written(w);
    ASSERT_TRUE(scene) << scene_error();
    ASSERT_EQ(scene->material_count, 2);
    EXPECT_EQ(scene->materials[0].two_sided, 1);
    EXPECT_EQ(scene->materials[1].two_sided, 0);
    const SceneObject& o = scene->objects[0];
    ASSERT_NE(o.smoothing_groups, nullptr);
    EXPECT_EQ(o.smoothing_groups[0], 0x80000001u);
    EXPECT_EQ(o.smoothing_groups[1], 0u);
    EXPECT_EQ(o.mirrored, 1);
    EXPECT_EQ(o.closed, 0);
    ASSERT_NE(o.corner_normals, nullptr);
    EXPECT_EQ(o.corner_normals[1].n[0][2], o.faces[1].plane.c);
}
