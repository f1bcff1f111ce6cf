#pragma once

// Symbols marked SCHEME_FEED_EXPORT are visible outside libscheme_feed.so.
#define SCHEME_FEED_EXPORT __attribute__((visibility("default")))
