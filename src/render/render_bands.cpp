// render_objects on many threads. The faces of a run of objects are cut into
// chunks, which the threads prepare at the same time: culled, transformed,
// clipped, projected and set up for scanning, each chunk into its own lists.
// Then the screen is cut into bands of rows, which the threads draw at the
// same time, each band with every chunk's polygons in chunk order. Every
// pixel thus gets its polygons in the order faces_walk gives them there, and
// the same bits as with render_object one object after another.
#include <cstdlib>
#include <cstring>
#include <new>

#include "render/bands.h"
#include "render/face.h"
#include "render/scan.h"

namespace {

constexpr int32_t CHUNK_FACES = 512;       // at most 32768: a list entry has 15 bits
constexpr int32_t ROUND_CHUNKS = 32;       // chunks prepared before the bands are drawn
constexpr int32_t BAND_ROWS = 32;          // rows of one band
constexpr uint16_t POLYGON_ENTRY = 0x8000; // a list entry names a polygon, not a triangle
constexpr int32_t MAX_BANDS = 256;         // screens of up to 8192 rows
static_assert(CHUNK_FACES % FACES_WALK_BLOCK == 0, "chunks walk their faces as render_object does");

// One chunk of faces of one object and what they came to.
struct Chunk {
    const SceneFace* faces;
    int32_t face_count;
    const ObjectSetup* setup;
    const Matrix* object_matrix; // for a chunk that makes its own set-up
    bool makes_setup;
    uint32_t colour;
    const uint32_t* face_colours; // the chunk's own, or null for colour
    const SceneObject* object;
    const FaceLook* look;
    int32_t triangle_count;
    int32_t polygon_count;
    int32_t band_w_count;
    TriangleScan* triangles; // CHUNK_FACES
    PolygonScan* polygons;   // CHUNK_FACES
    // For each triangle and polygon, where its 1/z at the start of each band
    // below its first one begins in band_w: worked out once here rather than
    // row by row in every band.
    int32_t* triangle_w;    // CHUNK_FACES
    int32_t* polygon_w;     // CHUNK_FACES
    float* band_w;          // CHUNK_FACES for each band
    uint16_t* band_entries; // CHUNK_FACES for each band
    int32_t* band_counts;   // one for each band
};

} // namespace

struct RenderBands {
    int32_t bands;
    const Matrix* camera;
    ObjectSetup setups[ROUND_CHUNKS]; // one for each chunk, used by the first of an object
    Chunk chunks[ROUND_CHUNKS];
    int32_t chunk_count;
    bool clear_first; // the round's bands clear their rows before they draw
    // The bands in the order the threads take them: the busiest first, so
    // that no thread is left with a large band while the others wait.
    int32_t band_order[MAX_BANDS];
    uint32_t* colour_buffer;
    void* storage;
};

