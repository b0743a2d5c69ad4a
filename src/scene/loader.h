// Inside the scene loader: the chunk walk and its table, the program-wide
// loader state the chunk handlers share, the readers they use and the
// post-processing that completes a loaded scene. Only src/scene and its tests
// include this header; everyone else uses scene.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "scene/chunk_ids.h"
#include "scene/scene.h"

// --- Chunk walk ---------------------------------------------------------------

// Called with the stream just after a chunk's 6-byte header and the file
// position of the chunk's end. Returns true to go on, false (with the reason
// set) to abort the whole load.
using ChunkHandler = bool (*)(FILE* stream, int64_t end);

struct ChunkTableRow {
    uint32_t id;          // a CHUNK_ id; only the low 16 bits are compared
    bool has_subchunks;   // after the handler, walk the rest of the chunk as sub-chunks
    ChunkHandler handler; // may be null
};

extern const ChunkTableRow chunk_table[];
extern const int CHUNK_TABLE_SIZE;
constexpr int MAX_CHUNK_DEPTH = 64;

// Index of the row whose id equals chunk_id, or -1.
int chunk_find(uint32_t chunk_id);
// Walks the chunks from the stream's position up to end; false at the first
// failure.
bool chunk_walk(FILE* stream, int64_t end);

// --- Loader state -------------------------------------------------------------

// The names of the filled records of one kind, for lookups in constant time: a
// small file of overlapping chunks can hold tens of thousands of records and
// look names up as often, and a search of the whole array each time took
// minutes.
struct NameIndex {
    int32_t* slots;  // record index + 1, or 0 when empty; at least one is empty
    uint32_t mask;   // the slot count - 1, the count a power of two
    int32_t indexed; // records[0 .. indexed) have been added
};

struct LoaderState {
    Scene* loading_scene;
    bool counting_pass;
    char name_buffer[64]; // last name of a named object or material name chunk
    int32_t next_object, next_camera, next_light, next_material;
    SceneObject* current_object;
    SceneLight* current_light;
    NameIndex object_names, camera_names, light_names, material_names; // filling pass

    // Bookkeeping of the walk, for its guards and for the failure reason.
    const char* file_name;
    int64_t file_size;
    int64_t array_bytes_left; // for the vertex, face and track arrays
    int32_t depth;            // level of the chunks being walked; top level is 1
    int64_t headers_left;     // chunk headers this pass may still read
    uint32_t chunk_id;        // chunk whose handler runs
    int64_t chunk_offset;     // file offset of that chunk
};
extern LoaderState loader;

enum NodeKind : int32_t {
    NODE_OBJECT_PENDING = 0,
    NODE_TARGET = 2,
    NODE_CAMERA = 3,
    NODE_OBJECT_HEADER_READ = 4,
};

struct KeyframerState {
    int32_t current_node_kind; // a NodeKind
    int32_t current_node_index;
    uint32_t current_node_id;
    int32_t key_slot;
    char node_name[64];
};
extern KeyframerState keyframer;

