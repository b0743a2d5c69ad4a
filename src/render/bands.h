// The parallel path of render_objects, whatever the number of threads: the
// faces of many objects prepared in chunks at once, then the screen drawn in
// bands of rows, each band with its polygons in the order faces_walk gives.
#pragma once

#include <cstdint>

#include "render/pool.h"
#include "render/render.h"

struct RenderBands;

RenderBands* bands_create(int32_t height);
void bands_destroy(RenderBands* bands);
// With clear_first, both buffers are cleared band by band first, as
// render_clear does.
void bands_draw(RenderBands* bands, RenderPool* pool, const Matrix& camera,
                const RenderItem items[], int32_t count, uint32_t* colour_buffer, bool clear_first);
