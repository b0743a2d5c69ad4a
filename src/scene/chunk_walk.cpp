// The recursive chunk walk and the table of the chunk ids the loader knows.
#include "scene/loader.h"

namespace {

// Chunks whose data nobody keeps: versions, scales, percentages, gamma-corrected
// 24-bit colours, vertex flags, map file names and parameters, the keyframer's pivot
// and its scale, field-of-view, roll and colour tracks. The walk moves to the
// chunk's end after its handler (or walks its sub-chunks), so reading their
// data first would change nothing.
bool ignore_chunk(ByteReader&, int64_t) {
    return true;
}

// Whether the walk goes on into the rest of the chunk as sub-chunks.
constexpr bool SUBCHUNKS = true;
constexpr bool LEAF = false;

} // namespace

const ChunkTableRow chunk_table[] = {
    {CHUNK_VERSION, LEAF, ignore_chunk},                   // file version
    {CHUNK_COLOR_F, LEAF, read_float_colour},              // colour as three floats: a light's
    {CHUNK_COLOR_24, LEAF, read_byte_colour},              // colour as three bytes: a material's
    {CHUNK_COLOR_24_GAMMA, LEAF, ignore_chunk},            // gamma-corrected colour as three bytes
    {CHUNK_COLOR_F_GAMMA, LEAF, read_float_colour},        // gamma-corrected colour as three floats
    {CHUNK_PERCENT_INT, LEAF, ignore_chunk},               // percentage as an integer
    {CHUNK_PERCENT_F, LEAF, ignore_chunk},                 // percentage as a float
    {CHUNK_MASTER_SCALE, LEAF, ignore_chunk},              // units of the scene
    {CHUNK_UNKNOWN_C23D, SUBCHUNKS, nullptr},              // unknown; its sub-chunks are walked
    {CHUNK_UNKNOWN_3DAA, SUBCHUNKS, nullptr},              // unknown; its sub-chunks are walked
    {CHUNK_MESH_VERSION, LEAF, ignore_chunk},              // version of the editor section
    {CHUNK_MAIN, SUBCHUNKS, nullptr},                      // the whole file
    {CHUNK_EDITOR, SUBCHUNKS, nullptr},                    // editor section: objects and materials
    {CHUNK_BACKGROUND_COLOR, SUBCHUNKS, nullptr},          // background colour
    {CHUNK_AMBIENT_LIGHT, SUBCHUNKS, nullptr},             // ambient light colour
    {CHUNK_NAMED_OBJECT, SUBCHUNKS, read_named_object},    // an object's name, then its kind
    {CHUNK_TRIANGLE_MESH, SUBCHUNKS, read_triangle_mesh},  // a mesh object
    {CHUNK_VERTEX_LIST, LEAF, read_vertex_list},           // a mesh's vertex positions
    {CHUNK_VERTEX_FLAGS, LEAF, ignore_chunk},              // a mesh's vertex flags
    {CHUNK_FACE_LIST, SUBCHUNKS, read_face_list},          // a mesh's faces, then their materials
    {CHUNK_FACE_MATERIAL, LEAF, read_face_material},       // faces of one material
    {CHUNK_MAPPING, LEAF, read_mapping_coordinates},       // a mesh's mapping coordinates
    {CHUNK_SMOOTHING_GROUPS, LEAF, read_smoothing_groups}, // a mesh's smoothing groups
    {CHUNK_LOCAL_MATRIX, LEAF, read_local_matrix},         // a mesh's local axes and origin
    {CHUNK_MESH_COLOR, LEAF, ignore_chunk},                // a mesh's colour in the editor
    {CHUNK_TEXTURE_INFO, LEAF, ignore_chunk},              // a mesh's texture placement
    {CHUNK_UNKNOWN_4190, LEAF, nullptr},                   // unknown; skipped
    {CHUNK_LIGHT, SUBCHUNKS, read_light},                  // a light and its position
    {CHUNK_SPOTLIGHT, LEAF, read_spotlight},               // a light's spot: target and cone
    {CHUNK_CAMERA, LEAF, read_camera},                     // a camera: position, target, bank, lens
    {CHUNK_UNKNOWN_4F00, SUBCHUNKS, nullptr},              // unknown; its sub-chunks are walked
    {CHUNK_VIEWPORT_LAYOUT, LEAF, ignore_chunk},           // the editor's viewport layout
    {CHUNK_VIEWPORT_DATA, LEAF, ignore_chunk},             // one viewport of the editor
    {CHUNK_MATERIAL, SUBCHUNKS, nullptr},                  // a material
    {CHUNK_MAT_NAME, LEAF, read_material_name},            // a material's name
    {CHUNK_MAT_AMBIENT, SUBCHUNKS, nullptr},               // ambient colour
    {CHUNK_MAT_DIFFUSE, SUBCHUNKS, nullptr},               // diffuse colour
    {CHUNK_MAT_SPECULAR, SUBCHUNKS, nullptr},              // specular colour
    {CHUNK_MAT_SHININESS, SUBCHUNKS, nullptr},             // shininess
    {CHUNK_MAT_SHININESS_STRENGTH, SUBCHUNKS, nullptr},    // shininess strength
    {CHUNK_MAT_TRANSPARENCY, SUBCHUNKS, nullptr},          // transparency
    {CHUNK_MAT_TRANSPARENCY_FALLOFF, SUBCHUNKS, nullptr},  // transparency falloff
    {CHUNK_MAT_REFLECTION_BLUR, SUBCHUNKS, nullptr},       // reflection blur
    {CHUNK_MAT_SELF_ILLUMINATION, SUBCHUNKS, nullptr},     // self-illumination
    {CHUNK_MAT_TWO_SIDED, LEAF, read_two_sided},           // two-sided
    {CHUNK_UNKNOWN_A083, LEAF, ignore_chunk},              // unknown material flag
    {CHUNK_MAT_WIREFRAME, LEAF, ignore_chunk},             // drawn as wireframe
    {CHUNK_MAT_WIRE_SIZE, LEAF, ignore_chunk},             // wire thickness
    {CHUNK_MAT_SOFTEN, LEAF, ignore_chunk},                // soften
    {CHUNK_MAT_SHADING, LEAF, ignore_chunk},               // shading kind
    {CHUNK_MAT_TEXTURE_MAP, SUBCHUNKS, ignore_chunk},      // texture map
    {CHUNK_MAT_REFLECTION_MAP, SUBCHUNKS, ignore_chunk},   // reflection map
    {CHUNK_MAT_BUMP_MAP, SUBCHUNKS, ignore_chunk},         // bump map
    {CHUNK_MAT_BUMP_PERCENT, LEAF, ignore_chunk},          // bump map strength
    {CHUNK_MAP_FILE_NAME, LEAF, ignore_chunk},             // a map's file name
    {CHUNK_MAP_TILING, LEAF, ignore_chunk},                // a map's tiling flags
    {CHUNK_MAP_BLUR, LEAF, ignore_chunk},                  // a map's blur
    {CHUNK_MAP_U_SCALE, LEAF, ignore_chunk},               // a map's u scale
    {CHUNK_MAP_V_SCALE, LEAF, ignore_chunk},               // a map's v scale
    {CHUNK_MAP_U_OFFSET, LEAF, ignore_chunk},              // a map's u offset
    {CHUNK_MAP_V_OFFSET, LEAF, ignore_chunk},              // a map's v offset
    {CHUNK_MAP_ROTATION, LEAF, ignore_chunk},              // a map's rotation
    {CHUNK_KEYFRAMER, SUBCHUNKS, nullptr},                 // keyframer section: nodes and tracks
    {CHUNK_AMBIENT_NODE, SUBCHUNKS, nullptr},              // the ambient light's node
    {CHUNK_OBJECT_NODE, SUBCHUNKS, read_object_node},      // a mesh object's node
    {CHUNK_SEGMENT, LEAF, read_segment},                   // first and last frame
    {CHUNK_NODE_HEADER, LEAF, read_node_header},           // a node's name and parent
    {CHUNK_INSTANCE_NAME, LEAF, nullptr},                  // a node's instance name
    {CHUNK_PIVOT, LEAF, ignore_chunk},                     // a node's pivot
    {CHUNK_POSITION_TRACK, LEAF, read_position_track},     // position keys
    {CHUNK_COLOR_TRACK, LEAF, ignore_chunk},               // colour keys
    {CHUNK_ROTATION_TRACK, LEAF, read_rotation_track},     // rotation keys
    {CHUNK_SCALE_TRACK, LEAF, ignore_chunk},               // scale keys
    {CHUNK_MORPH_TRACK, LEAF, nullptr},                    // morph keys
    {CHUNK_HIDE_TRACK, LEAF, nullptr},                     // hide keys
    {CHUNK_NODE_ID, LEAF, read_node_id},                   // a node's number
    {CHUNK_CAMERA_NODE, SUBCHUNKS, read_camera_node},      // a camera's node
    {CHUNK_TARGET_NODE, SUBCHUNKS, read_target_node},      // a camera target's node
    {CHUNK_LIGHT_NODE, SUBCHUNKS, nullptr},                // a light's node
    {CHUNK_LIGHT_TARGET_NODE, SUBCHUNKS, nullptr},         // a spotlight target's node
    {CHUNK_SPOTLIGHT_NODE, SUBCHUNKS, nullptr},            // a spotlight's node
    {CHUNK_FOV_TRACK, LEAF, ignore_chunk},                 // field-of-view keys
    {CHUNK_ROLL_TRACK, LEAF, ignore_chunk},                // roll keys
    {CHUNK_LIGHT_INNER_RANGE, LEAF, read_light_inner_range}, // a light's inner range
    {CHUNK_LIGHT_OUTER_RANGE, LEAF, read_light_outer_range}, // a light's outer range
    {CHUNK_LIGHT_MULTIPLIER, LEAF, read_light_multiplier},   // a light's multiplier
    {CHUNK_LIGHT_OFF, LEAF, read_light_off},                 // the light is switched off
    {CHUNK_LIGHT_RAY_SHADOWS, LEAF, read_light_ray_shadows}, // the light casts ray-traced shadows
};
const int CHUNK_TABLE_SIZE = (int)(sizeof chunk_table / sizeof chunk_table[0]);

