// Inside the scene loader: the chunk walk and its table, the program-wide
// loader state the chunk handlers share, the readers they use and the
// post-processing that completes a loaded scene. Only src/scene and its tests
// include this header; everyone else uses scene.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/chunk_ids.h"
#include "scene/scene.h"

// --- Chunk walk ---------------------------------------------------------------

// The whole file in memory and the place the walk has reached. The position
// may lie past the end, where a chunk's length points; nothing is read there.
struct ByteReader {
    const uint8_t* data;
    int64_t size;
    int64_t position;
};

// Called with the reader just after a chunk's 6-byte header and the file
// position of the chunk's end. Returns true to go on, false (with the reason
// set) to abort the whole load.
using ChunkHandler = bool (*)(ByteReader& in, int64_t end);

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
// Walks the chunks from the reader's position up to end; false at the first
// failure.
bool chunk_walk(ByteReader& in, int64_t end);

// --- Loader state -------------------------------------------------------------

// Names looked up in constant time (name_index.cpp). A name keeps the first
// position added under it.
struct NameSlot {
    const char* name; // not owned; null when the slot is empty
    int32_t position;
};
struct NameIndex {
    NameSlot* slots; // at least one is empty
    uint32_t mask;   // the slot count - 1, the count a power of two
    int32_t added;   // names at positions [0 .. added) have been offered
};

// A chunk being walked: its id and the file offset of its header.
struct ChunkPlace {
    uint32_t id;
    int64_t offset;
};

struct LoaderState {
    Scene* loading_scene;
    bool counting_pass;
    char name_buffer[64]; // last name of a named object or material name chunk
    int32_t next_object, next_camera, next_light, next_material;
    SceneObject* current_object;
    SceneLight* current_light;
    // The filling pass's names: of the records filled so far, and of
    // material_names (all the file's materials).
    NameIndex object_index, camera_index, light_index, material_index, material_name_index;

    // Every material's name in file order, kept by the counting pass, so that
    // face material lists also find the materials written after them.
    char** material_names;
    int32_t material_name_count, material_name_capacity;
    // The material named in the material block at block_offset: the colour
    // chunks of that block's diffuse colour chunk give it its colour.
    SceneMaterial* block_material;
    int64_t block_offset;

