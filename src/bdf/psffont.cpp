#include "psffont.h"

#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <map>
#include <strings.h>

using namespace FontFormatDetail;

namespace {

constexpr uint8_t Psf1Mode512 = 0x01;
constexpr uint8_t Psf1ModeHasTab = 0x02;
constexpr uint8_t Psf1ModeHasSeq = 0x04;
constexpr uint32_t Psf2HasUnicodeTable = 0x01;
constexpr size_t Psf2HeaderSize = 32;
// The tallest and widest cell the writer makes: far past any console's, while
// a damaged box cannot make it allocate much.
constexpr int32_t MaxCellHeight = 1024;

[[noreturn]] void Bad(const std::string &path, const std::string &reason)
{
    throw TFileError("Cannot open file", path, reason);
}

uint32_t Le32(std::string_view b, size_t at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(b.data() + at);
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// What the Unicode table says of one glyph.
struct TPlaceCodes {
    std::vector<int32_t> Codes;
    std::vector<std::vector<int32_t>> Sequences;

    void addCode(int32_t code)
    {
        if (std::find(Codes.begin(), Codes.end(), code) == Codes.end())
            Codes.push_back(code);
    }
    void addSequence(std::vector<int32_t> &seq)
    {
        if (seq.size() == 1)
            addCode(seq[0]);
        else if (!seq.empty() && std::find(Sequences.begin(), Sequences.end(), seq) == Sequences.end())
            Sequences.push_back(seq);
        seq.clear();
    }
};

// One character of UTF-8 at p, moving p past it; -1 (moving one byte) for a
// byte that starts no well-formed character of at most 0x10FFFF.
int32_t NextUtf8(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char lead = *p;
    int n = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2 : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
    if (n < 0 || end - p <= n) {
        ++p;
        return -1;
    }
    int32_t cp = n == 0 ? lead : lead & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            ++p;
            return -1;
        }
        cp = cp << 6 | (p[k] & 0x3F);
    }
    static constexpr int32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < Least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++p;
        return -1;
    }
    p += n + 1;
    return cp;
}

void AppendUtf8(TByteBuffer &out, int32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string SequenceLine(const std::vector<int32_t> &seq)
{
    std::string line(PSFSequencePrefix);
    for (int32_t cp : seq)
        line += " U+" + FormatHex(static_cast<uint32_t>(cp), 4);
    return line;
}

// The sequences a glyph's kept lines hold; lines that are no well-formed one are left.
void ReadSequenceLines(std::string_view packed, TPlaceCodes &codes)
{
    TKeptLine line;
    while (TKeptLines::Next(packed, line)) {
        if (line.Text.substr(0, PSFSequencePrefix.size()) != PSFSequencePrefix)
            continue;
        std::vector<int32_t> seq;
        std::string_view rest = line.Text.substr(PSFSequencePrefix.size());
        bool ok = true;
        while (ok && !rest.empty()) {
            ok = rest.substr(0, 3) == " U+";
            rest.remove_prefix(std::min<size_t>(3, rest.size()));
            const size_t n = std::min(rest.find(' '), rest.size());
            const std::optional<uint64_t> cp = ParseHexDigits(rest.substr(0, n), 6);
            ok = ok && n > 0 && cp && *cp <= 0x10FFFF && (*cp < 0xD800 || *cp > 0xDFFF);
            if (ok)
                seq.push_back(static_cast<int32_t>(*cp));
            rest.remove_prefix(n);
        }
        if (ok && seq.size() >= 2)
            codes.addSequence(seq);
    }
}

} // namespace

