#include "glyphgrids.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor GridLineColour(64, 64, 64);

// The cells a repaint rectangle touches, clamped to the grid.
struct TCellRange {
    int FirstCol, LastCol, FirstRow, LastRow;
};

TCellRange Exposed(const QRect &r, int columns, int rows)
{
    return {std::max(0, r.left() / GlyphPitch), std::min(columns - 1, r.right() / GlyphPitch),
            std::max(0, r.top() / GlyphPitch), std::min(rows - 1, r.bottom() / GlyphPitch)};
}

// A bevelled 12 x 12 tile: rim colour on the edge, corners cut, fill inside.
QImage Tile(const QColor &rim, const std::function<QColor(int)> &fillForRow)
{
    QImage img(GlyphCellSize, GlyphCellSize, QImage::Format_RGB32);
    for (int y = 0; y < GlyphCellSize; ++y)
        for (int x = 0; x < GlyphCellSize; ++x) {
            bool edge = x == 0 || y == 0 || x == GlyphCellSize - 1 || y == GlyphCellSize - 1;
            bool corner = (x == 0 || x == GlyphCellSize - 1) && (y == 0 || y == GlyphCellSize - 1);
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
    resize(Columns * GlyphPitch, Rows * GlyphPitch);
    update();
}

void TLatticeGrid::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, LineColour);
    TCellRange c = Exposed(r, Columns, Rows);
    for (int row = c.FirstRow; row <= c.LastRow; ++row)
        for (int col = c.FirstCol; col <= c.LastCol; ++col)
            p.fillRect(col * GlyphPitch, row * GlyphPitch, GlyphCellSize, GlyphCellSize, CellColour);
}

QImage MakeInkTile()
{
    return Tile(Qt::black, [](int y) {
        int v = 94 - 94 * (y - 1) / (GlyphCellSize - 3);
        return QColor(v, v, v);
    });
}

QImage MakePaperTile()
{
    return Tile(QColor(165, 165, 165), [](int y) { return y == 1 ? QColor(230, 230, 230) : QColor(Qt::white); });
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
    resize(Columns * GlyphPitch, Rows * GlyphPitch);
}

void TPixelGrid::updateCell(TGridCell cell)
{
    update(cell.Col * GlyphPitch, cell.Row * GlyphPitch, GlyphPitch, GlyphPitch);
}

void TPixelGrid::paintEvent(QPaintEvent *event)
{
    const TBDFChar *ch = CurrentChar ? CurrentChar() : nullptr;
    if (!ch)
        return;
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, GridLineColour);
    TCellRange c = Exposed(r, Columns, Rows);
    for (int row = c.FirstRow; row <= c.LastRow; ++row) {
        const bool hasRow = static_cast<size_t>(row) < ch->Bitmap.size();
        for (int col = c.FirstCol; col <= c.LastCol; ++col) {
            const QPoint at(col * GlyphPitch, row * GlyphPitch);
            if (!hasRow)
                p.fillRect(QRect(at, QSize(GlyphCellSize, GlyphCellSize)), Qt::white);
            else
                p.drawImage(at, GetBit(*ch, row, GridPixelBit(ch->BBXWidth, Columns, col)) ? InkTile : PaperTile);
        }
    }
}

void TPixelGrid::press(QMouseEvent *event, bool secondOfDouble)
{
    const Qt::MouseButton b = event->button();
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
    TPaintAction action = DragAction(held & Qt::LeftButton, held & Qt::RightButton,
                                     (held & ~(Qt::LeftButton | Qt::RightButton)) != Qt::NoButton,
                                     event->modifiers() != Qt::NoModifier);
    if (action != TPaintAction::None)
        emit dragged(event->position().toPoint(), action);
}

void TEditorScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (Resized)
        Resized();
}
