// Finding glyphs of a font: by the Unicode block their code lies in, and by name.
// No widgets here.
#pragma once

#include "model/bdfmodel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TUnicodeBlock {
    int64_t First = 0;
    int64_t Last = 0;
    std::string Name;
    bool operator==(const TUnicodeBlock &) const = default;
};

// The blocks of a text in the layout of Unicode's Blocks.txt ("0000..007F; Basic
// Latin" a line; "#" starts a comment), sorted by their first code. Lines that
// are not such a range (a range backwards, past 10FFFF or overlapping an earlier
// block) are skipped; CR LF line ends are taken.
std::vector<TUnicodeBlock> ParseUnicodeBlocks(std::string_view text);

// The block a code lies in (blocks sorted as ParseUnicodeBlocks returns them), or
// none: a code between blocks, negative, or past the last block.
const TUnicodeBlock *BlockOf(const std::vector<TUnicodeBlock> &blocks, int64_t code);

// The first glyph in Chars order whose code lies in block, or none.
std::optional<size_t> FirstGlyphInBlock(const TBDFFont &font, const TUnicodeBlock &block);

// A glyph's name by its position; an empty name is no name.
using TGlyphNames = std::function<std::string(size_t glyph)>;

// The next glyph after `after` (wrapping round to the first, and ending with
// `after` itself) whose name is query; when no name is query, the next whose name
// holds it ignoring ASCII letter case. None for an empty query or no names.
// `after` past the last glyph starts from the first.
std::optional<size_t> FindGlyphByName(size_t count, const TGlyphNames &names, std::string_view query, size_t after);
