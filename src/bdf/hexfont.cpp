#include "hexfont.h"

#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <numeric>

using namespace FontFormatDetail;

namespace {

constexpr int32_t HexHeight = 16;
// Unifont's baseline: two rows of the 16 lie below it.
constexpr int32_t HexDescent = 2;
constexpr int32_t MaxHexCode = 0xFFFFFF;

bool AllHex(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return HexDigitValue(c) >= 0; });
}

// The code, or -1 when the line is no CODE:ROWS line.
int32_t HexLineCode(std::string_view line, std::string_view &rows)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 6)
        return -1;
    rows = line.substr(colon + 1);
    if ((rows.size() != 32 && rows.size() != 64) || !AllHex(line.substr(0, colon)) || !AllHex(rows))
        return -1;
    return static_cast<int32_t>(ParseHexDigits(line.substr(0, colon), 6).value_or(0));
}

struct TProblem {
    std::vector<std::string> Glyphs;
    std::vector<std::string> NoCode;
};

TProblem Check(const TBDFFont &font)
{
    TProblem p;
    for (size_t i = 0; i < font.Chars.size(); ++i) {
        const TBDFChar &ch = font.Chars[i];
        if ((ch.BBXWidth != 8 && ch.BBXWidth != 16) || ch.BBXHeight != HexHeight)
            p.Glyphs.push_back(GlyphLabel(font, i));
        else if (ch.Encoding < 0 || ch.Encoding > MaxHexCode)
            p.NoCode.push_back(GlyphLabel(font, i));
    }
    return p;
}

const char *SizeSentence = " glyphs are not 8 or 16 pixels wide by 16 tall, the only sizes a .hex font holds";
const char *CodeSentence = " glyphs have no code from 0 to FFFFFF, which a .hex line needs";

} // namespace

bool IsHexLine(std::string_view line)
{
    std::string_view rows;
    return HexLineCode(line, rows) >= 0;
}

void ReadHex(std::string_view bytes, const std::string &path, const std::string &name, TBDFFont &font)
{
    TBDFFont read;
    SetCellFontHeader(read, name, 16, HexHeight, HexDescent, true);
    // Every glyph takes at least 35 bytes of the file.
    read.Chars.reserve(bytes.size() / 35 + 1);
    size_t lineNumber = 0;
    while (!bytes.empty()) {
        ++lineNumber;
        const size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        std::string_view rows;
        const int32_t code = HexLineCode(line, rows);
        if (code < 0)
            throw TFileError("Cannot open file", path,
                             "line " + std::to_string(lineNumber) +
                                 " is not a .hex glyph (1 to 6 hexadecimal digits, a colon, 32 or 64 digits of rows)");
        const int32_t width = rows.size() == 32 ? 8 : 16;
        const size_t digits = static_cast<size_t>(width / 4);
        TBDFChar ch = CellGlyph(read, code, width);
        ch.Bitmap.resize(HexHeight);
        for (int32_t r = 0; r < HexHeight; ++r)
            ch.Bitmap[r] = ParseHexDigits(rows.substr(r * digits, digits), 4).value_or(0);
        read.Chars.push_back(std::move(ch));
    }
    font = std::move(read);
}

// An empty .hex file would hold no line to tell it by: it could not be opened again.
const char *EmptySentence = "A font without glyphs cannot be written as .hex: the empty file would not open again.";

TByteBuffer FormatHexFont(const TBDFFont &font)
{
    if (font.Chars.empty())
        throw TFontFormatError(EmptySentence, {});
    const TProblem p = Check(font);
    if (!p.Glyphs.empty())
        Refuse("The font cannot be written as .hex: " + std::to_string(p.Glyphs.size()) + SizeSentence, p.Glyphs);
    if (!p.NoCode.empty())
        Refuse("The font cannot be written as .hex: " + std::to_string(p.NoCode.size()) + CodeSentence, p.NoCode);
    std::vector<size_t> order(font.Chars.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return font.Chars[a].Encoding < font.Chars[b].Encoding; });
    TByteBuffer out;
    out.reserve(font.Chars.size() * 72);
    for (size_t i : order) {
        const TBDFChar &ch = font.Chars[i];
        AppendHex(out, static_cast<uint32_t>(ch.Encoding), ch.Encoding > 0xFFFF ? 6 : 4);
        out.push_back(':');
        const int digits = ch.BBXWidth / 4;
        const uint64_t mask = (uint64_t{1} << ch.BBXWidth) - 1;
        for (int32_t r = 0; r < HexHeight; ++r)
            AppendHex(out, static_cast<size_t>(r) < ch.Bitmap.size() ? ch.Bitmap[r] & mask : 0, digits);
        out.push_back('\n');
    }
    return out;
}

std::vector<std::string> HexLosses(const TBDFFont &font)
{
    const TProblem p = Check(font);
    std::vector<std::string> out;
    if (font.Chars.empty())
        out.push_back(EmptySentence);
    auto say = [&](const std::vector<std::string> &glyphs, const char *sentence) {
        if (glyphs.empty())
            return;
        out.push_back(".hex cannot hold the font: " + std::to_string(glyphs.size()) + sentence + " (" +
                      NamedGlyphs(glyphs) + ").");
    };
    say(p.Glyphs, SizeSentence);
    say(p.NoCode, CodeSentence);
    return out;
}
