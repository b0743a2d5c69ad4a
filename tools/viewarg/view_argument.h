// The tools' --view AZ,EL[,ZOOM]: view mode's camera from the command line.
#pragma once

#include "frame/frame.h"

// Reads "AZ,EL" or "AZ,EL,ZOOM" (azimuth within [-360, 360] and elevation
// within [-90, 90] degrees, zoom within the camera's range) into camera, whose
// target and up axis it keeps. False, with camera as it was, for anything else.
bool view_argument_parse(const char* text, ViewCamera& camera);
