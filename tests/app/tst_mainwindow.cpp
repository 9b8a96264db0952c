// The main window driven through its real widgets, with scripted questions.
#include "app/errorhandler.h"
#include "app/fmain.h"
#include "compiler/compilerpage.h"
#include "bdf/bdfreader.h"
#include "bdf/fontformat.h"
#include "bdf/paths.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "editor/guideoverlay.h"
#include "app/prompts.h"
#include "common/hostilefiles.h"
#include "scriptedprompts.h"
#include "windowtestutil.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QListWidget>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <QFileDialog>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>

#include <sys/stat.h>

#include <memory>

namespace {

QPoint CellCentre(int col, int row)
{
    return QPoint(col * GlyphPitch + 6, row * GlyphPitch + 6);
}


} // namespace

class TstMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openTwoFilesAndOneTwice();
    void unreadableFileKeepsListParallel();
    void wideGlyphWarningShown();
    void deleteRows();
    void moveSelectionOnBothPages();
    void newFont();
    void saveAsAndQuickSave();
    void realFontKeepsAllThroughPaintSaveAndExport();
    void otherFormatsSaveBackAndAskBeforeLoss();
    void closePrompts_data();
    void closePrompts();
    void failedProjectSaveKeepsWindowOpen();
    void menuDispatchesByPage();
    void pixelPresses_data();
    void pixelPresses();
    void ctrlDoubleClickClearsThenSets();
    void drags_data();
    void drags();
    void missingRowIgnoresPaint();
    void pixelGridPlacement();
    void guidesFollowZoomScrollAndSwitches_data();
    void guidesFollowZoomScrollAndSwitches();
    void tableSelectionAndLoad();
    void releaseBelowTable();
    void rightClickKeepsSelectionKeysMoveIt();
    void tableDrawing();
    void noFontAllGrey();
    void malformedBoxesStayUsable();
    void placementKeptBetweenRuns();
    void notAFontAddsNoRow_data();
    void notAFontAddsNoRow();
    void truncatedFontWarns();
    void clickOnSelectedRowReloads();
    void riskyQuestionsDefaultToNo();
    void saveDialogStartsBesideTheFont();
    void saveSaysSoInStatusLine();
    void fileDialogsShowEveryFile();
    void bigGlyphsScrollIntoView();
    void splitterMoves();
    void fieldsFitTheirValues();
    void fontRowsElideInTheMiddle();
    void toolbarIconsComeFromTheTheme();
    void dropsOpenEachKind_data();
    void dropsOpenEachKind();
    void fileDroppedOnTheNameFieldOpens();

private:
    QString Path(const QString &name) { return Dir->filePath(name); }
    void OpenFiles(const QStringList &names);
    TBDFChar &Glyph(int font, int index) { return Form->Fonts[size_t(font)].Font.Chars[size_t(index)]; }

    TWindowFixture Fixture;
    std::unique_ptr<QTemporaryDir> &Dir = Fixture.Dir;
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
};

void TstMainWindow::init()
{
    QVERIFY(Fixture.setUp());
    WriteFile(Path("a.bdf"), SmallFont("A", 3));
    WriteFile(Path("b.bdf"), SmallFont("B", 40, 10));
    WriteFile(Path("c.bdf"), SmallFont("C", 300));
}

void TstMainWindow::cleanup()
{
    Fixture.tearDown();
}

void TstMainWindow::OpenFiles(const QStringList &names)
{
    QStringList paths;
    for (const QString &n : names)
        paths << Path(n);
    Script->OpenAnswers.append(paths);
    QTest::mouseClick(Fixture.Ui().ToolButton1(), Qt::LeftButton);
}

void TstMainWindow::openTwoFilesAndOneTwice()
{
    OpenFiles({"a.bdf", "b.bdf"});
    // Every format Bitloom reads, first all at once, and all files last.
    const QString filter = Script->Dialogs.first().Filter;
    QVERIFY2(filter.startsWith("Fonts|*.bdf;") && filter.contains("*.pcf.gz") && filter.contains("*.psfu.gz") &&
                 filter.contains("*.hex") && filter.endsWith("|All files|*.*"),
             qPrintable(filter));
    QVERIFY(Script->Dialogs.first().MultiSelect);
    QCOMPARE(Form->Fonts.size(), size_t(2));
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 2);
    QCOMPARE(Fixture.Ui().ListBox1()->item(0)->text(), QString("A (a.bdf)"));
    QCOMPARE(Fixture.Ui().ListBox1()->item(1)->text(), QString("B (b.bdf)"));
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 1);
    QCOMPARE(Form->Fonts.currentIndex(), 1);
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString("B"));
    QCOMPARE(Fixture.Ui().RxDrawGrid()->rows(), 10);

    OpenFiles({"a.bdf"});
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 3);
    QCOMPARE(Fixture.Ui().ListBox1()->item(2)->text(), QString("A (a.bdf)"));
    QVERIFY(Form->Fonts[2].Font == Form->Fonts[0].Font);
    SetPixel(Glyph(2, 0), 0, 0);
    QVERIFY(!(Form->Fonts[2].Font == Form->Fonts[0].Font));
    // Quick save keeps the edit: the unchanged first copy does not overwrite it.
    Form->Fonts.markModified(2);
    Form->FontPage->ToolButton25Click();
    TBDFFont back;
    OpenBDF(Path("a.bdf").toStdString(), back, {});
    QVERIFY(back.Chars[0].Bitmap == Glyph(2, 0).Bitmap);
    QVERIFY(!Form->Fonts[2].Modified);
    QVERIFY(Script->Errors.isEmpty());
}

void TstMainWindow::unreadableFileKeepsListParallel()
{
    OpenFiles({"a.bdf", "missing.bdf", "b.bdf"});
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains(Path("missing.bdf")));
    QVERIFY(Script->Errors.first().contains("No such file"));
    QCOMPARE(Form->Fonts.size(), size_t(1));
    QCOMPARE(Form->StatusPanel->text(), QString("Opened a.bdf: 3 glyphs"));
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 1);
    // The files after the failed one are not opened and nothing gets selected.
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), -1);
    QCOMPARE(Form->Fonts.currentIndex(), -1);
    // The window goes on working.
    OpenFiles({"b.bdf"});
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 2);
    QCOMPARE(Form->Fonts.currentIndex(), 1);
}

void TstMainWindow::wideGlyphWarningShown()
{
    WriteFile(Path("wide.bdf"), "FONT Wide\nSTARTCHAR 0041\nBBX 80 1 0 0\nBITMAP\nFFFFFFFFFFFFFFFFFFFF\nENDCHAR\n");
    OpenFiles({"wide.bdf"});
    QCOMPARE(Script->Warnings.size(), 1);
    QVERIFY(Script->Warnings.first().contains("Wide"));
    QVERIFY(Script->Warnings.first().contains("1 glyph"));
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 64);
}

