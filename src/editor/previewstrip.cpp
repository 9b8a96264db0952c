#include "previewstrip.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// White space around the text, in screen pixels.
constexpr int Margin = 4;

} // namespace

TTextPreview::TTextPreview(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(2 * Margin, 2 * Margin);
    Timer.setSingleShot(true);
    Timer.setInterval(16);
    connect(&Timer, &QTimer::timeout, this, &TTextPreview::refresh);
}

void TTextPreview::setText(const QString &text)
{
    Text = text;
    refresh();
}

void TTextPreview::setScale(int scale)
{
    Scale = std::clamp(scale, MinPreviewScale, MaxPreviewScale);
    refresh();
}

void TTextPreview::scheduleRefresh()
{
    // Once a frame at most: a drag's edits come faster than anyone reads the preview.
    if (!Timer.isActive())
        Timer.start();
}

void TTextPreview::refresh()
{
    Timer.stop();
    const QList<uint> codes = Text.toUcs4();
    const std::u32string text(codes.begin(), codes.end());
    Raster = Render ? Render(text) : TPreviewRaster{};
    // The ink bytes are the colour indexes: 0 paper, 1 ink.
    QImage indexed(Raster.Width, Raster.Height, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < Raster.Height; ++y)
        std::memcpy(indexed.scanLine(y), Raster.Ink.data() + size_t(y) * size_t(Raster.Width), size_t(Raster.Width));
    // Converted once here rather than at every paint.
    Picture = indexed.convertToFormat(QImage::Format_RGB32);
    const QSize size(2 * Margin + Raster.Width * Scale, 2 * Margin + Raster.Height * Scale);
    if (size != this->size()) {
        resize(size);
        if (Resized)
            Resized();
    }
    update();
}

void TTextPreview::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    p.drawImage(QRect(Margin, Margin, Picture.width() * Scale, Picture.height() * Scale), Picture);
}
