// The chunk walk: what it skips, how it keeps in step, and how a load fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "scene/loader.h"
#include "scene_files.h"

namespace {

const std::vector<float> triangle = {0, 0, 0, 0, 1, 0, 1, 0, 0};
constexpr uint16_t UNLISTED_ID = 0x1234; // in no row of the loader's table

// Chunk header with any length, for lengths the writer would never produce.
void raw_header(ChunkWriter& w, uint16_t id, uint32_t length) {
    chunk_u16(w, id);
    chunk_u32(w, length);
}

} // namespace

TEST(ChunkWalk, SkipsUnknownChunksWithEverythingInside) {
    ChunkWriter w;
    chunk_begin(w, UNLISTED_ID);
    chunk_mesh_object(w, "Hidden1", triangle, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, CHUNK_UNKNOWN_4190); // in the table, but neither handler nor descent
    chunk_mesh_object(w, "Hidden2", triangle, {0, 1, 2});
    chunk_end(w);
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
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
    chunk_begin(w, CHUNK_VERSION); // file version with more data than the 2 bytes it reads
    chunk_u32(w, 0x41004000);
    chunk_u32(w, 0x41004000);
    chunk_end(w);
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, "Short");
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    // A vertex list that claims three vertices but holds one: the handler reads
    // the face list as vertex data, and the walk still finds the face list.
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, 3);
    chunk_f32s(w, {7, 8, 9});
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    for (uint16_t v : {1, 0, 1, 2, 0}) // one face: corners 0, 1, 2 and its flags
        chunk_u16(w, v);
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
    const struct {
        uint32_t length;
        const char* reason;
    } cases[] = {
        {0, "length 0 is below the 6-byte header"},
        {5, "length 5 is below the 6-byte header"},
        {0x80000000u, "length 2147483648 is negative"},
    };
    for (const auto& c : cases) {
        ChunkWriter w;
        chunk_begin(w, CHUNK_MAIN);
        raw_header(w, CHUNK_EDITOR, c.length);
        chunk_end(w);
        EXPECT_TRUE(
            fails_with(w, test_file_path("scene.3ds") + ": chunk 0x3D3D at offset 6: " + c.reason));
    }
    ChunkWriter cut;
    chunk_empty(cut, CHUNK_MAIN);
    chunk_u16(cut, CHUNK_MAIN);
    EXPECT_TRUE(fails_with(cut, "offset 6: chunk header cut short"));

    EXPECT_EQ(scene_load(test_file_path("missing.3ds").c_str()), nullptr);
    EXPECT_NE(std::string(scene_error()).find("cannot open"), std::string::npos);
}

TEST(ChunkWalk, NestingEndsAtSixtyFourLevels) {
    for (int levels : {64, 65}) {
        ChunkWriter w;
        for (int i = 0; i < levels; ++i)
            chunk_begin(w, CHUNK_MAIN);
        for (int i = 0; i < levels; ++i)
            chunk_end(w);
        if (levels == 64)
            EXPECT_NE(load_written(w), nullptr) << scene_error();
        else
            EXPECT_TRUE(fails_with(w, "nested deeper than 64 levels"));
    }
}

TEST(ChunkWalk, OverlappingChunksCannotMakeTheWalkRunAway) {
    // Each unit: a chunk holding the start of one that reaches the end of the
    // file. Every unit's walk descends into all the units after it and walks
    // them again at its own level: 2^31 headers for 31 units.
    const int units = 31;
    const uint32_t size = 12 * units;
    ChunkWriter w;
    for (uint32_t i = 0; i < units; ++i) {
        raw_header(w, CHUNK_MAIN, 12);
        raw_header(w, CHUNK_MAIN, size - (12 * i + 6));
    }
    EXPECT_TRUE(fails_with(w, "overlapping chunks"));
}

TEST(ChunkWalk, EveryIdFindsTheFirstRowOfItsTable) {
    for (int row = 0; row < CHUNK_TABLE_SIZE; ++row) {
        uint32_t id = chunk_table[row].id & 0xFFFF;
        int first = 0;
        while ((chunk_table[first].id & 0xFFFF) != id)
            ++first;
        EXPECT_EQ(chunk_find(id), first) << std::hex << id;
    }
    EXPECT_EQ(chunk_find(UNLISTED_ID), -1);
    EXPECT_EQ(chunk_find(0x10000u | CHUNK_MAIN), -1); // ids are 16 bits
}

TEST(ChunkWalk, FilesThatCannotBeReadWholeEndTheLoadWithAReason) {
    const std::string folder = test_file_path("folder.3ds");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(scene_load(folder.c_str()), nullptr);
    EXPECT_EQ(std::string(scene_error()), folder + ": offset 0: read error");
    std::filesystem::remove(folder);

    // A sparse file: refused for its size, before any of it is read.
    const std::string huge = test_file_path("huge.3ds");
    ASSERT_TRUE(chunk_write_file(ChunkWriter{}, huge));
    std::error_code error;
    std::filesystem::resize_file(huge, uint64_t{1} << 31, error);
    if (error) GTEST_SKIP() << "no sparse file of 2 GiB here: " << error.message();
    EXPECT_EQ(scene_load(huge.c_str()), nullptr);
    EXPECT_EQ(std::string(scene_error()),
              huge + ": 2147483648 bytes: a 3DS file is shorter than 2 GiB");
    std::filesystem::remove(huge);
}
