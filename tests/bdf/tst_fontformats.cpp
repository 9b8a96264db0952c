// The console (PSF 1, PSF 2) and Unifont (.hex) formats and gzip: hostile files
// end in clear errors, fonts go round through the writers, and real console
// fonts and unifont.hex read as a plain reading of their bytes says.
#include "bdf/fontformat.h"
#include "bdf/gzipdata.h"
#include "bdf/psffont.h"
#include "bdftestutil.h"
#include "common/hostilefiles.h"
#include "model/fileerror.h"

#include <QtTest>

namespace {

std::string_view View(const QByteArray &b)
{
    return std::string_view(b.constData(), static_cast<size_t>(b.size()));
}

QByteArray Bytes(const TByteBuffer &b)
{
    return QByteArray(b.data(), qsizetype(b.size()));
}

QByteArray Gzip(const QByteArray &b)
{
    return Bytes(DeflateGzip(View(b)));
}

QByteArray Le16(quint16 v)
{
    return QByteArray(1, char(v)) + char(v >> 8);
}

// A PSF 1 font of count glyphs 8x4 (glyph i's rows i, i+1, i+2, i+3), with a
// table when given one: per glyph its codes and sequences as 16-bit units.
QByteArray Psf1(int count, const QList<QList<quint16>> &table)
{
    const char mode = char((count == 512 ? 1 : 0) | (table.isEmpty() ? 0 : 6));
    QByteArray b = QByteArray("\x36\x04", 2) + mode + char(4);
    for (int i = 0; i < count; ++i)
        for (int r = 0; r < 4; ++r)
            b += char(i + r);
    for (int i = 0; i < count && !table.isEmpty(); ++i) {
        for (quint16 u : table.value(i))
            b += Le16(u);
        b += Le16(0xFFFF);
    }
    return b;
}

// Every glyph as code/place/picture, and the sequences its note keeps.
QString Dump(const TBDFFont &font)
{
    QStringList out;
    for (const TBDFChar &ch : font.Chars) {
        const TGlyphNote note = font.GlyphNotes.get(ch.Notes);
        QString lines;
        TKeptLine line;
        std::string_view packed = note.Lines;
        while (TKeptLines::Next(packed, line))
            lines += "|" + QString::fromStdString(std::string(line.Text));
        out << QString::number(ch.Encoding) + "@" + (note.Encoding2 ? QString::number(*note.Encoding2) : "-") + lines;
    }
    return DumpChars(font) + "\n" + out.join(' ');
}

TFontReadReport Parse(const QByteArray &bytes, TBDFFont &font)
{
    return ParseFont(View(bytes), "test", font);
}

} // namespace

class TstFontFormats : public QObject {
    Q_OBJECT
private slots:
    void hostile_data();
    void hostile();
    void codes_data();
    void codes();
    void roundTrip_data();
    void roundTrip();
    void joinedMembers();
    void refusals_data();
    void refusals();
    void paths_data();
    void paths();
    void consoleFonts();
    void unifontSlice();
};

void TstFontFormats::hostile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    for (const char *kind : {"fifo", "zero", "folder"})
        QTest::newRow(kind) << kind << "";
    QTest::newRow("png") << "png" << "not a font Bitloom can read";
    QTest::newRow("empty") << "empty" << "not a font Bitloom can read";
    QTest::newRow("psf1-cut") << "psf1-cut" << "claims 256 glyphs";
    QTest::newRow("psf2-billions") << "psf2-billions" << "claims 4294967295 glyphs";
    QTest::newRow("psf2-huge-glyphs") << "psf2-huge-glyphs" << "claims 2 glyphs of 4294967295 bytes";
    QTest::newRow("psf2-header-past-end") << "psf2-header-past-end" << "header size";
    QTest::newRow("hex-bad-line") << "hex-bad-line" << "line 2 is not a .hex glyph";
    QTest::newRow("gzip-bomb") << "gzip-bomb" << "more than 2097152 bytes";
    // A trailer claiming less than the data inflates to is not believed past the cap.
    QTest::newRow("gzip-bomb-small-trailer") << "gzip-bomb-small-trailer" << "more than 2097152 bytes";
    QTest::newRow("gzip-cut") << "gzip-cut" << "cut short";
    QTest::newRow("gzip-damaged") << "gzip-damaged" << "damaged";
    QTest::newRow("pcf") << "pcf" << "PCF";
}