void TstMainWindow::deleteRows()
{
    QTest::mouseClick(Fixture.Ui().ToolButton3(), Qt::LeftButton);
    QVERIFY(Script->Asked.isEmpty());

    OpenFiles({"a.bdf", "b.bdf", "c.bdf"});
    Form->Fonts[1].Modified = true;
    Script->YesNoAnswers = {false};
    QTest::mouseClick(Fixture.Ui().ToolButton3(), Qt::LeftButton);
    QCOMPARE(Script->Asked, QStringList{"Are you sure?"});
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 3);

    Fixture.Ui().ListBox1()->setCurrentRow(1);
    Script->YesNoAnswers = {true};
    QTest::mouseClick(Fixture.Ui().ToolButton3(), Qt::LeftButton);
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 2);
    QCOMPARE(Form->Fonts.size(), size_t(2));
    QCOMPARE(Fixture.Ui().ListBox1()->item(1)->text(), QString("C (c.bdf)"));
    QCOMPARE(Form->Fonts[1].Font.FontName, std::string("C"));
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 0);
    QCOMPARE(Form->Fonts.currentIndex(), 0);
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString("A"));

    Script->YesNoAnswers = {true, true};
    Form->FontPage->ToolButton3Click();
    Form->FontPage->ToolButton3Click();
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 0);
    QVERIFY(Form->Fonts.empty());
    QCOMPARE(Form->Fonts.currentIndex(), -1);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 1);
}

void TstMainWindow::moveSelectionOnBothPages()
{
    OpenFiles({"a.bdf", "b.bdf", "c.bdf"});
    Fixture.Ui().ListBox1()->setCurrentRow(-1);
    Form->Movedown1Click();
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 0);
    QCOMPARE(Form->Fonts.currentIndex(), 0);
    Form->Moveup1Click();
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 0);
    QTest::keyClick(Form.get(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 1);
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString("B"));
    Form->Movedown1Click();
    Form->Movedown1Click();
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 2);
    QTest::keyClick(Form.get(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(Form->Fonts.currentIndex(), 1);

    Form->PageControl1->setCurrentIndex(1);
    PageControl<QListWidget>(Form->CompilerPage, "ListBox2")->addItems({"one", "two"});
    Form->Movedown1Click();
    QCOMPARE(PageControl<QListWidget>(Form->CompilerPage, "ListBox2")->currentRow(), 0);
    Form->Movedown1Click();
    QCOMPARE(PageControl<QListWidget>(Form->CompilerPage, "ListBox2")->currentRow(), 1);
    QCOMPARE(Fixture.Ui().ListBox1()->currentRow(), 1);
}

void TstMainWindow::newFont()
{
    QTest::mouseClick(Fixture.Ui().ToolButton19(), Qt::LeftButton);
    QTest::mouseClick(Fixture.Ui().ToolButton19(), Qt::LeftButton);
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 2);
    QCOMPARE(Fixture.Ui().ListBox1()->item(1)->text(), QString("bitloom (bitloom.bdf)"));
    const TProjectRecord &slot = Form->Fonts[1];
    QCOMPARE(slot.FileName, std::string("bitloom.bdf"));
    QCOMPARE(slot.Font.FBBWidth, 12);
    QCOMPARE(slot.Font.Chars.size(), size_t(1));
    QCOMPARE(slot.Font.Chars[0].Bitmap, std::vector<uint64_t>(12, 0));
    QVERIFY(slot.Font.Uid > 0);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 12);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0000"));
    // Showing the Uid does not change it, even above the signed range.
    QCOMPARE(Fixture.Ui().Edit7()->text().toDouble(), slot.Font.Uid);
}

void TstMainWindow::saveAsAndQuickSave()
{
    OpenFiles({"a.bdf", "b.bdf"});
    Form->Fonts[0].Modified = Form->Fonts[1].Modified = true;
    Fixture.Ui().ListBox1()->setCurrentRow(0);

    Script->SaveAnswers = {Path("copy.bdf")};
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Script->ProposedNames, QStringList{"a.bdf"});
    QVERIFY(Script->Dialogs.last().Filter.startsWith("bdf font|*.bdf|"));
    QVERIFY(Script->Dialogs.last().ConfirmOverwrite);
    QVERIFY(QFile::exists(Path("copy.bdf")));
    QCOMPARE(Form->Fonts[0].FileName, Path("a.bdf").toStdString());
    QVERIFY(!Form->Fonts[0].Modified);
    QVERIFY(Form->Fonts[1].Modified);

    // Cancelled dialog saves nothing.
    Form->FontPage->ToolButton2Click();
    QVERIFY(Form->Fonts[1].Modified);

    QFile::remove(Path("b.bdf"));
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(QFile::exists(Path("b.bdf")));
    QVERIFY(!Form->Fonts[1].Modified);

    // A save that cannot happen reports the path and keeps the flag.
    Form->Fonts[0].Modified = true;
    Form->Fonts[0].FileName = Path("no/such/dir/a.bdf").toStdString();
    QTest::mouseClick(Fixture.Ui().ToolButton25(), Qt::LeftButton);
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains(Path("no/such/dir/a.bdf")));
    QVERIFY(Form->Fonts[0].Modified);
}

namespace {
// A font file's lines by kind: comments, property lines, glyph names, ENCODING
// lines, and each glyph's bitmap rows.
struct TFontLines {
    QList<QByteArray> Comments, Properties, Names, Codes, Bitmaps;
};
TFontLines LinesOf(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    TFontLines lines;
    bool inProperties = false, inBitmap = false;
    for (QByteArray line : f.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("COMMENT"))
            lines.Comments << line;
        else if (line.startsWith("STARTPROPERTIES") || line == "ENDPROPERTIES")
            inProperties = line != "ENDPROPERTIES";
        else if (inProperties)
            lines.Properties << line;
        else if (line.startsWith("STARTCHAR "))
            lines.Names << line;
        else if (line.startsWith("ENCODING "))
            lines.Codes << line;
        else if (line == "BITMAP" || line == "ENDCHAR")
            inBitmap = line == "BITMAP", lines.Bitmaps << QByteArray();
        else if (inBitmap)
            lines.Bitmaps.last() += line + ' ';
    }
    return lines;
}
} // namespace

