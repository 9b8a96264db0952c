#include "pcf.h"

#include "fileio.h"
#include "runthreads.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace {

// Table types, in the order bdftopcf writes them.
enum : uint32_t {
    PcfProperties = 1 << 0,
    PcfAccelerators = 1 << 1,
    PcfMetrics = 1 << 2,
    PcfBitmaps = 1 << 3,
    PcfInkMetrics = 1 << 4,
    PcfBdfEncodings = 1 << 5,
    PcfSwidths = 1 << 6,
    PcfGlyphNames = 1 << 7,
    PcfBdfAccelerators = 1 << 8,
};

// The format word: its high bits say how a table is laid out, its low bits how
// its numbers and bitmaps are.
constexpr uint32_t FormatMask = 0xFFFFFF00;
constexpr uint32_t AccelWithInkBounds = 0x100;
constexpr uint32_t CompressedMetrics = 0x100;
constexpr uint32_t GlyphPadMask = 3;
constexpr uint32_t ByteMsbFirst = 1 << 2;
constexpr uint32_t BitMsbFirst = 1 << 3;
constexpr uint32_t ScanUnitShift = 4;
constexpr uint16_t NoChar = 0xFFFF;

// The reader's limits on a line's value, so a name reads as the BDF reader
// reads it from pcf2bdf's text.
constexpr size_t MaxValueLength = 255;

[[noreturn]] void Corrupt(const std::string &path, const std::string &reason)
{
    throw TFileError("Cannot read PCF font", path, reason);
}

std::string_view ValueText(std::string_view text)
{
    return TrimSpaces(text.substr(0, MaxValueLength));
}

// A table's bytes, read with bounds checked at every step: a number past the
// end throws rather than reads.
class TTable {
public:
    TTable(std::string_view bytes, const char *name, const std::string &path) : Bytes(bytes), Name(name), Path(path)
    {
        Format = static_cast<uint32_t>(raw(4, false));
        MsbFirst = (Format & ByteMsbFirst) != 0;
    }

    uint32_t format() const { return Format; }
    bool msbFirst() const { return MsbFirst; }
    size_t left() const { return Bytes.size() - Pos; }
    size_t pos() const { return Pos; }
    void seek(size_t at)
    {
        if (at > Bytes.size())
            fail("is shorter than it says");
        Pos = at;
    }
    uint8_t u8() { return static_cast<uint8_t>(raw(1, MsbFirst)); }
    int16_t i16() { return static_cast<int16_t>(static_cast<uint16_t>(raw(2, MsbFirst))); }
    uint16_t u16() { return static_cast<uint16_t>(raw(2, MsbFirst)); }
    int32_t i32() { return static_cast<int32_t>(static_cast<uint32_t>(raw(4, MsbFirst))); }
    // A count of items of itemBytes each that must all lie in what is left.
    size_t count(int64_t n, size_t itemBytes, const char *what)
    {
        if (n < 0 || static_cast<uint64_t>(n) > left() / itemBytes)
            fail("claims " + std::to_string(n) + " " + what + ", more than its " + std::to_string(left()) +
                 " bytes hold");
        return static_cast<size_t>(n);
    }
    std::string_view bytes(size_t n)
    {
        if (n > left())
            fail("is shorter than it says");
        const std::string_view out = Bytes.substr(Pos, n);
        Pos += n;
        return out;
    }
    [[noreturn]] void fail(const std::string &why) const { Corrupt(Path, std::string("the ") + Name + " table " + why); }

private:
    uint64_t raw(size_t n, bool msb)
    {
        if (n > left())
            fail("is shorter than it says");
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint64_t b = static_cast<unsigned char>(Bytes[Pos + i]);
            v |= msb ? b << (8 * (n - 1 - i)) : b << (8 * i);
        }
        Pos += n;
        return v;
    }

    std::string_view Bytes;
    const char *Name;
    const std::string &Path;
    uint32_t Format = 0;
    bool MsbFirst = false;
    size_t Pos = 0;
};

struct TMetrics {
    int32_t Left = 0, Right = 0, Width = 0, Ascent = 0, Descent = 0;
};

// One glyph's metrics from its bytes in a table: five signed bytes offset by
// 0x80 when compressed, else six 16-bit numbers (the last, attributes, unused).
TMetrics MetricsAt(const unsigned char *p, bool compressed, bool msb)
{
    if (compressed)
        return {p[0] - 0x80, p[1] - 0x80, p[2] - 0x80, p[3] - 0x80, p[4] - 0x80};
    auto i16 = [msb](const unsigned char *q) {
        return static_cast<int16_t>(static_cast<uint16_t>(msb ? q[0] << 8 | q[1] : q[1] << 8 | q[0]));
    };
    return {i16(p), i16(p + 2), i16(p + 4), i16(p + 6), i16(p + 8)};
}