void ReadPSF(std::string_view bytes, const std::string &path, const std::string &name, TBDFFont &font,
             TFontReadReport &report)
{
    const auto *u = reinterpret_cast<const unsigned char *>(bytes.data());
    uint64_t count = 0, width = 0, height = 0, charSize = 0, glyphsAt = 0;
    bool hasTable = false, psf2 = false;
    if (bytes.size() >= 4 && u[0] == 0x36 && u[1] == 0x04) {
        const uint8_t mode = u[2];
        count = (mode & Psf1Mode512) ? 512 : 256;
        width = 8;
        height = charSize = u[3];
        glyphsAt = 4;
        hasTable = (mode & (Psf1ModeHasTab | Psf1ModeHasSeq)) != 0;
    } else if (bytes.size() >= Psf2HeaderSize && Le32(bytes, 0) == 0x864ab572) {
        psf2 = true;
        if (Le32(bytes, 4) != 0)
            Bad(path, "PSF 2 version " + std::to_string(Le32(bytes, 4)) + " is unknown (only 0 is defined)");
        glyphsAt = Le32(bytes, 8);
        hasTable = (Le32(bytes, 12) & Psf2HasUnicodeTable) != 0;
        count = Le32(bytes, 16);
        charSize = Le32(bytes, 20);
        height = Le32(bytes, 24);
        width = Le32(bytes, 28);
        if (glyphsAt < Psf2HeaderSize || glyphsAt > bytes.size())
            Bad(path, "the PSF 2 header size " + std::to_string(glyphsAt) + " does not fit the file of " +
                          std::to_string(bytes.size()) + " bytes");
    } else {
        Bad(path, "not a PSF font (no PSF 1 or PSF 2 magic number, or the header is cut short)");
    }
    const uint64_t rowBytes = (width + 7) / 8;
    if (width == 0 || height == 0)
        Bad(path, "the PSF glyphs are " + std::to_string(width) + "x" + std::to_string(height) + " pixels");
    // 32-bit fields, so these products stay far inside 64 bits.
    if (charSize != rowBytes * height)
        Bad(path, "the PSF glyph size of " + std::to_string(charSize) + " bytes does not match " +
                      std::to_string(width) + "x" + std::to_string(height) + " pixels");
    if (count * charSize > bytes.size() - glyphsAt)
        Bad(path, "the PSF header claims " + std::to_string(count) + " glyphs of " + std::to_string(charSize) +
                      " bytes, but the file holds only " + std::to_string(bytes.size() - glyphsAt) +
                      " bytes of glyphs; it is truncated or damaged");
    if (psf2 && height > uint64_t{MaxCreatedRows})
        Bad(path, "the PSF glyphs are " + std::to_string(height) + " pixels tall, more than " +
                      std::to_string(MaxCreatedRows));

    // The Unicode table: for each glyph its codes, then sequences each after a
    // start mark, then an end mark. PSF 1 writes 16-bit units (FFFE start, FFFF
    // end), PSF 2 UTF-8 (FE start, FF end).
    std::vector<TPlaceCodes> places(hasTable ? count : 0);
    if (hasTable) {
        const size_t tableAt = glyphsAt + count * charSize;
        size_t at = tableAt, done = 0, skipped = 0;
        std::vector<int32_t> seq;
        for (; done < count; ++done) {
            TPlaceCodes &place = places[done];
            bool inSequence = false, ended = false;
            while (!ended && at < bytes.size()) {
                int32_t cp;
                bool mark = false;
                if (!psf2) {
                    if (at + 2 > bytes.size()) {
                        at = bytes.size();
                        break;
                    }
                    cp = u[at] | u[at + 1] << 8;
                    at += 2;
                    mark = cp >= 0xFFFE;
                    // Halves of UTF-16 pairs are no characters; PSF 2 could not write them.
                    if (cp >= 0xD800 && cp <= 0xDFFF) {
                        skipped += 2;
                        continue;
                    }
                } else {
                    mark = u[at] >= 0xFE;
                    cp = mark ? 0xFF00 | u[at++] : 0;
                    if (!mark) {
                        const unsigned char *p = u + at;
                        cp = NextUtf8(p, u + bytes.size());
                        at = static_cast<size_t>(p - u);
                        if (cp < 0) {
                            ++skipped;
                            continue;
                        }
                    }
                }
                if (mark) {
                    if (inSequence)
                        place.addSequence(seq);
                    inSequence = (cp & 0xFF) == 0xFE;
                    ended = !inSequence;
                } else if (inSequence) {
                    seq.push_back(cp);
                } else {
                    place.addCode(cp);
                }
            }
            if (inSequence)
                place.addSequence(seq);
            if (!ended)
                break;
        }
        if (done < count)
            report.Notes.push_back("The Unicode table ends after " + std::to_string(done) + " of " +
                                   std::to_string(count) + " glyphs; the glyphs after it have no code.");
        if (skipped > 0)
            report.Notes.push_back(std::to_string(skipped) +
                                   " bytes of the Unicode table were no character (bad UTF-8, or halves of UTF-16 pairs) and were skipped.");
    }

    TBDFFont read;
    const int32_t keptWidth = static_cast<int32_t>(std::min<uint64_t>(width, MaxGlyphWidth));
    SetCellFontHeader(read, name, keptWidth, static_cast<int32_t>(height), static_cast<int32_t>(height / 4), hasTable);
    size_t copies = 0;
    for (const TPlaceCodes &p : places)
        copies += std::max<size_t>(1, p.Codes.size());
    read.Chars.reserve(hasTable ? copies : count);
    const size_t keptBytes = std::min<uint64_t>(rowBytes, 8);
    for (uint64_t i = 0; i < count; ++i) {
        TBDFChar ch = CellGlyph(read, static_cast<int32_t>(i), keptWidth);
        ch.Bitmap.resize(height);
        const unsigned char *g = u + glyphsAt + i * charSize;
        for (uint64_t r = 0; r < height; ++r) {
            uint64_t v = 0;
            for (size_t k = 0; k < keptBytes; ++k)
                v = v << 8 | g[r * rowBytes + k];
            ch.Bitmap[r] = v;
        }
        if (width > MaxGlyphWidth)
            ++report.Read.CutGlyphs;
        if (!hasTable) {
            read.Chars.push_back(std::move(ch));
            continue;
        }
        const TPlaceCodes &place = places[i];
        TGlyphNote note;
        note.Encoding2 = static_cast<int32_t>(i);
        TKeptLines lines;
        for (const std::vector<int32_t> &s : place.Sequences)
            lines.add(TLinePlace::AfterEncoding, 0, SequenceLine(s));
        note.Lines = lines.packed();
        ch.Notes = read.GlyphNotes.add(note);
        if (place.Codes.empty()) {
            ch.Encoding = -1;
            read.Chars.push_back(std::move(ch));
            continue;
        }
        for (int32_t code : place.Codes) {
            ch.Encoding = code;
            read.Chars.push_back(ch);
        }
    }
    font = std::move(read);
}

