// Mesh objects, face materials and the rejections of malformed meshes.
#include <gtest/gtest.h>

#include <string>

#include "scene_files.h"

namespace {

void begin_object(ChunkWriter& w, const std::string& name) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
}

void end_object(ChunkWriter& w) {
    chunk_end(w);
    chunk_end(w);
}

void vertex_list(ChunkWriter& w, std::initializer_list<float> xyz) {
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, (uint16_t)(xyz.size() / 3));
    chunk_f32s(w, xyz);
    chunk_end(w);
}

// Opens a face list chunk, for face material chunks to follow.
void begin_face_list(ChunkWriter& w, std::initializer_list<uint16_t> corners) {
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, (uint16_t)(corners.size() / 3));
    int i = 0;
    for (uint16_t c : corners) {
        chunk_u16(w, c);
        if (++i % 3 == 0) chunk_u16(w, 0); // flags
    }
}

void face_material(ChunkWriter& w, const std::string& material,
                   std::initializer_list<uint16_t> faces) {
    chunk_begin(w, CHUNK_FACE_MATERIAL);
    chunk_name(w, material);
    chunk_u16(w, (uint16_t)faces.size());
    for (uint16_t f : faces)
        chunk_u16(w, f);
    chunk_end(w);
}

} // namespace

TEST(MeshChunks, ObjectIsStoredInSceneAxesWithCornersZeroTwoOne) {
    const std::string name63(63, 'n');
    ChunkWriter w;
    begin_object(w, name63);
    write_floats(w, CHUNK_LOCAL_MATRIX, {1, 2, 3, 4, 5, 6, 7, 8, 9, 5, 6, 7});
    vertex_list(w, {1, 2, 3, 1, 2, 4, 2, 2, 3});
    begin_face_list(w, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, CHUNK_MAPPING);
    chunk_u16(w, 2); // fewer pairs than vertices
    chunk_f32s(w, {0.25f, 0.5f, 0.75f, 1.0f});
    chunk_end(w);
    end_object(w);
    write_floats(w, CHUNK_LOCAL_MATRIX,
                 {1, 2, 3, 4, 5, 6, 7, 8, 9, 5, 6, 8}); // a stray one: the last object's

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    ASSERT_EQ(scene->object_count, 1);
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.name, name63);
    ASSERT_EQ(o.vertex_count, 3);
    expect_floats(values_of(o.vertices[0]).data(), {1, 3, 2, 0.25f, 0.5f});
    expect_floats(values_of(o.vertices[2]).data(), {2, 3, 2, 0, 0}); // no mapping pair: cleared
    ASSERT_EQ(o.face_count, 1);
    EXPECT_EQ(o.faces[0].corners[0], &o.vertices[0]);
    EXPECT_EQ(o.faces[0].corners[1], &o.vertices[2]);
    EXPECT_EQ(o.faces[0].corners[2], &o.vertices[1]);
    // The corners lie in the file's plane y = 2, the scene's z = 2.
    expect_floats(values_of(o.faces[0].plane).data(), {0, 0, -1, 2});
    expect_floats(values_of(o.vertices[1]).data(), {1, 4, 2, 0.75f, 1.0f, 0, 0, -1});
    expect_floats(o.matrix.m, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 5, 6, 8, 1});
}

// material_read_before looks among the materials read before the list, as the
// dump shows; colour_material among all of them, for the colours.
TEST(MeshChunks, FaceMaterialsNameMaterialsReadBeforeThemOrAnywhere) {
    ChunkWriter w;
    chunk_material(w, "Green");
    chunk_material(w, "Red");
    chunk_material(w, "Red"); // a second one of the same name is never found
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, std::string(63, 'm') + "1234567");
    chunk_end(w);
    begin_object(w, "Quad");
    vertex_list(w, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    begin_face_list(w, {0, 1, 2, 0, 2, 3, 0, 1, 3});
    face_material(w, "Red", {1, 3, 9}); // faces 3 and 9 do not exist
    face_material(w, "Blue", {2});      // named only further on
    chunk_end(w);
    end_object(w);
    chunk_material(w, "Blue");

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.faces[0].material_read_before, 0); // listed by no chunk: cleared
    EXPECT_EQ(o.faces[1].material_read_before, 1);
    EXPECT_EQ(o.faces[2].material_read_before, -1);
    EXPECT_EQ(o.faces[0].colour_material, -1);
    EXPECT_EQ(o.faces[1].colour_material, 1);
    EXPECT_EQ(o.faces[2].colour_material, 4);
    ASSERT_EQ(scene->material_count, 5);
    EXPECT_EQ(scene->materials[3].name, std::string(63, 'm'));
}

