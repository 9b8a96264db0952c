#include "keptdata.h"

#include <algorithm>

namespace {

void PutCount(std::string &out, uint64_t n)
{
    while (n >= 0x80) {
        out.push_back(static_cast<char>((n & 0x7F) | 0x80));
        n >>= 7;
    }
    out.push_back(static_cast<char>(n));
}

// A count written by PutCount at the front of in, which moves past it; nullopt
// when in ends first or the count would not fit in 64 bits.
std::optional<uint64_t> TakeCount(std::string_view &in)
{
    uint64_t n = 0;
    for (int shift = 0; shift < 64 && !in.empty(); shift += 7) {
        const auto byte = static_cast<uint8_t>(in.front());
        in.remove_prefix(1);
        n |= uint64_t{byte & 0x7Fu} << shift;
        if ((byte & 0x80) == 0)
            return n;
    }
    return std::nullopt;
}

// The next `length` bytes of in, which moves past them; nullopt when in is shorter.
std::optional<std::string_view> TakeBytes(std::string_view &in, std::optional<uint64_t> length)
{
    if (!length || *length > in.size())
        return std::nullopt;
    const std::string_view bytes = in.substr(0, static_cast<size_t>(*length));
    in.remove_prefix(bytes.size());
    return bytes;
}

enum : uint8_t { HasEncoding2 = 1, HasLines = 2 };

// Record numbers stay below the code-name notes.
constexpr size_t MaxNotesBytes = CodeNameNotes - 2;

} // namespace

void TKeptLines::add(TLinePlace place, uint32_t index, std::string_view text)
{
    Bytes.push_back(static_cast<char>(place));
    PutCount(Bytes, index);
    PutCount(Bytes, text.size());
    Bytes.append(text);
}

bool TKeptLines::Next(std::string_view &packed, TKeptLine &line)
{
    if (packed.empty())
        return false;
    const auto place = static_cast<uint8_t>(packed.front());
    packed.remove_prefix(1);
    const std::optional<uint64_t> index = TakeCount(packed);
    const std::optional<std::string_view> text = TakeBytes(packed, TakeCount(packed));
    if (!index || !text || place > static_cast<uint8_t>(TLinePlace::AfterEndChar)) {
        packed = {};
        return false;
    }
    line = {static_cast<TLinePlace>(place), static_cast<uint32_t>(*index), *text};
    return true;
}

std::vector<TKeptLine> TKeptLines::lines() const
{
    std::vector<TKeptLine> out;
    forEach([&](const TKeptLine &line) { out.push_back(line); });
    return out;
}

uint32_t TGlyphNotes::add(const TGlyphNote &note)
{
    if (note.empty())
        return 0;
    const size_t start = Bytes.size();
    if (start + note.Name.size() + note.Lines.size() + 32 > MaxNotesBytes)
        return 0;
    // Built apart first: the note may be one of these records, whose bytes a
    // growing block would move.
    std::string record;
    PutCount(record, note.Name.size());
    record.append(note.Name);
    record.push_back(static_cast<char>((note.Encoding2 ? HasEncoding2 : 0) | (note.Lines.empty() ? 0 : HasLines)));
    if (note.Encoding2) {
        const auto v = static_cast<uint32_t>(*note.Encoding2);
        for (int i = 0; i < 4; ++i)
            record.push_back(static_cast<char>(v >> (8 * i)));
    }
    if (!note.Lines.empty()) {
        PutCount(record, note.Lines.size());
        record.append(note.Lines);
    }
    Bytes += record;
    return static_cast<uint32_t>(start + 1);
}

TGlyphNote TGlyphNotes::get(uint32_t id) const
{
    if (id == 0 || id > Bytes.size())
        return {};
    std::string_view in = std::string_view(Bytes).substr(id - 1);
    TGlyphNote note;
    const std::optional<std::string_view> name = TakeBytes(in, TakeCount(in));
    if (!name || in.empty())
        return {};
    note.Name = *name;
    const auto flags = static_cast<uint8_t>(in.front());
    in.remove_prefix(1);
    if (flags & HasEncoding2) {
        if (in.size() < 4)
            return {};
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<uint8_t>(in[static_cast<size_t>(i)]);
        note.Encoding2 = static_cast<int32_t>(v);
        in.remove_prefix(4);
    }
    if (flags & HasLines) {
        const std::optional<std::string_view> lines = TakeBytes(in, TakeCount(in));
        if (!lines)
            return {};
        note.Lines = *lines;
    }
    return note;
}

std::optional<uint32_t> TGlyphNotes::append(const TGlyphNotes &other)
{
    if (Bytes.size() + other.Bytes.size() > MaxNotesBytes)
        return std::nullopt;
    const auto base = static_cast<uint32_t>(Bytes.size());
    Bytes += other.Bytes;
    return base;
}

uint32_t CopyNote(const TGlyphNotes &from, uint32_t id, TGlyphNotes &to)
{
    if (&from == &to || IsCodeNameNote(id))
        return id;
    return to.add(from.get(id));
}

namespace {
// Upper-case hexadecimal digits of code, at least minDigits of them.
std::string HexDigits(uint32_t code, size_t minDigits)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), Digits[code & 15]);
        code >>= 4;
    } while (code != 0);
    if (out.size() < minDigits)
        out.insert(0, minDigits - out.size(), '0');
    return out;
}
} // namespace

std::optional<TCodeNameWay> CodeNameWay(std::string_view name, int32_t code)
{
    TCodeNameWay way = CodeNameUPlus;
    size_t prefix = 2, minDigits = 4;
    if (code < 0 || (!name.empty() && name.front() != 'U' && name.front() != 'u')) {
        way = CodeNameOfHex, prefix = 0;
    } else if (name.substr(0, 2) == "U+") {
    } else if (code <= 0xFFFF && name.substr(0, 3) == "uni") {
        way = CodeNameUni, prefix = 3;
    } else if (code > 0xFFFF && name.substr(0, 1) == "u") {
        way = CodeNameUni, prefix = 1, minDigits = 5;
    } else {
        return std::nullopt;
    }
    // Read, not formatted: the reader asks this of every glyph.
    const std::string_view digits = name.substr(prefix);
    size_t needed = 1;
    for (auto c = static_cast<uint32_t>(code) >> 4; c != 0; c >>= 4)
        ++needed;
    if (digits.size() != std::max(needed, minDigits))
        return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(d);
    }
    if (value != static_cast<uint32_t>(code))
        return std::nullopt;
    return way;
}

std::string CodeName(uint32_t note, int32_t code)
{
    const uint32_t way = IsCodeNameNote(note) ? (note - CodeNameNotes) / 2 : CodeNameOfHex;
    if (way == CodeNameOfHex)
        return {};
    const auto value = static_cast<uint32_t>(code);
    std::string name = way == CodeNameUPlus ? "U+" : value <= 0xFFFF ? "uni" : "u";
    name += HexDigits(value, way == CodeNameUni && value > 0xFFFF ? 5 : 4);
    return name;
}

std::string_view KeywordStartingName(std::string_view name)
{
    static constexpr std::string_view Keywords[] = {
        "STARTFONT", "STARTPROPERTIES", "ENDPROPERTIES", "STARTCHAR", "ENCODING", "SWIDTH", "DWIDTH",
        "BBX",       "BITMAP",          "ENDCHAR",       "ENDFONT",   "SIZE",     "FONTBOUNDINGBOX"};
    for (std::string_view keyword : Keywords)
        if (name.substr(0, keyword.size()) == keyword)
            return keyword;
    return {};
}
