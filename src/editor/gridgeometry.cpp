#include "gridgeometry.h"

#include <algorithm>

int ClampCells(int64_t cells)
{
    return static_cast<int>(std::clamp<int64_t>(cells, 1, MaxGridCells));
}

int GridColumns(const TBDFChar &ch)
{
    return ClampCells(ch.BBXWidth);
}

int GridRows(const TBDFChar &ch)
{
    return ClampCells(ch.BBXHeight);
}

int GridPixelBit(int32_t width, int columns, int x)
{
    const int64_t bit = 8 * static_cast<int64_t>(RowBytes(width)) - width + (int64_t{columns} - 1 - x);
    return bit < 0 || bit > 63 ? -1 : static_cast<int>(bit);
}

std::optional<TGridCell> GridCellAt(int dx, int dy, int columns, int rows, int pitch)
{
    int col = dx < 0 ? 0 : dx / pitch;
    if (col > columns - 1)
        col = columns - 1;
    int row = dy < 0 ? 0 : dy / pitch;
    if (row >= rows)
        return std::nullopt;
    return TGridCell{col < 0 ? 0 : col, row};
}

TGridOffset PixelGridOffset(int frameRows, const TBDFChar &ch, int pitch)
{
    // Offsets from a malformed file can be anything a 32-bit number holds; the
    // grid is then far outside the view, but never at a wrapped-around place.
    constexpr int64_t Limit = 16000000;
    const int64_t left = int64_t{ch.BBXXOff} * pitch;
    const int64_t top = (int64_t{frameRows} - ch.BBXHeight - ch.BBXYOff) * pitch;
    return {static_cast<int>(std::clamp(left, -Limit, Limit)), static_cast<int>(std::clamp(top, -Limit, Limit))};
}

TPaintAction PressAction(bool left, bool right, bool ctrlOnly, bool othersHeld)
{
    if (left && ctrlOnly && !othersHeld)
        return TPaintAction::Toggle;
    if (right)
        return TPaintAction::Clear;
    if (left)
        return TPaintAction::Set;
    return TPaintAction::None;
}

TPaintAction DragAction(bool leftHeld, bool rightHeld, bool otherButtonHeld, bool anyKey)
{
    if (anyKey || otherButtonHeld || leftHeld == rightHeld)
        return TPaintAction::None;
    return leftHeld ? TPaintAction::Set : TPaintAction::Clear;
}

bool ApplyPaint(TBDFChar &ch, TGridCell cell, TPaintAction action, int columns)
{
    if (action == TPaintAction::None || cell.Row < 0 || static_cast<size_t>(cell.Row) >= ch.Bitmap.size())
        return false;
    const int bit = GridPixelBit(ch.BBXWidth, columns, cell.Col);
    switch (action) {
    case TPaintAction::Set:
        SetBit(ch, cell.Row, bit);
        break;
    case TPaintAction::Clear:
        ClearBit(ch, cell.Row, bit);
        break;
    case TPaintAction::Toggle:
        ToggleBit(ch, cell.Row, bit);
        break;
    case TPaintAction::None:
        break;
    }
    return true;
}

TEditorLayout LayOutEditor(int frameColumns, int frameRows, TGridOffset grid, int gridColumns, int gridRows,
                           int viewWidth, int viewHeight, int pitch, int64_t lineAbove, int64_t lineBelow)
{
    // A widget is at most 16,777,215 pixels in each direction.
    constexpr int64_t MaxSize = 16777215;
    constexpr int64_t Slack = 4;
    const int64_t frameW = int64_t{frameColumns} * pitch, frameH = int64_t{frameRows} * pitch;
    const int64_t gridW = int64_t{gridColumns} * pitch, gridH = int64_t{gridRows} * pitch;
    const int64_t x = std::max<int64_t>(FrameLeft, Slack - grid.Left);
    // A line from a malformed box can be billions of rows away: it is kept no
    // further than a widget reaches.
    const int64_t above = std::clamp<int64_t>(lineAbove, 0, MaxGridCells) * pitch;
    const int64_t below = std::clamp<int64_t>(lineBelow, 0, MaxGridCells) * pitch;
    const int64_t y = std::max<int64_t>({FrameTop, Slack - grid.Top, Slack + above});
    const int64_t right = std::max(x + frameW, x + grid.Left + gridW) + FrameLeft;
    const int64_t bottom = std::max({y + frameH, y + grid.Top + gridH, y + frameH + below}) + FrameTop;
    auto clampSize = [&](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, MaxSize)); };

    TEditorLayout l;
    l.FrameX = clampSize(x);
    l.FrameY = clampSize(y);
    l.GridX = clampSize(x + grid.Left);
    l.GridY = clampSize(y + grid.Top);
    l.Width = clampSize(std::max<int64_t>(right, viewWidth));
    l.Height = clampSize(std::max<int64_t>(bottom, viewHeight));
    l.BackX = static_cast<int>(x % pitch);
    l.BackY = static_cast<int>(y % pitch);
    l.BackColumns = ClampCells((l.Width - l.BackX) / pitch + 1);
    l.BackRows = ClampCells((l.Height - l.BackY) / pitch + 1);
    return l;
}
