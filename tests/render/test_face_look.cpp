// View mode's faces: which sides are drawn, and the ambient light.
#include <algorithm>
#include <utility>
#include <vector>

#include "support/screen.h"

namespace {

class FaceLooks : public Screen {
  protected:
    // A square at z = 100 facing the eye (front) or turned away from it.
    void square(bool front) {
        mesh = TestMesh{};
        const int a = mesh_vertex(mesh, -20, -20, 100), b = mesh_vertex(mesh, 20, -20, 100);
        const int c = mesh_vertex(mesh, 20, 20, 100), d = mesh_vertex(mesh, -20, 20, 100);
        mesh_face(mesh, a, front ? c : b, front ? b : c);
        mesh_face(mesh, a, front ? d : c, front ? c : d);
        mesh_finish(mesh);
        for (SceneFace& f : mesh.faces)
            f.colour_material = 0;
    }
    int drawn_with(const FaceLook* look) {
        clear();
        render_object(identity, identity, mesh.object, colours, 0xFFFFFF, nullptr, look);
        return drawn_count();
    }
    uint32_t first_lit() const {
        return *std::find_if(colours, colours + W * H, [](uint32_t p) { return p != 0; });
    }
    std::vector<uint32_t> picture() const {
        std::vector<uint32_t> both(colours, colours + W * H);
        both.insert(both.end(), render_state.depth_buffer, render_state.depth_buffer + W * H);
        return both;
    }

    TestMesh mesh;
    SceneMaterial material{nullptr, {0, 0, 0}, 0, 0};
    FaceLook both_sides{false, 64, &material, 1};
    FaceLook culled{true, 64, &material, 1};
};

} // namespace

TEST_F(FaceLooks, OneSidedSquareFromBehindIsDrawnUnlessCulled) {
    square(true);
    ASSERT_GT(drawn_with(nullptr), 0);
    const std::vector<uint32_t> front = picture();
    square(false);
    EXPECT_EQ(drawn_with(nullptr), 0); // as demo mode culls it
    EXPECT_GT(drawn_with(&both_sides), 0);
    EXPECT_TRUE(picture() == front); // the same pixels and depths as its front
    EXPECT_EQ(drawn_with(&culled), 0);
    material.two_sided = 1;
    EXPECT_TRUE(drawn_with(&culled) > 0 && picture() == front);
}

TEST_F(FaceLooks, MirroredObjectsCullTheOtherSide) {
    mesh.object.mirrored = 1;
    square(false);
    mesh.object.mirrored = 1;
    EXPECT_GT(drawn_with(&culled), 0);
    square(true);
    mesh.object.mirrored = 1;
    EXPECT_EQ(drawn_with(&culled), 0);
    EXPECT_GT(drawn_with(&both_sides), 0); // both sides, mirrored or not
}

// Culling a closed object's back faces, whichever way its planes point,
// changes nothing.
TEST_F(FaceLooks, ClosedObjectsLookTheSameCulled) {
    for (bool outward : {false, true}) {
        mesh = TestMesh{};
        mesh_add_sphere(mesh, 30, 24, 12, 5, -3, 100);
        if (outward)
            for (SceneFace& f : mesh.faces)
                std::swap(f.corners[1], f.corners[2]);
        mesh_finish(mesh);
        drawn_with(&both_sides);
        const std::vector<uint32_t> all = picture();
        mesh.object.closed = 1;
        mesh.object.planes_outward = outward;
        EXPECT_GT(drawn_with(&both_sides), 1000);
        EXPECT_TRUE(picture() == all) << outward;
    }
}

TEST_F(FaceLooks, AmbientLightsFacesTheHeadlightBarelyReaches) {
    mesh = TestMesh{};
    const int a = mesh_vertex(mesh, -20, -20, 100), b = mesh_vertex(mesh, 20, -20, 100);
    const int c = mesh_vertex(mesh, 20, 20, 400); // steep: nearly along the view
    mesh_face(mesh, a, c, b);
    mesh_finish(mesh);
    FaceLook flat = both_sides;
    flat.ambient = 0;
    ASSERT_GT(drawn_with(&flat), 0);
    const uint32_t dim = first_lit();
    drawn_with(&both_sides);
    const uint32_t lit = first_lit();
    EXPECT_LT(dim & 0xFF, 60u);
    EXPECT_GE(lit & 0xFF, 64u); // a quarter and more
    EXPECT_EQ(lit, 0x010101u * (lit & 0xFF));
}

// A face's front and a coinciding face's back tie in depth everywhere: the
// front wins, though the back comes first, on one thread and on several.
TEST_F(FaceLooks, FrontsAreDrawnBeforeBacks) {
    square(true);
    std::vector<uint32_t> face_colours(2, 0x00FF00);
    render_object(identity, identity, mesh.object, colours, 0, face_colours.data(), &both_sides);
    const std::vector<uint32_t> front = picture();
    mesh = TestMesh{};
    const int a = mesh_vertex(mesh, -20, -20, 100), b = mesh_vertex(mesh, 20, -20, 100);
    const int c = mesh_vertex(mesh, 20, 20, 100), d = mesh_vertex(mesh, -20, 20, 100);
    for (bool turned_away : {true, false}) {
        mesh_face(mesh, a, turned_away ? b : c, turned_away ? c : b);
        mesh_face(mesh, a, turned_away ? c : d, turned_away ? d : c);
    }
    mesh_finish(mesh);
    face_colours = {0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00};
    for (int threads : {1, 2}) {
        if (render_threads_set(threads) != threads) break; // a build without threads
        clear();
        const RenderItem item = {&identity, &mesh.object, 0, face_colours.data(), &both_sides};
        render_objects(identity, &item, 1, colours);
        EXPECT_TRUE(picture() == front) << threads;
    }
    clear();
    render_object(identity, identity, mesh.object, colours, 0, face_colours.data(), &both_sides);
    EXPECT_TRUE(picture() == front);
}
