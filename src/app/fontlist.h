// Operations of the open-font list that need no window.
#pragma once

#include "bdf/paths.h"
#include "model/bdfmodel.h"

#include <cstdint>
#include <string>
#include <vector>

// Row text of a slot: FontName + " (" + file name without folder + ")".
std::string FontListCaption(const TProjectRecord &slot);

// What quick save writes: each file once. Where several slots name one file,
// the one with unsaved changes is written (the first, when none has any), so an
// unchanged copy never overwrites an edited one; a file with unsaved changes in
// more than one slot is not written at all and is listed in Clashes.
struct TQuickSave {
    std::vector<int> Rows;
    std::vector<std::string> Clashes;
};
TQuickSave PlanQuickSave(const std::vector<TProjectRecord> &fonts);

// Milliseconds since the system started, wrapping at 2^32 like a tick counter.
uint32_t TickCount();

// The slot the new-font command appends: "bitloom.bdf", "bitloom", a 12 x 12 box,
// the given Uid and one blank 12 x 12 glyph of code 0.
TProjectRecord NewFontSlot(uint32_t uid);

// The row the move commands select: the one above (when there is one), the one
// below (from no selection, the first row); otherwise the selection as it is.
int MoveUpIndex(int current);
int MoveDownIndex(int current, int count);

// The project to open at start-up: the first argument when something exists at
// it and its name ends in ".bitloom" exactly (letter case counts); else empty.
std::string StartupProjectArgument(const std::vector<std::string> &args);

// What a file dropped on the window is taken for, by its extension in any
// letter case: ".bdf", ".pcf", ".psf", ".psfu", ".hex" (each also with ".gz")
// a font, ".bitloom" a project, ".ttf" and ".otf" a TrueType
// font to import, ".bmp" a picture to import; anything else is refused.
enum class TDroppedKind { Font, Project, TrueType, Picture, Other };
TDroppedKind DroppedFileKind(const std::string &path);

// Dropped files sorted by kind, each kind in the order dropped. Only the first
// project is opened: later ones go to ExtraProjects; files of no kind to Refused.
struct TDroppedFiles {
    std::string Project;
    std::vector<std::string> Fonts, TrueType, Pictures, ExtraProjects, Refused;
};
TDroppedFiles SortDroppedFiles(const std::vector<std::string> &paths);

// "1 glyph", "N glyphs": how the status line counts what was opened or imported.
std::string GlyphCount(size_t count);
