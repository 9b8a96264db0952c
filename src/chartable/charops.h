// Adding, deleting, copying and pasting glyphs of a font, addressed by position.
// Every glyph copied or pasted is a deep copy with rows of its own. A glyph's
// note (its name and what else its file said, TBDFChar::Notes) goes where the
// glyph goes: it moves with it within the font, and is carried in the
// clipboard to whichever font the glyph is pasted into.
#pragma once

#include "model/bdfmodel.h"
#include "selection.h"

#include <optional>
#include <vector>

// Glyphs copied out of a font, with the notes they carry.
struct TCharClipboard {
    std::vector<TBDFChar> Chars;
    TGlyphNotes Notes;

    bool empty() const { return Chars.empty(); }
    size_t size() const { return Chars.size(); }
};

// Inserts a blank glyph, with no note, of the font's box size (at most 64 pixels wide) before position current (or at
// the end when current is past it). A glyph inserted before another starts with
// that one's code and widths; one appended at the end starts at zero; a code of
// 0 becomes the previous glyph's code + 1. Its rows: FBBHeight blank rows (at most
// MaxCreatedRows). Returns the new glyph's position.
int AddChar(TBDFFont &font, int current);

// Position of the first glyph (in Chars order) with this code, or nothing.
std::optional<int> FindCode(const TBDFFont &font, int32_t code);

// Removes the span's glyphs that exist. Returns how many were removed.
int DeleteChars(TBDFFont &font, const TCharSelection &sel);

// Copies of the span's glyphs that exist, in order, with their notes.
TCharClipboard CopyChars(const TBDFFont &font, const TCharSelection &sel);

// Writes the clipboard over the span from its first cell, repeating it to fill a
// longer span and running on past a shorter one; a glyph right after the end is
// appended, and a target further past the end stops the paste. Ordinary paste
// keeps each target's code (0 for appended glyphs) and the note that names it;
// special paste takes the clipboard's code and note. An empty clipboard pastes
// nothing. Returns whether the font changed.
bool PasteChars(TBDFFont &font, const TCharSelection &sel, const TCharClipboard &clipboard, bool special);
