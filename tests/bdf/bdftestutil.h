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

// What a font kept beyond its fields: "properties | header lines | glyph notes".
// A property is NAME=value, NAME="value" when quoted; a line is place:text
// (props<n> for the property block, before property n); a glyph with a note is
// i:name/second ENCODING number/its lines.
inline QString DumpKept(const TBDFFont &font)
{
    static const char *const places[] = {"start",  "startfont", "font",   "size",   "box",    "props",   "endprops",
                                         "chars",  "startchar", "encoding", "swidth", "dwidth", "bbx", "endchar"};
    auto lines = [](std::string_view packed) {
        QStringList out;
        TKeptLine line;
        while (TKeptLines::Next(packed, line)) {
            QString place = places[int(line.Place)];
            if (line.Place == TLinePlace::InProperties)
                place += QString::number(line.Index);
            out << place + ":" + QString::fromStdString(std::string(line.Text));
        }
        return out.join(',');
    };
    QStringList properties;
    for (const TBDFProperty &p : font.Properties) {
        const QString value = QString::fromStdString(p.Value);
        properties << QString::fromStdString(p.Name) + "=" + (p.Quoted ? "\"" + value + "\"" : value);
    }
    QStringList glyphs;
    for (size_t i = 0; i < font.Chars.size(); ++i) {
        const TGlyphNote note = font.GlyphNotes.get(font.Chars[i].Notes);
        if (!note.empty())
            glyphs << QStringLiteral("%1:%2/%3/%4")
                          .arg(i)
                          .arg(QString::fromStdString(std::string(note.Name)))
                          .arg(note.Encoding2 ? QString::number(*note.Encoding2) : QString())
                          .arg(lines(note.Lines));
    }
    return properties.join(',') + " | " + lines(font.HeaderLines.packed()) + " | " + glyphs.join(' ');
}
