#include <gtest/gtest.h>

#include <cstring>

#include "math/math.h"

namespace {

Matrix sample(float base) {
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i] = base + 0.37f * (float)i - 0.011f * (float)(i * i);
    return m;
}

bool same_bits(const Matrix& a, const Matrix& b) { return std::memcmp(a.m, b.m, 64) == 0; }

void transform(const Matrix& m, const float p[3], float out[3]) {
    for (int c = 0; c < 3; ++c)
        out[c] = p[0] * m.m[c] + p[1] * m.m[4 + c] + p[2] * m.m[8 + c] + m.m[12 + c];
}

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

} // namespace

TEST(MatrixMultiply, AliasingGivesTheSameValuesAsAThirdMatrix) {
    const Matrix a = sample(1.5f), b = sample(-2.25f);
    Matrix expected;
    matrix_multiply(a, b, expected);

    Matrix dst_a = a;
    matrix_multiply(dst_a, b, dst_a);
    EXPECT_TRUE(same_bits(dst_a, expected));

    Matrix dst_b = b;
    matrix_multiply(a, dst_b, dst_b);
    EXPECT_TRUE(same_bits(dst_b, expected));

    Matrix all = a, square;
    matrix_multiply(a, a, square);
    matrix_multiply(all, all, all);
    EXPECT_TRUE(same_bits(all, square));
}

TEST(MatrixMultiply, SecondOperandIsTheLeftFactor) {
    Matrix a, b, dst;
    matrix_identity(a);
    matrix_identity(b);
    a.m[12] = 5.0f; // a translates by x 5
    b.m[0] = 2.0f;  // b scales x by 2
    matrix_multiply(a, b, dst); // b * a: scale first, then translate
    const float p[3] = {1, 0, 0};
    float q[3];
    transform(dst, p, q);
    EXPECT_EQ(q[0], 7.0f);
}

TEST(MatrixMultiply, IdentityLeavesTheOtherOperand) {
    Matrix id, m = sample(3.0f), r1, r2;
    matrix_identity(id);
    matrix_multiply(id, m, r1);
    matrix_multiply(m, id, r2);
    EXPECT_TRUE(same_bits(r1, m));
    EXPECT_TRUE(same_bits(r2, m));
}

TEST(MatrixRotate, ZeroAngleChangesNothing) {
    Matrix m = sample(0.5f), r = m;
    matrix_rotate_x(r, 0.0f);
    matrix_rotate_y(r, 0.0f);
    matrix_rotate_z(r, 0.0f);
    EXPECT_TRUE(same_bits(m, r));
}

TEST(MatrixRotate, QuarterTurnsCarryAxesAsDocumented) {
    const float half_pi = 1.57079637f;
    const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0}, z[3] = {0, 0, 1};
    float q[3];
    Matrix m;

    matrix_identity(m);
    matrix_rotate_z(m, half_pi);
    transform(m, x, q);
    EXPECT_NEAR(q[0], 0.0f, 1e-7f);
    EXPECT_EQ(q[1], 1.0f);

    matrix_identity(m);
    matrix_rotate_x(m, half_pi);
    transform(m, y, q);
    EXPECT_EQ(q[2], 1.0f);

    matrix_identity(m);
    matrix_rotate_y(m, half_pi);
    transform(m, z, q);
    EXPECT_EQ(q[0], 1.0f);
    transform(m, x, q);
    EXPECT_EQ(q[2], -1.0f);
}

TEST(MatrixRotate, NegatedElementIsTheExactNegation) {
    Matrix m;
    matrix_identity(m);
    matrix_rotate_x(m, 0.3f);
    EXPECT_EQ(bits(m.m[9]), bits(m.m[6]) ^ 0x80000000u);
    matrix_identity(m);
    matrix_rotate_y(m, 0.3f);
    EXPECT_EQ(bits(m.m[2]), bits(m.m[8]) ^ 0x80000000u);
    matrix_identity(m);
    matrix_rotate_z(m, 0.3f);
    EXPECT_EQ(bits(m.m[4]), bits(m.m[1]) ^ 0x80000000u);
}

TEST(MatrixTranslate, OrderDecidesWhetherTheTranslationTurns) {
    Matrix m;
    matrix_identity(m);
    matrix_translate(m, 1, 2, 3);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    EXPECT_EQ(m.m[12], 1.0f);
    EXPECT_EQ(m.m[13], 2.0f);
    EXPECT_EQ(m.m[14], 3.0f);

    // A rotation applied after the translation acts first: row 3 unchanged.
    matrix_rotate_x(m, 0.7f);
    EXPECT_EQ(m.m[13], 2.0f);
    EXPECT_EQ(m.m[14], 3.0f);

    // The reverse order moves the translation along the rotated axes.
    Matrix r;
    matrix_identity(r);
    matrix_rotate_z(r, 1.57079637f);
    matrix_translate(r, 1, 0, 0);
    EXPECT_NEAR(r.m[12], 0.0f, 1e-7f);
    EXPECT_EQ(r.m[13], 1.0f);
}

TEST(MatrixCamera, StartUpCameraHasTheExpectedBits) {
    // Identity, turn about Z by -3.1415925, about X by -0.5235988, move by -150 z.
    float az, ax;
    uint32_t bz = 0xC0490FDA, bx = 0xBF060A92;
    std::memcpy(&az, &bz, 4);
    std::memcpy(&ax, &bx, 4);
    EXPECT_EQ(az, -3.1415925f);
    EXPECT_EQ(ax, -0.5235988f);
    Matrix cam;
    matrix_identity(cam);
    matrix_rotate_z(cam, az);
    matrix_rotate_x(cam, ax);
    matrix_translate(cam, 0, 0, -150);
    // T * Rx * Rz: the camera sits 150 units out along the turned z axis.
    EXPECT_NEAR(cam.m[12], 0.0f, 1e-4f);
    EXPECT_NEAR(cam.m[13], 75.0f, 1e-3f);
    EXPECT_NEAR(cam.m[14], -129.9038f, 1e-3f);
    EXPECT_EQ(cam.m[15], 1.0f);
}
