// render_objects on many threads. The faces of a run of objects are cut into
// chunks, which the threads prepare at the same time: culled, transformed,
// clipped, projected and set up for scanning, each chunk into its own lists.
// Then the screen is cut into bands of rows, which the threads draw at the
// same time, each band with every chunk's polygons in chunk order. Every
// pixel thus gets its polygons in their original order, and the same bits as
// with render_object one object after another.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "render/render_internal.h"

namespace {

constexpr int32_t chunk_faces = 512;       // at most 32768: a list entry has 15 bits
constexpr int32_t round_chunks = 32;       // chunks prepared before the bands are drawn
constexpr int32_t band_rows = 16;          // rows of one band
constexpr uint16_t polygon_entry = 0x8000; // a list entry names a polygon, not a triangle

struct PolygonJob {
    ClipPolygon polygon; // projected
    uint32_t colour;
};

// One chunk of faces of one object and what they came to.
struct Chunk {
    const SceneFace* faces;
    int32_t face_count;
    int32_t setup; // index into RenderBatch::setups
    uint32_t colour;
    int32_t triangle_count;
    int32_t polygon_count;
    TriangleScan* triangles; // chunk_faces
    PolygonJob* polygons;    // chunk_faces
    uint16_t* band_entries;  // chunk_faces for each band
    int32_t* band_counts;    // one for each band
};

} // namespace

struct RenderBatch {
    int32_t bands;
    ObjectSetup setups[round_chunks];
    Chunk chunks[round_chunks];
    int32_t chunk_count;
    uint32_t* colour_buffer;
    void* storage;
};

namespace {

void band_list_add(Chunk& c, uint16_t entry, int32_t first_row, int32_t end_row) {
    const int32_t last_band = (end_row - 1) / band_rows;
    for (int32_t band = first_row / band_rows; band <= last_band; ++band)
        c.band_entries[band * chunk_faces + c.band_counts[band]++] = entry;
}

void chunk_prepare(void* context, int32_t index) {
    RenderBatch& b = *(RenderBatch*)context;
    Chunk& c = b.chunks[index];
    const ObjectSetup& setup = b.setups[c.setup];
    c.triangle_count = 0;
    c.polygon_count = 0;
    for (int32_t band = 0; band < b.bands; ++band)
        c.band_counts[band] = 0;
    FaceShade shade = {nullptr, &setup.model_view, c.colour};
    FaceOutcome out;
    for (int32_t i = 0; i < c.face_count; ++i) {
        const SceneFace& face = c.faces[i];
        shade.plane = &face.plane;
        const FaceKind kind = face_prepare(face, setup, out);
        if (kind == FACE_TRIANGLE) {
            TriangleScan& t = c.triangles[c.triangle_count];
            if (!triangle_scan_setup(out.x, out.y, out.z, shade, t)) continue;
            band_list_add(c, (uint16_t)c.triangle_count++, t.row, t.end_row);
        } else if (kind == FACE_POLYGON) {
            int32_t first_row, end_row;
            if (!raster_polygon_extent(out.polygon, first_row, end_row)) continue;
            PolygonJob& p = c.polygons[c.polygon_count];
            p.polygon = out.polygon;
            p.colour = face_colour(shade);
            band_list_add(c, (uint16_t)(polygon_entry | c.polygon_count++), first_row, end_row);
        }
    }
}

void band_draw(void* context, int32_t band) {
    const RenderBatch& b = *(const RenderBatch*)context;
    const int32_t first_row = band * band_rows, end_row = first_row + band_rows;
    for (int32_t k = 0; k < b.chunk_count; ++k) {
        const Chunk& c = b.chunks[k];
        const uint16_t* entries = c.band_entries + band * chunk_faces;
        for (int32_t i = 0; i < c.band_counts[band]; ++i) {
            const uint16_t e = entries[i];
            if (e & polygon_entry) {
                const PolygonJob& p = c.polygons[e & ~polygon_entry];
                raster_polygon_rows(p.polygon, b.colour_buffer, p.colour, first_row, end_row);
            } else {
                triangle_scan_draw(c.triangles[e], b.colour_buffer, first_row, end_row);
            }
        }
    }
}

// Both buffers' rows of one band: black, and as far as can be.
void band_clear(void* context, int32_t band) {
    const RenderBatch& b = *(const RenderBatch*)context;
    const RenderState& s = render_state;
    const int32_t first_row = band * band_rows;
    const int32_t rows = first_row + band_rows <= s.height ? band_rows : s.height - first_row;
    const size_t at = (size_t)first_row * (size_t)s.width;
    const size_t bytes = (size_t)rows * (size_t)s.width * sizeof(uint32_t);
    std::memset(b.colour_buffer + at, 0, bytes);
    std::memset(s.depth_buffer + at, 0xFF, bytes);
}

} // namespace

