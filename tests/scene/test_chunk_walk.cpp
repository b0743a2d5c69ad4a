// The chunk walk: what it skips, how it keeps in step, and how a load fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene_files.h"

namespace {

const std::vector<float> triangle = {0, 0, 0, 0, 1, 0, 1, 0, 0};

// Chunk header with any length, for lengths the writer would never produce.
void raw_header(ChunkWriter& w, uint16_t id, uint32_t length) {
    chunk_u16(w, id);
    chunk_u32(w, length);
}

void nest(ChunkWriter& w, int levels) {
    for (int i = 0; i < levels; ++i)
        chunk_begin(w, 0x4D4D);
    for (int i = 0; i < levels; ++i)
        chunk_end(w);
}

} // namespace

TEST(ChunkWalk, EmptyFileGivesAnEmptyScene) {
    ScenePtr scene = load_written(ChunkWriter{});
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(
        scene->object_count + scene->camera_count + scene->light_count + scene->material_count, 0);
    EXPECT_NE(scene->objects, nullptr);
    EXPECT_NE(scene->cameras, nullptr);
    EXPECT_NE(scene->lights, nullptr);
    EXPECT_NE(scene->materials, nullptr);
    EXPECT_EQ(scene->start_frame, 0u);
    EXPECT_STREQ(scene_load_error(), "");
}

TEST(ChunkWalk, SkipsUnknownChunksWithEverythingInside) {
    ChunkWriter w;
    chunk_begin(w, 0x1234); // unlisted
    chunk_mesh_object(w, "Hidden1", triangle, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, 0x4190); // listed, but neither handler nor descent
    chunk_mesh_object(w, "Hidden2", triangle, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, 0x4D4D);
    chunk_begin(w, 0x3D3D);
    chunk_mesh_object(w, "Seen", triangle, {0, 1, 2});
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->object_count, 1);
    EXPECT_STREQ(scene->objects[0].name, "Seen");
}

TEST(ChunkWalk, EveryChunkEndsWhereItsLengthSaysWhateverItsHandlerRead) {
    ChunkWriter w;
    chunk_begin(w, 0x0002); // file version with more data than the 2 bytes it reads
    chunk_u32(w, 0x41004000);
    chunk_u32(w, 0x41004000);
    chunk_end(w);
    chunk_begin(w, 0x4000);
    chunk_name(w, "Short");
    chunk_begin(w, 0x4100);
    // A vertex list that claims three vertices but holds one: the handler reads
    // the face list as vertex data, and the walk still finds the face list.
    chunk_begin(w, 0x4110);
    chunk_u16(w, 3);
    chunk_f32s(w, {7, 8, 9});
    chunk_end(w);
    chunk_begin(w, 0x4120);
    chunk_u16(w, 1);
    chunk_u16(w, 0);
    chunk_u16(w, 1);
    chunk_u16(w, 2);
    chunk_u16(w, 0);
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->object_count, 1);
    const SceneObject& o = scene->objects[0];
    ASSERT_EQ(o.vertex_count, 3);
    EXPECT_EQ(o.vertices[0].x, 7.0f);
    EXPECT_EQ(o.vertices[0].y, 9.0f);
    ASSERT_EQ(o.face_count, 1);
    EXPECT_EQ(o.faces[0].corners[0], &o.vertices[0]);
    EXPECT_EQ(o.faces[0].corners[1], &o.vertices[2]);
}

TEST(ChunkWalk, BrokenChunkHeadersEndTheLoadWithAReason) {
    struct Case {
        const char* what;
        uint32_t length;
        const char* reason;
    } cases[] = {
        {"zero length", 0, "chunk 0x3D3D at offset 6: length 0 is below the 6-byte header"},
        {"length below the header", 5, "chunk 0x3D3D at offset 6: length 5 is below"},
        {"negative length", 0x80000000u, "length 2147483648 is negative"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChunkWriter w;
        chunk_begin(w, 0x4D4D);
        raw_header(w, 0x3D3D, c.length);
        chunk_end(w);
        std::string reason = failure_of(w);
        EXPECT_EQ(reason.find(test_file_path("scene.3ds") + ": "), 0u) << reason;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    }

    ChunkWriter cut;
    chunk_empty(cut, 0x4D4D);
    chunk_u16(cut, 0x4D4D);
    EXPECT_NE(failure_of(cut).find("offset 6: chunk header cut short"), std::string::npos);

    EXPECT_EQ(scene_load(test_file_path("missing.3ds").c_str()), nullptr);
    EXPECT_NE(std::string(scene_load_error()).find("cannot open"), std::string::npos);
}

TEST(ChunkWalk, NestingEndsAtSixtyFourLevels) {
    ChunkWriter deepest;
    nest(deepest, 64);
    EXPECT_NE(load_written(deepest), nullptr) << scene_load_error();

    ChunkWriter too_deep;
    nest(too_deep, 65);
    EXPECT_NE(failure_of(too_deep).find("nested deeper than 64 levels"), std::string::npos);
}

TEST(ChunkWalk, OverlappingChunksCannotMakeTheWalkRunAway) {
    // Each unit: a chunk holding the start of one that reaches the end of the
    // file. Every unit's walk descends into all the units after it and walks
    // them again at its own level: 2^31 headers for 31 units.
    const int units = 31;
    const uint32_t size = 12 * units;
    ChunkWriter w;
    for (uint32_t i = 0; i < units; ++i) {
        raw_header(w, 0x4D4D, 12);
        raw_header(w, 0x4D4D, size - (12 * i + 6));
    }
    EXPECT_NE(failure_of(w).find("overlapping chunks"), std::string::npos);
}
