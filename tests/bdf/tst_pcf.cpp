// The PCF reader against pcf2bdf and the BDF reader, the PCF writer against
// FreeType, and both against hostile bytes.
#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"
#include "bdf/pcf.h"
#include "model/fileerror.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <QtTest>

#include <map>

namespace {

std::string_view View(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

QByteArray Bytes(const TByteBuffer &buffer)
{
    return QByteArray(buffer.data(), qsizetype(buffer.size()));
}

// Runs a program; its standard output, or a null array when it cannot run or fails.
QByteArray Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// A font whose glyphs span the row widths PCF pads differently: up to 8, 16,
// 32 and 64 pixels, ink in the last column, a code of the second byte row, an
// empty glyph.
QByteArray TestBDF()
{
    QByteArray text = "STARTFONT 2.1\nFONT -Test-Pads-Medium-R-Normal--12-120-75-75-P-40-ISO10646-1\nSIZE 12 75 75\n"
                      "FONTBOUNDINGBOX 64 12 -2 -3\nSTARTPROPERTIES 3\nFONT_ASCENT 9\nFONT_DESCENT 3\n"
                      "COPYRIGHT \"a \"\"quoted\"\" word\"\nENDPROPERTIES\nCHARS 6\n";
    const struct {
        const char *Name;
        int Code, Width;
    } glyphs[] = {{"one", 0x21, 1}, {"seven", 0x41, 7}, {"fifteen", 0x42, 15}, {"thirty", 0x43, 30},
                  {"sixtyfour", 0x4E00, 64}, {"empty", 0x20, 0}};
    for (const auto &g : glyphs) {
        const int height = g.Width == 0 ? 0 : 12, bytes = (g.Width + 7) / 8;
        text += QByteArray("STARTCHAR ") + g.Name + "\nENCODING " + QByteArray::number(g.Code) +
                "\nSWIDTH 500 0\nDWIDTH " + QByteArray::number(g.Width + 1) + " 0\nBBX " + QByteArray::number(g.Width) +
                " " + QByteArray::number(height) + " " + QByteArray::number(g.Code % 3 - 1) + " -3\nBITMAP\n";
        for (int r = 0; r < height; ++r) {
            // A diagonal, and the last column set, so every byte and bit order shows.
            QByteArray row(bytes, '\0');
            row[(r % g.Width) / 8] = char(row[(r % g.Width) / 8] | (0x80 >> (r % g.Width % 8)));
            row[(g.Width - 1) / 8] = char(row[(g.Width - 1) / 8] | (0x80 >> ((g.Width - 1) % 8)));
            text += row.toHex().toUpper() + "\n";
        }
        text += "ENDCHAR\n";
    }
    return text + "ENDFONT\n";
}

// What FreeType reads of each code's glyph: box, advance, ink.
std::map<unsigned long, QString> FreeTypeGlyphs(const QString &path)
{
    std::map<unsigned long, QString> out;
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) != 0)
        return out;
    if (FT_New_Face(lib, QFile::encodeName(path).constData(), 0, &face) == 0) {
        if (!face->charmap && face->num_charmaps > 0)
            FT_Set_Charmap(face, face->charmaps[0]);
        FT_UInt index = 0;
        for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0; code = FT_Get_Next_Char(face, code, &index)) {
            if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) {
                out[code] = "cannot load";
                continue;
            }
            const FT_GlyphSlot g = face->glyph;
            QString s = QStringLiteral("%1x%2@%3,%4 adv %5:")
                            .arg(g->bitmap.width)
                            .arg(g->bitmap.rows)
                            .arg(g->bitmap_left)
                            .arg(g->bitmap_top)
                            .arg(g->advance.x);
            for (unsigned r = 0; r < g->bitmap.rows; ++r)
                for (unsigned x = 0; x < g->bitmap.width; ++x)
                    s += (g->bitmap.buffer[long(r) * g->bitmap.pitch + x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
            out[code] = s;
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return out;
}

} // namespace

class TstPCF : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hostile_data();
    void hostile();
    void realFonts_data();
    void realFonts();
    void codesThatDoNotFit();

private:
    QTemporaryDir Dir;
    // A small PCF that FormatPCF made, for the hostile inputs to mend.
    QByteArray Small;
};

void TstPCF::initTestCase()
{
    QVERIFY(Dir.isValid());
    TBDFFont font;
    ParseBDF(View(TestBDF()), font);
    Small = Bytes(FormatPCF(font));
    TBDFFont back;
    ParsePCF(View(Small), "small.pcf", back);
    QCOMPARE(back.Chars.size(), size_t(6));
}

