#include "mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "math/maths.h"

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
Vec3 normalised(Vec3 a) {
    return a * (1.0 / length(a));
}

uint16_t mesh_add_vertex(Mesh& mesh, Vec3 p, float u, float v) {
    if (mesh.vertices.size() >= 65535) throw std::length_error("too many vertices for one object");
    mesh.vertices.push_back(p);
    mesh.mapping.push_back({u, v});
    return (uint16_t)(mesh.vertices.size() - 1);
}

void mesh_add_triangle(Mesh& mesh, uint16_t a, uint16_t b, uint16_t c, uint8_t part) {
    if (mesh.faces.size() >= 65535) throw std::length_error("too many faces for one object");
    mesh.faces.push_back({a, b, c});
    mesh.face_part.push_back(part);
}

void mesh_add_quad(Mesh& mesh, uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint8_t part) {
    mesh_add_triangle(mesh, a, b, c, part);
    mesh_add_triangle(mesh, a, c, d, part);
}

void mesh_turn(Mesh& mesh, double about_x, double about_z) {
    const double to_radians = 3.14159265358979323846 / 180.0;
    double cx = math_cos(about_x * to_radians), sx = math_sin(about_x * to_radians);
    double cz = math_cos(about_z * to_radians), sz = math_sin(about_z * to_radians);
    for (Vec3& p : mesh.vertices) {
        Vec3 q = {p.x, p.y * cx - p.z * sx, p.y * sx + p.z * cx};
        p = {q.x * cz - q.y * sz, q.x * sz + q.y * cz, q.z};
    }
}

double mesh_volume(const Mesh& mesh) {
    double six_volume = 0.0;
    for (const auto& f : mesh.faces) {
        const Vec3 &a = mesh.vertices[f[0]], &b = mesh.vertices[f[1]], &c = mesh.vertices[f[2]];
        six_volume += dot(a, cross(b, c));
    }
    return six_volume / 6.0;
}

namespace {

// The point of triangle abc nearest to p, by the triangle's Voronoi regions.
Vec3 closest_point_on_triangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
    Vec3 ab = b - a, ac = c - a, ap = p - a;
    double d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    Vec3 bp = p - b;
    double d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    Vec3 cp = p - c;
    double d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    double denominator = 1.0 / (va + vb + vc);
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

} // namespace

double mesh_min_radius(const Mesh& mesh) {
    double r = INFINITY;
    const Vec3 origin = {0, 0, 0};
    for (const auto& f : mesh.faces) {
        Vec3 q = closest_point_on_triangle(origin, mesh.vertices[f[0]], mesh.vertices[f[1]],
                                           mesh.vertices[f[2]]);
        r = std::min(r, length(q));
    }
    return r;
}

double mesh_max_radius(const Mesh& mesh) {
    double r = 0.0;
    for (const Vec3& p : mesh.vertices)
        r = std::max(r, length(p));
    return r;
}

bool mesh_is_closed(const Mesh& mesh) {
    std::map<std::pair<uint16_t, uint16_t>, int> edges;
    for (const auto& f : mesh.faces)
        for (int k = 0; k < 3; ++k)
            ++edges[{f[k], f[(k + 1) % 3]}];
    for (const auto& [edge, count] : edges) {
        auto reverse = edges.find({edge.second, edge.first});
        if (count != 1 || reverse == edges.end() || reverse->second != 1) return false;
    }
    return true;
}
