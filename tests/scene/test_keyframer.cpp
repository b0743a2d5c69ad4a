// Keyframer nodes find their records by name and store their tracks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene_files.h"

namespace {

const std::vector<float> triangle = {0, 0, 0, 0, 1, 0, 1, 0, 0};

} // namespace

TEST(Keyframer, TracksReachTheObjectOfTheNodesNameInSceneAxes) {
    ChunkWriter w;
    chunk_mesh_object(w, "Box", triangle, {0, 1, 2});
    chunk_begin(w, CHUNK_SEGMENT);
    chunk_u32(w, 5);
    chunk_u32(w, 300);
    chunk_end(w);
    chunk_begin(w, CHUNK_OBJECT_NODE);
    chunk_node_header(w, "Box", 0xFFFF);
    write_floats(w, CHUNK_PIVOT, {9, 9, 9}); // pivot: kept nowhere
    write_track(w, CHUNK_SCALE_TRACK, 1, {{0, 0, {9, 9, 9}}});
    write_track(w, CHUNK_POSITION_TRACK, 2, {{10, 0, {1, 2, 3}}, {65536 + 20, 0, {4, 5, 6}}});
    write_track(w, CHUNK_ROTATION_TRACK, 1, {{7, 0, {0.5f, 1, 2, 3}}});
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    EXPECT_EQ(scene->start_frame, 5u);
    EXPECT_EQ(scene->end_frame, 300u);
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.parent_id, 65535u);
    ASSERT_EQ(o.position_key_count, 2);
    expect_floats(o.position_frames, {10, 20}); // frame numbers keep their low 16 bits
    expect_floats(o.position_x, {1, 4});
    expect_floats(o.position_y, {3, 6});
    expect_floats(o.position_z, {2, 5});
    ASSERT_EQ(o.rotation_key_count, 1);
    const float rotation[5] = {o.rotation_frames[0], o.rotation_angle[0], o.rotation_axis_x[0],
                               o.rotation_axis_y[0], o.rotation_axis_z[0]};
    expect_floats(rotation, {7, 0.5f, 1, 3, 2});
}

TEST(Keyframer, NodesMatchNamesExactlyAndTheFirstOfTwins) {
    ChunkWriter w;
    for (const char* name : {"Twin", "Twin", "Solo"})
        chunk_mesh_object(w, name, triangle, {0, 1, 2});
    write_node(w, CHUNK_OBJECT_NODE, "$$$DUMMY", 1, 0xFFFF, {1, 0, 0});
    write_node(w, CHUNK_OBJECT_NODE, "Twin", 2, 1, {2, 0, 0});
    write_node(w, CHUNK_OBJECT_NODE, "twin", 3, 1, {3, 0, 0});
    write_node(w, CHUNK_OBJECT_NODE, "Twin", 4, 1, {4, 0, 0});
    write_node(w, CHUNK_OBJECT_NODE, "Solo", 5, 1, {5, 0, 0});

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneObject* o = scene->objects;
    EXPECT_EQ(o[0].node_id, 4u); // both nodes named Twin land on the first
    EXPECT_EQ(o[0].position_x[0], 4.0f);
    EXPECT_EQ(o[1].node_id, 0u);
    EXPECT_EQ(o[1].position_x, nullptr);
    EXPECT_EQ(o[2].node_id, 5u);
    EXPECT_EQ(o[2].parent_id, 1u);
    EXPECT_EQ(o[2].position_x[0], 5.0f);
}

TEST(Keyframer, KeyFlagsCountsAndLongNamesDecideWhatIsRead) {
    const std::string name63(63, 'k');
    ChunkWriter w;
    chunk_mesh_object(w, name63, triangle, {0, 1, 2});
    chunk_begin(w, CHUNK_OBJECT_NODE);
    chunk_begin(w, CHUNK_NODE_HEADER);
    chunk_raw(w, name63.data(), 63);
    chunk_u8(w, 'X');  // the 64th character is lost
    chunk_u32(w, 0);   // flag words
    chunk_u16(w, 321); // parent
    chunk_end(w);
    write_track(w, CHUNK_POSITION_TRACK, 65536 + 4,
                {{1, 0x07, {9, 9, 9, 1, 1, 1}}, // tension, continuity, bias
                 {2, 0x02, {9, 2, 2, 2}},       // continuity only
                 {3, 0x18, {9, 9, 3, 3, 3}},    // ease to, ease from
                 {4, 0x20, {4, 4, 4}}});        // no float for the higher bits
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneObject& o = scene->objects[0];
    EXPECT_EQ(o.parent_id, 321u);
    ASSERT_EQ(o.position_key_count, 4);
    expect_floats(o.position_x, {1, 2, 3, 4});
    expect_floats(o.position_y, {1, 2, 3, 4});

    ChunkWriter cut;
    chunk_begin(cut, CHUNK_NODE_HEADER);
    chunk_raw(cut, "Unfinished", 10);
    chunk_end(cut);
    EXPECT_TRUE(fails_with(cut, "chunk 0xB010 at offset 0: node name cut short"));
}

TEST(Keyframer, StateStartsAfreshWithEveryLoadButCarriesFromCountingToFilling) {
    // Without a node id chunk a node takes the last number read, which the
    // counting pass leaves at the file's last one.
    ChunkWriter ids;
    chunk_mesh_object(ids, "A", triangle, {0, 1, 2});
    chunk_mesh_object(ids, "B", triangle, {0, 1, 2});
    write_node(ids, CHUNK_OBJECT_NODE, "A", -1, 0xFFFF, {0, 0, 0});
    write_node(ids, CHUNK_OBJECT_NODE, "B", 7, 0xFFFF, {0, 0, 0});
    ScenePtr first = load_written(ids);
    ASSERT_NE(first, nullptr) << scene_error();
    EXPECT_EQ(first->objects[0].node_id, 7u);

    // A file ending with a camera node, then one whose only node is an ambient
    // node: its tracks must not follow the first file's camera kind.
    ChunkWriter ends_with_camera;
    chunk_empty(ends_with_camera, CHUNK_CAMERA_NODE);
    ASSERT_NE(load_written(ends_with_camera), nullptr);
    ChunkWriter ambient_only;
    write_named(ambient_only, "Cam", CHUNK_CAMERA, {0, 0, 0, 0, 0, 0, 0, 50});
    write_node(ambient_only, CHUNK_AMBIENT_NODE, "Cam", -1, 0xFFFF, {1, 0, 0});
    ScenePtr second = load_written(ambient_only);
    ASSERT_NE(second, nullptr) << scene_error();
    EXPECT_EQ(second->cameras[0].position_key_count, 0);
}
