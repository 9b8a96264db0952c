// libFuzzer target for the BDF reader, writer and export. The property: whatever
// the input, a font that has been written once reads back to the same text, so
// parse, write, parse, write gives two equal writes, in the fixed layout, with
// all the font kept, and as an export. Inputs whose first byte has
// bit 2 set also check the scanner's fast number and row paths against the
// plain text functions; every input is also read in three parts on threads,
// which must give the same font.
#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "model/textfuncs.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// The row rule written plainly from the text functions, for comparison with the
// scanner's fast paths: rows of glyphs up to 32 pixels are HexToInt's 32-bit
// pattern; 33 to 64 pixels take up to 16 digits; wider glyphs keep the leftmost
// 16 digits of a plain hexadecimal row.
uint64_t ReferenceRow(std::string_view line, int64_t width, int debug)
{
    if (width > MaxGlyphWidth) {
        for (char c : line)
            if (HexDigitValue(c) < 0)
                return 0;
        if (line.empty())
            return 0;
        std::string_view digits = line.substr(0, 16);
        return ParseHexDigits(digits, 16).value_or(0) << (4 * (16 - digits.size()));
    }
    if (width > 32 && line.find('$') == std::string_view::npos)
        return ParseHexDigits(line, 16).value_or(0);
    uint64_t row = static_cast<uint32_t>(HexToInt(line));
    const int bytes = RowBytes(static_cast<int32_t>(width)) < 1 ? 1 : RowBytes(static_cast<int32_t>(width));
    if (debug != 0 && bytes < 4)
        row &= (uint64_t{1} << (8 * bytes)) - 1;
    return row;
}

// One glyph whose BBX width word and row line come from the input: the scanner
// must agree with ParseIntDef and with the plain row rule.
void CheckFastPaths(std::string_view input, int debug)
{
    const size_t split = input.find('\n');
    if (split == std::string_view::npos)
        return;
    const std::string_view word = input.substr(0, split), row = input.substr(split + 1);
    if (word.empty() || word.size() > 200 || word.find_first_of(std::string_view(" \r\n\0", 4)) != std::string_view::npos ||
        row.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return;
    // A row line that is itself a keyword is no row.
    for (std::string_view keyword : {"STARTFONT", "SIZE", "SWIDTH", "FONT", "Uid", "DWIDTH", "BBX", "BITMAP", "ENDCHAR",
                                     "STARTCHAR", "ENCODING", "ENDFONT", "CHARS"})
        if (row.substr(0, keyword.size()) == keyword)
            return;
    const std::string text = "STARTCHAR 0041\nSWIDTH " + std::string(word) + " 0\nBBX " + std::string(word) +
                             " 1 0 0\nBITMAP\n" + std::string(row) + "\nENDCHAR\n";
    TBDFFont font;
    ParseBDF(text, font, {debug, TCodeSource::Encoding, 1});
    const int32_t width = ParseIntDef(word, 0);
    if (font.Chars.size() != 1 || font.Chars[0].Bitmap.size() != 1 || font.Chars[0].SWidthX != width ||
        font.Chars[0].BBXWidth != (width > MaxGlyphWidth ? MaxGlyphWidth : width) ||
        font.Chars[0].Bitmap[0] != ReferenceRow(row, width, debug)) {
        std::fprintf(stderr, "fast path differs for width \"%.*s\" row \"%.*s\"\n", static_cast<int>(word.size()),
                     word.data(), static_cast<int>(row.size()), row.data());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // The first byte picks the reader's options, so both code rules and the row mask are covered.
    const uint8_t flags = size > 0 ? data[0] : 0;
    TBDFReadOptions options;
    options.Debug = flags & 1;
    options.Codes = (flags & 2) ? TCodeSource::Names : TCodeSource::Encoding;

    TBDFFont first;
    options.Threads = 1;
    const TBDFReadReport single = ParseBDF(input, first, options);
    // Read in parts on several threads through small windows, the font and the report are the same.
    TBDFFont parts;
    TBDFReadOptions split = options;
    split.Threads = 3;
    // Small windows cut the text into pieces of a few lines, and most lines are longer than the window.
    split.WindowBytes = 1 + ((flags >> 3) & 31);
    const TBDFReadReport parallel = ParseBDF(input, parts, split);
    if (!(parts == first) || parallel.CutGlyphs != single.CutGlyphs || parallel.SawStartFont != single.SawStartFont ||
        parallel.SawStartChar != single.SawStartChar || parallel.SawEndFont != single.SawEndFont) {
        std::fprintf(stderr, "reading in parts differs\n");
        std::abort();
    }
    // Written files are read back as the program reads them: without the mask
    // (the program's own files need none), codes as written.
    auto roundTrip = [&](const char *what, auto write) {
        const TByteBuffer once = write(first);
        TBDFFont second;
        ParseBDF(once.view(), second);
        const TByteBuffer twice = write(second);
        if (once.view() != twice.view()) {
            std::fprintf(stderr, "%s round trip differs:\n--- first write ---\n%.*s\n--- second write ---\n%.*s\n",
                         what, static_cast<int>(once.size()), once.data(), static_cast<int>(twice.size()),
                         twice.data());
            std::abort();
        }
        if (!(first.Chars.size() == second.Chars.size()))
            std::abort();
    };
    roundTrip("fixed", [](const TBDFFont &f) { return FormatBDF(f); });
    roundTrip("kept", [](const TBDFFont &f) { return FormatBDF(f, TBDFLayout::Kept); });
    roundTrip("export", [](const TBDFFont &f) { return FormatExportBDF(f); });
    if (size > 1 && (flags & 4))
        CheckFastPaths(input.substr(1), options.Debug);
    return 0;
}
