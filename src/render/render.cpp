// placeholder until this subsystem lands
#include "render/render.h"
