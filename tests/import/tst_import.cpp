// The TrueType import (its command line, and end to end with the real
// converter) and the picture import (header checks, cell geometry, ink).
#include "app/errorhandler.h"
#include "app/fmain.h"
#include "app/windowtestutil.h"
#include "bdf/bdfreader.h"
#include "compiler/compilerun.h"
#include "import/importops.h"

#include <QBuffer>
#include <QListWidget>
#include <QProcess>
#include <QtTest>

namespace {

// A picture of w x h pixels, white, with the given pixels inked in colour.
QImage Chart(int w, int h, const QList<QPoint> &ink = {}, QColor colour = Qt::black)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (const QPoint &p : ink)
        image.setPixelColor(p, colour);
    return image;
}

QByteArray Bmp(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

const char *DejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

class TstImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commandLine_data();
    void commandLine();
    void argumentsReachTheConverterUnchanged();
    void importedName();
    void bitmapHeaders_data();
    void bitmapHeaders();
    void cellGeometry_data();
    void cellGeometry();
    void bitPlacementAndInk();
    void wideCellsKeepSixtyFourColumns();
    void trueTypeEndToEnd();
    void converterFaults_data();
    void converterFaults();
    void pictureImportThroughTheWindow();

private:
    TWindowFixture Fixture;
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
    QString Path(const QString &name) { return Fixture.Dir->filePath(name); }
};

void TstImport::init()
{
    QVERIFY(Fixture.setUp());
}

void TstImport::cleanup()
{
    Fixture.tearDown();
}

void TstImport::commandLine_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("line");
    const QString tail = " -o \"/o/out.bdf\" \"/t/font.ttf\"";
    QTest::newRow("size-abc-is-9") << "abc" << 0 << "/p/TTF2BDF.EXE -r 100 -m gdr.map -p 9" + tail;
    QTest::newRow("size-dollar-C-is-12") << "$C" << 0 << "/p/TTF2BDF.EXE -r 100 -m gdr.map -p 12" + tail;
    QTest::newRow("no-style-selected") << "10" << -1 << "/p/TTF2BDF.EXE -r 100 -m gdr.map -p 10" + tail;
    QTest::newRow("bold") << "9" << 1 << "/p/TTF2BDF.EXE -r 100 -m gdr.map -w bold -p 9" + tail;
}

void TstImport::commandLine()
{
    QFETCH(QString, size);
    QFETCH(int, style);
    QFETCH(QString, line);
    const TTrueTypeOptions options{size.toStdString(), style};
    QCOMPARE(QString::fromStdString(ConverterCommandLine("/p", options, "/o/out.bdf", "/t/font.ttf")), line);
}

void TstImport::argumentsReachTheConverterUnchanged()
{
    const std::string odd = "/tmp/my \"fonts\" $HOME/a b.bdf";
    const auto args = ConverterArguments({"$C", 1}, odd, "/t/x y.ttf");
    QCOMPARE(args, (std::vector<std::string>{"-r", "100", "-m", "gdr.map", "-w", "bold", "-p", "12", "-o", odd,
                                             "/t/x y.ttf"}));
}

void TstImport::importedName()
{
    QCOMPARE(ImportedFontName("/f/big12.bdf"), std::string("big12"));
    QCOMPARE(ImportedFontName("plain"), std::string("plain"));
    QCOMPARE(ImportedFontName("/f/a.b.bdf"), std::string("a.b"));
}

