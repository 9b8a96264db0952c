// The guides over the glyph editor: baseline, ascent, descent and advance lines,
// drawn on a transparent layer above the grids that takes no input.
#pragma once

#include "guides.h"

#include <QColor>
#include <QWidget>

#include <optional>

class TGuideOverlay : public QWidget {
    Q_OBJECT
public:
    explicit TGuideOverlay(QWidget *parent = nullptr);

    // The guides shown, a set of TGuide bits. With none the layer is hidden, so
    // it is neither painted nor kept up to date.
    void setShown(unsigned guides);
    unsigned shown() const { return Shown; }
    // The frame grid's top-left corner in this layer and the grids' cell size.
    void setFrame(QPoint frame, int cellSize);
    // The lines to draw; none while no font is current. Repaints only when they move.
    void setLines(const std::optional<TGuideLines> &lines);

    // Each guide's own colour, also on its menu item.
    static QColor colour(TGuide guide);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    unsigned Shown = 0;
    QPoint Frame;
    int CellSize = 0;
    std::optional<TGuideLines> Lines;
};
