// Fonts beyond the 288 cells the table shows at once, going to a code, the
// zoom of the glyph grids, and the unsaved mark of the font list.
#include "app/errorhandler.h"
#include "app/fmain.h"
#include "app/windowtestutil.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QToolButton>
#include <QListWidget>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QtTest>

class TstBigFonts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void rowCounts_data();
    void rowCounts();
    void smallFontsDoNotScroll();
    void cellsMapAfterScrolling();
    void selectionAcrossAScroll();
    void copyAndDeleteFromAboveTheView();
    void keysScroll();
    void wheelScrolls();
    void goToCode();
    void blockListAndNameSearch();
    void zoomLimitsAndKeys();
    void pixelRuleAtEveryZoom_data();
    void pixelRuleAtEveryZoom();
    void zoomAndViewKeptBetweenRuns();
    void unsavedFontsStandOut();

private:
    void Open(int glyphs);
    TCharTable *Table() { return Fixture.Ui().RxDrawGrid2(); }
    TBDFFont &Font() { return Form->Fonts[0].Font; }

    TWindowFixture Fixture;
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
};

void TstBigFonts::init()
{
    // Every test starts at the default zoom and view, whatever an earlier run left behind.
    for (const char *key : {"Editor/cellSize", "Editor/guides", "Editor/sampleText", "Editor/sampleScale"})
        QSettings().remove(QString::fromLatin1(key));
    QVERIFY(Fixture.setUp());
}

void TstBigFonts::cleanup()
{
    Fixture.tearDown();
}

void TstBigFonts::Open(int glyphs)
{
    WriteFile(Fixture.Dir->filePath("big.bdf"), SmallFont("Big", glyphs));
    Form->FontPage->OpenFonts({Fixture.Dir->filePath("big.bdf")});
}

void TstBigFonts::rowCounts_data()
{
    QTest::addColumn<int>("glyphs");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty") << 0 << 9;
    QTest::newRow("exactly-288") << 288 << 9;
    QTest::newRow("289") << 289 << 10;
    QTest::newRow("320-leaves-a-row-for-the-next") << 320 << 11;
    QTest::newRow("1000") << 1000 << 32;
    QTest::newRow("unifont") << 57086 << 1784;
}

void TstBigFonts::rowCounts()
{
    QFETCH(int, glyphs);
    QFETCH(int, rows);
    QCOMPARE(TableRowCount(glyphs), rows);
}

void TstBigFonts::smallFontsDoNotScroll()
{
    Open(288);
    QVERIFY(Table()->scrollBar()->isHidden());
    QTest::keyClick(Table(), Qt::Key_PageDown);
    QCOMPARE(Table()->currentCell(), (TTableCell{8, 0}));
    QCOMPARE(Table()->topRow(), 0);
    Open(289);
    QVERIFY(!Table()->scrollBar()->isHidden());
    QCOMPARE(Table()->scrollBar()->maximum(), 1);
}

void TstBigFonts::cellsMapAfterScrolling()
{
    Open(1000);
    Table()->scrollBar()->setValue(5);
    QCOMPARE(Table()->topRow(), 5);
    QTest::mouseClick(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 3));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 5 * 32 + 3);
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{5, 3, 5, 3}));
    QCOMPARE(Fixture.Ui().Edit13()->text(), QString("00E4"));
    // The picture under the cell is that glyph's: its first row holds its index's low byte.
    QCOMPARE(Font().Chars[size_t(5 * 32 + 3)].Bitmap[0], uint64_t((5 * 32 + 3) & 0xFF));
}

void TstBigFonts::selectionAcrossAScroll()
{
    Open(1000);
    QTest::mousePress(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(1, 4));
    Table()->scrollBar()->setValue(10);
    QTest::mouseRelease(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(2, 7));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{1, 4, 12, 7}));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 12 * 32 + 7);
}

void TstBigFonts::copyAndDeleteFromAboveTheView()
{
    Open(1000);
    QTest::mousePress(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 30));
    Table()->scrollBar()->setValue(3);
    QTest::mouseRelease(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 1));
    // Span 30 .. 3 * 32 + 1 = 97: 68 glyphs.
    Form->FontPage->ToolButton21Click();
    QCOMPARE(Form->FontPage->PageState().CharClipboard.size(), size_t(68));
    QCOMPARE(Form->FontPage->PageState().CharClipboard.Chars.front().Encoding, 0x41 + 30);
    Form->FontPage->ToolButton18Click();
    QCOMPARE(Font().Chars.size(), size_t(1000 - 68));
    QCOMPARE(Font().Chars[30].Encoding, 0x41 + 98);
}

