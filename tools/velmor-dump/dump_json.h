// The JSON form of a loaded scene that velmor-dump prints.
#pragma once

#include <string>

#include "scene/scene.h"

// Appends the scene as one JSON document. Floats read back to the same single
// value; non-finite ones are the strings "nan", "inf" and "-inf".
void dump_scene_json(const Scene& scene, std::string& out);
