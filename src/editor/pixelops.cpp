#include "pixelops.h"

#include "gridgeometry.h"

#include <algorithm>

namespace {

// The bit of grid column x, as the pixel grid paints it.
int CellBit(const TBDFChar &ch, int x)
{
    return GridPixelBit(ch.BBXWidth, GridColumns(ch), x);
}

// A transform of area: the new block from the old one.
template <class F>
void Transform(TBDFChar &ch, TPixelRect area, F &&cellFrom)
{
    area = ClipToBox(ch, area);
    if (area.empty())
        return;
    const TPixelBlock old = CopyPixels(ch, area);
    TPixelBlock next{old.Width, old.Height, std::vector<uint8_t>(old.Ink.size())};
    for (int y = 0; y < old.Height; ++y)
        for (int x = 0; x < old.Width; ++x)
            next.Ink[size_t(y) * size_t(old.Width) + size_t(x)] = cellFrom(old, x, y);
    PastePixels(ch, next, area.Left, area.Top);
}

} // namespace

TPixelRect GlyphBox(const TBDFChar &ch)
{
    const int rows = std::clamp(ch.BBXHeight, 0, MaxCreatedRows);
    if (ch.BBXWidth <= MaxGlyphWidth)
        return {0, 0, std::max(ch.BBXWidth, 0), rows};
    // A wider glyph keeps only the 64 columns whose bits a row holds: its right end.
    const int columns = GridColumns(ch);
    const int left = static_cast<int>(std::clamp<int64_t>(8 * int64_t{RowBytes(ch.BBXWidth)} - 64, 0, columns));
    return {left, 0, columns - left, rows};
}

TPixelRect ClipToBox(const TBDFChar &ch, TPixelRect area)
{
    const TPixelRect box = GlyphBox(ch);
    const int left = std::max(area.Left, box.Left), top = std::max(area.Top, box.Top);
    const int right = static_cast<int>(std::min<int64_t>(int64_t{area.Left} + area.Width, int64_t{box.Left} + box.Width));
    const int bottom = static_cast<int>(std::min<int64_t>(int64_t{area.Top} + area.Height, box.Height));
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

TPixelRect RectBetween(int column1, int row1, int column2, int row2)
{
    return {std::min(column1, column2), std::min(row1, row2), std::abs(column2 - column1) + 1,
            std::abs(row2 - row1) + 1};
}

TPixelBlock CopyPixels(const TBDFChar &ch, TPixelRect area)
{
    area = ClipToBox(ch, area);
    TPixelBlock block{area.Width, area.Height, std::vector<uint8_t>(size_t(area.Width) * size_t(area.Height))};
    for (int y = 0; y < area.Height; ++y)
        for (int x = 0; x < area.Width; ++x)
            block.Ink[size_t(y) * size_t(area.Width) + size_t(x)] =
                GetBit(ch, area.Top + y, CellBit(ch, area.Left + x)) ? 1 : 0;
    return block;
}

void PastePixels(TBDFChar &ch, const TPixelBlock &block, int left, int top)
{
    const TPixelRect area = ClipToBox(ch, {left, top, block.Width, block.Height});
    if (area.empty())
        return;
    if (ch.Bitmap.size() < size_t(area.Top + area.Height))
        ch.Bitmap.resize(size_t(area.Top + area.Height), 0);
    for (int y = area.Top; y < area.Top + area.Height; ++y)
        for (int x = area.Left; x < area.Left + area.Width; ++x) {
            const int bit = CellBit(ch, x);
            if (block.at(x - left, y - top))
                SetBit(ch, y, bit);
            else
                ClearBit(ch, y, bit);
        }
}

void ShiftPixels(TBDFChar &ch, TPixelRect area, TShift direction, bool wrap)
{
    const int dx = direction == TShift::Right ? 1 : direction == TShift::Left ? -1 : 0;
    const int dy = direction == TShift::Down ? 1 : direction == TShift::Up ? -1 : 0;
    Transform(ch, area, [&](const TPixelBlock &old, int x, int y) -> uint8_t {
        int sx = x - dx, sy = y - dy;
        if (wrap) {
            sx = (sx + old.Width) % old.Width;
            sy = (sy + old.Height) % old.Height;
        } else if (sx < 0 || sy < 0 || sx >= old.Width || sy >= old.Height) {
            return 0;
        }
        return old.at(sx, sy);
    });
}

void FlipHorizontally(TBDFChar &ch, TPixelRect area)
{
    Transform(ch, area, [](const TPixelBlock &old, int x, int y) -> uint8_t { return old.at(old.Width - 1 - x, y); });
}

void FlipVertically(TBDFChar &ch, TPixelRect area)
{
    Transform(ch, area, [](const TPixelBlock &old, int x, int y) -> uint8_t { return old.at(x, old.Height - 1 - y); });
}

void InvertPixels(TBDFChar &ch, TPixelRect area)
{
    Transform(ch, area, [](const TPixelBlock &old, int x, int y) -> uint8_t { return old.at(x, y) ? 0 : 1; });
}

void ClearPixels(TBDFChar &ch, TPixelRect area)
{
    Transform(ch, area, [](const TPixelBlock &, int, int) -> uint8_t { return 0; });
}