// Sets the failure reason to "<file>: chunk 0xID at offset N: <message>" for
// the chunk whose handler runs, and returns false.
bool loader_fail(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// The same for a failure of the walk itself at a file offset.
bool loader_fail_at(int64_t offset, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Vertex arrays replaced by a second vertex list stay alive: faces read
// before may still point into them. The Scene frees them with itself.
bool loader_retire_block(void* block);

// --- Reading ------------------------------------------------------------------
// A value cut short by the end of the file reads as 0, the whole value.

int64_t stream_tell(FILE* stream);
bool stream_seek(FILE* stream, int64_t position);

// Little-endian values from bytes already read.
inline uint16_t le16(const uint8_t* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

uint16_t read_u16(FILE* stream);
uint32_t read_u32(FILE* stream);
float read_f32(FILE* stream);
void read_f32_values(FILE* stream, float* out, size_t count);
void read_u16_values(FILE* stream, uint16_t* out, size_t count);
// Moves on by count bytes, stopping at the end of the file, as reading them would.
void skip_bytes(FILE* stream, uint64_t count);

struct NameRead {
    int32_t length;
    bool cut_short; // the end of the file came before the NUL and before 63 characters
};
// Reads one NUL-terminated name of at most 63 characters into destination.
NameRead read_name(FILE* stream, char destination[64]);
// A heap copy of exactly the name's length plus one byte, or null.
char* copy_name(const char* name);
// Gives a new record its name: a copy of name_buffer. False, with the reason
// set, when the copy cannot be allocated; kind names the record in the reason
// ("a light").
bool name_record(char*& name, const char* kind);
// The text with bytes outside printable ASCII written as \xHH, cut to fit the
// buffer, for messages.
const char* printable_text(const char* text, char* buffer, size_t buffer_size);

// Indexes for the records that the counting pass found; false, with the reason
// set, when they cannot be allocated. name_indexes_free gives them back.
bool name_indexes_allocate(const Scene& s);
void name_indexes_free();
uint32_t name_hash(const char* name);

// The slot that holds name, or the empty slot where it would go.
template <typename Record>
uint32_t name_slot(const NameIndex& index, const Record* records, const char* name) {
    uint32_t slot = name_hash(name) & index.mask;
    while (index.slots[slot] != 0 && std::strcmp(records[index.slots[slot] - 1].name, name) != 0)
        slot = (slot + 1) & index.mask;
    return slot;
}

// First record, in array order, whose name is set and equals name byte for
// byte, among the filled records[0 .. filled); -1 when none is. Records are
// named as they are filled, in array order, and never renamed, so the first
// record added under a name is the one.
template <typename Record>
int32_t find_by_name(const char* name, const Record* records, int32_t filled, NameIndex& index) {
    for (; index.indexed < filled; ++index.indexed) {
        const char* added = records[index.indexed].name;
        if (!added) continue;
        uint32_t slot = name_slot(index, records, added);
        if (index.slots[slot] == 0) index.slots[slot] = index.indexed + 1;
    }
    return index.slots[name_slot(index, records, name)] - 1;
}

// One more record of a kind (objects, cameras, lights or materials), in
// records[0 .. count): the counting pass counts it, the filling pass sets record
// to the next one to fill. False, with the reason set, when there is none;
// record stays null unless a record is to be filled.
template <typename Record>
bool take_record(Record* records, int32_t& count, int32_t& next, const char* kinds,
                 Record*& record) {
    record = nullptr;
    if (loader.counting_pass) {
        if (count == INT32_MAX) return loader_fail("too many %s", kinds);
        ++count;
        return true;
    }
    if (next >= count) return loader_fail("more %s than the counting pass found", kinds);
    record = &records[next++];
    return true;
}

// Allocation of count records of size bytes, cleared; never null for count 0.
void* allocate_cleared(size_t count, size_t size);
// The same for the vertex, face and track arrays of the filling pass, within a
// budget that well-formed files never reach: a list count claims up to 65535
// records from two bytes, and a small file repeating such lists would
// otherwise take gigabytes. Null, with the reason set, when it fails.
void* allocate_array(size_t count, size_t size, const char* what);

// --- Chunk handlers -------------------------------------------------------------

bool read_named_object(FILE* stream, int64_t end);
bool read_triangle_mesh(FILE* stream, int64_t end);
bool read_vertex_list(FILE* stream, int64_t end);
bool read_face_list(FILE* stream, int64_t end);
bool read_face_material(FILE* stream, int64_t end);
bool read_mapping_coordinates(FILE* stream, int64_t end);
bool read_smoothing_groups(FILE* stream, int64_t end);
bool read_local_matrix(FILE* stream, int64_t end);
bool read_material_name(FILE* stream, int64_t end);

bool read_light(FILE* stream, int64_t end);
bool read_float_colour(FILE* stream, int64_t end);
bool read_spotlight(FILE* stream, int64_t end);
bool read_light_inner_range(FILE* stream, int64_t end);
bool read_light_outer_range(FILE* stream, int64_t end);
bool read_light_multiplier(FILE* stream, int64_t end);
bool read_light_off(FILE* stream, int64_t end);
bool read_light_ray_shadows(FILE* stream, int64_t end);
bool read_camera(FILE* stream, int64_t end);

bool read_object_node(FILE* stream, int64_t end);
bool read_camera_node(FILE* stream, int64_t end);
bool read_target_node(FILE* stream, int64_t end);
bool read_segment(FILE* stream, int64_t end);
bool read_node_id(FILE* stream, int64_t end);
bool read_node_header(FILE* stream, int64_t end);
bool read_position_track(FILE* stream, int64_t end);
bool read_rotation_track(FILE* stream, int64_t end);

// --- Post-processing ------------------------------------------------------------

// Plane of a face from its corners; a face without area gets (0, 0, 0, 0).
Plane scene_compute_face_plane(const SceneFace& face);
// Sums, for every vertex, the planes of the face corners at its exact position,
// in face order then corner order, and normalises; a zero sum gives (0, 0, 0).
// Linear time; false when its scratch memory cannot be allocated.
bool scene_compute_vertex_normals(SceneObject& object);
// Camera placement from the first position key and the first target key.
void scene_build_camera_matrix(SceneCamera& camera);
