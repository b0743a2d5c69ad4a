// Keyframer nodes find their records by name and store their tracks.
#include <gtest/gtest.h>

#include <string>

#include "scene_files.h"

namespace {

const std::initializer_list<float> triangle = {0, 0, 0, 0, 1, 0, 1, 0, 0};

void node_id(ChunkWriter& w, uint16_t id) {
    chunk_begin(w, 0xB030);
    chunk_u16(w, id);
    chunk_end(w);
}

// A position track of one key per entry, each {frame, flags, floats...}.
struct Key {
    uint32_t frame;
    uint16_t flags;
    std::vector<float> floats; // the optional floats, then the value
};

void track(ChunkWriter& w, uint16_t id, uint32_t key_count, const std::vector<Key>& keys) {
    chunk_begin(w, id);
    chunk_track_header(w, key_count);
    for (const Key& k : keys) {
        chunk_key_header(w, k.frame, k.flags);
        for (float f : k.floats)
            chunk_f32(w, f);
    }
    chunk_end(w);
}

void object_node(ChunkWriter& w, const std::string& name, uint16_t id, uint16_t parent,
                 float position_x) {
    chunk_begin(w, 0xB002);
    node_id(w, id);
    chunk_node_header(w, name, parent);
    track(w, 0xB020, 1, {{0, 0, {position_x, 0, 0}}});
    chunk_end(w);
}

} // namespace

TEST(Keyframer, TracksReachTheObjectOfTheNodesNameInSceneAxes) {
    ChunkWriter w;
    write_mesh(w, "Box", triangle, {0, 1, 2});
    chunk_begin(w, 0xB000);
    chunk_begin(w, 0xB008);
    chunk_u32(w, 5);
    chunk_u32(w, 300);
    chunk_end(w);
    chunk_begin(w, 0xB002);
    node_id(w, 4);
    chunk_node_header(w, "Box", 0xFFFF);
    write_floats(w, 0xB013, {9, 9, 9}); // pivot: kept nowhere
    track(w, 0xB022, 1, {{0, 0, {9, 9, 9}}});
    track(w, 0xB020, 2, {{10, 0, {1, 2, 3}}, {65536 + 20, 0, {4, 5, 6}}});
    track(w, 0xB021, 1, {{7, 0, {0.5f, 1, 2, 3}}});
    track(w, 0xB024, 1, {{0, 0, {9}}});
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    EXPECT_EQ(scene->start_frame, 5u);
    EXPECT_EQ(scene->end_frame, 300u);
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.node_id, 4u);
    EXPECT_EQ(o.parent_id, 65535u);
    ASSERT_EQ(o.position_key_count, 2);
    EXPECT_EQ(o.position_frames[0], 10.0f);
    EXPECT_EQ(o.position_x[0], 1.0f);
    EXPECT_EQ(o.position_y[0], 3.0f);
    EXPECT_EQ(o.position_z[0], 2.0f);
    EXPECT_EQ(o.position_frames[1], 20.0f); // frame numbers keep their low 16 bits
    ASSERT_EQ(o.rotation_key_count, 1);
    EXPECT_EQ(o.rotation_frames[0], 7.0f);
    EXPECT_EQ(o.rotation_angle[0], 0.5f);
    EXPECT_EQ(o.rotation_axis_x[0], 1.0f);
    EXPECT_EQ(o.rotation_axis_y[0], 3.0f);
    EXPECT_EQ(o.rotation_axis_z[0], 2.0f);
}

TEST(Keyframer, NodesMatchNamesExactlyAndTheFirstOfTwins) {
    ChunkWriter w;
    write_mesh(w, "Twin", triangle, {0, 1, 2});
    write_mesh(w, "Twin", triangle, {0, 1, 2});
    write_mesh(w, "Solo", triangle, {0, 1, 2});
    chunk_begin(w, 0xB000);
    object_node(w, "$$$DUMMY", 1, 0xFFFF, 1);
    object_node(w, "Twin", 2, 1, 2);
    object_node(w, "twin", 3, 1, 3);
    object_node(w, "Twin", 4, 1, 4);
    object_node(w, "Solo", 5, 1, 5);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneObject* o = scene->objects;
    EXPECT_EQ(o[0].node_id, 4u); // both nodes named Twin land on the first
    EXPECT_EQ(o[0].position_x[0], 4.0f);
    EXPECT_EQ(o[1].node_id, 0u);
    EXPECT_EQ(o[1].position_key_count, 0);
    EXPECT_EQ(o[1].position_x, nullptr);
    EXPECT_EQ(o[2].node_id, 5u);
    EXPECT_EQ(o[2].parent_id, 1u);
    EXPECT_EQ(o[2].position_x[0], 5.0f);
}

