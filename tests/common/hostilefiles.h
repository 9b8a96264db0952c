// Things that are not fonts, made at test time: what a careless or hostile user
// may hand the program as a font to read or a file to write.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

// The first bytes of a PNG picture.
inline QByteArray PngBytes()
{
    return QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
}

// Font files whose header lies: a PSF 1 cut after its header, a PSF 2 claiming
// four billion glyphs, one claiming glyphs of four billion bytes, one whose
// header size lies past its end, and a .hex whose second line is damaged.
inline QByteArray LyingFontBytes(const QString &kind)
{
    auto le32 = [](quint32 v) {
        QByteArray b;
        for (int k = 0; k < 4; ++k)
            b.append(char(v >> (8 * k)));
        return b;
    };
    auto psf2 = [&](quint32 headerSize, quint32 count, quint32 charSize, quint32 height, quint32 width) {
        return QByteArray("\x72\xb5\x4a\x86", 4) + le32(0) + le32(headerSize) + le32(0) + le32(count) + le32(charSize) +
               le32(height) + le32(width) + QByteArray(64, '\x55');
    };
    if (kind == "psf1-cut")
        return QByteArray("\x36\x04\x00\x10", 4) + QByteArray(100, '\x7f');
    if (kind == "psf2-billions")
        return psf2(32, 0xFFFFFFFFu, 16, 16, 8);
    if (kind == "psf2-huge-glyphs")
        return psf2(32, 2, 0xFFFFFFFFu, 0xFFFFFFFFu, 8);
    if (kind == "psf2-header-past-end")
        return psf2(0x7FFFFFFFu, 1, 16, 16, 8);
    if (kind == "hex-bad-line")
        return "0041:00000000000000000000000000000000\n0042:0000\n";
    return {};
}

// Makes path into one of: "png" (a picture), "empty" (0 bytes), "fifo", "zero"
// (a link to /dev/zero), "null" (a link to /dev/null), "folder", or a kind of
// LyingFontBytes. Returns whether it was made.
inline bool MakeHostileFile(const QString &kind, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "png" || kind == "empty" || !LyingFontBytes(kind).isEmpty()) {
        QFile f(path);
        const QByteArray bytes = kind == "png" ? PngBytes() : LyingFontBytes(kind);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) >= 0;
    }
    if (kind == "fifo")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == "zero" || kind == "null")
        return ::symlink(kind == "zero" ? "/dev/zero" : "/dev/null", name.constData()) == 0;
    if (kind == "folder")
        return QDir().mkdir(path);
    return false;
}

// A "kind" column with one row per kind, for a data function.
inline void AddHostileRows(std::initializer_list<const char *> kinds)
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : kinds)
        QTest::newRow(kind) << QString::fromLatin1(kind);
}
