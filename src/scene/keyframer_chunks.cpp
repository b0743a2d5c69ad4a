// Handlers of the keyframer section: nodes find their object or camera by
// name, and the position and rotation tracks are stored key by key into it.
#include <cstdlib>

#include "scene/loader.h"

namespace {

bool walk_node(ByteReader& in, int64_t end, NodeKind kind) {
    keyframer.current_node_kind = kind;
    return chunk_walk(in, end);
}

uint16_t read_track_header(ByteReader& in) {
    uint8_t header[14]; // flags, reserved, then a 32-bit key count of which 16 bits count
    size_t got = read_bytes(in, header, 14);
    return got >= 12 ? le16(header + 10) : 0;
}

// The key's frame, after consuming its optional floats: one for each of the
// flag bits 0 to 4 (tension, continuity, bias, ease to, ease from).
uint16_t read_key_header(ByteReader& in) {
    uint16_t frame = read_u16(in);
    read_u16(in); // high half of the frame number
    uint16_t flags = read_u16(in);
    for (int bit = 0; bit <= 4; ++bit) {
        if (flags & (1u << bit)) read_f32(in);
    }
    return frame;
}

// A track of several float arrays, one entry per key, about to be stored.
struct TrackTarget {
    int32_t* key_count;
    float** arrays[5];
    int array_count;
};

bool node_index_valid(int32_t count) {
    return keyframer.current_node_index >= 0 && keyframer.current_node_index < count;
}

TrackTarget position_track_target() {
    TrackTarget none{nullptr, {}, 0};
    if (loader.counting_pass) return none;
    Scene* s = loader.loading_scene;
    switch (keyframer.current_node_kind) {
    case NODE_OBJECT_HEADER_READ: {
        if (!node_index_valid(s->object_count)) return none;
        SceneObject& o = s->objects[keyframer.current_node_index];
        return {&o.position_key_count,
                {&o.position_frames, &o.position_x, &o.position_y, &o.position_z},
                4};
    }
    case NODE_CAMERA: {
        if (!node_index_valid(s->camera_count)) return none;
        SceneCamera& c = s->cameras[keyframer.current_node_index];
        return {&c.position_key_count,
                {&c.position_frames, &c.position_x, &c.position_y, &c.position_z},
                4};
    }
    case NODE_TARGET: {
        if (!node_index_valid(s->camera_count)) return none;
        SceneCamera& c = s->cameras[keyframer.current_node_index];
        return {&c.target_key_count, {&c.target_frames, &c.target_x, &c.target_y, &c.target_z}, 4};
    }
    default:
        return none;
    }
}

TrackTarget rotation_track_target() {
    TrackTarget none{nullptr, {}, 0};
    Scene* s = loader.loading_scene;
    if (loader.counting_pass || keyframer.current_node_kind != NODE_OBJECT_HEADER_READ ||
        !node_index_valid(s->object_count))
        return none;
    SceneObject& o = s->objects[keyframer.current_node_index];
    return {&o.rotation_key_count,
            {&o.rotation_frames, &o.rotation_angle, &o.rotation_axis_x, &o.rotation_axis_y,
             &o.rotation_axis_z},
            5};
}

// A second track of the same kind replaces the first.
bool allocate_track(const TrackTarget& track, uint16_t key_count) {
    *track.key_count = key_count;
    for (int i = 0; i < track.array_count; ++i) {
        std::free(*track.arrays[i]);
        *track.arrays[i] = nullptr;
    }
    for (int i = 0; i < track.array_count; ++i) {
        *track.arrays[i] = (float*)allocate_array(key_count, sizeof(float), "track");
        if (!*track.arrays[i]) return false;
    }
    keyframer.key_slot = 0;
    return true;
}

// Reads key_count keys of value_count floats; values[k] goes to array
// order[k] of the track, which swaps the file's y and z into scene axes.
bool read_track(ByteReader& in, const TrackTarget& track, int value_count, const int* order) {
    uint16_t key_count = read_track_header(in);
    if (!track.key_count) return true; // not stored: every key would be dropped
    if (!allocate_track(track, key_count)) return false;
    float values[4];
    for (uint32_t k = 0; k < key_count; ++k) {
        uint16_t frame = read_key_header(in);
        read_f32_values(in, values, (size_t)value_count);
        int32_t slot = keyframer.key_slot++;
        (*track.arrays[0])[slot] = (float)frame;
        for (int v = 0; v < value_count; ++v)
            (*track.arrays[order[v]])[slot] = values[v];
    }
    return true;
}

} // namespace

bool read_object_node(ByteReader& in, int64_t end) {
    return walk_node(in, end, NODE_OBJECT_PENDING);
}
bool read_camera_node(ByteReader& in, int64_t end) {
    return walk_node(in, end, NODE_CAMERA);
}
bool read_target_node(ByteReader& in, int64_t end) {
    return walk_node(in, end, NODE_TARGET);
}

bool read_segment(ByteReader& in, int64_t) {
    loader.loading_scene->start_frame = read_u32(in);
    loader.loading_scene->end_frame = read_u32(in);
    return true;
}

bool read_node_id(ByteReader& in, int64_t) {
    keyframer.current_node_id = read_u16(in);
    return true;
}

bool read_node_header(ByteReader& in, int64_t) {
    if (read_name(in, keyframer.node_name).cut_short)
        return loader_fail("node name cut short by the end of the file");
    read_u32(in); // two flag words
    uint16_t parent = read_u16(in);
    if (loader.counting_pass) return true;

    Scene* s = loader.loading_scene;
    if (keyframer.current_node_kind == NODE_OBJECT_PENDING) {
        int32_t index =
            find_by_name(keyframer.node_name, s->objects, loader.next_object, loader.object_index);
        keyframer.current_node_index = index;
        if (index >= 0) {
            s->objects[index].node_id = keyframer.current_node_id;
            s->objects[index].parent_id = parent;
        }
        keyframer.current_node_kind = NODE_OBJECT_HEADER_READ;
    } else {
        keyframer.current_node_index =
            find_by_name(keyframer.node_name, s->cameras, loader.next_camera, loader.camera_index);
    }
    return true;
}

bool read_position_track(ByteReader& in, int64_t) {
    static const int order[3] = {1, 3, 2}; // x, then the file's y into z and z into y
    return read_track(in, position_track_target(), 3, order);
}

bool read_rotation_track(ByteReader& in, int64_t) {
    static const int order[4] = {1, 2, 4, 3}; // angle, axis x, axis y and z swapped
    return read_track(in, rotation_track_target(), 4, order);
}