namespace {

struct TCell {
    int32_t W = 0, H = 0, X = 0, Y = 0;
    auto operator<=>(const TCell &) const = default;
};

TCell BoxOf(const TBDFChar &ch)
{
    return {ch.BBXWidth, ch.BBXHeight, ch.BBXXOff, ch.BBXYOff};
}

struct TSlot {
    size_t Glyph = 0;
    TPlaceCodes Codes;
};

struct TProblem {
    std::string What;
    std::vector<std::string> Glyphs;
};

struct TPSFPlan {
    TCell Cell;
    bool Table = true;
    // Without a table a slot may be empty: SIZE_MAX as its glyph.
    std::vector<TSlot> Slots;
    std::vector<TProblem> Problems;
};

bool IsFontSpecific(const TBDFFont &font)
{
    for (const TBDFProperty &p : font.Properties)
        if (p.Name == "CHARSET_REGISTRY")
            return strcasecmp(p.Value.c_str(), "FontSpecific") == 0;
    return false;
}

TPSFPlan Plan(const TBDFFont &font, const TFontWriteOptions &options)
{
    TPSFPlan plan;
    const TGlyphList &chars = font.Chars;
    if (options.PadToBox) {
        // The union of the font's box and every glyph's, so no pixel is cut.
        int64_t left = INT64_MAX, bottom = INT64_MAX, right = INT64_MIN, top = INT64_MIN;
        auto take = [&](int64_t w, int64_t h, int64_t x, int64_t y) {
            if (w <= 0 || h <= 0)
                return;
            left = std::min(left, x), bottom = std::min(bottom, y);
            right = std::max(right, x + w), top = std::max(top, y + h);
        };
        take(font.FBBWidth, font.FBBHeight, font.FBBXOff, font.FBBYOff);
        for (const TBDFChar &ch : chars)
            take(std::min(ch.BBXWidth, MaxGlyphWidth), ch.BBXHeight, ch.BBXXOff, ch.BBXYOff);
        if (left <= right && right - left <= INT32_MAX && top - bottom <= INT32_MAX)
            plan.Cell = {static_cast<int32_t>(right - left), static_cast<int32_t>(top - bottom),
                         static_cast<int32_t>(left), static_cast<int32_t>(bottom)};
        else if (left <= right)
            plan.Cell = {INT32_MAX, INT32_MAX, 0, 0};
    } else {
        // The box most glyphs have, so the fewest glyphs are named.
        std::map<TCell, size_t> boxes;
        for (const TBDFChar &ch : chars)
            ++boxes[BoxOf(ch)];
        size_t best = 0;
        for (const auto &[box, n] : boxes)
            if (n > best)
                best = n, plan.Cell = box;
        if (chars.empty())
            plan.Cell = {font.FBBWidth, font.FBBHeight, font.FBBXOff, font.FBBYOff};
        TProblem odd;
        for (size_t i = 0; i < chars.size(); ++i)
            if (BoxOf(chars[i]) != plan.Cell)
                odd.Glyphs.push_back(GlyphLabel(font, i));
        if (!odd.Glyphs.empty()) {
            odd.What = std::to_string(odd.Glyphs.size()) + " glyphs differ from the cell of " +
                       std::to_string(plan.Cell.W) + "x" + std::to_string(plan.Cell.H) +
                       " pixels that PSF gives every glyph (the cell's offset " + std::to_string(plan.Cell.X) +
                       " " + std::to_string(plan.Cell.Y) + " included); padding them to the font's box would keep them";
            plan.Problems.push_back(std::move(odd));
        }
    }
    if (plan.Cell.W < 1 || plan.Cell.W > MaxGlyphWidth || plan.Cell.H < 1 || plan.Cell.H > MaxCellHeight)
        plan.Problems.push_back({"the cell of " + std::to_string(plan.Cell.W) + "x" + std::to_string(plan.Cell.H) +
                                     " pixels is no PSF cell Bitloom writes (1 to 64 wide, 1 to 1024 tall)",
                                 {}});

    plan.Table = !IsFontSpecific(font);
    TProblem badCodes;
    if (plan.Table) {
        // Copies of one place with the same picture share its slot again.
        std::map<int32_t, std::vector<size_t>> byPlace;
        for (size_t i = 0; i < chars.size(); ++i) {
            const TBDFChar &ch = chars[i];
            const TGlyphNote note = font.GlyphNotes.get(ch.Notes);
            TSlot *slot = nullptr;
            if (note.Encoding2)
                for (size_t s : byPlace[*note.Encoding2]) {
                    const TBDFChar &other = chars[plan.Slots[s].Glyph];
                    if (BoxOf(other) == BoxOf(ch) && other.Bitmap == ch.Bitmap)
                        slot = &plan.Slots[s];
                }
            if (!slot) {
                if (note.Encoding2)
                    byPlace[*note.Encoding2].push_back(plan.Slots.size());
                slot = &plan.Slots.emplace_back();
                slot->Glyph = i;
            }
            if (ch.Encoding > 0x10FFFF || ch.Encoding < -1 || (ch.Encoding >= 0xD800 && ch.Encoding <= 0xDFFF))
                badCodes.Glyphs.push_back(GlyphLabel(font, i));
            else if (ch.Encoding >= 0)
                slot->Codes.addCode(ch.Encoding);
            ReadSequenceLines(note.Lines, slot->Codes);
        }
        if (!badCodes.Glyphs.empty())
            badCodes.What = std::to_string(badCodes.Glyphs.size()) +
                            " glyphs have codes that are not Unicode characters (0 to 10FFFF, no UTF-16 halves), which a PSF table cannot hold";
    } else {
        // Each glyph at the place its code names.
        TProblem shared;
        std::vector<size_t> at;
        for (size_t i = 0; i < chars.size(); ++i) {
            const TBDFChar &ch = chars[i];
            const TGlyphNote note = font.GlyphNotes.get(ch.Notes);
            const int64_t place = ch.Encoding >= 0 ? ch.Encoding : note.Encoding2.value_or(-1);
            if (place < 0 || place > 0xFFFF) {
                badCodes.Glyphs.push_back(GlyphLabel(font, i));
                continue;
            }
            if (at.size() <= static_cast<size_t>(place))
                at.resize(static_cast<size_t>(place) + 1, SIZE_MAX);
            if (at[place] != SIZE_MAX)
                shared.Glyphs.push_back(GlyphLabel(font, i));
            else
                at[place] = i;
        }
        for (size_t g : at)
            plan.Slots.push_back({g, {}});
        if (!badCodes.Glyphs.empty())
            badCodes.What = std::to_string(badCodes.Glyphs.size()) +
                            " glyphs have no place 0 to 65535 in a font without a Unicode table";
        if (!shared.Glyphs.empty()) {
            shared.What = std::to_string(shared.Glyphs.size()) + " glyphs share their place with an earlier glyph";
            plan.Problems.push_back(std::move(shared));
        }
    }
    if (!badCodes.Glyphs.empty())
        plan.Problems.push_back(std::move(badCodes));
    return plan;
}

// Row r (0 at the top) of the cell from glyph ch, as PSF's bytes hold it.
uint64_t CellRow(const TBDFChar &ch, const TCell &cell, int32_t r, bool pad)
{
    if (!pad)
        return static_cast<size_t>(r) < ch.Bitmap.size() ? ch.Bitmap[r] : 0;
    // The pixel's height above the baseline, then the glyph's row holding it.
    const int64_t y = int64_t{cell.Y} + cell.H - 1 - r;
    const int64_t gr = int64_t{ch.BBXYOff} + ch.BBXHeight - 1 - y;
    if (gr < 0 || gr >= ch.BBXHeight || gr >= static_cast<int64_t>(ch.Bitmap.size()))
        return 0;
    uint64_t row = 0;
    const int width = std::min(ch.BBXWidth, MaxGlyphWidth);
    for (int x = 0; x < width; ++x) {
        const int64_t cx = int64_t{ch.BBXXOff} - cell.X + x;
        if (cx >= 0 && cx < cell.W && GetPixel(ch, static_cast<int>(gr), x))
            row |= uint64_t{1} << PixelBit(cell.W, static_cast<int>(cx));
    }
    return row;
}

void AppendLe32(TByteBuffer &out, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>(v >> (8 * k) & 0xFF));
}

} // namespace

