// The view planes, and clipping of camera-space triangles against the four
// side planes of the view volume and, in view mode, a near plane.
#include "render/render.h"

namespace {

enum PlaneSide { PLANE_INSIDE = 0, PLANE_OUTSIDE = 1, PLANE_ON = 2 };
enum TriangleVerdict { TRI_INSIDE = 0, TRI_OUTSIDE = 1, TRI_CROSSING = 3 };

inline float plane_distance(const SceneVertex& v, const Plane& p) {
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}

inline PlaneSide classify(float distance) {
    if (distance > 0.0f) return PLANE_INSIDE;
    if (distance == 0.0f) return PLANE_ON;
    return PLANE_OUTSIDE; // negative or NaN
}

TriangleVerdict triangle_verdict(const SceneVertex* v[3], const Plane& plane) {
    int n_in = 0, n_out = 0;
    for (int k = 0; k < 3; ++k) {
        PlaneSide side = classify(plane_distance(*v[k], plane));
        n_in += side != PLANE_OUTSIDE;
        n_out += side != PLANE_INSIDE;
    }
    if (n_in == 3) return TRI_INSIDE;
    if (n_out == 3) return TRI_OUTSIDE;
    return TRI_CROSSING;
}

SceneVertex clip_edge_intersect(const SceneVertex& a, const SceneVertex& b, const Plane& plane) {
    const float da = plane_distance(a, plane);
    const float db = plane_distance(b, plane);
    if (da == db || da != da || db != db) return a;
    const float t = da / (db - da);
    SceneVertex r = {};
    r.x = a.x + t * (a.x - b.x);
    r.y = a.y + t * (a.y - b.y);
    r.z = a.z + t * (a.z - b.z);
    r.u = a.u + t * (a.u - b.u);
    r.v = a.v + t * (a.v - b.v);
    return r;
}

ClipPolygon clip_polygon_plane(const ClipPolygon& polygon, const Plane& plane) {
    ClipPolygon out;
    out.count = 0;
    if (polygon.count <= 0) return out;
    PlaneSide sides[8];
    for (int i = 0; i < polygon.count; ++i)
        sides[i] = classify(plane_distance(polygon.vertices[i], plane));
    int prev = polygon.count - 1;
    for (int cur = 0; cur < polygon.count; ++cur) {
        const SceneVertex& p = polygon.vertices[prev];
        const SceneVertex& c = polygon.vertices[cur];
        // A convex polygon gains at most one vertex per plane; the bound only
        // matters for a caller's non-convex input.
        if (sides[cur] == PLANE_INSIDE) {
            if (sides[prev] == PLANE_OUTSIDE && out.count < 8)
                out.vertices[out.count++] = clip_edge_intersect(p, c, plane);
            if (out.count < 8) out.vertices[out.count++] = c;
        } else if (sides[cur] == PLANE_ON) {
            if (out.count < 8) out.vertices[out.count++] = c;
        } else if (sides[prev] == PLANE_INSIDE && out.count < 8) {
            out.vertices[out.count++] = clip_edge_intersect(p, c, plane);
        }
        prev = cur;
    }
    return out;
}

} // namespace

void view_planes_init(float guarded_width, float guarded_height, float focal_length,
                      Plane planes[4]) {
    const float s = 2.0f * focal_length;
    const float ex = guarded_width / s;
    const float ey = guarded_height / s;
    const float eye[3] = {0.0f, 0.0f, 0.0f};
    const float right1[3] = {ex, 0.0f, 1.0f}, right2[3] = {ex, 1.0f, 1.0f};
    const float left1[3] = {-ex, 1.0f, 1.0f}, left2[3] = {-ex, 0.0f, 1.0f};
    const float top1[3] = {0.0f, -ey, 1.0f}, top2[3] = {1.0f, -ey, 1.0f};
    const float bottom1[3] = {1.0f, ey, 1.0f}, bottom2[3] = {0.0f, ey, 1.0f};
    planes[0] = plane_from_points(eye, right1, right2);
    planes[1] = plane_from_points(eye, left1, left2);
    planes[2] = plane_from_points(eye, top1, top2);
    planes[3] = plane_from_points(eye, bottom1, bottom2);
}

ClipPolygon clip_triangle(const SceneVertex& v0, const SceneVertex& v1, const SceneVertex& v2,
                          const Plane planes[], int32_t plane_count) {
    const SceneVertex* v[3] = {&v0, &v1, &v2};
    TriangleVerdict verdicts[5];
    bool all_inside = true, any_outside = false;
    if (plane_count > 5) plane_count = 5;
    for (int p = 0; p < plane_count; ++p) {
        verdicts[p] = triangle_verdict(v, planes[p]);
        all_inside = all_inside && verdicts[p] == TRI_INSIDE;
        any_outside = any_outside || verdicts[p] == TRI_OUTSIDE;
    }
    ClipPolygon polygon;
    polygon.count = 3;
    polygon.vertices[0] = v0;
    polygon.vertices[1] = v1;
    polygon.vertices[2] = v2;
    if (all_inside) return polygon;
    if (any_outside) {
        polygon.count = 0;
        return polygon;
    }
    for (int p = 0; p < plane_count; ++p)
        if (verdicts[p] == TRI_CROSSING) polygon = clip_polygon_plane(polygon, planes[p]);
    return polygon;
}
