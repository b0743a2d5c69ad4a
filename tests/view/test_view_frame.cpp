// View mode on scenes written here: every frame of a full turn stays inside the
// picture and fills a good part of it, whatever the scene's size and place;
// the parts of a model stay together; no stray value reaches the renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chunkwriter/scene_chunks.h"
#include "frame/frame.h"
#include "render/render.h"
#include "scene/chunk_ids.h"
#include "support/fresh_folder.h"

namespace {

struct Part {
    std::vector<float> positions; // file axes
    std::vector<uint16_t> corners;
};

struct Triple {
    double x, y, z;
};

// An ellipsoid of rings x segments quads about centre, all wound the same way.
// As a ball it fills the largest outline that the framing allows, whichever
// way it turns; with 2 rings of 4 segments it is a double cone along each axis.
Part ellipsoid(Triple radii, Triple centre = {}, int rings = 16, int segments = 32) {
    Part part;
    const double pi = 3.14159265358979;
    // On a grid of 1/1024, so that whole radii and centres give exact floats.
    auto unit = [](double v) { return std::round(v * 1024) / 1024; };
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s < segments; ++s) {
            double lat = pi * r / rings, lon = 2 * pi * s / segments;
            part.positions.insert(
                part.positions.end(),
                {(float)(centre.x + radii.x * unit(std::sin(lat) * std::cos(lon))),
                 (float)(centre.y + radii.y * unit(std::sin(lat) * std::sin(lon))),
                 (float)(centre.z + radii.z * unit(std::cos(lat)))});
        }
    auto at = [&](int r, int s) { return (uint16_t)(r * segments + s % segments); };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
            part.corners.insert(part.corners.end(), {at(r, s), at(r + 1, s), at(r + 1, s + 1),
                                                     at(r, s), at(r + 1, s + 1), at(r, s + 1)});
    return part;
}

Part spindle(Triple radii, Triple centre = {}) {
    return ellipsoid(radii, centre, 2, 4);
}

void write_scene(const std::vector<Part>& parts, const char* path) {
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
    for (const Part& part : parts)
        chunk_mesh_object(w, "part", part.positions, part.corners);
    chunk_end(w);
    chunk_end(w);
    ASSERT_TRUE(chunk_write_file(w, path));
}

// One part holding the triangles of all of them.
Part merged(const std::vector<Part>& parts) {
    Part all;
    for (const Part& part : parts) {
        uint16_t base = (uint16_t)(all.positions.size() / 3);
        all.positions.insert(all.positions.end(), part.positions.begin(), part.positions.end());
        for (uint16_t corner : part.corners)
            all.corners.push_back((uint16_t)(base + corner));
    }
    return all;
}

using Frames = std::vector<std::vector<uint32_t>>;

class ViewMode : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        ASSERT_EQ(render_init(screen_width, screen_height), 1);
    }
    void TearDown() override {
        render_shutdown();
        scene_free(scene);
        InFreshFolder::TearDown();
    }
    // Loads the parts as one scene and frames it.
    void load(const std::vector<Part>& parts) {
        write_scene(parts, "model.3ds");
        scene_free(scene);
        scene = scene_load("model.3ds");
        ASSERT_NE(scene, nullptr) << scene_error();
        frame_fit_scene(*scene);
        frame_objects_reset(*scene);
    }
    // A full turn: object 0 turns about its X axis by 2 x 0.0314 a frame.
    Frames turn(int frames = 100) {
        std::vector<uint32_t> pixels((size_t)screen_width * screen_height);
        ViewState view{{}, scene, nullptr};
        frame_camera_build(view.camera);
        float angle = 0.0f;
        Frames out;
        for (int f = 0; f < frames; ++f) {
            frame_draw(view, angle, Turning::as_one_body, pixels.data());
            out.push_back(pixels);
        }
        return out;
    }
    Scene* scene = nullptr;
};

struct Drawn {
    int pixels;
    int top, bottom, left, right;
};