size_t MetricsBytes(bool compressed)
{
    return compressed ? 5 : 12;
}

TMetrics ReadMetrics(TTable &t, bool compressed)
{
    return MetricsAt(reinterpret_cast<const unsigned char *>(t.bytes(MetricsBytes(compressed)).data()), compressed,
                     t.msbFirst());
}

// Every glyph's metrics at once, once the count is known to fit the table.
std::vector<TMetrics> ReadAllMetrics(TTable &t, size_t glyphs, bool compressed)
{
    const size_t size = MetricsBytes(compressed);
    const auto *p = reinterpret_cast<const unsigned char *>(t.bytes(glyphs * size).data());
    std::vector<TMetrics> out(glyphs);
    for (TMetrics &m : out) {
        m = MetricsAt(p, compressed, t.msbFirst());
        p += size;
    }
    return out;
}

// Count 32-bit numbers at once, read as ReadAllMetrics reads metrics.
std::vector<uint32_t> ReadAll32(TTable &t, size_t count)
{
    const auto *p = reinterpret_cast<const unsigned char *>(t.bytes(count * 4).data());
    const bool msb = t.msbFirst();
    std::vector<uint32_t> out(count);
    for (uint32_t &v : out) {
        v = msb ? uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]
                : uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
        p += 4;
    }
    return out;
}

// A NUL-ended string at offset in a string table; a string the table ends
// before its NUL ends there.
std::string_view TableString(std::string_view strings, int32_t offset, TTable &t)
{
    if (offset < 0 || static_cast<size_t>(offset) > strings.size())
        t.fail("names a string at " + std::to_string(offset) + ", past its " + std::to_string(strings.size()) +
               " bytes of strings");
    const std::string_view s = strings.substr(static_cast<size_t>(offset));
    return s.substr(0, s.find('\0'));
}