// A font nobody here wrote, one pixel painted and saved with Ctrl+Q: the file keeps
// its comments, properties, names and codes, X11's bdftopcf takes it, and the
// export from the menu is taken too.
void TstMainWindow::realFontKeepsAllThroughPaintSaveAndExport()
{
    QProcess convert;
    convert.start("pcf2bdf", {"-o", Path("6x13.bdf"), "/usr/share/fonts/X11/misc/6x13.pcf.gz"});
    QVERIFY2(convert.waitForFinished(60000) && convert.exitCode() == 0, "pcf2bdf could not make 6x13.bdf");
    // pcf2bdf writes no comments: two are added, one in the header and one in a glyph.
    QFile f(Path("6x13.bdf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll().replace("\nSIZE ", "\nCOMMENT header comment\nSIZE ")
                                .replace("ENCODING 65\n", "ENCODING 65\nCOMMENT glyph comment\n");
    f.close();
    WriteFile(Path("6x13.bdf"), text);
    QFile::copy(Path("6x13.bdf"), Path("original.bdf"));
    Form->FontPage->OpenFonts({Path("6x13.bdf")});
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(2, 1));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(2, 1));
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, {6, 6});
    QVERIFY(Form->Fonts[0].Modified);
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!Form->Fonts[0].Modified);

    const TFontLines before = LinesOf(Path("original.bdf")), after = LinesOf(Path("6x13.bdf"));
    QVERIFY(before.Comments.size() == 2 && before.Properties.size() > 20);
    QCOMPARE(after.Comments, before.Comments);
    QCOMPARE(after.Properties, before.Properties + QList<QByteArray>{"Uid 0"});
    QCOMPARE(after.Names, before.Names);
    QCOMPARE(after.Codes, before.Codes);
    QCOMPARE(after.Bitmaps.size(), before.Bitmaps.size());
    int changed = 0;
    for (qsizetype i = 0; i < before.Bitmaps.size(); ++i)
        changed += after.Bitmaps[i] != before.Bitmaps[i];
    QCOMPARE(changed, 1);

    QMenu *file = Form->menuBar()->findChild<QMenu *>();
    QAction *exportCommand = nullptr;
    for (QAction *a : Form->menuBar()->actions())
        for (QAction *item : a->menu() ? a->menu()->actions() : QList<QAction *>{})
            if (item->text() == QStringLiteral("Экспорт…"))
                exportCommand = item;
    QVERIFY(file && exportCommand);
    Script->SaveAnswers = {Path("export.bdf")};
    exportCommand->trigger();
    QCOMPARE(Script->ProposedNames.last(), QString("6x13.bdf"));
    // 6x13 names two glyphs "space" and two "hyphen": the export renames the second of each and says so.
    QVERIFY(Script->Errors.isEmpty());
    QCOMPARE(Script->Warnings.size(), 1);
    QVERIFY(Script->Warnings[0].contains("Glyph 96 is named \"space\" as an earlier glyph is"));
    for (const QString &name : {QString("6x13.bdf"), QString("export.bdf")}) {
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start("bdftopcf", {"-o", Path(name + ".pcf"), Path(name)});
        QVERIFY(check.waitForFinished(60000));
        QCOMPARE(check.readAll() + QByteArray::number(check.exitCode()), QByteArray("0"));
    }
    QCOMPARE(LinesOf(Path("export.bdf")).Bitmaps, after.Bitmaps);
}

// A compressed PSF 1 console font is written back compressed, as PSF 2, with Ctrl+Q; a
// font PSF cannot hold as it is is written only after the user says yes.
void TstMainWindow::otherFormatsSaveBackAndAskBeforeLoss()
{
    QVERIFY(QFile::copy("/usr/share/consolefonts/Lat2-Terminus16.psf.gz", Path("t.psf.gz")));
    Form->FontPage->OpenFonts({Path("t.psf.gz")});
    QCOMPARE(Form->Fonts[0].Kind, (TFontFileKind{TFontFormat::PSF1, true}));
    const TBDFChar before = Glyph(0, 0);
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, {6, 6});
    QVERIFY(!(Glyph(0, 0) == before));
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(Script->Asked.isEmpty() && !Form->Fonts[0].Modified);
    TBDFFont back;
    QCOMPARE(OpenFont(Path("t.psf.gz").toStdString(), back).Kind, (TFontFileKind{TFontFormat::PSF2, true}));
    QCOMPARE(back.Chars[0].Bitmap, Glyph(0, 0).Bitmap);

    // One glyph narrower than the rest: PSF needs one cell size.
    QByteArray mixed = SmallFont("M", 3);
    WriteFile(Path("m.bdf"), mixed.replace(mixed.indexOf("BBX 8 2"), 7, "BBX 6 2"));
    Form->FontPage->OpenFonts({Path("m.bdf")});
    Script->SaveAnswers = {Path("m.psf"), Path("m.psf")};
    Script->YesNoAnswers = {false, true};
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Script->Asked.size(), 1);
    QVERIFY(Script->Asked[0].startsWith("PSF 2 cannot hold all that this font has"));
    QCOMPARE(Script->AskedDefaults[0], TAskDefault::No);
    QVERIFY(!QFile::exists(Path("m.psf")));
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(OpenFont(Path("m.psf").toStdString(), back).Kind.Format, TFontFormat::PSF2);
    QCOMPARE(back.Chars.size(), size_t(3));
    QVERIFY(Form->Fonts[1].Modified == false && Form->Fonts[1].Kind == TFontFileKind{});
    // .hex cannot draw a glyph 6 wide at all: no question, the refusal names it.
    Script->SaveAnswers = {Path("m.hex")};
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Script->Asked.size(), 2);
    QVERIFY(!QFile::exists(Path("m.hex")));
    QVERIFY2(Script->Errors.size() == 1 && Script->Errors[0].contains("U+0041"), qPrintable(Script->Errors.join('|')));
}

void TstMainWindow::closePrompts_data()
{
    QTest::addColumn<bool>("projectModified");
    QTest::addColumn<bool>("fontModified");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("projectSaves");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<bool>("closes");
    const QString project = "Save Bitloom project?", fonts = "BDF fonts not saved, exit?";
    QTest::newRow("nothing-modified") << false << false << QList<bool>{} << true << QStringList{} << true;
    QTest::newRow("fonts-no") << false << true << QList<bool>{false} << true << QStringList{fonts} << false;
    QTest::newRow("fonts-yes") << false << true << QList<bool>{true} << true << QStringList{fonts} << true;
    QTest::newRow("project-no") << true << false << QList<bool>{false} << true << QStringList{project} << true;
    QTest::newRow("project-yes-saved") << true << false << QList<bool>{true} << true << QStringList{project} << true;
    QTest::newRow("both-yes-then-no") << true << true << QList<bool>{true, false} << true
                                      << QStringList{project, fonts} << false;
    QTest::newRow("both-no-then-yes") << true << true << QList<bool>{false, true} << true
                                      << QStringList{project, fonts} << true;
    QTest::newRow("project-yes-cancelled") << true << true << QList<bool>{true} << false << QStringList{project}
                                           << false;
}

void TstMainWindow::closePrompts()
{
    QFETCH(bool, projectModified);
    QFETCH(bool, fontModified);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, projectSaves);
    QFETCH(QStringList, asked);
    QFETCH(bool, closes);
    OpenFiles({"a.bdf"});
    Form->Project.ProjectModified = projectModified;
    Form->Fonts[0].Modified = fontModified;
    // The project save dialog is answered with a file, or cancelled.
    if (projectSaves)
        Script->SaveAnswers << Path("p.bitloom");
    for (bool a : answers)
        Script->YesNoAnswers.append(a);
    const bool closed = Form->close();
    QCOMPARE(Script->Asked, asked);
    QCOMPARE(closed, closes);
    QCOMPARE(Form->isVisible(), !closes);
    const bool saved = projectModified && !answers.isEmpty() && answers.first() && projectSaves;
    QCOMPARE(QFile::exists(Path("p.bitloom")), saved);
}