Drawn drawn_area(const std::vector<uint32_t>& frame) {
    Drawn d{0, screen_height, -1, screen_width, -1};
    for (int y = 0; y < screen_height; ++y)
        for (int x = 0; x < screen_width; ++x) {
            if (frame[(size_t)y * screen_width + x] == 0) continue;
            ++d.pixels;
            d.top = std::min(d.top, y), d.bottom = std::max(d.bottom, y);
            d.left = std::min(d.left, x), d.right = std::max(d.right, x);
        }
    return d;
}

// The renderer clips to 2 pixels inside the picture: what reaches a pixel of
// the outer three rows or columns may have been cut off.
bool inside_the_edge(const Drawn& d) {
    const int edge = 3;
    return d.pixels == 0 || (d.top >= edge && d.left >= edge && d.bottom < screen_height - edge &&
                             d.right < screen_width - edge);
}

// Never at the picture's edge; every frame a good part of the picture, and
// over the turn most of its height.
void expect_framed(const Frames& frames) {
    int tallest = 0;
    for (size_t f = 0; f < frames.size(); ++f) {
        Drawn d = drawn_area(frames[f]);
        ASSERT_GE(d.pixels, screen_width * screen_height / 40) << "frame " << f;
        ASSERT_TRUE(inside_the_edge(d)) << "frame " << f;
        tallest = std::max(tallest, d.bottom - d.top + 1);
    }
    EXPECT_GE(tallest, screen_height * 3 / 4);
}

} // namespace

// A ball 0.12 units across fills the largest outline allowed; 11,808 units
// across (long along the file's z, which turns through the picture's height)
// and the same far from the origin: the far one is drawn exactly as the one
// at the origin (its coordinates are exact floats), so nothing of its depth
// precision went.
TEST_F(ViewMode, AnyScaleAndPlaceFillsThePictureWithoutLeavingIt) {
    load({ellipsoid({0.06, 0.06, 0.06}, {3, -2, 1})});
    expect_framed(turn());
    load({spindle({1968, 3936, 5904})});
    Frames at_origin = turn();
    expect_framed(at_origin);
    load({spindle({1968, 3936, 5904}, {8000, -4000, 7000})});
    EXPECT_TRUE(turn() == at_origin);
}

// A body and four wheels turn as one: every frame covers exactly the pixels
// of the same triangles as one object (only the colours differ).
TEST_F(ViewMode, PartsOfAModelKeepTheirPlaces) {
    std::vector<Part> car = {spindle({40, 10, 15}, {30, 0, 0})};
    for (double x : {0.0, 60.0})
        for (double z : {-18.0, 18.0})
            car.push_back(spindle({6, 6, 2}, {x, -10, z}));
    load(car);
    Frames parts = turn();
    expect_framed(parts);
    load({merged(car)});
    Frames whole = turn();
    for (size_t f = 0; f < whole.size(); ++f)
        for (size_t i = 0; i < whole[f].size(); ++i)
            ASSERT_EQ(parts[f][i] != 0, whole[f][i] != 0) << "frame " << f << " pixel " << i;
}

// A corner at 1e35 shrinks the model to a dot; corners at infinity or not a
// number take no part. Whatever comes in, all that reaches the renderer is
// finite and the picture's edge stays black.
TEST_F(ViewMode, StrayCornersGiveFiniteValues) {
    const float inf = INFINITY, nan = NAN;
    for (float stray : {1e35f, -3.4e38f, inf, nan}) {
        SCOPED_TRACE(stray);
        Part odd = spindle({10, 10, 10});
        odd.positions.insert(odd.positions.end(), {stray, 0, 0, 0, stray, 1, nan, inf, -inf});
        odd.corners.insert(odd.corners.end(), {0, 2, 6, 1, 7, 3});
        load({spindle({60, 20, 40}), odd});
        for (int o = 0; o < scene->object_count; ++o) {
            const SceneObject& object = scene->objects[o];
            for (int v = 0; v < object.vertex_count; ++v) {
                const SceneVertex& p = object.vertices[v];
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            }
            for (int f = 0; f < object.face_count; ++f) {
                const Plane& p = object.faces[f].plane;
                ASSERT_TRUE(std::isfinite(p.a) && std::isfinite(p.b) && std::isfinite(p.c) &&
                            std::isfinite(p.d));
            }
        }
        for (const auto& frame : turn(20))
            ASSERT_TRUE(inside_the_edge(drawn_area(frame)));
    }
}
