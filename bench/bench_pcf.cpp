// Opening unifont as the compressed PCF Debian ships against opening the BDF
// pcf2bdf makes of it: the whole open (read, inflate, parse), as the window does.
//   BITLOOM_BENCH_PCF      the .pcf.gz (default: xfonts-unifont's)
//   BITLOOM_BENCH_PCF_BDF  pcf2bdf's text of it (default: unifont-pcf.bdf)
#include "bdf/fontformat.h"
#include "bdf/pcf.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

std::string Env(const char *name, const char *otherwise)
{
    const char *p = std::getenv(name);
    return p ? p : otherwise;
}

void Open(benchmark::State &state, const std::string &path)
{
    size_t glyphs = 0;
    for (auto _ : state) {
        TBDFFont font;
        OpenFont(path, font);
        glyphs = font.Chars.size();
        benchmark::DoNotOptimize(font.Chars.data());
    }
    state.counters["glyphs"] = static_cast<double>(glyphs);
}

void BM_OpenPCFGz(benchmark::State &state)
{
    Open(state, Env("BITLOOM_BENCH_PCF", "/usr/share/fonts/X11/misc/unifont.pcf.gz"));
}
BENCHMARK(BM_OpenPCFGz)->Unit(benchmark::kMillisecond);

void BM_OpenItsBDF(benchmark::State &state)
{
    Open(state, Env("BITLOOM_BENCH_PCF_BDF", "unifont-pcf.bdf"));
}
BENCHMARK(BM_OpenItsBDF)->Unit(benchmark::kMillisecond);

void BM_FormatPCF(benchmark::State &state)
{
    TBDFFont font;
    OpenFont(Env("BITLOOM_BENCH_PCF", "/usr/share/fonts/X11/misc/unifont.pcf.gz"), font);
    for (auto _ : state) {
        const TByteBuffer out = FormatPCF(font);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormatPCF)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
