#include "charops.h"

#include <algorithm>

int AddChar(TBDFFont &font, int current)
{
    const int n = static_cast<int>(font.Chars.size());
    const int p = std::clamp(current, 0, n);
    TBDFChar ch;
    if (p < n) {
        const TBDFChar &next = font.Chars[static_cast<size_t>(p)];
        ch.Encoding = next.Encoding;
        ch.SWidthX = next.SWidthX;
        ch.SWidthY = next.SWidthY;
        ch.DWidthX = next.DWidthX;
        ch.DWidthY = next.DWidthY;
    }
    // A row holds 64 pixels; a wider font box still makes glyphs a row can hold.
    ch.BBXWidth = std::min(font.FBBWidth, MaxGlyphWidth);
    ch.BBXHeight = font.FBBHeight;
    ch.Bitmap.assign(static_cast<size_t>(std::clamp(font.FBBHeight, 0, MaxCreatedRows)), 0);
    if (ch.Encoding == 0 && p > 0)
        ch.Encoding = static_cast<int32_t>(static_cast<uint32_t>(font.Chars[static_cast<size_t>(p - 1)].Encoding) + 1);
    font.Chars.insert(font.Chars.begin() + p, std::move(ch));
    return p;
}

int DeleteChars(TBDFFont &font, const TCharSelection &sel)
{
    const int n = static_cast<int>(font.Chars.size());
    const int first = std::max(SpanFirst(sel), 0);
    const int last = std::min(SpanLast(sel), n - 1);
    if (first >= n || last < first)
        return 0;
    font.Chars.erase(font.Chars.begin() + first, font.Chars.begin() + last + 1);
    return last - first + 1;
}

TCharClipboard CopyChars(const TBDFFont &font, const TCharSelection &sel)
{
    TCharClipboard out;
    const int n = static_cast<int>(font.Chars.size());
    for (int i = std::max(SpanFirst(sel), 0); i <= SpanLast(sel) && i < n; ++i) {
        out.Chars.push_back(font.Chars[static_cast<size_t>(i)]);
        out.Chars.back().Notes = CopyNote(font.GlyphNotes, out.Chars.back().Notes, out.Notes);
    }
    return out;
}

bool PasteChars(TBDFFont &font, const TCharSelection &sel, const TCharClipboard &clipboard, bool special)
{
    const int m = static_cast<int>(clipboard.size());
    if (m == 0)
        return false;
    const int s = SpanFirst(sel);
    const int q = (sel.SelLastRow - sel.SelFirstRow) * TableColumns + (sel.SelLastCol - sel.SelFirstCol + 1);
    const int t = std::max(m, q);
    bool changed = false;
    for (int k = 0; k < t; ++k) {
        const int e = s + k;
        if (e < 0)
            continue;
        if (e == static_cast<int>(font.Chars.size()))
            font.Chars.emplace_back();
        if (e > static_cast<int>(font.Chars.size()))
            break;
        TBDFChar &target = font.Chars[static_cast<size_t>(e)];
        const TBDFChar before = target;
        const TBDFChar &source = clipboard.Chars[static_cast<size_t>(k % m)];
        target = source;
        if (!special) {
            target.Encoding = before.Encoding;
            target.Notes = before.Notes;
        } else if (!IsCodeNameNote(source.Notes) && !IsCodeNameNote(before.Notes) &&
                   font.GlyphNotes.get(before.Notes) == clipboard.Notes.get(source.Notes)) {
            // The same note again, as when a glyph is pasted back where it came from.
            target.Notes = before.Notes;
        } else {
            target.Notes = CopyNote(clipboard.Notes, source.Notes, font.GlyphNotes);
        }
        changed = changed || !(target == before);
    }
    return changed;
}

std::optional<int> FindCode(const TBDFFont &font, int32_t code)
{
    for (size_t i = 0; i < font.Chars.size(); ++i)
        if (font.Chars[i].Encoding == code)
            return static_cast<int>(i);
    return std::nullopt;
}
