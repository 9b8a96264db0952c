#include "chartablewidget.h"

#include "app/uikit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int ColPitch = TableCellWidth + TableLine;
constexpr int RowPitch = TableCellHeight + TableLine;
const QColor EmptyCell(204, 204, 204);
const QColor SelectedInk(0, 0, 255);


} // namespace

TCharTable::TCharTable(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(TableColumns * ColPitch, TableRows * RowPitch);
    setAttribute(Qt::WA_OpaquePaintEvent);
    Scroll = new QScrollBar(Qt::Vertical, parent);
    Scroll->setFixedHeight(TableRows * RowPitch);
    Scroll->setPageStep(TableRows);
    Scroll->setSingleStep(1);
    Scroll->setRange(0, 0);
    Scroll->hide();
    connect(Scroll, &QScrollBar::valueChanged, this, &TCharTable::setTopRow);
}

QRect TCharTable::cellRect(int row, int col) const
{
    return QRect(col * ColPitch, (row - TopRow) * RowPitch, TableCellWidth, TableCellHeight);
}

TTableCell TCharTable::clamped(TTableCell c) const
{
    return {std::clamp(c.Row, 0, Rows - 1), std::clamp(c.Col, 0, TableColumns - 1)};
}

TTableCell TCharTable::cellAt(QPoint p) const
{
    TTableCell cell = TableCellAt(p.x(), p.y());
    cell.Row += TopRow;
    return cell;
}

void TCharTable::setTopRow(int row)
{
    row = std::clamp(row, 0, Rows - TableRows);
    if (row == TopRow)
        return;
    TopRow = row;
    if (Scroll->value() != row)
        Scroll->setValue(row);
    update();
}

void TCharTable::scrollTo(TTableCell cell)
{
    if (cell.Row < TopRow)
        setTopRow(cell.Row);
    else if (cell.Row >= TopRow + TableRows)
        setTopRow(cell.Row - TableRows + 1);
}

void TCharTable::refresh()
{
    const TBDFFont *font = CurrentFont ? CurrentFont() : nullptr;
    const int rows = TableRowCount(font ? static_cast<int64_t>(font->Chars.size()) : 0);
    if (rows != Rows) {
        Rows = rows;
        Scroll->setRange(0, Rows - TableRows);
        Scroll->setVisible(Rows > TableRows);
        Current = clamped(Current);
        setTopRow(std::min(TopRow, Rows - TableRows));
    }
    update();
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
    cell = clamped(cell);
    scrollTo(cell);
    if (cell == Current)
        return;
    update(cellRect(Current.Row, Current.Col));
    Current = cell;
    update(cellRect(Current.Row, Current.Col));
}

void TCharTable::moveCurrent(TTableCell cell)
{
    cell = clamped(cell);
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
    // Only the visible rows are drawn: a repaint costs the same for any font size.
    for (int row = TopRow; row < TopRow + TableRows; ++row) {
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
    const TTableCell cell = cellAt(event->position().toPoint());
    moveCurrent(cell);
    emit leftPressed(cell);
}

void TCharTable::mouseMoveEvent(QMouseEvent *event)
{
    if (LeftDown && (event->buttons() & Qt::LeftButton))
        moveCurrent(cellAt(event->position().toPoint()));
}

void TCharTable::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !LeftDown)
        return;
    LeftDown = false;
    const TTableCell cell = cellAt(event->position().toPoint());
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
            c.Row = Rows - 1;
        break;
    // A page is the nine rows shown: in a table that does not scroll, its first and last row.
    case Qt::Key_PageUp:
        c.Row = Rows > TableRows ? c.Row - TableRows : 0;
        break;
    case Qt::Key_PageDown:
        c.Row = Rows > TableRows ? c.Row + TableRows : TableRows - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // Keys stop at the last glyph: past it the editor would show no glyph at all.
    const TBDFFont *font = CurrentFont ? CurrentFont() : nullptr;
    c = KeyboardTarget(clamped(c), font ? static_cast<int64_t>(font->Chars.size()) : 0);
    if (c == Current)
        return;
    moveCurrent(c);
    emit movedByKeyboard(event->modifiers() & Qt::ShiftModifier);
}

void TCharTable::wheelEvent(QWheelEvent *event)
{
    if (Rows <= TableRows) {
        QWidget::wheelEvent(event);
        return;
    }
    // Three rows a notch; a fine-grained wheel moves at least one.
    const int delta = event->angleDelta().y();
    int rows = delta / 40;
    if (rows == 0 && delta != 0)
        rows = delta > 0 ? 1 : -1;
    setTopRow(TopRow - rows);
    event->accept();
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
