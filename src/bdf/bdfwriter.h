// Writing BDF files in one fixed, minimal layout.
#pragma once

#include "bytebuffer.h"
#include "model/bdfmodel.h"

#include <functional>
#include <string>
#include <string_view>

// The whole file text: header, a property block holding only "Uid", every glyph in
// Chars order, "ENDFONT"; CR LF after every line.
TByteBuffer FormatBDF(const TBDFFont &font);

// Appends the same text to out. With a drain, whenever out holds more than a
// chunk it is handed to drain and emptied, so a big font streams through a small
// buffer; what is left at the end stays in out for the caller.
void AppendBDF(const TBDFFont &font, TByteBuffer &out, const std::function<void(std::string_view)> &drain = {});

// Writes slot.Font to path (not to slot.FileName, which stays as it is). On success
// clears slot.Modified; on failure throws TFileError, leaves an earlier file at path
// byte-identical and the flag set, so the unsaved work is still guarded.
void SaveBDF(const std::string &path, TProjectRecord &slot);

// Hexadecimal digits a row of this width is written with: 2 * RowBytes for widths
// 0 to 64, 10 for negative widths (and for anything wider, which a read never yields).
int RowDigits(int32_t width);
