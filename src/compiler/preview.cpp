#include "preview.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// A preview wider or taller than this shows nothing more in its 282 x 40 box.
constexpr int64_t MaxPreviewSide = 16384;

} // namespace

void SplitBitmap(QImage &preview, const QImage &glyph, int32_t fontHeight, int32_t extra, int32_t yOffset)
{
    const int64_t h = fontHeight;
    const int64_t height = std::min<int64_t>(std::max<int64_t>(preview.height(), 2 * h), MaxPreviewSide);
    const int64_t width =
        std::min<int64_t>(int64_t{preview.width()} + glyph.width() + std::max<int32_t>(extra, 0), MaxPreviewSide);
    QImage grown(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    grown.fill(Qt::white);
    {
        QPainter p(&grown);
        p.drawImage(0, 0, preview);
    }
    const int64_t half = std::llabs(h / 2);
    const int64_t shift = std::clamp<int64_t>(yOffset, -half, half);
    const int64_t left = width - glyph.width();
    const int64_t top = h + h / 2 - shift - glyph.height();
    for (int y = 0; y < glyph.height(); ++y) {
        const int64_t row = top + y;
        if (row < 0 || row >= height)
            continue;
        auto *to = reinterpret_cast<QRgb *>(grown.scanLine(static_cast<int>(row)));
        for (int x = 0; x < glyph.width(); ++x)
            if (left + x >= 0)
                to[left + x] = glyph.pixel(x, y);
    }
    preview = grown;
}