// Each ends in a TFileError naming the file, the font left as it was.
void TstFontFormats::hostile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("f");
    const QByteArray psf = Psf1(256, {});
    QByteArray bytes;
    if (kind == "gzip-bomb") // a PSF 1 header and 64 MiB of zeros
        bytes = Gzip(psf + QByteArray(64 << 20, '\0'));
    else if (kind == "gzip-bomb-small-trailer")
        bytes = Gzip(psf + QByteArray(64 << 20, '\0')).chopped(4) + QByteArray("\0\0\x10\0", 4);
    else if (kind == "gzip-cut")
        bytes = Gzip(psf).left(Gzip(psf).size() / 2);
    else if (kind == "gzip-damaged")
        bytes = Gzip(psf).replace(12, 8, "\xff\xff\xff\xff\xff\xff\xff\xff");
    else if (kind == "pcf")
        bytes = QByteArray("\x01" "fcp", 4) + QByteArray(100, '\0');
    if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    } else {
        QVERIFY(MakeHostileFile(kind, path));
    }
    TBDFFont font;
    font.FontName = "kept";
    try {
        OpenFont(path.toStdString(), font);
        QFAIL("no error");
    } catch (const TFileError &e) {
        QVERIFY2(QString(e.what()).contains(path) && QString(e.what()).contains(reason), e.what());
    }
    QCOMPARE(font.FontName, std::string("kept"));
}

void TstFontFormats::codes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    // Glyph 0 has two codes and a sequence, glyph 1 none, glyph 2 one.
    const QList<QList<quint16>> table = {{0x41, 0x391, 0xFFFE, 0x41, 0x300}, {}, {0x42}};
    QTest::newRow("psf1 table") << Psf1(256, table) << "65@0|COMMENT PSF sequence U+0041 U+0300 913@0|COMMENT PSF sequence U+0041 U+0300 -1@1 66@2";
    QTest::newRow("psf1 no table") << Psf1(256, {}) << "0@- 1@- 2@-";
    // Halves of UTF-16 pairs are no characters (PSF 2 could not write them back).
    QTest::newRow("psf1 surrogate") << Psf1(256, {{0xD800, 0x41}}) << "65@0 -1@1";
    QTest::newRow("psf1 512") << Psf1(512, {}) << "0@- 1@- 2@-";
    QTest::newRow("hex") << QByteArray("0041:00000000000000000000000000000000\r\n\n10FFFF:" + QByteArray(64, 'F') + "\n")
                         << "65@- 1114111@-";
}

// The codes and places of the first glyphs as the table gives them.
void TstFontFormats::codes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    TBDFFont font;
    Parse(bytes, font);
    const QStringList got = Dump(font).section('\n', 1).split(' ');
    QCOMPARE(got.mid(0, expected.count(' ') + 1).join(' '), expected);
    if (bytes.startsWith("\x36\x04"))
        QCOMPARE(font.Chars.back().Bitmap.size(), size_t(4));
}

void TstFontFormats::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("gzip");
    QList<QList<quint16>> table;
    for (int i = 0; i < 512; ++i)
        table.append(i % 3 == 0 ? QList<quint16>{} : QList<quint16>{quint16(0x100 + i), quint16(0x2000 + i), 0xFFFE, 0x41, quint16(0x300 + i % 7)});
    QTest::newRow("psf1 512 table") << Psf1(512, table) << false;
    QTest::newRow("psf1 table gz") << Gzip(Psf1(256, table.mid(0, 256))) << true;
    QTest::newRow("psf1 no table") << Psf1(256, {}) << false;
    QTest::newRow("hex") << QByteArray("0020:" + QByteArray(32, '0') + "\n4E00:" + QByteArray(64, 'A') + "\n01F600:" +
                                       QByteArray(32, '7') + "\n")
                         << false;
}