    // Bookkeeping of the walk, for its guards and for the failure reason.
    const char* file_name;
    int64_t array_bytes_left; // for the vertex, face and track arrays
    int32_t depth;            // level of the chunks being walked; top level is 1
    int64_t headers_left;     // chunk headers this pass may still read
    uint32_t chunk_id;        // chunk whose handler runs
    int64_t chunk_offset;     // file offset of that chunk
    // The chunks enclosing the one whose handler runs, by level: [depth] is
    // that chunk, [depth - 1] its parent, down to [1] at the top level.
    ChunkPlace chunk_path[MAX_CHUNK_DEPTH + 1];
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

// The text with bytes outside printable ASCII written as \xHH, cut to fit the
// buffer, for messages.
const char* printable_text(const char* text, char* buffer, size_t buffer_size);

// Vertex arrays replaced by a second vertex list stay alive: faces read
// before may still point into them. The Scene frees them with itself.
bool loader_retire_block(void* block);

// --- Reading ------------------------------------------------------------------
// A value cut short by the end of the file reads as 0, the whole value.

// Little-endian values from bytes already read.
inline uint16_t le16(const uint8_t* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Copies up to count bytes, fewer at the end of the file; returns how many.
size_t read_bytes(ByteReader& in, uint8_t* out, size_t count);
uint16_t read_u16(ByteReader& in);
uint32_t read_u32(ByteReader& in);
float read_f32(ByteReader& in);
void read_f32_values(ByteReader& in, float* out, size_t count);
void read_u16_values(ByteReader& in, uint16_t* out, size_t count);
// Moves on by count bytes, stopping at the end of the file, as reading them would.
void skip_bytes(ByteReader& in, uint64_t count);

struct NameRead {
    int32_t length;
    bool cut_short; // the end of the file came before the NUL and before 63 characters
};
// Reads one NUL-terminated name of at most 63 characters into destination.
NameRead read_name(ByteReader& in, char destination[64]);

// --- Names ----------------------------------------------------------------------

// A heap copy of exactly the name's length plus one byte, or null.
char* copy_name(const char* name);
// Gives a new record its name: a copy of name_buffer. False, with the reason
// set, when the copy cannot be allocated; kind names the record in the reason
// ("a light").
bool name_record(char*& name, const char* kind);

// Indexes for what the counting pass found; false, with the reason set, when
// they cannot be allocated. name_indexes_free gives them back.
bool name_indexes_allocate(const Scene& s);
void name_indexes_free();
// Adds name at position unless the index holds the name already.
void name_index_add(NameIndex& index, const char* name, int32_t position);
// The first position added under name, or -1.
int32_t name_index_find(const NameIndex& index, const char* name);

// The first position below count whose name (name_at(position), null for a
// record without one) equals name byte for byte, or -1. The names at
// positions the index has not seen yet are offered first: the lists grow as
// they are filled, in order, and never change what they hold, so the index
// keeps the right position for each name.
template <typename NameAt>
int32_t name_index_lookup(NameIndex& index, const char* name, int32_t count, NameAt name_at) {
    for (; index.added < count; ++index.added)
        if (const char* added = name_at(index.added)) name_index_add(index, added, index.added);
    return name_index_find(index, name);
}

// First record, in array order, whose name is set and equals name, among the
// filled records[0 .. filled); -1 when none is.
template <typename Record>
int32_t find_by_name(const char* name, const Record* records, int32_t filled, NameIndex& index) {
    return name_index_lookup(index, name, filled,
                             [records](int32_t i) -> const char* { return records[i].name; });
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

// --- Materials ------------------------------------------------------------------

// Counting pass: keeps a copy of name_buffer as the name of the material just
// counted. False, with the reason set, when out of memory.
bool loader_keep_material_name();
// Index of the first material of the whole file named name, or -1.
int32_t loader_find_material(const char* name);
void loader_release_material_names();
// Filling pass: the material block enclosing the material name chunk being
// read now belongs to material.
void loader_enter_material_block(SceneMaterial* material);
// A float colour chunk 0x0010 of the filling pass: when it lies in a material's
// diffuse colour chunk that has no colour yet, rgb (0..1) becomes its colour.
void loader_take_float_diffuse(const float rgb[3], int64_t end);

// --- Chunk handlers -------------------------------------------------------------

bool read_named_object(ByteReader& in, int64_t end);
bool read_triangle_mesh(ByteReader& in, int64_t end);
bool read_vertex_list(ByteReader& in, int64_t end);
bool read_face_list(ByteReader& in, int64_t end);
bool read_face_material(ByteReader& in, int64_t end);
bool read_mapping_coordinates(ByteReader& in, int64_t end);
bool read_smoothing_groups(ByteReader& in, int64_t end);
bool read_local_matrix(ByteReader& in, int64_t end);
bool read_two_sided(ByteReader& in, int64_t end);
bool read_material_name(ByteReader& in, int64_t end);
bool read_byte_colour(ByteReader& in, int64_t end);

bool read_light(ByteReader& in, int64_t end);
bool read_float_colour(ByteReader& in, int64_t end);
bool read_spotlight(ByteReader& in, int64_t end);
bool read_light_inner_range(ByteReader& in, int64_t end);
bool read_light_outer_range(ByteReader& in, int64_t end);
bool read_light_multiplier(ByteReader& in, int64_t end);
bool read_light_off(ByteReader& in, int64_t end);
bool read_light_ray_shadows(ByteReader& in, int64_t end);
bool read_camera(ByteReader& in, int64_t end);

bool read_object_node(ByteReader& in, int64_t end);
bool read_camera_node(ByteReader& in, int64_t end);
bool read_target_node(ByteReader& in, int64_t end);
bool read_segment(ByteReader& in, int64_t end);
bool read_node_id(ByteReader& in, int64_t end);
bool read_node_header(ByteReader& in, int64_t end);
bool read_position_track(ByteReader& in, int64_t end);
bool read_rotation_track(ByteReader& in, int64_t end);

// --- Post-processing ------------------------------------------------------------

// Plane of a face from its corners; a face without area gets (0, 0, 0, 0).
Plane scene_compute_face_plane(const SceneFace& face);
// Sums, for every vertex, the planes of the face corners at its exact position,
// in face order then corner order, and normalises; a zero sum gives (0, 0, 0).
// Linear time; false when its scratch memory cannot be allocated.
bool scene_compute_vertex_normals(SceneObject& object);
// Positions compared exactly, in a table that gives each distinct one a group
// number in the order they are first added.
struct PositionKey {
    uint32_t bits[3];
};
struct PositionTable {
    PositionKey* keys;
    int32_t* groups; // -1 marks an empty slot
    uint32_t mask;
    int32_t group_count;
};
// False for a position with a NaN, which equals no other.
bool position_key(const SceneVertex& v, PositionKey& key);
// Room for entries positions; false when out of memory.
bool position_table_create(PositionTable& table, uint32_t entries);
void position_table_free(PositionTable& table);
// The slot of key: where it is, or the empty slot where it belongs.
uint32_t position_table_slot(const PositionTable& table, const PositionKey& key);
// The group of v's position, new if it is not there yet; -1 for a NaN.
int32_t position_table_add(PositionTable& table, const SceneVertex& v);
// Camera placement from the first position key and the first target key.
void scene_build_camera_matrix(SceneCamera& camera);