void TstMainWindow::failedProjectSaveKeepsWindowOpen()
{
    Form->Project.markModified();
    Script->SaveAnswers << Path("no/such/folder/x.bitloom");
    Script->YesNoAnswers = {true};
    QVERIFY(!Form->close());
    QVERIFY(Form->isVisible());
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains("Unable to write to " + Path("no/such/folder/x.bitloom")));
    QVERIFY(Form->Project.ProjectModified);
}

void TstMainWindow::menuDispatchesByPage()
{
    Form->PageControl1->setCurrentIndex(1);
    QTest::keyClick(Form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Script->Dialogs.size(), 1);
    QCOMPARE(Script->Dialogs.first().Filter, QString("Bitloom Project|*.bitloom|All files|*.*"));
    Form->PageControl1->setCurrentIndex(0);
    Script->OpenAnswers.append({Path("a.bdf")});
    QTest::keyClick(Form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 1);
    // Quick save works from either page.
    Form->PageControl1->setCurrentIndex(1);
    QFile::remove(Path("a.bdf"));
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(QFile::exists(Path("a.bdf")));
}

void TstMainWindow::pixelPresses_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("buttonsHeld");
    QTest::addColumn<int>("mods");
    QTest::addColumn<quint64>("row");
    QTest::addColumn<bool>("marks");
    const int L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
    QTest::newRow("left-sets") << 2 << L << L << int(Qt::NoModifier) << quint64(0xA8) << true;
    QTest::newRow("right-clears") << 0 << R << R << int(Qt::NoModifier) << quint64(0x08) << true;
    QTest::newRow("ctrl-left-toggles-set") << 4 << L << L << int(Qt::ControlModifier) << quint64(0x80) << true;
    QTest::newRow("ctrl-left-toggles-clear") << 1 << L << L << int(Qt::ControlModifier) << quint64(0xC8) << true;
    QTest::newRow("shift-left-sets") << 1 << L << L << int(Qt::ShiftModifier) << quint64(0xC8) << true;
    QTest::newRow("ctrl-shift-left-sets") << 4 << L << L << int(Qt::ControlModifier | Qt::ShiftModifier)
                                          << quint64(0x88) << true;
    QTest::newRow("ctrl-left-with-right-held-sets") << 4 << L << (L | R) << int(Qt::ControlModifier) << quint64(0x88)
                                                    << true;
    QTest::newRow("middle-nothing") << 0 << M << M << int(Qt::NoModifier) << quint64(0x88) << false;
    QTest::newRow("right-of-grid-last-column") << 9 << L << L << int(Qt::NoModifier) << quint64(0x88) << true;
    QTest::newRow("set-already-set-still-marks") << 0 << L << L << int(Qt::NoModifier) << quint64(0x88) << true;
}

void TstMainWindow::pixelPresses()
{
    QFETCH(int, col);
    QFETCH(int, button);
    QFETCH(int, buttonsHeld);
    QFETCH(int, mods);
    QFETCH(quint64, row);
    QFETCH(bool, marks);
    WriteFile(Path("w5.bdf"), "FONT W\nFONTBOUNDINGBOX 5 2 0 0\nSTARTCHAR 0041\nBBX 5 2 0 0\nBITMAP\n88\n00\nENDCHAR\n");
    OpenFiles({"w5.bdf"});
    QVERIFY(!Form->Fonts[0].Modified);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, CellCentre(col, 0), Qt::MouseButton(button),
              Qt::MouseButtons(buttonsHeld), Qt::KeyboardModifiers(mods));
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonRelease, CellCentre(col, 0), Qt::MouseButton(button),
              Qt::NoButton, Qt::KeyboardModifiers(mods));
    QCOMPARE(Glyph(0, 0).Bitmap[0], row);
    QCOMPARE(Form->Fonts[0].Modified, marks);
    // What is drawn follows the bits: a set pixel is dark, a clear one light.
    const QImage shot = Fixture.Ui().RxDrawGrid1()->grab().toImage();
    for (int x = 0; x < 5; ++x) {
        const bool ink = (row >> (7 - x)) & 1;
        QCOMPARE(shot.pixelColor(CellCentre(x, 0)).lightness() < 128, ink);
    }
}

void TstMainWindow::ctrlDoubleClickClearsThenSets()
{
    WriteFile(Path("w5.bdf"), "FONT W\nFONTBOUNDINGBOX 5 2 0 0\nSTARTCHAR 0041\nBBX 5 2 0 0\nBITMAP\n88\n00\nENDCHAR\n");
    OpenFiles({"w5.bdf"});
    QTest::mouseDClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::ControlModifier, CellCentre(0, 0));
    QCOMPARE(Glyph(0, 0).Bitmap[0], uint64_t(0x88));
    QTest::mousePress(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::ControlModifier, CellCentre(0, 0));
    QCOMPARE(Glyph(0, 0).Bitmap[0], uint64_t(0x08));
}

void TstMainWindow::drags_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<quint64>("row0");
    QTest::addColumn<quint64>("row1");
    QTest::addColumn<quint64>("row2");
    const int L = Qt::LeftButton, R = Qt::RightButton;
    // The press on column 1 of row 1 sets 0x40 there first.
    QTest::newRow("right-out-of-grid") << L << 0 << QPoint(200, 2 * 13 + 6) << quint64(0) << quint64(0x40)
                                       << quint64(0x08);
    QTest::newRow("below-grid") << L << 0 << QPoint(20, 3 * 13 + 2) << quint64(0) << quint64(0x40) << quint64(0);
    QTest::newRow("above-grid") << L << 0 << QPoint(3 * 13 + 6, -40) << quint64(0x10) << quint64(0x40) << quint64(0);
    QTest::newRow("left-of-grid") << L << 0 << QPoint(-30, 2 * 13 + 6) << quint64(0) << quint64(0x40)
                                  << quint64(0x80);
    QTest::newRow("right-button-clears") << R << 0 << QPoint(6, 6) << quint64(0) << quint64(0) << quint64(0);
    QTest::newRow("ctrl-drag-nothing") << L << int(Qt::ControlModifier) << QPoint(6, 6) << quint64(0)
                                       << quint64(0x40) << quint64(0);
    QTest::newRow("both-buttons-nothing") << (L | R) << 0 << QPoint(6, 6) << quint64(0) << quint64(0x40)
                                          << quint64(0);
}

