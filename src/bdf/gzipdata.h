// gzip data in memory: inflating with a bound on what it may grow to, and
// compressing for fonts saved as .gz.
#pragma once

#include "bytebuffer.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Whether data starts with gzip's magic bytes 1f 8b.
bool IsGzipData(std::string_view data);

// The most bytes an inflation may yield, given the first bytes it inflated
// (at least 64 KiB of them, or all when there are fewer): a font format's own
// bound. Deflate itself cannot pass about 1032:1, so the ratio to the
// compressed size bounds nothing a bomb needs; the ceiling does.
using TInflateCap = std::function<size_t(std::string_view head)>;

// The inflated bytes of gzip data (one member or several one after another, as
// gzip writes them when files are joined; bytes after the last member that are
// not another member are ignored, as gzip does). Throws TFileError naming path
// when the data is not gzip, is damaged or cut short, or inflates past cap(head)
// bytes; the buffer then never grew much past the cap.
TByteBuffer InflateGzip(std::string_view data, const std::string &path, const TInflateCap &cap);

// data as one gzip member, compressed at zlib's best level (console fonts are
// small, and the kernel's tools write them so).
TByteBuffer DeflateGzip(std::string_view data);