namespace {

// Lists the entry in every band that its rows reach, and keeps its 1/z on the
// first row of each band below its first; returns where those begin.
int32_t band_list_add(Chunk& c, uint16_t entry, int32_t first_row, int32_t end_row, float w_row,
                      float w_dy) {
    const int32_t w_first = c.band_w_count;
    const int32_t first_band = first_row / BAND_ROWS, last_band = (end_row - 1) / BAND_ROWS;
    c.band_entries[first_band * CHUNK_FACES + c.band_counts[first_band]++] = entry;
    int32_t row = first_row;
    for (int32_t band = first_band + 1; band <= last_band; ++band) {
        for (; row < band * BAND_ROWS; ++row)
            w_row = w_row + w_dy;
        c.band_w[c.band_w_count++] = w_row;
        c.band_entries[band * CHUNK_FACES + c.band_counts[band]++] = entry;
    }
    return w_first;
}

// The face set up for its rows and listed in its bands, unless it draws nothing.
void triangle_list(Chunk& c, const FaceOutcome& out, const FaceShade& shade) {
    TriangleScan& t = c.triangles[c.triangle_count];
    if (!triangle_scan_setup(out.x, out.y, out.z, shade, t)) return;
    c.triangle_w[c.triangle_count] =
        band_list_add(c, (uint16_t)c.triangle_count, t.row, t.end_row, t.w_row, t.w_dy);
    ++c.triangle_count;
}

void polygon_list(Chunk& c, const FaceOutcome& out, const FaceShade& shade) {
    PolygonScan& p = c.polygons[c.polygon_count];
    if (!polygon_scan_shaded(out.polygon, shade, p)) return;
    c.polygon_w[c.polygon_count] = band_list_add(c, (uint16_t)(POLYGON_ENTRY | c.polygon_count),
                                                 p.top_row, p.end_row, p.w_row, p.w_dy);
    ++c.polygon_count;
}

void chunk_prepare(void* context, int32_t index) {
    RenderBands& b = *(RenderBands*)context;
    Chunk& c = b.chunks[index];
    if (c.makes_setup) object_setup(*c.object_matrix, *b.camera, b.setups[index], c.object, c.look);
    const ObjectSetup& setup = *c.setup;
    c.triangle_count = 0;
    c.polygon_count = 0;
    c.band_w_count = 0;
    for (int32_t band = 0; band < b.bands; ++band)
        c.band_counts[band] = 0;
    FaceShade shade = {nullptr, &setup.model_view, c.colour, c.look ? c.look->ambient : 0};
    faces_walk(c.faces, c.face_count, setup, [&](int32_t i, FaceKind kind, FaceOutcome& out) {
        shade.plane = &c.faces[i].plane;
        if (c.face_colours) shade.base_colour = c.face_colours[i];
        shade.brightness = out.smooth ? out.brightness : nullptr;
        if (kind == FACE_TRIANGLE)
            triangle_list(c, out, shade);
        else
            polygon_list(c, out, shade);
    });
}

// Where a triangle or polygon starts drawing in a band, and its 1/z there:
// its own first row, or the band's first row with the 1/z kept for it.
struct BandStart {
    int32_t row;
    float w_row;
};

inline BandStart band_start(const Chunk& c, int32_t w_first, int32_t row, float w_row,
                            int32_t band) {
    const int32_t band_first = band * BAND_ROWS;
    if (row >= band_first) return {row, w_row};
    return {band_first, c.band_w[w_first + band - 1 - row / BAND_ROWS]};
}

// Both buffers' rows of one band: the background, and as far as can be.
void band_clear(const RenderBands& b, int32_t band) {
    const RenderState& s = render_state;
    const int32_t first_row = band * BAND_ROWS;
    const int32_t rows = first_row + BAND_ROWS <= s.height ? BAND_ROWS : s.height - first_row;
    const size_t at = (size_t)first_row * (size_t)s.width;
    const size_t bytes = (size_t)rows * (size_t)s.width * sizeof(uint32_t);
    render_rows_clear(b.colour_buffer, first_row, rows);
    std::memset(s.depth_buffer + at, 0xFF, bytes);
}

// A band's rows of every chunk of the round, cleared first in the first
// round when the buffers are to be cleared: just before they are drawn, they
// are still in the cache.
void band_draw(void* context, int32_t task) {
    const RenderBands& b = *(const RenderBands*)context;
    const int32_t band = b.band_order[task];
    if (b.clear_first) band_clear(b, band);
    const int32_t band_end = (band + 1) * BAND_ROWS;
    for (int32_t k = 0; k < b.chunk_count; ++k) {
        const Chunk& c = b.chunks[k];
        const uint16_t* entries = c.band_entries + band * CHUNK_FACES;
        for (int32_t i = 0; i < c.band_counts[band]; ++i) {
            const uint16_t e = entries[i];
            if (e & POLYGON_ENTRY) {
                const int32_t at = e & ~POLYGON_ENTRY;
                const PolygonScan& p = c.polygons[at];
                const BandStart from = band_start(c, c.polygon_w[at], p.top_row, p.w_row, band);
                polygon_scan_draw(p, b.colour_buffer, from.row, band_end, from.w_row);
            } else {
                const TriangleScan& t = c.triangles[e];
                const BandStart from = band_start(c, c.triangle_w[e], t.row, t.w_row, band);
                triangle_scan_draw(t, b.colour_buffer, from.row, band_end, from.w_row);
            }
        }
    }
}

// Busiest first by the number of polygons listed, a stable order for equal
// ones. Any order draws the same: the bands share no pixel.
void order_bands(RenderBands& b) {
    int32_t listed[MAX_BANDS];
    for (int32_t band = 0; band < b.bands; ++band) {
        listed[band] = 0;
        for (int32_t k = 0; k < b.chunk_count; ++k)
            listed[band] += b.chunks[k].band_counts[band];
        int32_t at = band;
        for (; at > 0 && listed[b.band_order[at - 1]] < listed[band]; --at)
            b.band_order[at] = b.band_order[at - 1];
        b.band_order[at] = band;
    }
}

} // namespace

