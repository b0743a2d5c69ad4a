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

float render_focal_length(int32_t width) {
    const double tangent = math_sin(QUARTER_PI) / math_cos(QUARTER_PI);
    return (float)std::fabs(width / (2.0 * tangent));
}

bool render_init(int32_t width, int32_t height) {
    render_shutdown();
    render_state.width = width;
    render_state.height = height;
    render_state.focal_length = render_focal_length(width);
    view_planes_init((float)(width - 4), (float)(height - 4), render_state.focal_length,
                     render_state.view_planes);
    if (width <= 0 || height <= 0) return false;
    render_state.depth_buffer =
        (uint32_t*)std::malloc((size_t)width * (size_t)height * sizeof(uint32_t));
    if (render_state.depth_buffer == nullptr) return false;
    render_threads_set(0); // one drawing thread per core
    return true;
}

void render_shutdown() {
    render_threads_set(1);
    std::free(render_state.depth_buffer);
    render_state.depth_buffer = nullptr;
}
