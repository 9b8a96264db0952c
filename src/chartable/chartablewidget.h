// The character table: 32 x 9 cells, each showing one glyph of the current font
// unscaled, the selected span in blue, empty cells grey.
#pragma once

#include "model/bdfmodel.h"
#include "selection.h"

#include <QImage>
#include <QWidget>

#include <functional>


class QScrollBar;

// The table shows 9 rows at a time. For a font of more than 288 characters it
// has as many rows as the font needs and a scroll bar; every row number it
// reports (current cell, presses, releases) is a row of the whole table.
class TCharTable : public QWidget {
    Q_OBJECT
public:
    explicit TCharTable(QWidget *parent = nullptr);

    // The font to draw; null when no font is current.
    std::function<const TBDFFont *()> CurrentFont;
    // The selection to draw in blue.
    const TCharSelection *Selection = nullptr;

    TTableCell currentCell() const { return Current; }
    // Moves the current cell (clamped to the table) without any signal, and
    // scrolls it into view.
    void setCurrentCell(TTableCell cell);
    // The rectangle of a cell of table row `row` as shown (outside the widget
    // when the row is scrolled out of view).
    QRect cellRect(int row, int col) const;
    // Rows of the whole table, and the first one shown.
    int rowCount() const { return Rows; }
    int topRow() const { return TopRow; }
    void setTopRow(int row);
    // Takes the current font's size: the row count, the scroll bar, and the
    // current cell and first row clamped to them. Then repaints.
    void refresh();
    QScrollBar *scrollBar() const { return Scroll; }
    // Where a glyph picture of this size is drawn for a cell: centred on it.
    QRect pictureRect(int row, int col, QSize picture) const;
    // Repaints the current cell and what its glyph may spill onto.
    void updateCurrentGlyph();

signals:
    // The current cell moved (mouse or keyboard); the form follows it.
    void currentCellChanged(TTableCell cell);
    // Left press on the table, after the pressed cell became current.
    void leftPressed(TTableCell cell);
    // Left release: first the character at the current cell is to be loaded...
    void released();
    // ...then the selection is to be extended to the cell under the pointer
    // (row 9 below the table), only while the table has the focus.
    void leftReleased(TTableCell cell);
    // A keyboard move of the current cell; extend when Shift was held.
    void movedByKeyboard(bool extend);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void moveCurrent(TTableCell cell);
    TTableCell clamped(TTableCell cell) const;
    // The table cell under a point of the widget.
    TTableCell cellAt(QPoint p) const;
    void scrollTo(TTableCell cell);

    TTableCell Current;
    bool LeftDown = false;
    int Rows = TableRows;
    int TopRow = 0;
    QScrollBar *Scroll = nullptr;
};
