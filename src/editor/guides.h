// The metric lines of a font: how far its lines reach above and below the
// baseline, and where the guides over the glyph editor fall. No widgets here.
#pragma once

#include "model/bdfmodel.h"

#include <cstdint>
#include <optional>

// A font's line: Ascent pixels above the baseline, Descent below it.
struct TLineMetrics {
    int64_t Ascent = 0;
    int64_t Descent = 0;
    bool operator==(const TLineMetrics &) const = default;
};

// FONT_ASCENT and FONT_DESCENT when the font has them, each on its own; what is
// missing comes from the bounding box: FBBHeight + FBBYOff above the baseline,
// -FBBYOff below it (so a box wholly above the baseline has a negative descent,
// as FreeType reads such a font too).
TLineMetrics LineMetrics(const TBDFFont &font, std::optional<int32_t> ascent, std::optional<int32_t> descent);

// The guides, in cells of the editor's frame grid: the frame's lower edge is the
// baseline and its left edge the glyph origin's x, so a horizontal guide at row k
// lies on the grid line above row k (k counts from the frame's top edge, and may
// lie above or below the frame), a vertical one at column k on the line left of
// column k.
struct TGuideLines {
    int64_t Baseline = 0;
    int64_t Ascent = 0;
    int64_t Descent = 0;
    // The glyph's advance (DWIDTH); none without a current glyph.
    std::optional<int64_t> Advance;
    bool operator==(const TGuideLines &) const = default;
};
TGuideLines GuideLines(int frameRows, const TLineMetrics &line, const TBDFChar *glyph);

// The guides that can be shown, each a bit of a set.
enum TGuide : unsigned { BaselineGuide = 1, AscentGuide = 2, DescentGuide = 4, AdvanceGuide = 8 };
constexpr unsigned AllGuides = BaselineGuide | AscentGuide | DescentGuide | AdvanceGuide;

// Where a guide on grid line k is drawn, in pixels from the frame's top (or left)
// edge: a band `Thickness` wide centred on the 1-pixel line between cell k - 1
// and cell k. Thin at small zooms, so it does not hide the pixels beside it.
// Positions past what a widget can hold are clamped to just outside it.
struct TGuideBand {
    int Start = 0;
    int Thickness = 1;
    bool operator==(const TGuideBand &) const = default;
};
TGuideBand GuideBand(int64_t line, int cellSize);