// Read, write PSF 2 (or .hex), read: the same glyphs, codes, places and sequences.
void TstFontFormats::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, gzip);
    TBDFFont font, again;
    const TFontReadReport report = Parse(bytes, font);
    QCOMPARE(report.Kind.Gzip, gzip);
    const bool hex = report.Kind.Format == TFontFormat::Hex;
    const QByteArray written = Bytes(FormatFont(font, {hex ? TFontFormat::Hex : TFontFormat::PSF2, gzip}));
    QCOMPARE(Parse(written, again).Kind, (TFontFileKind{hex ? TFontFormat::Hex : TFontFormat::PSF2, gzip}));
    QCOMPARE(Dump(again), Dump(font));
    QVERIFY(WhatFormatCannotHold(font, report.Kind.Format == TFontFormat::Hex ? TFontFormat::Hex : TFontFormat::PSF2).empty());
    if (hex)
        QCOMPARE(written, bytes);
}

// gzip of files joined one after another reads as the files joined, also when
// the first is too big to be inflated before the last is known.
void TstFontFormats::joinedMembers()
{
    QByteArray hex;
    for (int code = 0; code < 10000; ++code)
        hex += QByteArray::number(code, 16).rightJustified(4, '0').toUpper() + ':' + QByteArray(32, "0123456789ABCDEF"[code % 16]) + '\n';
    const qsizetype half = hex.indexOf('\n', hex.size() / 3) + 1;
    TBDFFont joined, plain;
    Parse(Gzip(hex.left(half)) + Gzip(hex.mid(half)), joined);
    Parse(hex, plain);
    QCOMPARE(joined.Chars.size(), size_t(10000));
    QCOMPARE(Dump(joined), Dump(plain));
}

void TstFontFormats::refusals_data()
{
    QTest::addColumn<int>("odd");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one") << 1 << "1 glyphs differ from the cell of 8x4 pixels";
    QTest::newRow("25") << 25 << "and 5 more";
}

// A font with odd glyphs of another size: PSF 2 and .hex refuse naming them;
// padded, each glyph's pixels keep their place about the baseline.
void TstFontFormats::refusals()
{
    QFETCH(int, odd);
    QFETCH(QString, expected);
    TBDFFont font;
    Parse(Psf1(256, {}), font);
    for (int i = 0; i < odd; ++i) {
        TBDFChar &ch = font.Chars[size_t(i)];
        ch.BBXWidth = 3, ch.BBXHeight = 2, ch.BBXXOff = 2, ch.BBXYOff = 0;
        ch.Bitmap = {0x20, 0x80}; // the glyph's top right, then its bottom left pixel
    }
    for (TFontFormat format : {TFontFormat::PSF2, TFontFormat::Hex}) {
        try {
            FormatFont(font, {format, false});
            QFAIL("no refusal");
        } catch (const TFontFormatError &e) {
            QVERIFY2(format == TFontFormat::Hex || QString(e.what()).contains(expected), e.what());
            QVERIFY2(QString(e.what()).contains("U+0000"), e.what());
            QCOMPARE(e.Glyphs.size(), format == TFontFormat::Hex ? size_t(20) : size_t(std::min(odd, 20)));
        }
        QVERIFY(!WhatFormatCannotHold(font, format).empty());
    }
    // An empty .hex file would not open again.
    QVERIFY_THROWS_EXCEPTION(TFontFormatError, FormatFont(TBDFFont{}, {TFontFormat::Hex, false}));
    // PCF's codes are two bytes: a glyph past FFFF is said before a save.
    TBDFFont wide = font;
    QVERIFY(WhatFormatCannotHold(wide, TFontFormat::PCF).empty());
    wide.Chars[0].Encoding = 0x1F600;
    QVERIFY(!WhatFormatCannotHold(wide, TFontFormat::PCF).empty());
    TBDFFont padded;
    Parse(Bytes(FormatFont(font, {TFontFormat::PSF2, false}, {true})), padded);
    // The cell is the font's box, 8x4 at 0 -1: the glyph's rows are the cell's
    // rows 1 and 2; its top right pixel is the cell's column 4 (bit 3), its
    // bottom left one column 2 (bit 5).
    QCOMPARE(DumpChars(padded).section(' ', 0, 0), QString("0/8/4/0/-1:0,8,20,0"));
    QCOMPARE(DumpChars(padded).section(' ', odd, odd), DumpChars(font).section(' ', odd, odd));
}

void TstFontFormats::paths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("gzip");
    QTest::newRow("bdf") << "a.bdf" << int(TFontFormat::BDF) << false;
    QTest::newRow("other") << "a.txt" << int(TFontFormat::BDF) << false;
    QTest::newRow("pcf.gz") << "/x/a.pcf.gz" << int(TFontFormat::PCF) << true;
    QTest::newRow("psf") << "a.PSF" << int(TFontFormat::PSF2) << false;
    QTest::newRow("psfu.gz") << "a.psfu.gz" << int(TFontFormat::PSF2) << true;
    QTest::newRow("hex") << "u.hex" << int(TFontFormat::Hex) << false;
}

