// Mesh objects, face materials and the rejections of malformed meshes.
#include <gtest/gtest.h>

#include <string>

#include "scene_files.h"

namespace {

void begin_object(ChunkWriter& w, const std::string& name) {
    chunk_begin(w, 0x4000);
    chunk_name(w, name);
    chunk_begin(w, 0x4100);
}

void end_object(ChunkWriter& w) {
    chunk_end(w);
    chunk_end(w);
}

void vertex_list(ChunkWriter& w, std::initializer_list<float> xyz) {
    chunk_begin(w, 0x4110);
    chunk_u16(w, (uint16_t)(xyz.size() / 3));
    chunk_f32s(w, xyz);
    chunk_end(w);
}

void face_material(ChunkWriter& w, const std::string& material,
                   std::initializer_list<uint16_t> faces) {
    chunk_begin(w, 0x4130);
    chunk_name(w, material);
    chunk_u16(w, (uint16_t)faces.size());
    for (uint16_t f : faces)
        chunk_u16(w, f);
    chunk_end(w);
}

void begin_face_list(ChunkWriter& w, std::initializer_list<uint16_t> corners) {
    chunk_begin(w, 0x4120);
    chunk_u16(w, (uint16_t)(corners.size() / 3));
    int i = 0;
    for (uint16_t c : corners) {
        chunk_u16(w, c);
        if (++i % 3 == 0) chunk_u16(w, 0);
    }
}

std::string failure_of(const ChunkWriter& w) {
    ScenePtr scene = load_written(w);
    EXPECT_EQ(scene, nullptr);
    return scene_load_error();
}

} // namespace

