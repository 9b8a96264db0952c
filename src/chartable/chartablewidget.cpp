#include "chartablewidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int ColPitch = TableCellWidth + TableLine;
constexpr int RowPitch = TableCellHeight + TableLine;
const QColor EmptyCell(204, 204, 204);
const QColor SelectedInk(0, 0, 255);

TTableCell ClampToTable(TTableCell c)
{
    return {std::clamp(c.Row, 0, TableRows - 1), std::clamp(c.Col, 0, TableColumns - 1)};
}

} // namespace

QImage GlyphPicture(const TBDFChar &ch, const QColor &ink, int maxHeight)
{
    // A row holds at most 64 columns, whatever width a malformed file claims.
    const int w = std::min(ch.BBXWidth, MaxGlyphWidth);
    const int h = std::min(ch.BBXHeight, maxHeight);
    if (w <= 0 || h <= 0)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QRgb inkRgb = ink.rgb();
    const int rows = std::min<int>(h, static_cast<int>(ch.Bitmap.size()));
    for (int y = 0; y < rows; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (GetPixel(ch, y, x))
                line[x] = inkRgb;
    }
    return img;
}

TCharTable::TCharTable(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(TableColumns * ColPitch, TableRows * RowPitch);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect TCharTable::cellRect(int row, int col) const
{
    return QRect(col * ColPitch, row * RowPitch, TableCellWidth, TableCellHeight);
}

QRect TCharTable::pictureRect(int row, int col, QSize picture) const
{
    // Centred with truncating halves; a big glyph may spill over its neighbours.
    const QRect r = cellRect(row, col);
    const int right = r.left() + r.width(), bottom = r.top() + r.height();
    return QRect(QPoint((r.left() + right - picture.width()) / 2, (r.top() + bottom - picture.height()) / 2), picture);
}

void TCharTable::setCurrentCell(TTableCell cell)
{
    cell = ClampToTable(cell);
    if (cell == Current)
        return;
    update(cellRect(Current.Row, Current.Col));
    Current = cell;
    update(cellRect(Current.Row, Current.Col));
}

void TCharTable::moveCurrent(TTableCell cell)
{
    cell = ClampToTable(cell);
    if (cell == Current)
        return;
    setCurrentCell(cell);
    emit currentCellChanged(Current);
}

void TCharTable::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Mid));
    const TBDFFont *font = CurrentFont ? CurrentFont() : nullptr;
    const QColor highlight = palette().color(hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
    for (int row = 0; row < TableRows; ++row) {
        for (int col = 0; col < TableColumns; ++col) {
            const QRect r = cellRect(row, col);
            // A picture may spill half its size past its cell: 64 columns at most, and the table's height.
            if (!event->rect().intersects(r.adjusted(-MaxGlyphWidth / 2, -height() / 2, MaxGlyphWidth / 2, height() / 2)))
                continue;
            const bool current = row == Current.Row && col == Current.Col;
            const int i = CellIndex(row, col);
            if (font && i < static_cast<int>(font->Chars.size())) {
                p.fillRect(r, current ? highlight : palette().color(QPalette::Base));
                const TBDFChar &ch = font->Chars[static_cast<size_t>(i)];
                const bool selected = Selection && InSelectedSpan(*Selection, i);
                QImage pic = GlyphPicture(ch, selected ? SelectedInk : QColor(Qt::black), height());
                if (!pic.isNull())
                    p.drawImage(pictureRect(row, col, pic.size()).topLeft(), pic);
            } else {
                p.fillRect(r, EmptyCell);
            }
        }
    }
    if (hasFocus()) {
        QRect r = cellRect(Current.Row, Current.Col);
        QPen pen(palette().color(QPalette::Text), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void TCharTable::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    LeftDown = true;
    const TTableCell cell = TableCellAt(event->position().toPoint().x(), event->position().toPoint().y());
    moveCurrent(cell);
    emit leftPressed(cell);
}

void TCharTable::mouseMoveEvent(QMouseEvent *event)
{
    if (LeftDown && (event->buttons() & Qt::LeftButton))
        moveCurrent(TableCellAt(event->position().toPoint().x(), event->position().toPoint().y()));
}

void TCharTable::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !LeftDown)
        return;
    LeftDown = false;
    const TTableCell cell = TableCellAt(event->position().toPoint().x(), event->position().toPoint().y());
    // The release point is where the drag ended, even without a move event before it.
    moveCurrent(cell);
    emit released();
    if (hasFocus())
        emit leftReleased(cell);
}

void TCharTable::keyPressEvent(QKeyEvent *event)
{
    TTableCell c = Current;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        --c.Col;
        break;
    case Qt::Key_Right:
        ++c.Col;
        break;
    case Qt::Key_Up:
        --c.Row;
        break;
    case Qt::Key_Down:
        ++c.Row;
        break;
    case Qt::Key_Home:
        c.Col = 0;
        if (ctrl)
            c.Row = 0;
        break;
    case Qt::Key_End:
        c.Col = TableColumns - 1;
        if (ctrl)
            c.Row = TableRows - 1;
        break;
    case Qt::Key_PageUp:
        c.Row = 0;
        break;
    case Qt::Key_PageDown:
        c.Row = TableRows - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    c = ClampToTable(c);
    if (c == Current)
        return;
    moveCurrent(c);
    emit movedByKeyboard();
}

void TCharTable::updateCurrentGlyph()
{
    QRect area = cellRect(Current.Row, Current.Col);
    const TBDFFont *font = CurrentFont ? CurrentFont() : nullptr;
    const int i = CellIndex(Current.Row, Current.Col);
    if (font && i < static_cast<int>(font->Chars.size())) {
        const TBDFChar &ch = font->Chars[static_cast<size_t>(i)];
        const QSize picture(std::clamp(ch.BBXWidth, 0, MaxGlyphWidth), std::clamp(ch.BBXHeight, 0, height()));
        area |= pictureRect(Current.Row, Current.Col, picture);
    }
    update(area);
}

void TCharTable::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TCharTable::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
