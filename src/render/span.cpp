// Filling one span: depth exact at the first pixel of every 16-pixel run and
// stepped linearly within it, one unsigned compare per pixel.
#include "render/render_internal.h"

void span_run_fill(uint32_t depth, int32_t step, uint32_t* pixel, uint32_t* pixel_end,
                   uint32_t* depth_pos, uint32_t colour) {
    for (; pixel != pixel_end; ++pixel, ++depth_pos) {
        if (depth < *depth_pos) {
            *pixel = colour;
            *depth_pos = depth;
        }
        depth += (uint32_t)step;
    }
}

#if VELMOR_SSE2

namespace {

// Four pixels of a run: depths is the run's depth in each lane, offset by 2^31
// so that the signed compare of SSE2 orders them as unsigned values.
inline void fill_four(__m128i depths, uint32_t* depth, uint32_t* pixel, __m128i colours) {
    const __m128i sign = _mm_set1_epi32((int)0x80000000u);
    const __m128i stored = _mm_loadu_si128((const __m128i*)depth);
    const __m128i nearer = _mm_cmplt_epi32(depths, _mm_xor_si128(stored, sign));
    const int mask = _mm_movemask_epi8(nearer);
    if (mask == 0) return;
    const __m128i plain = _mm_xor_si128(depths, sign);
    if (mask == 0xFFFF) {
        _mm_storeu_si128((__m128i*)depth, plain);
        _mm_storeu_si128((__m128i*)pixel, colours);
        return;
    }
    const __m128i old = _mm_loadu_si128((const __m128i*)pixel);
    _mm_storeu_si128((__m128i*)depth,
                     _mm_or_si128(_mm_and_si128(nearer, plain), _mm_andnot_si128(nearer, stored)));
    _mm_storeu_si128((__m128i*)pixel,
                     _mm_or_si128(_mm_and_si128(nearer, colours), _mm_andnot_si128(nearer, old)));
}

} // namespace

#endif

void span_fill(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
               uint32_t colour) {
    uint32_t d0 = depth_from_w(w);
#if VELMOR_SSE2
    // Whole 16-pixel runs four pixels at a time: depth + k * step in lane k.
    if (n >= 16) {
        const __m128i colours = _mm_set1_epi32((int)colour);
        const __m128i odd_lanes = _mm_setr_epi32(0, -1, 0, -1);
        const __m128i high_lanes = _mm_setr_epi32(0, 0, -1, -1);
        do {
            w = w + 16.0f * w_dx;
            const uint32_t d1 = depth_from_w(w);
            const int32_t step = (int32_t)(d1 - d0) / 16;
            const __m128i steps = _mm_set1_epi32(step);
            const __m128i step4 = _mm_slli_epi32(steps, 2);
            __m128i depths = _mm_add_epi32(
                _mm_set1_epi32((int)(d0 ^ 0x80000000u)),
                _mm_add_epi32(_mm_and_si128(steps, odd_lanes),
                              _mm_and_si128(_mm_add_epi32(steps, steps), high_lanes)));
            for (int g = 0; g < 16; g += 4) {
                fill_four(depths, depth + g, pixel + g, colours);
                depths = _mm_add_epi32(depths, step4);
            }
            pixel += 16;
            depth += 16;
            n -= 16;
            d0 = d1;
        } while (n >= 16);
    }
#endif
    while (n >= 16) {
        w = w + 16.0f * w_dx;
        const uint32_t d1 = depth_from_w(w);
        const int32_t step = (int32_t)(d1 - d0) / 16;
        span_run_fill(d0, step, pixel, pixel + 16, depth, colour);
        pixel += 16;
        depth += 16;
        n -= 16;
        d0 = d1;
    }
    if (n > 0) {
        // A single pixel never uses the step.
        int32_t step = 0;
        if (n > 1) step = (int32_t)(depth_from_w(w + (float)n * w_dx) - d0) / n;
        span_run_fill(d0, step, pixel, pixel + n, depth, colour);
    }
}