RenderBands* bands_create(int32_t height) {
    if (height <= 0 || height > MAX_BANDS * BAND_ROWS) return nullptr;
    RenderBands* b = new (std::nothrow) RenderBands;
    if (b == nullptr) return nullptr;
    b->bands = (height + BAND_ROWS - 1) / BAND_ROWS;
    const size_t per_band = (sizeof(float) + sizeof(uint16_t)) * CHUNK_FACES + sizeof(int32_t);
    const size_t per_chunk =
        (sizeof(TriangleScan) + sizeof(PolygonScan) + 2 * sizeof(int32_t)) * CHUNK_FACES +
        per_band * b->bands;
    b->storage = std::malloc(per_chunk * ROUND_CHUNKS);
    if (b->storage == nullptr) {
        delete b;
        return nullptr;
    }
    // Largest alignment first: the scans, then the 4-byte arrays, then the
    // 2-byte entries.
    char* at = (char*)b->storage;
    auto take = [&at](size_t bytes) {
        void* p = at;
        at += bytes;
        return p;
    };
    for (Chunk& c : b->chunks) {
        c.triangles = (TriangleScan*)take(sizeof(TriangleScan) * CHUNK_FACES);
        c.polygons = (PolygonScan*)take(sizeof(PolygonScan) * CHUNK_FACES);
    }
    for (Chunk& c : b->chunks) {
        c.triangle_w = (int32_t*)take(sizeof(int32_t) * CHUNK_FACES);
        c.polygon_w = (int32_t*)take(sizeof(int32_t) * CHUNK_FACES);
        c.band_w = (float*)take(sizeof(float) * CHUNK_FACES * b->bands);
        c.band_counts = (int32_t*)take(sizeof(int32_t) * b->bands);
    }
    for (Chunk& c : b->chunks)
        c.band_entries = (uint16_t*)take(sizeof(uint16_t) * CHUNK_FACES * b->bands);
    return b;
}

void bands_destroy(RenderBands* bands) {
    if (bands == nullptr) return;
    std::free(bands->storage);
    delete bands;
}

void bands_draw(RenderBands* bands, RenderPool* pool, const Matrix& camera,
                const RenderItem items[], int32_t count, uint32_t* colour_buffer,
                bool clear_first) {
    RenderBands& b = *bands;
    b.colour_buffer = colour_buffer;
    b.camera = &camera;
    b.clear_first = clear_first;
    int32_t item = 0, face = 0;
    do { // at least one round, which clears when there is nothing to draw
        // A round: up to ROUND_CHUNKS chunks. An object that fits in one chunk
        // gets its set-up there; a larger one here, once for all its chunks.
        b.chunk_count = 0;
        for (; item < count && b.chunk_count < ROUND_CHUNKS; ++item, face = 0) {
            const RenderItem& it = items[item];
            const int32_t faces = it.object->face_count;
            if (faces <= 0) continue;
            const int32_t first_chunk = b.chunk_count;
            const bool one_chunk = faces - face <= CHUNK_FACES;
            if (!one_chunk)
                object_setup(*it.object_matrix, camera, b.setups[first_chunk], it.object, it.look);
            for (; face < faces && b.chunk_count < ROUND_CHUNKS; face += CHUNK_FACES) {
                Chunk& c = b.chunks[b.chunk_count++];
                c.faces = it.object->faces + face;
                c.face_count = faces - face < CHUNK_FACES ? faces - face : CHUNK_FACES;
                c.setup = &b.setups[first_chunk];
                c.object_matrix = it.object_matrix;
                c.makes_setup = one_chunk;
                c.colour = it.colour;
                c.face_colours = it.face_colours ? it.face_colours + face : nullptr;
                c.object = it.object;
                c.look = it.look;
            }
            if (face < faces) break; // the rest in the next round
        }
        pool_run(pool, chunk_prepare, &b, b.chunk_count);
        if (b.chunk_count == 0 && !b.clear_first) break;
        order_bands(b);
        pool_run(pool, band_draw, &b, b.bands);
        b.clear_first = false;
    } while (item < count);
}
