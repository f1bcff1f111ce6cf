// Placeholder; replaced by the canvas implementation.
#include "scheme/platform/canvas.h"
