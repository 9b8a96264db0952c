// Side panel, undo, renumbering, character commands and font header, through the window.
#include "app/errorhandler.h"
#include "bdf/bdfwriter.h"
#include "app/fmain.h"
#include "app/fontpage.h"
#include "app/windowtestutil.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "editor/previewstrip.h"
#include "app/scriptedprompts.h"

#include <QClipboard>
#include <QGroupBox>
#include <QMenuBar>
#include <QUndoStack>
#include <QLineEdit>
#include <QPaintEvent>
#include <QListWidget>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

class TstGlyphCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void undoAfterPaintingButNotAfterMetric();
    void metricCommandsWalkTheBlock();
    void codeButtonsAndField();
    void swFieldAnswersToTypingOnly();
    void rotationsAreUndone();
    void tableShortcuts();
    void addCharFromToolbar();
    void renumberButton();
    void statusColours();
    void headerFields();
    void headerSteps();
    void fillingMarksNothing();
    void paintRightAfterAddUsesShownColumns();
    void addInWideBoxMakesRowSizedGlyph();
    void heightStepKeepsExistingRows();
    void rotationsRepaintTheTableCell();
    void headerStepThatChangesNothingMarksNothing();
    void uidMinusZeroShowsAndSavesZero();
    void latinNameEditsOneByte();
    void fontPageWithoutTheWindow();
    void textPreviewFollowsEdits();
    void everyEditIsUndoneAndRedone_data();
    void everyEditIsUndoneAndRedone();
    void savedStateFollowsTheHistory();
    void historyIsCappedAndNamed();
    void picturesRoundTripAndPixelsMove();

private:
    void Open(const QByteArray &text);
    void Select(int first, int last);
    TBDFFont &Font() { return Form->Fonts[0].Font; }
    bool Modified() const { return Form->Fonts[0].Modified; }

    TWindowFixture Fixture;
    std::unique_ptr<QTemporaryDir> &Dir = Fixture.Dir;
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
};

void TstGlyphCommands::init()
{
    QVERIFY(Fixture.setUp());
}

void TstGlyphCommands::cleanup()
{
    Fixture.tearDown();
}

void TstGlyphCommands::Open(const QByteArray &text)
{
    WriteFile(Dir->filePath("f.bdf"), text);
    Form->FontPage->OpenFonts({Dir->filePath("f.bdf")});
    QVERIFY(!Modified());
}

void TstGlyphCommands::Select(int first, int last)
{
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(first / 32, first % 32));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(last / 32, last % 32));
}

void TstGlyphCommands::undoAfterPaintingButNotAfterMetric()
{
    Open(SmallFont("U", 4));
    Select(1, 1);
    const TBDFChar original = Font().Chars[1];
    // Undo right after selecting changes nothing.
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Font().Chars[1], original);
    for (int x : {2, 3, 4})
        QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, QPoint(x * 13 + 6, 6));
    QVERIFY(!(Font().Chars[1] == original));
    QVERIFY(Modified());
    Fixture.Ui().RxDrawGrid1()->setFocus();
    QTest::keyClick(Fixture.Ui().RxDrawGrid1(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Font().Chars[1], original);
    Form->FontPage->ToolButton23Click();
    QCOMPARE(Font().Chars[1], original);

    QTest::mouseClick(Fixture.Ui().SpeedButton11(), Qt::LeftButton);
    QCOMPARE(Font().Chars[1].BBXWidth, 9);
    QCOMPARE(Fixture.Ui().Edit1()->text(), QString("9"));
    QTest::mouseClick(Fixture.Ui().ToolButton23(), Qt::LeftButton);
    QCOMPARE(Font().Chars[1].BBXWidth, 9);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 9);
}

void TstGlyphCommands::metricCommandsWalkTheBlock()
{
    Open(SmallFont("M", 40));
    Select(3, 37); // rows 0..1 by columns 3..5
    Form->FontPage->SpeedButton24Click();
    for (int i : {3, 4, 5, 35, 36, 37})
        QCOMPARE(Font().Chars[size_t(i)].SWidthX, 501);
    QCOMPARE(Font().Chars[6].SWidthX, 500);
    QCOMPARE(Font().Chars[34].SWidthX, 500);
    QCOMPARE(Fixture.Ui().Edit5()->text(), QString("501"));
    QVERIFY(Modified());

    // Columns reversed across rows: nothing changes, the editor is still refreshed.
    Select(37, 5); // release before press in reading order: first (0,5), last (1,5)
    QTest::mousePress(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(0, 5));
    QTest::mouseRelease(Fixture.Ui().RxDrawGrid2(), Qt::LeftButton, Qt::NoModifier, TableCellCentre(1, 3));
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 5, 1, 3}));
    Form->FontPage->SpeedButton11Click();
    for (const TBDFChar &c : Font().Chars)
        QCOMPARE(c.BBXWidth, 8);
    QCOMPARE(Fixture.Ui().Edit1()->text(), QString("8"));

    Select(0, 0);
    for (auto step : {&TFontPage::SpeedButton13Click, &TFontPage::SpeedButton18Click, &TFontPage::SpeedButton18Click,
                      &TFontPage::SpeedButton26Click, &TFontPage::SpeedButton12Click})
        (Form->FontPage->*step)();
    const TBDFChar &c = Font().Chars[0];
    QCOMPARE(c.BBXXOff, 1);
    QCOMPARE(c.BBXYOff, -2);
    QCOMPARE(c.DWidthX, 9);
    QCOMPARE(c.BBXHeight, 3);
    QCOMPARE(c.Bitmap.size(), size_t(3));
    QCOMPARE(Fixture.Ui().Edit3()->text(), QString("1"));
    QCOMPARE(Fixture.Ui().Edit4()->text(), QString("-2"));
    QCOMPARE(Fixture.Ui().Edit19()->text(), QString("9"));
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->rows(), 3);
}