namespace {

// The row of every 16-bit id plus one, 0 for an id the table lacks: the walk
// looks every header up, and a file of overlapping chunks has millions.
struct ChunkRows {
    uint8_t row_plus_one[0x10000];
};
static_assert(sizeof chunk_table / sizeof chunk_table[0] < 255, "rows must fit a byte");

ChunkRows make_chunk_rows() {
    ChunkRows rows{};
    for (int row = CHUNK_TABLE_SIZE - 1; row >= 0; --row) // the first row of an id wins
        rows.row_plus_one[chunk_table[row].id & 0xFFFF] = (uint8_t)(row + 1);
    return rows;
}

} // namespace

int chunk_find(uint32_t chunk_id) {
    static const ChunkRows rows = make_chunk_rows();
    return chunk_id > 0xFFFF ? -1 : rows.row_plus_one[chunk_id] - 1;
}

namespace {

bool bad_length(uint32_t length) {
    if ((int32_t)length < 0)
        return loader_fail("length %u is negative as a signed 32-bit number", length);
    return loader_fail("length %u is below the 6-byte header", length);
}

// One chunk at start: its handler, its sub-chunks, then the move to its end.
bool walk_one_chunk(ByteReader& in, int64_t start) {
    if (loader.depth > MAX_CHUNK_DEPTH)
        return loader_fail_at(start, "chunks nested deeper than %d levels", MAX_CHUNK_DEPTH);
    // Overlapping chunks can make the walk read the same bytes again at every
    // level; a well-formed file reads at most one header per 6 bytes per pass.
    if (--loader.headers_left < 0)
        return loader_fail_at(start,
                              "overlapping chunks: too many chunk headers for the file size");

    uint8_t header[6];
    if (read_bytes(in, header, 6) < 6)
        return loader_fail_at(start, "chunk header cut short by the end of the file");
    uint32_t id = le16(header);
    uint32_t length = le32(header + 2);
    loader.chunk_id = id;
    loader.chunk_offset = start;
    loader.chunk_path[loader.depth] = {id, start};
    if ((int32_t)length < 6) return bad_length(length);
    int64_t next = start + (int32_t)length;

    int row = chunk_find(id);
    if (row >= 0) {
        const ChunkTableRow& entry = chunk_table[row];
        if (entry.handler) {
            if (!entry.handler(in, next)) return false;
        }
        if (entry.has_subchunks) {
            if (!chunk_walk(in, next)) return false;
        }
    }
    in.position = next;
    return true;
}

} // namespace

bool chunk_walk(ByteReader& in, int64_t end) {
    ++loader.depth;
    bool ok = true;
    while (ok && in.position < end)
        ok = walk_one_chunk(in, in.position);
    --loader.depth;
    return ok;
}
