// The renderer's door: its program-wide record (the projection and view
// planes of the screen, the depth buffer, the drawing threads) and the choice
// between the reference path and the parallel one.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "render/bands.h"
#include "render/render_state.h"

RenderState render_state;

namespace {

constexpr double QUARTER_PI = 0.78539816339744830962;

// The parallel path whenever it has its buffers, which it has with two
// threads or more; else render_object for each item in turn.
void objects_draw(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                  uint32_t* colour_buffer, bool clear_first) {
    const RenderState& s = render_state;
    if (s.bands != nullptr && s.depth_buffer != nullptr) {
        bands_draw(s.bands, s.pool, camera_matrix, items, count, colour_buffer, clear_first);
        return;
    }
    // Without a depth buffer nothing draws, but the picture is still cleared.
    if (clear_first && s.width > 0 && s.height > 0) {
        render_rows_clear(colour_buffer, 0, s.height);
        depth_buffer_clear();
    }
    for (int32_t i = 0; i < count; ++i)
        render_object(*items[i].object_matrix, camera_matrix, *items[i].object, colour_buffer,
                      items[i].colour, items[i].face_colours, items[i].look);
}

} // namespace

float render_focal_length(int32_t width) {
    const double tangent = math_sin(QUARTER_PI) / math_cos(QUARTER_PI);
    return (float)std::fabs(width / (2.0 * tangent));
}

bool render_init(int32_t width, int32_t height) {
    render_shutdown();
    render_state.width = width;
    render_state.height = height;
    render_state.background = nullptr;
    render_projection_set(render_focal_length(width), (float)(width / 2), (float)(height / 2),
                          0.0f);
    if (width <= 0 || height <= 0) return false;
    render_state.depth_buffer =
        (uint32_t*)std::malloc((size_t)width * (size_t)height * sizeof(uint32_t));
    if (render_state.depth_buffer == nullptr) return false;
    render_threads_set(0); // one drawing thread per core
    return true;
}

void render_projection_set(float focal_length, float centre_x, float centre_y, float near_z) {
    RenderState& s = render_state;
    s.focal_length = focal_length;
    s.centre_x = centre_x;
    s.centre_y = centre_y;
    s.near_z = near_z;
    view_planes_init((float)(s.width - 4), (float)(s.height - 4), focal_length, s.view_planes);
    s.view_planes[4] = {0.0f, 0.0f, 1.0f, -near_z};
    s.view_plane_count = near_z > 0.0f ? 5 : 4;
}

void render_rows_clear(uint32_t* colour_buffer, int32_t first_row, int32_t rows) {
    const RenderState& s = render_state;
    uint32_t* row = colour_buffer + (size_t)first_row * (size_t)s.width;
    if (s.background == nullptr) {
        std::memset(row, 0, (size_t)rows * (size_t)s.width * sizeof(uint32_t));
        return;
    }
    for (int32_t y = first_row; y < first_row + rows; ++y, row += s.width)
        std::fill(row, row + s.width, s.background[y]);
}

void render_background_set(const uint32_t* row_colours) {
    render_state.background = row_colours;
}

const uint32_t* render_depth_buffer() {
    return render_state.depth_buffer;
}

void render_shutdown() {
    render_threads_set(1);
    std::free(render_state.depth_buffer);
    render_state.depth_buffer = nullptr;
}

int32_t render_threads_set(int32_t count) {
    RenderState& s = render_state;
    if (count <= 0) count = pool_default_threads();
    if (count == render_threads()) return count;
    pool_destroy(s.pool);
    bands_destroy(s.bands);
    s.pool = nullptr;
    s.bands = nullptr;
    if (count < 2) return 1;
    s.pool = pool_create(count);
    if (s.pool != nullptr) s.bands = bands_create(s.height);
    if (s.bands == nullptr) {
        pool_destroy(s.pool);
        s.pool = nullptr;
    }
    return render_threads();
}

int32_t render_threads() {
    return pool_threads(render_state.pool);
}

void render_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                    uint32_t* colour_buffer) {
    objects_draw(camera_matrix, items, count, colour_buffer, false);
}

void render_clear_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                          uint32_t* colour_buffer) {
    objects_draw(camera_matrix, items, count, colour_buffer, true);
}

void render_clear(uint32_t* colour_buffer) {
    Matrix unused;
    matrix_identity(unused);
    objects_draw(unused, nullptr, 0, colour_buffer, true);
}