TEST(MeshChunks, ObjectIsStoredInSceneAxesWithCornersZeroTwoOne) {
    ChunkWriter w;
    begin_object(w, "Box01");
    write_floats(w, 0x4160, {1, 2, 3, 4, 5, 6, 7, 8, 9, 5, 6, 7});
    vertex_list(w, {1, 2, 3, 4, 5, 6, 7, 8, 10});
    begin_face_list(w, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, 0x4140);
    chunk_u16(w, 2); // fewer pairs than vertices
    chunk_f32s(w, {0.25f, 0.5f, 0.75f, 1.0f});
    chunk_end(w);
    end_object(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    ASSERT_EQ(scene->object_count, 1);
    const SceneObject& o = scene->objects[0];
    EXPECT_STREQ(o.name, "Box01");
    ASSERT_EQ(o.vertex_count, 3);
    EXPECT_EQ(o.vertices[0].x, 1.0f);
    EXPECT_EQ(o.vertices[0].y, 3.0f);
    EXPECT_EQ(o.vertices[0].z, 2.0f);
    EXPECT_EQ(o.vertices[1].u, 0.75f);
    EXPECT_EQ(o.vertices[1].v, 1.0f);
    EXPECT_EQ(o.vertices[2].u, 0.0f); // cleared at allocation
    ASSERT_EQ(o.face_count, 1);
    EXPECT_EQ(o.faces[0].corners[0], &o.vertices[0]);
    EXPECT_EQ(o.faces[0].corners[1], &o.vertices[2]);
    EXPECT_EQ(o.faces[0].corners[2], &o.vertices[1]);
    const float expected_matrix[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 5, 6, 7, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(o.matrix.m[i], expected_matrix[i]) << i;
}

TEST(MeshChunks, EmptyListsAndNamesAtTheLengthLimit) {
    const std::string name63(63, 'n');
    ChunkWriter w;
    begin_object(w, name63);
    vertex_list(w, {});
    begin_face_list(w, {});
    chunk_end(w);
    end_object(w);
    chunk_begin(w, 0xA000);
    chunk_name(w, std::string(63, 'm') + "1234567");
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    ASSERT_EQ(scene->object_count, 1);
    EXPECT_EQ(scene->objects[0].name, name63);
    EXPECT_EQ(scene->objects[0].vertex_count, 0);
    EXPECT_EQ(scene->objects[0].face_count, 0);
    ASSERT_EQ(scene->material_count, 1);
    EXPECT_EQ(scene->materials[0].name, std::string(63, 'm'));
}

TEST(MeshChunks, FaceMaterialsNameMaterialsReadBeforeThem) {
    ChunkWriter w;
    chunk_material(w, "Green");
    chunk_material(w, "Red");
    chunk_material(w, "Red"); // a second one of the same name is never found
    begin_object(w, "Quad");
    vertex_list(w, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    begin_face_list(w, {0, 1, 2, 0, 2, 3, 0, 1, 3});
    face_material(w, "Red", {1, 3, 9}); // faces 3 and 9 do not exist
    face_material(w, "Blue", {2});      // named only further on
    chunk_end(w);
    end_object(w);
    chunk_material(w, "Blue");

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.faces[0].material, 0); // listed by no chunk: cleared
    EXPECT_EQ(o.faces[1].material, 1);
    EXPECT_EQ(o.faces[2].material, -1);
    EXPECT_EQ(scene->material_count, 4);
}

TEST(MeshChunks, MalformedMeshesEndTheLoadWithAReason) {
    ChunkWriter bad_index;
    begin_object(bad_index, "Box01");
    vertex_list(bad_index, {0, 0, 0, 1, 0, 0, 1, 1, 0});
    begin_face_list(bad_index, {0, 1, 2, 0, 70, 1});
    chunk_end(bad_index);
    end_object(bad_index);
    std::string reason = failure_of(bad_index);
    EXPECT_NE(reason.find("chunk 0x4120 at offset 62: vertex index 70 out of range: object "
                          "\"Box01\" has 3 vertices"),
              std::string::npos)
        << reason;

    ChunkWriter faces_first;
    begin_object(faces_first, "NoVertices");
    begin_face_list(faces_first, {});
    chunk_end(faces_first);
    end_object(faces_first);
    EXPECT_NE(failure_of(faces_first).find("face list before any vertex list"), std::string::npos);

    ChunkWriter stray;
    write_floats(stray, 0x4160, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_NE(
        failure_of(stray).find("chunk 0x4160 at offset 0: mesh data before any triangle mesh"),
        std::string::npos);

    for (uint16_t id : {0x4130, 0xA000}) {
        ChunkWriter cut;
        chunk_begin(cut, id);
        chunk_raw(cut, "Unfinished", 10);
        chunk_end(cut);
        EXPECT_NE(failure_of(cut).find("name cut short by the end of the file"), std::string::npos);
    }
}

TEST(MeshChunks, AValueCutShortByTheEndOfTheFileReadsAsZero) {
    ChunkWriter w;
    begin_object(w, "Cut");
    vertex_list(w, {1, 2, 3, 4, 5, 6});
    end_object(w);
    w.bytes.resize(w.bytes.size() - 2); // half of the last float

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneVertex& v = scene->objects[0].vertices[1];
    EXPECT_EQ(v.x, 4.0f);
    EXPECT_EQ(v.z, 5.0f);
    EXPECT_TRUE(same_bits(v.y, 0.0f));
}

TEST(MeshChunks, AStrayMeshChunkActsOnTheLastObject) {
    ChunkWriter w;
    write_mesh(w, "First", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    write_mesh(w, "Second", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    write_floats(w, 0x4160, {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7});

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    EXPECT_EQ(scene->objects[0].matrix.m[12], 0.0f);
    EXPECT_EQ(scene->objects[1].matrix.m[12], 5.0f);
}

TEST(MeshChunks, RepeatedListCountsCannotTakeGigabytes) {
    // Each 8-byte vertex list claims 65535 vertices, about 2 MB.
    ChunkWriter w;
    begin_object(w, "Greedy");
    for (int i = 0; i < 2000; ++i) {
        chunk_begin(w, 0x4110);
        chunk_u16(w, 65535);
        chunk_end(w);
    }
    end_object(w);
    EXPECT_NE(failure_of(w).find("vertex list of 65535: the lists of this file claim far more"),
              std::string::npos);
}