RenderBatch* batch_create(int32_t height) {
    if (height <= 0) return nullptr;
    RenderBatch* b = new (std::nothrow) RenderBatch;
    if (b == nullptr) return nullptr;
    b->bands = (height + band_rows - 1) / band_rows;
    const size_t per_chunk = sizeof(TriangleScan) * chunk_faces + sizeof(PolygonJob) * chunk_faces +
                             sizeof(uint16_t) * chunk_faces * b->bands + sizeof(int32_t) * b->bands;
    b->storage = std::malloc(per_chunk * round_chunks);
    if (b->storage == nullptr) {
        delete b;
        return nullptr;
    }
    char* at = (char*)b->storage;
    for (Chunk& c : b->chunks) {
        c.triangles = (TriangleScan*)at;
        at += sizeof(TriangleScan) * chunk_faces;
        c.polygons = (PolygonJob*)at;
        at += sizeof(PolygonJob) * chunk_faces;
        c.band_counts = (int32_t*)at;
        at += sizeof(int32_t) * b->bands;
        c.band_entries = (uint16_t*)at;
        at += sizeof(uint16_t) * chunk_faces * b->bands;
    }
    return b;
}

void batch_destroy(RenderBatch* batch) {
    if (batch == nullptr) return;
    std::free(batch->storage);
    delete batch;
}

void batch_draw(RenderBatch* batch, RenderPool* pool, const Matrix& camera,
                const RenderItem items[], int32_t count, uint32_t* colour_buffer) {
    RenderBatch& b = *batch;
    b.colour_buffer = colour_buffer;
    int32_t item = 0, face = 0;
    while (item < count) {
        // A round: up to round_chunks chunks, each object's set-up made once.
        b.chunk_count = 0;
        int32_t setup_count = 0;
        for (; item < count && b.chunk_count < round_chunks; ++item, face = 0) {
            const RenderItem& it = items[item];
            if (it.object->face_count <= 0) continue;
            object_setup(*it.object_matrix, camera, b.setups[setup_count]);
            for (; face < it.object->face_count && b.chunk_count < round_chunks;
                 face += chunk_faces) {
                Chunk& c = b.chunks[b.chunk_count++];
                c.faces = it.object->faces + face;
                c.face_count = it.object->face_count - face;
                if (c.face_count > chunk_faces) c.face_count = chunk_faces;
                c.setup = setup_count;
                c.colour = it.colour;
            }
            ++setup_count;
            if (face < it.object->face_count) break; // the rest in the next round
        }
        pool_run(pool, chunk_prepare, &b, b.chunk_count);
        pool_run(pool, band_draw, &b, b.bands);
    }
}

void batch_clear(RenderBatch* batch, RenderPool* pool, uint32_t* colour_buffer) {
    batch->colour_buffer = colour_buffer;
    pool_run(pool, band_clear, batch, batch->bands);
}

void render_clear(uint32_t* colour_buffer) {
    const RenderState& s = render_state;
    if (s.batch != nullptr && s.depth_buffer != nullptr) {
        batch_clear(s.batch, s.pool, colour_buffer);
        return;
    }
    std::memset(colour_buffer, 0, (size_t)s.width * (size_t)s.height * sizeof(uint32_t));
    depth_buffer_clear();
}

int32_t render_threads_set(int32_t count) {
    RenderState& s = render_state;
    if (count <= 0) count = pool_default_threads();
    if (count == render_threads()) return count;
    pool_destroy(s.pool);
    batch_destroy(s.batch);
    s.pool = nullptr;
    s.batch = nullptr;
    if (count < 2) return 1;
    s.pool = pool_create(count);
    if (s.pool != nullptr) s.batch = batch_create(s.height);
    if (s.batch == nullptr) {
        pool_destroy(s.pool);
        s.pool = nullptr;
    }
    return render_threads();
}

int32_t render_threads() {
    return pool_threads(render_state.pool);
}