void TstGlyphCommands::codeButtonsAndField()
{
    Open("FONT C\nSTARTCHAR 0000\nBBX 8 1 0 0\nBITMAP\n00\nENDCHAR\nSTARTCHAR FFFF\nBBX 8 1 0 0\nBITMAP\n00\n"
         "ENDCHAR\n");
    Select(0, 0);
    QTest::mouseClick(Fixture.Ui().SpeedButton10(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].Encoding, 0);
    QVERIFY(!Modified());
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Right);
    QTest::mouseClick(Fixture.Ui().SpeedButton19(), Qt::LeftButton);
    QCOMPARE(Font().Chars[1].Encoding, 0x10000);
    QCOMPARE(Fixture.Ui().Edit13()->text(), QString("10000"));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 10000"));
    QVERIFY(Modified());

    Fixture.Ui().Edit13()->setFocus();
    Fixture.Ui().Edit13()->selectAll();
    QTest::keyClick(Fixture.Ui().Edit13(), Qt::Key_Delete);
    QCOMPARE(Font().Chars[1].Encoding, 0);
    QTest::keyClicks(Fixture.Ui().Edit13(), "4");
    QCOMPARE(Font().Chars[1].Encoding, 4);
    QTest::keyClicks(Fixture.Ui().Edit13(), "1");
    QCOMPARE(Font().Chars[1].Encoding, 0x41);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0041"));
    QTest::keyClicks(Fixture.Ui().Edit13(), "x");
    QCOMPARE(Font().Chars[1].Encoding, 0);
    // Undo brings back the code the glyph had when it was loaded, and the caption with it.
    Form->FontPage->ToolButton23Click();
    QCOMPARE(Font().Chars[1].Encoding, 0xFFFF);
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: FFFF"));
}

void TstGlyphCommands::swFieldAnswersToTypingOnly()
{
    Open(SmallFont("S", 5));
    Font().Chars[1].SWidthX = 600;
    Font().Chars[2].SWidthX = 700;
    Select(0, 2);
    QCOMPARE(Fixture.Ui().Edit5()->text(), QString("700"));
    QCOMPARE(Font().Chars[0].SWidthX, 500);
    Fixture.Ui().Edit5()->setFocus();
    Fixture.Ui().Edit5()->selectAll();
    QTest::keyClicks(Fixture.Ui().Edit5(), "abc");
    for (int i : {0, 1, 2})
        QCOMPARE(Font().Chars[size_t(i)].SWidthX, 0);
    QCOMPARE(Font().Chars[3].SWidthX, 500);
    Fixture.Ui().Edit5()->selectAll();
    QTest::keyClicks(Fixture.Ui().Edit5(), "-7");
    QCOMPARE(Font().Chars[1].SWidthX, -7);
}

void TstGlyphCommands::rotationsAreUndone()
{
    Open("FONT R\nFONTBOUNDINGBOX 5 3 0 0\nSTARTCHAR 0041\nBBX 5 3 0 0\nBITMAP\n88\n00\n20\nENDCHAR\n");
    Select(0, 0);
    QTest::mouseClick(Fixture.Ui().SpeedButton20(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].Bitmap, (std::vector<uint64_t>{0x18, 0x00, 0x40}));
    QTest::mouseClick(Fixture.Ui().SpeedButton22(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].Bitmap, (std::vector<uint64_t>{0x00, 0x40, 0x18}));
    QVERIFY(Modified());
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Font().Chars[0].Bitmap, (std::vector<uint64_t>{0x88, 0x00, 0x20}));
}

