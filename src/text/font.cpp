// placeholder until this subsystem lands
#include "math/math.h"
