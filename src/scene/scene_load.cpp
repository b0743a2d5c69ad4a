// placeholder until this subsystem lands
#include "scene/scene.h"
