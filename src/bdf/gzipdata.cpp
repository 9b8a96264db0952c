#include "gzipdata.h"

#include "model/fileerror.h"

#include <algorithm>
#include <climits>
#include <libdeflate.h>
#include <new>
#include <optional>
#include <zlib.h>

namespace {

// Bytes inflated before the cap is asked for: enough for any format's header
// and the first lines of a text font.
constexpr size_t HeadBytes = 64 * 1024;

// zlib counts in 32-bit units; inputs are handed over in pieces of this size.
constexpr size_t Piece = 1u << 30;

[[noreturn]] void Refuse(const std::string &path, const std::string &reason)
{
    throw TFileError("Cannot open file", path, reason);
}

class TInflater {
public:
    TInflater()
    {
        // 15 + 16: a gzip header and trailer around the deflate data.
        if (inflateInit2(&Z, 15 + 16) != Z_OK)
            throw std::bad_alloc();
    }
    ~TInflater() { inflateEnd(&Z); }
    TInflater(const TInflater &) = delete;
    TInflater &operator=(const TInflater &) = delete;
    z_stream Z{};
};

[[noreturn]] void RefuseSize(const std::string &path, size_t limit)
{
    Refuse(path, "the gzip data inflates to more than " + std::to_string(limit) +
                     " bytes, more than a font of its kind holds");
}

class TDecompressor {
public:
    TDecompressor() : D(libdeflate_alloc_decompressor())
    {
        if (!D)
            throw std::bad_alloc();
    }
    ~TDecompressor() { libdeflate_free_decompressor(D); }
    TDecompressor(const TDecompressor &) = delete;
    TDecompressor &operator=(const TDecompressor &) = delete;
    libdeflate_decompressor *D;
};

// A single gzip member in one go, into a buffer of the size its trailer gives:
// two and a half times as fast as inflating in steps, which is most of the time
// opening a compressed font takes. Asked once the head (head bytes) is inflated
// and the cap (limit) known; a trailer claiming more than the cap, or more than
// deflate can grow the data to (about 1032 times), is not believed. Gives
// nothing where the stepwise inflation must decide: members joined, a trailer
// that does not match, damaged data (so every error reads the same).
std::optional<TByteBuffer> InflateWhole(std::string_view data, size_t head, size_t limit)
{
    if (data.size() < 18)
        return std::nullopt;
    const auto *u = reinterpret_cast<const unsigned char *>(data.data() + data.size() - 4);
    const size_t claimed = u[0] | size_t{u[1]} << 8 | size_t{u[2]} << 16 | size_t{u[3]} << 24;
    if (claimed > limit || claimed <= head || claimed / 1032 > data.size())
        return std::nullopt;
    TByteBuffer out;
    out.resize(claimed);
    out.prefault();
    TDecompressor d;
    size_t in = 0, made = 0;
    if (libdeflate_gzip_decompress_ex(d.D, data.data(), data.size(), out.data(), out.size(), &in, &made) !=
            LIBDEFLATE_SUCCESS ||
        IsGzipData(data.substr(in)))
        return std::nullopt;
    out.resize(made);
    return out;
}

} // namespace

bool IsGzipData(std::string_view data)
{
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1f && static_cast<unsigned char>(data[1]) == 0x8b;
}

TByteBuffer InflateGzip(std::string_view data, const std::string &path, const TInflateCap &cap)
{
    if (!IsGzipData(data))
        Refuse(path, "the file is not gzip data");
    TInflater inflater;
    z_stream &z = inflater.Z;
    TByteBuffer out;
    // Most fonts compress 3 to 10 times; the buffer grows from there as needed.
    out.reserve(std::max<size_t>(HeadBytes, std::min<size_t>(data.size(), size_t{64} << 20) * 4));
    size_t limit = SIZE_MAX;
    size_t used = 0;
    size_t in = 0;
    for (;;) {
        if (used == out.capacity()) {
            if (used >= limit)
                RefuseSize(path, limit);
            out.reserve(std::min(limit, used * 2));
        }
        out.resize(out.capacity());
        // Before the cap is known only the head is inflated.
        size_t room = std::min(out.size() - used, Piece);
        if (limit == SIZE_MAX)
            room = std::min(room, HeadBytes - std::min(used, HeadBytes));
        const size_t give = std::min(data.size() - in, Piece);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data() + in));
        z.avail_in = static_cast<uInt>(give);
        z.next_out = reinterpret_cast<Bytef *>(out.data() + used);
        z.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&z, Z_NO_FLUSH);
        in += give - z.avail_in;
        used += room - z.avail_out;
        if (rc == Z_MEM_ERROR)
            throw std::bad_alloc();
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_STREAM_ERROR)
            Refuse(path, std::string("the gzip data is damaged") + (z.msg ? std::string(" (") + z.msg + ")" : ""));
        const bool ended = rc == Z_STREAM_END;
        if (limit == SIZE_MAX && (used >= HeadBytes || ended)) {
            limit = std::max<size_t>(cap(std::string_view(out.data(), used)), 1);
            if (used > limit)
                RefuseSize(path, limit);
            // Still in the first member with most of it to come.
            if (!ended)
                if (std::optional<TByteBuffer> whole = InflateWhole(data, used, limit))
                    return std::move(*whole);
        }
        if (ended) {
            // Another member follows when gzip joined files; anything else is
            // trailing junk that gzip itself ignores too.
            if (IsGzipData(data.substr(in))) {
                if (inflateReset(&z) != Z_OK)
                    Refuse(path, "the gzip data is damaged");
                continue;
            }
            break;
        }
        // No progress with all the input taken and room left: the data ends mid-stream.
        if (rc == Z_BUF_ERROR && in == data.size() && z.avail_out > 0)
            Refuse(path, "the gzip data is cut short");
    }
    out.resize(used);
    return out;
}

TByteBuffer DeflateGzip(std::string_view data)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    TByteBuffer out;
    size_t in = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        const size_t give = std::min(data.size() - in, Piece);
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data() + in));
        z.avail_in = static_cast<uInt>(give);
        const int flush = in + give == data.size() ? Z_FINISH : Z_NO_FLUSH;
        const size_t room = std::max<size_t>(deflateBound(&z, static_cast<uLong>(give)), 4096);
        const size_t used = out.size();
        out.resize(used + room);
        z.next_out = reinterpret_cast<Bytef *>(out.data() + used);
        z.avail_out = static_cast<uInt>(room);
        rc = deflate(&z, flush);
        in += give - z.avail_in;
        out.resize(used + room - z.avail_out);
        if (rc == Z_STREAM_ERROR) {
            deflateEnd(&z);
            throw std::runtime_error("gzip compression failed");
        }
    }
    deflateEnd(&z);
    return out;
}
