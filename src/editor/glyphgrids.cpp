#include "glyphgrids.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

const QColor GridLineColour(64, 64, 64);

// The cells a repaint rectangle touches, clamped to the grid.
struct TCellRange {
    int FirstCol, LastCol, FirstRow, LastRow;
};

TCellRange Exposed(const QRect &r, int columns, int rows, int pitch)
{
    return {std::max(0, r.left() / pitch), std::min(columns - 1, r.right() / pitch), std::max(0, r.top() / pitch),
            std::min(rows - 1, r.bottom() / pitch)};
}

// A bevelled size x size tile: rim colour on the edge, corners cut, fill inside.
QImage Tile(int size, const QColor &rim, const std::function<QColor(int)> &fillForRow)
{
    QImage img(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
            img.setPixelColor(x, y, corner ? GridLineColour : edge ? rim : fillForRow(y));
        }
    return img;
}

} // namespace

TLatticeGrid::TLatticeGrid(const QColor &cellColour, const QColor &lineColour, QWidget *parent)
    : QWidget(parent), CellColour(cellColour), LineColour(lineColour)
{
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCells(1, 1);
}

void TLatticeGrid::setCells(int columns, int rows)
{
    Columns = ClampCells(columns);
    Rows = ClampCells(rows);
    // A widget is at most 16,777,215 pixels a side.
    resize(std::min<int64_t>(int64_t{Columns} * pitch(), 16777215), std::min<int64_t>(int64_t{Rows} * pitch(), 16777215));
    update();
}

void TLatticeGrid::setCellSize(int size)
{
    CellSize = ClampCellSize(size);
    setCells(Columns, Rows);
}

void TLatticeGrid::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, LineColour);
    const int step = pitch();
    TCellRange c = Exposed(r, Columns, Rows, step);
    for (int row = c.FirstRow; row <= c.LastRow; ++row)
        for (int col = c.FirstCol; col <= c.LastCol; ++col)
            p.fillRect(col * step, row * step, CellSize, CellSize, CellColour);
}

QImage MakeInkTile(int size)
{
    return Tile(size, Qt::black, [size](int y) {
        int v = std::clamp(94 - 94 * (y - 1) / std::max(size - 3, 1), 0, 255);
        return QColor(v, v, v);
    });
}

QImage MakePaperTile(int size)
{
    return Tile(size, QColor(165, 165, 165), [](int y) { return y == 1 ? QColor(230, 230, 230) : QColor(Qt::white); });
}

TPixelGrid::TPixelGrid(QWidget *parent) : QWidget(parent), InkTile(MakeInkTile()), PaperTile(MakePaperTile())
{
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::ClickFocus);
    setCells(1, 1);
}

void TPixelGrid::setCells(int columns, int rows)
{
    Columns = ClampCells(columns);
    Rows = ClampCells(rows);
    resize(std::min<int64_t>(int64_t{Columns} * pitch(), 16777215), std::min<int64_t>(int64_t{Rows} * pitch(), 16777215));
}

void TPixelGrid::setCellSize(int size)
{
    CellSize = ClampCellSize(size);
    InkTile = MakeInkTile(CellSize);
    PaperTile = MakePaperTile(CellSize);
    setCells(Columns, Rows);
    update();
}

void TPixelGrid::updateCell(TGridCell cell)
{
    update(cell.Col * pitch(), cell.Row * pitch(), pitch(), pitch());
}

void TPixelGrid::paintEvent(QPaintEvent *event)
{
    const TBDFChar *ch = CurrentChar ? CurrentChar() : nullptr;
    if (!ch)
        return;
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, GridLineColour);
    const int step = pitch();
    TCellRange c = Exposed(r, Columns, Rows, step);
    for (int row = c.FirstRow; row <= c.LastRow; ++row) {
        const bool hasRow = static_cast<size_t>(row) < ch->Bitmap.size();
        for (int col = c.FirstCol; col <= c.LastCol; ++col) {
            const QPoint at(col * step, row * step);
            if (!hasRow)
                p.fillRect(QRect(at, QSize(CellSize, CellSize)), Qt::white);
            else
                p.drawImage(at, GetBit(*ch, row, GridPixelBit(ch->BBXWidth, Columns, col)) ? InkTile : PaperTile);
        }
    }
    if (!Selection.empty()) {
        // The selected pixels inside a dashed frame on the grid lines around them.
        p.setPen(QPen(QColor(0, 90, 200), 2, Qt::DashLine));
        p.setBrush(QColor(0, 90, 200, 40));
        p.drawRect(QRect(Selection.Left * step - 1, Selection.Top * step - 1, Selection.Width * step + 1,
                         Selection.Height * step + 1));
    }
}

void TPixelGrid::setSelectTool(bool on)
{
    SelectTool = on;
    setCursor(on ? Qt::PointingHandCursor : Qt::CrossCursor);
}

void TPixelGrid::setSelection(const TPixelRect &cells)
{
    if (cells == Selection)
        return;
    Selection = cells;
    update();
}

void TPixelGrid::press(QMouseEvent *event, bool secondOfDouble)
{
    const Qt::MouseButton b = event->button();
    // With the selection tool the left button selects pixels instead of painting them.
    if (b == Qt::LeftButton && SelectTool) {
        Selecting = true;
        emit selectionPressed(event->position().toPoint());
        return;
    }
    const bool ctrlOnly = event->modifiers() == Qt::ControlModifier;
    const bool othersHeld = secondOfDouble || (event->buttons() & ~Qt::MouseButtons(b)) != Qt::NoButton;
    TPaintAction action = PressAction(b == Qt::LeftButton, b == Qt::RightButton, ctrlOnly, othersHeld);
    if (action != TPaintAction::None)
        emit pressed(event->position().toPoint(), action);
}

void TPixelGrid::mousePressEvent(QMouseEvent *event)
{
    press(event, false);
}

void TPixelGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    press(event, true);
}

void TPixelGrid::mouseMoveEvent(QMouseEvent *event)
{
    const Qt::MouseButtons held = event->buttons();
    if (Selecting) {
        if (held & Qt::LeftButton)
            emit selectionDragged(event->position().toPoint());
        return;
    }
    TPaintAction action = DragAction(held & Qt::LeftButton, held & Qt::RightButton,
                                     (held & ~(Qt::LeftButton | Qt::RightButton)) != Qt::NoButton,
                                     event->modifiers() != Qt::NoModifier);
    if (action != TPaintAction::None)
        emit dragged(event->position().toPoint(), action);
}

void TPixelGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Selecting = false;
}

void TEditorScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (Resized)
        Resized();
}

void TEditorScrollArea::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (Zoomed) {
            const int delta = event->angleDelta().y();
            Zoomed(delta > 0 ? 1 : delta < 0 ? -1 : 0);
        }
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}