void TstGlyphCommands::tableShortcuts()
{
    Open(SmallFont("T", 10));
    Select(0, 2);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(Form->FontPage->PageState().CharClipboard.size(), size_t(3));
    QVERIFY(!Modified());
    Select(5, 5);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(Modified());
    QCOMPARE(Font().Chars[5].Bitmap[0], uint64_t(0));
    QCOMPARE(Font().Chars[7].Bitmap[0], uint64_t(2));
    QCOMPARE(Font().Chars[5].Encoding, 0x46);
    QCOMPARE(Font().Chars[8].Bitmap[0], uint64_t(8));
    // The load step ran: the editor shows the pasted glyph and undo starts from it.
    QCOMPARE(Form->FontPage->PageState().UndoChar, Font().Chars[5]);

    Select(8, 9);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(Font().Chars[8].Encoding, 0x41);
    QCOMPARE(Font().Chars[9].Encoding, 0x42);

    // Three copied glyphs into two cells run on past the end: the font grows by one.
    QCOMPARE(Font().Chars.size(), size_t(11));
    QCOMPARE(Font().Chars[10].Encoding, 0x43);
    Select(1, 3);
    QTest::keyClick(Fixture.Ui().RxDrawGrid2(), Qt::Key_Delete);
    QCOMPARE(Font().Chars.size(), size_t(8));
    QCOMPARE(Font().Chars[1].Encoding, 0x45);
    QCOMPARE(Form->FontPage->PageState().CharSelection, (TCharSelection{0, 1, 0, 3}));
    // The glyph that moved up into the current cell is loaded.
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0047"));
}

void TstGlyphCommands::addCharFromToolbar()
{
    Open(SmallFont("A", 3, 5));
    Select(1, 1);
    QTest::mouseClick(Fixture.Ui().ToolButton16(), Qt::LeftButton);
    QCOMPARE(Font().Chars.size(), size_t(4));
    QCOMPARE(Font().Chars[1].Encoding, 0x42);
    QCOMPARE(Font().Chars[1].Bitmap, std::vector<uint64_t>(5, 0));
    QCOMPARE(Font().Chars[2].Bitmap[0], uint64_t(1));
    QVERIFY(Modified());
    // The editor is not reloaded: the undo copy is still the glyph that was current.
    QCOMPARE(Form->FontPage->PageState().UndoChar, Font().Chars[2]);
}

void TstGlyphCommands::renumberButton()
{
    Open(SmallFont("N", 6));
    Font().Chars[2].Encoding = 0x20;
    Select(1, 5);
    QTest::mouseClick(Fixture.Ui().ToolButton26(), Qt::LeftButton);
    QList<int> codes;
    for (const TBDFChar &c : Font().Chars)
        codes << c.Encoding;
    QCOMPARE(codes, (QList<int>{0x41, 0x42, 0x43, 0x44, 0x45, 0x46}));
    QCOMPARE(Fixture.Ui().GroupBox1()->title(), QString("Current char: 0046"));
}

void TstGlyphCommands::statusColours()
{
    // Text is antialiased: count pixels clearly of the colour's hue.
    auto colouredPixels = [&](const QColor &c) {
        const QImage img = Form->StatusPanel->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor p = img.pixelColor(x, y);
                n += c.red() > 100 ? (p.red() > 150 && p.green() < 90 && p.blue() < 90)
                                   : (p.green() > 80 && p.red() < 60 && p.blue() < 60);
            }
        return n;
    };
    Form->SetStatus("Error! Font NOT created!", 255);
    QCOMPARE(Form->StatusPanel->text(), QString("Error! Font NOT created!"));
    QVERIFY(colouredPixels(QColor(255, 0, 0)) > 10);
    Form->SetStatus("Font successfully created!", 0x8000);
    QVERIFY(colouredPixels(QColor(0, 128, 0)) > 10);
    QCOMPARE(colouredPixels(QColor(255, 0, 0)), 0);
}

void TstGlyphCommands::headerFields()
{
    Open(SmallFont("Head", 2));
    Fixture.Ui().Edit7()->setFocus();
    const QList<QPair<QString, double>> uids = {
        {"12a", 0}, {"$1F", 31}, {"-5", -5}, {"3000000000", 3000000000.0}, {"4294967296", 0}};
    for (const auto &[text, value] : uids) {
        Fixture.Ui().Edit7()->selectAll();
        QTest::keyClicks(Fixture.Ui().Edit7(), text);
        QCOMPARE(Font().Uid, value);
    }
    QVERIFY(Modified());
    Fixture.Ui().Edit6()->setFocus();
    Fixture.Ui().Edit6()->selectAll();
    QTest::keyClick(Fixture.Ui().Edit6(), Qt::Key_Delete);
    QCOMPARE(Font().FontName, std::string());
    Fixture.Ui().Edit6()->insert(QString("Шрифт"));
    QCOMPARE(Font().FontName, std::string("Шрифт"));
    // The list row keeps the name the font had when it was added.
    QCOMPARE(Fixture.Ui().ListBox1()->item(0)->text(), QString("Head (f.bdf)"));
}