void TstMainWindow::drags()
{
    QFETCH(int, buttons);
    QFETCH(int, mods);
    QFETCH(QPoint, to);
    QFETCH(quint64, row0);
    QFETCH(quint64, row1);
    QFETCH(quint64, row2);
    WriteFile(Path("w5.bdf"), "FONT W\nFONTBOUNDINGBOX 5 3 0 0\nSTARTCHAR 0041\nBBX 5 3 0 0\nBITMAP\n00\n00\n00\n"
                              "ENDCHAR\n");
    OpenFiles({"w5.bdf"});
    const Qt::MouseButton first = (buttons & Qt::RightButton) && !(buttons & Qt::LeftButton) ? Qt::RightButton
                                                                                             : Qt::LeftButton;
    if (first == Qt::RightButton)
        Glyph(0, 0).Bitmap = {0x80, 0x40, 0};
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, CellCentre(1, 1), first, first);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseMove, to, Qt::NoButton, Qt::MouseButtons(buttons),
              Qt::KeyboardModifiers(mods));
    if (first == Qt::RightButton)
        SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseMove, CellCentre(0, 0), Qt::NoButton, Qt::RightButton);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonRelease, to, first, Qt::NoButton);
    QCOMPARE(Glyph(0, 0).Bitmap, (std::vector<uint64_t>{row0, row1, row2}));
}

void TstMainWindow::missingRowIgnoresPaint()
{
    WriteFile(Path("short.bdf"), "FONT S\nFONTBOUNDINGBOX 8 3 0 0\nSTARTCHAR 0041\nBBX 8 3 0 0\nBITMAP\n00\n00\n"
                                 "ENDCHAR\n");
    OpenFiles({"short.bdf"});
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->rows(), 3);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, CellCentre(0, 2), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(Glyph(0, 0).Bitmap.size(), size_t(2));
    QVERIFY(!Form->Fonts[0].Modified);
    const QImage shot = Fixture.Ui().RxDrawGrid1()->grab().toImage();
    QCOMPARE(shot.pixelColor(CellCentre(3, 2)), QColor(Qt::white));
}

void TstMainWindow::pixelGridPlacement()
{
    WriteFile(Path("off.bdf"), "FONT O\nFONTBOUNDINGBOX 8 10 0 0\n"
                               "STARTCHAR 0041\nBBX 4 3 -1 -2\nBITMAP\n00\n00\n00\nENDCHAR\n"
                               "STARTCHAR 0042\nBBX 4 7 2 1\nBITMAP\nENDCHAR\n");
    OpenFiles({"off.bdf"});
    const QPoint frame = Fixture.Ui().RxDrawGrid()->pos();
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->pos(), frame + QPoint(-13, (10 - 3 + 2) * 13));
    // Its lower edge lies two cells below the frame's.
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->geometry().bottom() + 1, frame.y() + 12 * 13);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->pos(), frame + QPoint(2 * 13, 2 * 13));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0042"));
    // Keys stop at the last glyph.
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 1);
    // An empty cell collapses the grid onto the frame's corner; fields keep their values.
    QTest::mouseClick(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 2));
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->pos(), frame);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->size(), QSize(13, 13));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0042"));
    QCOMPARE(Fixture.Ui().Edit2()->text(), QString("7"));
}

void TstMainWindow::guidesFollowZoomScrollAndSwitches_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("zoom-4") << 4;
    QTest::newRow("default-zoom") << 12;
    // Taller than the view: the area scrolls under the guides.
    QTest::newRow("zoom-32-scrolled") << 32;
}

void TstMainWindow::guidesFollowZoomScrollAndSwitches()
{
    QFETCH(int, zoom);
    // Box 8 x 10, y offset -1: ascent 9, descent 1; the glyph's DWIDTH is 8.
    OpenFiles({"b.bdf"});
    Form->FontPage->SetZoom(zoom);
    QWidget *area = Fixture.Ui().EditorArea();
    QWidget *view = Fixture.Ui().EditorScroll()->viewport();
    const QPoint frame = Fixture.Ui().RxDrawGrid()->pos();
    // The colour on the middle of grid line k, scrolled into view first.
    const auto hueAt = [&](bool vertical, int k) {
        const TGuideBand band = GuideBand(k, zoom);
        const int across = band.Start + band.Thickness / 2, along = (zoom + 1) / 2;
        const QPoint p = frame + (vertical ? QPoint(across, along) : QPoint(along, across));
        Fixture.Ui().EditorScroll()->ensureVisible(p.x(), p.y(), 2, 2);
        const QColor c = view->grab().toImage().pixelColor(area->mapTo(view, p));
        return c.red() > 150 && c.blue() > 150 && c.green() < 100 ? "magenta"
               : c.red() > 150 && c.green() < 100 && c.blue() < 100 ? "red"
               : c.green() > 120 && c.red() < 100 && c.blue() < 100 ? "green"
               : c.blue() > 150 && c.red() < 100                     ? "blue"
                                                                     : "none";
    };
    QCOMPARE(hueAt(false, 10), "red");
    QCOMPARE(hueAt(false, 1), "blue");
    QCOMPARE(hueAt(false, 11), "green");
    QCOMPARE(hueAt(true, 8), "magenta");
    // Each is switched in the menu "Вид"; with none the layer is not there at all.
    QMenu *viewMenu = nullptr;
    for (QAction *a : Form->menuBar()->actions())
        if (a->text() == "Вид")
            viewMenu = a->menu();
    QVERIFY(viewMenu);
    QCOMPARE(viewMenu->actions().size(), 4);
    viewMenu->actions()[0]->trigger();
    QCOMPARE(hueAt(false, 10), "none");
    QCOMPARE(hueAt(false, 1), "blue");
    for (QAction *a : viewMenu->actions())
        a->setChecked(false);
    QVERIFY(PageControl<TGuideOverlay>(Form->FontPage, "GuideOverlay")->isHidden());
    QCOMPARE(hueAt(true, 8), "none");
    viewMenu->actions()[3]->trigger();
    QCOMPARE(hueAt(true, 8), "magenta");
}

void TstMainWindow::tableSelectionAndLoad()
{
    OpenFiles({"b.bdf"});
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(1, 5));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{1, 5, 1, 5}));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 37);
    SendMouse(Fixture.Ui().RxDrawGrid2(), QEvent::MouseMove, TableCellCentre(0, 30), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(Fixture.Ui().RxDrawGrid2()->currentCell(), (TTableCell{0, 30}));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 20));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 20, 1, 5}));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 20);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0055"));
    QCOMPARE(Fixture.Ui().Edit1()->text(), QString("8"));
    QCOMPARE(Form->FontPage->PageState().UndoChar, Glyph(0, 20));

    // The same cell: exactly that cell.
    QTest::mouseClick(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 3));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 3, 0, 3}));
    QVERIFY(!Form->Fonts[0].Modified);
}

void TstMainWindow::releaseBelowTable()
{
    OpenFiles({"b.bdf"});
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(8, 3));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, QPoint(6 * 16 + 7, 9 * 19 + 30));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{8, 3, 9, 6}));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 8 * 32 + 6);
    // A font of 300 characters has a tenth row: the release there scrolls to it.
    OpenFiles({"c.bdf"});
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(8, 3));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, QPoint(6 * 16 + 7, 9 * 19 + 30));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{8, 3, 9, 6}));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 9 * 32 + 6);
    QCOMPARE(Fixture.Ui().RxDrawGrid2()->topRow(), 1);
}