void TstImport::bitmapHeaders_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("sound");
    QTest::newRow("24-bit") << Bmp(Chart(30, 20)) << true;
    QTest::newRow("8-bit-palette") << Bmp(Chart(30, 20).convertToFormat(QImage::Format_Indexed8)) << true;
    QTest::newRow("1-bit") << Bmp(Chart(30, 20).convertToFormat(QImage::Format_Mono)) << true;
    // A 64-byte file whose header claims 5000 x 5000 pixels.
    QByteArray liar = Bmp(Chart(2, 2)).left(64);
    liar.resize(64);
    auto put32 = [](QByteArray &b, int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put32(liar, 18, 5000);
    put32(liar, 22, 5000);
    QTest::newRow("claims-5000-square") << liar << false;
    QByteArray wide = Bmp(Chart(2, 2));
    put32(wide, 18, 20000);
    QTest::newRow("20000-wide") << wide << false;
    QTest::newRow("not-a-bmp") << QByteArray("\x89PNG\r\n\x1a\n....................", 28) << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TstImport::bitmapHeaders()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, sound);
    QCOMPARE(!BitmapHeaderProblem(std::string_view(bytes.constData(), size_t(bytes.size()))), sound);
}

void TstImport::cellGeometry_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("glyph");
    QTest::newRow("200x100-grid-1") << QSize(200, 100) << "20" << "10" << "1" << 200 << QSize(9, 9);
    QTest::newRow("grid-0") << QSize(200, 100) << "20" << "10" << "0" << 200 << QSize(10, 9);
    QTest::newRow("205-wide-rest-ignored") << QSize(205, 100) << "20" << "10" << "1" << 200 << QSize(9, 9);
    QTest::newRow("grid-12-one-pixel-blank") << QSize(200, 100) << "20" << "10" << "12" << 200 << QSize(1, 9);
    QTest::newRow("columns-0") << QSize(200, 100) << "0" << "10" << "1" << 0 << QSize();
    QTest::newRow("rows-not-a-number") << QSize(200, 100) << "20" << "x" << "1" << 0 << QSize();
    QTest::newRow("grid-not-a-number-is-1") << QSize(200, 100) << "20" << "10" << "?" << 200 << QSize(9, 9);
}

void TstImport::cellGeometry()
{
    QFETCH(QSize, picture);
    QFETCH(QString, columns);
    QFETCH(QString, rows);
    QFETCH(QString, grid);
    QFETCH(int, count);
    QFETCH(QSize, glyph);
    const TCutResult cut = CutCells(Chart(picture.width(), picture.height(), {}, Qt::black),
                                    {columns.toStdString(), rows.toStdString(), grid.toStdString()});
    QCOMPARE(int(cut.Glyphs.size()), count);
    for (const TBDFChar &ch : cut.Glyphs) {
        QCOMPARE(QSize(ch.BBXWidth, ch.BBXHeight), glyph);
        QCOMPARE(ch.Encoding, 0);
        QCOMPARE(int(ch.Bitmap.size()), glyph.height());
    }
}

