// Filling one span: depth exact at the first pixel of every 16-pixel run and
// stepped linearly within it, one unsigned compare per pixel.
#include "render/span.h"

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

namespace {

// Where a span stands between its 16-pixel runs.
struct SpanCursor {
    int32_t n;   // pixels left
    float w;     // 1/z at the next pixel
    uint32_t d0; // its exact depth
    uint32_t* depth;
    uint32_t* pixel;
};

// The next 16-pixel run's depth step, exact at both ends; moves the cursor's
// 1/z and depth to the run's end.
inline int32_t run_step(SpanCursor& c, float w_dx, uint32_t& d0) {
    c.w = c.w + 16.0f * w_dx;
    d0 = c.d0;
    c.d0 = depth_from_w(c.w);
    return (int32_t)(c.d0 - d0) / 16;
}

inline void run_done(SpanCursor& c) {
    c.pixel += 16;
    c.depth += 16;
    c.n -= 16;
}

VELMOR_ALWAYS_INLINE void runs_plain(SpanCursor& c, float w_dx, uint32_t colour) {
    while (c.n >= 16) {
        uint32_t d0;
        const int32_t step = run_step(c, w_dx, d0);
        span_run_fill(d0, step, c.pixel, c.pixel + 16, c.depth, colour);
        run_done(c);
    }
}

#if VELMOR_SSE2

// Four pixels at a time: depth + k * step in lane k.
VELMOR_ALWAYS_INLINE void runs_sse2(SpanCursor& c, float w_dx, uint32_t colour) {
    const __m128i colours = _mm_set1_epi32((int)colour);
    const __m128i odd_lanes = _mm_setr_epi32(0, -1, 0, -1);
    const __m128i high_lanes = _mm_setr_epi32(0, 0, -1, -1);
    while (c.n >= 16) {
        uint32_t d0;
        const __m128i steps = _mm_set1_epi32(run_step(c, w_dx, d0));
        const __m128i step4 = _mm_slli_epi32(steps, 2);
        __m128i depths =
            _mm_add_epi32(_mm_set1_epi32((int)(d0 ^ 0x80000000u)),
                          _mm_add_epi32(_mm_and_si128(steps, odd_lanes),
                                        _mm_and_si128(_mm_add_epi32(steps, steps), high_lanes)));
        for (int g = 0; g < 16; g += 4) {
            fill_four(depths, c.depth + g, c.pixel + g, colours);
            depths = _mm_add_epi32(depths, step4);
        }
        run_done(c);
    }
}

#endif

#if VELMOR_AVX2

// Eight pixels at a time, for processors that have AVX2; the same integer
// operations on twice the lanes.
__attribute__((target("avx2"))) VELMOR_ALWAYS_INLINE void runs_avx2(SpanCursor& c, float w_dx,
                                                                    uint32_t colour) {
    const __m256i colours = _mm256_set1_epi32((int)colour);
    const __m256i sign = _mm256_set1_epi32((int)0x80000000u);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    while (c.n >= 16) {
        uint32_t d0;
        const __m256i steps = _mm256_set1_epi32(run_step(c, w_dx, d0));
        __m256i depths = _mm256_add_epi32(_mm256_set1_epi32((int)(d0 ^ 0x80000000u)),
                                          _mm256_mullo_epi32(steps, lanes));
        for (int g = 0; g < 16; g += 8) {
            uint32_t* const depth = c.depth + g;
            uint32_t* const pixel = c.pixel + g;
            const __m256i stored = _mm256_loadu_si256((const __m256i*)depth);
            const __m256i nearer = _mm256_cmpgt_epi32(_mm256_xor_si256(stored, sign), depths);
            const int mask = _mm256_movemask_epi8(nearer);
            if (mask != 0) {
                const __m256i plain = _mm256_xor_si256(depths, sign);
                const __m256i old = _mm256_loadu_si256((const __m256i*)pixel);
                _mm256_storeu_si256((__m256i*)depth, _mm256_blendv_epi8(stored, plain, nearer));
                _mm256_storeu_si256((__m256i*)pixel, _mm256_blendv_epi8(old, colours, nearer));
            }
            depths = _mm256_add_epi32(depths, _mm256_slli_epi32(steps, 3));
        }
        run_done(c);
    }
}

bool cpu_has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

} // namespace

