// The typeface preview: glyphs appended one by one to a picture, black on white.
#pragma once

#include <QImage>

// Appends glyph to the right of preview, after `extra` white columns: the
// preview grows to at least twice the font height, and the glyph's bottom row
// sits on the baseline (row fontHeight + fontHeight / 2) moved up by its y offset,
// which counts for at most half the font height either way. Rows that fall
// outside the preview are left out. Sizes from malformed fonts are bounded.
void SplitBitmap(QImage &preview, const QImage &glyph, int32_t fontHeight, int32_t extra, int32_t yOffset);
