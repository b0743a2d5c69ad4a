// The camera's geometry that its steering shares with its placement: inside
// the frame core only.
#pragma once

#include "frame/frame.h"

struct ViewVector {
    double x, y, z;
};

// The screen's right and up and the direction from the target to the eye, as
// unit vectors in the loaded scene's axes.
struct ViewAxes {
    ViewVector right, up, back;
};

ViewAxes view_axes(const ViewCamera& camera);
// From the target to the eye.
double view_distance(const ViewCamera& camera);
// In pixels, for a width x height picture.
double view_focal_length(int32_t width, int32_t height);