// A string as a BDF line can hold it: a line break in a name or value would
// end the line it is written on and start another, so it becomes a blank.
std::string LineText(std::string_view text)
{
    std::string out(text);
    std::replace_if(out.begin(), out.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return out;
}

unsigned char Mirrored(unsigned b)
{
    b = (b & 0xF0) >> 4 | (b & 0x0F) << 4;
    b = (b & 0xCC) >> 2 | (b & 0x33) << 2;
    b = (b & 0xAA) >> 1 | (b & 0x55) << 1;
    return static_cast<unsigned char>(b);
}

// Byte at of the bitmap data as a most-significant-bit-first byte in row order:
// the data is read in units of the other byte order, with its bits mirrored.
unsigned char BitmapByte(std::string_view data, size_t at, size_t unit, bool swap, bool mirror)
{
    const size_t from = swap ? at / unit * unit + (unit - 1 - at % unit) : at;
    const unsigned b = from < data.size() ? static_cast<unsigned char>(data[from]) : 0;
    return mirror ? Mirrored(b) : static_cast<unsigned char>(b);
}

// A font of this many glyphs or more has them made on two threads.
constexpr size_t ThreadedGlyphs = 8192;

struct TAccel {
    int32_t Ascent = 0, Descent = 0;
    TMetrics Min, Max;
};

class TPcfReader {
public:
    TPcfReader(std::string_view bytes, const std::string &path) : Bytes(bytes), Path(path) {}
    TBDFReadReport read(TBDFFont &font);

private:
    std::optional<TTable> table(uint32_t type, const char *name) const;
    void readProperties(TBDFFont &font, std::optional<int32_t> defaultChar, const std::optional<TAccel> &accel);
    static TAccel readAccel(TTable &t);

    std::string_view Bytes;
    const std::string &Path;
    // Each type's table: the first of that type in the table of contents.
    std::unordered_map<uint32_t, std::string_view> Tables;
};

std::optional<TTable> TPcfReader::table(uint32_t type, const char *name) const
{
    const auto it = Tables.find(type);
    if (it == Tables.end())
        return std::nullopt;
    return TTable(it->second, name, Path);
}

TAccel TPcfReader::readAccel(TTable &t)
{
    TAccel a;
    t.bytes(8); // the flags and the drawing direction
    a.Ascent = t.i32();
    a.Descent = t.i32();
    t.i32(); // the most overlap
    a.Min = ReadMetrics(t, false);
    a.Max = ReadMetrics(t, false);
    return a;
}

void TPcfReader::readProperties(TBDFFont &font, std::optional<int32_t> defaultChar, const std::optional<TAccel> &accel)
{
    std::optional<int32_t> pointSize, resX, resY;
    if (std::optional<TTable> t = table(PcfProperties, "properties")) {
        const size_t n = t->count(t->i32(), 9, "properties");
        const size_t at = t->pos();
        t->seek(at + 9 * n + ((n & 3) ? 4 - (n & 3) : 0));
        const int32_t stringSize = t->i32();
        const std::string_view strings = t->bytes(t->count(stringSize, 1, "bytes of strings"));
        t->seek(at);
        for (size_t i = 0; i < n; ++i) {
            const std::string_view name = TableString(strings, t->i32(), *t);
            const bool isString = t->u8() != 0;
            const int32_t value = t->i32();
            // pcf2bdf writes FONT as the FONT line and leaves out RESOLUTION,
            // which bdftopcf works out by itself.
            if (name == "FONT" && isString) {
                font.FontName = ValueText(LineText(TableString(strings, value, *t)));
                continue;
            }
            if (name == "RESOLUTION")
                continue;
            if (!isString) {
                if (name == "POINT_SIZE")
                    pointSize = value;
                else if (name == "RESOLUTION_X")
                    resX = value;
                else if (name == "RESOLUTION_Y")
                    resY = value;
            }
            if (name == "Uid" && !isString) {
                // As the BDF reader takes its Uid line: the field holds the value.
                font.Uid = value;
                if (std::none_of(font.Properties.begin(), font.Properties.end(),
                                 [](const TBDFProperty &p) { return p.Name == "Uid"; }))
                    font.Properties.push_back({"Uid", "", false});
                continue;
            }
            font.Properties.push_back({LineText(name),
                                       isString ? LineText(TableString(strings, value, *t)) : std::to_string(value),
                                       isString});
        }
    }
    if (defaultChar)
        font.Properties.push_back({"DEFAULT_CHAR", std::to_string(*defaultChar), false});
    if (accel) {
        font.Properties.push_back({"FONT_DESCENT", std::to_string(accel->Descent), false});
        font.Properties.push_back({"FONT_ASCENT", std::to_string(accel->Ascent), false});
    }
    font.Size = std::to_string(pointSize.value_or(0) / 10) + " " + std::to_string(resX.value_or(0)) + " " +
                std::to_string(resY.value_or(0));
}

TBDFReadReport TPcfReader::read(TBDFFont &font)
{
    if (Bytes.size() < 8 || Bytes.substr(0, 4) != std::string_view("\1fcp", 4))
        throw TFileError::WithMessage("\"" + Path + "\" is not a PCF font", Path, "not a PCF font");
    TTable toc(Bytes.substr(4), "contents", Path);
    // The count was read as the format word.
    const size_t tables = toc.count(toc.format(), 16, "tables");
    for (size_t i = 0; i < tables; ++i) {
        const uint32_t type = static_cast<uint32_t>(toc.i32());
        toc.i32(); // the format, which each table repeats
        const uint64_t size = static_cast<uint32_t>(toc.i32()), offset = static_cast<uint32_t>(toc.i32());
        if (offset > Bytes.size())
            Corrupt(Path, "table " + std::to_string(i) + " starts at " + std::to_string(offset) +
                              ", past the file's end (" + std::to_string(Bytes.size()) + " bytes)");
        // bdftopcf gives its last table more bytes than it writes, so a size
        // ends at the file's end, as FreeType takes it; each table's own
        // counts are checked as it is read.
        Tables.emplace(type, Bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size)));
    }

    // The metrics and bitmaps of every glyph, by index.
    std::optional<TTable> metrics = table(PcfMetrics, "metrics");
    std::optional<TTable> bitmaps = table(PcfBitmaps, "bitmaps");
    std::optional<TTable> encodings = table(PcfBdfEncodings, "encodings");
    if (!metrics || !bitmaps || !encodings)
        Corrupt(Path, "the font has no metrics, bitmaps or encoding table");
    const bool compressed = (metrics->format() & FormatMask) == CompressedMetrics;
    const size_t glyphs =
        compressed ? metrics->count(metrics->u16(), 5, "glyphs") : metrics->count(metrics->i32(), 12, "glyphs");
    const uint32_t bitmapFormat = bitmaps->format();
    if (bitmaps->count(bitmaps->i32(), 4, "bitmaps") != glyphs)
        bitmaps->fail("holds another number of glyphs than the metrics table");

    // The codes: rows of byte1 values, columns of byte2 values.
    const uint16_t minCol = encodings->u16(), maxCol = encodings->u16(), minRow = encodings->u16(),
                   maxRow = encodings->u16(), defaultChar = encodings->u16();
    // Codes are two bytes: a byte value past 255 makes no code.
    if (std::max({minCol, maxCol, minRow, maxRow}) > 0xFF)
        encodings->fail("has a byte of a code above 255");
    const size_t cols = maxCol >= minCol ? size_t{maxCol} - minCol + 1 : 0;
    const size_t rows = maxRow >= minRow ? size_t{maxRow} - minRow + 1 : 0;
    encodings->count(static_cast<int64_t>(cols * rows), 2, "codes");
    std::vector<std::pair<int32_t, uint16_t>> coded;
    coded.reserve(cols * rows);
    for (size_t r = 0; r < rows; ++r)
        for (size_t c = 0; c < cols; ++c) {
            const uint16_t g = encodings->u16();
            if (g != NoChar && g < glyphs)
                coded.emplace_back(static_cast<int32_t>(((minRow + r) << 8) | (minCol + c)), g);
        }

    const unsigned padShift = bitmapFormat & GlyphPadMask;
    const size_t unit = size_t{1} << ((bitmapFormat >> ScanUnitShift) & 3);
    const bool bitMsb = (bitmapFormat & BitMsbFirst) != 0, byteMsb = (bitmapFormat & ByteMsbFirst) != 0;
    // As X and FreeType read them: units swapped when the byte order is not the bit order.
    const bool swap = bitMsb != byteMsb && unit > 1;
    // Bytes of each glyph's rows.
    auto stride = [&](const TMetrics &m) -> size_t {
        const int32_t w = m.Right - m.Left;
        return w <= 0 ? 0 : (static_cast<size_t>(w) + (size_t{8} << padShift) - 1) >> (3 + padShift) << padShift;
    };
    auto height = [](const TMetrics &m) { return std::max(0, m.Ascent + m.Descent); };

    // For a big font the glyph list, a first touch of many megabytes, is made
    // on a second thread while this one reads the other tables. Codes reach at
    // most 65,536 glyphs of a fixed size, so the list is bounded before it is made.
    const size_t parts = coded.size() >= ThreadedGlyphs && std::thread::hardware_concurrency() > 1 ? 2 : 1;
    TBDFFont read;
    TBDFReadReport report;
    std::vector<TMetrics> metric;
    std::vector<uint32_t> bitmapAt, swidths;
    std::string_view bitmapData;
    std::vector<std::string_view> names;
    RunOnThreads(parts, [&](size_t part) {
        if (part == parts - 1)
            read.Chars.resize(coded.size());
        if (part != 0)
            return;
        metric = ReadAllMetrics(*metrics, glyphs, compressed);
        bitmapAt = ReadAll32(*bitmaps, glyphs);
        int32_t sizes[4];
        for (int32_t &s : sizes)
            s = bitmaps->i32();
        bitmapData = bitmaps->bytes(bitmaps->count(sizes[bitmapFormat & GlyphPadMask], 1, "bytes of bitmaps"));
        if (std::optional<TTable> t = table(PcfSwidths, "scalable widths"))
            swidths = ReadAll32(*t, t->count(t->i32(), 4, "widths"));
        if (std::optional<TTable> t = table(PcfGlyphNames, "glyph names")) {
            const size_t n = t->count(t->i32(), 4, "names");
            const size_t at = t->pos();
            t->seek(at + 4 * n);
            const std::string_view strings = t->bytes(t->count(t->i32(), 1, "bytes of names"));
            t->seek(at);
            const std::vector<uint32_t> offsets = ReadAll32(*t, n);
            names.resize(n);
            for (size_t i = 0; i < n; ++i)
                names[i] = ValueText(TableString(strings, static_cast<int32_t>(offsets[i]), *t));
        }
        std::optional<TAccel> accel;
        if (std::optional<TTable> t = table(PcfBdfAccelerators, "BDF accelerators"))
            accel = readAccel(*t);
        else if (std::optional<TTable> t = table(PcfAccelerators, "accelerators"))
            accel = readAccel(*t);

        // Each glyph's rows must lie in the bitmap data before any row is made.
        // Glyphs many codes reach are made as many times, so the rows made are
        // bounded too: by the bitmap bytes and some room.
        for (size_t g = 0; g < glyphs; ++g)
            if (bitmapAt[g] > bitmapData.size() ||
                stride(metric[g]) * static_cast<size_t>(height(metric[g])) > bitmapData.size() - bitmapAt[g])
                Corrupt(Path, "the bitmap of glyph " + std::to_string(g) + " lies past the bitmap data");
        uint64_t madeRows = 0;
        constexpr uint64_t RowRoom = uint64_t{1} << 24;
        for (const auto &[code, g] : coded)
            if (stride(metric[g]) > 0)
                madeRows += static_cast<uint64_t>(height(metric[g]));
        if (madeRows > bitmapData.size() + RowRoom)
            Corrupt(Path, "its codes reach glyphs of " + std::to_string(madeRows) + " rows in all, more than its " +
                              std::to_string(bitmapData.size()) + " bitmap bytes can hold");

        report.SawStartFont = report.SawEndFont = true;
        read.StartFont = "2.1";
        readProperties(read, defaultChar == NoChar ? std::nullopt : std::optional<int32_t>(defaultChar), accel);
        if (accel) {
            read.FBBWidth = accel->Max.Right - accel->Min.Left;
            read.FBBHeight = accel->Max.Ascent + accel->Max.Descent;
            read.FBBXOff = accel->Min.Left;
            read.FBBYOff = -accel->Max.Descent;
        }
    });

    // Each glyph's numbers and rows, the bulk of the work, half the list on each
    // of two threads for a big font; then, in order, the notes of glyphs whose
    // names their codes do not make (the notes grow as names are added).
    std::array<unsigned char, 256> flip{};
    for (unsigned b = 0; b < 256; ++b)
        flip[b] = bitMsb ? static_cast<unsigned char>(b) : Mirrored(b);
    std::vector<unsigned char> noted(coded.size());
    std::array<int, 2> cut{};
    auto makeGlyphs = [&](size_t from, size_t to, int &cutHere) {
        const auto *data = reinterpret_cast<const unsigned char *>(bitmapData.data());
        for (size_t i = from; i < to; ++i) {
            const auto [code, g] = coded[i];
            const TMetrics &m = metric[g];
            TBDFChar &ch = read.Chars[i];
            ch.Encoding = code;
            ch.SWidthX = g < swidths.size() ? static_cast<int32_t>(swidths[g]) : 0;
            ch.DWidthX = m.Width;
            ch.BBXWidth = m.Right - m.Left;
            ch.BBXHeight = m.Ascent + m.Descent;
            ch.BBXXOff = m.Left;
            ch.BBXYOff = -m.Descent;
            const std::string_view name = g < names.size() ? names[g] : std::string_view();
            if (const std::optional<TCodeNameWay> way = CodeNameWay(name, code))
                ch.Notes = CodeNameNote(*way, false);
            else
                noted[i] = 1;
            const size_t bytesPerRow = stride(m);
            if (bytesPerRow == 0)
                continue; // every row blank, and the export writes blank rows for rows it lacks
            if (ch.BBXWidth > MaxGlyphWidth) {
                ch.BBXWidth = MaxGlyphWidth;
                ++cutHere;
            }
            const size_t at = bitmapAt[g];
            const size_t keep = std::min<size_t>(static_cast<size_t>(RowBytes(ch.BBXWidth)), 8);
            const int h = height(m);
            ch.Bitmap.assign(static_cast<size_t>(h), 0);
            uint64_t *out = ch.Bitmap.data();
            for (int y = 0; y < h; ++y) {
                const size_t start = at + static_cast<size_t>(y) * bytesPerRow;
                uint64_t v = 0;
                if (swap)
                    for (size_t k = 0; k < keep; ++k)
                        v = v << 8 | BitmapByte(bitmapData, start + k, unit, true, !bitMsb);
                else
                    for (size_t k = 0; k < keep; ++k)
                        v = v << 8 | flip[data[start + k]];
                out[y] = v;
            }
        }
    };
    const size_t half = coded.size() / parts;
    RunOnThreads(parts, [&](size_t part) {
        makeGlyphs(part == 0 ? 0 : half, part == 0 ? half : coded.size(), cut[part]);
    });
    report.CutGlyphs += cut[0] + cut[1];
    for (size_t i = 0; i < coded.size(); ++i)
        if (noted[i]) {
            const uint16_t g = coded[i].second;
            read.Chars[i].Notes = read.GlyphNotes.add({g < names.size() ? names[g] : std::string_view(), std::nullopt, {}});
        }
    font = std::move(read);
    return report;
}

} // namespace