void TstImport::bitPlacementAndInk()
{
    // Cells of 10 x 10 and 9 x 10 with grid 1 and 0: glyphs 9 and 8 wide; the
    // leftmost glyph column is inked in row 0 of the first cell.
    TCutResult nine = CutCells(Chart(20, 10, {{1, 0}}), {"2", "1", "1"});
    QCOMPARE(nine.Glyphs[0].BBXWidth, 9);
    QCOMPARE(nine.Glyphs[0].Bitmap[0], uint64_t(1) << 15);
    TCutResult eight = CutCells(Chart(16, 10, {{0, 0}}), {"2", "1", "0"});
    QCOMPARE(eight.Glyphs[0].BBXWidth, 8);
    QCOMPARE(eight.Glyphs[0].Bitmap[0], uint64_t(1) << 7);
    // Blue is ink and red is paper: only the red component counts.
    TCutResult blue = CutCells(Chart(16, 10, {{0, 0}}, Qt::blue), {"2", "1", "0"});
    QCOMPARE(blue.Glyphs[0].Bitmap[0], uint64_t(1) << 7);
    TCutResult red = CutCells(Chart(16, 10, {{0, 0}}, Qt::red), {"2", "1", "0"});
    QCOMPARE(red.Glyphs[0].Bitmap[0], uint64_t(0));
    // The second cell starts at its own left edge, in reading order.
    TCutResult second = CutCells(Chart(16, 10, {{8, 1}}), {"2", "1", "0"});
    QCOMPARE(second.Glyphs[1].Bitmap[1], uint64_t(1) << 7);
    QCOMPARE(second.Glyphs[0].Bitmap[1], uint64_t(0));
    // A negative grid reaches into the cell on the left; left of the picture is paper.
    TCutResult negative = CutCells(Chart(20, 10, {{9, 0}}), {"2", "1", "-1"});
    QCOMPARE(negative.Glyphs[1].BBXWidth, 11);
    QCOMPARE(negative.Glyphs[1].Bitmap[0], uint64_t(1) << 15);
    // The same pixel is the first glyph's last column; its column 0 lies left of the picture.
    QCOMPARE(negative.Glyphs[0].Bitmap[0], uint64_t(1) << 5);
    // Too many cells: nothing.
    QVERIFY(CutCells(Chart(4, 4), {"100000", "100000", "1"}).TooMany);
    // Rows past the budget: nothing, and what the grid would take (20000 glyphs of 2047 rows).
    const TCutResult tall = CutCells(Chart(1, 2048), {"20000", "1", "1"});
    QVERIFY(tall.Glyphs.empty());
    QCOMPARE(tall.TooBigBytes, int64_t(20000) * 2047 * 8);
}

void TstImport::wideCellsKeepSixtyFourColumns()
{
    TCutResult cut = CutCells(Chart(100, 5, {{0, 0}, {63, 0}, {64, 0}}), {"1", "1", "0"});
    QCOMPARE(cut.CutWide, 1);
    QCOMPARE(cut.Glyphs[0].BBXWidth, 64);
    QCOMPARE(cut.Glyphs[0].Bitmap[0], (uint64_t(1) << 63) | 1);
}

void TstImport::trueTypeEndToEnd()
{
    if (QStandardPaths::findExecutable("otf2bdf").isEmpty() || !QFile::exists(DejaVu))
        QSKIP("otf2bdf or DejaVu Sans is not installed");
    QDir(Fixture.Dir->path()).mkdir("bin");
    Form->FontPage->ProgramFolder = Path("bin").toStdString();
    Form->FontPage->OpenFonts({});
    WriteFile(Path("a.bdf"), SmallFont("A", 3));
    Form->FontPage->OpenFonts({Path("a.bdf")});
    Script->OpenAnswers << QStringList{DejaVu};
    Script->TrueTypeAnswers << TTrueTypeOptions{"9", 0};
    Script->SaveAnswers << Path("dejavu9.bdf");
    Form->FontPage->ToolButton15Click();
    QVERIFY2(Script->Errors.isEmpty(), qPrintable(Script->Errors.join('\n')));
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 2);
    QCOMPARE(Fixture.Ui().ListBox1()->item(1)->text(), QString("dejavu9 (dejavu9.bdf)"));
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 0);
    QCOMPARE(Form->Fonts.currentIndex(), 0);
    const TProjectRecord &slot = Form->Fonts[1];
    QCOMPARE(slot.FileName, Path("dejavu9.bdf").toStdString());
    QVERIFY(!slot.Modified);
    QVERIFY(slot.Font.Uid > 0);
    QCOMPARE(Form->StatusPanel->text(),
             QString("Imported %1 glyphs from DejaVuSans.ttf into dejavu9.bdf").arg(slot.Font.Chars.size()));

    // An independent conversion, read by its names, holds the same glyphs.
    QProcess convert;
    convert.start("otf2bdf", {"-r", "100", "-p", "9", "-o", Path("ref.bdf"), DejaVu});
    QVERIFY(convert.waitForFinished(60000));
    TBDFFont ref;
    OpenBDF(Path("ref.bdf").toStdString(), ref, {0, TCodeSource::Names});
    QVERIFY(slot.Font.Chars.size() > 100);
    QCOMPARE(slot.Font.Chars.size(), ref.Chars.size());
    for (size_t i : {size_t(0), size_t(33), ref.Chars.size() / 2, ref.Chars.size() - 1}) {
        QCOMPARE(slot.Font.Chars[i].Encoding, ref.Chars[i].Encoding);
        QCOMPARE(slot.Font.Chars[i].Bitmap, ref.Chars[i].Bitmap);
    }
    // After the save the file holds each code in both places.
    TBDFFont back;
    OpenBDF(slot.FileName, back, {0, TCodeSource::Names});
    QVERIFY(back.Chars == slot.Font.Chars);
    QCOMPARE(back.FontName, std::string("dejavu9"));
}

