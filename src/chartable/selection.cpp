#include "selection.h"

#include <algorithm>

TTableCell TableCellAt(int x, int y)
{
    TTableCell cell;
    const int rowPitch = TableCellHeight + TableLine;
    const int colPitch = TableCellWidth + TableLine;
    cell.Row = TableRows;
    for (int r = 0; r < TableRows; ++r) {
        if (y < (r + 1) * rowPitch) {
            cell.Row = r;
            break;
        }
    }
    cell.Col = TableColumns - 1;
    for (int j = 0; j < TableColumns - 1; ++j) {
        if (x < (j + 1) * colPitch) {
            cell.Col = j;
            break;
        }
    }
    return cell;
}

int SpanFirst(const TCharSelection &sel)
{
    return CellIndex(sel.SelFirstRow, sel.SelFirstCol);
}

int SpanLast(const TCharSelection &sel)
{
    return CellIndex(sel.SelLastRow, sel.SelLastCol);
}

bool InSelectedSpan(const TCharSelection &sel, int index)
{
    return index >= SpanFirst(sel) && index <= SpanLast(sel);
}

void SelectionMouseDown(TCharSelection &sel, TTableCell cell)
{
    sel.SelFirstRow = sel.SelLastRow = cell.Row;
    sel.SelFirstCol = sel.SelLastCol = cell.Col;
}

void SelectionMouseUp(TCharSelection &sel, TTableCell cell)
{
    if (SpanLast(sel) < CellIndex(cell.Row, cell.Col)) {
        sel.SelLastRow = cell.Row;
        sel.SelLastCol = cell.Col;
    } else {
        sel.SelFirstRow = cell.Row;
        sel.SelFirstCol = cell.Col;
    }
}

void SelectionKeyboardMove(TCharSelection &sel, TTableCell &anchor, TTableCell cell, bool extend)
{
    if (!extend)
        anchor = cell;
    const bool anchorFirst = CellIndex(anchor.Row, anchor.Col) <= CellIndex(cell.Row, cell.Col);
    const TTableCell first = anchorFirst ? anchor : cell, last = anchorFirst ? cell : anchor;
    sel = {first.Row, first.Col, last.Row, last.Col};
}

TTableCell KeyboardTarget(TTableCell cell, int64_t n)
{
    const int64_t last = std::max<int64_t>(n - 1, 0);
    if (CellIndex(cell.Row, cell.Col) <= last)
        return cell;
    return {static_cast<int>(last / TableColumns), static_cast<int>(last % TableColumns)};
}

std::vector<int> SelectedBlock(const TCharSelection &sel)
{
    std::vector<int> cells;
    for (int r = sel.SelFirstRow; r <= sel.SelLastRow; ++r)
        for (int c = sel.SelFirstCol; c <= sel.SelLastCol; ++c)
            cells.push_back(CellIndex(r, c));
    return cells;
}
