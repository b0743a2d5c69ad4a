// placeholder until this subsystem lands
#include "platform/platform.h"
