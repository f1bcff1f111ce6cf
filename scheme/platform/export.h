#pragma once

// Symbols marked SCHEME_EXPORT are visible outside libscheme.so; everything else is hidden.
// The same objects also make up the static copy that programs link, where the attribute is
// harmless.
#define SCHEME_EXPORT __attribute__((visibility("default")))
