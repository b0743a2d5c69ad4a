// The renderer's one program-wide record: the projection and view planes of
// the screen, the depth buffer and the drawing threads.
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "render/render_internal.h"

RenderState render_state;

namespace {

constexpr double QUARTER_PI = 0.78539816339744830962;

} // namespace

bool render_init(int32_t width, int32_t height) {
    render_shutdown();
    render_state.width = width;
    render_state.height = height;
    const double tangent = math_sin(QUARTER_PI) / math_cos(QUARTER_PI);
    render_projection_set((float)std::fabs(width / (2.0 * tangent)), (float)(width / 2),
                          (float)(height / 2), 0.0f);
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

void render_shutdown() {
    render_threads_set(1);
    std::free(render_state.depth_buffer);
    render_state.depth_buffer = nullptr;
}
