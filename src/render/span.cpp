// Filling one span: depth exact at the first pixel of every 16-pixel run and
// stepped linearly within it, one unsigned compare per pixel.
#include "render/span.h"

namespace {

// What a span paints: one colour, or each pixel shaded (SpanShade, b at the
// next pixel the cursor comes to).
struct FlatPaint {
    uint32_t colour;
};
using SmoothPaint = SpanShade;

inline void run_fill(uint32_t d0, int32_t step, uint32_t* pixel, int32_t n, uint32_t* depth,
                     const FlatPaint& p) {
    span_run_fill(d0, step, pixel, pixel + n, depth, p.colour);
}
inline void run_fill(uint32_t d0, int32_t step, uint32_t* pixel, int32_t n, uint32_t* depth,
                     const SmoothPaint& p) {
    span_run_fill_smooth(d0, step, pixel, pixel + n, depth, p.colour, p.b, p.b_dx);
}
inline void paint_skip(FlatPaint&, int32_t) {}
inline void paint_skip(SmoothPaint& p, int32_t n) {
    p.b += (uint32_t)n * p.b_dx;
}

} // namespace

#if VELMOR_SSE2

namespace {

// Four pixels of a run: depths is the run's depth in each lane, offset by 2^31
// so that the signed compare of SSE2 orders them as unsigned values; their
// colours are made only when a pixel shows.
template <typename Colours>
inline void fill_four(__m128i depths, uint32_t* depth, uint32_t* pixel, Colours colours_of) {
    const __m128i sign = _mm_set1_epi32((int)0x80000000u);
    const __m128i stored = _mm_loadu_si128((const __m128i*)depth);
    const __m128i nearer = _mm_cmplt_epi32(depths, _mm_xor_si128(stored, sign));
    const int mask = _mm_movemask_epi8(nearer);
    if (mask == 0) return;
    const __m128i colours = colours_of();
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

// span_shade_pixel in four lanes: the brightness saturated to 16 bits and
// clamped, each channel multiplied in 16 bits and shifted back.
inline __m128i shade_four(__m128i b, __m128i base16) {
    __m128i e = _mm_packs_epi32(_mm_srai_epi32(b, 16), _mm_srai_epi32(b, 16));
    e = _mm_min_epi16(_mm_max_epi16(e, _mm_setzero_si128()), _mm_set1_epi16(255));
    const __m128i pairs = _mm_unpacklo_epi16(e, e);
    const __m128i low =
        _mm_srli_epi16(_mm_mullo_epi16(base16, _mm_unpacklo_epi32(pairs, pairs)), 8);
    const __m128i high =
        _mm_srli_epi16(_mm_mullo_epi16(base16, _mm_unpackhi_epi32(pairs, pairs)), 8);
    return _mm_packus_epi16(low, high);
}

// The colours of a run's lanes, four pixels at a time.
struct FlatSse {
    __m128i colours;
    explicit FlatSse(const FlatPaint& p) : colours(_mm_set1_epi32((int)p.colour)) {}
    void start(const FlatPaint&) {}
    __m128i colours_now() const { return colours; }
    void next() {}
};
struct SmoothSse {
    __m128i base16, step4, b;
    explicit SmoothSse(const SmoothPaint& p)
        : base16(_mm_unpacklo_epi8(_mm_set1_epi32((int)p.colour), _mm_setzero_si128())),
          step4(_mm_set1_epi32((int)(p.b_dx * 4u))), b() {}
    void start(const SmoothPaint& p) {
        const uint32_t d = p.b_dx;
        b = _mm_setr_epi32((int)p.b, (int)(p.b + d), (int)(p.b + 2 * d), (int)(p.b + 3 * d));
    }
    __m128i colours_now() const { return shade_four(b, base16); }
    void next() { b = _mm_add_epi32(b, step4); }
};

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

template <typename Paint> inline void run_done(SpanCursor& c, Paint& paint) {
    c.pixel += 16;
    c.depth += 16;
    c.n -= 16;
    paint_skip(paint, 16);
}

template <typename Paint>
VELMOR_ALWAYS_INLINE void runs_plain(SpanCursor& c, float w_dx, Paint& paint) {
    while (c.n >= 16) {
        uint32_t d0;
        const int32_t step = run_step(c, w_dx, d0);
        run_fill(d0, step, c.pixel, 16, c.depth, paint);
        run_done(c, paint);
    }
}

#if VELMOR_SSE2

// Four pixels at a time: depth + k * step in lane k.
template <typename Paint, typename Lanes>
VELMOR_ALWAYS_INLINE void runs_sse2(SpanCursor& c, float w_dx, Paint& paint) {
    Lanes lanes(paint);
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
        lanes.start(paint);
        for (int g = 0; g < 16; g += 4) {
            fill_four(depths, c.depth + g, c.pixel + g, [&lanes] { return lanes.colours_now(); });
            depths = _mm_add_epi32(depths, step4);
            lanes.next();
        }
        run_done(c, paint);
    }
}

#endif

#if VELMOR_AVX2

#define VELMOR_TARGET_AVX2 __attribute__((target("avx2")))

// span_shade_pixel in eight lanes, as shade_four does it in four.
VELMOR_TARGET_AVX2 inline __m256i shade_eight(__m256i b, __m256i base16) {
    __m256i e = _mm256_packs_epi32(_mm256_srai_epi32(b, 16), _mm256_srai_epi32(b, 16));
    e = _mm256_min_epi16(_mm256_max_epi16(e, _mm256_setzero_si256()), _mm256_set1_epi16(255));
    const __m256i pairs = _mm256_unpacklo_epi16(e, e);
    const __m256i low =
        _mm256_srli_epi16(_mm256_mullo_epi16(base16, _mm256_unpacklo_epi32(pairs, pairs)), 8);
    const __m256i high =
        _mm256_srli_epi16(_mm256_mullo_epi16(base16, _mm256_unpackhi_epi32(pairs, pairs)), 8);
    return _mm256_packus_epi16(low, high);
}

struct FlatAvx {
    __m256i colours;
    VELMOR_TARGET_AVX2 explicit FlatAvx(const FlatPaint& p)
        : colours(_mm256_set1_epi32((int)p.colour)) {}
    VELMOR_TARGET_AVX2 void start(const FlatPaint&) {}
    VELMOR_TARGET_AVX2 __m256i colours_now() const { return colours; }
    VELMOR_TARGET_AVX2 void next() {}
};
struct SmoothAvx {
    __m256i base16, step8, b;
    VELMOR_TARGET_AVX2 explicit SmoothAvx(const SmoothPaint& p)
        : base16(_mm256_unpacklo_epi8(_mm256_set1_epi32((int)p.colour), _mm256_setzero_si256())),
          step8(_mm256_set1_epi32((int)(p.b_dx * 8u))), b() {}
    VELMOR_TARGET_AVX2 void start(const SmoothPaint& p) {
        b = _mm256_add_epi32(_mm256_set1_epi32((int)p.b),
                             _mm256_mullo_epi32(_mm256_set1_epi32((int)p.b_dx),
                                                _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    }
    VELMOR_TARGET_AVX2 __m256i colours_now() const { return shade_eight(b, base16); }
    VELMOR_TARGET_AVX2 void next() { b = _mm256_add_epi32(b, step8); }
};

// Eight pixels at a time, for processors that have AVX2; the same integer
// operations on twice the lanes.
template <typename Paint, typename Lanes>
VELMOR_TARGET_AVX2 VELMOR_ALWAYS_INLINE void runs_avx2(SpanCursor& c, float w_dx, Paint& paint) {
    Lanes lanes(paint);
    const __m256i sign = _mm256_set1_epi32((int)0x80000000u);
    const __m256i lane_index = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    while (c.n >= 16) {
        uint32_t d0;
        const __m256i steps = _mm256_set1_epi32(run_step(c, w_dx, d0));
        __m256i depths = _mm256_add_epi32(_mm256_set1_epi32((int)(d0 ^ 0x80000000u)),
                                          _mm256_mullo_epi32(steps, lane_index));
        lanes.start(paint);
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
                _mm256_storeu_si256((__m256i*)pixel,
                                    _mm256_blendv_epi8(old, lanes.colours_now(), nearer));
            }
            depths = _mm256_add_epi32(depths, _mm256_slli_epi32(steps, 3));
            lanes.next();
        }
        run_done(c, paint);
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

template <typename Paint>
inline void span_tail(const SpanCursor& c, float w_dx, const Paint& paint) {
    run_fill(c.d0, span_tail_step(c.n, c.d0, c.w, w_dx), c.pixel, c.n, c.depth, paint);
}

// A whole span with each code for its runs. The cursor is a local of one
// function, where it stays in registers; passed between functions it would
// live in memory, which the stores to the buffers might change as far as the
// compiler knows, and it would be stored and loaded again for every run.
template <typename Paint>
void fill_plain(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel, Paint paint) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_plain(c, w_dx, paint);
    if (c.n > 0) span_tail(c, w_dx, paint);
}

#if VELMOR_SSE2
template <typename Paint, typename Lanes>
void fill_sse2(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel, Paint paint) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_sse2<Paint, Lanes>(c, w_dx, paint);
    if (c.n > 0) span_tail(c, w_dx, paint);
}
#endif

#if VELMOR_AVX2
// Whether any of the last pixels, fewer than 16, at d0 + k * step is nearer
// than what the depth buffer holds; lanes past them are not loaded and
// compare as never nearer. A tail wholly behind is then passed over without
// the pixel loop, whose end the processor would mispredict.
VELMOR_TARGET_AVX2 VELMOR_ALWAYS_INLINE bool tail_shows_avx2(const SpanCursor& c, int32_t step) {
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

template <typename Paint, typename Lanes>
VELMOR_TARGET_AVX2 void fill_avx2(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                                  Paint paint) {
    SpanCursor c = {n, w, depth_from_w(w), depth, pixel};
    runs_avx2<Paint, Lanes>(c, w_dx, paint);
    if (c.n == 0) return;
    const int32_t step = span_tail_step(c.n, c.d0, c.w, w_dx);
    if (tail_shows_avx2(c, step)) run_fill(c.d0, step, c.pixel, c.n, c.depth, paint);
}
#endif

// span_fill_with for either paint.
template <typename Paint, typename Sse, typename Avx>
void fill_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
               const Paint& paint) {
    switch (runs) {
#if VELMOR_AVX2
    case SPAN_RUNS_AVX2:
        fill_avx2<Paint, Avx>(n, w, w_dx, depth, pixel, paint);
        return;
#endif
#if VELMOR_SSE2
    case SPAN_RUNS_SSE2:
        fill_sse2<Paint, Sse>(n, w, w_dx, depth, pixel, paint);
        return;
#endif
    default:
        fill_plain(n, w, w_dx, depth, pixel, paint);
        return;
    }
}

// span_fill_with the best code this processor has.
template <typename Paint, typename Sse, typename Avx>
void fill_best(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
               const Paint& paint) {
#if VELMOR_AVX2
    if (cpu_has_avx2()) {
        fill_avx2<Paint, Avx>(n, w, w_dx, depth, pixel, paint);
        return;
    }
#endif
#if VELMOR_SSE2
    fill_sse2<Paint, Sse>(n, w, w_dx, depth, pixel, paint);
#else
    fill_plain(n, w, w_dx, depth, pixel, paint);
#endif
}

#if !VELMOR_SSE2
struct FlatSse {};
struct SmoothSse {};
#endif
#if !VELMOR_AVX2
struct FlatAvx {};
struct SmoothAvx {};
#endif

} // namespace

void span_fill_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour) {
    fill_with<FlatPaint, FlatSse, FlatAvx>(runs, n, w, w_dx, depth, pixel, FlatPaint{colour});
}

void span_fill_smooth_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth,
                           uint32_t* pixel, const SpanShade& shade) {
    fill_with<SmoothPaint, SmoothSse, SmoothAvx>(runs, n, w, w_dx, depth, pixel, shade);
}

void span_fill_long(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour) {
    fill_best<FlatPaint, FlatSse, FlatAvx>(n, w, w_dx, depth, pixel, FlatPaint{colour});
}

void span_fill_smooth(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                      const SpanShade& shade) {
    if (n < 16) {
        const uint32_t d0 = depth_from_w(w);
        span_run_fill_smooth(d0, span_tail_step(n, d0, w, w_dx), pixel, pixel + n, depth,
                             shade.colour, shade.b, shade.b_dx);
        return;
    }
    fill_best<SmoothPaint, SmoothSse, SmoothAvx>(n, w, w_dx, depth, pixel, shade);
}
