// One still: the scene drawn once, in its starting pose, at factor x factor
// samples a pixel, then averaged down.
#include <vector>

#include "frame/frame.h"
#include "render/render.h"
#include "velmor-render/still.h"

namespace {

constexpr uint32_t OPAQUE = 0xFF000000u;
// depth_buffer_clear's value: no face was nearer at that sample.
constexpr uint32_t NOTHING_DRAWN = 0xFFFFFFFFu;

int32_t grid_side(int32_t samples) {
    return samples == 16 ? 4 : samples == 4 ? 2 : 1;
}

// A small scene is drawn in less time than the threads take to start and
// meet, and file managers run several thumbnailers at once: only a large
// one is shared out between the cores (the same pixels either way).
int32_t drawing_threads(const Scene& scene) {
    constexpr int64_t SHARED_FROM_FACES = 20000;
    return still_face_count(scene) >= SHARED_FROM_FACES ? 0 : 1;
}

// Every sample with its alpha: opaque, as drawn over the look's background,
// or with --background none transparent black where nothing was drawn.
void add_alpha(std::vector<uint32_t>& drawn, const StillOptions& options) {
    const uint32_t* depth = render_depth_buffer();
    for (size_t i = 0; i < drawn.size(); ++i)
        drawn[i] =
            options.transparent && depth[i] == NOTHING_DRAWN ? 0u : OPAQUE | (drawn[i] & 0xFFFFFF);
}

// The mean of count samples' channel sums, a half rounding up.
uint32_t rounded_mean(uint32_t sum, uint32_t count) {
    return (sum + count / 2) / count;
}

uint32_t block_average(const uint32_t* first, int32_t stride, int32_t factor) {
    uint32_t covered = 0, red = 0, green = 0, blue = 0;
    for (int32_t y = 0; y < factor; ++y) {
        for (int32_t x = 0; x < factor; ++x) {
            const uint32_t sample = first[(size_t)y * (size_t)stride + (size_t)x];
            if ((sample >> 24) == 0) continue;
            ++covered;
            red += sample >> 16 & 0xFF;
            green += sample >> 8 & 0xFF;
            blue += sample & 0xFF;
        }
    }
    if (covered == 0) return 0;
    const uint32_t alpha = rounded_mean(255 * covered, (uint32_t)(factor * factor));
    return alpha << 24 | rounded_mean(red, covered) << 16 | rounded_mean(green, covered) << 8 |
           rounded_mean(blue, covered);
}

} // namespace

int64_t still_face_count(const Scene& scene) {
    int64_t faces = 0;
    for (int32_t i = 0; i < scene.object_count; ++i)
        faces += scene.objects[i].face_count;
    return faces;
}

ViewLook still_look(const StillOptions& options) {
    return frame_view_look(options.cull, options.flat,
                           options.background_set ? &options.background : nullptr);
}

std::vector<uint32_t> still_resolve(const std::vector<uint32_t>& samples, int32_t width,
                                    int32_t height, int32_t factor) {
    std::vector<uint32_t> picture((size_t)width * (size_t)height);
    const int32_t stride = width * factor;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture[(size_t)y * (size_t)width + (size_t)x] =
                block_average(&samples[((size_t)y * (size_t)stride + (size_t)x) * (size_t)factor],
                              stride, factor);
    return picture;
}

std::vector<uint32_t> still_draw(Scene& scene, uint32_t* face_colours,
                                 const StillOptions& options) {
    // At factor times the size, view mode's projection puts the centre of each
    // block of samples on the centre of its pixel, so the average of a block
    // is the pixel seen at factor x factor evenly spread points.
    const int32_t factor = grid_side(options.samples);
    const int32_t width = options.width * factor, height = options.height * factor;
    if (!render_init(width, height)) return {};
    render_threads_set(drawing_threads(scene));
    const ViewLook look = still_look(options);
    ViewState view{};
    view.scene = &scene;
    view.face_colours = face_colours;
    view.look = &look;
    std::vector<uint32_t> drawn((size_t)width * (size_t)height);
    frame_draw_view(view, options.view, width, height, drawn.data());
    add_alpha(drawn, options);
    render_shutdown();
    if (factor == 1) return drawn;
    return still_resolve(drawn, options.width, options.height, factor);
}
