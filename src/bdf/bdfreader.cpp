#include "bdfreader.h"

#include "fileio.h"
#include "runthreads.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
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

// How many hexadecimal digits the line at p holds when it is 1 to 8 of them
// followed by a line break within the next 16 bytes; 0 otherwise (then the line
// is read digit by digit).
size_t ShortHexLine(const char *p, const char *end)
{
#ifdef __SSE2__
    if (end - p < 16)
        return 0;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const __m128i lower = _mm_or_si128(v, _mm_set1_epi8(0x20));
    const __m128i decimal = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    const __m128i letter =
        _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    const unsigned digits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(decimal, letter)));
    const unsigned n = static_cast<unsigned>(__builtin_ctz(~digits));
    if (n >= 1 && n <= 8 && (p[n] == '\n' || p[n] == '\r'))
        return n;
#else
    (void)p;
    (void)end;
#endif
    return 0;
}

// Past the line break at p (CR LF, LF or CR), if there is one before end.
const char *SkipLineBreak(const char *p, const char *end)
{
    if (p == end)
        return p;
    return p + ((*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1);
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

// The first N space-separated words of value as numbers, each as ParseIntDef(word, 0)
// takes it: missing or unparsable words give 0. The small decimals that fill BDF
// files are read on the way; anything else goes to ParseIntDef.
template <size_t N>
std::array<int32_t, N> Words(std::string_view value)
{
    std::array<int32_t, N> out{};
    const char *p = value.data();
    const char *const end = p + value.size();
    for (size_t k = 0; k < N; ++k) {
        while (p < end && *p == ' ')
            ++p;
        if (p == end)
            break;
        const char *const word = p;
        const bool negative = *p == '-';
        const char *const digits = p + (negative ? 1 : 0);
        const char *q = digits;
        int64_t v = 0;
        while (q < end && q - digits < 10 && static_cast<unsigned>(*q - '0') <= 9)
            v = v * 10 + (*q++ - '0');
        if (q > digits && q - digits <= 9 && (q == end || *q == ' ')) {
            out[k] = static_cast<int32_t>(negative ? -v : v);
            p = q;
            continue;
        }
        while (p < end && *p != ' ')
            ++p;
        out[k] = ParseIntDef(std::string_view(word, static_cast<size_t>(p - word)), 0);
    }
    return out;
}

// The words of a value line as numbers, kept from the line before when its text
// is the same: the metrics lines of neighbouring glyphs mostly are.
template <size_t N>
class TWordsMemo {
public:
    std::array<int32_t, N> operator()(std::string_view value)
    {
        // An empty value may have no data pointer at all, which memcmp must not see.
        if (value.size() == Length && (Length == 0 || std::memcmp(value.data(), Text, Length) == 0))
            return Values;
        Values = Words<N>(value);
        Length = value.size() <= sizeof Text ? value.size() : SIZE_MAX;
        if (Length != SIZE_MAX && Length > 0)
            std::memcpy(Text, value.data(), Length);
        return Values;
    }

private:
    char Text[40];
    size_t Length = SIZE_MAX;
    std::array<int32_t, N> Values{};
};

// The text that Words reads from a value line: ValueText without the trimming,
// which changes no word.
std::string_view WordsText(std::string_view line, size_t pos)
{
    if (line.size() < pos - 1)
        return {};
    return line.substr(pos - 1, MaxValueLength);
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

// How a scan of one piece of a text began and ended, for joining pieces scanned apart.
struct TPartState {
    // The piece starts in bitmap mode (a glyph before it had no ENDCHAR).
    bool StartsInBitmap = false;
    bool EndsInBitmap = false;
    // Which header fields the piece's lines set.
    enum : unsigned { StartFontSet = 1, FontNameSet = 2, SizeSet = 4, BoxSet = 8, UidSet = 16 };
    unsigned HeaderSet = 0;
};

// Where a scan puts its glyphs: a growing list, or the slots counted out for
// one part of a text in a list that all parts fill at once.
class TGlyphOut {
public:
    // hintCap: the most glyphs the whole text could hold, which bounds a size
    // hint from a damaged file.
    TGlyphOut(TGlyphList &list, size_t hintCap) : List(&list), HintCap(hintCap) {}
    TGlyphOut(TBDFChar *slots, size_t room) : Slots(slots), Room(room) {}

    // Nullptr when the text had more glyph starts than were counted in it (it
    // changed between the count and the scan); the glyph is then dropped.
    TBDFChar *add()
    {
        if (List)
            return &List->emplace_back();
        if (Used == Room) {
            ++Overflow;
            return nullptr;
        }
        return &Slots[Used++];
    }
    TBDFChar *last()
    {
        if (List)
            return List->empty() ? nullptr : &List->back();
        return Used == 0 ? nullptr : &Slots[Used - 1];
    }
    size_t count() const { return List ? List->size() : Used; }
    // Whether every counted slot was filled and no glyph was dropped.
    bool filledExactly() const { return List || (Used == Room && Overflow == 0); }
    // A size hint from the file; only a growing list takes it.
    void reserve(size_t n)
    {
        n = std::min(n, HintCap);
        if (List && List->empty() && n > List->capacity())
            List->reserve(n);
    }

private:
    TGlyphList *List = nullptr;
    size_t HintCap = 0;
    TBDFChar *Slots = nullptr;
    size_t Room = 0;
    size_t Used = 0;
    size_t Overflow = 0;
};

// Where the text of a read comes from: a file taken piece by piece, or text
// already in memory. Several threads may read at once.
class TTextSource {
public:
    virtual ~TTextSource() = default;
    virtual size_t size() const = 0;
    // Up to len bytes of text from offset into dst; fewer only at the end.
    virtual size_t read(size_t offset, char *dst, size_t len) const = 0;
};

class TMemorySource final : public TTextSource {
public:
    explicit TMemorySource(std::string_view text) : Text(text) {}
    size_t size() const override { return Text.size(); }
    size_t read(size_t offset, char *dst, size_t len) const override
    {
        if (offset >= Text.size())
            return 0;
        len = std::min(len, Text.size() - offset);
        std::memcpy(dst, Text.data() + offset, len);
        return len;
    }

private:
    std::string_view Text;
};

// A file's text from byte `skip` on (past a byte-order mark).
class TFileSource final : public TTextSource {
public:
    TFileSource(const TReadableFile &file, size_t skip) : File(file), Skip(std::min(skip, file.size())) {}
    size_t size() const override { return File.size() - Skip; }
    size_t read(size_t offset, char *dst, size_t len) const override
    {
        if (offset >= size())
            return 0;
        return File.readAt(Skip + offset, dst, std::min(len, size() - offset));
    }

private:
    const TReadableFile &File;
    size_t Skip;
};

// The first Size bytes of another text: where a NUL byte ends it.
class TPrefixSource final : public TTextSource {
public:
    TPrefixSource(const TTextSource &text, size_t size) : Text(text), Size(std::min(size, text.size())) {}
    size_t size() const override { return Size; }
    size_t read(size_t offset, char *dst, size_t len) const override
    {
        if (offset >= Size)
            return 0;
        return Text.read(offset, dst, std::min(len, Size - offset));
    }

private:
    const TTextSource &Text;
    size_t Size;
};

// The text is read through a window of this many bytes per thread; a longer
// line passes through it as it is read (see TLongLine).
constexpr size_t DefaultWindow = 2 << 20;

bool IsLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

// The longest line a font keeps (a comment, a property, a line it does not
// read): longer ones keep their first this many bytes, whatever the read window.
constexpr size_t MaxKeptLine = 64 * 1024;

// A line longer than the read window, taken in as it streams past and handed on
// as a short line that the scan reads exactly as the whole one: its first
// HeadBytes (as far as any keyword and its value, or a kept line, reach), then a
// few characters that stand for the rest as the row rules read it. A row reads the whole line
// as plain hexadecimal (its first 16 digits, or its digits after the leading
// zeros when there are at most 16) or as blanks, a sign and a "$" value of at
// most 8 digits after the leading zeros; anything else reads as 0. So the rest
// is kept as those digits, as more than 16 of them, as a "$" value, or as a
// character no rule takes. Memory stays HeadBytes and a few dozen bytes,
// however long the line.
class TLongLine {
public:
    void clear()
    {
        Text.clear();
        Length = 0;
        AllHex = true;
        HexDigits = 0;
        HexTail.clear();
        Dollar = false;
        Value = TValue::Blanks;
        ValueDigits = 0;
        ValueTail.clear();
    }

    // The next bytes of the line (no line break among them).
    void add(std::string_view bytes)
    {
        // Once no row rule can take the line, only a "$" somewhere still matters.
        if (Length >= HeadBytes && !AllHex && Value == TValue::None) {
            Dollar = Dollar || bytes.find('$') != std::string_view::npos;
            Length += bytes.size();
            return;
        }
        for (char c : bytes)
            take(c);
    }

    // The stand-in for the whole line; valid until the next clear.
    std::string_view text()
    {
        if (Length <= HeadBytes)
            return Text;
        Text.resize(HeadBytes);
        if (AllHex)
            Text += HexDigits <= 16 ? HexTail : std::string(17, '1');
        else if (!Dollar)
            Text += 'G';
        else if (Value == TValue::Digits && ValueDigits <= 8)
            Text += ValueTail;
        else
            Text += "$G";
        return Text;
    }

private:
    // How far ValueText reaches ("FONTBOUNDINGBOX " and 255 characters), and
    // what a kept line keeps.
    static constexpr size_t HeadBytes = MaxKeptLine;

    // What ParseIntDef reads of a line that holds a "$" so far.
    enum class TValue { Blanks, Sign, Digits, None };

    void take(char c)
    {
        const bool past = Length++ >= HeadBytes;
        if (!past)
            Text += c;
        const int d = HexDigitValue(c);
        if (AllHex) {
            if (d < 0)
                AllHex = false;
            else if ((HexDigits > 0 || d != 0) && HexDigits <= 16 && ++HexDigits <= 16 && past)
                HexTail += c;
        }
        Dollar = Dollar || c == '$';
        switch (Value) {
        case TValue::Blanks:
            if (c == '+' || c == '-' || c == '$') {
                Value = c == '$' ? TValue::Digits : TValue::Sign;
                if (past)
                    ValueTail += c;
            } else if (c != ' ') {
                Value = TValue::None;
            }
            break;
        case TValue::Sign:
            Value = c == '$' ? TValue::Digits : TValue::None;
            if (c == '$' && past)
                ValueTail += c;
            break;
        case TValue::Digits:
            if (d < 0)
                Value = TValue::None;
            else if ((ValueDigits > 0 || d != 0) && ValueDigits <= 8 && ++ValueDigits <= 8 && past)
                ValueTail += c;
            break;
        case TValue::None:
            break;
        }
    }

    std::string Text;
    size_t Length = 0;
    // Plain hexadecimal so far; its digits after the leading zeros (counted to
    // 17), and those past the head.
    bool AllHex = true;
    int HexDigits = 0;
    std::string HexTail;
    bool Dollar = false;
    // Blanks, a sign and a "$" value so far; its digits after the leading zeros
    // (counted to 9), and what of sign, "$" and digits lies past the head.
    TValue Value = TValue::Blanks;
    int ValueDigits = 0;
    std::string ValueTail;
};

// Hands the text in [from, to) of src to take(text, begin, end) in pieces of
// whole lines, read through buffer, window bytes at a time (a smaller text takes
// a buffer its size): text holds the bytes from offset begin to end, and its
// last byte ends a line, unless the text ends there. A line longer than the
// window comes alone, as longLine's stand-in for it, with begin at the line's
// start and end past its line break. The text ends at a NUL byte, if there is
// one; returns where it ended.
template <class Take>
size_t ForEachPiece(const TTextSource &src, size_t from, size_t to, TByteBuffer &buffer, size_t window,
                    TLongLine &longLine, Take take)
{
    buffer.resize(std::max<size_t>(std::min(window, to - from), 1));
    // The bytes held at the start of buffer begin at offset pos - have.
    size_t pos = from;
    size_t have = 0;
    bool end = from >= to;
    auto fill = [&] {
        const size_t want = std::min(buffer.size() - have, to - pos);
        const size_t got = want > 0 ? src.read(pos, buffer.data() + have, want) : 0;
        end = end || got < want || pos + got >= to;
        size_t kept = got;
        if (const void *nul = std::memchr(buffer.data() + have, '\0', got)) {
            kept = static_cast<size_t>(static_cast<const char *>(nul) - (buffer.data() + have));
            end = true;
        }
        pos += kept;
        have += kept;
    };
    // A line ended by CR just before: an LF that follows belongs to its line break.
    char before = 0;
    bool afterCR = from > 0 && src.read(from - 1, &before, 1) == 1 && before == '\r';
    auto dropFirst = [&] {
        std::memmove(buffer.data(), buffer.data() + 1, --have);
    };
    for (;;) {
        if (!end)
            fill();
        if (afterCR && have > 0) {
            afterCR = false;
            if (buffer.data()[0] == '\n') {
                dropFirst();
                continue;
            }
        }
        if (have == 0)
            return pos;
        const std::string_view held(buffer.data(), have);
        const size_t at = pos - have;
        size_t cut = held.size();
        if (!end) {
            const size_t lastBreak = held.find_last_of("\r\n");
            cut = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
        }
        if (cut > 0) {
            take(held.substr(0, cut), at, at + cut);
            afterCR = held[cut - 1] == '\r';
            std::memmove(buffer.data(), buffer.data() + cut, have - cut);
            have -= cut;
            continue;
        }
        // The window holds part of one line only.
        longLine.clear();
        for (;;) {
            const size_t n = static_cast<size_t>(FindLineEnd(buffer.data(), buffer.data() + have) - buffer.data());
            longLine.add(std::string_view(buffer.data(), n));
            std::memmove(buffer.data(), buffer.data() + n, have - n);
            have -= n;
            if (have > 0 || end)
                break;
            fill();
        }
        if (have > 0) {
            afterCR = buffer.data()[0] == '\r';
            dropFirst();
        }
        take(longLine.text(), at, pos - have);
    }
}

// What the scan of a part carries from one piece of its text to the next,
// where the glyph being read may go on.
struct TScanState {
    bool BitmapMode = false;
    unsigned HeaderSet = 0;
    TBDFReadReport Report;
    // The glyph the lines belong to: none until the part's first STARTCHAR.
    TBDFChar *Last = nullptr;
    // Its rows so far, parsed as they come by the rule of the width the glyph
    // has at that moment, and stored with one exact allocation when it ends.
    TGlyphRows Rows;
    // Its width as its BBX line gave it (before any cut to 64), and whether a
    // BBX line changed it after rows were read: then the glyph's lines are read
    // again at its end, so its rows follow the rule of its final width.
    int64_t LastWidth = 0;
    bool RereadRows = false;
    // Where its lines begin in the text, and whether they begin in bitmap mode
    // (a glyph before it may have had no ENDCHAR).
    size_t GlyphBody = 0;
    bool GlyphStartsInBitmap = false;
    // What the glyph keeps besides its fields: its name, the second number of
    // its ENCODING line, its lines the scan does not read, and the place of
    // the last of its lines that Bitloom writes itself.
    std::string NoteName;
    std::optional<int32_t> NoteEncoding2;
    TKeptLines NoteLines;
    TLinePlace GlyphPlace = TLinePlace::AfterStartChar;
    // The same place in the header, and whether the property block is open.
    TLinePlace HeaderPlace = TLinePlace::BeforeStartFont;
    bool InProperties = false;
    // Past an ENDFONT line nothing is kept until a glyph or a font begins:
    // whatever follows a font in its file is not part of it.
    bool PastEndFont = false;
};

// Where a part is read from, with what reading a glyph's lines again takes
// when they began in an earlier piece.
struct TPartSource {
    const TTextSource &Text;
    size_t Window;
    TByteBuffer Buffer;
    TLongLine LongLine;
};

void Advance(TLinePlace &place, TLinePlace to)
{
    if (to > place)
        place = to;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), IsBlank);
}

// A line of the property block: its first word names the property, the rest is
// the value. A value that begins with a double quote is a string up to the next
// lone quote, a doubled quote inside standing for one; anything after it is lost.
TBDFProperty ParseProperty(std::string_view line)
{
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    size_t nameEnd = i;
    while (nameEnd < line.size() && !IsBlank(line[nameEnd]))
        ++nameEnd;
    TBDFProperty property;
    property.Name = line.substr(i, nameEnd - i);
    std::string_view value = line.substr(nameEnd);
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    if (!value.empty() && value.front() == '"') {
        property.Quoted = true;
        for (size_t k = 1; k < value.size(); ++k) {
            if (value[k] == '"') {
                if (k + 1 == value.size() || value[k + 1] != '"')
                    break;
                ++k;
            }
            property.Value += value[k];
        }
    } else {
        while (!value.empty() && IsBlank(value.back()))
            value.remove_suffix(1);
        property.Value = value;
    }
    return property;
}

// One blank line after a glyph, as a glyph keeps it: pcf2bdf writes one after each.
const std::string &BlankLineAfterGlyph()
{
    static const std::string packed = [] {
        TKeptLines lines;
        lines.add(TLinePlace::AfterEndChar, 0, {});
        return lines.packed();
    }();
    return packed;
}

// Adds to rows the rows among the lines of text, for a glyph of width (cut to
// 64 when cut), with mode the bitmap mode the lines begin in.
void AddRows(std::string_view text, bool &mode, int32_t width, bool cut, int debug, TGlyphRows &rows)
{
    const char *const end = text.data() + text.size();
    for (const char *q = text.data(); q < end;) {
        const char *lineEnd = FindLineEnd(q, end);
        const std::string_view line(q, static_cast<size_t>(lineEnd - q));
        q = SkipLineBreak(lineEnd, end);
        if (IsRowLine(line, mode))
            rows.push_back(ParseRow(line, width, cut, debug));
    }
}

// Scans text, whole lines of a part from offset begin to end (a piece that
// ForEachPiece gave, so a long line's stand-in spans more of the part than its
// own length). Header fields go to font, glyphs to glyphs; state carries what
// goes on into the next piece. final (with an empty text at the part's end)
// ends the last glyph.
void Scan(std::string_view text, size_t begin, size_t endOffset, bool final, TBDFFont &font, TGlyphOut &glyphs,
          const TBDFReadOptions &options, TScanState &state, TPartSource &source)
{
    TBDFReadReport &report = state.Report;
    unsigned &headerSet = state.HeaderSet;
    const bool namesGiveCodes = options.Codes == TCodeSource::Names;
    bool bitmapMode = state.BitmapMode;
    TGlyphRows rows = std::move(state.Rows);
    int64_t lastWidth = state.LastWidth;
    bool rereadRows = state.RereadRows;
    TBDFChar *last = state.Last;
    size_t glyphBodyAt = state.GlyphBody;
    bool glyphStartsInBitmap = state.GlyphStartsInBitmap;
    // Where the last glyph's lines begin when that is in this piece.
    const char *glyphBody = nullptr;
    const char *const end = text.data() + text.size();
    auto offsetOf = [begin, endOffset, start = text.data(), end](const char *q) {
        return q == end ? endOffset : begin + static_cast<size_t>(q - start);
    };

    TWordsMemo<2> swidth, dwidth;
    TWordsMemo<4> bbx;

    auto finishGlyph = [&](const char *glyphEnd) {
        if (!last)
            return;
        TBDFChar &ch = *last;
        const bool cut = lastWidth > MaxGlyphWidth;
        if (cut) {
            ch.BBXWidth = MaxGlyphWidth;
            ++report.CutGlyphs;
        }
        if (rereadRows) {
            rows.clear();
            bool mode = glyphStartsInBitmap;
            if (glyphBody) {
                AddRows(std::string_view(glyphBody, static_cast<size_t>(glyphEnd - glyphBody)), mode, ch.BBXWidth, cut,
                        options.Debug, rows);
            } else {
                ForEachPiece(source.Text, glyphBodyAt, offsetOf(glyphEnd), source.Buffer, source.Window,
                             source.LongLine, [&](std::string_view lines, size_t, size_t) {
                                 AddRows(lines, mode, ch.BBXWidth, cut, options.Debug, rows);
                             });
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
        // A name the code gives anyway, or a code that comes from the name, is
        // no name of its own; a name made from the code in a usual way, with at
        // most a blank line after the glyph, needs no record either.
        const std::optional<TCodeNameWay> way =
            namesGiveCodes ? std::optional(CodeNameOfHex) : CodeNameWay(state.NoteName, ch.Encoding);
        const bool blankAfter = state.NoteLines.packed() == BlankLineAfterGlyph();
        if (way && !state.NoteEncoding2 && (blankAfter || state.NoteLines.empty()))
            ch.Notes = CodeNameNote(*way, blankAfter);
        else
            ch.Notes = font.GlyphNotes.add({way == CodeNameOfHex ? std::string_view() : std::string_view(state.NoteName),
                                            state.NoteEncoding2, state.NoteLines.packed()});
    };
    // A line the scan does not read: kept by the glyph it stands in, or by the
    // header, where the property block's lines are its properties.
    auto keep = [&](std::string_view line) {
        if (state.PastEndFont)
            return;
        line = line.substr(0, MaxKeptLine);
        if (last) {
            state.NoteLines.add(state.GlyphPlace, 0, line);
        } else if (state.InProperties && !IsBlankLine(line) && !StartsWith(line, "COMMENT")) {
            font.Properties.push_back(ParseProperty(line));
        } else {
            const auto index = static_cast<uint32_t>(state.InProperties ? font.Properties.size() : 0);
            font.HeaderLines.add(state.HeaderPlace, index, line);
        }
    };

    const char *p = text.data();
    while (p < end) {
        const char *start = p;
        // The usual row, as ParseRow reads it, in one pass: a short line of nothing
        // but hexadecimal digits (never a keyword) of a glyph up to 32 pixels wide.
        // Any other line is read below.
        if (bitmapMode && last && lastWidth <= 32 && options.Debug == 0) {
            if (const size_t n = ShortHexLine(p, end)) {
                uint64_t value = 0;
                for (size_t i = 0; i < n; ++i)
                    value = (value << 4) | static_cast<uint64_t>(HexDigitValue(p[i]));
                rows.push_back(value);
                p = SkipLineBreak(p + n, end);
                continue;
            }
        }
        p = FindLineEnd(p, end);
        std::string_view line(start, static_cast<size_t>(p - start));
        p = SkipLineBreak(p, end);

        switch (line.empty() ? '\0' : line[0]) {
        case 'S':
            if (StartsWith(line, "STARTFONT")) {
                report.SawStartFont = true;
                font.StartFont = std::string(ValueText(line, 11));
                headerSet |= TPartState::StartFontSet;
                if (!last)
                    Advance(state.HeaderPlace, TLinePlace::AfterStartFont);
                state.PastEndFont = false;
                continue;
            }
            if (StartsWith(line, "SIZE")) {
                font.Size = std::string(ValueText(line, 6));
                headerSet |= TPartState::SizeSet;
                if (!last)
                    Advance(state.HeaderPlace, TLinePlace::AfterSize);
                continue;
            }
            if (StartsWith(line, "STARTCHAR")) {
                report.SawStartChar = true;
                finishGlyph(start);
                rows.clear();
                rereadRows = false;
                state.NoteName.assign(ValueText(line, 11));
                state.NoteEncoding2.reset();
                state.NoteLines.clear();
                state.GlyphPlace = TLinePlace::AfterStartChar;
                state.PastEndFont = false;
                last = glyphs.add();
                if (last)
                    last->Encoding = HexToInt(ValueText(line, 11));
                lastWidth = 0;
                glyphBody = p;
                glyphBodyAt = offsetOf(p);
                glyphStartsInBitmap = bitmapMode;
                continue;
            }
            if (StartsWith(line, "SWIDTH")) {
                if (last) {
                    auto w = swidth(WordsText(line, 8));
                    last->SWidthX = w[0];
                    last->SWidthY = w[1];
                    Advance(state.GlyphPlace, TLinePlace::AfterSWidth);
                }
                continue;
            }
            if (!last && StartsWith(line, "STARTPROPERTIES")) {
                state.InProperties = true;
                Advance(state.HeaderPlace, TLinePlace::InProperties);
                continue;
            }
            break;
        case 'C':
            // Only a hint for sizing, trusted no further than the text could hold:
            // even a minimal real glyph takes more than 64 bytes.
            // In the property block it is a property of that name (pcf2bdf writes some).
            if (!last && !state.InProperties && (StartsWith(line, "CHARS ") || line == "CHARS")) {
                int32_t hint = Words<1>(ValueText(line, 7))[0];
                if (hint > 0)
                    glyphs.reserve(static_cast<size_t>(hint));
                Advance(state.HeaderPlace, TLinePlace::AfterChars);
                continue;
            }
            break;
        case 'F':
            // In the property block, FONT is the property of that name, whose
            // quoted value is no name for the font.
            if (StartsWith(line, "FONT ") && (last || !state.InProperties)) {
                font.FontName = std::string(ValueText(line, 6));
                headerSet |= TPartState::FontNameSet;
                if (!last)
                    Advance(state.HeaderPlace, TLinePlace::AfterFont);
                continue;
            }
            if (StartsWith(line, "FONTBOUNDINGBOX")) {
                auto w = Words<4>(ValueText(line, 17));
                font.FBBWidth = w[0];
                font.FBBHeight = w[1];
                font.FBBXOff = w[2];
                font.FBBYOff = w[3];
                headerSet |= TPartState::BoxSet;
                if (!last)
                    Advance(state.HeaderPlace, TLinePlace::AfterBox);
                continue;
            }
            break;
        case 'U':
            if (StartsWith(line, "Uid")) {
                font.Uid = ParseUidDef(ValueText(line, 5), 0);
                headerSet |= TPartState::UidSet;
                if (!last && state.InProperties) {
                    // Where the block had it, the Uid field is written.
                    if (std::none_of(font.Properties.begin(), font.Properties.end(),
                                     [](const TBDFProperty &p) { return p.Name == "Uid"; }))
                        font.Properties.push_back({"Uid", "", false});
                } else if (!last) {
                    Advance(state.HeaderPlace, TLinePlace::AfterProperties);
                }
                continue;
            }
            break;
        case 'D':
            if (StartsWith(line, "DWIDTH")) {
                if (last) {
                    auto w = dwidth(WordsText(line, 8));
                    last->DWidthX = w[0];
                    last->DWidthY = w[1];
                    Advance(state.GlyphPlace, TLinePlace::AfterDWidth);
                }
                continue;
            }
            break;
        case 'B':
            if (StartsWith(line, "BBX")) {
                if (last) {
                    auto w = bbx(WordsText(line, 5));
                    last->BBXWidth = w[0];
                    last->BBXHeight = w[1];
                    last->BBXXOff = w[2];
                    last->BBXYOff = w[3];
                    rereadRows = rereadRows || (!rows.empty() && w[0] != lastWidth);
                    lastWidth = w[0];
                    Advance(state.GlyphPlace, TLinePlace::AfterBBX);
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
                if (last)
                    Advance(state.GlyphPlace, TLinePlace::AfterEndChar);
                continue;
            }
            if (!bitmapMode && StartsWith(line, "ENCODING")) {
                if (last && !namesGiveCodes) {
                    const std::string_view value = ValueText(line, 10);
                    last->Encoding = Words<1>(value)[0];
                    // A second number is kept when it is one.
                    const std::string_view second = ExtractWord(2, value, " ");
                    state.NoteEncoding2.reset();
                    if (!second.empty() && ParseIntDef(second, 0) == ParseIntDef(second, 1))
                        state.NoteEncoding2 = ParseIntDef(second, 0);
                    Advance(state.GlyphPlace, TLinePlace::AfterEncoding);
                }
                continue;
            }
            if (!bitmapMode && StartsWith(line, "ENDFONT")) {
                report.SawEndFont = true;
                state.PastEndFont = true;
                continue;
            }
            if (!last && StartsWith(line, "ENDPROPERTIES")) {
                state.InProperties = false;
                Advance(state.HeaderPlace, TLinePlace::AfterProperties);
                continue;
            }
            break;
        default:
            break;
        }
        if (!bitmapMode)
            keep(line);
        else if (last)
            rows.push_back(ParseRow(line, static_cast<int32_t>(std::min<int64_t>(lastWidth, MaxGlyphWidth)),
                                    lastWidth > MaxGlyphWidth, options.Debug));
    }
    if (final) {
        finishGlyph(end);
        last = nullptr;
    }
    state.BitmapMode = bitmapMode;
    state.Rows = std::move(rows);
    state.LastWidth = lastWidth;
    state.RereadRows = rereadRows;
    state.Last = last;
    state.GlyphBody = glyphBodyAt;
    state.GlyphStartsInBitmap = glyphStartsInBitmap;
}

// What one byte range of a text holds, for cutting the text into parts.
struct TRangeSurvey {
    // Lines starting with STARTCHAR that begin in the range, and where the first begins.
    size_t GlyphStarts = 0;
    size_t FirstGlyph = std::string_view::npos;
    // Where the range's first NUL byte is, if it has one.
    size_t FirstNul = std::string_view::npos;
};

// Adds what positions [from, to) of text hold to survey: the glyph starts
// (STARTCHAR at the text's start or after a line break) and the first NUL byte. text
// begins at offset base of the whole text.
void SurveyPiece(std::string_view text, size_t from, size_t to, size_t base, TRangeSurvey &survey)
{
    constexpr std::string_view Key = "STARTCHAR";
    auto found = [&](size_t at) {
        if (text.compare(at, Key.size(), Key) == 0 && (at == 0 || IsLineBreak(text[at - 1]))) {
            ++survey.GlyphStarts;
            survey.FirstGlyph = std::min(survey.FirstGlyph, base + at);
        }
    };
    auto nul = [&](size_t at) { survey.FirstNul = std::min(survey.FirstNul, base + at); };
    size_t i = from;
#ifdef __SSE2__
    // Sixteen positions at once: a line break followed by "ST" is looked at
    // closely, and a NUL anywhere is noted.
    if (i == 0 && i < to) {
        if (text[0] == '\0')
            nul(0);
        found(0);
        i = 1;
    }
    auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + at)); };
    while (i + 16 <= to && i + 17 <= text.size()) {
        const __m128i before = load(i - 1), here = load(i), after = load(i + 1);
        const unsigned breaks = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(before, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(before, _mm_set1_epi8('\r')))));
        const unsigned s = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, _mm_set1_epi8('S'))));
        const unsigned t = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(after, _mm_set1_epi8('T'))));
        if (const int nuls = _mm_movemask_epi8(_mm_cmpeq_epi8(here, _mm_setzero_si128())))
            nul(i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(nuls))));
        for (unsigned hits = breaks & s & t; hits != 0; hits &= hits - 1)
            found(i + static_cast<size_t>(__builtin_ctz(hits)));
        i += 16;
    }
