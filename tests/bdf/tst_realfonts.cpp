// Real fonts nobody here wrote, converted at test time: every glyph, code and row
// must come through a read, and a write must read back to the same font and text.
// X11's own reader, bdftopcf, must take their exports and their saves without a word.
#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"

#include <QtTest>

namespace {

struct TRefGlyph {
    qint64 code = 0;
    int width = 0;
    QList<QByteArray> rows;
};

// A deliberately plain reading of the source text: ENCODING for the code, BBX for
// the width, every line between BITMAP and ENDCHAR as a row.
QList<TRefGlyph> ReferenceGlyphs(const QByteArray &text)
{
    QList<TRefGlyph> glyphs;
    bool inBitmap = false;
    for (const QByteArray &raw : text.split('\n')) {
        QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.startsWith("STARTCHAR")) {
            glyphs.append(TRefGlyph{});
        } else if (line.startsWith("ENCODING ")) {
            glyphs.last().code = line.split(' ').at(1).toLongLong();
        } else if (line.startsWith("BBX ")) {
            glyphs.last().width = line.simplified().split(' ').at(1).toInt();
        } else if (line == "BITMAP") {
            inBitmap = true;
        } else if (line == "ENDCHAR") {
            inBitmap = false;
        } else if (inBitmap) {
            glyphs.last().rows.append(line);
        }
    }
    return glyphs;
}

QByteArray Text(const TBDFFont &font, TBDFLayout layout = TBDFLayout::Fixed)
{
    TByteBuffer b = FormatBDF(font, layout);
    return QByteArray(b.data(), qsizetype(b.size()));
}

// The glyphs without their notes, which the fixed layout does not write.
TGlyphList Shapes(TGlyphList chars)
{
    for (TBDFChar &ch : chars)
        ch.Notes = 0;
    return chars;
}

// What bdftopcf says about the file (nothing when it takes it), or why it failed.
QString BdftopcfSays(const QString &path)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("bdftopcf", {"-o", path + ".pcf", path});
    if (!p.waitForFinished(120000))
        return "bdftopcf did not finish";
    const QString said = QString::fromLocal8Bit(p.readAll());
    return p.exitCode() == 0 ? said : "exit " + QString::number(p.exitCode()) + ": " + said;
}

} // namespace

class TstRealFonts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void exportAndSaveAreTakenByBdftopcf_data();
    void exportAndSaveAreTakenByBdftopcf();

private:
    QTemporaryDir Dir;
    QStringList Fonts;
};

void TstRealFonts::initTestCase()
{
    QVERIFY(Dir.isValid());
    const QString misc = "/usr/share/fonts/X11/misc/";
    const QStringList pcf = {"6x13.pcf.gz", "5x7-KOI8-R.pcf.gz", "10x20-ISO8859-1.pcf.gz", "12x24.pcf.gz",
                             "18x18ja.pcf.gz", "unifont.pcf.gz"};
    for (const QString &name : pcf) {
        const QString out = Dir.filePath(QString(name).replace(".pcf.gz", ".bdf"));
        QProcess p;
        p.start("pcf2bdf", {"-o", out, misc + name});
        QVERIFY2(p.waitForFinished(60000) && p.exitCode() == 0,
                 qPrintable("pcf2bdf failed for " + name + ": " + p.readAllStandardError()));
        Fonts << out;
    }
    const QString ttf = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    for (int points : {9, 24}) {
        const QString out = Dir.filePath(QString("dejavu%1.bdf").arg(points));
        QProcess p;
        p.start("otf2bdf", {"-p", QString::number(points), "-o", out, ttf});
        // otf2bdf's exit status is not reliable; the file it leaves is what counts.
        QVERIFY2(p.waitForFinished(60000), "otf2bdf did not finish");
        QVERIFY2(QFileInfo(out).size() > 0, qPrintable("otf2bdf wrote nothing: " + p.readAllStandardError()));
        Fonts << out;
    }
}

void TstRealFonts::roundTrip_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &f : Fonts)
        QTest::newRow(qPrintable(QFileInfo(f).fileName())) << f;
}

