// The process-wide state of the editor, owned by the main window.
#pragma once

#include "chartable/selection.h"
#include "compiler/project.h"
#include "openfonts.h"
#include "model/bdfmodel.h"

#include <cstdint>
#include <string>
#include <vector>

struct TAppState {
    // The open fonts, mirrored row for row by the font list, and the current one.
    TOpenFonts Fonts;
    // Row * 32 + column of the character table's current cell.
    int CurrentCharIndex = 0;
    TCharSelection CharSelection;
    // Where a Shift+arrow selection starts: the last cell pressed or moved to without Shift.
    TTableCell SelectionAnchor;
    // Copy of the current glyph taken by the load step; what undo restores.
    TBDFChar UndoChar;
    std::vector<TBDFChar> CharClipboard;
    // The project: mirrored row for row by the typeface list.
    std::vector<TTypeface> Typefaces;
    int32_t CollectionUid = 0;
    int32_t KPixelAspectRatio = 0;
    // The project file read last, as an absolute path; its folder holds the typeface pictures.
    std::string ProjectFileName;
    // The font paths as that file wrote them, so that a save over it keeps them.
    std::vector<std::string> ProjectFontTexts;
    // Row trimming of the reader, set by a project.
    int Debug = 0;
    bool ProjectModified = false;
    std::string StatusText;
    // 0x00BBGGRR: 0 black, 255 red, 0x8000 green.
    uint32_t StatusColour = 0;

    TProjectRecord *CurrentSlot() { return Fonts.currentSlot(); }
    TBDFFont *CurrentFont() { return Fonts.currentFont(); }
    // The glyph at the current cell of the current font, or null.
    TBDFChar *CurrentChar()
    {
        TBDFFont *font = CurrentFont();
        if (!font || CurrentCharIndex < 0 || CurrentCharIndex >= static_cast<int>(font->Chars.size()))
            return nullptr;
        return &font->Chars[static_cast<size_t>(CurrentCharIndex)];
    }
    // The typeface of a list row, or null.
    TTypeface *TypefaceAt(int row)
    {
        return row >= 0 && row < static_cast<int>(Typefaces.size()) ? &Typefaces[static_cast<size_t>(row)] : nullptr;
    }
};
