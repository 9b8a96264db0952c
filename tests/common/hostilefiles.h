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

// Makes path into one of: "png" (a picture), "empty" (0 bytes), "fifo", "zero"
// (a link to /dev/zero), "null" (a link to /dev/null), "folder". Returns whether
// it was made.
inline bool MakeHostileFile(const QString &kind, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "png" || kind == "empty") {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(kind == "png" ? PngBytes() : QByteArray()) >= 0;
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
