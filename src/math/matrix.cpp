#include <cstring>

#include "math/math.h"

void matrix_identity(Matrix& m) {
    for (int i = 0; i < 16; ++i)
        m.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void matrix_multiply(const Matrix& a, const Matrix& b, Matrix& dst) {
    // Each element is summed in double and rounded once; the temporary lets
    // dst alias either operand.
    Matrix t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = (double)b.m[4 * r + 0] * a.m[0 + c];
            sum = sum + (double)b.m[4 * r + 1] * a.m[4 + c];
            sum = sum + (double)b.m[4 * r + 2] * a.m[8 + c];
            sum = sum + (double)b.m[4 * r + 3] * a.m[12 + c];
            t.m[4 * r + c] = (float)sum;
        }
    }
    dst = t;
}

namespace {

struct SinCos {
    float s, c;
};

// The program turns by few distinct angles (the speeds are fixed, the rocking
// comes back every 63 ticks), and where long double arithmetic is done in
// software (WebAssembly) its sine and cosine are dear: results are remembered
// by the angle's bits, in a table with one place for each hash.
constexpr int memo_bits = 10;

struct SinCosMemo {
    uint32_t angle_bits[1 << memo_bits];
    SinCos values[1 << memo_bits];
    bool used[1 << memo_bits];
};

// One table per thread; an Emscripten build without threads has one thread
// and no thread-local storage.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
SinCosMemo memo;
#else
thread_local SinCosMemo memo;
#endif

SinCos sin_cos_of(float angle) {
    uint32_t bits;
    std::memcpy(&bits, &angle, sizeof bits);
    const uint32_t slot = (bits * 2654435761u) >> (32 - memo_bits);
    if (memo.used[slot] && memo.angle_bits[slot] == bits) return memo.values[slot];
    const SinCos sc = {(float)math_sin(angle), (float)math_cos(angle)};
    memo.angle_bits[slot] = bits;
    memo.values[slot] = sc;
    memo.used[slot] = true;
    return sc;
}

} // namespace

void matrix_rotate_x(Matrix& m, float angle) {
    SinCos sc = sin_cos_of(angle);
    Matrix r;
    matrix_identity(r);
    r.m[5] = sc.c;
    r.m[6] = sc.s;
    r.m[9] = -sc.s;
    r.m[10] = sc.c;
    matrix_multiply(m, r, m);
}

void matrix_rotate_y(Matrix& m, float angle) {
    SinCos sc = sin_cos_of(angle);
    Matrix r;
    matrix_identity(r);
    r.m[0] = sc.c;
    r.m[2] = -sc.s;
    r.m[8] = sc.s;
    r.m[10] = sc.c;
    matrix_multiply(m, r, m);
}

void matrix_rotate_z(Matrix& m, float angle) {
    SinCos sc = sin_cos_of(angle);
    Matrix r;
    matrix_identity(r);
    r.m[0] = sc.c;
    r.m[1] = sc.s;
    r.m[4] = -sc.s;
    r.m[5] = sc.c;
    matrix_multiply(m, r, m);
}

void matrix_translate(Matrix& m, float x, float y, float z) {
    Matrix t;
    matrix_identity(t);
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    matrix_multiply(m, t, m);
}
