// The recursive chunk walk and the table of the chunk ids the loader knows.
#include "scene/loader.h"

namespace {

// Chunks whose data nobody keeps: versions, scales, percentages, 24-bit
// gamma colours, vertex flags, map file names and parameters, the keyframer's pivot and its scale,
// field-of-view, roll and colour tracks. None has sub-chunks, and the walk
// moves to the chunk's end after its handler, so reading their data first
// would change nothing.
int32_t ignore_chunk(FILE*, int64_t) {
    return 0;
}

constexpr int32_t yes = 1;
constexpr int32_t no = 0;

} // namespace

const ChunkTableRow chunk_table[chunk_table_size] = {
    {0x0002, no, ignore_chunk}, // file version
    {0x0010, no, read_float_colour},
    {0x0011, no, read_byte_colour},
    {0x0012, no, ignore_chunk},      // 24-bit gamma colour
    {0x0013, no, read_float_colour}, // float gamma colour
    {0x0030, no, ignore_chunk},      // integer percentage
    {0x0031, no, ignore_chunk},      // float percentage
    {0x0100, no, ignore_chunk},      // master scale
    {0xC23D, yes, nullptr},
    {0x3DAA, yes, nullptr},
    {0x3D3E, no, ignore_chunk}, // mesh version
    {0x4D4D, yes, nullptr},     // main chunk
    {0x3D3D, yes, nullptr},     // editor: objects and materials
    {0x1200, yes, nullptr},     // background colour
    {0x2100, yes, nullptr},     // ambient light colour
    {0x4000, yes, read_named_object},
    {0x4100, yes, read_triangle_mesh},
    {0x4110, no, read_vertex_list},
    {0x4111, no, ignore_chunk}, // vertex flags
    {0x4120, yes, read_face_list},
    {0x4130, no, read_face_material},
    {0x4140, no, read_mapping_coordinates},
    {0x4150, no, read_smoothing_groups},
    {0x4160, no, read_local_matrix},
    {0x4165, no, ignore_chunk}, // mesh colour
    {0x4170, no, ignore_chunk}, // texture information
    {0x4190, no, nullptr},
    {0x4600, yes, read_light},
    {0x4610, no, read_spotlight},
    {0x4700, no, read_camera},
    {0x4F00, yes, nullptr},
    {0x7001, no, ignore_chunk}, // viewport layout
    {0x7020, no, ignore_chunk}, // viewport data
    {0xAFFF, yes, nullptr},     // material block
    {0xA000, no, read_material_name},
    {0xA010, yes, nullptr},     // ambient colour
    {0xA020, yes, nullptr},     // diffuse colour
    {0xA030, yes, nullptr},     // specular colour
    {0xA040, yes, nullptr},     // shininess
    {0xA041, yes, nullptr},     // shininess strength
    {0xA050, yes, nullptr},     // transparency
    {0xA052, yes, nullptr},     // transparency falloff
    {0xA053, yes, nullptr},     // reflection blur
    {0xA084, yes, nullptr},     // self-illumination
    {0xA081, no, ignore_chunk}, // two-sided
    {0xA083, no, ignore_chunk},
    {0xA085, no, ignore_chunk}, // wireframe
    {0xA087, no, ignore_chunk}, // wire size
    {0xA08C, no, ignore_chunk},
    {0xA100, no, ignore_chunk},  // shading
    {0xA200, yes, ignore_chunk}, // texture map
    {0xA220, yes, ignore_chunk}, // reflection map
    {0xA230, yes, ignore_chunk}, // bump map
    {0xA252, no, ignore_chunk},
    {0xA300, no, ignore_chunk}, // map file name
    {0xA351, no, ignore_chunk}, // map tiling
    {0xA353, no, ignore_chunk}, // map blur
    {0xA354, no, ignore_chunk}, // map u scale
    {0xA356, no, ignore_chunk}, // map v scale
    {0xA358, no, ignore_chunk}, // map u offset
    {0xA35A, no, ignore_chunk}, // map v offset
    {0xA35C, no, ignore_chunk}, // map rotation
    {0xB000, yes, nullptr},     // keyframer section
    {0xB001, yes, nullptr},     // ambient node
    {0xB002, yes, read_object_node},
    {0xB008, no, read_segment},
    {0xB010, no, read_node_header},
    {0xB011, no, nullptr},      // instance name
    {0xB013, no, ignore_chunk}, // pivot
    {0xB020, no, read_position_track},
    {0xB025, no, ignore_chunk}, // colour track
    {0xB021, no, read_rotation_track},
    {0xB022, no, ignore_chunk}, // scale track
    {0xB026, no, nullptr},      // morph track
    {0xB029, no, nullptr},      // hide track
    {0xB030, no, read_node_id},
    {0xB003, yes, read_camera_node},
    {0xB004, yes, read_target_node},
    {0xB005, yes, nullptr},     // light node
    {0xB006, yes, nullptr},     // light target node
    {0xB007, yes, nullptr},     // spotlight node
    {0xB023, no, ignore_chunk}, // field-of-view track
    {0xB024, no, ignore_chunk}, // roll track
    {0x4659, no, read_light_inner_range},
    {0x465A, no, read_light_outer_range},
    {0x465B, no, read_light_multiplier},
    {0x4620, no, read_light_off},
    {0x4627, no, read_light_ray_shadows},
};

int chunk_find(uint32_t chunk_id) {
    for (int row = 0; row < chunk_table_size; ++row)
        if ((chunk_table[row].id & 0xFFFF) == chunk_id) return row;
    return -1;
}

namespace {

int32_t bad_length(uint32_t length) {
    if ((int32_t)length < 0)
        return loader_fail("length %u is negative as a signed 32-bit number", length);
    return loader_fail("length %u is below the 6-byte header", length);
}

// One chunk at start: its handler, its sub-chunks, then the move to its end.
int32_t walk_one_chunk(FILE* stream, int64_t start) {
    if (loader.depth > max_chunk_depth)
        return loader_fail_at(start, "chunks nested deeper than %d levels", max_chunk_depth);
    // Overlapping chunks can make the walk read the same bytes again at every
    // level; a well-formed file reads at most one header per 6 bytes per pass.
    if (--loader.headers_left < 0)
        return loader_fail_at(start,
                              "overlapping chunks: too many chunk headers for the file size");

    uint8_t header[6];
    if (std::fread(header, 1, 6, stream) < 6) {
        if (std::ferror(stream)) return loader_fail_at(start, "read error");
        return loader_fail_at(start, "chunk header cut short by the end of the file");
    }
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
            int32_t status = entry.handler(stream, next);
            if (status != 0) return status;
        }
        if (entry.has_children) {
            int32_t status = chunk_walk(stream, next);
            if (status != 0) return status;
        }
    }
    if (stream_seek(stream, next) != 0 || std::ferror(stream)) {
        loader.chunk_id = id; // the sub-chunks walked since have changed it
        loader.chunk_offset = start;
        return loader_fail("read error");
    }
    return 0;
}

} // namespace

int32_t chunk_walk(FILE* stream, int64_t end) {
    ++loader.depth;
    int32_t status = 0;
    for (;;) {
        int64_t start = stream_tell(stream);
        if (start < 0) {
            status = loader_fail_at(0, "cannot tell the file position");
            break;
        }
        if (start >= end) break;
        status = walk_one_chunk(stream, start);
        if (status != 0) break;
    }
    --loader.depth;
    return status;
}
