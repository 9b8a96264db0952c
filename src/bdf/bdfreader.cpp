#include "bdfreader.h"

#include "fileio.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <thread>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr size_t MaxValueLength = 255;

bool IsHexDigit(char c)
{
    return HexDigitValue(c) >= 0;
}

// The end of the line that starts at p: the first CR or LF, or end.
const char *FindLineEnd(const char *p, const char *end)
{
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
        p += 16;
    }
#endif
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

bool IsAllHex(std::string_view text)
{
    for (char c : text)
        if (!IsHexDigit(c))
            return false;
    return !text.empty();
}

bool StartsWith(std::string_view line, std::string_view keyword)
{
    return line.size() >= keyword.size() && std::memcmp(line.data(), keyword.data(), keyword.size()) == 0;
}

// The value text: from 1-based position pos on, at most 255 characters, trimmed.
std::string_view ValueText(std::string_view line, size_t pos)
{
    if (line.size() < pos - 1)
        return {};
    return TrimSpaces(line.substr(pos - 1, MaxValueLength));
}

// ParseIntDef(word, 0), with a short way for the small decimals that fill BDF files.
int32_t ParseNumber(std::string_view word)
{
    size_t i = word[0] == '-' ? 1 : 0;
    if (word.size() > i && word.size() - i <= 9) {
        int32_t v = 0;
        for (size_t k = i; k < word.size(); ++k) {
            unsigned d = static_cast<unsigned char>(word[k]) - '0';
            if (d > 9)
                return ParseIntDef(word, 0);
            v = v * 10 + static_cast<int32_t>(d);
        }
        return i ? -v : v;
    }
    return ParseIntDef(word, 0);
}

// The first N space-separated words of value as numbers; missing or unparsable words give 0.
template <size_t N>
std::array<int32_t, N> Words(std::string_view value)
{
    std::array<int32_t, N> out{};
    size_t i = 0;
    for (size_t k = 0; k < N; ++k) {
        while (i < value.size() && value[i] == ' ')
            ++i;
        size_t start = i;
        while (i < value.size() && value[i] != ' ')
            ++i;
        if (start == i)
            break;
        out[k] = ParseNumber(value.substr(start, i - start));
    }
    return out;
}

// The leftmost 64 columns of a row of a glyph wider than 64 pixels: its first 16
// digits, left-aligned; a row that is not plain hexadecimal is blank.
uint64_t ParseCutRow(std::string_view line)
{
    if (!IsAllHex(line))
        return 0;
    std::string_view digits = line.substr(0, 16);
    return ParseHexDigits(digits, 16).value_or(0) << (4 * (16 - digits.size()));
}

// Whether a line of a glyph's body is a bitmap row, moving the bitmap mode as
// the scan does: the keywords the scan takes at any time are never rows, and
// BITMAP and ENDCHAR switch the mode.
bool IsRowLine(std::string_view line, bool &bitmapMode)
{
    if (StartsWith(line, "BITMAP")) {
        bitmapMode = true;
        return false;
    }
    if (StartsWith(line, "ENDCHAR")) {
        bitmapMode = false;
        return false;
    }
    static constexpr std::string_view Keywords[] = {"STARTFONT", "SIZE", "SWIDTH", "FONT ", "FONTBOUNDINGBOX",
                                                    "Uid",       "DWIDTH", "BBX"};
    for (std::string_view keyword : Keywords)
        if (StartsWith(line, keyword))
            return false;
    return bitmapMode;
}

uint64_t ParseRow(std::string_view line, int32_t width, bool cut, int debug)
{
    // The usual row: plain hexadecimal digits of a glyph up to 32 pixels wide.
    if (!cut && width <= 32 && debug == 0 && !line.empty()) {
        uint64_t value = 0;
        int significant = 0;
        size_t i = 0;
        for (; i < line.size(); ++i) {
            int d = HexDigitValue(line[i]);
            if (d < 0)
                break;
            significant += (significant != 0 || d != 0);
            value = (value << 4) | static_cast<uint64_t>(d);
        }
        if (i == line.size() && significant <= 8)
            return value;
    }
    if (cut)
        return ParseCutRow(line);
    if (width > 32 && width <= MaxGlyphWidth && line.find('$') == std::string_view::npos)
        return ParseHexDigits(line, 16).value_or(0);
    uint64_t row = static_cast<uint32_t>(HexToInt(line));
    if (debug != 0) {
        int bytes = RowBytes(width) < 1 ? 1 : RowBytes(width);
        if (bytes < 4)
            row &= (uint64_t{1} << (8 * bytes)) - 1;
    }
    return row;
}

} // namespace