bool span_runs_available(SpanRuns runs) {
    switch (runs) {
    case SPAN_RUNS_PLAIN:
        return true;
    case SPAN_RUNS_SSE2:
        return VELMOR_SSE2;
    case SPAN_RUNS_AVX2:
#if VELMOR_AVX2
        return cpu_has_avx2();
#else
        return false;
#endif
    }
    return false;
}

namespace {

inline void span_tail(const SpanCursor& c, float w_dx, uint32_t colour) {
    span_tail_fill(c.n, c.d0, c.w, w_dx, c.depth, c.pixel, colour);
}

// A whole span with each code for its runs. The cursor is a local of one
// function, where it stays in registers; passed between functions it would
// live in memory, which the stores to the buffers might change as far as the
// compiler knows, and it would be stored and loaded again for every run.
void fill_plain(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel, uint32_t colour) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_plain(c, w_dx, colour);
    if (c.n > 0) span_tail(c, w_dx, colour);
}

#if VELMOR_SSE2
void fill_sse2(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel, uint32_t colour) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_sse2(c, w_dx, colour);
    if (c.n > 0) span_tail(c, w_dx, colour);
}
#endif

#if VELMOR_AVX2
// Whether any of the last pixels, fewer than 16, at d0 + k * step is nearer
// than what the depth buffer holds; lanes past them are not loaded and
// compare as never nearer. A tail wholly behind is then passed over without
// the pixel loop, whose end the processor would mispredict.
__attribute__((target("avx2"))) VELMOR_ALWAYS_INLINE bool tail_shows_avx2(const SpanCursor& c,
                                                                          int32_t step) {
    const __m256i sign = _mm256_set1_epi32((int)0x80000000u);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i steps = _mm256_set1_epi32(step);
    const __m256i low = _mm256_add_epi32(_mm256_set1_epi32((int)(c.d0 ^ 0x80000000u)),
                                         _mm256_mullo_epi32(steps, lanes));
    const __m256i high = _mm256_add_epi32(low, _mm256_slli_epi32(steps, 3));
    const __m256i in_low = _mm256_cmpgt_epi32(_mm256_set1_epi32(c.n), lanes);
    const __m256i in_high = _mm256_cmpgt_epi32(_mm256_set1_epi32(c.n - 8), lanes);
    const __m256i stored_low = _mm256_maskload_epi32((const int*)c.depth, in_low);
    const __m256i stored_high = _mm256_maskload_epi32((const int*)(c.depth + 8), in_high);
    const __m256i nearer =
        _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_xor_si256(stored_low, sign), low),
                        _mm256_cmpgt_epi32(_mm256_xor_si256(stored_high, sign), high));
    return !_mm256_testz_si256(nearer, nearer);
}

__attribute__((target("avx2"))) void fill_avx2(int32_t n, float w, float w_dx, uint32_t* depth,
                                               uint32_t* pixel, uint32_t colour) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_avx2(c, w_dx, colour);
    if (c.n == 0) return;
    const int32_t step = span_tail_step(c.n, c.d0, c.w, w_dx);
    if (tail_shows_avx2(c, step))
        span_run_fill(c.d0, step, c.pixel, c.pixel + c.n, c.depth, colour);
}
#endif

} // namespace

void span_fill_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour) {
    switch (runs) {
#if VELMOR_AVX2
    case SPAN_RUNS_AVX2:
        fill_avx2(n, w, w_dx, depth, pixel, colour);
        return;
#endif
#if VELMOR_SSE2
    case SPAN_RUNS_SSE2:
        fill_sse2(n, w, w_dx, depth, pixel, colour);
        return;
#endif
    default:
        fill_plain(n, w, w_dx, depth, pixel, colour);
        return;
    }
}

void span_fill_long(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour) {
#if VELMOR_AVX2
    if (cpu_has_avx2()) {
        fill_avx2(n, w, w_dx, depth, pixel, colour);
        return;
    }
#endif
#if VELMOR_SSE2
    fill_sse2(n, w, w_dx, depth, pixel, colour);
#else
    fill_plain(n, w, w_dx, depth, pixel, colour);
#endif
}