TByteBuffer FormatPSF2(const TBDFFont &font, const TFontWriteOptions &options)
{
    const TPSFPlan plan = Plan(font, options);
    if (!plan.Problems.empty()) {
        std::string what = "The font cannot be written as PSF 2";
        std::vector<std::string> glyphs;
        for (const TProblem &p : plan.Problems) {
            what += p.Glyphs.empty() ? "; " + p.What : "";
            glyphs.insert(glyphs.end(), p.Glyphs.begin(), p.Glyphs.end());
        }
        for (const TProblem &p : plan.Problems)
            if (!p.Glyphs.empty())
                what += "; " + p.What;
        Refuse(what, glyphs);
    }
    const TCell cell = plan.Cell;
    const size_t rowBytes = static_cast<size_t>(RowBytes(cell.W));
    TByteBuffer out;
    out.reserve(Psf2HeaderSize + plan.Slots.size() * (rowBytes * cell.H + 8));
    AppendLe32(out, 0x864ab572);
    AppendLe32(out, 0);
    AppendLe32(out, Psf2HeaderSize);
    AppendLe32(out, plan.Table ? Psf2HasUnicodeTable : 0);
    AppendLe32(out, static_cast<uint32_t>(plan.Slots.size()));
    AppendLe32(out, static_cast<uint32_t>(rowBytes * cell.H));
    AppendLe32(out, static_cast<uint32_t>(cell.H));
    AppendLe32(out, static_cast<uint32_t>(cell.W));
    for (const TSlot &slot : plan.Slots) {
        for (int32_t r = 0; r < cell.H; ++r) {
            const uint64_t row = slot.Glyph == SIZE_MAX ? 0 : CellRow(font.Chars[slot.Glyph], cell, r, options.PadToBox);
            for (size_t k = rowBytes; k-- > 0;)
                out.push_back(static_cast<char>(k < 8 ? row >> (8 * k) & 0xFF : 0));
        }
    }
    if (plan.Table)
        for (const TSlot &slot : plan.Slots) {
            for (int32_t cp : slot.Codes.Codes)
                AppendUtf8(out, cp);
            for (const std::vector<int32_t> &seq : slot.Codes.Sequences) {
                out.push_back(static_cast<char>(0xFE));
                for (int32_t cp : seq)
                    AppendUtf8(out, cp);
            }
            out.push_back(static_cast<char>(0xFF));
        }
    return out;
}

std::vector<std::string> PSF2Losses(const TBDFFont &font, const TFontWriteOptions &options)
{
    std::vector<std::string> out;
    for (const TProblem &p : Plan(font, options).Problems) {
        out.push_back("PSF 2 cannot hold the font: " + p.What +
                      (p.Glyphs.empty() ? "" : " (" + NamedGlyphs(p.Glyphs) + ")") + ".");
    }
    return out;
}