void TstGlyphCommands::headerSteps()
{
    Open("FONT H\nFONTBOUNDINGBOX 1 12 0 0\nSTARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n00\nENDCHAR\n");
    QTest::mouseClick(Fixture.Ui().SpeedButton1(), Qt::LeftButton);
    QCOMPARE(Font().FBBWidth, 1);
    QCOMPARE(Fixture.Ui().Edit8()->text(), QString("1"));
    Font().FBBWidth = 0;
    Form->FontPage->SpeedButton1Click();
    QCOMPARE(Font().FBBWidth, 1);
    Form->FontPage->SpeedButton6Click();
    Form->FontPage->SpeedButton6Click();
    QCOMPARE(Fixture.Ui().Edit10()->text(), QString("14"));
    QCOMPARE(Fixture.Ui().RxDrawGrid()->rows(), 14);
    const QPoint gridPos = Fixture.Ui().RxDrawGrid1()->pos();
    for (int i = 0; i < 3; ++i)
        Form->FontPage->SpeedButton3Click();
    QCOMPARE(Fixture.Ui().Edit9()->text(), QString("-3"));
    QCOMPARE(Font().FBBXOff, -3);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->pos(), gridPos);
    Form->FontPage->SpeedButton8Click();
    QCOMPARE(Fixture.Ui().Edit11()->text(), QString("1"));
    QVERIFY(Modified());
}

void TstGlyphCommands::fillingMarksNothing()
{
    // A Uid above the signed range, as a new font gets from a long-running system.
    Open("FONT Big\nSTARTPROPERTIES 1\nUid 4000000000\nENDPROPERTIES\nSTARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n00\n"
         "ENDCHAR\n");
    WriteFile(Dir->filePath("g.bdf"), "FONT \xC9t\xE9\nSTARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n00\nENDCHAR\n");
    Form->FontPage->OpenFonts({Dir->filePath("g.bdf")});
    Fixture.Ui().ListBox1()->setCurrentRow(0);
    Fixture.Ui().ListBox1()->setCurrentRow(1);
    Fixture.Ui().ListBox1()->setCurrentRow(0);
    QCOMPARE(Font().Uid, 4000000000.0);
    QCOMPARE(Form->Fonts[1].Font.FontName, std::string("\xC9t\xE9"));
    QVERIFY(!Form->Fonts[0].Modified);
    QVERIFY(!Form->Fonts[1].Modified);
    // So closing asks nothing.
    QVERIFY(Form->close());
    QVERIFY(Script->Asked.isEmpty());
}

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/bitloom-test-config");
    TApplication app(argc, argv);
    TstGlyphCommands test;
    return QTest::qExec(&test, argc, argv);
}


void TstGlyphCommands::paintRightAfterAddUsesShownColumns()
{
    // Font box 12, current glyph 8 wide: "Add" does not reload the editor, so the
    // grid still shows 8 columns, and column 0 of the grid is the 12-wide glyph's bit 11.
    Open("FONT W\nFONTBOUNDINGBOX 12 2 0 0\nSTARTCHAR 0041\nBBX 8 2 0 0\nBITMAP\n00\n00\nENDCHAR\n");
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 8);
    QTest::mouseClick(Fixture.Ui().ToolButton16(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].BBXWidth, 12);
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), 8);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, QPoint(6, 6), Qt::LeftButton, Qt::LeftButton);
    SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonRelease, QPoint(6, 6), Qt::LeftButton, Qt::NoButton);
    // 8 * RowBytes - BBXWidth + (K - 1 - x) = 16 - 12 + 7 = bit 11: what the grid shows in column 0.
    QCOMPARE(Font().Chars[0].Bitmap[0], uint64_t(1) << 11);
    QVERIFY(Fixture.Ui().RxDrawGrid1()->grab(QRect(0, 0, 12, 12)).toImage().pixelColor(6, 6).lightness() < 128);
}

void TstGlyphCommands::addInWideBoxMakesRowSizedGlyph()
{
    Open("FONT W\nFONTBOUNDINGBOX 100 2 0 0\nSTARTCHAR 0041\nBBX 8 2 0 0\nBITMAP\n00\n00\nENDCHAR\n");
    QTest::mouseClick(Fixture.Ui().ToolButton16(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].BBXWidth, MaxGlyphWidth);
    Form->FontPage->RxDrawGrid2Click();
    QCOMPARE(Fixture.Ui().RxDrawGrid1()->columns(), MaxGlyphWidth);
    // Columns 0 and 63 land in the row and survive a save and a second read.
    for (int x : {0, 63})
        SendMouse(Fixture.Ui().RxDrawGrid1(), QEvent::MouseButtonPress, QPoint(x * GlyphPitch + 6, 6), Qt::LeftButton,
                  Qt::LeftButton);
    QCOMPARE(Font().Chars[0].Bitmap[0], (uint64_t(1) << 63) | 1);
    Script->SaveAnswers << Dir->filePath("saved.bdf");
    Form->FontPage->ToolButton2Click();
    Form->FontPage->OpenFonts({Dir->filePath("saved.bdf")});
    QCOMPARE(Form->Fonts[1].Font.Chars[0].Bitmap[0], (uint64_t(1) << 63) | 1);
}

