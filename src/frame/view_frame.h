// View mode's framing: a named scene of any size and anywhere in space is
// moved and scaled so that it turns about the middle of the picture and fills
// most of its height, as the bundled scene does.
#pragma once

#include "scene/scene.h"

// Moves and scales every vertex of every object together, with one uniform
// scale: the centre of the bounding box of the faces' corners goes to the
// origin (the turning centre, which the camera looks at), and the corner
// farthest from it goes to the edge of the largest ball that, turned any way,
// stays inside the picture with a margin. Then recomputes the face planes.
//
// Works in double precision, so a scene far from the origin keeps the
// precision of its own size. Corners that are not finite take no part in the
// fit; every vertex comes out finite (not-a-number becomes the centre, the
// rest is clamped), even when one stray corner shrinks the model to a dot.
void frame_fit_scene(Scene& scene);
