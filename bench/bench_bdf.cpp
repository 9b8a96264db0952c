// In-process reader and writer throughput on a real font. The font path comes
// from BITLOOM_BENCH_BDF (run_bench.sh makes it from unifont).
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fileio.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

std::string BenchFont()
{
    const char *p = std::getenv("BITLOOM_BENCH_BDF");
    return p ? p : "unifont.bdf";
}

void BM_ParseBDF(benchmark::State &state)
{
    TByteBuffer text = ReadFileBytes(BenchFont());
    for (auto _ : state) {
        TBDFFont font;
        ParseBDF(text.view(), font);
        benchmark::DoNotOptimize(font.Chars.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseBDF)->Unit(benchmark::kMillisecond);

void BM_FormatBDF(benchmark::State &state)
{
    TBDFFont font;
    OpenBDF(BenchFont(), font);
    size_t bytes = 0;
    for (auto _ : state) {
        TByteBuffer out = FormatBDF(font);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FormatBDF)->Unit(benchmark::kMillisecond);

void BM_ReadFileBytes(benchmark::State &state)
{
    for (auto _ : state) {
        TByteBuffer text = ReadFileBytes(BenchFont());
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
