// The text preview follows BDF metrics exactly: the same text rendered by
// FreeType from the font as Bitloom saves it must match pixel for pixel.
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "editor/textpreview.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <QtTest>

Q_DECLARE_METATYPE(TBDFFont)

namespace {

// The raster as text rows ("#" ink, "." paper) after "width x height @ origin, baseline".
QStringList Dump(const TPreviewRaster &r)
{
    QStringList rows{QStringLiteral("%1x%2@%3,%4").arg(r.Width).arg(r.Height).arg(r.OriginX).arg(r.Baseline)};
    if (int64_t{r.Width} * r.Height > 400)
        return rows;
    for (int y = 0; y < r.Height; ++y) {
        QString row;
        for (int x = 0; x < r.Width; ++x)
            row += r.ink(x, y) ? '#' : '.';
        rows << row;
    }
    return rows;
}

// A glyph of a tiny font: code, box, DWIDTH and rows.
TBDFChar Glyph(int32_t code, int w, int h, int xoff, int yoff, int dwidth, TGlyphRows rows)
{
    TBDFChar c;
    c.Encoding = code;
    c.BBXWidth = w;
    c.BBXHeight = h;
    c.BBXXOff = xoff;
    c.BBXYOff = yoff;
    c.DWidthX = dwidth;
    c.Bitmap = rows;
    return c;
}

} // namespace

class TstTextPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void matchesFreeType_data();
    void matchesFreeType();
    void missingAndMalformed_data();
    void missingAndMalformed();

private:
    QTemporaryDir Dir;
};

void TstTextPreview::initTestCase()
{
    QVERIFY(Dir.isValid());
    const auto run = [](const QString &program, const QStringList &args, const QString &out) {
        QProcess p;
        p.start(program, args);
        // otf2bdf's exit status is not reliable; the file it leaves is what counts.
        return p.waitForFinished(60000) && QFileInfo(out).size() > 0;
    };
    const QString misc = "/usr/share/fonts/X11/misc/";
    for (const char *name : {"6x13", "18x18ja"})
        QVERIFY(run("pcf2bdf", {"-o", Dir.filePath(QString(name) + ".bdf"), misc + name + ".pcf.gz"},
                    Dir.filePath(QString(name) + ".bdf")));
    QVERIFY(run("otf2bdf", {"-p", "12", "-o", Dir.filePath("dejavu.bdf"), "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
                Dir.filePath("dejavu.bdf")));
}

void TstTextPreview::matchesFreeType_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::newRow("fixed-latin") << "6x13" << "The quick brown fox jumps over the lazy dog, 0123456789!";
    QTest::newRow("fixed-cyrillic") << "6x13" << "Съешь же ещё этих мягких французских булок";
    // Boxes narrower than their advance, offsets left of the pen ("j") and below the baseline.
    QTest::newRow("proportional") << "dejavu" << "Jackdaws love my big sphinx of quartz; fjord, gypsy, W.A.V.";
    QTest::newRow("wide-japanese") << "18x18ja" << "日本語のテキスト、カタカナ";
}

