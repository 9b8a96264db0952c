// The PCF reader against the BDF reader on the same font: unifont's PCF,
// inflated in memory, and the BDF pcf2bdf makes of it.
//   BITLOOM_BENCH_PCF      the .pcf.gz (default: xfonts-unifont's)
//   BITLOOM_BENCH_PCF_BDF  pcf2bdf's text of it (default: unifont-pcf.bdf)
#include "bdf/bdfreader.h"
#include "bdf/fileio.h"
#include "bdf/pcf.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char *name, const char *otherwise)
{
    const char *p = std::getenv(name);
    return p ? p : otherwise;
}

std::string Inflated(const std::string &path)
{
    std::string bytes;
    if (gzFile f = gzopen(path.c_str(), "rb")) {
        char buf[1 << 16];
        for (int got; (got = gzread(f, buf, sizeof buf)) > 0;)
            bytes.append(buf, static_cast<size_t>(got));
        gzclose(f);
    }
    return bytes;
}

void BM_ParsePCF(benchmark::State &state)
{
    const std::string path = Env("BITLOOM_BENCH_PCF", "/usr/share/fonts/X11/misc/unifont.pcf.gz");
    const std::string bytes = Inflated(path);
    size_t glyphs = 0;
    for (auto _ : state) {
        TBDFFont font;
        ParsePCF(bytes, path, font);
        glyphs = font.Chars.size();
        benchmark::DoNotOptimize(font.Chars.data());
    }
    state.counters["glyphs"] = static_cast<double>(glyphs);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ParsePCF)->Unit(benchmark::kMillisecond);

void BM_ParsePCFAsBDF(benchmark::State &state)
{
    const TByteBuffer text = ReadFileBytes(Env("BITLOOM_BENCH_PCF_BDF", "unifont-pcf.bdf"));
    size_t glyphs = 0;
    for (auto _ : state) {
        TBDFFont font;
        ParseBDF(text.view(), font);
        glyphs = font.Chars.size();
        benchmark::DoNotOptimize(font.Chars.data());
    }
    state.counters["glyphs"] = static_cast<double>(glyphs);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParsePCFAsBDF)->Unit(benchmark::kMillisecond);

void BM_FormatPCF(benchmark::State &state)
{
    const std::string path = Env("BITLOOM_BENCH_PCF", "/usr/share/fonts/X11/misc/unifont.pcf.gz");
    TBDFFont font;
    ParsePCF(Inflated(path), path, font);
    for (auto _ : state) {
        const TByteBuffer out = FormatPCF(font);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatPCF)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
