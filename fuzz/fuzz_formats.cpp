// libFuzzer target for the console (PSF 1, PSF 2), Unifont (.hex) and gzip
// readers and the PSF 2 and .hex writers. The property: whatever the input, a
// read either throws TFileError or gives a font; a font a writer takes reads
// back from its bytes and writes again to the same bytes (gzipped when the
// input was), padded to the font's box or not.
#include "bdf/fontformat.h"
#include "model/fileerror.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_formats: %s\n", what);
        std::abort();
    }
}

void RoundTrip(const TBDFFont &font, TFontFileKind kind, bool pad)
{
    TByteBuffer first;
    try {
        first = FormatFont(font, kind, {pad});
    } catch (const TFontFormatError &) {
        Check(!WhatFormatCannotHold(font, kind.Format).empty() || pad, "a refusal WhatFormatCannotHold does not tell");
        return;
    }
    TBDFFont again;
    try {
        ParseFont(first.view(), "written", again);
    } catch (const TFileError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        Check(false, "a written font does not read back");
    }
    const TByteBuffer second = FormatFont(again, kind, {pad});
    Check(first.view() == second.view(), "writing what was read back gives other bytes");
}

// BITLOOM_FUZZ_MAGIC=psf1 or psf2 writes that format's magic over the start of
// every input, so a whole run goes to one reader.
std::string_view ForcedMagic()
{
    static const std::string_view magic = [] {
        const char *which = std::getenv("BITLOOM_FUZZ_MAGIC");
        const std::string_view w = which ? which : "";
        if (w == "psf1")
            return std::string_view("\x36\x04", 2);
        return w == "psf2" ? std::string_view("\x72\xb5\x4a\x86", 4) : std::string_view();
    }();
    return magic;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string forced;
    std::string_view input(reinterpret_cast<const char *>(data), size);
    if (const std::string_view magic = ForcedMagic(); !magic.empty() && size >= magic.size()) {
        forced.assign(input);
        forced.replace(0, magic.size(), magic);
        input = forced;
    }
    TBDFFont font;
    TFontReadReport report;
    try {
        report = ParseFont(input, "input", font);
    } catch (const TFileError &) {
        return 0;
    }
    if (report.Kind.Format == TFontFormat::BDF)
        return 0; // the BDF reader has its own target
    // Compressing is slow under the sanitizers: only inputs that were gzip are written so.
    const bool gzip = report.Kind.Gzip;
    RoundTrip(font, {TFontFormat::PSF2, gzip}, false);
    RoundTrip(font, {TFontFormat::PSF2, gzip}, true);
    RoundTrip(font, {TFontFormat::Hex, gzip}, false);
    return 0;
}
