// Triangle meshes as make-scene builds them, in the .3DS file's own axes
// (z up). A face lists its corners counter-clockwise seen from outside, which
// the loader's axis exchange turns into the winding the renderer draws.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
Vec3 normalised(Vec3 a);
double length(Vec3 a);

struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<std::array<float, 2>> mapping; // one (u, v) per vertex
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<uint8_t> face_part; // which material of the object each face uses
};

uint16_t mesh_add_vertex(Mesh& mesh, Vec3 p, float u, float v);
void mesh_add_triangle(Mesh& mesh, uint16_t a, uint16_t b, uint16_t c, uint8_t part = 0);
// Two triangles a-b-c and a-c-d.
void mesh_add_quad(Mesh& mesh, uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint8_t part = 0);
// Turns every vertex about the x axis, then about the z axis (degrees).
void mesh_turn(Mesh& mesh, double about_x, double about_z);

// Signed volume; positive when every face winds counter-clockwise seen from outside.
double mesh_volume(const Mesh& mesh);
// Nearest surface point and farthest vertex from the origin: the shell the mesh sweeps
// while it turns about the origin.
double mesh_min_radius(const Mesh& mesh);
double mesh_max_radius(const Mesh& mesh);
// True when every edge is used once in each direction: closed and consistently wound.
bool mesh_is_closed(const Mesh& mesh);

// The shapes of the default scene, centred on the origin, axis along z.
Mesh make_faceted_sphere(double radius, int subdivisions);
Mesh make_box_frame(double half_size, double bar);
Mesh make_gear(double hole_radius, double root_radius, double tip_radius, double half_thickness,
               int teeth);
Mesh make_torus(double major_radius, double minor_radius, int rings, int sides);
// A (2, 3) torus knot: twice round the axis, three times through the hole.
Mesh make_knot(double major_radius, double amplitude, double tube_radius, int segments, int sides);
