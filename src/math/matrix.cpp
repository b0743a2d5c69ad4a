#include <cstring>

#include "math/maths.h"

void matrix_identity(Matrix& m) {
    for (int i = 0; i < 16; ++i)
        m.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void matrix_multiply(const Matrix& left, const Matrix& right, Matrix& product) {
    // Each element is summed in double and rounded once; the temporary lets
    // product alias either factor.
    Matrix t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = (double)left.m[4 * r + 0] * right.m[0 + c];
            sum = sum + (double)left.m[4 * r + 1] * right.m[4 + c];
            sum = sum + (double)left.m[4 * r + 2] * right.m[8 + c];
            sum = sum + (double)left.m[4 * r + 3] * right.m[12 + c];
            t.m[4 * r + c] = (float)sum;
        }
    }
    product = t;
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
    matrix_multiply(r, m, m);
}

void matrix_rotate_y(Matrix& m, float angle) {
    SinCos sc = sin_cos_of(angle);
    Matrix r;
    matrix_identity(r);
    r.m[0] = sc.c;
    r.m[2] = -sc.s;
    r.m[8] = sc.s;
    r.m[10] = sc.c;
    matrix_multiply(r, m, m);
}

void matrix_rotate_z(Matrix& m, float angle) {
    SinCos sc = sin_cos_of(angle);
    Matrix r;
    matrix_identity(r);
    r.m[0] = sc.c;
    r.m[1] = sc.s;
    r.m[4] = -sc.s;
    r.m[5] = sc.c;
    matrix_multiply(r, m, m);
}

void matrix_translate(Matrix& m, float x, float y, float z) {
    Matrix t;
    matrix_identity(t);
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    matrix_multiply(t, m, m);
}

float matrix_determinant3(const Matrix& matrix) {
    using X = long double;
    const float* m = matrix.m;
    return (float)((X)m[0] * ((X)m[5] * m[10] - (X)m[6] * m[9]) -
                   (X)m[1] * ((X)m[4] * m[10] - (X)m[6] * m[8]) +
                   (X)m[2] * ((X)m[4] * m[9] - (X)m[5] * m[8]));
}

void matrix_affine_inverse(const Matrix& src, Matrix& dst) {
    // Products and sums in extended precision, every element rounded to float
    // once before and once after the division by the determinant (the same
    // floats whatever the width of long double: see trig.cpp).
    using X = long double;
    const float* m = src.m;
    float* r = dst.m;
    const float det = matrix_determinant3(src);
    r[0] = (float)((X)m[5] * m[10] - (X)m[6] * m[9]);
    r[1] = (float)((X)m[2] * m[9] - (X)m[1] * m[10]);
    r[2] = (float)((X)m[1] * m[6] - (X)m[2] * m[5]);
    r[4] = (float)((X)m[6] * m[8] - (X)m[4] * m[10]);
    r[5] = (float)((X)m[0] * m[10] - (X)m[2] * m[8]);
    r[6] = (float)((X)m[2] * m[4] - (X)m[0] * m[6]);
    r[8] = (float)((X)m[4] * m[9] - (X)m[5] * m[8]);
    r[9] = (float)((X)m[1] * m[8] - (X)m[0] * m[9]);
    r[10] = (float)((X)m[0] * m[5] - (X)m[1] * m[4]);
    r[12] = (float)-((X)m[12] * r[0] + (X)m[13] * r[4] + (X)m[14] * r[8]);
    r[13] = (float)-((X)m[12] * r[1] + (X)m[13] * r[5] + (X)m[14] * r[9]);
    r[14] = (float)-((X)m[12] * r[2] + (X)m[13] * r[6] + (X)m[14] * r[10]);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            r[4 * row + col] = r[4 * row + col] / det;
    r[3] = r[7] = r[11] = 0.0f;
    r[15] = 1.0f;
}
