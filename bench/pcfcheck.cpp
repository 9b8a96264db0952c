// Reads one PCF font (gzip-compressed or not) with ParsePCF and writes what the
// PCF corpus check compares, for bench/pcfcorpus.sh:
//   pcfcheck IN.pcf[.gz] OUT_EXPORT.bdf [OUT.pcf]
//   pcfcheck --bdf IN.bdf OUT_EXPORT.bdf
// OUT_EXPORT.bdf: the font's standard export; OUT.pcf: the font written as PCF.
// With --bdf the font is read with the BDF reader instead (pcf2bdf's text).
// Exit status 0 on success, 1 when the font cannot be read or written (the
// reason on standard error).
#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"
#include "bdf/pcf.h"
#include "model/fileerror.h"

#include <zlib.h>

#include <cstdio>
#include <string>

namespace {

// The file's bytes, inflated when it is gzip-compressed (gzread passes other files through).
std::string ReadInflated(const char *path)
{
    gzFile f = gzopen(path, "rb");
    if (!f)
        throw TFileError("Cannot open file", path, "gzopen failed");
    std::string bytes;
    char buf[1 << 16];
    int got;
    while ((got = gzread(f, buf, sizeof buf)) > 0)
        bytes.append(buf, static_cast<size_t>(got));
    const bool failed = got < 0;
    gzclose(f);
    if (failed)
        throw TFileError("Cannot read file", path, "not valid gzip data");
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "--bdf") {
        try {
            TBDFFont font;
            OpenBDF(argv[2], font);
            ExportBDF(argv[3], font);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        return 0;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: pcfcheck IN.pcf[.gz] OUT_EXPORT.bdf [OUT.pcf] | --bdf IN.bdf OUT_EXPORT.bdf\n");
        return 2;
    }
    try {
        TBDFFont font;
        const TBDFReadReport report = ParsePCF(ReadInflated(argv[1]), argv[1], font);
        if (report.CutGlyphs > 0)
            std::printf("cut %d glyphs to 64 columns\n", report.CutGlyphs);
        ExportBDF(argv[2], font);
        if (argc == 4) {
            TBDFExportReport written;
            WritePCF(argv[3], font, &written);
            if (!written.Ignored.empty())
                std::printf("ignored %zu glyphs\n", written.Ignored.size());
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