void TstFontFormats::paths()
{
    QFETCH(QString, path);
    QFETCH(int, format);
    QFETCH(bool, gzip);
    QCOMPARE(FormatForPath(path.toStdString()), (TFontFileKind{TFontFormat(format), gzip}));
}

// A few real console fonts against a plain reading of their bytes (inflated by
// the system's gzip), then through PSF 2 and back.
void TstFontFormats::consoleFonts()
{
    const QStringList names = {"default8x16.psf.gz", "Lat2-Terminus16.psf.gz", "Uni2-VGA14.psf.gz",
                               "TerminusBold32x16.psf.gz", "Lat15-Fixed13.psf.gz", "Arabic-VGA14.psf.gz"};
    int seen = 0;
    for (const QString &name : names) {
        const QString path = "/usr/share/consolefonts/" + name;
        if (!QFile::exists(path))
            continue;
        ++seen;
        QProcess gz;
        gz.start("gzip", {"-dc", path});
        QVERIFY(gz.waitForFinished());
        const QByteArray raw = gz.readAllStandardOutput();
        auto u32 = [&](int at) { return quint32(quint8(raw[at])) | quint32(quint8(raw[at + 1])) << 8 |
                                        quint32(quint8(raw[at + 2])) << 16 | quint32(quint8(raw[at + 3])) << 24; };
        const bool psf1 = raw.startsWith("\x36\x04");
        const int count = psf1 ? ((raw[2] & 1) ? 512 : 256) : int(u32(16));
        const int height = psf1 ? quint8(raw[3]) : int(u32(24));
        const int width = psf1 ? 8 : int(u32(28));
        const int rowBytes = (width + 7) / 8, glyphsAt = psf1 ? 4 : int(u32(8));

        TBDFFont font;
        const TFontReadReport report = OpenFont(path.toStdString(), font);
        QVERIFY(report.Kind.Gzip);
        QCOMPARE(report.Kind.Format, psf1 ? TFontFormat::PSF1 : TFontFormat::PSF2);
        QVERIFY2(report.Notes.empty(), name.toUtf8());
        // The first copy of each of ten places holds that place's bytes.
        for (int place = 0; place < count; place += count / 10) {
            const auto it = std::find_if(font.Chars.begin(), font.Chars.end(), [&](const TBDFChar &ch) {
                return font.GlyphNotes.get(ch.Notes).Encoding2.value_or(ch.Encoding) == place;
            });
            QVERIFY(it != font.Chars.end());
            QCOMPARE(it->BBXWidth, width);
            QCOMPARE(int(it->Bitmap.size()), height);
            for (int r = 0; r < height; ++r) {
                quint64 v = 0;
                for (int k = 0; k < rowBytes; ++k)
                    v = v << 8 | quint8(raw[glyphsAt + (place * height + r) * rowBytes + k]);
                QCOMPARE(it->Bitmap[size_t(r)], v);
            }
        }
        TBDFFont again;
        Parse(Bytes(FormatFont(font, {TFontFormat::PSF2, true})), again);
        QCOMPARE(Dump(again), Dump(font));
    }
    if (seen == 0)
        QSKIP("no console fonts (packages kbd, console-setup-linux)");
}

// A slice of unifont.hex, cut at a line, reads and writes back byte for byte.
void TstFontFormats::unifontSlice()
{
    QFile f("/usr/share/unifont/unifont.hex");
    if (!f.open(QIODevice::ReadOnly))
        QSKIP("no unifont.hex (package unifont)");
    QByteArray slice = f.read(2 << 20);
    slice.truncate(slice.lastIndexOf('\n') + 1);
    TBDFFont font;
    QCOMPARE(Parse(slice, font).Kind.Format, TFontFormat::Hex);
    QCOMPARE(qsizetype(font.Chars.size()), slice.count('\n'));
    QCOMPARE(Bytes(FormatFont(font, {TFontFormat::Hex, false})), slice);
}

QTEST_GUILESS_MAIN(TstFontFormats)
#include "tst_fontformats.moc"
