// placeholder until this subsystem lands
#include "app/app.h"