void TstBigFonts::keysScroll()
{
    Open(1000);
    QTest::mouseClick(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(8, 0));
    QTest::keyClick(Table(), Qt::Key_Down);
    QCOMPARE(Table()->currentCell(), (TTableCell{9, 0}));
    QCOMPARE(Table()->topRow(), 1);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 9 * 32);
    QTest::keyClick(Table(), Qt::Key_PageDown);
    QCOMPARE(Table()->currentCell().Row, 18);
    QCOMPARE(Table()->topRow(), 10);
    // Ctrl+End lands on the last glyph (0x41 + 999), not past it.
    QTest::keyClick(Table(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(Table()->currentCell(), (TTableCell{31, 7}));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0428"));
    QCOMPARE(Table()->topRow(), 23);
    QTest::keyClick(Table(), Qt::Key_PageUp);
    QCOMPARE(Table()->currentCell().Row, 22);
    QTest::keyClick(Table(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(Table()->currentCell(), (TTableCell{0, 0}));
    QCOMPARE(Table()->topRow(), 0);
    // The selection went with the current cell.
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 0, 0, 0}));
}

void TstBigFonts::wheelScrolls()
{
    Open(1000);
    QWheelEvent down(QPointF(10, 10), Table()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Table(), &down);
    QCOMPARE(Table()->topRow(), 3);
    QCOMPARE(Table()->scrollBar()->value(), 3);
}

void TstBigFonts::goToCode()
{
    Open(1000);
    Font().Chars[700].Encoding = 0x4E00;
    Font().Chars[900].Encoding = 0x4E00;
    QTest::mouseClick(Table(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 2));
    const TCharSelection selection = Form->FontPage->PageState().CharSelection;
    QTest::keyClick(Form.get(), Qt::Key_G, Qt::ControlModifier);
    QVERIFY(Fixture.Ui().EditGoTo()->hasFocus());
    QTest::keyClicks(Fixture.Ui().EditGoTo(), "4e00");
    QTest::keyClick(Fixture.Ui().EditGoTo(), Qt::Key_Return);
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 700);
    QCOMPARE(Table()->currentCell(), (TTableCell{700 / 32, 700 % 32}));
    QVERIFY(Table()->topRow() <= 700 / 32 && 700 / 32 < Table()->topRow() + 9);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 4E00"));
    QCOMPARE(Form->FontPage->PageState().CharSelection, selection);
    // A code nobody has: said in the status line, nothing moves.
    Form->FontPage->GoToCode("ABCDE");
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 700);
    QVERIFY(Form->StatusPanel->text().contains("ABCDE"));
    QVERIFY(!Form->Fonts[0].Modified);
}

void TstBigFonts::blockListAndNameSearch()
{
    // Codes 0041 to 0428: Basic Latin, Latin-1, ..., and Cyrillic from glyph 959 on.
    Open(1000);
    auto *blocks = PageControl<QComboBox>(Form->FontPage, "ComboBlocks");
    QVERIFY(blocks->count() > 300);
    // A machine without unicode-data lists the copy built into the program.
    QVERIFY(QFile::exists(":/unicode/Blocks.txt"));
    emit blocks->activated(blocks->findText("Cyrillic"));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 0x400 - 0x41);
    QVERIFY(Table()->topRow() <= 959 / 32 && 959 / 32 < Table()->topRow() + 9);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0400"));
    emit blocks->activated(blocks->findText("Arabic"));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 959);
    QCOMPARE(Form->StatusPanel->text(), QString("No glyph of this font lies in Arabic (0600..06FF)"));
    auto *name = PageControl<QLineEdit>(Form->FontPage, "EditFindName");
    QTest::keyClicks(name, "A");
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(Form->StatusPanel->text(), QString("This font keeps no glyph names"));
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, 959);
}

