#include "guides.h"

#include <algorithm>

TLineMetrics LineMetrics(const TBDFFont &font, std::optional<int32_t> ascent, std::optional<int32_t> descent)
{
    return {ascent ? int64_t{*ascent} : int64_t{font.FBBHeight} + font.FBBYOff,
            descent ? int64_t{*descent} : -int64_t{font.FBBYOff}};
}

TGuideLines GuideLines(int frameRows, const TLineMetrics &line, const TBDFChar *glyph)
{
    TGuideLines g;
    g.Baseline = frameRows;
    g.Ascent = frameRows - line.Ascent;
    g.Descent = frameRows + line.Descent;
    if (glyph)
        g.Advance = glyph->DWidthX;
    return g;
}

TGuideBand GuideBand(int64_t line, int cellSize)
{
    // Well past the largest widget, yet far from overflowing a pixel coordinate.
    constexpr int64_t Far = int64_t{1} << 25;
    const int thickness = cellSize >= 10 ? 3 : 1;
    const int64_t start = line * (int64_t{cellSize} + 1) - 1 - thickness / 2;
    return {static_cast<int>(std::clamp(start, -Far, Far)), thickness};
}