TEST(MeshChunks, EmptyListsAndValuesCutShortByTheEndOfTheFile) {
    ChunkWriter w;
    chunk_mesh_object(w, "Empty", {}, {});
    begin_object(w, "Cut");
    vertex_list(w, {1, 2, 3, 4, 5, 0.1f}); // 0.1f: its first two bytes are not 0
    end_object(w);
    w.bytes.resize(w.bytes.size() - 2); // half of the last float

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    EXPECT_EQ(scene->objects[0].vertex_count, 0);
    EXPECT_EQ(scene->objects[0].face_count, 0);
    expect_floats(values_of(scene->objects[1].vertices[1]).data(), {4, 0, 5}); // cut: 0
}

TEST(MeshChunks, MalformedMeshesEndTheLoadWithAReason) {
    for (uint16_t index : {3, 70}) { // 3: the first index past the 3 vertices
        ChunkWriter bad_index;
        chunk_mesh_object(bad_index, "Box01", {0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 1, 2, 0, index, 1});
        EXPECT_TRUE(fails_with(bad_index, "chunk 0x4120 at offset 62: vertex index " +
                                              std::to_string(index) +
                                              " out of range: object \"Box01\" has 3 vertices"));
    }

    ChunkWriter faces_first;
    begin_object(faces_first, "NoVertices");
    begin_face_list(faces_first, {});
    chunk_end(faces_first);
    end_object(faces_first);
    EXPECT_TRUE(fails_with(faces_first, "face list before any vertex list"));

    ChunkWriter stray;
    chunk_empty(stray, CHUNK_SMOOTHING_GROUPS);
    EXPECT_TRUE(fails_with(stray, "chunk 0x4150 at offset 0: mesh data before any triangle mesh"));

    for (uint16_t id : {CHUNK_FACE_MATERIAL, CHUNK_MAT_NAME}) {
        ChunkWriter cut;
        chunk_begin(cut, id);
        chunk_raw(cut, "Unfinished", 10);
        chunk_end(cut);
        EXPECT_TRUE(fails_with(cut, "name cut short by the end of the file"));
    }

    // Each 8-byte vertex list claims 65535 vertices, about 2 MB.
    ChunkWriter greedy;
    begin_object(greedy, "Greedy");
    for (int i = 0; i < 2000; ++i) {
        chunk_begin(greedy, CHUNK_VERTEX_LIST);
        chunk_u16(greedy, 65535);
        chunk_end(greedy);
    }
    end_object(greedy);
    EXPECT_TRUE(fails_with(greedy, "vertex list of 65535: the lists of this file claim far more"));
}

// Thousands of materials, named by as many face material chunks: each name
// finds its first material, through an index whose slots collide at this size.
TEST(MeshChunks, ThousandsOfFaceMaterialsFindTheirFirstMaterial) {
    const int count = 3000;
    ChunkWriter w;
    for (int i = 0; i < count; ++i)
        chunk_material(w, "M" + std::to_string(i));
    chunk_material(w, "M7"); // a second one of the same name is never found
    begin_object(w, "Many");
    vertex_list(w, {0, 0, 0, 1, 0, 0, 1, 1, 0});
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, count + 1);
    for (int i = 0; i <= count; ++i)
        for (uint16_t value : {0, 1, 2, 0}) // corners, flags
            chunk_u16(w, value);
    for (int i = 0; i < count; ++i)
        face_material(w, "M" + std::to_string(i * 7 % count), {(uint16_t)i});
    face_material(w, "M3000", {(uint16_t)count});
    chunk_end(w);
    end_object(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneObject& o = scene->objects[0];
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(o.faces[i].material_read_before, i * 7 % count) << i;
        ASSERT_EQ(o.faces[i].colour_material, i * 7 % count) << i;
    }
    EXPECT_EQ(o.faces[count].material_read_before, -1);
    EXPECT_EQ(o.faces[count].colour_material, -1);
}