// Each row mends Small: (where, bytes) written over it, or the file cut at a
// length; reason: a word the error must say, empty when the font must read.
void TstPCF::hostile_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("put");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QString>("reason");
    // The table of contents: 8 bytes, then 16 per table, sorted by type, so the
    // tables are properties, accelerators, metrics, bitmaps, encodings, scalable
    // widths, glyph names, BDF accelerators.
    const auto le = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
    const auto be = [](quint32 v) {
        v = qToBigEndian(v);
        return QByteArray(reinterpret_cast<const char *>(&v), 4);
    };
    const auto tableAt = [&](int k) { return int(qFromLittleEndian<quint32>(Small.constData() + 8 + 16 * k + 12)); };
    QTest::newRow("bad magic") << 0 << QByteArray("BDF ") << -1 << "not a PCF font";
    QTest::newRow("empty") << 0 << QByteArray() << 0 << "not a PCF font";
    QTest::newRow("cut in contents") << 0 << QByteArray() << 30 << "contents";
    QTest::newRow("cut in half") << 0 << QByteArray() << int(Small.size() / 2) << "past the file's end";
    QTest::newRow("cut short of last table") << 0 << QByteArray() << int(Small.size() - 40) << "shorter than it says";
    QTest::newRow("table count in billions") << 4 << le(0x7FFFFFFF) << -1 << "claims 2147483647 tables";
    QTest::newRow("table offset past end") << 8 + 16 * 2 + 12 << le(0xFFFFFFF0) << -1 << "past the file's end";
    QTest::newRow("table size in billions reads to the end") << 8 + 16 * 7 + 8 << le(0xFFFFFFF0) << -1 << "";
    QTest::newRow("property count in billions") << tableAt(0) + 4 << be(0x7FFFFFFF) << -1 << "claims 2147483647 properties";
    QTest::newRow("property name past strings") << tableAt(0) + 8 << be(0x10000000) << -1 << "past its";
    QTest::newRow("glyph count in billions") << tableAt(2) + 4 << be(0x7FFFFFFF) << -1 << "claims";
    QTest::newRow("bitmap count unlike metrics") << tableAt(3) + 4 << be(5) << -1 << "another number of glyphs";
    QTest::newRow("bitmap past data") << tableAt(3) + 8 << be(0x7FFFFFF0) << -1 << "lies past the bitmap data";
    QTest::newRow("bitmap size in billions") << tableAt(3) + 8 + 6 * 4 + 8 << be(0x7FFFFFF0) << -1 << "bytes of bitmaps";
    QTest::newRow("code block past table") << tableAt(4) + 4 << QByteArray("\0\0\0\xFF\0\0\0\xFF", 8) << -1
                                           << "claims 65536 codes";
    QTest::newRow("code byte past 255") << tableAt(4) + 4 << QByteArray("\0\0\x01\0\0\0\0\0", 8) << -1
                                            << "a code above 255";
    QTest::newRow("name count in billions") << tableAt(6) + 4 << be(0x40000000) << -1 << "claims 1073741824 names";
    QTest::newRow("glyph index past glyphs reads") << tableAt(4) + 14 << QByteArray("\x7F\xFF", 2) << -1 << "";
    // Every table where the properties are: nonsense, read within bounds or refused.
    QTest::newRow("tables overlapping") << 8 + 16 + 12 << QByteArray() << -2 << "";
}

void TstPCF::hostile()
{
    QFETCH(int, at);
    QFETCH(QByteArray, put);
    QFETCH(int, cut);
    QFETCH(QString, reason);
    QByteArray bytes = Small;
    if (cut == -2) {
        // Every table's offset set to the first's.
        for (int k = 1; k < 8; ++k)
            memcpy(bytes.data() + 8 + 16 * k + 12, Small.constData() + 8 + 12, 4);
    } else if (cut >= 0) {
        bytes.truncate(cut);
    } else {
        bytes.replace(at, put.size(), put);
    }
    TBDFFont font;
    font.FontName = "untouched";
    try {
        ParsePCF(View(bytes), "hostile.pcf", font);
        QVERIFY2(reason.isEmpty(), "read without a word");
    } catch (const TFileError &e) {
        if (cut == -2)
            return;
        QVERIFY2(!reason.isEmpty() && QString(e.what()).contains(reason) && QString(e.what()).contains("hostile.pcf"),
                 e.what());
        QCOMPARE(font.FontName, std::string("untouched"));
    }
}