void TstRealFonts::roundTrip()
{
    QFETCH(QString, path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<TRefGlyph> ref = ReferenceGlyphs(f.readAll());
    QVERIFY(!ref.isEmpty());

    TBDFFont font;
    TBDFReadReport report = OpenBDF(path.toStdString(), font);
    QCOMPARE(report.CutGlyphs, 0);
    QCOMPARE(font.Chars.size(), size_t(ref.size()));
    int wide = 0;
    for (qsizetype i = 0; i < ref.size(); ++i) {
        const TBDFChar &ch = font.Chars[size_t(i)];
        QCOMPARE(qint64(ch.Encoding), ref[i].code);
        QCOMPARE(ch.BBXWidth, ref[i].width);
        QCOMPARE(ch.Bitmap.size(), size_t(ref[i].rows.size()));
        wide += ch.BBXWidth > 32;
        for (qsizetype r = 0; r < ref[i].rows.size(); ++r) {
            bool ok = false;
            const quint64 expected = ref[i].rows[r].toULongLong(&ok, 16);
            QVERIFY(ok);
            if (ch.Bitmap[size_t(r)] != expected)
                QFAIL(qPrintable(QString("glyph %1 row %2: %3 != %4").arg(i).arg(r).arg(ch.Bitmap[size_t(r)], 0, 16).arg(
                    QString(ref[i].rows[r]))));
        }
    }
    if (path.endsWith("dejavu24.bdf"))
        QVERIFY2(wide > 100, "the 24 pt conversion should hold glyphs wider than 32 pixels");

    const QByteArray first = Text(font);
    TBDFFont back;
    ParseBDF(std::string_view(first.constData(), size_t(first.size())), back);
    back.StartFont = font.StartFont;
    back.Size = font.Size;
    QVERIFY(back.Chars == Shapes(font.Chars));
    QCOMPARE(Text(back), first);

    // Saved with what it kept, it reads back whole, names, properties, comments
    // and all, and saves to the same bytes.
    const QByteArray kept = Text(font, TBDFLayout::Kept);
    TBDFFont keptBack;
    ParseBDF(std::string_view(kept.constData(), size_t(kept.size())), keptBack);
    keptBack.StartFont = font.StartFont;
    QVERIFY(keptBack == font);
    QCOMPARE(Text(keptBack, TBDFLayout::Kept), kept);

    // Read on one thread and on several, the font is the same.
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    const QByteArray text = again.readAll();
    for (int threads : {1, 2, 4}) {
        TBDFFont parallel;
        ParseBDF(std::string_view(text.constData(), size_t(text.size())), parallel, {0, TCodeSource::Encoding, threads});
        QVERIFY2(parallel == font, qPrintable(QString("%1 threads").arg(threads)));
    }
}

void TstRealFonts::exportAndSaveAreTakenByBdftopcf_data()
{
    roundTrip_data();
}

void TstRealFonts::exportAndSaveAreTakenByBdftopcf()
{
    QFETCH(QString, path);
    TProjectRecord slot;
    OpenBDF(path.toStdString(), slot.Font);
    const TBDFFont original = slot.Font;

    const QString exported = path + ".export.bdf";
    TBDFExportReport report;
    ExportBDF(exported.toStdString(), original, &report);
    QVERIFY2(report.Ignored.empty(), ExportReportText(report).c_str());
    QCOMPARE(BdftopcfSays(exported), QString());
    const TByteBuffer once = FormatExportBDF(original);
    TBDFFont reread;
    ParseBDF(once.view(), reread);
    const TByteBuffer twice = FormatExportBDF(reread);
    QVERIFY(once.view() == twice.view());
    for (const TBDFProperty &p : original.Properties)
        QVERIFY2(once.view().find("\r\n" + p.Name + " ") != std::string_view::npos, p.Name.c_str());

    // One pixel painted, then an ordinary save: everything else comes back.
    size_t painted = 0;
    while (slot.Font.Chars[painted].Bitmap.empty() || slot.Font.Chars[painted].BBXWidth < 1)
        ++painted;
    TogglePixel(slot.Font.Chars[painted], 0, 0);
    const QString saved = path + ".saved.bdf";
    SaveBDF(saved.toStdString(), slot);
    TBDFFont back;
    OpenBDF(saved.toStdString(), back);
    QVERIFY(back.Properties == original.Properties);
    QVERIFY(back.HeaderLines == original.HeaderLines);
    QCOMPARE(back.Chars.size(), original.Chars.size());
    for (size_t i = 0; i < back.Chars.size(); ++i) {
        const TBDFChar &a = back.Chars[i], &b = original.Chars[i];
        QCOMPARE(GlyphName(back, a), GlyphName(original, b));
        QCOMPARE(a.Encoding, b.Encoding);
        QCOMPARE(a.Bitmap == b.Bitmap, i != painted);
    }
    QCOMPARE(BdftopcfSays(saved), QString());
}

QTEST_APPLESS_MAIN(TstRealFonts)
#include "tst_realfonts.moc"
