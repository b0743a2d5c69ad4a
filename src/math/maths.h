// Maths: the 4 x 4 Matrix and its operations, the Plane, and sine and cosine
// that give the same bits on every platform the program is built for.
#pragma once

#include <cstdint>

// Sixteen floats, row by row: element 4r + c is row r, column c. Points are row
// vectors multiplied on the left; the translation sits in elements 12, 13, 14.
struct Matrix {
    float m[16];
};

// a*x + b*y + c*z + d is the signed distance of a point; the positive side is kept.
struct Plane {
    float a, b, c, d;
};

void matrix_identity(Matrix& m);
// product = left * right: with row vectors, left acts first. product may be
// left, right or both.
void matrix_multiply(const Matrix& left, const Matrix& right, Matrix& product);
// Each pre-multiplies m by an elementary matrix, so the new transform acts in
// m's own local frame, before what m already holds.
void matrix_rotate_x(Matrix& m, float angle);
void matrix_rotate_y(Matrix& m, float angle);
void matrix_rotate_z(Matrix& m, float angle);
void matrix_translate(Matrix& m, float x, float y, float z);
// The determinant of the upper-left 3 x 3, in extended precision rounded to
// float once: negative for a matrix that mirrors.
float matrix_determinant3(const Matrix& m);
// The inverse of a rotation and translation, mirrored or not (column 3 is not
// read; the result's is 0, 0, 0, 1). src and dst differ.
void matrix_affine_inverse(const Matrix& src, Matrix& dst);

// The plane through p0, p1 and p2 whose normal is (p1 - p0) x (p2 - p0),
// normalised, with d = -(normal . p0); three points without area give
// (0, 0, 0, 0).
Plane plane_from_points(const float p0[3], const float p1[3], const float p2[3]);

// Sine and cosine in extended precision, computed with plain IEEE arithmetic
// only, so that every build (glibc, mingw-w64) gets the same bits. Accurate to
// about one unit in the last place of a long double for |x| up to about 1e6.
long double math_sinl(long double x);
long double math_cosl(long double x);
// The same, rounded to double.
double math_sin(double x);
double math_cos(double x);
