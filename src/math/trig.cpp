// Sine and cosine from additions, multiplications and divisions alone: the
// platforms' own libraries round differently in the last place, and a single
// differing bit of a rotation changes pixels.
#include <cfloat>
#include <climits>
#include <cstdint>
#include <limits>

#include "math/maths.h"

// What the drawing core's arithmetic takes for granted; a build where one of
// these fails would draw other pixels.
#if defined(__FAST_MATH__)
#error "-ffast-math reorders and contracts the arithmetic that the pixels depend on"
#endif
static_assert(FLT_EVAL_METHOD == 0,
              "float and double expressions must be rounded to their own type at every step "
              "(SSE or NEON, not the x87 stack)");
static_assert(CHAR_BIT == 8 && sizeof(float) == 4 && sizeof(double) == 8 && sizeof(int32_t) == 4 &&
                  sizeof(uint32_t) == 4,
              "32-bit floats and pixels, 64-bit doubles");
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559 &&
                  std::numeric_limits<long double>::is_iec559,
              "IEEE 754 binary formats with round-to-nearest arithmetic");
static_assert(std::numeric_limits<float>::round_style == std::round_to_nearest &&
                  std::numeric_limits<double>::round_style == std::round_to_nearest,
              "rounding to nearest, ties to even");
// long double is the x87's 64-bit significand on x86 (GCC, mingw-w64; on
// Windows only while the x87 precision control says so, which WinMain sees to),
// the 113-bit IEEE quad on aarch64 Linux, and a plain double with MSVC or
// -mlong-double-64. Extended precision is used in three places: this sine and
// cosine (every turn goes through it), the rocking turn of the frame work and
// matrix_affine_inverse. Each rounds to float once at the end, and the result
// is the same float for all three widths: the products of two floats that
// matrix_affine_inverse sums are exact even in a double; the angles the
// program turns by, and their sines and cosines, lie more than 2^-20 of a
// float step (2^-11 measured) from a float's rounding boundary, where a
// double's 53 bits err by about 2^-26 of one (tests/cpu/test_rounding_margin.cpp).
// Measured equal: 100 frames of each of 44 scenes, as demo and as view mode,
// drawn by x86-64, aarch64 and -mlong-double-64 builds (tests/cpu compares a
// dozen of them), and the affine inverse of every turning object over 200000
// frames with double, x87 and quad intermediates. Other widths were not measured.
static_assert(std::numeric_limits<long double>::digits == 53 ||
                  std::numeric_limits<long double>::digits == 64 ||
                  std::numeric_limits<long double>::digits == 113,
              "long double of a width whose frames were compared");

namespace {

// pi/2 in three parts; the first two have short mantissas so that k * part is
// exact for every quadrant count k below 2^24.
constexpr long double HALF_PI_1 = 0xc90fdaa221p-39L;
constexpr long double HALF_PI_2 = 0xd18469898dp-80L;
constexpr long double HALF_PI_3 = -0xeba3f91f1976b7eep-146L;
constexpr long double TWO_OVER_PI = 0xa2f9836e4e44152ap-64L;
constexpr int SERIES_TERMS = 14;

// Taylor series in nested form, for |r| <= pi/4.
long double sin_reduced(long double r) {
    long double r2 = r * r;
    long double s = 1.0L;
    for (int n = SERIES_TERMS; n >= 1; --n)
        s = 1.0L - r2 / ((2.0L * n) * (2.0L * n + 1.0L)) * s;
    return r * s;
}

long double cos_reduced(long double r) {
    long double r2 = r * r;
    long double c = 1.0L;
    for (int n = SERIES_TERMS; n >= 1; --n)
        c = 1.0L - r2 / ((2.0L * n - 1.0L) * (2.0L * n)) * c;
    return c;
}

// Sine of x shifted by quarter_turns quarter turns.
long double sin_quadrant(long double x, int quarter_turns) {
    if (x != x || x - x != 0.0L) return x - x; // NaN for NaN and infinities
    long double scaled = x * TWO_OVER_PI;
    long long k = (long long)(scaled + (scaled >= 0.0L ? 0.5L : -0.5L));
    long double r = x; // k = 0 keeps x as it is, signed zero included
    if (k != 0) {
        long double kf = (long double)k;
        r = x - kf * HALF_PI_1;
        r = r - kf * HALF_PI_2;
        r = r - kf * HALF_PI_3;
    }
    switch ((unsigned long long)(k + quarter_turns) & 3u) {
    case 0:
        return sin_reduced(r);
    case 1:
        return cos_reduced(r);
    case 2:
        return -sin_reduced(r);
    default:
        return -cos_reduced(r);
    }
}

} // namespace

long double math_sinl(long double x) {
    return sin_quadrant(x, 0);
}
long double math_cosl(long double x) {
    return sin_quadrant(x, 1);
}
double math_sin(double x) {
    return (double)math_sinl(x);
}
double math_cos(double x) {
    return (double)math_cosl(x);
}