void TstImport::converterFaults_data()
{
    // TTF2BDF.EXE beside the program (none when empty), whether it may run, a
    // stand-in otf2bdf on the PATH, and gdr.map in the remembered compiler folder.
    // A converter that makes a font copies made.bdf to the path after -o.
    const QByteArray makes = "while [ $# -gt 1 ]; do [ \"$1\" = -o ] && out=$2; shift; done\ncp ../made.bdf \"$out\"\n";
    QTest::addColumn<QByteArray>("beside");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<bool>("otf2bdf");
    QTest::addColumn<bool>("map");
    QTest::addColumn<QStringList>("errorSays");
    QTest::newRow("converter-made-no-font")
        << QByteArray("#!/bin/sh\necho 'reading x.ttf'\necho 'cannot read the font' >&2\nexit 3\n") << true << false
        << false << QStringList{"made no font (exit status 3)", "\nreading x.ttf\ncannot read the font"};
    QTest::newRow("not-executable-gives-way-to-otf2bdf")
        << QByteArray("#!/bin/sh\n" + makes) << false << true << false << QStringList{};
    QTest::newRow("cannot-start-says-why") << QByteArray("MZ\x90\0\3\0\0\0", 8) << true << false << false
                                           << QStringList{"Cannot start \"", "/bin/TTF2BDF.EXE\": "};
    QTest::newRow("map-from-compiler-folder")
        << QByteArray("#!/bin/sh\n[ -f gdr.map ] || { echo 'no gdr.map' >&2; exit 2; }\n" + makes) << true << false
        << true << QStringList{};
}

void TstImport::converterFaults()
{
    QFETCH(QByteArray, beside);
    QFETCH(bool, runs);
    QFETCH(bool, otf2bdf);
    QFETCH(bool, map);
    QFETCH(QStringList, errorSays);
    QDir top(Fixture.Dir->path());
    for (const char *sub : {"bin", "path", "compiler"})
        top.mkdir(sub);
    Form->FontPage->ProgramFolder = Path("bin").toStdString();
    auto tool = [](const QString &path, const QByteArray &text, bool executable) {
        WriteFile(path, text);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | (executable ? QFile::ExeOwner : QFile::Permission()));
    };
    tool(Path("bin/TTF2BDF.EXE"), beside, runs);
    if (otf2bdf)
        tool(Path("path/otf2bdf"), beside, true);
    if (map) {
        WriteFile(Path("compiler/gdr.map"), "");
        RememberCompilerFolder(Path("compiler").toStdString());
    }
    WriteFile(Path("made.bdf"), SmallFont("Made", 2));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", Path("path").toLocal8Bit() + ":" + path);
    WriteFile(Path("keep.bdf"), SmallFont("Keep", 2));
    WriteFile(Path("x.ttf"), "not really");
    Script->OpenAnswers << QStringList{Path("x.ttf")};
    Script->TrueTypeAnswers << TTrueTypeOptions{"9", 1};
    Script->SaveAnswers << Path("keep.bdf");
    Form->FontPage->ToolButton15Click();
    qputenv("PATH", path);
    QSettings("Bitloom", "Bitloom").remove("Compiler");
    const QString shown = Script->Errors.join('\n');
    for (const QString &part : errorSays)
        QVERIFY2(shown.contains(part), qPrintable(shown));
    QCOMPARE(Script->Errors.size(), errorSays.isEmpty() ? 0 : 1);
    QCOMPARE(Fixture.Ui().ListBox1()->count(), errorSays.isEmpty() ? 1 : 0);
    QCOMPARE(Form->StatusPanel->text(), errorSays.isEmpty() ? QString("Imported 2 glyphs from x.ttf into keep.bdf") : QString());
    // A failed conversion puts the old file back, and leaves nothing else behind.
    if (!errorSays.isEmpty()) {
        QFile kept(Path("keep.bdf"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), SmallFont("Keep", 2));
    }
    QCOMPARE(top.entryList(QDir::Files), (QStringList{"keep.bdf", "made.bdf", "x.ttf"}));
}

