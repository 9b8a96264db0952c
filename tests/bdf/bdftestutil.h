// Compact text pictures of fonts, so table rows can state whole expected results.
#pragma once

#include "model/bdfmodel.h"
#include "model/textfuncs.h"

#include <QString>
#include <QStringList>

// "code/width/height/xoff/yoff:row,row" per glyph (codes and rows in hex), blank-separated.
inline QString DumpChars(const TBDFFont &font)
{
    QStringList glyphs;
    for (const TBDFChar &ch : font.Chars) {
        QStringList rows;
        for (uint64_t r : ch.Bitmap)
            rows << QString::fromStdString(FormatHex(r, 1));
        glyphs << QStringLiteral("%1/%2/%3/%4/%5:%6")
                      .arg(QString::fromStdString(FormatHex(static_cast<uint32_t>(ch.Encoding), 1)))
                      .arg(ch.BBXWidth)
                      .arg(ch.BBXHeight)
                      .arg(ch.BBXXOff)
                      .arg(ch.BBXYOff)
                      .arg(rows.join(','));
    }
    return glyphs.join(' ');
}

// "name|size|w h x y|uid|startfont"
inline QString DumpHeader(const TBDFFont &font)
{
    return QStringLiteral("%1|%2|%3 %4 %5 %6|%7|%8")
        .arg(QString::fromStdString(font.FontName), QString::fromStdString(font.Size))
        .arg(font.FBBWidth)
        .arg(font.FBBHeight)
        .arg(font.FBBXOff)
        .arg(font.FBBYOff)
        .arg(QString::fromStdString(FormatUid(font.Uid)), QString::fromStdString(font.StartFont));
}