// A Debian font (skipped when its package is absent), or the test font made
// with bdftopcf in the byte order, bit order, padding and scan unit given.
void TstPCF::realFonts_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QStringList>("bdftopcf");
    const QString x11 = "/usr/share/fonts/X11/";
    QTest::newRow("fixed 6x13") << x11 + "misc/6x13.pcf.gz" << QStringList();
    QTest::newRow("proportional helvR12") << x11 + "75dpi/helvR12.pcf.gz" << QStringList();
    QTest::newRow("japanese k14") << x11 + "misc/k14.pcf.gz" << QStringList();
    QTest::newRow("unifont, made on two threads") << x11 + "misc/unifont.pcf.gz" << QStringList();
    QTest::newRow("default form") << "" << QStringList();
    QTest::newRow("pad 1 unit 1 msb msb") << "" << QStringList{"-p1", "-u1", "-m", "-M"};
    QTest::newRow("pad 2 unit 2 lsb bits") << "" << QStringList{"-p2", "-u2", "-l", "-M"};
    QTest::newRow("pad 8 unit 4 lsb lsb") << "" << QStringList{"-p8", "-u4", "-l", "-L"};
    QTest::newRow("pad 4 unit 4 lsb bytes") << "" << QStringList{"-p4", "-u4", "-m", "-L"};
    QTest::newRow("pad 1 unit 2 lsb bytes") << "" << QStringList{"-p1", "-u2", "-m", "-L"};
}

void TstPCF::realFonts()
{
    QFETCH(QString, font);
    QFETCH(QStringList, bdftopcf);
    if (QStandardPaths::findExecutable("pcf2bdf").isEmpty() || QStandardPaths::findExecutable("bdftopcf").isEmpty())
        QSKIP("pcf2bdf or bdftopcf is not installed (quickstart installs them)");
    const QString pcf = Dir.filePath(QString(QTest::currentDataTag()).replace(' ', '_') + ".pcf");
    if (font.isEmpty()) {
        const QString bdf = Dir.filePath("test.bdf");
        QFile f(bdf);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(TestBDF()) > 0);
        f.close();
        QVERIFY(!Run("bdftopcf", bdftopcf + QStringList{"-o", pcf, bdf}).isNull());
    } else {
        if (!QFile::exists(font))
            QSKIP("the font's package is not installed (quickstart installs it)");
        const QByteArray inflated = Run("gzip", {"-dc", font});
        QVERIFY(!inflated.isEmpty());
        QFile f(pcf);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(inflated) == inflated.size());
    }
    QFile f(pcf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();

    // Read directly, and through pcf2bdf's text: the same export.
    TBDFFont direct, viaText;
    ParsePCF(View(bytes), pcf.toStdString(), direct);
    const QByteArray text = Run("pcf2bdf", {pcf});
    QVERIFY(!text.isEmpty());
    ParseBDF(View(text), viaText);
    QVERIFY(!direct.Chars.empty());
    const QByteArray a = Bytes(FormatExportBDF(direct)), b = Bytes(FormatExportBDF(viaText));
    if (a != b) {
        const QList<QByteArray> la = a.split('\n'), lb = b.split('\n');
        for (qsizetype i = 0; i < std::min(la.size(), lb.size()); ++i)
            QCOMPARE(la[i], lb[i]);
    }
    QCOMPARE(a, b);

    // Written again, FreeType reads every code's glyph as in the original.
    const QString written = Dir.filePath("written.pcf");
    WritePCF(written.toStdString(), direct);
    const auto original = FreeTypeGlyphs(pcf), again = FreeTypeGlyphs(written);
    QVERIFY(!original.empty());
    QCOMPARE(again.size(), original.size());
    for (const auto &[code, glyph] : original)
        QCOMPARE(again.count(code) ? again.at(code) : QString("missing"), glyph);
}

// Codes above 16 bits and a code two glyphs share: kept, reported, left out of the encoding.
void TstPCF::codesThatDoNotFit()
{
    TBDFFont font;
    ParseBDF(View(TestBDF()), font);
    font.Chars[1].Encoding = 0x1F600;
    font.Chars[3].Encoding = font.Chars[2].Encoding;
    TBDFExportReport report;
    const QString path = Dir.filePath("ignored.pcf");
    WritePCF(path.toStdString(), font, &report);
    QCOMPARE(report.Ignored.size(), size_t(2));
    QVERIFY(QString::fromStdString(report.Ignored[0]).contains("above 65535"));
    QVERIFY(QString::fromStdString(report.Ignored[1]).contains("glyph 3 has the same code"));
    const auto glyphs = FreeTypeGlyphs(path);
    QCOMPARE(glyphs.size(), size_t(4));
    QVERIFY(!glyphs.count(0x1F600));
}

QTEST_GUILESS_MAIN(TstPCF)
#include "tst_pcf.moc"