void TstTextPreview::matchesFreeType()
{
    QFETCH(QString, font);
    QFETCH(QString, text);
    TProjectRecord slot;
    OpenBDF(Dir.filePath(font + ".bdf").toStdString(), slot.Font);
    const QString saved = Dir.filePath(font + "-saved.bdf");
    SaveBDF(saved.toStdString(), slot);
    const QList<uint> ucs4 = text.toUcs4();
    const std::u32string codes(ucs4.begin(), ucs4.end());
    const TPreviewRaster mine = RenderPreview(slot.Font, codes, LineMetrics(slot.Font, std::nullopt, std::nullopt));

    FT_Library library;
    QCOMPARE(FT_Init_FreeType(&library), 0);
    FT_Face face;
    QCOMPARE(FT_New_Face(library, saved.toLocal8Bit().constData(), 0, &face), 0);
    // The saved font names no character set: its one map is by the codes as written.
    QVERIFY(face->num_charmaps > 0);
    QCOMPARE(FT_Set_Charmap(face, face->charmaps[0]), 0);
    // FreeType's picture, with room on every side for ink the preview would leave out.
    constexpr int Margin = 32;
    const int width = mine.Width + 2 * Margin, height = mine.Height + 2 * Margin;
    QVector<char> theirs(qsizetype(width) * height, 0);
    int pen = Margin + mine.OriginX;
    const int baseline = Margin + mine.Baseline;
    for (char32_t c : codes) {
        const FT_UInt index = FT_Get_Char_Index(face, c);
        QVERIFY2(index != 0, qPrintable(QString("FreeType finds no glyph for U+%1").arg(uint(c), 4, 16)));
        QCOMPARE(FT_Load_Glyph(face, index, FT_LOAD_DEFAULT), 0);
        const FT_GlyphSlot g = face->glyph;
        QCOMPARE(int(g->bitmap.pixel_mode), int(FT_PIXEL_MODE_MONO));
        for (unsigned y = 0; y < g->bitmap.rows; ++y)
            for (unsigned x = 0; x < g->bitmap.width; ++x)
                if (g->bitmap.buffer[y * unsigned(g->bitmap.pitch) + x / 8] & (0x80 >> (x % 8))) {
                    const int px = pen + g->bitmap_left + int(x), py = baseline - g->bitmap_top + int(y);
                    QVERIFY(px >= 0 && px < width && py >= 0 && py < height);
                    theirs[py * width + px] = 1;
                }
        pen += int(g->advance.x >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    int inked = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int mx = x - Margin, my = y - Margin;
            const bool ours = mx >= 0 && mx < mine.Width && my >= 0 && my < mine.Height && mine.ink(mx, my);
            inked += ours;
            if (ours != bool(theirs[y * width + x]))
                QFAIL(qPrintable(QString("pixel (%1, %2) of the preview differs from FreeType's").arg(mx).arg(my)));
        }
    QVERIFY(inked > 100);
}

void TstTextPreview::missingAndMalformed_data()
{
    // Box 3 x 4 with y offset -1: ascent 3, descent 1. "A" is 2 x 2 on the baseline, advance 3.
    TBDFFont font;
    font.FBBWidth = 3;
    font.FBBHeight = 4;
    font.FBBYOff = -1;
    font.Chars.push_back(Glyph(0x41, 2, 2, 0, 0, 3, {0xC0, 0x40}));
    QTest::addColumn<TBDFFont>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("defaultCode");
    QTest::addColumn<QStringList>("picture");
    QTest::newRow("missing-is-a-box") << font << "AZ" << -1
                                      << QStringList{"6x4@0,3", "...###", "##.#.#", ".#.#.#", "...###"};
    QTest::newRow("missing-as-default-glyph") << font << "ZA" << 0x41
                                              << QStringList{"6x4@0,3", "......", "##.##.", ".#..#.", "......"};
    QTest::newRow("empty-text") << font << "" << -1 << QStringList{"0x0@0,0"};
    TBDFFont huge = font;
    huge.Chars.push_back(Glyph(0x42, 8, 2000000000, -2000000000, 2000000000, 2000000000, {0xFF}));
    QTest::newRow("two-billion-pixel-box-is-bounded")
        << huge << "BA" << -1 << QStringList{QString("4096x257@1024,256")};
}

void TstTextPreview::missingAndMalformed()
{
    QFETCH(TBDFFont, font);
    QFETCH(QString, text);
    QFETCH(int, defaultCode);
    QFETCH(QStringList, picture);
    const QList<uint> ucs4 = text.toUcs4();
    const TPreviewRaster r = RenderPreview(font, std::u32string(ucs4.begin(), ucs4.end()),
                                           LineMetrics(font, std::nullopt, std::nullopt),
                                           defaultCode < 0 ? std::nullopt : std::optional<int32_t>(defaultCode));
    QCOMPARE(Dump(r), picture);
}

QTEST_APPLESS_MAIN(TstTextPreview)
#include "tst_textpreview.moc"
