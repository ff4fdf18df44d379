#include "platform/view/PictureSurface.h"

// The window tests read back what the charts drew.
static const bool recordingOn = (id::PictureSurface::setRecording(true), true);
