#include "guideoverlay.h"

#include <QPaintEvent>
#include <QPainter>

TGuideOverlay::TGuideOverlay(QWidget *parent) : QWidget(parent)
{
    // Presses, drags and the cursor belong to the pixel grid underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

QColor TGuideOverlay::colour(TGuide guide)
{
    switch (guide) {
    case BaselineGuide:
        return QColor(220, 0, 0, 200);
    case AscentGuide:
        return QColor(0, 90, 255, 200);
    case DescentGuide:
        return QColor(0, 160, 0, 200);
    case AdvanceGuide:
        return QColor(230, 0, 230, 200);
    }
    return QColor();
}

void TGuideOverlay::setShown(unsigned guides)
{
    Shown = guides & AllGuides;
    setVisible(Shown != 0);
    update();
}

void TGuideOverlay::setFrame(QPoint frame, int cellSize)
{
    if (frame == Frame && cellSize == CellSize)
        return;
    Frame = frame;
    CellSize = cellSize;
    update();
}

void TGuideOverlay::setLines(const std::optional<TGuideLines> &lines)
{
    if (lines == Lines)
        return;
    Lines = lines;
    update();
}

void TGuideOverlay::paintEvent(QPaintEvent *)
{
    if (!Lines)
        return;
    QPainter p(this);
    const auto across = [&](TGuide guide, int64_t line) {
        if (!(Shown & guide))
            return;
        const TGuideBand band = GuideBand(line, CellSize);
        p.fillRect(QRect(0, Frame.y() + band.Start, width(), band.Thickness), colour(guide));
    };
    across(DescentGuide, Lines->Descent);
    across(AscentGuide, Lines->Ascent);
    across(BaselineGuide, Lines->Baseline);
    if ((Shown & AdvanceGuide) && Lines->Advance) {
        const TGuideBand band = GuideBand(*Lines->Advance, CellSize);
        p.fillRect(QRect(Frame.x() + band.Start, 0, band.Thickness, height()), colour(AdvanceGuide));
    }
}
