// The five shapes of the default scene. Each is closed, so that back-face
// culling never shows an inside, and wound counter-clockwise seen from outside.
#include <cmath>
#include <map>
#include <utility>

#include "math/maths.h"
#include "mesh.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// Planar mapping across the shape's extent: enough for a map to sit on.
float map_coordinate(double value, double extent) {
    return (float)(0.5 + value / (2.0 * extent));
}

// Reverses a face whose normal points towards the given inside point.
void orient_away_from(Mesh& mesh, size_t first_face, Vec3 inside) {
    for (size_t i = first_face; i < mesh.faces.size(); ++i) {
        auto& f = mesh.faces[i];
        const Vec3 &a = mesh.vertices[f[0]], &b = mesh.vertices[f[1]], &c = mesh.vertices[f[2]];
        Vec3 centre = (a + b + c) * (1.0 / 3.0);
        if (dot(cross(b - a, c - a), centre - inside) < 0) std::swap(f[1], f[2]);
    }
}

void add_box(Mesh& mesh, Vec3 lo, Vec3 hi, uint8_t part, double extent) {
    uint16_t v[8];
    for (int i = 0; i < 8; ++i) {
        Vec3 p = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        v[i] = mesh_add_vertex(mesh, p, map_coordinate(p.x, extent), map_coordinate(p.z, extent));
    }
    static const int sides[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& s : sides)
        mesh_add_quad(mesh, v[s[0]], v[s[1]], v[s[2]], v[s[3]], part);
}

using MidpointCache = std::map<std::pair<uint16_t, uint16_t>, uint16_t>;

uint16_t unit_midpoint(Mesh& mesh, MidpointCache& cache, uint16_t a, uint16_t b) {
    auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    Vec3 p = normalised(mesh.vertices[a] + mesh.vertices[b]);
    uint16_t index = mesh_add_vertex(mesh, p, 0, 0);
    cache[key] = index;
    return index;
}

Mesh make_icosahedron() {
    const double g = (1.0 + std::sqrt(5.0)) / 2.0;
    const Vec3 corners[12] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                              {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                              {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    static const uint16_t faces[20][3] = {
        {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    Mesh mesh;
    for (const Vec3& c : corners)
        mesh_add_vertex(mesh, normalised(c), 0, 0);
    for (const auto& f : faces)
        mesh_add_triangle(mesh, f[0], f[1], f[2]);
    orient_away_from(mesh, 0, {0, 0, 0});
    return mesh;
}

// Each face becomes four, the new corners pushed out onto the unit sphere.
Mesh subdivide(const Mesh& mesh) {
    Mesh out;
    out.vertices = mesh.vertices;
    out.mapping = mesh.mapping;
    MidpointCache cache;
    for (const auto& f : mesh.faces) {
        uint16_t ab = unit_midpoint(out, cache, f[0], f[1]);
        uint16_t bc = unit_midpoint(out, cache, f[1], f[2]);
        uint16_t ca = unit_midpoint(out, cache, f[2], f[0]);
        mesh_add_triangle(out, f[0], ab, ca);
        mesh_add_triangle(out, ab, f[1], bc);
        mesh_add_triangle(out, ca, bc, f[2]);
        mesh_add_triangle(out, ab, bc, ca);
    }
    return out;
}

Vec3 on_circle(double radius, double angle, double z) {
    return {radius * math_cos(angle), radius * math_sin(angle), z};
}

// The outline of a gear seen from above: four points a tooth (root, tip, tip, root).
std::vector<std::pair<double, double>> gear_outline(double root, double tip, int teeth) {
    static const double tooth_steps[4] = {0.0, 0.15, 0.45, 0.6};
    std::vector<std::pair<double, double>> outline; // (angle, radius)
    const double pitch = 2.0 * PI / teeth;
    for (int k = 0; k < teeth; ++k)
        for (int s = 0; s < 4; ++s)
            outline.push_back({pitch * (k + tooth_steps[s]), (s == 1 || s == 2) ? tip : root});
    return outline;
}

// A periodic grid of quads: index (i, j) wraps in both directions.
void add_periodic_grid(Mesh& mesh, uint16_t base, int count_i, int count_j) {
    auto at = [&](int i, int j) {
        return (uint16_t)(base + (i % count_i) * count_j + (j % count_j));
    };
    for (int i = 0; i < count_i; ++i)
        for (int j = 0; j < count_j; ++j)
            mesh_add_quad(mesh, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
}

} // namespace

Mesh make_faceted_sphere(double radius, int subdivisions) {
    Mesh mesh = make_icosahedron();
    for (int i = 0; i < subdivisions; ++i)
        mesh = subdivide(mesh);
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        Vec3& p = mesh.vertices[i];
        p = p * radius;
        mesh.mapping[i] = {map_coordinate(p.x, radius), map_coordinate(p.z, radius)};
    }
    return mesh;
}

// Eight corner blocks and twelve bars between them; part 0 the bars, part 1 the corners.
Mesh make_box_frame(double half_size, double bar) {
    Mesh mesh;
    const double h = half_size, in = half_size - bar;
    for (int i = 0; i < 8; ++i) {
        Vec3 s = {(i & 1) ? 1.0 : -1.0, (i & 2) ? 1.0 : -1.0, (i & 4) ? 1.0 : -1.0};
        Vec3 a = s * in, b = s * h;
        add_box(mesh, {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)},
                {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)}, 1, h);
    }
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 4; ++i) {
            double u_lo = (i & 1) ? in : -h, u_hi = (i & 1) ? h : -in;
            double v_lo = (i & 2) ? in : -h, v_hi = (i & 2) ? h : -in;
            double lo[3], hi[3];
            lo[axis] = -in, hi[axis] = in;
            lo[(axis + 1) % 3] = u_lo, hi[(axis + 1) % 3] = u_hi;
            lo[(axis + 2) % 3] = v_lo, hi[(axis + 2) % 3] = v_hi;
            add_box(mesh, {lo[0], lo[1], lo[2]}, {hi[0], hi[1], hi[2]}, 0, h);
        }
    return mesh;
}

