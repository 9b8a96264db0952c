#include "glyphops.h"

#include <algorithm>

namespace {

constexpr uint64_t Low32 = 0xFFFFFFFFull;

bool GainsByte(int32_t newWidth)
{
    return newWidth > 8 && newWidth <= MaxGlyphWidth && newWidth % 8 == 1;
}

bool LosesByte(int32_t newWidth)
{
    return newWidth >= 8 && newWidth < MaxGlyphWidth && newWidth % 8 == 0;
}

// Bitmap follows the height: rows beyond it go, missing rows are added blank.
// Only the rows this creates are bounded: a glyph never loses rows it has to
// the bound, and never grows past it (a malformed height can be two billion).
void ResizeToHeight(TBDFChar &ch)
{
    const size_t height = static_cast<size_t>(std::max(ch.BBXHeight, 0));
    const size_t have = ch.Bitmap.size();
    if (height <= have)
        ch.Bitmap.resize(height);
    else
        ch.Bitmap.resize(std::max(have, std::min(height, static_cast<size_t>(MaxCreatedRows))), 0);
}

} // namespace

int32_t Step(int32_t value, int delta)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

void GrowWidth(TBDFChar &ch)
{
    if (ch.BBXWidth >= MaxGlyphWidth)
        return;
    ch.BBXWidth = Step(ch.BBXWidth, 1);
    if (!GainsByte(ch.BBXWidth))
        return;
    for (uint64_t &row : ch.Bitmap) {
        row <<= 8;
        // Up to 32 pixels a row is a 32-bit pattern: what is shifted out is gone.
        if (ch.BBXWidth <= 32)
            row &= Low32;
    }
}

void ShrinkWidth(TBDFChar &ch)
{
    ch.BBXWidth = ch.BBXWidth > 1 ? ch.BBXWidth - 1 : 1;
    if (!LosesByte(ch.BBXWidth))
        return;
    for (uint64_t &row : ch.Bitmap)
        row >>= 8;
}

void GrowHeight(TBDFChar &ch)
{
    // Saturates: a wrapped, negative height would throw the rows away.
    if (ch.BBXHeight < INT32_MAX)
        ++ch.BBXHeight;
    ResizeToHeight(ch);
}

void ShrinkHeight(TBDFChar &ch)
{
    ch.BBXHeight = ch.BBXHeight > 1 ? ch.BBXHeight - 1 : 1;
    ResizeToHeight(ch);
}

void RotateLeft(TBDFChar &ch)
{
    // 64-bit arithmetic throughout: widths come from files and may be anything.
    const int64_t w = ch.BBXWidth;
    const int64_t s = ((8 - w % 8) % 8 + 8) % 8;
    const int64_t p = 8 * int64_t{RowBytes(ch.BBXWidth)};
    const int64_t left = s + w - 1;
    for (uint64_t &row : ch.Bitmap) {
        const bool carry = left >= 0 && left < 64 && ((row >> left) & 1);
        row <<= 1;
        if (carry && s < 64)
            row |= uint64_t{1} << s;
        if (p >= 0 && p < 64)
            row &= (uint64_t{1} << p) - 1;
    }
}

void RotateUp(TBDFChar &ch)
{
    if (ch.Bitmap.empty())
        return;
    uint64_t first = ch.Bitmap.front();
    ch.Bitmap.erase(ch.Bitmap.begin());
    ch.Bitmap.push_back(first);
}

void CodeDown(TBDFChar &ch)
{
    ch.Encoding = ch.Encoding > 0 ? ch.Encoding - 1 : 0;
}

void CodeUp(TBDFChar &ch)
{
    ch.Encoding = Step(ch.Encoding, 1);
}

bool ApplyToBlock(TBDFFont &font, const TCharSelection &sel, const std::function<void(TBDFChar &)> &op)
{
    bool changed = false;
    for (int i : SelectedBlock(sel)) {
        if (i < 0)
            continue;
        if (i >= static_cast<int>(font.Chars.size()))
            break;
        TBDFChar &ch = font.Chars[static_cast<size_t>(i)];
        const TBDFChar before = ch;
        op(ch);
        changed = changed || !(ch == before);
    }
    return changed;
}

bool RenumberCodes(TBDFFont &font, const TCharSelection &sel)
{
    bool changed = false;
    bool first = true;
    int32_t previous = 0;
    const int n = static_cast<int>(font.Chars.size());
    for (int i = SpanFirst(sel); i <= SpanLast(sel) && i < n; ++i) {
        if (i < 0)
            continue;
        TBDFChar &ch = font.Chars[static_cast<size_t>(i)];
        if (!first) {
            const int32_t code = Step(previous, 1);
            changed = changed || ch.Encoding != code;
            ch.Encoding = code;
        }
        previous = ch.Encoding;
        first = false;
    }
    return changed;
}
