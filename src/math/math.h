// Maths: the 4 x 4 Matrix, the Plane, and sine and cosine that give the same
// bits on every platform the program is built for.
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
// dst = b * a (b is the LEFT factor). dst may be a, b or both.
void matrix_multiply(const Matrix& a, const Matrix& b, Matrix& dst);
// Each pre-multiplies m by an elementary matrix, so the new transform acts in
// m's own local frame, before what m already holds.
void matrix_rotate_x(Matrix& m, float angle);
void matrix_rotate_y(Matrix& m, float angle);
void matrix_rotate_z(Matrix& m, float angle);
void matrix_translate(Matrix& m, float x, float y, float z);

// Sine and cosine in extended precision, computed with plain IEEE arithmetic
// only, so that every build (glibc, mingw-w64) gets the same bits. Accurate to
// about one unit in the last place of a long double for |x| up to about 1e6.
long double math_sinl(long double x);
long double math_cosl(long double x);
// The same, rounded to double.
double math_sin(double x);
double math_cos(double x);
