// Matrix products and the elementary transforms (which factor acts first,
// aliasing, the direction of every turn), the affine inverse and the plane
// through three points. The renderer's golden frames check the bits of the
// whole chain.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "math/maths.h"

namespace {

const float HALF_PI = 1.57079637f;

Matrix sample(float base) {
    Matrix m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = base + 0.37f * (float)i - 0.011f * (float)(i * i);
    return m;
}

bool same_bits(const Matrix& a, const Matrix& b) {
    return std::memcmp(a.m, b.m, 64) == 0;
}

// The row vector (x, y, z, 1) times m.
std::array<float, 3> transform(const Matrix& m, float x, float y, float z) {
    std::array<float, 3> out;
    for (int c = 0; c < 3; ++c)
        out[c] = x * m.m[c] + y * m.m[4 + c] + z * m.m[8 + c] + m.m[12 + c];
    return out;
}

} // namespace

TEST(MatrixMultiply, LeftFactorActsFirstAndTheProductMayAliasEither) {
    Matrix scale, move, product;
    matrix_identity(scale);
    matrix_identity(move);
    scale.m[0] = 2.0f;                     // scales x by 2
    move.m[12] = 5.0f;                     // moves by x 5
    matrix_multiply(scale, move, product); // scale first, then move
    EXPECT_EQ(transform(product, 1, 0, 0)[0], 7.0f);

    const Matrix p = sample(1.5f), q = sample(-2.25f);
    Matrix expected, square, dst_p = p, dst_q = q, both = p;
    matrix_multiply(p, q, expected);
    matrix_multiply(p, p, square);
    matrix_multiply(dst_p, q, dst_p);
    matrix_multiply(p, dst_q, dst_q);
    matrix_multiply(both, both, both);
    EXPECT_TRUE(same_bits(dst_p, expected));
    EXPECT_TRUE(same_bits(dst_q, expected));
    EXPECT_TRUE(same_bits(both, square));
}

TEST(MatrixRotate, QuarterTurnsCarryOneAxisOntoAnother) {
    const struct {
        void (*rotate)(Matrix&, float);
        std::array<float, 3> from, to;
    } cases[] = {{matrix_rotate_x, {0, 1, 0}, {0, 0, 1}},
                 {matrix_rotate_y, {0, 0, 1}, {1, 0, 0}},
                 {matrix_rotate_y, {1, 0, 0}, {0, 0, -1}},
                 {matrix_rotate_z, {1, 0, 0}, {0, 1, 0}}};
    for (const auto& c : cases) {
        Matrix m;
        matrix_identity(m);
        c.rotate(m, HALF_PI);
        const std::array<float, 3> q = transform(m, c.from[0], c.from[1], c.from[2]);
        for (int i = 0; i < 3; ++i) {
            if (c.to[i] == 0.0f)
                EXPECT_NEAR(q[i], 0.0f, 1e-7f);
            else
                EXPECT_EQ(q[i], c.to[i]);
        }
    }
}

TEST(MatrixTranslate, ActsBeforeWhatTheMatrixHolds) {
    // A rotation applied after the translation acts first: row 3 unchanged.
    Matrix m;
    matrix_identity(m);
    matrix_translate(m, 1, 2, 3);
    matrix_rotate_x(m, 0.7f);
    EXPECT_EQ(transform(m, 0, 0, 0), (std::array<float, 3>{1, 2, 3}));

    // The reverse order moves the translation along the rotated axes.
    matrix_identity(m);
    matrix_rotate_z(m, HALF_PI);
    matrix_translate(m, 1, 0, 0);
    EXPECT_NEAR(m.m[12], 0.0f, 1e-7f);
    EXPECT_EQ(m.m[13], 1.0f);
}

// Products of the matrix and its inverse come back to the identity, for a
// turn and move, a camera that looks down and stands back, and a mirrored
// placement (y and z swapped), whose determinant is -1.
TEST(AffineInverse, UndoesTurnsMovesAndMirrors) {
    Matrix moved, camera, mirrored;
    matrix_identity(mirrored);
    mirrored.m[5] = mirrored.m[10] = 0.0f;
    mirrored.m[6] = mirrored.m[9] = 1.0f;
    matrix_translate(mirrored, 2, 0, -9);
    EXPECT_EQ(matrix_determinant3(mirrored), -1.0f);
    matrix_identity(moved);
    matrix_rotate_z(moved, 0.7f);
    matrix_rotate_x(moved, -1.1f);
    matrix_translate(moved, 3, -4, 5);
    moved.m[3] = 7.0f; // column 3 is never read
    matrix_identity(camera);
    matrix_rotate_z(camera, 3.0f);
    matrix_rotate_x(camera, -0.5f);
    matrix_translate(camera, 0, 0, -150);
    EXPECT_NEAR(matrix_determinant3(camera), 1.0f, 1e-6f);
    for (const Matrix& m : {moved, camera, mirrored}) {
        Matrix inverse, product;
        matrix_affine_inverse(m, inverse);
        EXPECT_EQ(inverse.m[3], 0.0f);
        EXPECT_EQ(inverse.m[7], 0.0f);
        EXPECT_EQ(inverse.m[11], 0.0f);
        EXPECT_EQ(inverse.m[15], 1.0f);
        Matrix affine = m;
        affine.m[3] = 0.0f;
        matrix_multiply(inverse, affine, product);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(product.m[i], i % 5 == 0 ? 1.0f : 0.0f, 2e-5f) << i;
    }
}

// The normal follows (p1 - p0) x (p2 - p0); swapping two points flips it.
TEST(PlaneFromPoints, UnitNormalSignedDistanceAndNoArea) {
    const struct {
        float p[3][3];
        Plane want;
    } cases[] = {
        {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 0, 1, -0.0f}},
        {{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {0, 0, -1, -0.0f}},
        {{{0, 0, 2}, {3, 0, 2}, {0, 3, 2}}, {0, 0, 1, -2}},
        {{{1, 0, 0}, {1, 0, 4}, {1, 4, 0}}, {-1, 0, 0, 1}},
        {{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 0, 0, 0}}, // on one line
    };
    for (const auto& c : cases) {
        const Plane got = plane_from_points(c.p[0], c.p[1], c.p[2]);
        EXPECT_EQ(std::memcmp(&got, &c.want, sizeof got), 0)
            << got.a << " " << got.b << " " << got.c << " " << got.d;
    }
}

// Sines and cosines are remembered by the angle's bits: more angles than the
// memo holds, each turned by twice in an order that evicts, must give the bits
// of a rotation built from math_sin and math_cos directly.
TEST(MatrixRotate, RememberedAnglesGiveTheBitsOfFreshOnes) {
    std::vector<float> angles;
    for (int i = 0; i < 3000; ++i)
        angles.push_back(-20.0f + 0.0137f * (float)i);
    for (int pass = 0; pass < 2; ++pass) {
        for (float angle : angles) {
            Matrix turned = sample(0.5f), expected = sample(0.5f), r;
            matrix_identity(r);
            r.m[5] = r.m[10] = (float)math_cos(angle);
            r.m[6] = (float)math_sin(angle);
            r.m[9] = -r.m[6];
            matrix_multiply(r, expected, expected);
            matrix_rotate_x(turned, angle);
            ASSERT_TRUE(same_bits(turned, expected)) << angle << " pass " << pass;
        }
    }
}
