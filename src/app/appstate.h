// The process-wide state of the editor, owned by the main window.
#pragma once

#include "chartable/charops.h"
#include "chartable/selection.h"
#include "compiler/projectmodel.h"
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
    TCharClipboard CharClipboard;
    // The project: typefaces, numbers, its file and unsaved mark.
    TProject Project;
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
};