#endif
    for (; i < to; ++i) {
        if (text[i] == '\0')
            nul(i);
        else if (text[i] == 'S')
            found(i);
    }
}

// Surveys [from, to) of src through buffer, a window of window bytes. The byte
// before each piece shows whether its first byte starts a line, and a few bytes
// after it complete a keyword that begins inside.
TRangeSurvey SurveyRange(const TTextSource &src, size_t from, size_t to, TByteBuffer &buffer, size_t window)
{
    constexpr std::string_view Key = "STARTCHAR";
    TRangeSurvey survey;
    buffer.resize(std::max(std::min(window, to - from + 1 + Key.size()), 2 + Key.size()));
    const size_t step = buffer.size() - 1 - Key.size();
    for (size_t pos = from; pos < to;) {
        const size_t own = std::min(step, to - pos);
        const size_t before = pos > 0 ? 1 : 0;
        const size_t got = src.read(pos - before, buffer.data(), before + own + Key.size());
        if (got <= before)
            break;
        SurveyPiece(std::string_view(buffer.data(), got), before, std::min(got, before + own), pos - before, survey);
        pos += own;
    }
    return survey;
}

// Whether a scan is in bitmap mode when it reaches the line that starts at pos:
// the mode the last line before it that starts with BITMAP or ENDCHAR left, off
// when there is none. Reads back from pos only as far as that line, which in a
// sound file ends the glyph just before.
bool BitmapModeAt(const TTextSource &src, size_t pos)
{
    constexpr size_t Step = 4096;
    constexpr size_t Longest = 7; // "ENDCHAR"
    std::vector<char> buffer(Step + 1 + Longest);
    // Lines starting before `limit` and after the ones already looked at.
    size_t limit = pos;
    while (limit > 0) {
        const size_t from = limit > Step ? limit - Step : 0;
        const size_t before = from > 0 ? 1 : 0;
        const size_t got = src.read(from - before, buffer.data(), before + (limit - from) + Longest);
        const std::string_view text(buffer.data(), got);
        for (size_t i = std::min(got, before + (limit - from)); i-- > before;) {
            if (i > 0 && !IsLineBreak(text[i - 1]))
                continue;
            if (i == 0 && from > 0)
                continue;
            const std::string_view line = text.substr(i, pos - (from - before + i));
            if (StartsWith(line, "BITMAP"))
                return true;
            if (StartsWith(line, "ENDCHAR"))
                return false;
        }
        limit = from;
    }
    return false;
}