void TstMainWindow::rightClickKeepsSelectionKeysMoveIt()
{
    OpenFiles({"b.bdf"});
    QTest::mouseClick(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 2));
    const TCharSelection sel = Form->FontPage->PageState().CharSelection;
    SendMouse(Fixture.Ui().RxDrawGrid2(), QEvent::MouseButtonPress, TableCellCentre(1, 1), Qt::RightButton, Qt::RightButton);
    SendMouse(Fixture.Ui().RxDrawGrid2(), QEvent::MouseButtonRelease, TableCellCentre(1, 1), Qt::RightButton, Qt::NoButton);
    Fixture.Ui().PopupMenu1()->hide();
    QCOMPARE(Form->FontPage->PageState().CharSelection, sel);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 2);
    // Keys move the selection with the current glyph, so a paste lands on the glyph shown.
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_C, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 5);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0046"));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 5, 0, 5}));
    const TBDFChar before = Form->Fonts[0].Font.Chars[2];
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(Form->Fonts[0].Font.Chars[5].Bitmap == before.Bitmap);
    QVERIFY(Form->Fonts[0].Font.Chars[2] == before);
    // Shift extends from where the plain moves left off, both ways.
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Down);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 39);
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{1, 5, 1, 7}));
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 7, 1, 5}));
}

void TstMainWindow::tableDrawing()
{
    OpenFiles({"b.bdf"});
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 20));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(1, 5));
    Fixture.Ui().RxDrawGrid2()->clearFocus();
    const QImage shot = Fixture.Ui().RxDrawGrid2()->grab().toImage();
    // Glyph row 1 is 0x81: its first pixel sits 3 right of the cell's left and 9 below its top.
    auto inkOf = [&](int row, int col) { return shot.pixelColor(col * 16 + 3, row * 19 + 9); };
    QCOMPARE(inkOf(0, 19), QColor(Qt::black));
    QCOMPARE(inkOf(0, 20), QColor(0, 0, 255));
    QCOMPARE(inkOf(1, 5), QColor(0, 0, 255));
    QCOMPARE(inkOf(1, 7), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(1 * 16 + 2, 0 * 19 + 2), QColor(Qt::white));
    QCOMPARE(shot.pixelColor(8 * 16 + 7, 1 * 19 + 9), QColor(204, 204, 204));
    QCOMPARE(shot.pixelColor(31 * 16 + 7, 8 * 19 + 9), QColor(204, 204, 204));
}

void TstMainWindow::noFontAllGrey()
{
    const QImage shot = Fixture.Ui().RxDrawGrid2()->grab().toImage();
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 32; ++c)
            QCOMPARE(shot.pixelColor(c * 16 + 7, r * 19 + 9), QColor(204, 204, 204));
    QTest::mouseClick(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(2, 4));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{2, 4, 2, 4}));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Текущий символ:"));
}

void TstMainWindow::malformedBoxesStayUsable()
{
    WriteFile(Path("huge.bdf"), "FONT Huge\nFONTBOUNDINGBOX 2147483647 -5 0 0\n"
                                "STARTCHAR 0041\nBBX 8 2147483647 -2147483648 2147483647\nBITMAP\n80\nENDCHAR\n");
    OpenFiles({"huge.bdf"});
    QCOMPARE(Fixture.Ui().RxDrawGrid()->columns(), MaxGridCells);
    QCOMPARE(Fixture.Ui().RxDrawGrid()->rows(), 1);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->rows(), MaxGridCells);
    // The one real row still paints.
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, QPoint(13 + 6, 6), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(Glyph(0, 0).Bitmap[0], uint64_t(0xC0));
    Form->FontPage->SpeedButton11Click();
    Form->FontPage->SpeedButton12Click();
    QCOMPARE(Glyph(0, 0).BBXWidth, 9);
    QCOMPARE(Glyph(0, 0).Bitmap.size(), size_t(MaxCreatedRows));
    QCOMPARE(Glyph(0, 0).Bitmap[0], uint64_t(0xC000));
    // A glyph added with the font's box: at most the 64 columns a row holds, no rows for a negative height.
    Form->FontPage->ToolButton16Click();
    QCOMPARE(Glyph(0, 0).BBXWidth, MaxGlyphWidth);
    QVERIFY(Glyph(0, 0).Bitmap.empty());
    QVERIFY(Fixture.Ui().RxDrawGrid2()->grab().width() > 0);
    QVERIFY(Fixture.Ui().RxDrawGrid1()->grab(QRect(0, 0, 100, 100)).width() > 0);
}

void TstMainWindow::placementKeptBetweenRuns()
{
    Form->setGeometry(QRect(40, 50, 700, 560));
    const QRect before = Form->geometry();
    QVERIFY(Form->close());
    TFormMain next;
    QCOMPARE(next.geometry(), before);
}

void TstMainWindow::notAFontAddsNoRow_data()
{
    AddHostileRows({"png", "empty", "fifo"});
}

void TstMainWindow::notAFontAddsNoRow()
{
    QFETCH(QString, kind);
    const QString path = Path("bad.bdf");
    QVERIFY(MakeHostileFile(kind, path));
    OpenFiles({"a.bdf"});
    OpenFiles({"bad.bdf"});
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY2(Script->Errors.first().contains(path), qPrintable(Script->Errors.first()));
    QCOMPARE(Form->Fonts.size(), size_t(1));
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 1);
    // Quick save writes only the real font; the bad file is untouched.
    QTest::keyClick(Form.get(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(Script->Errors.size(), 1);
    QCOMPARE(QFileInfo(path).size(), kind == "png" ? qint64(PngBytes().size()) : qint64(0));
}

void TstMainWindow::truncatedFontWarns()
{
    WriteFile(Path("cut.bdf"), SmallFont("Cut", 3).chopped(20));
    OpenFiles({"cut.bdf"});
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 1);
    QCOMPARE(Script->Warnings.size(), 1);
    QVERIFY(Script->Warnings.first().contains("truncated"));
    QVERIFY(Script->Warnings.first().contains(Path("cut.bdf")));
}

void TstMainWindow::clickOnSelectedRowReloads()
{
    OpenFiles({"a.bdf"});
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, CellCentre(0, 0));
    QVERIFY(!(Glyph(0, 0) == Form->FontPage->PageState().UndoChar));
    Fixture.Ui().Edit6()->setText("Renamed");
    QCOMPARE(Form->Fonts[0].Font.FontName, std::string("Renamed"));
    const QRect row = Fixture.Ui().ListBox1()->visualItemRect(Fixture.Ui().ListBox1()->item(0));
    QTest::mouseClick(Fixture.Ui().ListBox1()->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    // A fresh undo copy and a header refill, though the row did not change.
    QVERIFY(Glyph(0, 0) == Form->FontPage->PageState().UndoChar);
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString("Renamed"));
    QCOMPARE(Fixture.Ui().Edit8()->text(), QString("8"));
}

