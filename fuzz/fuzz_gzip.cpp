// libFuzzer target for gzip inflation: InflateGzip, which inflates a whole
// member at once when it can and steps through it otherwise, against a plain
// stepwise inflation written here. Both refuse, or both give the same bytes.
#include "bdf/gzipdata.h"
#include "model/fileerror.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <zlib.h>

namespace {

constexpr size_t Cap = size_t{1} << 20;

bool IsGzip(std::string_view d)
{
    return d.size() >= 2 && static_cast<unsigned char>(d[0]) == 0x1f && static_cast<unsigned char>(d[1]) == 0x8b;
}

// Members one after another until the rest is not gzip; nothing when damaged,
// cut short or past the cap.
std::optional<std::string> Reference(std::string_view data)
{
    std::string out;
    while (IsGzip(data)) {
        z_stream z{};
        if (inflateInit2(&z, 15 + 16) != Z_OK)
            std::abort();
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        int rc = Z_OK;
        char buf[4096];
        while (rc == Z_OK) {
            z.next_out = reinterpret_cast<Bytef *>(buf);
            z.avail_out = sizeof buf;
            rc = inflate(&z, Z_NO_FLUSH);
            out.append(buf, sizeof buf - z.avail_out);
            if (out.size() > Cap || (rc == Z_BUF_ERROR && z.avail_in == 0))
                rc = Z_DATA_ERROR;
            else if (rc == Z_BUF_ERROR)
                rc = Z_OK;
        }
        data.remove_prefix(z.total_in);
        inflateEnd(&z);
        if (rc != Z_STREAM_END)
            return std::nullopt;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const std::string_view data(reinterpret_cast<const char *>(bytes), size);
    if (!IsGzip(data))
        return 0;
    std::optional<std::string> got;
    try {
        const TByteBuffer out = InflateGzip(data, "input", [](std::string_view) { return Cap; });
        got = std::string(out.view());
    } catch (const TFileError &) {
    }
    if (got != Reference(data)) {
        std::fprintf(stderr, "fuzz_gzip: the inflations differ (%s)\n", got ? "ours gave bytes" : "ours refused");
        std::abort();
    }
    return 0;
}