// Adds what a later piece of the text found to what the pieces before it found.
void AddReport(TBDFReadReport &report, const TBDFReadReport &later)
{
    report.CutGlyphs += later.CutGlyphs;
    report.SawStartFont = report.SawStartFont || later.SawStartFont;
    report.SawStartChar = report.SawStartChar || later.SawStartChar;
    report.SawEndFont = report.SawEndFont || later.SawEndFont;
}

// Scans [from, to) of src, a part that begins at a glyph start or the text's
// start, in pieces of whole lines read through buffer, a window of window bytes.
TBDFReadReport ScanRange(const TTextSource &src, size_t from, size_t to, TBDFFont &font, TGlyphOut &glyphs,
                         const TBDFReadOptions &options, TPartState &part, TByteBuffer &buffer, size_t window)
{
    TScanState state;
    state.BitmapMode = part.StartsInBitmap;
    state.Rows.reserve(256);
    TPartSource source{src, window, {}, {}};
    TLongLine longLine;
    const size_t end = ForEachPiece(src, from, to, buffer, window, longLine,
                                    [&](std::string_view text, size_t begin, size_t pieceEnd) {
                                        Scan(text, begin, pieceEnd, false, font, glyphs, options, state, source);
                                    });
    Scan({}, end, end, true, font, glyphs, options, state, source);
    part.EndsInBitmap = state.BitmapMode;
    part.HeaderSet = state.HeaderSet;
    return state.Report;
}