void TstBigFonts::zoomLimitsAndKeys()
{
    Open(3);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->pitch(), 13);
    QVERIFY(Form->ZoomIn1->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Plus)));
    // Through the window system, as real keys come: that is where shortcuts are matched.
    QTest::keyClick(Form->windowHandle(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 14);
    QCOMPARE(Fixture.Ui().RxDrawGrid()->pitch(), 15);
    QCOMPARE(Fixture.Ui().RxDrawGridBG()->pitch(), 15);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->width(), 8 * 15);
    Form->ZoomIn1->trigger();
    QCOMPARE(Form->FontPage->ZoomCellSize(), 16);
    Form->FontPage->SetZoom(100);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 32);
    Form->FontPage->SetZoom(1);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 4);
    QTest::keyClick(Form->windowHandle(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 4);
    QTest::keyClick(Form->windowHandle(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 12);
    // Ctrl + wheel over the editor (the wheel reaches the scrolled area through its viewport).
    QWheelEvent up(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(Fixture.Ui().EditorScroll()->viewport(), &up);
    QCOMPARE(Form->FontPage->ZoomCellSize(), 14);
    QCOMPARE(Fixture.Ui().RxDrawGrid()->pitch(), 15);
    // The pixel grid keeps its place in cells over the frame.
    const QPoint offset = Fixture.Ui().RxDrawGrid1()->pos() - Fixture.Ui().RxDrawGrid()->pos();
    QCOMPARE(offset.y() % 15, 0);
}

void TstBigFonts::pixelRuleAtEveryZoom_data()
{
    QTest::addColumn<int>("cellSize");
    QTest::newRow("zoom-4") << 4;
    QTest::newRow("zoom-12") << 12;
    QTest::newRow("zoom-32") << 32;
}

void TstBigFonts::pixelRuleAtEveryZoom()
{
    QFETCH(int, cellSize);
    WriteFile(Fixture.Dir->filePath("w.bdf"), "FONT W\nFONTBOUNDINGBOX 12 2 0 0\nSTARTCHAR 0041\nBBX 12 2 0 0\n"
                                              "BITMAP\n0000\n0000\nENDCHAR\n");
    Form->FontPage->OpenFonts({Fixture.Dir->filePath("w.bdf")});
    Form->FontPage->SetZoom(cellSize);
    const int pitch = cellSize + 1;
    // Column 3 of a 12-pixel glyph is bit 16 - 1 - 3 = 12.
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, QPoint(3 * pitch + cellSize / 2, pitch + 1), Qt::LeftButton,
              Qt::LeftButton);
    QCOMPARE(Form->Fonts[0].Font.Chars[0].Bitmap[1], uint64_t(1) << 12);
    QCOMPARE(Form->Fonts[0].Font.Chars[0].Bitmap[0], uint64_t(0));
}

void TstBigFonts::zoomAndViewKeptBetweenRuns()
{
    Form->FontPage->SetZoom(20);
    Form->FontPage->ViewActions()[1]->setChecked(false);
    PageControl<QSpinBox>(Form->FontPage, "SpinSampleScale")->setValue(3);
    PageControl<QLineEdit>(Form->FontPage, "EditSample")->setText("Sample");
    QVERIFY(Form->close());
    TFormMain next;
    QCOMPARE(next.FontPage->ZoomCellSize(), 20);
    QList<bool> shown;
    for (QAction *guide : next.FontPage->ViewActions())
        shown << guide->isChecked();
    QCOMPARE(shown, (QList<bool>{true, false, true, true}));
    QCOMPARE(PageControl<QSpinBox>(next.FontPage, "SpinSampleScale")->value(), 3);
    QCOMPARE(PageControl<QLineEdit>(next.FontPage, "EditSample")->text(), QString("Sample"));
}

void TstBigFonts::unsavedFontsStandOut()
{
    Open(3);
    QListWidgetItem *row = Fixture.Ui().ListBox1()->item(0);
    QVERIFY(!row->font().italic());
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    QVERIFY(Form->Fonts[0].Modified);
    QVERIFY(row->font().italic());
    // The row's text stays the font's caption.
    QCOMPARE(row->text(), QString("Big (big.bdf)"));
    QTest::mouseClick(Fixture.Ui().ToolButton25(), Qt::LeftButton);
    QVERIFY(!row->font().italic());
}

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/bitloom-test-config-big");
    TApplication app(argc, argv);
    TstBigFonts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bigfonts.moc"
