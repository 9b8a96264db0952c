// libFuzzer target for the BDF reader and writer. The property: whatever the
// input, a font that has been written once reads back to the same text, so
// parse, write, parse, write gives two equal writes.
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // The first byte picks the reader's options, so both code rules and the row mask are covered.
    const uint8_t flags = size > 0 ? data[0] : 0;
    TBDFReadOptions options;
    options.Debug = flags & 1;
    options.Codes = (flags & 2) ? TCodeSource::Names : TCodeSource::Encoding;

    TBDFFont first;
    ParseBDF(input, first, options);
    const TByteBuffer once = FormatBDF(first);

    // Written files are read back as the program reads them: without the mask
    // (the program's own files need none), codes as written.
    TBDFFont second;
    ParseBDF(once.view(), second);
    const TByteBuffer twice = FormatBDF(second);

    if (once.view() != twice.view()) {
        std::fprintf(stderr, "round trip differs:\n--- first write ---\n%.*s\n--- second write ---\n%.*s\n",
                     static_cast<int>(once.size()), once.data(), static_cast<int>(twice.size()), twice.data());
        std::abort();
    }
    if (!(first.Chars.size() == second.Chars.size()))
        std::abort();
    return 0;
}