void TstMainWindow::riskyQuestionsDefaultToNo()
{
    OpenFiles({"a.bdf"});
    QTest::mouseClick(Fixture.Ui().ToolButton3(), Qt::LeftButton);
    QCOMPARE(Script->Asked, QStringList{"Are you sure?"});
    QCOMPARE(Script->AskedIcons.last(), TAskIcon::Warning);
    QCOMPARE(Script->AskedDefaults.last(), TAskDefault::No);
    QCOMPARE(Fixture.Ui().ListBox1()->count(), 1);
    Form->Fonts[0].Modified = true;
    QVERIFY(!Form->close());
    QCOMPARE(Script->Asked.last(), QString("BDF fonts not saved, exit?"));
    QCOMPARE(Script->AskedDefaults.last(), TAskDefault::No);
    // The real box: Enter presses No.
    QTimer::singleShot(0, [] {
        QWidget *box = QApplication::activeModalWidget();
        if (box)
            QTest::keyClick(box, Qt::Key_Return);
    });
    TWidgetPrompts real;
    QVERIFY(!real.askYesNo("Are you sure?", TAskIcon::Warning, TAskDefault::No));
}

void TstMainWindow::saveDialogStartsBesideTheFont()
{
    QDir(Dir->path()).mkdir("sub");
    WriteFile(Path("sub/d.bdf"), SmallFont("D", 2));
    OpenFiles({"sub/d.bdf"});
    Form->FontPage->ToolButton2Click();
    QCOMPARE(Script->Dialogs.last().Directory, Path("sub"));
    QCOMPARE(Script->ProposedNames.last(), QString("d.bdf"));
    // A new font has no folder of its own: it starts where fonts were last opened.
    QTest::mouseClick(Fixture.Ui().ToolButton19(), Qt::LeftButton);
    Form->FontPage->ToolButton2Click();
    QCOMPARE(Script->Dialogs.last().Directory, Path("sub"));
    // The open dialog starts there too.
    Form->FontPage->ToolButton1Click();
    QCOMPARE(Script->Dialogs.last().Directory, Path("sub"));
}

void TstMainWindow::saveSaysSoInStatusLine()
{
    OpenFiles({"a.bdf"});
    Script->SaveAnswers << Path("saved.bdf");
    Form->FontPage->ToolButton2Click();
    QVERIFY(Form->StatusPanel->text().contains(Path("saved.bdf")));
    QCOMPARE(Form->StatusPanel->colour(), QColor(Qt::black));
    QTest::mouseClick(Fixture.Ui().ToolButton25(), Qt::LeftButton);
    QVERIFY(Form->StatusPanel->text().contains(Path("a.bdf")));
}

void TstMainWindow::fileDialogsShowEveryFile()
{
    QCOMPARE(QtNameFilters("bdf fonts|*.bdf|All files|*.*"), (QStringList{"bdf fonts (*.bdf)", "All files (*)"}));
    QFileDialog open;
    SetUpFileDialog(open, {"bdf fonts|*.bdf|All files|*.*", "bdf", true, false, Dir->path()}, false);
    // A typed name that exists without an extension opens as typed.
    QCOMPARE(open.defaultSuffix(), QString());
    QCOMPARE(open.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(open.directory().absolutePath(), Dir->path());
    QFileDialog save;
    SetUpFileDialog(save, {"bdf font|*.bdf", "bdf", false, true, {}}, true);
    QCOMPARE(save.defaultSuffix(), QString("bdf"));
    QVERIFY(!save.testOption(QFileDialog::DontConfirmOverwrite));
}

void TstMainWindow::bigGlyphsScrollIntoView()
{
    // A box like olgl19's: 65 x 68 with the glyph hanging 65 rows below the baseline.
    QByteArray rows;
    for (int i = 0; i < 65; ++i)
        rows += "FFFFFF\n";
    WriteFile(Path("big.bdf"), "FONT Big\nFONTBOUNDINGBOX 65 68 0 -65\nSTARTCHAR 0041\nBBX 21 65 0 -65\nBITMAP\n" +
                                   rows + "ENDCHAR\n");
    OpenFiles({"big.bdf"});
    QWidget *viewport = Fixture.Ui().EditorScroll()->viewport();
    const QRect grid(Fixture.Ui().RxDrawGrid1()->mapTo(viewport, QPoint(0, 0)), Fixture.Ui().RxDrawGrid1()->size());
    QVERIFY2(viewport->rect().intersects(grid), "the glyph is not in view");
    // The grids keep their cells, and the area scrolls instead of clipping.
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->width(), 21 * GlyphPitch);
    QVERIFY(Fixture.Ui().EditorArea()->height() >= Fixture.Ui().RxDrawGrid1()->geometry().bottom());
    QVERIFY(Fixture.Ui().EditorScroll()->verticalScrollBar()->maximum() > 0);
    // A press on the visible part paints its pixel.
    const QPoint cell = Fixture.Ui().RxDrawGrid1()->mapFrom(viewport, grid.intersected(viewport->rect()).topLeft());
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, cell + QPoint(3, 3), Qt::RightButton, Qt::RightButton);
    QVERIFY(Form->Fonts[0].Modified);
}

void TstMainWindow::splitterMoves()
{
    const QList<int> before = Fixture.Ui().Splitter1()->sizes();
    QCOMPARE(before[1], 188);
    Fixture.Ui().Splitter1()->setSizes({before[0] - 120, before[1] + 120});
    QCOMPARE(Fixture.Ui().Splitter1()->sizes()[1], before[1] + 120);
}

void TstMainWindow::fieldsFitTheirValues()
{
    auto fits = [](QLineEdit *field, const QString &text) {
        field->setText(text);
        const int room = field->contentsRect().width() - 4;
        return QFontMetrics(field->font()).horizontalAdvance(text) <= room;
    };
    QVERIFY(fits(Fixture.Ui().Edit5(), "1000"));
    QVERIFY(fits(Fixture.Ui().Edit13(), "FFFFFFFF"));
    for (QLineEdit *field : {Fixture.Ui().Edit8(), Fixture.Ui().Edit9(), Fixture.Ui().Edit10(), Fixture.Ui().Edit11()})
        QVERIFY(fits(field, "1234567"));
    // And the whole table still fits the window's starting size.
    QVERIFY(Fixture.Ui().RxDrawGrid2()->geometry().right() < Fixture.Ui().RxDrawGrid2()->parentWidget()->width());
}

void TstMainWindow::fontRowsElideInTheMiddle()
{
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const QString name = QString("font%1.bdf").arg(i);
        WriteFile(Path(name), SmallFont("-Misc-Fixed-Medium-R-Normal--20-200-75-75-C-100-ISO10646-1", 1));
        names << name;
    }
    OpenFiles(names);
    QCOMPARE(Fixture.Ui().ListBox1()->textElideMode(), Qt::ElideMiddle);
    QCOMPARE(Fixture.Ui().ListBox1()->item(2)->text(), "-Misc-Fixed-Medium-R-Normal--20-200-75-75-C-100-ISO10646-1 (font2.bdf)");
    QCOMPARE(Fixture.Ui().ListBox1()->item(2)->toolTip(), Path("font2.bdf"));
    // What the row shows ends with the file name.
    const QRect row = Fixture.Ui().ListBox1()->visualItemRect(Fixture.Ui().ListBox1()->item(2));
    QVERIFY(row.right() <= Fixture.Ui().ListBox1()->viewport()->width());
}

