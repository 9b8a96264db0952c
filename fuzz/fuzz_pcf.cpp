// libFuzzer target for the PCF reader and writer. The properties: whatever the
// bytes, ParsePCF reads within them and either fills the font or throws
// TFileError; a font it read exports, and the PCF FormatPCF writes of it reads
// back with the same glyphs.
#include "bdf/bdfexport.h"
#include "bdf/pcf.h"
#include "model/fileerror.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    TBDFFont font;
    try {
        ParsePCF(input, "fuzz.pcf", font);
    } catch (const TFileError &) {
        return 0;
    }
    FormatExportBDF(font);
    const TByteBuffer written = FormatPCF(font);
    TBDFFont back;
    try {
        ParsePCF(written.view(), "written.pcf", back);
    } catch (const TFileError &e) {
        std::fprintf(stderr, "a written PCF does not read back: %s\n", e.what());
        std::abort();
    }
    // Each glyph read has a code of its own within 16 bits, so every one is written with it.
    if (back.Chars.size() != font.Chars.size()) {
        std::fprintf(stderr, "%zu glyphs read, %zu read back\n", font.Chars.size(), back.Chars.size());
        std::abort();
    }
    for (size_t i = 0; i < font.Chars.size(); ++i)
        if (back.Chars[i].Encoding != font.Chars[i].Encoding || back.Chars[i].DWidthX != font.Chars[i].DWidthX) {
            std::fprintf(stderr, "glyph %zu differs when read back\n", i);
            std::abort();
        }
    return 0;
}
