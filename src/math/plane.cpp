#include <cmath>

#include "math/maths.h"

Plane plane_from_points(const float p0[3], const float p1[3], const float p2[3]) {
    const float e1x = p1[0] - p0[0], e1y = p1[1] - p0[1], e1z = p1[2] - p0[2];
    const float e2x = p2[0] - p0[0], e2y = p2[1] - p0[1], e2z = p2[2] - p0[2];
    const float nx = e1y * e2z - e1z * e2y;
    const float ny = e1z * e2x - e1x * e2z;
    const float nz = e1x * e2y - e1y * e2x;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (len == 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f}; // no area, no direction
    Plane p;
    p.a = nx / len;
    p.b = ny / len;
    p.c = nz / len;
    p.d = -(p.a * p0[0] + p.b * p0[1] + p.c * p0[2]);
    return p;
}
