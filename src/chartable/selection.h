// The character table's cells, its selection and the two readings of it.
#pragma once

#include <cstdint>
#include <vector>

// Columns of the character table; every cell-to-index computation uses it.
constexpr int TableColumns = 32;
constexpr int TableRows = 9;
// Cell size in pixels, grid line excluded; each cell is followed by a 1-pixel line.
constexpr int TableCellWidth = 15;
constexpr int TableCellHeight = 18;
constexpr int TableLine = 1;

// First and last selected cell. Kept in reading order by the two mouse steps:
// SelFirstRow * 32 + SelFirstCol <= SelLastRow * 32 + SelLastCol.
struct TCharSelection {
    int SelFirstRow = 0;
    int SelFirstCol = 0;
    int SelLastRow = 0;
    int SelLastCol = 0;

    bool operator==(const TCharSelection &) const = default;
};

struct TTableCell {
    int Row = 0;
    int Col = 0;
    bool operator==(const TTableCell &) const = default;
};

// The cell under a point in table coordinates: rows 0..8, or 9 below the table;
// columns 0..31, a point right of column 30 counting as 31; points above or left
// of the table give row or column 0.
TTableCell TableCellAt(int x, int y);

// Rows of the table for a font of n characters: the 9 visible rows while the
// font fits them (the table then never scrolls), else enough rows for every
// character and the cell right after the last one.
constexpr int TableRowCount(int64_t n)
{
    return n <= int64_t{TableRows} * TableColumns ? TableRows : static_cast<int>(n / TableColumns + 1);
}

// Index of the character a cell stands for.
constexpr int CellIndex(int row, int col)
{
    return row * TableColumns + col;
}

int SpanFirst(const TCharSelection &sel);
int SpanLast(const TCharSelection &sel);
// Whether index lies between the first and the last selected cell in reading order.
bool InSelectedSpan(const TCharSelection &sel, int index);

// The press: the selection becomes the one cell.
void SelectionMouseDown(TCharSelection &sel, TTableCell cell);
// The release: the cell becomes the new last cell when it comes after the last
// one, otherwise the new first cell.
void SelectionMouseUp(TCharSelection &sel, TTableCell cell);

// A keyboard move of the current cell to cell. A plain move makes the selection
// that one cell and the anchor; an extending one (Shift) selects from the anchor
// to cell, the earlier of the two in reading order first.
void SelectionKeyboardMove(TCharSelection &sel, TTableCell &anchor, TTableCell cell, bool extend);

// Where a keyboard move may land in a table of a font of n glyphs: cell, or the
// last glyph's cell when cell lies past it (cell 0 of an empty font).
TTableCell KeyboardTarget(TTableCell cell, int64_t n);

// The rectangle of rows SelFirstRow..SelLastRow by columns SelFirstCol..SelLastCol,
// row by row, as character indices; empty when either range is reversed.
std::vector<int> SelectedBlock(const TCharSelection &sel);