namespace {

// The text a font is read from: up to the first NUL byte, without a byte-order
// mark (left by a text editor, it would hide the first keyword).
std::string_view FontText(std::string_view text)
{
    if (size_t nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    if (StartsWith(text, "\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return text;
}

// How a scan of one part of a text began and ended, for joining parts scanned apart.
struct TPartState {
    // The part starts in bitmap mode (a glyph before it had no ENDCHAR).
    bool StartsInBitmap = false;
    // Which header fields the part's lines set.
    enum : unsigned { StartFontSet = 1, FontNameSet = 2, SizeSet = 4, BoxSet = 8, UidSet = 16 };
    unsigned HeaderSet = 0;
};

// The scan; when source is given (the buffer text lies in), the part already
// scanned is handed back to the system as the scan goes, so a big file and its
// font are not both held in full. Header fields go to font, glyphs to glyphs
// (which may be font.Chars).
TBDFReadReport Scan(std::string_view text, TBDFFont &font, TGlyphList &glyphs, const TBDFReadOptions &options,
                    TByteBuffer *source, TPartState *part = nullptr)
{
    TBDFReadReport report;
    const bool namesGiveCodes = options.Codes == TCodeSource::Names;
    bool bitmapMode = part && part->StartsInBitmap;
    unsigned headerSet = 0;
    // Rows of the last glyph are parsed as they come, by the rule of the width
    // the glyph has at that moment, and stored with one exact allocation when
    // the glyph ends.
    TGlyphRows rows;
    rows.reserve(256);
    // The last glyph's width as its BBX line gave it (before any cut to 64), and
    // whether a BBX line changed it after rows were read: then the glyph's lines
    // are read again at its end, so its rows follow the rule of its final width.
    int64_t lastWidth = 0;
    bool rereadRows = false;
    // Where the last glyph's lines begin, and whether they begin in bitmap mode
    // (a glyph before it may have had no ENDCHAR).
    const char *glyphBody = nullptr;
    bool glyphStartsInBitmap = false;

    auto finishGlyph = [&](const char *glyphEnd) {
        if (glyphs.empty())
            return;
        TBDFChar &ch = glyphs.back();
        const bool cut = lastWidth > MaxGlyphWidth;
        if (cut) {
            ch.BBXWidth = MaxGlyphWidth;
            ++report.CutGlyphs;
        }
        if (rereadRows) {
            rows.clear();
            bool mode = glyphStartsInBitmap;
            for (const char *q = glyphBody; q < glyphEnd;) {
                const char *lineEnd = FindLineEnd(q, glyphEnd);
                std::string_view line(q, static_cast<size_t>(lineEnd - q));
                q = lineEnd;
                if (q < glyphEnd)
                    q += (*q == '\r' && q + 1 < glyphEnd && q[1] == '\n') ? 2 : 1;
                if (IsRowLine(line, mode))
                    rows.push_back(ParseRow(line, ch.BBXWidth, cut, options.Debug));
            }
            rereadRows = false;
        }
        if (rows.size() > 65536 && ch.Bitmap.empty()) {
            // A huge bitmap is handed over rather than copied, so it is never held twice.
            ch.Bitmap = std::move(rows);
            rows.reserve(256);
        } else if (!rows.empty()) {
            // Exactly sized: a glyph of up to 16 rows keeps them inside itself.
            ch.Bitmap.insert(ch.Bitmap.end(), rows.begin(), rows.end());
            rows.clear();
        }
    };

    const char *p = text.data();
    const char *const end = p + text.size();
    // Text is released in steps of whole huge pages, from where this text begins.
    constexpr size_t ReleaseStep = 2 << 20;
    const size_t textOffset = source ? static_cast<size_t>(text.data() - source->data()) : 0;
    size_t released = textOffset;
    const char *nextRelease = text.data() + ReleaseStep;
    while (p < end) {
        const char *start = p;
        p = FindLineEnd(p, end);
        std::string_view line(start, static_cast<size_t>(p - start));
        if (p < end)
            p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;

        TBDFChar *last = glyphs.empty() ? nullptr : &glyphs.back();
        switch (line.empty() ? '\0' : line[0]) {
        case 'S':
            if (StartsWith(line, "STARTFONT")) {
                report.SawStartFont = true;
                font.StartFont = std::string(ValueText(line, 11));
                headerSet |= TPartState::StartFontSet;
                continue;
            }
            if (StartsWith(line, "SIZE")) {
                font.Size = std::string(ValueText(line, 6));
                headerSet |= TPartState::SizeSet;
                continue;
            }
            if (StartsWith(line, "STARTCHAR")) {
                report.SawStartChar = true;
                finishGlyph(start);
                // Rows of earlier glyphs are parsed by now; the text before this
                // line is not looked at again.
                if (source && start >= nextRelease) {
                    const size_t upTo = static_cast<size_t>(start - source->data());
                    source->releaseRange(released, upTo);
                    released = upTo;
                    nextRelease = start + ReleaseStep;
                }
                glyphs.emplace_back().Encoding = HexToInt(ValueText(line, 11));
                lastWidth = 0;
                glyphBody = p;
                glyphStartsInBitmap = bitmapMode;
                continue;
            }
            if (StartsWith(line, "SWIDTH")) {
                if (last) {
                    auto w = Words<2>(ValueText(line, 8));
                    last->SWidthX = w[0];
                    last->SWidthY = w[1];
                }
                continue;
            }
            break;
        case 'C':
            // Only a hint for sizing, trusted no further than the text could hold:
            // even a minimal real glyph takes more than 64 bytes.
            if (glyphs.empty() && StartsWith(line, "CHARS ")) {
                int32_t hint = Words<1>(ValueText(line, 7))[0];
                if (hint > 0)
                    glyphs.reserve(std::max(glyphs.capacity(),
                                            std::min<size_t>(static_cast<size_t>(hint), text.size() / 64)));
                continue;
            }
            break;
        case 'F':
            if (StartsWith(line, "FONT ")) {
                font.FontName = std::string(ValueText(line, 6));
                headerSet |= TPartState::FontNameSet;
                continue;
            }
            if (StartsWith(line, "FONTBOUNDINGBOX")) {
                auto w = Words<4>(ValueText(line, 17));
                font.FBBWidth = w[0];
                font.FBBHeight = w[1];
                font.FBBXOff = w[2];
                font.FBBYOff = w[3];
                headerSet |= TPartState::BoxSet;
                continue;
            }
            break;
        case 'U':
            if (StartsWith(line, "Uid")) {
                font.Uid = ParseUidDef(ValueText(line, 5), 0);
                headerSet |= TPartState::UidSet;
                continue;
            }
            break;
        case 'D':
            if (StartsWith(line, "DWIDTH")) {
                if (last) {
                    auto w = Words<2>(ValueText(line, 8));
                    last->DWidthX = w[0];
                    last->DWidthY = w[1];
                }
                continue;
            }
            break;
        case 'B':
            if (StartsWith(line, "BBX")) {
                if (last) {
                    auto w = Words<4>(ValueText(line, 5));
                    last->BBXWidth = w[0];
                    last->BBXHeight = w[1];
                    last->BBXXOff = w[2];
                    last->BBXYOff = w[3];
                    rereadRows = rereadRows || (!rows.empty() && w[0] != lastWidth);
                    lastWidth = w[0];
                }
                continue;
            }
            if (StartsWith(line, "BITMAP")) {
                bitmapMode = true;
                continue;
            }
            break;
        case 'E':
            if (StartsWith(line, "ENDCHAR")) {
                bitmapMode = false;
                continue;
            }
            if (!bitmapMode && StartsWith(line, "ENCODING")) {
                if (last && !namesGiveCodes)
                    last->Encoding = Words<1>(ValueText(line, 10))[0];
                continue;
            }
            if (!bitmapMode && StartsWith(line, "ENDFONT")) {
                report.SawEndFont = true;
                continue;
            }
            break;
        default:
            break;
        }
        if (bitmapMode && last)
            rows.push_back(ParseRow(line, static_cast<int32_t>(std::min<int64_t>(lastWidth, MaxGlyphWidth)),
                                    lastWidth > MaxGlyphWidth, options.Debug));
    }
    finishGlyph(end);
    if (part)
        part->HeaderSet = headerSet;
    return report;
}

// Where the line after pos that starts with STARTCHAR begins, or npos.
size_t NextGlyphStart(std::string_view text, size_t pos)
{
    while (pos < text.size()) {
        const size_t found = text.find("STARTCHAR", pos);
        if (found == std::string_view::npos)
            return found;
        if (found == 0 || text[found - 1] == '\n' || text[found - 1] == '\r')
            return found;
        pos = found + 1;
    }
    return std::string_view::npos;
}

// How many lines of text start with STARTCHAR: the glyphs a scan of it makes.
size_t CountGlyphStarts(std::string_view text)
{
    size_t count = 0;
    for (size_t pos = NextGlyphStart(text, 0); pos != std::string_view::npos; pos = NextGlyphStart(text, pos + 1))
        ++count;
    return count;
}

// Runs work(0) .. work(n - 1) at once, work(0) on this thread. The first
// exception a worker throws is thrown here once all have ended.
template <class Work>
void RunOnThreads(size_t n, Work work)
{
    std::vector<std::exception_ptr> errors(n);
    auto guarded = [&](size_t i) {
        try {
            work(i);
        } catch (...) {
            errors[i] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(n);
    for (size_t i = 1; i < n; ++i)
        workers.emplace_back(guarded, i);
    guarded(0);
    for (std::thread &w : workers)
        w.join();
    for (const std::exception_ptr &e : errors)
        if (e)
            std::rethrow_exception(e);
}

// Below this a text is read on one thread: starting threads would cost more than they save.
constexpr size_t ParallelMinBytes = 2 << 20;

// Whether a scan is in bitmap mode when it reaches the line that starts at pos:
// the mode the last line before it that starts with BITMAP or ENDCHAR left, off
// when there is none. Looks back only as far as that line, which in a sound
// file ends the glyph just before.
bool BitmapModeAt(std::string_view text, size_t pos)
{
    for (size_t i = pos; i-- > 0;) {
        if (i > 0 && text[i - 1] != '\n' && text[i - 1] != '\r')
            continue;
        const std::string_view line = text.substr(i, pos - i);
        if (StartsWith(line, "BITMAP"))
            return true;
        if (StartsWith(line, "ENDCHAR"))
            return false;
    }
    return false;
}

// The scan on several threads: the text is cut at glyph starts into parts that
// are scanned at once and joined in order. What crosses a cut is carried over
// exactly: each part starts in the bitmap mode the text before it leaves,
// header lines of later parts win as in one scan, counts add up. The result
// equals a scan on one thread.
TBDFReadReport ScanParts(std::string_view text, TBDFFont &font, const TBDFReadOptions &options, TByteBuffer *source)
{
    unsigned threads = options.Threads > 0 ? static_cast<unsigned>(options.Threads) : std::thread::hardware_concurrency();
    if (options.Threads <= 0 && text.size() < ParallelMinBytes)
        threads = 1;
    std::vector<size_t> cuts = {0};
    const size_t first = NextGlyphStart(text, 0);
    if (threads > 1 && first != std::string_view::npos) {
        for (unsigned k = 1; k < threads; ++k) {
            const size_t target = first + (text.size() - first) * k / threads;
            const size_t cut = NextGlyphStart(text, std::max(target, cuts.back() + 1));
            if (cut == std::string_view::npos)
                break;
            if (cut > cuts.back())
                cuts.push_back(cut);
        }
    }
    font.Chars.clear();
    if (cuts.size() == 1)
        return Scan(text, font, font.Chars, options, source);
    cuts.push_back(text.size());

    const size_t parts = cuts.size() - 1;
    auto partText = [&](size_t i) { return text.substr(cuts[i], cuts[i + 1] - cuts[i]); };
    std::vector<TPartState> states(parts);
    std::vector<size_t> counts(parts);
    RunOnThreads(parts, [&](size_t i) {
        counts[i] = CountGlyphStarts(partText(i));
        states[i].StartsInBitmap = i > 0 && BitmapModeAt(text, cuts[i]);
    });
    size_t total = 0;
    for (size_t n : counts)
        total += n;

    // The first part fills the font's own list, made big enough for all; the
    // others fill lists of their exact size, moved onto its end in order.
    // Counting first means no list ever grows, and the parts' text is released
    // as they are scanned, so the file and the font are not held in full at once.
    std::vector<TBDFFont> heads(parts);
    std::vector<TGlyphList> lists(parts);
    std::vector<TBDFReadReport> reports(parts);
    heads[0] = std::move(font);
    lists[0].reserve(total);
    for (size_t i = 1; i < parts; ++i)
        lists[i].reserve(counts[i]);
    RunOnThreads(parts, [&](size_t i) { reports[i] = Scan(partText(i), heads[i], lists[i], options, source, &states[i]); });

    font = std::move(heads[0]);
    font.Chars = std::move(lists[0]);
    TBDFReadReport report = reports[0];
    for (size_t i = 1; i < parts; ++i) {
        const TBDFFont &f = heads[i];
        const unsigned set = states[i].HeaderSet;
        if (set & TPartState::StartFontSet)
            font.StartFont = f.StartFont;
        if (set & TPartState::FontNameSet)
            font.FontName = f.FontName;
        if (set & TPartState::SizeSet)
            font.Size = f.Size;
        if (set & TPartState::BoxSet) {
            font.FBBWidth = f.FBBWidth;
            font.FBBHeight = f.FBBHeight;
            font.FBBXOff = f.FBBXOff;
            font.FBBYOff = f.FBBYOff;
        }
        if (set & TPartState::UidSet)
            font.Uid = f.Uid;
        font.Chars.insert(font.Chars.end(), std::make_move_iterator(lists[i].begin()),
                          std::make_move_iterator(lists[i].end()));
        TGlyphList().swap(lists[i]);
        report.CutGlyphs += reports[i].CutGlyphs;
        report.SawStartFont = report.SawStartFont || reports[i].SawStartFont;
        report.SawStartChar = report.SawStartChar || reports[i].SawStartChar;
        report.SawEndFont = report.SawEndFont || reports[i].SawEndFont;
    }
    return report;
}

} // namespace

TBDFReadReport ParseBDF(std::string_view text, TBDFFont &font, const TBDFReadOptions &options)
{
    return ScanParts(FontText(text), font, options, nullptr);
}

TBDFReadReport OpenBDF(const std::string &path, TBDFFont &font, const TBDFReadOptions &options)
{
    TByteBuffer text = ReadFileBytes(path);
    // Scanned into a font of its own, so a file that turns out to hold no font
    // leaves the caller's font as it was.
    TBDFFont read;
    read.StartFont = font.StartFont;
    read.FontName = font.FontName;
    read.Size = font.Size;
    read.FBBWidth = font.FBBWidth;
    read.FBBHeight = font.FBBHeight;
    read.FBBXOff = font.FBBXOff;
    read.FBBYOff = font.FBBYOff;
    read.Uid = font.Uid;
    TBDFReadReport report = ScanParts(FontText(text.view()), read, options, &text);
    if (!report.isFont())
        throw TFileError::NotAFont(path);
    font = std::move(read);
    return report;
}

std::string ReadWarningText(const std::string &path, const TBDFFont &font, const TBDFReadReport &report)
{
    std::string text;
    const std::string which = "Font \"" + font.FontName + "\" (" + path + "): ";
    if (report.CutGlyphs > 0) {
        const bool one = report.CutGlyphs == 1;
        text += which + std::to_string(report.CutGlyphs) + (one ? " glyph was" : " glyphs were") + " wider than " +
                std::to_string(MaxGlyphWidth) + " pixels and kept only " + (one ? "its" : "their") + " leftmost " +
                std::to_string(MaxGlyphWidth) + " columns.";
    }
    if (report.looksTruncated()) {
        if (!text.empty())
            text += "\n";
        text += which + "the file has no ENDFONT line and looks truncated; glyphs after the cut are missing.";
    }
    return text;
}
