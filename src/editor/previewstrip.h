// The text preview under the glyph editor: typed text drawn with the current
// font, pixel for pixel as the font places its glyphs, magnified 1 to 4 times.
#pragma once

#include "textpreview.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string_view>

class TTextPreview : public QWidget {
    Q_OBJECT
public:
    explicit TTextPreview(QWidget *parent = nullptr);

    // Draws text with the current font; null when no font is current.
    std::function<TPreviewRaster(std::u32string_view text)> Render;
    // The widget took a new size (the scrolled area around it follows).
    std::function<void()> Resized;

    void setText(const QString &text);
    QString text() const { return Text; }
    // 1 to 4 screen pixels a font pixel.
    void setScale(int scale);
    int scale() const { return Scale; }
    // Draws the text again now.
    void refresh();
    // Draws it again shortly, so that the many edits of a stroke cost a drawing
    // a frame rather than one each.
    void scheduleRefresh();
    // The text as last drawn, one pixel a font pixel: black ink on white, the
    // baseline at row raster().Baseline.
    const QImage &picture() const { return Picture; }
    const TPreviewRaster &raster() const { return Raster; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString Text;
    int Scale = 2;
    QTimer Timer;
    TPreviewRaster Raster;
    QImage Picture;
};

// The largest and smallest magnification.
constexpr int MinPreviewScale = 1;
constexpr int MaxPreviewScale = 4;