void TstImport::pictureImportThroughTheWindow()
{
    WriteFile(Path("f.bdf"), SmallFont("F", 250));
    Form->FontPage->OpenFonts({Path("f.bdf")});
    QImage chart = Chart(200, 100);
    for (int y = 0; y < 9; ++y)
        chart.setPixelColor(1, y, Qt::black);
    WriteFile(Path("chart.bmp"), Bmp(chart.convertToFormat(QImage::Format_Indexed8)));
    Script->OpenAnswers << QStringList{Path("chart.bmp")};
    Script->CaptureAnswers << TCaptureOptions{"20", "10", "1"};
    Form->FontPage->ToolButton17Click();
    QCOMPARE(Script->Dialogs.last().Filter, QString("Bitmaps (*.bmp)|*.bmp"));
    QCOMPARE(Script->CapturePictures.last().size(), QSize(200, 100));
    TBDFFont &font = Form->Fonts[0].Font;
    QCOMPARE(font.Chars.size(), size_t(450));
    QCOMPARE(font.Chars[250].Bitmap[0], uint64_t(1) << 15);
    QVERIFY(Form->Fonts[0].Modified);
    QCOMPARE(Form->StatusPanel->text(), QString("Imported 200 glyphs from chart.bmp into f.bdf"));

    // A picture whose header lies is refused before it is decoded; nothing changes.
    QByteArray liar = Bmp(Chart(2, 2));
    for (int i = 0; i < 4; ++i)
        liar[22 + i] = char((5000 >> (8 * i)) & 0xFF);
    WriteFile(Path("liar.bmp"), liar);
    Script->OpenAnswers << QStringList{Path("liar.bmp")};
    Form->FontPage->ToolButton17Click();
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains(Path("liar.bmp")));
    QCOMPARE(font.Chars.size(), size_t(450));
    // A grid past the rows budget is refused with what it would need.
    WriteFile(Path("tall.bmp"), Bmp(Chart(1, 2048)));
    Script->OpenAnswers << QStringList{Path("tall.bmp")};
    Script->CaptureAnswers << TCaptureOptions{"20000", "1", "1"};
    Form->FontPage->ToolButton17Click();
    QCOMPARE(Script->Errors.size(), 2);
    QVERIFY2(Script->Errors.last().contains("313 MiB"), qPrintable(Script->Errors.last()));
    QCOMPARE(font.Chars.size(), size_t(450));
    // Cancel imports nothing.
    Script->OpenAnswers << QStringList{Path("chart.bmp")};
    Form->FontPage->ToolButton17Click();
    QCOMPARE(font.Chars.size(), size_t(450));
    // The imported glyphs are one step of the history.
    QCOMPARE(Form->Fonts.historyOf(0)->undoText(), QString("Import 200 glyphs from chart.bmp"));
    Form->Fonts.historyOf(0)->undo();
    QCOMPARE(font.Chars.size(), size_t(250));
    QVERIFY(!Form->Fonts[0].Modified);
}

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/bitloom-test-config");
    TApplication app(argc, argv);
    TstImport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_import.moc"
