// A line of text drawn with a font's glyphs exactly as BDF places them: each
// glyph's box at its offsets from the pen on one baseline, the pen moved on by
// the glyph's DWIDTH. No widgets here.
#pragma once

#include "guides.h"
#include "model/bdfmodel.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Widest and tallest picture the preview makes, in font pixels; text beyond
// the width is left out, and a font whose boxes reach further up or down than
// the height shows the part around the baseline.
constexpr int MaxPreviewWidth = 4096;
constexpr int MaxPreviewHeight = 512;

// One bit per pixel, a byte each, row by row.
struct TPreviewRaster {
    int Width = 0;
    int Height = 0;
    // The column of the first glyph's origin, and the number of rows above the baseline.
    int OriginX = 0;
    int Baseline = 0;
    std::vector<uint8_t> Ink;
    bool ink(int x, int y) const { return Ink[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)] != 0; }
};

// Draws text with font. The picture spans the line (line.Ascent rows above the
// baseline, line.Descent below, from the first origin to the last advance) and
// every glyph box that reaches past it. A character no glyph has is drawn as the
// glyph of defaultCode when the font has one, else as the outline of a box as
// wide as the font's box and as tall as the line, advancing by its width. The
// first glyph of a code (in Chars order) serves, as the table's go-to does. Empty
// text gives a picture 0 pixels wide.
TPreviewRaster RenderPreview(const TBDFFont &font, std::u32string_view text, const TLineMetrics &line,
                             std::optional<int32_t> defaultCode = std::nullopt);