TBDFReadReport ParsePCF(std::string_view bytes, const std::string &path, TBDFFont &font)
{
    return TPcfReader(bytes, path).read(font);
}

namespace {

// A table as bdftopcf lays it out: its format word first (least significant
// byte first, as the table of contents is), then numbers in the format's order.
class TTableOut {
public:
    TTableOut(uint32_t type, uint32_t format) : Type(type), Format(format) { put(format, 4, false); }
    void u8(uint32_t v) { Bytes.push_back(static_cast<char>(v & 0xFF)); }
    void i16(int32_t v) { put(static_cast<uint32_t>(v), 2, true); }
    void i32(int64_t v) { put(static_cast<uint32_t>(v), 4, true); }
    void bytes(std::string_view b) { Bytes += b; }
    void padTo4()
    {
        while (Bytes.size() % 4 != 0)
            Bytes.push_back('\0');
    }

    uint32_t Type, Format;
    std::string Bytes;

private:
    void put(uint32_t v, int n, bool inFormat)
    {
        const bool msb = inFormat && (Format & ByteMsbFirst) != 0;
        for (int i = 0; i < n; ++i)
            Bytes.push_back(static_cast<char>(v >> (8 * (msb ? n - 1 - i : i)) & 0xFF));
    }
};

// bdftopcf's default form: most significant byte and bit first, rows padded
// to 4 bytes, read a byte at a time.
constexpr uint32_t OutFormat = ByteMsbFirst | BitMsbFirst | 2;
constexpr size_t OutPad = 4;

int32_t Clamp16(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

std::optional<int32_t> ToInt32(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const int32_t a = ParseIntDef(text, 0), b = ParseIntDef(text, 1);
    const bool decimal = std::all_of(text.begin() + (text[0] == '-' || text[0] == '+'), text.end(),
                                     [](char c) { return c >= '0' && c <= '9'; });
    return decimal && a == b ? std::optional<int32_t>(a) : std::nullopt;
}

void PutMetrics(TTableOut &t, const TMetrics &m, bool compressed)
{
    if (compressed) {
        for (int32_t v : {m.Left, m.Right, m.Width, m.Ascent, m.Descent})
            t.u8(static_cast<uint32_t>(v + 0x80));
    } else {
        for (int32_t v : {m.Left, m.Right, m.Width, m.Ascent, m.Descent, 0})
            t.i16(v);
    }
}

} // namespace

TByteBuffer FormatPCF(const TBDFFont &source, TBDFExportReport *report)
{
    // The standard export read back is the font bdftopcf would be given: every
    // property it needs, an XLFD name, unique glyph names.
    TBDFExportReport exportReport;
    TBDFFont font;
    ParseBDF(FormatExportBDF(source, &exportReport).view(), font);
    // The codes come from the font itself: a property line that the reader
    // takes for a keyword (a name starting with BITMAP) can hide ENCODING lines.
    if (font.Chars.size() == source.Chars.size())
        for (size_t i = 0; i < font.Chars.size(); ++i)
            font.Chars[i].Encoding = std::max(source.Chars[i].Encoding, -1);
    if (report)
        report->Changes.insert(report->Changes.end(), exportReport.Changes.begin(), exportReport.Changes.end());

    const size_t n = font.Chars.size();
    std::vector<TMetrics> metric(n);
    std::vector<std::string> names(n);
    bool clamped = false;
    for (size_t i = 0; i < n; ++i) {
        const TBDFChar &ch = font.Chars[i];
        const int64_t left = ch.BBXXOff, bottom = ch.BBXYOff;
        TMetrics &m = metric[i];
        m = {Clamp16(left), Clamp16(left + ch.BBXWidth), Clamp16(ch.DWidthX), Clamp16(bottom + ch.BBXHeight),
             Clamp16(-bottom)};
        clamped = clamped || m.Left != left || m.Right != left + ch.BBXWidth || m.Width != ch.DWidthX ||
                  m.Ascent != bottom + ch.BBXHeight || m.Descent != -bottom;
        // The reader drops a name its code gives; the export wrote it.
        const std::string name = GlyphName(font, ch);
        names[i] = name.empty() ? FormatHex(static_cast<uint32_t>(ch.Encoding), 4) : std::string(name);
    }
    if (clamped && report)
        report->Changes.push_back("Glyph boxes or advances beyond the 16-bit range of PCF metrics were cut to it.");

    // The encoding: each code up to 65535 reaches the last glyph that has it.
    std::unordered_map<int32_t, size_t> glyphOf;
    for (size_t i = 0; i < n; ++i) {
        const int32_t code = font.Chars[i].Encoding;
        if (code >= 0 && code <= 0xFFFF)
            glyphOf[code] = i;
    }
    if (report)
        for (size_t i = 0; i < n; ++i) {
            const int32_t code = font.Chars[i].Encoding;
            const std::string which =
                "Glyph " + std::to_string(i) + " (" + names[i] + ", code " + std::to_string(code) + ")";
            if (code > 0xFFFF)
                report->Ignored.push_back(which + ": codes above 65535 do not fit a PCF encoding; no code reaches it.");
            else if (code >= 0 && glyphOf[code] != i)
                report->Ignored.push_back(which + ": glyph " + std::to_string(glyphOf[code]) +
                                          " has the same code, and the encoding keeps only that one.");
        }

    std::vector<TTableOut> tables;

    // Properties: FONT_ASCENT, FONT_DESCENT and DEFAULT_CHAR go to the
    // accelerators and the encoding, as bdftopcf has them; FONT names the font.
    int32_t ascent = 0, descent = 0;
    std::optional<int32_t> defaultChar;
    {
        struct TOut {
            std::string Name, Text;
            std::optional<int32_t> Integer;
        };
        std::vector<TOut> props;
        bool hasFont = false;
        for (const TBDFProperty &p : font.Properties) {
            const std::string value = p.Name == "Uid" ? FormatUid(font.Uid) : p.Value;
            const std::optional<int32_t> integer = p.Quoted ? std::nullopt : ToInt32(value);
            if (p.Name == "FONT_ASCENT" || p.Name == "FONT_DESCENT" || p.Name == "DEFAULT_CHAR") {
                (p.Name == "FONT_ASCENT" ? ascent : p.Name == "FONT_DESCENT" ? descent : defaultChar.emplace()) =
                    integer.value_or(0);
                continue;
            }
            hasFont = hasFont || p.Name == "FONT";
            props.push_back({p.Name, value, integer});
        }
        if (!hasFont)
            props.push_back({"FONT", font.FontName, std::nullopt});
        TTableOut t(PcfProperties, OutFormat);
        std::string strings;
        t.i32(static_cast<int64_t>(props.size()));
        auto stringAt = [&](const std::string &s) {
            const size_t at = strings.size();
            strings += s;
            strings.push_back('\0');
            return static_cast<int64_t>(at);
        };
        for (const TOut &p : props) {
            t.i32(stringAt(p.Name));
            t.u8(p.Integer ? 0 : 1);
            t.i32(p.Integer ? *p.Integer : stringAt(p.Text));
        }
        t.padTo4();
        t.i32(static_cast<int64_t>(strings.size()));
        t.bytes(strings);
        tables.push_back(std::move(t));
    }

    // Accelerators, the same in both tables: no ink metrics are written, so
    // the ink bounds are the bounds.
    TMetrics lo, hi;
    int32_t maxOverlap = INT32_MIN;
    bool constantMetrics = n > 0, constantWidth = n > 0;
    for (size_t i = 0; i < n; ++i) {
        const TMetrics &m = metric[i];
        lo = i == 0 ? m
                    : TMetrics{std::min(lo.Left, m.Left), std::min(lo.Right, m.Right), std::min(lo.Width, m.Width),
                               std::min(lo.Ascent, m.Ascent), std::min(lo.Descent, m.Descent)};
        hi = i == 0 ? m
                    : TMetrics{std::max(hi.Left, m.Left), std::max(hi.Right, m.Right), std::max(hi.Width, m.Width),
                               std::max(hi.Ascent, m.Ascent), std::max(hi.Descent, m.Descent)};
        maxOverlap = std::max(maxOverlap, m.Right - m.Width);
        const TMetrics &f = metric[0];
        constantMetrics = constantMetrics && m.Left == f.Left && m.Right == f.Right && m.Width == f.Width &&
                          m.Ascent == f.Ascent && m.Descent == f.Descent;
        constantWidth = constantWidth && m.Width == f.Width;
    }
    if (n == 0)
        maxOverlap = 0;
    for (uint32_t type : {PcfAccelerators, PcfBdfAccelerators}) {
        TTableOut t(type, OutFormat | AccelWithInkBounds);
        const bool terminal = constantMetrics && lo.Left == 0 && hi.Right == hi.Width && hi.Ascent == ascent &&
                              hi.Descent == descent;
        t.u8(maxOverlap <= lo.Left); // no overlap
        t.u8(constantMetrics);
        t.u8(terminal);
        t.u8(constantWidth);
        t.u8(maxOverlap <= 0 && lo.Left >= 0 && hi.Ascent <= ascent && hi.Descent <= descent); // ink inside
        t.u8(0);                                                                              // ink metrics
        t.u8(0);                                                                              // left to right
        t.u8(0);
        t.i32(ascent);
        t.i32(descent);
        t.i32(maxOverlap);
        for (int k = 0; k < 2; ++k) {
            PutMetrics(t, lo, false);
            PutMetrics(t, hi, false);
        }
        tables.push_back(std::move(t));
    }

    // Metrics, packed into bytes when every value fits one.
    {
        const bool compressed = n <= 0x7FFF && std::all_of(metric.begin(), metric.end(), [](const TMetrics &m) {
            return std::min({m.Left, m.Right, m.Width, m.Ascent, m.Descent}) >= -128 &&
                   std::max({m.Left, m.Right, m.Width, m.Ascent, m.Descent}) <= 127;
        });
        TTableOut t(PcfMetrics, OutFormat | (compressed ? CompressedMetrics : 0));
        if (compressed)
            t.i16(static_cast<int32_t>(n));
        else
            t.i32(static_cast<int64_t>(n));
        for (const TMetrics &m : metric)
            PutMetrics(t, m, compressed);
        tables.push_back(std::move(t));
    }

    // Bitmaps: each glyph's rows, its width's bytes padded to OutPad.
    {
        TTableOut t(PcfBitmaps, OutFormat);
        std::string data;
        std::array<int64_t, 4> sizes{};
        t.i32(static_cast<int64_t>(n));
        for (size_t i = 0; i < n; ++i) {
            const TBDFChar &ch = font.Chars[i];
            const int64_t w = std::max(0, metric[i].Right - metric[i].Left);
            const int64_t h = std::max(0, metric[i].Ascent + metric[i].Descent);
            for (int p = 0; p < 4; ++p) {
                const int64_t padBytes = int64_t{1} << p;
                sizes[static_cast<size_t>(p)] += (w + 8 * padBytes - 1) / (8 * padBytes) * padBytes * h;
            }
            t.i32(static_cast<int64_t>(data.size()));
            const size_t stride = static_cast<size_t>((w + 8 * OutPad - 1) / (8 * OutPad) * OutPad);
            const int bytes = RowBytes(static_cast<int32_t>(w));
            for (int64_t r = 0; r < h; ++r) {
                // The row as the export writes it: the width's bytes, bits past the width cleared.
                const uint64_t row = static_cast<size_t>(r) < ch.Bitmap.size() ? ch.Bitmap[static_cast<size_t>(r)] : 0;
                const size_t at = data.size();
                data.append(stride, '\0');
                for (int b = 0; b < bytes && b < 8; ++b) {
                    const int bit0 = 8 * (bytes - 1 - b);
                    unsigned char v = static_cast<unsigned char>(row >> bit0);
                    const int64_t pixelsLeft = w - 8 * int64_t{b};
                    if (pixelsLeft < 8)
                        v = static_cast<unsigned char>(v & (0xFF00 >> pixelsLeft));
                    data[at + static_cast<size_t>(b)] = static_cast<char>(v);
                }
            }
        }
        for (int64_t s : sizes)
            t.i32(s);
        t.bytes(data);
        tables.push_back(std::move(t));
    }

    // Encodings: the smallest block of rows and columns that holds every code.
    {
        TTableOut t(PcfBdfEncodings, OutFormat);
        int32_t minCol = 0xFF, maxCol = 0, minRow = 0xFF, maxRow = 0;
        for (const auto &[code, i] : glyphOf) {
            minCol = std::min(minCol, code & 0xFF);
            maxCol = std::max(maxCol, code & 0xFF);
            minRow = std::min(minRow, code >> 8);
            maxRow = std::max(maxRow, code >> 8);
        }
        if (glyphOf.empty())
            minCol = maxCol = minRow = maxRow = 0;
        for (int32_t v : {minCol, maxCol, minRow, maxRow})
            t.i16(v);
        t.i16(defaultChar && *defaultChar >= 0 && *defaultChar <= 0xFFFF ? *defaultChar : NoChar);
        for (int32_t r = minRow; r <= maxRow; ++r)
            for (int32_t c = minCol; c <= maxCol; ++c) {
                const auto it = glyphOf.find(r << 8 | c);
                t.i16(it == glyphOf.end() ? NoChar : static_cast<int32_t>(it->second));
            }
        tables.push_back(std::move(t));
    }

    {
        TTableOut t(PcfSwidths, OutFormat);
        t.i32(static_cast<int64_t>(n));
        for (const TBDFChar &ch : font.Chars)
            t.i32(ch.SWidthX);
        tables.push_back(std::move(t));
    }

    {
        TTableOut t(PcfGlyphNames, OutFormat);
        std::string strings;
        t.i32(static_cast<int64_t>(n));
        for (const std::string &name : names) {
            t.i32(static_cast<int64_t>(strings.size()));
            strings += name;
            strings.push_back('\0');
        }
        t.i32(static_cast<int64_t>(strings.size()));
        t.bytes(strings);
        tables.push_back(std::move(t));
    }

    std::sort(tables.begin(), tables.end(), [](const TTableOut &a, const TTableOut &b) { return a.Type < b.Type; });
    for (TTableOut &t : tables)
        t.padTo4();
    TByteBuffer out;
    TTableOut head(0, 0);
    head.Bytes = "\1fcp";
    head.i32(static_cast<int64_t>(tables.size()));
    size_t offset = 8 + 16 * tables.size();
    for (const TTableOut &t : tables) {
        head.i32(t.Type);
        head.i32(t.Format);
        head.i32(static_cast<int64_t>(t.Bytes.size()));
        head.i32(static_cast<int64_t>(offset));
        offset += t.Bytes.size();
    }
    out.reserve(offset);
    out.append(head.Bytes);
    for (const TTableOut &t : tables)
        out.append(t.Bytes);
    return out;
}

void WritePCF(const std::string &path, const TBDFFont &font, TBDFExportReport *report)
{
    const TByteBuffer bytes = FormatPCF(font, report);
    WriteFileAtomically(path, bytes.view());
}
