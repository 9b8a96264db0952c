// What a font's file held beyond the fields Bitloom edits: comments and other
// lines it does not read, the property block, each glyph's own name. An ordinary
// save writes it back, so a font opened and saved loses nothing; the compiler
// source and --convert leave it out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where a kept line stood: after which of the lines Bitloom writes itself (in
// the order it writes them). A line keeps the place of the last such line seen
// before it, so kept lines never move before a line they followed.
enum class TLinePlace : uint8_t {
    // In the header.
    BeforeStartFont,
    AfterStartFont,
    AfterFont,
    AfterSize,
    AfterBox,
    // Between STARTPROPERTIES and ENDPROPERTIES, before property number Index.
    InProperties,
    AfterProperties,
    AfterChars,
    // In a glyph; AfterEndChar holds lines between one glyph and the next.
    AfterStartChar,
    AfterEncoding,
    AfterSWidth,
    AfterDWidth,
    AfterBBX,
    AfterEndChar,
};

struct TKeptLine {
    TLinePlace Place = TLinePlace::BeforeStartFont;
    // For InProperties: how many properties come before the line.
    uint32_t Index = 0;
    // The whole line as the file had it, without its line break.
    std::string_view Text;
};

// Kept lines in file order, packed into one string: a font may carry millions of
// comment lines, which as one string each would take twice their own size.
class TKeptLines {
public:
    void add(TLinePlace place, uint32_t index, std::string_view text);
    bool empty() const { return Bytes.empty(); }
    void clear() { Bytes.clear(); }
    std::vector<TKeptLine> lines() const;
    // Calls f(line) for each line in order.
    template <class F>
    void forEach(F f) const
    {
        std::string_view rest = Bytes;
        TKeptLine line;
        while (Next(rest, line))
            f(line);
    }
    // The packed form, and lines back from it: glyph notes hold their lines so.
    const std::string &packed() const { return Bytes; }
    static bool Next(std::string_view &packed, TKeptLine &line);

    bool operator==(const TKeptLines &) const = default;

private:
    std::string Bytes;
};

// Walks kept lines in order and hands each over at its place. The reader keeps
// lines in the order of their places; a line found out of that order is written
// at the next place asked for rather than lost.
class TKeptCursor {
public:
    explicit TKeptCursor(std::string_view packed) : Rest(packed) { advance(); }

    // Writes the lines up to and at place (for InProperties, up to property index).
    template <class Put>
    void through(TLinePlace place, uint32_t index, Put put)
    {
        while (Has && (Line.Place < place || (Line.Place == place && (place != TLinePlace::InProperties ||
                                                                          Line.Index <= index)))) {
            put(Line.Text);
            advance();
        }
    }
    template <class Put>
    void rest(Put put)
    {
        through(TLinePlace::AfterEndChar, UINT32_MAX, put);
    }

private:
    void advance() { Has = TKeptLines::Next(Rest, Line); }

    std::string_view Rest;
    TKeptLine Line;
    bool Has = false;
};

// One property of the file's property block. Quoted values are held without
// their quotes and with doubled inner quotes made single.
struct TBDFProperty {
    std::string Name;
    std::string Value;
    bool Quoted = false;

    bool operator==(const TBDFProperty &) const = default;
};

// The keyword a property line of this name would begin with, of those a BDF
// reader that scans line by line takes for the file's structure wherever they
// stand (STARTCHAR, ENDFONT, BITMAP, SIZE...); empty for an ordinary name.
std::string_view KeywordStartingName(std::string_view name);

// What one glyph kept from its file.
struct TGlyphNote {
    // Its STARTCHAR name; empty when it kept none (its code names it then).
    std::string_view Name;
    // The second number of its ENCODING line (the code in another encoding of
    // a glyph whose first number is -1).
    std::optional<int32_t> Encoding2;
    // Its lines that Bitloom does not read, packed as TKeptLines packs them.
    std::string_view Lines;

    bool empty() const { return Name.empty() && !Encoding2 && Lines.empty(); }
    bool operator==(const TGlyphNote &) const = default;
};

// The notes of a font's glyphs, one record after another in one block of bytes.
// A glyph holds only the number of its record (TBDFChar::Notes, 0 for none),
// which fits in the glyph's padding, so a font of named glyphs takes no more
// memory than their names. Records are never changed or removed: a glyph that
// moves or is copied within its font keeps the same number, and a changed note
// is a new record. A glyph taken to another font takes its record with it
// (CopyNote).
class TGlyphNotes {
public:
    // Adds a record and returns its number; 0 (no record) when note is empty or
    // the block would pass 4 GiB.
    uint32_t add(const TGlyphNote &note);
    // The record numbered id; an empty note for 0 or a number this block never gave.
    TGlyphNote get(uint32_t id) const;
    // Adds other's records after these; their numbers grow by the returned
    // amount, or stay 0 when the block would pass 4 GiB (then nothing is added).
    std::optional<uint32_t> append(const TGlyphNotes &other);
    size_t size() const { return Bytes.size(); }
    bool empty() const { return Bytes.empty(); }
    void clear() { Bytes.clear(); }

    bool operator==(const TGlyphNotes &) const = default;

private:
    std::string Bytes;
};

// The record id of `from` as a record of `to`, added there (the same number
// when both are one block); 0 and code-name notes stay as they are.
uint32_t CopyNote(const TGlyphNotes &from, uint32_t id, TGlyphNotes &to);

// A glyph named after its code in one of the usual ways ("U+0041" as Unifont's
// BDF names them, "uni0041" and "u1F600" as font editors do), or after its code
// in hexadecimal as Bitloom names glyphs, and kept nothing else but perhaps one
// blank line after it (as pcf2bdf writes between glyphs), keeps no record: its
// Notes holds the way it is named and the blank line, a number above every
// record's. The name is made from the code whenever it is asked for, so it
// follows the code when the code changes. A font of 57,000 such glyphs so costs
// no memory for them.
enum TCodeNameWay : uint32_t { CodeNameOfHex = 0, CodeNameUPlus = 1, CodeNameUni = 2 };
constexpr uint32_t CodeNameNotes = UINT32_MAX - 7;
// The note of a glyph named so, 0 (no note) for one named by its hexadecimal
// code with nothing after it.
constexpr uint32_t CodeNameNote(TCodeNameWay way, bool blankAfter)
{
    return way == CodeNameOfHex && !blankAfter ? 0 : CodeNameNotes + 2 * way + (blankAfter ? 1 : 0);
}
constexpr bool IsCodeNameNote(uint32_t id) { return id >= CodeNameNotes; }
constexpr bool BlankLineAfter(uint32_t id) { return IsCodeNameNote(id) && ((id - CodeNameNotes) & 1) != 0; }
// The way name names a glyph of code when it is exactly the code's name in it:
// upper-case digits, no more than needed beyond the least of four (five for
// "u"); for the bare hexadecimal way a negative code counts as its 32-bit
// pattern, as the fixed layout writes it. Nothing otherwise.
std::optional<TCodeNameWay> CodeNameWay(std::string_view name, int32_t code);
// The name a code-name note gives a glyph of code; empty for a glyph named by
// its code in hexadecimal, which counts as no name of its own.
std::string CodeName(uint32_t note, int32_t code);
