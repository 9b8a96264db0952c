// The three stacked grids of the glyph editor: a plain lattice (the grey
// background and the silver bounding-box frame) and the pixel grid the user paints on.
#pragma once

#include "gridgeometry.h"
#include "pixelops.h"

#include <QImage>
#include <QScrollArea>
#include <QWidget>

#include <functional>

// Cells of one colour with 1-pixel lines; takes no input.
class TLatticeGrid : public QWidget {
    Q_OBJECT
public:
    TLatticeGrid(const QColor &cellColour, const QColor &lineColour, QWidget *parent = nullptr);
    // Sets the cell counts (each at least 1) and resizes to one pitch per cell.
    void setCells(int columns, int rows);
    // Sets the cell size in pixels (the zoom); the pitch is one more.
    void setCellSize(int size);
    int columns() const { return Columns; }
    int rows() const { return Rows; }
    int pitch() const { return CellSize + 1; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor CellColour;
    QColor LineColour;
    int Columns = 1;
    int Rows = 1;
    int CellSize = GlyphCellSize;
};

// The tiles of a set and a clear pixel, size x size.
QImage MakeInkTile(int size = GlyphCellSize);
QImage MakePaperTile(int size = GlyphCellSize);

// One cell per pixel of the current glyph. Reports presses and drags as paint
// actions with the pointer's offset from the grid's corner; the form applies them.
class TPixelGrid : public QWidget {
    Q_OBJECT
public:
    explicit TPixelGrid(QWidget *parent = nullptr);
    // The glyph to draw; null draws nothing (no font, or no glyph at the current cell).
    std::function<const TBDFChar *()> CurrentChar;
    void setCells(int columns, int rows);
    void setCellSize(int size);
    int columns() const { return Columns; }
    int rows() const { return Rows; }
    int pitch() const { return CellSize + 1; }
    // Repaints one cell only.
    void updateCell(TGridCell cell);
    // The selected pixels, framed; an empty rectangle shows none.
    void setSelection(const TPixelRect &cells);
    // While the selection tool is on, the left button selects rather than paints.
    void setSelectTool(bool on);

signals:
    void pressed(QPoint offset, TPaintAction action);
    void dragged(QPoint offset, TPaintAction action);
    // The selection tool's press: a selection starts at offset and follows the drag.
    void selectionPressed(QPoint offset);
    void selectionDragged(QPoint offset);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void press(QMouseEvent *event, bool secondOfDouble);
    bool Selecting = false;
    bool SelectTool = false;
    TPixelRect Selection;

    int Columns = 1;
    int Rows = 1;
    int CellSize = GlyphCellSize;
    QImage InkTile;
    QImage PaperTile;
};

// The scrolled area that holds the grids: tells the form when its visible part
// changes size, so the grids' area can be laid out again.
class TEditorScrollArea : public QScrollArea {
    Q_OBJECT
public:
    using QScrollArea::QScrollArea;
    std::function<void()> Resized;
    // Ctrl + wheel: +1 for a notch up (zoom in), -1 for a notch down.
    std::function<void(int notches)> Zoomed;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};