TThreadStartHook ThreadStartHook = nullptr;

// Below this a text is read on one thread: starting threads would cost more than they save.
constexpr size_t ParallelMinBytes = 2 << 20;

// How a read ended.
enum class TReadResult {
    Done,
    // The text changed between counting its glyphs and reading them.
    Changed,
};

// A Uid that ends the property block is where a save puts it anyway; so a font
// whose block held only a Uid, as Bitloom writes it, keeps no property at all.
void DropTrailingUid(TBDFFont &font)
{
    if (!font.Properties.empty() && font.Properties.back().Name == "Uid")
        font.Properties.pop_back();
}

// The read. On one thread the text is scanned front to back into the font's
// growing list. On several, it is first surveyed in equal byte ranges at once
// (glyph starts counted, and the first NUL, where the text ends, looked for);
// each range's first glyph start begins a part, the font's list is made as long
// as all glyphs, and the parts are scanned at once into their own slots of it.
// What crosses a cut is carried over exactly: each part starts in the bitmap
// mode the text before it leaves, header lines of later parts win as in one
// scan, counts add up. The result equals a scan on one thread; memory holds the
// font and a window per thread, never more of the text.
TReadResult ReadText(const TTextSource &src, TBDFFont &font, const TBDFReadOptions &options, TBDFReadReport &report)
{
    const size_t size = src.size();
    const size_t window = options.WindowBytes > 0 ? options.WindowBytes : DefaultWindow;
    size_t threads = options.Threads > 0 ? static_cast<size_t>(options.Threads) : std::thread::hardware_concurrency();
    if (options.Threads <= 0 && size < ParallelMinBytes)
        threads = 1;
    font.Chars.clear();
    font.Properties.clear();
    font.HeaderLines.clear();
    font.GlyphNotes.clear();
    if (threads <= 1 || size == 0) {
        TGlyphOut out(font.Chars, size / 64);
        TPartState state;
        TByteBuffer buffer;
        report = ScanRange(src, 0, size, font, out, options, state, buffer, window);
        DropTrailingUid(font);
        return TReadResult::Done;
    }

    // One window per thread, used for the survey and then for the scan.
    std::vector<TByteBuffer> buffers(threads);
    std::vector<TRangeSurvey> surveys(threads);
    RunOnThreads(threads, [&](size_t k) {
        surveys[k] = SurveyRange(src, size * k / threads, size * (k + 1) / threads, buffers[k], window);
    });
    std::vector<size_t> cuts = {0};
    std::vector<size_t> counts = {0};
    // The text ends at its first NUL byte: what comes before it is read alone.
    for (const TRangeSurvey &survey : surveys) {
        if (survey.FirstNul != std::string_view::npos) {
            buffers.clear();
            return ReadText(TPrefixSource(src, survey.FirstNul), font, options, report);
        }
    }
    for (size_t k = 0; k < threads; ++k) {
        const TRangeSurvey &survey = surveys[k];
        // The first part begins at the text's start, header and all; no more parts than threads.
        if (k > 0 && survey.GlyphStarts > 0) {
            cuts.push_back(survey.FirstGlyph);
            counts.push_back(0);
        }
        counts.back() += survey.GlyphStarts;
    }
    cuts.push_back(size);
    const size_t parts = counts.size();
    std::vector<size_t> slot(parts + 1, 0);
    for (size_t i = 0; i < parts; ++i)
        slot[i + 1] = slot[i] + counts[i];

    // Each part makes its own glyphs in the list's storage before it scans into
    // them, so the list is built and its pages first touched on every thread.
    TGlyphList chars;
    chars.reserve(slot[parts]);
    TBDFChar *const storage = chars.data();
    std::vector<TBDFFont> heads(parts);
    std::vector<TBDFReadReport> reports(parts);
    std::vector<TPartState> states(parts);
    std::vector<char> exact(parts, 0);
    std::vector<char> made(parts, 0);
    heads[0] = std::move(font);
    std::exception_ptr failure;
    try {
        RunOnThreads(parts, [&](size_t i) {
            std::uninitialized_value_construct_n(storage + slot[i], slot[i + 1] - slot[i]);
            made[i] = 1;
            states[i].StartsInBitmap = i > 0 && BitmapModeAt(src, cuts[i]);
            TGlyphOut out(storage + slot[i], slot[i + 1] - slot[i]);
            reports[i] = ScanRange(src, cuts[i], cuts[i + 1], heads[i], out, options, states[i], buffers[i], window);
            exact[i] = out.filledExactly();
        });
    } catch (...) {
        failure = std::current_exception();
    }
    if (std::find(made.begin(), made.end(), 0) == made.end()) {
        AdoptConstructed(chars, slot[parts]);
    } else {
        for (size_t i = 0; i < parts; ++i)
            if (made[i])
                std::destroy_n(storage + slot[i], slot[i + 1] - slot[i]);
    }
    if (failure)
        std::rethrow_exception(failure);
    font = std::move(heads[0]);
    if (std::find(exact.begin(), exact.end(), 0) != exact.end())
        return TReadResult::Changed;

    report = reports[0];
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
        AddReport(report, reports[i]);
    }
    // Each part numbered its glyph notes from the start of its own block; the
    // blocks are joined in order, so a part's numbers grow by the size of the
    // blocks before it.
    std::vector<std::optional<uint32_t>> bases(parts);
    for (size_t i = 1; i < parts; ++i)
        bases[i] = heads[i].GlyphNotes.empty() ? 0 : font.GlyphNotes.append(heads[i].GlyphNotes);
    if (parts > 1) {
        RunOnThreads(parts - 1, [&](size_t k) {
            const size_t i = k + 1;
            if (heads[i].GlyphNotes.empty())
                return;
            for (TBDFChar *ch = storage + slot[i]; ch != storage + slot[i + 1]; ++ch)
                if (ch->Notes != 0 && !IsCodeNameNote(ch->Notes))
                    ch->Notes = bases[i] ? ch->Notes + *bases[i] : 0;
        });
    }
    font.Chars = std::move(chars);
    DropTrailingUid(font);
    return TReadResult::Done;
}

} // namespace

