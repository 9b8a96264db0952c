#include "bdfwriter.h"

#include "fileio.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>

int RowDigits(int32_t width)
{
    if (width < 0 || width > MaxGlyphWidth)
        return 10;
    return 2 * RowBytes(width);
}

TByteBuffer FormatBDF(const TBDFFont &font, TBDFLayout layout)
{
    size_t estimate = 256 + font.FontName.size() + font.Size.size();
    for (const TBDFChar &ch : font.Chars)
        estimate += 160 + ch.Bitmap.size() * static_cast<size_t>(RowDigits(ch.BBXWidth) + 2);
    if (layout == TBDFLayout::Kept)
        estimate += font.HeaderLines.packed().size() + font.GlyphNotes.size();
    TByteBuffer out;
    out.reserve(estimate);
    AppendBDF(font, out, {}, nullptr, layout);
    return out;
}

namespace {

void AppendProperty(TByteBuffer &out, const TBDFProperty &property)
{
    out.append(property.Name);
    if (property.Quoted) {
        out.append(" \"");
        for (char c : property.Value) {
            if (c == '"')
                out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    } else if (!property.Value.empty()) {
        out.push_back(' ');
        out.append(property.Value);
    }
    out.append("\r\n");
}

void AppendHeader(const TBDFFont &font, TByteBuffer &out, const TFontBox *box, TBDFLayout layout)
{
    const bool kept = layout == TBDFLayout::Kept;
    TKeptCursor lines(kept ? std::string_view(font.HeaderLines.packed()) : std::string_view());
    auto put = [&](std::string_view line) { AppendLine(out, line); };
    lines.through(TLinePlace::BeforeStartFont, 0, put);
    AppendLine(out, "STARTFONT 2.1");
    lines.through(TLinePlace::AfterStartFont, 0, put);
    out.append("FONT ");
    AppendLine(out, font.FontName);
    lines.through(TLinePlace::AfterFont, 0, put);
    out.append("SIZE ");
    AppendLine(out, font.Size);
    lines.through(TLinePlace::AfterSize, 0, put);
    const TFontBox own{font.FBBWidth, font.FBBHeight, font.FBBXOff, font.FBBYOff};
    const TFontBox &b = box ? *box : own;
    AppendNumbers(out, "FONTBOUNDINGBOX", {b.Width, b.Height, b.XOff, b.YOff});
    lines.through(TLinePlace::AfterBox, 0, put);
    // The Uid field stands where the file's block had it, or last.
    const std::vector<TBDFProperty> none;
    const std::vector<TBDFProperty> &properties = kept ? font.Properties : none;
    const bool uidKept = std::any_of(properties.begin(), properties.end(),
                                     [](const TBDFProperty &p) { return p.Name == "Uid"; });
    AppendNumbers(out, "STARTPROPERTIES", {static_cast<int64_t>(properties.size() + (uidKept ? 0 : 1))});
    auto appendUid = [&] {
        out.append("Uid ");
        AppendLine(out, FormatUid(font.Uid));
    };
    for (size_t k = 0; k < properties.size(); ++k) {
        lines.through(TLinePlace::InProperties, static_cast<uint32_t>(k), put);
        if (properties[k].Name == "Uid")
            appendUid();
        else
            AppendProperty(out, properties[k]);
    }
    // A Uid the reader found last (and so kept no property for) goes back between
    // the block's lines that stood before it and those after it.
    lines.through(TLinePlace::InProperties, static_cast<uint32_t>(properties.size()), put);
    if (!uidKept)
        appendUid();
    lines.through(TLinePlace::InProperties, UINT32_MAX, put);
    AppendLine(out, "ENDPROPERTIES");
    lines.through(TLinePlace::AfterProperties, 0, put);
    AppendNumbers(out, "CHARS", {static_cast<int64_t>(font.Chars.size())});
    lines.rest(put);
}

// Glyph text is put straight into room taken once per glyph: a glyph is written
// hundreds of thousands of times in a big font, so each piece is a few stores
// rather than a call.
template <size_t N>
char *Put(char *p, const char (&text)[N])
{
    std::memcpy(p, text, N - 1);
    return p + N - 1;
}

// Two-character pieces, so a number is written a pair of digits at a time.
struct TDigitPairs {
    char Decimal[200];
    char Hex[512];
    constexpr TDigitPairs() : Decimal(), Hex()
    {
        constexpr char hex[] = "0123456789ABCDEF";
        for (int i = 0; i < 100; ++i) {
            Decimal[2 * i] = static_cast<char>('0' + i / 10);
            Decimal[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
        for (int i = 0; i < 256; ++i) {
            Hex[2 * i] = hex[i >> 4];
            Hex[2 * i + 1] = hex[i & 15];
        }
    }
};
constexpr TDigitPairs DigitPairs;

char *PutDecimal(char *p, int64_t value)
{
    // The numbers of a glyph are nearly always below 10,000.
    uint64_t v = static_cast<uint64_t>(value);
    if (value < 0) {
        if (value < -9999)
            return std::to_chars(p, p + 24, value).ptr;
        *p++ = '-';
        v = 0 - v;
    }
    if (v < 10) {
        *p = static_cast<char>('0' + v);
        return p + 1;
    }
    if (v < 100) {
        std::memcpy(p, DigitPairs.Decimal + 2 * v, 2);
        return p + 2;
    }
    if (v < 1000) {
        *p = static_cast<char>('0' + v / 100);
        std::memcpy(p + 1, DigitPairs.Decimal + 2 * (v % 100), 2);
        return p + 3;
    }
    if (v < 10000) {
        std::memcpy(p, DigitPairs.Decimal + 2 * (v / 100), 2);
        std::memcpy(p + 2, DigitPairs.Decimal + 2 * (v % 100), 2);
        return p + 4;
    }
    return std::to_chars(p, p + 24, value).ptr;
}

// The low `bytes` bytes of value as two digits each.
// Inlined, so the row loops below unroll for their fixed widths.
[[gnu::always_inline]] inline char *PutHexBytes(char *p, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i) {
        std::memcpy(p + 2 * i, DigitPairs.Hex + 2 * (value & 0xFF), 2);
        value >>= 8;
    }
    return p + 2 * bytes;
}

// FormatHex(value, minDigits): at least minDigits digits, more when the value needs them.
char *PutHex(char *p, uint64_t value, int minDigits)
{
    // An even count of digits that holds the value (every row of a sound font)
    // is written a byte at a time.
    if (minDigits % 2 == 0 && minDigits >= 2 && minDigits <= 16 &&
        (minDigits == 16 || (value >> (4 * minDigits)) == 0)) {
        return PutHexBytes(p, value, minDigits / 2);
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 16 && (value >> (4 * digits)) != 0)
        ++digits;
    digits = std::max(digits, minDigits);
    for (int i = digits - 1; i >= 0; --i) {
        p[i] = hex[value & 0xF];
        value >>= 4;
    }
    return p + digits;
}

// Rows of glyphs Bytes bytes wide, each on its own line.
template <int Bytes>
char *PutRows(char *p, const TGlyphRows &rows)
{
    for (uint64_t row : rows) {
        if ((row >> (8 * Bytes)) != 0) {
            p = PutHex(p, row, 2 * Bytes);
        } else {
            p = PutHexBytes(p, row, Bytes);
        }
        p = Put(p, "\r\n");
    }
    return p;
}

// Every row of ch and ENDCHAR. Rows that fit their digit count (all of them in
// well-formed data) take exactly that many digits; others take as many as they need.
char *PutBitmapAndEnd(char *p, const TBDFChar &ch)
{
    switch (const int digits = RowDigits(ch.BBXWidth)) {
    case 2:
        p = PutRows<1>(p, ch.Bitmap);
        break;
    case 4:
        p = PutRows<2>(p, ch.Bitmap);
        break;
    case 6:
        p = PutRows<3>(p, ch.Bitmap);
        break;
    case 8:
        p = PutRows<4>(p, ch.Bitmap);
        break;
    default:
        for (uint64_t row : ch.Bitmap) {
            p = PutHex(p, row, digits);
            p = Put(p, "\r\n");
        }
    }
    return Put(p, "ENDCHAR\r\n");
}

char *PutBytes(char *p, std::string_view text)
{
    if (!text.empty())
        std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// The most bytes TGlyphFormatter::append writes for ch: the fixed lines with the longest
// numbers, rows of up to 16 digits (a row may need more than its width's), and
// what its note holds (whose record takes at least two bytes per line for a
// line break).
size_t GlyphBytesAtMost(const TBDFChar &ch, const TGlyphNote &note)
{
    return 256 + ch.Bitmap.size() * size_t{18} + note.Name.size() + note.Lines.size();
}

// Formats glyphs one after another. Neighbouring glyphs mostly share their
// widths and box, so the lines from SWIDTH to BITMAP are kept from the glyph
// before and reused while its numbers are the same. Given the font's glyph
// notes, it writes what they hold too.
class TGlyphFormatter {
public:
    explicit TGlyphFormatter(const TGlyphNotes *notes = nullptr) : Notes(notes) {}
    void append(const TBDFChar &ch, TByteBuffer &out);

private:
    // A glyph with lines of its own, each written at its place.
    void appendWithLines(const TBDFChar &ch, const TGlyphNote &note, TByteBuffer &out);
    // The STARTCHAR name: the glyph's own when notes are written, else its code.
    char *PutName(char *p, const TBDFChar &ch, const TGlyphNote &note) const;

    const TGlyphNotes *Notes;
    using TMetrics = std::array<int32_t, 8>;
    TMetrics Metrics{};
    char MetricsText[160];
    size_t MetricsLength = 0;
};

char *TGlyphFormatter::PutName(char *p, const TBDFChar &ch, const TGlyphNote &note) const
{
    if (Notes && IsCodeNameNote(ch.Notes)) {
        const std::string name = CodeName(ch.Notes, ch.Encoding);
        if (!name.empty())
            return PutBytes(p, name);
    }
    return note.Name.empty() ? PutHex(p, static_cast<uint32_t>(ch.Encoding), 4) : PutBytes(p, note.Name);
}

void TGlyphFormatter::appendWithLines(const TBDFChar &ch, const TGlyphNote &note, TByteBuffer &out)
{
    const size_t room = GlyphBytesAtMost(ch, note);
    char *const start = out.grab(room);
    char *p = start;
    TKeptCursor lines(note.Lines);
    auto put = [&](std::string_view line) { p = Put(PutBytes(p, line), "\r\n"); };
    p = Put(p, "STARTCHAR ");
    p = PutName(p, ch, note);
    p = Put(p, "\r\n");
    lines.through(TLinePlace::AfterStartChar, 0, put);
    p = Put(p, "ENCODING ");
    p = PutDecimal(p, ch.Encoding);
    if (note.Encoding2) {
        *p++ = ' ';
        p = PutDecimal(p, *note.Encoding2);
    }
    p = Put(p, "\r\n");
    auto numbers = [&](std::string_view keyword, std::initializer_list<int32_t> values) {
        p = PutBytes(p, keyword);
        for (int32_t v : values) {
            *p++ = ' ';
            p = PutDecimal(p, v);
        }
        p = Put(p, "\r\n");
    };
    lines.through(TLinePlace::AfterEncoding, 0, put);
    numbers("SWIDTH", {ch.SWidthX, ch.SWidthY});
    lines.through(TLinePlace::AfterSWidth, 0, put);
    numbers("DWIDTH", {ch.DWidthX, ch.DWidthY});
    lines.through(TLinePlace::AfterDWidth, 0, put);
    numbers("BBX", {ch.BBXWidth, ch.BBXHeight, ch.BBXXOff, ch.BBXYOff});
    lines.through(TLinePlace::AfterBBX, 0, put);
    p = Put(p, "BITMAP\r\n");
    p = PutBitmapAndEnd(p, ch);
    lines.rest(put);
    out.resize(out.size() - room + static_cast<size_t>(p - start));
}

void TGlyphFormatter::append(const TBDFChar &ch, TByteBuffer &out)
{
    const TGlyphNote note = Notes && ch.Notes != 0 ? Notes->get(ch.Notes) : TGlyphNote{};
    if (!note.Lines.empty()) {
        appendWithLines(ch, note, out);
        return;
    }
    const size_t room = GlyphBytesAtMost(ch, note);
    char *const start = out.grab(room);
    char *p = Put(start, "STARTCHAR ");
    p = PutName(p, ch, note);
    p = Put(p, "\r\nENCODING ");
    p = PutDecimal(p, ch.Encoding);
    if (note.Encoding2) {
        *p++ = ' ';
        p = PutDecimal(p, *note.Encoding2);
    }
    const TMetrics metrics{ch.SWidthX, ch.SWidthY, ch.DWidthX, ch.DWidthY,
                           ch.BBXWidth, ch.BBXHeight, ch.BBXXOff, ch.BBXYOff};
    if (MetricsLength == 0 || metrics != Metrics) {
        char *m = Put(MetricsText, "\r\nSWIDTH ");
        m = PutDecimal(m, ch.SWidthX);
        *m++ = ' ';
        m = PutDecimal(m, ch.SWidthY);
        m = Put(m, "\r\nDWIDTH ");
        m = PutDecimal(m, ch.DWidthX);
        *m++ = ' ';
        m = PutDecimal(m, ch.DWidthY);
        m = Put(m, "\r\nBBX ");
        m = PutDecimal(m, ch.BBXWidth);
        *m++ = ' ';
        m = PutDecimal(m, ch.BBXHeight);
        *m++ = ' ';
        m = PutDecimal(m, ch.BBXXOff);
        *m++ = ' ';
        m = PutDecimal(m, ch.BBXYOff);
        m = Put(m, "\r\nBITMAP\r\n");
        MetricsLength = static_cast<size_t>(m - MetricsText);
        Metrics = metrics;
    }
    std::memcpy(p, MetricsText, MetricsLength);
    p += MetricsLength;
    p = PutBitmapAndEnd(p, ch);
    if (Notes && BlankLineAfter(ch.Notes))
        p = Put(p, "\r\n");
    out.resize(out.size() - room + static_cast<size_t>(p - start));
}

// Small enough to stay in cache between formatting and handing it on.
constexpr size_t Chunk = 256 * 1024;
// Glyphs in one batch when a save formats on several threads: a batch of a
// usual font stays in the cache, and the few buffers of batches are reused.
constexpr size_t GlyphsPerBatch = 256;

// A buffer that holds one formatted batch until the writing thread has written it.
struct TBatchSlot {
    static constexpr int64_t Empty = -1;
    // Set by a helper that failed to format its batch.
    static constexpr int64_t Failed = -2;

    TByteBuffer Text;
    // The batch Text holds once it is formatted, or Empty or Failed.
    std::atomic<int64_t> Holds{Empty};
};

} // namespace
void AppendBDF(const TBDFFont &font, TByteBuffer &out, const std::function<void(std::string_view)> &drain,
               const TFontBox *box, TBDFLayout layout)
{
    AppendHeader(font, out, box, layout);
    TGlyphFormatter formatter(layout == TBDFLayout::Kept ? &font.GlyphNotes : nullptr);
    for (const TBDFChar &ch : font.Chars) {
        formatter.append(ch, out);
        if (drain && out.size() >= Chunk) {
            drain(out.view());
            out.clear();
        }
    }
    AppendLine(out, "ENDFONT");
}

void WriteBDF(const TBDFFont &font, const std::function<void(std::string_view)> &write, int threads,
              TBDFLayout layout)
{
    const TGlyphNotes *notes = layout == TBDFLayout::Kept ? &font.GlyphNotes : nullptr;
    const size_t n = font.Chars.size();
    // By default a save formats on the writing thread: formatting a glyph costs
    // less than writing its text, and handing batches between cores cost more
    // than it saved, on fonts of every size that were measured.
    const unsigned workers = threads > 0 ? static_cast<unsigned>(threads) : 1;
    if (workers <= 1) {
        TByteBuffer buffer;
        AppendBDF(font, buffer, write, nullptr, layout);
        write(buffer.view());
        return;
    }
    TByteBuffer head;
    AppendHeader(font, head, nullptr, layout);
    write(head.view());

    // The calling thread writes the batches in order and formats every batch
    // that no helper has taken yet; helpers take the next batches ahead of it
    // while a slot is free. The writer therefore never waits for a helper that
    // has not begun, and with helpers slow or busy this is a save on one thread.
    const size_t batches = (n + GlyphsPerBatch - 1) / GlyphsPerBatch;
    const size_t helpers = workers - 1;
    const size_t ringSize = 2 * workers;
    constexpr size_t Stopped = SIZE_MAX;
    std::vector<TBatchSlot> ring(ringSize);
    // The next batch nobody has taken, and how many batches are written.
    std::atomic<size_t> next{0};
    std::atomic<size_t> written{0};
    std::vector<std::exception_ptr> errors(helpers);
    auto format = [&](TGlyphFormatter &formatter, size_t b) {
        TByteBuffer &text = ring[b % ringSize].Text;
        text.clear();
        for (size_t i = b * GlyphsPerBatch; i < std::min(n, (b + 1) * GlyphsPerBatch); ++i)
            formatter.append(font.Chars[i], text);
    };
    auto help = [&](size_t h) {
        TGlyphFormatter formatter(notes);
        for (;;) {
            size_t b = next.load();
            if (b >= batches)
                return;
            // Batch b goes where batch b - ringSize was, once that is written.
            size_t done = written.load();
            while (done != Stopped && done + ringSize <= b) {
                written.wait(done);
                done = written.load();
            }
            if (done == Stopped)
                return;
            if (!next.compare_exchange_weak(b, b + 1))
                continue;
            TBatchSlot &slot = ring[b % ringSize];
            try {
                format(formatter, b);
            } catch (...) {
                errors[h] = std::current_exception();
                slot.Holds.store(TBatchSlot::Failed);
                slot.Holds.notify_all();
                return;
            }
            slot.Holds.store(static_cast<int64_t>(b));
            slot.Holds.notify_all();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(helpers);
    auto stopAll = [&] {
        next.store(batches);
        written.store(Stopped);
        written.notify_all();
        for (std::thread &t : pool)
            t.join();
    };
    try {
        for (size_t h = 0; h < helpers; ++h)
            pool.emplace_back(help, h);
        TGlyphFormatter formatter(notes);
        for (size_t b = 0; b < batches; ++b) {
            TBatchSlot &slot = ring[b % ringSize];
            int64_t holds = slot.Holds.load();
            if (holds != static_cast<int64_t>(b)) {
                size_t untaken = b;
                if (next.compare_exchange_strong(untaken, b + 1)) {
                    format(formatter, b);
                } else {
                    // A helper has it in hand.
                    while (holds != static_cast<int64_t>(b)) {
                        if (holds == TBatchSlot::Failed) {
                            for (const std::exception_ptr &e : errors)
                                if (e)
                                    std::rethrow_exception(e);
                            throw std::logic_error("BDF writer: a batch failed without an error");
                        }
                        slot.Holds.wait(holds);
                        holds = slot.Holds.load();
                    }
                }
            }
            write(slot.Text.view());
            written.store(b + 1);
            written.notify_all();
        }
    } catch (...) {
        stopAll();
        throw;
    }
    for (std::thread &t : pool)
        t.join();
    TByteBuffer tail;
    AppendLine(tail, "ENDFONT");
    write(tail.view());
}

void SaveBDF(const std::string &path, TProjectRecord &slot, int threads, TBDFLayout layout)
{
    TAtomicFileWriter file(path);
    WriteBDF(slot.Font, [&](std::string_view chunk) { file.write(chunk); }, threads, layout);
    file.commit();
    slot.Modified = false;
}
