// Placeholder; replaced by the region implementation.
#include "scheme/platform/region.h"