TEST(Keyframer, KeyFlagsAndCountsDecideHowMuchIsRead) {
    ChunkWriter w;
    write_mesh(w, "Box", triangle, {0, 1, 2});
    chunk_begin(w, 0xB002);
    chunk_node_header(w, "Box", 0);
    track(w, 0xB020, 65536 + 4,
          {{1, 0x07, {9, 9, 9, 1, 1, 1}}, // tension, continuity, bias
           {2, 0x02, {9, 2, 2, 2}},       // continuity only
           {3, 0x18, {9, 9, 3, 3, 3}},    // ease to, ease from
           {4, 0x20, {4, 4, 4}}});        // no float for higher bits
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneObject& o = scene->objects[0];
    ASSERT_EQ(o.position_key_count, 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(o.position_frames[k], (float)(k + 1));
        EXPECT_EQ(o.position_x[k], (float)(k + 1)) << "key " << k;
        EXPECT_EQ(o.position_y[k], (float)(k + 1)) << "key " << k;
    }
}

TEST(Keyframer, LongNodeNamesKeepSixtyThreeCharacters) {
    const std::string name63(63, 'k');
    ChunkWriter w;
    write_mesh(w, name63, triangle, {0, 1, 2});
    chunk_begin(w, 0xB002);
    chunk_begin(w, 0xB010);
    chunk_raw(w, name63.data(), 63);
    chunk_u8(w, 'X');  // the 64th character is lost
    chunk_u32(w, 0);   // flag words
    chunk_u16(w, 321); // parent
    chunk_end(w);
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    EXPECT_EQ(scene->objects[0].parent_id, 321u);

    ChunkWriter cut;
    chunk_begin(cut, 0xB010);
    chunk_raw(cut, "Unfinished", 10);
    chunk_end(cut);
    EXPECT_EQ(load_written(cut), nullptr);
    EXPECT_NE(std::string(scene_load_error()).find("chunk 0xB010 at offset 0: node name cut short"),
              std::string::npos);
}

TEST(Keyframer, CameraAndTargetNodesFillTheCamerasTracks) {
    ChunkWriter w;
    chunk_begin(w, 0x4000);
    chunk_name(w, "Cam");
    write_floats(w, 0x4700, {0, 0, 0, 0, 0, 0, 0, 50});
    chunk_end(w);
    chunk_begin(w, 0xB003);
    chunk_node_header(w, "Cam", 0xFFFF);
    track(w, 0xB020, 1, {{0, 0, {1, 2, 3}}});
    track(w, 0xB021, 1, {{0, 0, {1, 1, 1, 1}}}); // cameras keep no rotation
    chunk_end(w);
    chunk_begin(w, 0xB004);
    chunk_node_header(w, "Cam", 0xFFFF);
    track(w, 0xB020, 2, {{0, 0, {4, 5, 6}}, {9, 0, {7, 8, 9}}});
    chunk_end(w);
    // A light node inherits the kind of the node before it.
    chunk_begin(w, 0xB005);
    chunk_node_header(w, "Cam", 0xFFFF);
    track(w, 0xB020, 3, {{0, 0, {0, 0, 0}}, {1, 0, {0, 0, 0}}, {2, 0, {0, 0, 0}}});
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_load_error();
    const SceneCamera& c = scene->cameras[0];
    ASSERT_EQ(c.position_key_count, 1);
    EXPECT_EQ(c.position_y[0], 3.0f);
    ASSERT_EQ(c.target_key_count, 3);
    EXPECT_EQ(c.matrix.m[14], 2.0f); // built from the position key
}

TEST(Keyframer, StateStartsAfreshWithEveryLoadButCarriesFromCountingToFilling) {
    // Without a node id chunk a node takes the last number read, which the
    // counting pass leaves at the file's last one.
    ChunkWriter ids;
    write_mesh(ids, "A", triangle, {0, 1, 2});
    write_mesh(ids, "B", triangle, {0, 1, 2});
    chunk_begin(ids, 0xB002);
    chunk_node_header(ids, "A", 0xFFFF);
    chunk_end(ids);
    object_node(ids, "B", 7, 0xFFFF, 0);
    ScenePtr first = load_written(ids);
    ASSERT_NE(first, nullptr) << scene_load_error();
    EXPECT_EQ(first->objects[0].node_id, 7u);

    // A file that ends with a camera node, then one whose only node is an
    // ambient node: its tracks must not follow the first file's camera kind.
    ChunkWriter ends_with_camera;
    chunk_empty(ends_with_camera, 0xB003);
    ASSERT_NE(load_written(ends_with_camera), nullptr);

    ChunkWriter ambient_only;
    chunk_begin(ambient_only, 0x4000);
    chunk_name(ambient_only, "Cam");
    write_floats(ambient_only, 0x4700, {0, 0, 0, 0, 0, 0, 0, 50});
    chunk_end(ambient_only);
    chunk_begin(ambient_only, 0xB001);
    chunk_node_header(ambient_only, "Cam", 0xFFFF);
    track(ambient_only, 0xB020, 1, {{0, 0, {1, 2, 3}}});
    chunk_end(ambient_only);
    ScenePtr second = load_written(ambient_only);
    ASSERT_NE(second, nullptr) << scene_load_error();
    EXPECT_EQ(second->cameras[0].position_key_count, 0);
}