void SetThreadStartHook(TThreadStartHook hook)
{
    ThreadStartHook = hook;
}

bool ThreadStartRefused()
{
    return ThreadStartHook && ThreadStartHook();
}

TBDFReadReport ParseBDF(std::string_view text, TBDFFont &font, const TBDFReadOptions &options)
{
    TBDFReadReport report;
    const TMemorySource src(FontText(text));
    // Text in memory was cut at its NUL already, and cannot change while it is read.
    if (ReadText(src, font, options, report) != TReadResult::Done)
        throw std::logic_error("BDF reader: text in memory read inconsistently");
    return report;
}

TBDFFont HeaderFieldsOf(const TBDFFont &font)
{
    TBDFFont read;
    read.StartFont = font.StartFont;
    read.FontName = font.FontName;
    read.Size = font.Size;
    read.FBBWidth = font.FBBWidth;
    read.FBBHeight = font.FBBHeight;
    read.FBBXOff = font.FBBXOff;
    read.FBBYOff = font.FBBYOff;
    read.Uid = font.Uid;
    return read;
}

TBDFReadReport OpenBDF(const std::string &path, TBDFFont &font, const TBDFReadOptions &options)
{
    const TReadableFile file(path);
    char head[3] = {};
    const size_t skip = file.readAt(0, head, 3) == 3 && std::string_view(head, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    // Scanned into a font of its own, so a file that turns out to hold no font
    // leaves the caller's font as it was.
    TBDFFont read = HeaderFieldsOf(font);
    TBDFReadReport report;
    if (ReadText(TFileSource(file, skip), read, options, report) != TReadResult::Done)
        throw TFileError("Cannot open file", path, "the file changed while it was read");
    file.checkUnchanged();
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