void TstGlyphCommands::heightStepKeepsExistingRows()
{
    QByteArray rows;
    for (int i = 0; i < 70000; ++i)
        rows += "80\n";
    Open("FONT T\nFONTBOUNDINGBOX 8 16 0 0\nSTARTCHAR 0041\nBBX 8 70000 0 0\nBITMAP\n" + rows + "ENDCHAR\n");
    QTest::mouseClick(Fixture.Ui().SpeedButton12(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].BBXHeight, 70001);
    QCOMPARE(Font().Chars[0].Bitmap.size(), size_t(70000));
    QCOMPARE(Font().Chars[0].Bitmap[69999], uint64_t(0x80));
    QTest::mouseClick(Fixture.Ui().SpeedButton16(), Qt::LeftButton);
    QTest::mouseClick(Fixture.Ui().SpeedButton16(), Qt::LeftButton);
    QCOMPARE(Font().Chars[0].Bitmap.size(), size_t(69999));
}

namespace {

// Collects the regions a widget is asked to repaint.
class TPaintRecorder : public QObject {
public:
    QRegion Painted;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

} // namespace

void TstGlyphCommands::rotationsRepaintTheTableCell()
{
    // A glyph taller than the table's rows: its picture spills far past its cell.
    QByteArray rows;
    for (int i = 0; i < 120; ++i)
        rows += i == 0 ? "80\n" : "00\n";
    Open("FONT R\nFONTBOUNDINGBOX 8 120 0 0\nSTARTCHAR 0041\nBBX 8 120 0 0\nBITMAP\n" + rows + "ENDCHAR\n");
    TCharTable *table = Fixture.Ui().RxDrawGrid2();
    const QRect picture = table->pictureRect(0, 0, QSize(8, std::min(120, table->height())));
    QVERIFY(!table->cellRect(0, 0).contains(picture.bottomLeft()));
    for (QToolButton *rotate : {Fixture.Ui().SpeedButton22(), Fixture.Ui().SpeedButton20()}) {
        QApplication::processEvents();
        TPaintRecorder recorder;
        table->installEventFilter(&recorder);
        QTest::mouseClick(rotate, Qt::LeftButton);
        QApplication::processEvents();
        table->removeEventFilter(&recorder);
        // The whole picture is repainted, the parts outside the cell too.
        QVERIFY(recorder.Painted.contains(picture));
    }
}

void TstGlyphCommands::headerStepThatChangesNothingMarksNothing()
{
    Open("FONT H\nFONTBOUNDINGBOX 1 1 0 0\nSTARTCHAR 0041\nBBX 1 1 0 0\nBITMAP\n00\nENDCHAR\n");
    QTest::mouseClick(Fixture.Ui().SpeedButton1(), Qt::LeftButton);
    QTest::mouseClick(Fixture.Ui().SpeedButton5(), Qt::LeftButton);
    QCOMPARE(Font().FBBWidth, 1);
    QVERIFY(!Modified());
    QTest::mouseClick(Fixture.Ui().SpeedButton2(), Qt::LeftButton);
    QVERIFY(Modified());
}

void TstGlyphCommands::uidMinusZeroShowsAndSavesZero()
{
    Open("FONT U\nUid -0\nSTARTCHAR 0041\nENDCHAR\n");
    QCOMPARE(Fixture.Ui().Edit7()->text(), QString("0"));
    Fixture.Ui().Edit7()->setText("-0");
    Script->SaveAnswers << Dir->filePath("u.bdf");
    Form->FontPage->ToolButton2Click();
    QFile f(Dir->filePath("u.bdf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("\r\nUid 0\r\n"));
}

void TstGlyphCommands::latinNameEditsOneByte()
{
    Open("FONT Fon\xE9 \xC0\nSTARTCHAR 0041\nENDCHAR\n");
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString::fromLatin1("Fon\xE9 \xC0"));
    Fixture.Ui().Edit6()->setCursorPosition(1);
    QTest::keyClick(Fixture.Ui().Edit6(), Qt::Key_Backspace);
    QTest::keyClicks(Fixture.Ui().Edit6(), "G");
    QCOMPARE(QByteArray::fromStdString(Font().FontName).toHex(), QByteArray("Gon\xE9 \xC0").toHex());
    QVERIFY(Modified());
}

void TstGlyphCommands::fontPageWithoutTheWindow()
{
    // The page needs only the open fonts and the project, not the main window.
    Form.reset();
    WriteFile(Dir->filePath("alone.bdf"), SmallFont("Alone", 2));
    TOpenFonts fonts;
    TProject project;
    TFontPage page(fonts, project);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.OpenFonts({Dir->filePath("alone.bdf")});
    TFontControls ui{&page};
    QCOMPARE(ui.ListBox1()->count(), 1);
    QCOMPARE(ui.Edit6()->text(), QString("Alone"));
    // The first glyph's top row is 00: the top-left pixel goes on.
    QTest::mouseClick(ui.RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    QCOMPARE(fonts[0].Font.Chars[0].Bitmap[0], uint64_t(0x80));
    QVERIFY(fonts[0].Modified);
    QVERIFY(ui.ListBox1()->item(0)->font().italic());
}

void TstGlyphCommands::textPreviewFollowsEdits()
{
    // Glyphs 8 x 2 on the baseline, advance 8; the box's ascent 3 and descent 1.
    Open(SmallFont("P", 3));
    auto *view = PageControl<TTextPreview>(Form->FontPage, "SampleView");
    PageControl<QLineEdit>(Form->FontPage, "EditSample")->setText("AB");
    QCOMPARE(view->raster().Width, 16);
    QCOMPARE(view->raster().Height, 4);
    // A's rows sit on rows 1 and 2 of the picture; its top row is blank.
    QVERIFY(!view->raster().ink(3, 1));
    // Nothing is left waiting that would draw the preview anyway.
    QCoreApplication::processEvents();
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, QPoint(3 * 13 + 6, 6));
    QTRY_VERIFY(view->raster().ink(3, 1));
    Form->FontPage->EditActions()[0]->trigger();
    QTRY_VERIFY(!view->raster().ink(3, 1));
    // A wider advance moves B along.
    QTest::mouseClick(Fixture.Ui().SpeedButton26(), Qt::LeftButton);
    QTRY_COMPARE(view->raster().Width, 17);
    PageControl<QSpinBox>(Form->FontPage, "SpinSampleScale")->setValue(4);
    QCOMPARE(view->size(), view->picture().size() * 4 + QSize(8, 8));
}

namespace {

// One edit of the history table: the selection it starts from and what the user does.
struct THistoryCase {
    const char *Name;
    int First, Last;
    std::function<void(TFontPage &, TFontControls &)> Run;
    int Steps = 1;
};

// Drags the selection tool from cell (c1, r1) to (c2, r2) of the pixel grid at the default zoom.
void SelectPixels(TFontPage &page, TFontControls &ui, int c1, int r1, int c2, int r2)
{
    QAction *tool = PageControl<QAction>(&page, "SelectTool1");
    if (!tool->isChecked())
        tool->trigger();
    SendMouse(ui.RxDrawGrid1(), QEvent::MouseButtonPress, {c1 * 13 + 6, r1 * 13 + 6}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(ui.RxDrawGrid1(), QEvent::MouseMove, {c2 * 13 + 6, r2 * 13 + 6}, Qt::NoButton, Qt::LeftButton);
    SendMouse(ui.RxDrawGrid1(), QEvent::MouseButtonRelease, {c2 * 13 + 6, r2 * 13 + 6}, Qt::LeftButton, Qt::NoButton);
}

void Press(QWidget *w, QPoint p)
{
    SendMouse(w, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
}

const std::vector<THistoryCase> &HistoryCases()
{
    static const std::vector<THistoryCase> cases = {
        {"paint-stroke", 1, 1, [](TFontPage &, TFontControls &ui) {
             Press(ui.RxDrawGrid1(), {6, 6});
             SendMouse(ui.RxDrawGrid1(), QEvent::MouseMove, {19, 6}, Qt::NoButton, Qt::LeftButton);
             SendMouse(ui.RxDrawGrid1(), QEvent::MouseMove, {32, 19}, Qt::NoButton, Qt::LeftButton);
             SendMouse(ui.RxDrawGrid1(), QEvent::MouseButtonRelease, {32, 19}, Qt::LeftButton, Qt::NoButton);
         }},
        {"widen-block", 0, 5, [](TFontPage &p, TFontControls &) { p.SpeedButton11Click(); }},
        {"lower-a-row", 2, 3, [](TFontPage &p, TFontControls &) { p.SpeedButton16Click(); }},
        {"x-offset", 2, 4, [](TFontPage &p, TFontControls &) { p.SpeedButton13Click(); }},
        {"dw-down", 3, 3, [](TFontPage &p, TFontControls &) { p.SpeedButton25Click(); }},
        {"sw-typed", 0, 33, [](TFontPage &, TFontControls &ui) { QTest::keyClicks(ui.Edit5(), "97"); }},
        {"code-up", 2, 2, [](TFontPage &p, TFontControls &) { p.SpeedButton19Click(); }},
        {"code-typed", 2, 2, [](TFontPage &, TFontControls &ui) {
             ui.Edit13()->selectAll();
             QTest::keyClicks(ui.Edit13(), "1F6");
         }},
        {"rotate-left", 4, 4, [](TFontPage &p, TFontControls &) { p.SpeedButton20Click(); }},
        {"rotate-up", 4, 4, [](TFontPage &p, TFontControls &) { p.SpeedButton22Click(); }},
        {"renumber", 0, 3, [](TFontPage &p, TFontControls &) { p.ToolButton26Click(); }},
        {"add", 3, 3, [](TFontPage &p, TFontControls &) { p.ToolButton16Click(); }},
        {"add-at-end", 40, 40, [](TFontPage &p, TFontControls &) { p.ToolButton16Click(); }},
        {"delete", 2, 6, [](TFontPage &p, TFontControls &) { p.ToolButton18Click(); }},
        {"delete-past-the-end", 38, 60, [](TFontPage &p, TFontControls &) { p.ToolButton18Click(); }},
        {"paste", 5, 9, [](TFontPage &p, TFontControls &) { p.ToolButton22Click(0); }},
        {"paste-codes-appends", 39, 40, [](TFontPage &p, TFontControls &) { p.ToolButton22Click(1); }},
        {"glyph-undo", 1, 1, [](TFontPage &p, TFontControls &ui) {
             QTest::mouseClick(ui.RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, {6, 6});
             p.ToolButton23Click();
         }, 2},
        {"shift-left-block", 0, 5, [](TFontPage &p, TFontControls &) { p.ShiftGlyphs(TShift::Left, false); }},
        {"wrap-down", 3, 3, [](TFontPage &p, TFontControls &) { p.ShiftGlyphs(TShift::Down, true); }},
        {"flip-horizontally", 0, 33, [](TFontPage &p, TFontControls &) { p.FlipGlyphs(true); }},
        {"flip-vertically", 2, 2, [](TFontPage &p, TFontControls &) { p.FlipGlyphs(false); }},
        {"invert", 1, 1, [](TFontPage &p, TFontControls &) { p.InvertGlyphs(); }},
        {"clear", 0, 2, [](TFontPage &p, TFontControls &) { p.ClearGlyphs(); }},
        {"cut-selected-pixels", 0, 0, [](TFontPage &p, TFontControls &ui) {
             SelectPixels(p, ui, 0, 1, 7, 1);
             p.CutPixelSelection();
         }},
        {"paste-pixels-elsewhere", 0, 0, [](TFontPage &p, TFontControls &ui) {
             SelectPixels(p, ui, 0, 1, 7, 1);
             p.CopyPixelSelection();
             SelectPixels(p, ui, 0, 0, 0, 0);
             p.PastePixelSelection();
         }},
        {"paste-picture", 0, 0, [](TFontPage &p, TFontControls &) {
             QImage picture(3, 1, QImage::Format_RGB32);
             picture.fill(Qt::black);
             QGuiApplication::clipboard()->setImage(picture);
             p.PastePicture();
         }},
        {"name-typed", 0, 0, [](TFontPage &, TFontControls &ui) { QTest::keyClicks(ui.Edit6(), "-Bold"); }},
        {"uid-typed", 0, 0, [](TFontPage &, TFontControls &ui) { QTest::keyClicks(ui.Edit7(), "42"); }},
        {"box-width", 0, 0, [](TFontPage &p, TFontControls &) { p.SpeedButton2Click(); }},
        {"box-height-down", 0, 0, [](TFontPage &p, TFontControls &) { p.SpeedButton5Click(); }},
        {"properties-and-uid", 0, 0, [](TFontPage &p, TFontControls &) {
             dynamic_cast<TScriptedPrompts &>(Prompts()).PropertyAnswers
                 << std::vector<TBDFProperty>{{"FAMILY_NAME", "Tiny \"A\"", true}, {"Uid", "4000000000", false}};
             p.EditFontProperties();
         }},
    };
    return cases;
}

QByteArray Written(const TBDFFont &font)
{
    const TByteBuffer bytes = FormatBDF(font, TBDFLayout::Kept);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

void TstGlyphCommands::everyEditIsUndoneAndRedone_data()
{
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < HistoryCases().size(); ++i)
        QTest::newRow(HistoryCases()[i].Name) << int(i);
}

void TstGlyphCommands::everyEditIsUndoneAndRedone()
{
    QFETCH(int, index);
    const THistoryCase &c = HistoryCases()[size_t(index)];
    // Glyph 1's code leaves a gap for the renumbering to close.
    Open(SmallFont("H", 40).replace("ENCODING 66\n", "ENCODING 90\n"));
    TFontControls ui = Fixture.Ui();
    // Something to paste: glyphs 0 and 1.
    Select(0, 1);
    Form->FontPage->ToolButton21Click();
    Select(c.First, c.Last);
    const QByteArray before = Written(Font());
    const TFontPageState place = Form->FontPage->PageState();
    QUndoStack *history = Form->Fonts.historyOf(0);
    const int steps = c.Steps;
    c.Run(*Form->FontPage, ui);
    const QByteArray after = Written(Font());
    // The glyph's own undo ends where it began; undoing that step brings the paint back.
    QCOMPARE(after != before, steps == 1);
    QCOMPARE(history->count(), steps);
    QVERIFY(Modified());
    // Elsewhere first: undo brings the editor back to the step's glyph and selection.
    Select(7, 7);
    auto *undo = PageControl<QAction>(Form->FontPage, "UndoStep1");
    auto *redo = PageControl<QAction>(Form->FontPage, "RedoStep1");
    undo->trigger();
    if (steps == 2) {
        QVERIFY(Written(Font()) != before);
        undo->trigger();
    }
    QCOMPARE(Written(Font()), before);
    QVERIFY(!Modified());
    QVERIFY(!undo->isEnabled());
    QCOMPARE(Form->FontPage->PageState().CurrentCharIndex, place.CurrentCharIndex);
    QCOMPARE(Form->FontPage->PageState().CharSelection, place.CharSelection);
    QCOMPARE(ui.Edit6()->text(), QString::fromStdString(Font().FontName));
    for (int i = 0; i < steps; ++i)
        redo->trigger();
    QCOMPARE(Written(Font()), after);
    QVERIFY(Modified());
}

void TstGlyphCommands::savedStateFollowsTheHistory()
{
    Open(SmallFont("S", 4));
    auto *undo = PageControl<QAction>(Form->FontPage, "UndoStep1");
    auto *redo = PageControl<QAction>(Form->FontPage, "RedoStep1");
    Select(1, 1);
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, {6, 6});
    QVERIFY(Fixture.Ui().ListBox1()->item(0)->font().italic());
    QTest::mouseClick(Fixture.Ui().ToolButton25(), Qt::LeftButton);
    QVERIFY(!Modified());
    QVERIFY(!Fixture.Ui().ListBox1()->item(0)->font().italic());
    // Past the save and back: unsaved, then saved again.
    undo->trigger();
    QVERIFY(Modified());
    QVERIFY(Fixture.Ui().ListBox1()->item(0)->font().italic());
    redo->trigger();
    QVERIFY(!Modified());
    // A new edit after undoing past the save can never come back to the saved state.
    undo->trigger();
    Form->FontPage->SpeedButton19Click();
    QVERIFY(!redo->isEnabled());
    undo->trigger();
    QVERIFY(Modified());
    // A quick save of nothing modified writes nothing, and closing asks about the unsaved font.
    Script->YesNoAnswers << false;
    QVERIFY(!Form->close());
    QCOMPARE(Script->Asked.last(), QString("BDF fonts not saved, exit?"));
}

void TstGlyphCommands::historyIsCappedAndNamed()
{
    Open(SmallFont("C", 8));
    Select(2, 4);
    Form->FontPage->ToolButton18Click();
    auto *undo = PageControl<QAction>(Form->FontPage, "UndoStep1");
    QCOMPARE(undo->toolTip(), QString("Шаг назад: Delete 3 glyphs"));
    QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    const QList<QAction *> edit = Form->menuBar()->actions()[1]->menu()->actions();
    QVERIFY(edit.contains(undo));
    QVERIFY(edit.contains(PageControl<QAction>(Form->FontPage, "Deletechar1")));
    Select(0, 0);
    for (int i = 0; i < HistoryLimit + 20; ++i)
        Form->FontPage->SpeedButton19Click();
    QUndoStack *history = Form->Fonts.historyOf(0);
    QCOMPARE(history->count(), HistoryLimit);
    // The oldest steps went first: the delete can no longer be undone.
    while (history->canUndo())
        undo->trigger();
    QCOMPARE(Font().Chars.size(), size_t(5));
    QCOMPARE(Font().Chars[0].Encoding, 0x41 + 20);
}

void TstGlyphCommands::picturesRoundTripAndPixelsMove()
{
    Open(SmallFont("P", 12));
    TFontPage &page = *Form->FontPage;
    // A glyph copied as a picture at any zoom pastes back as the same glyph.
    for (int zoom : {12, 20}) {
        page.SetZoom(zoom);
        Select(3, 3);
        page.CopyGlyphsAsPicture();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(8 * zoom, 2 * zoom));
        Select(9, 9);
        page.PastePicture();
        QCOMPARE(Font().Chars[9].Bitmap, Font().Chars[3].Bitmap);
    }
    // A selection of glyphs goes side by side.
    Select(0, 2);
    page.CopyGlyphsAsPicture();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(3 * 8 * 20, 2 * 20));
    QCOMPARE(Fixture.StatusText(), QString("Copied 3 glyphs as a picture"));

    // Selected pixels move with the shift and keep the rest of the glyph.
    page.SetZoom(12);
    Select(1, 1);
    TFontControls ui = Fixture.Ui();
    SelectPixels(page, ui, 0, 1, 3, 1);
    page.ShiftGlyphs(TShift::Right, false);
    QCOMPARE(Font().Chars[1].Bitmap[1], uint64_t(0x41));
    QCOMPARE(page.PageState().PixelSelection, (TPixelRect{1, 1, 4, 1}));
    QCOMPARE(Font().Chars[1].Bitmap[0], uint64_t(0x01));
}

#include "tst_glyphcommands.moc"
