// Sine and cosine from additions, multiplications and divisions alone: the
// platforms' own libraries round differently in the last place, and a single
// differing bit of a rotation changes pixels.
#include "math/maths.h"

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