void TstMainWindow::toolbarIconsComeFromTheTheme()
{
    if (QIcon::fromTheme("edit-paste").isNull())
        QSKIP("no freedesktop icon theme installed");
    auto same = [](const QIcon &a, const QIcon &b) {
        return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
    };
    QVERIFY(same(Fixture.Ui().ToolButton22()->icon(), QIcon::fromTheme("edit-paste")));
    QVERIFY(same(Fixture.Ui().ToolButton16()->icon(), QIcon::fromTheme("list-add")));
    QVERIFY(!same(Fixture.Ui().ToolButton24()->icon(), Fixture.Ui().ToolButton22()->icon()));
    QVERIFY(same(Fixture.Ui().ToolButton1()->icon(), QIcon::fromTheme("document-open")));
}

void TstMainWindow::dropsOpenEachKind_data()
{
    // Names dropped (files made here by their extension, or web addresses), whether
    // c.bdf is open with unsaved changes first, the answers to Yes/No questions;
    // then the fonts open, the page shown (the drop lands on the compiler page)
    // and the status line (%1: the folder).
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<bool>("fontFirst");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("fonts");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("status");
    const QString refused = " not opened: only .bdf fonts, .bitloom projects, and .ttf, .otf and .bmp files to import "
                            "can be dropped";
    QTest::newRow("font") << QStringList{"a.bdf"} << false << QList<bool>{} << QStringList{"a.bdf"} << 0
                          << "Opened a.bdf: 3 glyphs";
    QTest::newRow("fonts-in-order") << QStringList{"a.bdf", "b.bdf"} << false << QList<bool>{}
                                    << QStringList{"a.bdf", "b.bdf"} << 0 << "Opened a.bdf: 3 glyphs, b.bdf: 40 glyphs";
    QTest::newRow("project-asks-first-and-no-keeps-the-fonts")
        << QStringList{"p.bitloom"} << true << QList<bool>{false} << QStringList{"c.bdf"} << 1
        << "Opened c.bdf: 300 glyphs";
    QTest::newRow("project-replaces-the-fonts") << QStringList{"p.bitloom"} << true << QList<bool>{true}
                                                << QStringList{"a.bdf"} << 1 << "%1/p.bitloom";
    QTest::newRow("truetype") << QStringList{"x.ttf"} << false << QList<bool>{} << QStringList{"imported.bdf"} << 0
                              << "Imported 2 glyphs from x.ttf into imported.bdf";
    QTest::newRow("picture-into-the-current-font") << QStringList{"chart.bmp"} << true << QList<bool>{}
                                                   << QStringList{"c.bdf"} << 0
                                                   << "Imported 200 glyphs from chart.bmp into c.bdf";
    QTest::newRow("picture-without-a-font") << QStringList{"chart.bmp"} << false << QList<bool>{} << QStringList{}
                                            << 0 << "No font is open to import chart.bmp into";
    QTest::newRow("other-refused") << QStringList{"notes.txt"} << false << QList<bool>{} << QStringList{} << 1
                                   << "notes.txt" + refused;
    QTest::newRow("web-address-refused") << QStringList{"https://example.com/a.bdf"} << false << QList<bool>{}
                                         << QStringList{} << 1 << "https://example.com/a.bdf" + refused;
    QTest::newRow("mixed-says-both") << QStringList{"a.bdf", "notes.txt"} << false << QList<bool>{}
                                     << QStringList{"a.bdf"} << 0 << "Opened a.bdf: 3 glyphs; notes.txt" + refused;
    QTest::newRow("one-project-at-a-time") << QStringList{"p.bitloom", "q.bitloom"} << false << QList<bool>{}
                                           << QStringList{"a.bdf"} << 1
                                           << "%1/p.bitloom; q.bitloom not opened: one project at a time";
}

void TstMainWindow::dropsOpenEachKind()
{
    QFETCH(QStringList, dropped);
    QFETCH(bool, fontFirst);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, fonts);
    QFETCH(int, page);
    QFETCH(QString, status);
    QDir(Dir->path()).mkdir("bin");
    FakeConverter(*Form->FontPage, Path("bin"), SmallFont("Made", 2));
    WriteFile(Path("p.bitloom"), "[FontFiles]\r\n1=" + Path("a.bdf").toUtf8() + "\r\n[Typefaces]\r\n");
    WriteFile(Path("q.bitloom"), "[FontFiles]\r\n1=" + Path("b.bdf").toUtf8() + "\r\n[Typefaces]\r\n");
    QImage chart(200, 100, QImage::Format_RGB888);
    chart.fill(Qt::white);
    QVERIFY(chart.save(Path("chart.bmp"), "BMP"));
    for (const char *name : {"x.ttf", "notes.txt"})
        WriteFile(Path(name), "not really");
    if (fontFirst) {
        Form->FontPage->OpenFonts({Path("c.bdf")});
        Form->Fonts.markCurrentModified();
    }
    Script->YesNoAnswers = answers;
    Script->TrueTypeAnswers << TTrueTypeOptions{"9", 0};
    Script->SaveAnswers << Path("imported.bdf");
    Script->CaptureAnswers << TCaptureOptions{"20", "10", "1"};

    QList<QUrl> urls;
    for (const QString &name : dropped)
        urls << (name.contains(':') ? QUrl(name) : QUrl::fromLocalFile(Path(name)));
    Form->PageControl1->setCurrentIndex(1);
    Form->OpenDroppedFiles(urls);
    QVERIFY2(Script->Errors.isEmpty(), qPrintable(Script->Errors.join('\n')));
    QCOMPARE(Script->Asked.size(), answers.size());
    QStringList open;
    for (const TProjectRecord &slot : Form->Fonts)
        open << QString::fromStdString(FileNameOnly(slot.FileName));
    QCOMPARE(open, fonts);
    QCOMPARE(Form->PageControl1->currentIndex(), page);
    QCOMPARE(Form->StatusPanel->text(), status.arg(Dir->path()));
    const bool red = status.contains("not opened") || status.startsWith("No font");
    QCOMPARE(Form->StatusPanel->colour(), red ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void TstMainWindow::fileDroppedOnTheNameFieldOpens()
{
    // As a file manager drags a file: its address, and its path as text.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("a.bdf"))});
    data.setText(Path("a.bdf"));
    QLineEdit *name = Fixture.Ui().Edit6();
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &drop);
    QTRY_COMPARE(Form->Fonts.size(), size_t(1));
    QCOMPARE(name->text(), QString("A"));
    QCOMPARE(Form->StatusPanel->text(), QString("Opened a.bdf: 3 glyphs"));
}

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/bitloom-test-config");
    TApplication app(argc, argv);
    TstMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