Mesh make_gear(double hole_radius, double root_radius, double tip_radius, double half_thickness,
               int teeth) {
    Mesh mesh;
    auto outline = gear_outline(root_radius, tip_radius, teeth);
    const int n = (int)outline.size();
    // Per outline point: hole bottom, hole top, rim bottom, rim top.
    for (const auto& [angle, radius] : outline)
        for (int k = 0; k < 4; ++k) {
            Vec3 p = on_circle(k < 2 ? hole_radius : radius, angle,
                               (k & 1) ? half_thickness : -half_thickness);
            mesh_add_vertex(mesh, p, map_coordinate(p.x, tip_radius),
                            map_coordinate(p.y, tip_radius));
        }
    for (int i = 0; i < n; ++i) {
        int a = 4 * i, b = 4 * ((i + 1) % n);
        uint16_t hole_bottom = a, hole_top = a + 1, rim_bottom = a + 2, rim_top = a + 3;
        uint16_t next_hole_bottom = b, next_hole_top = b + 1, next_rim_bottom = b + 2,
                 next_rim_top = b + 3;
        mesh_add_quad(mesh, hole_top, rim_top, next_rim_top, next_hole_top);
        mesh_add_quad(mesh, hole_bottom, next_hole_bottom, next_rim_bottom, rim_bottom);
        mesh_add_quad(mesh, rim_bottom, next_rim_bottom, next_rim_top, rim_top);
        mesh_add_quad(mesh, hole_bottom, hole_top, next_hole_top, next_hole_bottom);
    }
    return mesh;
}

Mesh make_torus(double major_radius, double minor_radius, int rings, int sides) {
    Mesh mesh;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j) {
            double u = 2.0 * PI * i / rings, v = 2.0 * PI * j / sides;
            double r = major_radius + minor_radius * math_cos(v);
            mesh_add_vertex(mesh, on_circle(r, u, minor_radius * math_sin(v)),
                            (float)i / (float)rings, (float)j / (float)sides);
        }
    add_periodic_grid(mesh, 0, rings, sides);
    return mesh;
}

Mesh make_knot(double major_radius, double amplitude, double tube_radius, int segments, int sides) {
    Mesh mesh;
    for (int i = 0; i < segments; ++i) {
        double t = 2.0 * PI * i / segments;
        double c2 = math_cos(2 * t), s2 = math_sin(2 * t), c3 = math_cos(3 * t),
               s3 = math_sin(3 * t);
        double rho = major_radius + amplitude * c3, drho = -3.0 * amplitude * s3;
        Vec3 centre = {rho * c2, rho * s2, amplitude * s3};
        Vec3 tangent = normalised(
            {drho * c2 - 2.0 * rho * s2, drho * s2 + 2.0 * rho * c2, 3.0 * amplitude * c3});
        // Away from the core circle, square to the tangent: the tube's frame follows
        // the knot's winding and closes on itself after one turn.
        Vec3 away = {c3 * c2, c3 * s2, s3};
        Vec3 normal = normalised(away - tangent * dot(away, tangent));
        Vec3 binormal = cross(tangent, normal);
        for (int j = 0; j < sides; ++j) {
            double v = 2.0 * PI * j / sides;
            Vec3 p = centre + (binormal * math_cos(v) + normal * math_sin(v)) * tube_radius;
            mesh_add_vertex(mesh, p, (float)i / (float)segments, (float)j / (float)sides);
        }
    }
    add_periodic_grid(mesh, 0, segments, sides);
    return mesh;
}
