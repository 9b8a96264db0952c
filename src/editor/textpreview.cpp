#include "textpreview.h"

#include <algorithm>

namespace {

// Where a glyph (or the box that stands for a missing one) goes, relative to the
// first origin on the baseline, y growing downwards.
struct TPlaced {
    const TBDFChar *Glyph = nullptr;
    int64_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// For each code of the text, the first glyph that has it: one pass over the font
// however long the text, so a font of tens of thousands of glyphs stays quick.
std::vector<const TBDFChar *> FirstGlyphs(const TBDFFont &font, const std::vector<int64_t> &codes)
{
    std::vector<const TBDFChar *> found(codes.size(), nullptr);
    size_t missing = codes.size();
    for (const TBDFChar &ch : font.Chars) {
        if (missing == 0)
            break;
        const auto it = std::lower_bound(codes.begin(), codes.end(), int64_t{ch.Encoding});
        if (it == codes.end() || *it != ch.Encoding)
            continue;
        const TBDFChar *&slot = found[static_cast<size_t>(it - codes.begin())];
        if (!slot) {
            slot = &ch;
            --missing;
        }
    }
    return found;
}

} // namespace

TPreviewRaster RenderPreview(const TBDFFont &font, std::u32string_view text, const TLineMetrics &line,
                             std::optional<int32_t> defaultCode)
{
    std::vector<int64_t> codes(text.begin(), text.end());
    if (defaultCode)
        codes.push_back(*defaultCode);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    const std::vector<const TBDFChar *> glyphs = FirstGlyphs(font, codes);
    const auto glyphOf = [&](int64_t code) -> const TBDFChar * {
        const auto it = std::lower_bound(codes.begin(), codes.end(), code);
        return it != codes.end() && *it == code ? glyphs[static_cast<size_t>(it - codes.begin())] : nullptr;
    };
    const TBDFChar *fallback = defaultCode ? glyphOf(*defaultCode) : nullptr;

    std::vector<TPlaced> placed;
    placed.reserve(text.size());
    int64_t pen = 0;
    int64_t left = 0, right = 0, top = -line.Ascent, bottom = line.Descent;
    const int64_t boxWidth = std::clamp<int64_t>(font.FBBWidth, 1, MaxGlyphWidth);
    const int64_t boxHeight = std::clamp<int64_t>(line.Ascent + line.Descent, 1, MaxPreviewHeight);
    for (char32_t c : text) {
        TPlaced p;
        p.Glyph = glyphOf(c);
        if (!p.Glyph)
            p.Glyph = fallback;
        int64_t advance = 0;
        if (p.Glyph) {
            p.Left = pen + p.Glyph->BBXXOff;
            p.Width = std::clamp<int64_t>(p.Glyph->BBXWidth, 0, MaxGlyphWidth);
            p.Height = std::max<int64_t>(p.Glyph->BBXHeight, 0);
            p.Top = -(p.Height + p.Glyph->BBXYOff);
            advance = p.Glyph->DWidthX;
        } else {
            p.Left = pen;
            p.Width = boxWidth;
            p.Height = boxHeight;
            p.Top = -line.Ascent;
            advance = boxWidth;
        }
        if (p.Width > 0 && p.Height > 0) {
            left = std::min(left, p.Left);
            right = std::max(right, p.Left + p.Width);
            top = std::min(top, p.Top);
            bottom = std::max(bottom, p.Top + p.Height);
        }
        placed.push_back(p);
        pen += advance;
        right = std::max(right, pen);
        left = std::min(left, pen);
    }
    TPreviewRaster r;
    if (text.empty())
        return r;
    // Bounded so that a malformed font (boxes or widths of billions) still makes
    // a picture the window can hold; the baseline and the first glyph stay in it.
    left = std::max<int64_t>(left, -MaxPreviewWidth / 4);
    right = std::min<int64_t>(right, left + MaxPreviewWidth);
    top = std::max<int64_t>(top, -MaxPreviewHeight / 2);
    bottom = std::min<int64_t>(bottom, top + MaxPreviewHeight);
    r.Width = static_cast<int>(std::max<int64_t>(right - left, 0));
    r.Height = static_cast<int>(std::max<int64_t>(bottom - top, 0));
    r.OriginX = static_cast<int>(-left);
    r.Baseline = static_cast<int>(-top);
    r.Ink.assign(static_cast<size_t>(r.Width) * static_cast<size_t>(r.Height), 0);
    const auto plot = [&](int64_t x, int64_t y) {
        x -= left;
        y -= top;
        if (x >= 0 && x < r.Width && y >= 0 && y < r.Height)
            r.Ink[static_cast<size_t>(y) * static_cast<size_t>(r.Width) + static_cast<size_t>(x)] = 1;
    };
    for (const TPlaced &p : placed) {
        // Rows and columns past the picture are skipped, not walked.
        const int64_t firstRow = std::max<int64_t>(0, top - p.Top);
        const int64_t lastRow = std::min(p.Height, bottom - p.Top);
        if (!p.Glyph) {
            for (int64_t y = firstRow; y < lastRow; ++y)
                for (int64_t x = 0; x < p.Width; ++x)
                    if (y == 0 || y == p.Height - 1 || x == 0 || x == p.Width - 1)
                        plot(p.Left + x, p.Top + y);
            continue;
        }
        const int64_t rows = std::min<int64_t>(lastRow, static_cast<int64_t>(p.Glyph->Bitmap.size()));
        for (int64_t y = firstRow; y < rows; ++y)
            for (int64_t x = 0; x < p.Width; ++x)
                if (GetPixel(*p.Glyph, static_cast<int>(y), static_cast<int>(x)))
                    plot(p.Left + x, p.Top + y);
    }
    return r;
}
