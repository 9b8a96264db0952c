// The compiler page through the real window: project files, typefaces and their
// panel, with scripted questions and dialogs.
#include "app/errorhandler.h"
#include "app/fmain.h"
#include "app/windowtestutil.h"
#include "bdf/fileio.h"
#include "common/hostilefiles.h"
#include "compiler/compilerpage.h"
#include "compiler/project.h"
#include "editor/glyphgrids.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "common/testjpeg.h"


namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}


} // namespace

class TstCompilerPage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openFillsListsAndFonts();
    void openReplacesFontsAndAsksFirst();
    void newProjectAsksAndResets();
    void saveRoundTripsAndKeepsHandWrittenKeys();
    void failedSaveKeepsOldFileAndFlag();
    void missingAndUnreadableFontsAreReported();
    void relativeFontPathsFoundBesideProject();
    void editsLandInTheFilesOpened_data();
    void editsLandInTheFilesOpened();
    void commandLineOpensProject();
    void notAProjectChangesNothing_data();
    void notAProjectChangesNothing();
    void everyChangeMarksTheProject_data();
    void everyChangeMarksTheProject();
    void namesThatCannotSurviveAreRefused_data();
    void namesThatCannotSurviveAreRefused();
    void addRenameDeleteAndMove();
    void fontEntries();
    void panelFillWritesNothingBack();
    void placementFields();
    void typeBox();
    void multiLineCommentSurvives();
    void pictures();
    void corruptPictureShowsDecoderError();
    void compileFromTheWindow();
    void previewDrawsTypedText();

private:
    QString Path(const QString &name) { return Fixture.Dir->filePath(name); }
    // Writes a project file and the fonts it names, then opens it.
    void OpenDemo();
    TTypeface &Face(int i) { return Form->Project.Typefaces[size_t(i)]; }

    TCompilerPage *Page() { return Form->CompilerPage; }
    // The page's controls, by their names in the window layout.
    QComboBox *ComboBox1() { return PageControl<QComboBox>(Page(), "ComboBox1"); }
    QLineEdit *Edit12() { return PageControl<QLineEdit>(Page(), "Edit12"); }
    QLineEdit *Edit15() { return PageControl<QLineEdit>(Page(), "Edit15"); }
    QLineEdit *Edit16() { return PageControl<QLineEdit>(Page(), "Edit16"); }
    QLineEdit *Edit18() { return PageControl<QLineEdit>(Page(), "Edit18"); }
    QLabel *Image1() { return PageControl<QLabel>(Page(), "Image1"); }
    QLabel *Image2() { return PageControl<QLabel>(Page(), "Image2"); }
    QListWidget *ListBox2() { return PageControl<QListWidget>(Page(), "ListBox2"); }
    QListWidget *ListBox3() { return PageControl<QListWidget>(Page(), "ListBox3"); }
    QPlainTextEdit *Memo1() { return PageControl<QPlainTextEdit>(Page(), "Memo1"); }
    QPlainTextEdit *Memo2() { return PageControl<QPlainTextEdit>(Page(), "Memo2"); }
    QWidget *Panel14() { return PageControl<QWidget>(Page(), "Panel14"); }
    QToolButton *ToolButton4() { return PageControl<QToolButton>(Page(), "ToolButton4"); }
    QToolButton *ToolButton5() { return PageControl<QToolButton>(Page(), "ToolButton5"); }
    QToolButton *ToolButton6() { return PageControl<QToolButton>(Page(), "ToolButton6"); }

    TWindowFixture Fixture;
    const QString StartFolder = QDir::currentPath();
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
};

void TstCompilerPage::init()
{
    QVERIFY(Fixture.setUp());
    Form->PageControl1->setCurrentIndex(1);
    WriteFile(Path("a.bdf"), SmallFont("FontA", 3));
    WriteFile(Path("b.bdf"), SmallFont("FontB", 5));
}

void TstCompilerPage::cleanup()
{
    QDir::setCurrent(StartFolder);
    Fixture.tearDown();
}

void TstCompilerPage::OpenDemo()
{
    WriteFile(Path("demo.bitloom"), "[FontFiles]\r\n1=" + Path("a.bdf").toUtf8() + "\r\n2=" + Path("b.bdf").toUtf8() +
                                        "\r\n[Common]\r\nCollectionUid=$10\r\nKPixelAspectRatio=3\r\nDebug=1\r\n"
                                        "[Typefaces]\r\n2=Bold\r\n1=Regular\r\n"
                                        "[Regular]\r\nType=System\r\nComments=plain\r\nFontBoundingBox1=8\r\n"
                                        "FontBoundingBox2=12\r\nFontBoundingBox4=-2\r\n1=FontA\r\n2=FontB\r\n"
                                        "[Bold]\r\nType=Serif\r\n1=FontB\r\n");
    Page()->OpenBitloom(Path("demo.bitloom").toStdString());
}

void TstCompilerPage::openFillsListsAndFonts()
{
    OpenDemo();
    QCOMPARE(ListBox2()->count(), 2);
    QCOMPARE(ListBox2()->item(0)->text(), QString("Bold"));
    QCOMPARE(ListBox2()->currentRow(), 0);
    QCOMPARE(ListBox3()->count(), 1);
    QCOMPARE(ComboBox1()->currentText(), QString("Serif"));
    QCOMPARE(Form->Project.CollectionUid, 16);
    QCOMPARE(Form->Project.KPixelAspectRatio, 3);
    QCOMPARE(Form->Project.Debug, 1);
    QCOMPARE(Form->Fonts.size(), size_t(2));
    QCOMPARE(Form->Fonts.currentIndex(), 1);
    // The window has the font page show the last of the project's fonts.
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString("FontB"));
    QCOMPARE(Form->StatusPanel->text(), Path("demo.bitloom"));
    QCOMPARE(Form->windowTitle(), QString("demo.bitloom - Редактор шрифтов"));
    QVERIFY(!Form->Project.ProjectModified);
    QVERIFY(Script->Warnings.isEmpty());
    // A click on the selected row refills the panel too.
    Face(0).FontFiles.push_back("FontA");
    QTest::mouseClick(ListBox2()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      ListBox2()->visualItemRect(ListBox2()->item(0)).center());
    QCOMPARE(ListBox3()->count(), 2);
}

void TstCompilerPage::openReplacesFontsAndAsksFirst()
{
    Form->FontPage->OpenFonts({Path("a.bdf")});
    Form->Fonts[0].Modified = true;
    Form->Project.markModified();
    WriteFile(Path("demo.bitloom"), "[FontFiles]\r\n1=" + Path("b.bdf").toUtf8() + "\r\n");
    // No to the first question: nothing happens, no dialog.
    Script->YesNoAnswers = {false};
    Page()->ToolButton4Click();
    QCOMPARE(Script->Asked, QStringList{"BDF fonts not saved, continue?"});
    QCOMPARE(Script->AskedDefaults.last(), TAskDefault::No);
    QVERIFY(Script->Dialogs.isEmpty());
    // Yes to both: the project's fonts replace the open ones.
    Script->YesNoAnswers = {true, true};
    Script->OpenAnswers << QStringList{Path("demo.bitloom")};
    Page()->ToolButton4Click();
    QCOMPARE(Script->Asked.mid(1), (QStringList{"BDF fonts not saved, continue?", "Bitloom project not saved, continue?"}));
    QCOMPARE(Form->Fonts.size(), size_t(1));
    QCOMPARE(Form->Fonts[0].Font.FontName, std::string("FontB"));
    QCOMPARE(Form->Fonts[0].FileName, Path("b.bdf").toStdString());
    // Nothing modified: no question at all.
    Script->Asked.clear();
    Script->OpenAnswers << QStringList{Path("demo.bitloom")};
    Page()->ToolButton4Click();
    QVERIFY(Script->Asked.isEmpty());
}

void TstCompilerPage::newProjectAsksAndResets()
{
    OpenDemo();
    Form->Project.markModified();
    Script->YesNoAnswers = {false};
    Page()->ToolButton20Click();
    QCOMPARE(Script->Asked, QStringList{"Bitloom project not saved, continue?"});
    QCOMPARE(ListBox2()->count(), 2);
    Script->YesNoAnswers = {true};
    Page()->ToolButton20Click();
    QCOMPARE(Form->windowTitle(), QString("new"));
    QCOMPARE(ListBox2()->count(), 1);
    QCOMPARE(ListBox2()->currentRow(), -1);
    QCOMPARE(Face(0).Name, std::string("tf_1"));
    QCOMPARE(Face(0).Type, std::string());
    // Nothing of the old typefaces stays in the panel.
    QCOMPARE(ListBox3()->count(), 0);
    QCOMPARE(Edit15()->text(), QString());
    QCOMPARE(ComboBox1()->currentIndex(), -1);
    // The fonts and numbers stay.
    QCOMPARE(Form->Fonts.size(), size_t(2));
    QCOMPARE(Form->Project.CollectionUid, 16);
}

void TstCompilerPage::saveRoundTripsAndKeepsHandWrittenKeys()
{
    OpenDemo();
    Form->Project.markModified();
    Script->SaveAnswers << Path("demo.bitloom");
    QVERIFY(Page()->ToolButton5Click());
    QCOMPARE(Script->Dialogs.last().Filter, QString("Bitloom project|*.bitloom|All files|*.*"));
    QCOMPARE(Script->Dialogs.last().DefaultSuffix, QString("bitloom"));
    QVERIFY(Script->Dialogs.last().ConfirmOverwrite);
    QVERIFY(!Form->Project.ProjectModified);
    const QByteArray saved = ReadAll(Path("demo.bitloom"));
    QVERIFY(saved.contains("Debug=1"));
    const TProjectFile back = ParseProject(saved.toStdString());
    QCOMPARE(back.FontFiles, (std::vector<std::string>{Path("a.bdf").toStdString(), Path("b.bdf").toStdString()}));
    QVERIFY(back.Typefaces == Form->Project.Typefaces);
    QCOMPARE(back.CollectionUid, 16);
    QCOMPARE(Script->Dialogs.last().Directory, Fixture.Dir->path());
    // A new file gets no Debug key.
    Script->SaveAnswers << Path("fresh.bitloom");
    QVERIFY(Page()->ToolButton5Click());
    QVERIFY(!ReadAll(Path("fresh.bitloom")).contains("Debug"));
    // Cancel saves nothing.
    QVERIFY(!Page()->ToolButton5Click());
}

void TstCompilerPage::failedSaveKeepsOldFileAndFlag()
{
    OpenDemo();
    const QByteArray before = ReadAll(Path("demo.bitloom"));
    Form->Project.markModified();
    static int failures = 0;
    failures = 0;
    SetSaveFaultHook([](TSaveStep step) { return step == TSaveStep::Sync ? (++failures, EIO) : 0; });
    Script->SaveAnswers << Path("demo.bitloom");
    QTest::mouseClick(ToolButton5(), Qt::LeftButton);
    SetSaveFaultHook(nullptr);
    QCOMPARE(failures, 1);
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY2(Script->Errors.first().startsWith("Unable to write to " + Path("demo.bitloom")), qPrintable(Script->Errors.first()));
    QVERIFY(Script->Errors.first().contains(QString::fromLocal8Bit(strerror(EIO))));
    QCOMPARE(ReadAll(Path("demo.bitloom")), before);
    QVERIFY(Form->Project.ProjectModified);
    QCOMPARE(QDir(Fixture.Dir->path()).entryList(QStringList{"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
}

void TstCompilerPage::missingAndUnreadableFontsAreReported()
{
    QVERIFY(MakeHostileFile("png", Path("pic.bdf")));
    QVERIFY(QDir(Fixture.Dir->path()).mkdir("dir.bdf"));
    WriteFile(Path("cut.bdf"), SmallFont("FontC", 2).chopped(8));
    WriteFile(Path("p.bitloom"), "[FontFiles]\r\n1=" + Path("a.bdf").toUtf8() + "\r\n2=" + Path("gone.bdf").toUtf8() +
                                     "\r\n3=" + Path("pic.bdf").toUtf8() + "\r\n4=" + Path("b.bdf").toUtf8() +
                                     "\r\n5=dir.bdf\r\n6=cut.bdf\r\n");
    Page()->OpenBitloom(Path("p.bitloom").toStdString());
    QCOMPARE(Form->Fonts.size(), size_t(3));
    QCOMPARE(Form->Fonts[1].Font.FontName, std::string("FontB"));
    QCOMPARE(Form->Fonts[1].FileName, Path("b.bdf").toStdString());
    QCOMPARE(Script->Warnings.size(), 2);
    QVERIFY(Script->Warnings.first().contains(Path("gone.bdf") + ": not found"));
    QVERIFY(Script->Warnings.first().contains(Path("pic.bdf") + "\" is not a font Bitloom can read"));
    QVERIFY(Script->Warnings.first().contains("dir.bdf: not a regular file"));
    // A font that opened with a warning is told about too.
    QVERIFY2(Script->Warnings.last().contains("truncated"), qPrintable(Script->Warnings.last()));
    // A project without fonts leaves no font's header behind.
    Page()->OpenBitloom(Path("nothing.bitloom").toStdString());
    QCOMPARE(Form->Fonts.size(), size_t(0));
    QCOMPARE(Fixture.Ui().Edit6()->text(), QString());
}

void TstCompilerPage::relativeFontPathsFoundBesideProject()
{
    QDir(Fixture.Dir->path()).mkdir("proj");
    WriteFile(Path("proj/c.bdf"), SmallFont("FontC", 2));
    WriteFile(Path("proj/p.bitloom"), "[FontFiles]\r\n1=c.bdf\r\n");
    Page()->OpenBitloom(Path("proj/p.bitloom").toStdString());
    QCOMPARE(Form->Fonts.size(), size_t(1));
    // Quick save writes back to the file that was read.
    QCOMPARE(Form->Fonts[0].FileName, Path("proj/c.bdf").toStdString());
}

void TstCompilerPage::editsLandInTheFilesOpened_data()
{
    // The working folder the program runs in, and whether the project is named relative to it.
    QTest::addColumn<QString>("cwd");
    QTest::addColumn<bool>("relative");
    QTest::newRow("project-folder") << "proj" << true;
    QTest::newRow("above-project") << "." << true;
    QTest::newRow("elsewhere") << "elsewhere" << true;
    QTest::newRow("elsewhere-absolute") << "elsewhere" << false;
}

void TstCompilerPage::editsLandInTheFilesOpened()
{
    QFETCH(QString, cwd);
    QFETCH(bool, relative);
    for (const char *folder : {"proj/fonts", "elsewhere", "bin/fonts", "other"})
        QDir(Fixture.Dir->path()).mkpath(folder);
    WriteFile(Path("proj/fonts/a.bdf"), SmallFont("FontA", 3));
    WriteFile(Path("proj/p.bitloom"), "[FontFiles]\r\n1=fonts/a.bdf\r\n[Typefaces]\r\n1=T\r\n[T]\r\n1=FontA\r\n");
    WriteFile(Path("bin/fnttran.exe"), "#!/bin/sh\ncp out.gd out.gdr\necho out.gdr created\n");
    QFile(Path("bin/fnttran.exe")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Page()->ProgramFolder = Path("bin").toStdString();
    QVERIFY(QDir::setCurrent(Path(cwd)));
    const QString project = relative ? QDir(Path(cwd)).relativeFilePath(Path("proj/p.bitloom")) : Path("proj/p.bitloom");
    Page()->OpenBitloom(project.toStdString());
    QCOMPARE(Form->Fonts.size(), size_t(1));

    // Paint, compile, quick save: the edit goes into the file that was opened.
    QTest::mouseClick(Fixture.Ui().RxDrawGrid1(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    QVERIFY(Form->Fonts[0].Modified);
    Script->SaveAnswers << "store.gdr";
    Page()->ToolButton6Click();
    QCOMPARE(Form->StatusPanel->text(), QString("Font successfully created!"));
    QVERIFY(QFile::exists(Path(cwd) + "/store.gdr"));
    Form->FontPage->ToolButton25Click();
    QVERIFY(Script->Errors.isEmpty());
    QVERIFY(ReadAll(Path("proj/fonts/a.bdf")) != SmallFont("FontA", 3));
    QVERIFY(!QFile::exists(Path("bin/fonts/a.bdf")));

    // Saved over itself the project keeps its text; saved elsewhere it names the font absolutely.
    Script->SaveAnswers << Path("proj/p.bitloom") << Path("other/q.bitloom");
    QVERIFY(Page()->ToolButton5Click());
    QVERIFY(Page()->ToolButton5Click());
    QCOMPARE(ParseProject(ReadAll(Path("proj/p.bitloom")).toStdString()).FontFiles,
             std::vector<std::string>{"fonts/a.bdf"});
    QCOMPARE(ParseProject(ReadAll(Path("other/q.bitloom")).toStdString()).FontFiles,
             std::vector<std::string>{Path("proj/fonts/a.bdf").toStdString()});
    // Both open from anywhere, with their font.
    QVERIFY(QDir::setCurrent(Path("bin")));
    for (const char *name : {"proj/p.bitloom", "other/q.bitloom"}) {
        Page()->OpenBitloom(Path(name).toStdString());
        QCOMPARE(Form->Fonts.size(), size_t(1));
        QCOMPARE(Form->Fonts[0].FileName, Path("proj/fonts/a.bdf").toStdString());
    }
}

void TstCompilerPage::commandLineOpensProject()
{
    OpenDemo();
    // A window that is shown but never activated (no window manager, focus
    // stealing prevention) opens it all the same; the platform here always
    // activates, so the show comes alone.
    TFormMain second;
    second.Arguments = {Path("demo.bitloom").toStdString()};
    QShowEvent shown;
    QApplication::sendEvent(&second, &shown);
    QTRY_COMPARE(PageControl<QListWidget>(second.CompilerPage, "ListBox2")->count(), 2);
    QCOMPARE(second.Fonts.size(), size_t(2));
    // Activated later, it does not read the project again.
    second.Fonts.remove(1);
    second.show();
    second.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&second));
    QTest::qWait(10);
    QCOMPARE(second.Fonts.size(), size_t(1));
    // A project never opened or saved: its save dialog starts where fonts were opened.
    TFormMain third;
    third.FontPage->OpenFonts({Path("a.bdf")});
    third.CompilerPage->ToolButton5Click();
    QCOMPARE(Script->Dialogs.last().Directory, Fixture.Dir->path());
}

void TstCompilerPage::notAProjectChangesNothing_data()
{
    AddHostileRows({"png", "fifo", "zero", "folder"});
}

void TstCompilerPage::notAProjectChangesNothing()
{
    QFETCH(QString, kind);
    OpenDemo();
    QVERIFY(MakeHostileFile(kind, Path("bad.bitloom")));
    Script->OpenAnswers << QStringList{Path("bad.bitloom")};
    QTest::mouseClick(ToolButton4(), Qt::LeftButton);
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains(Path("bad.bitloom")));
    QCOMPARE(Form->Fonts.size(), size_t(2));
    QCOMPARE(ListBox2()->count(), 2);
    QCOMPARE(Form->Project.ProjectFileName, Path("demo.bitloom").toStdString());
}

void TstCompilerPage::everyChangeMarksTheProject_data()
{
    QTest::addColumn<QString>("action");
    for (const char *a : {"add-typeface", "rename", "delete-typeface", "move-down", "add-font", "edit-font", "delete-font",
                          "type", "placement", "comment"})
        QTest::newRow(a) << QString(a);
}

void TstCompilerPage::everyChangeMarksTheProject()
{
    QFETCH(QString, action);
    OpenDemo();
    ListBox2()->setCurrentRow(1);
    ListBox3()->setCurrentRow(0);
    QVERIFY(!Form->Project.ProjectModified);
    if (action == "add-typeface") {
        Script->TextAnswers << "Italic";
        Page()->ToolButton7Click();
    } else if (action == "rename") {
        Script->TextAnswers << "Regular2";
        Page()->ToolButton8Click();
    } else if (action == "delete-typeface") {
        Script->YesNoAnswers << true;
        Page()->ToolButton9Click();
    } else if (action == "move-down") {
        ListBox2()->setCurrentRow(0);
        Page()->ToolButton11Click();
    } else if (action == "add-font") {
        Script->PickAnswers << "FontA";
        Page()->ToolButton12Click();
    } else if (action == "edit-font") {
        Script->TextAnswers << "FontZ";
        Page()->ToolButton13Click();
    } else if (action == "delete-font") {
        Page()->ToolButton14Click();
    } else if (action == "type") {
        ComboBox1()->activated(2);
    } else if (action == "placement") {
        Edit16()->setText("99");
    } else if (action == "comment") {
        Memo2()->setFocus();
        QTRY_VERIFY(Memo2()->hasFocus());
        QTest::keyClicks(Memo2(), "x");
    }
    QVERIFY(Form->Project.ProjectModified);
}

void TstCompilerPage::namesThatCannotSurviveAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("same-ignoring-case") << "bold";
    QTest::newRow("common") << "Common";
    QTest::newRow("typefaces") << "TYPEFACES";
    QTest::newRow("fontfiles") << "FontFiles";
    QTest::newRow("bracket") << "a]";
}

void TstCompilerPage::namesThatCannotSurviveAreRefused()
{
    QFETCH(QString, name);
    OpenDemo();
    const std::vector<TTypeface> before = Form->Project.Typefaces;
    Script->TextAnswers << name;
    Page()->ToolButton7Click();
    ListBox2()->setCurrentRow(1);
    Script->TextAnswers << name;
    Page()->ToolButton8Click();
    QVERIFY(Form->Project.Typefaces == before);
    QCOMPARE(ListBox2()->item(1)->text(), QString("Regular"));
    QCOMPARE(Script->Errors.size(), 2);
    QVERIFY(!Form->Project.ProjectModified);
    // Renaming a typeface to its own name in other letters is fine.
    Script->TextAnswers << "REGULAR";
    Page()->ToolButton8Click();
    QCOMPARE(Face(1).Name, std::string("REGULAR"));
}

void TstCompilerPage::addRenameDeleteAndMove()
{
    OpenDemo();
    Script->TextAnswers << "Italic";
    Page()->ToolButton7Click();
    QCOMPARE(ListBox2()->count(), 3);
    QCOMPARE(Face(2).Type, std::string("Proportional"));
    QCOMPARE(ListBox2()->currentRow(), 0);
    // Empty text and cancel change nothing.
    Script->TextAnswers << "";
    Page()->ToolButton8Click();
    Page()->ToolButton8Click();
    QCOMPARE(Face(0).Name, std::string("Bold"));
    Page()->ToolButton10Click();
    QCOMPARE(Face(0).Name, std::string("Bold"));
    ListBox2()->setCurrentRow(2);
    Page()->ToolButton11Click();
    QCOMPARE(Face(2).Name, std::string("Italic"));
    Page()->ToolButton10Click();
    QCOMPARE(Face(1).Name, std::string("Italic"));
    QCOMPARE(ListBox2()->item(1)->text(), QString("Italic"));
    QCOMPARE(ListBox2()->currentRow(), 1);
    // Delete asks, in a warning box that defaults to No.
    Script->YesNoAnswers << false;
    Page()->ToolButton9Click();
    QCOMPARE(ListBox2()->count(), 3);
    QCOMPARE(Script->AskedIcons.last(), TAskIcon::Warning);
    QCOMPARE(Script->AskedDefaults.last(), TAskDefault::No);
    Script->YesNoAnswers << true;
    Page()->ToolButton9Click();
    QCOMPARE(ListBox2()->count(), 2);
    QCOMPARE(ListBox2()->currentRow(), 0);
    QCOMPARE(Face(1).Name, std::string("Regular"));
}

void TstCompilerPage::fontEntries()
{
    OpenDemo();
    Script->PickAnswers << "FontB"
                        << "FontB";
    Page()->ToolButton12Click();
    Page()->ToolButton12Click();
    QCOMPARE(Script->PickLists.first(), (QStringList{"FontA", "FontB"}));
    QCOMPARE(Face(0).FontFiles, (std::vector<std::string>{"FontB", "FontB", "FontB"}));
    QCOMPARE(ListBox3()->count(), 3);
    // No row picked: nothing added.
    Script->PickAnswers << "";
    Page()->ToolButton12Click();
    QCOMPARE(Face(0).FontFiles.size(), size_t(3));
    ListBox3()->setCurrentRow(1);
    Script->TextAnswers << "Other";
    Page()->ToolButton13Click();
    QCOMPARE(Face(0).FontFiles[1], std::string("Other"));
    Page()->ToolButton14Click();
    QCOMPARE(Face(0).FontFiles, (std::vector<std::string>{"FontB", "FontB"}));
    QCOMPARE(ListBox3()->currentRow(), -1);
    QVERIFY(Script->Asked.isEmpty());
}

void TstCompilerPage::panelFillWritesNothingBack()
{
    OpenDemo();
    const std::vector<TTypeface> before = Form->Project.Typefaces;
    Memo2()->setFocus();
    QTRY_VERIFY(Memo2()->hasFocus());
    ListBox2()->setCurrentRow(1);
    ListBox2()->setCurrentRow(0);
    Form->Movedown1Click();
    QVERIFY(Form->Project.Typefaces == before);
    QVERIFY(!Form->Project.ProjectModified);
    QCOMPARE(Memo2()->toPlainText(), QString("plain"));
    QCOMPARE(Edit15()->text(), QString("8"));
}

void TstCompilerPage::placementFields()
{
    OpenDemo();
    Edit18()->clear();
    QTest::keyClicks(Edit18(), "-");
    QCOMPARE(Face(0).FontBoundingBox4, 0);
    QTest::keyClicks(Edit18(), "5");
    QCOMPARE(Face(0).FontBoundingBox4, -5);
    QTest::keyClicks(Edit18(), "x");
    QCOMPARE(Face(0).FontBoundingBox4, 0);
    QCOMPARE(Edit18()->text(), QString("-5x"));
}

void TstCompilerPage::typeBox()
{
    WriteFile(Path("t.bitloom"), "[Typefaces]\r\n1=A\r\n2=B\r\n[A]\r\nType=System\r\n[B]\r\n");
    Page()->OpenBitloom(Path("t.bitloom").toStdString());
    QCOMPARE(ComboBox1()->currentText(), QString("System"));
    ListBox2()->setCurrentRow(1);
    QCOMPARE(ComboBox1()->currentText(), QString("System"));
    QCOMPARE(Face(1).Type, std::string("?"));
}

void TstCompilerPage::multiLineCommentSurvives()
{
    OpenDemo();
    Memo2()->setFocus();
    QTRY_VERIFY(Memo2()->hasFocus());
    Memo2()->selectAll();
    QTest::keyClicks(Memo2(), "line one");
    QTest::keyClick(Memo2(), Qt::Key_Return);
    QTest::keyClicks(Memo2(), "two \\n three");
    QCOMPARE(Face(0).Comments, std::string("line one\ntwo \\n three"));
    Page()->SaveProject(Path("c.bitloom").toStdString());
    Page()->OpenBitloom(Path("c.bitloom").toStdString());
    QCOMPARE(Face(0).Comments, std::string("line one\ntwo \\n three"));
    QCOMPARE(Memo2()->toPlainText(), QString("line one\ntwo \\n three"));
    // At most 255 characters are kept.
    Memo2()->setFocus();
    QTRY_VERIFY(Memo2()->hasFocus());
    Memo2()->selectAll();
    QTest::keyClicks(Memo2(), QString(300, 'z'));
    QCOMPARE(Face(0).Comments.size(), size_t(255));
}

void TstCompilerPage::pictures()
{
    WriteFile(Path("Tall.jpg"), MakeJpeg(40, 300));
    WriteFile(Path("Small.v2.txt.jpg"), MakeJpeg(30, 50));
    WriteFile(Path("t.bitloom"), "[Typefaces]\r\n1=Tall\r\n2=Small.txt\r\n3=None\r\n");
    Page()->OpenBitloom(Path("t.bitloom").toStdString());
    QCOMPARE(Panel14()->height(), 220);
    QCOMPARE(Image2()->pixmap().size(), QSize(40, 300));
    ListBox2()->setCurrentRow(1);
    QCOMPARE(Panel14()->height(), 0);
    QVERIFY(Script->Errors.isEmpty());
    WriteFile(Path("Small.jpg"), MakeJpeg(30, 50));
    ListBox2()->setCurrentRow(0);
    ListBox2()->setCurrentRow(1);
    QCOMPARE(Panel14()->height(), 50);
    ListBox2()->setCurrentRow(2);
    QCOMPARE(Panel14()->height(), 0);
    QVERIFY(Image2()->pixmap().isNull());
    QFile::remove(Path("Tall.jpg"));
    ListBox2()->setCurrentRow(0);
    QCOMPARE(Panel14()->height(), 0);
}

void TstCompilerPage::corruptPictureShowsDecoderError()
{
    // A bad picture on the first typeface is reported once when the project opens.
    WriteFile(Path("First.jpg"), "garbage");
    WriteFile(Path("f.bitloom"), "[Typefaces]\r\n1=First\r\n");
    Page()->OpenBitloom(Path("f.bitloom").toStdString());
    QCOMPARE(Script->Errors.size(), 1);
    Script->Errors.clear();

    WriteFile(Path("Good.jpg"), MakeJpeg(20, 20));
    WriteFile(Path("Bad.jpg"), "not a jpeg at all");
    WriteFile(Path("t.bitloom"), "[Typefaces]\r\n1=Good\r\n2=Bad\r\n[Good]\r\nFontBoundingBox1=1\r\n"
                                 "[Bad]\r\nFontBoundingBox1=2\r\nComments=bad one\r\n");
    Page()->OpenBitloom(Path("t.bitloom").toStdString());
    QCOMPARE(Panel14()->height(), 20);
    ListBox2()->setCurrentRow(1);
    QCOMPARE(Script->Errors.size(), 1);
    QVERIFY(Script->Errors.first().contains(Path("Bad.jpg")));
    // The decoder's words, and the panel shows this typeface's values, not the last picture.
    QVERIFY2(Script->Errors.first().contains("JPEG", Qt::CaseInsensitive), qPrintable(Script->Errors.first()));
    QCOMPARE(Panel14()->height(), 0);
    QCOMPARE(Edit15()->text(), QString("2"));
    QCOMPARE(Memo2()->toPlainText(), QString("bad one"));
    // A picture whose data ends early shows what decoded, with the decoder's warning in the status line.
    Script->Errors.clear();
    WriteFile(Path("Good.jpg"), MakeCutJpeg(20, 30));
    ListBox2()->setCurrentRow(0);
    QVERIFY(Script->Errors.isEmpty());
    QCOMPARE(Panel14()->height(), 30);
    QVERIFY2(Form->StatusPanel->text().contains(Path("Good.jpg")) && Form->StatusPanel->text().contains("Premature end"),
             qPrintable(Form->StatusPanel->text()));
}

void TstCompilerPage::compileFromTheWindow()
{
    // No fonts: no dialog, nothing written.
    Page()->ToolButton6Click();
    QVERIFY(Script->Dialogs.isEmpty());

    OpenDemo();
    QDir(Fixture.Dir->path()).mkdir("bin");
    Page()->ProgramFolder = Path("bin").toStdString();
    QFile compiler(Path("bin/fnttran.exe"));
    QVERIFY(compiler.open(QIODevice::WriteOnly));
    compiler.write("#!/bin/sh\ncp out.gd out.gdr\necho checking\necho out.gdr created\n");
    compiler.close();
    compiler.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Script->SaveAnswers << Path("store.gdr");
    QTest::mouseClick(ToolButton6(), Qt::LeftButton);
    QCOMPARE(Script->Dialogs.last().Filter, QString("GDR font|*.gdr|All files|*.*"));
    QCOMPARE(Script->Dialogs.last().DefaultSuffix, QString("gdr"));
    QCOMPARE(Form->StatusPanel->text(), QString("Font successfully created!"));
    QCOMPARE(Form->StatusPanel->colour(), QColor(0, 128, 0));
    QCOMPARE(Memo1()->toPlainText(), QString("checking\nout.gdr created"));
    QVERIFY(ReadAll(Path("store.gdr")).contains("Typeface Regular\r\n"));
    // The fonts' own files and flags are untouched.
    QVERIFY(!Form->Fonts[0].Modified);

    QVERIFY(compiler.open(QIODevice::WriteOnly));
    compiler.write("#!/bin/sh\necho 'line 3: bad' >&2\n");
    compiler.close();
    Script->SaveAnswers << Path("other.gdr");
    QTest::mouseClick(ToolButton6(), Qt::LeftButton);
    QCOMPARE(Form->StatusPanel->text(), QString("Error! Font NOT created!"));
    QCOMPARE(Form->StatusPanel->colour(), QColor(255, 0, 0));
    QCOMPARE(Memo1()->toPlainText(), QString("line 3: bad"));
    QVERIFY(!QFile::exists(Path("other.gdr")));
}

void TstCompilerPage::previewDrawsTypedText()
{
    // A is 5 pixels wide, B 6; the font is 10 pixels high.
    WriteFile(Path("p.bdf"), "STARTFONT 2.1\nFONT P\nFONTBOUNDINGBOX 7 10 0 0\n"
                             "STARTCHAR 0041\nENCODING 65\nBBX 5 2 0 0\nBITMAP\nF8\nF8\nENDCHAR\n"
                             "STARTCHAR 0042\nENCODING 66\nBBX 6 2 0 0\nBITMAP\nFC\nFC\nENDCHAR\n"
                             "STARTCHAR 0020\nENCODING 32\nBBX 2 1 0 0\nBITMAP\n00\nENDCHAR\nENDFONT\n");
    WriteFile(Path("t.bitloom"), "[FontFiles]\r\n1=" + Path("p.bdf").toUtf8() + "\r\n[Typefaces]\r\n1=T\r\n2=None\r\n"
                                 "[T]\r\n1=P\r\n[None]\r\n1=Missing\r\n");
    Page()->OpenBitloom(Path("t.bitloom").toStdString());
    QTest::keyClicks(Edit12(), "AB");
    QCOMPARE(Page()->previewImage().size(), QSize(13, 20));
    QCOMPARE(Image1()->pixmap().size(), QSize(13, 20));
    QCOMPARE(Page()->previewImage().pixelColor(1, 14), QColor(Qt::black));
    QCOMPARE(Page()->previewImage().pixelColor(6, 14), QColor(Qt::white));
    QCOMPARE(Page()->previewImage().pixelColor(12, 14), QColor(Qt::black));
    // Deleting keeps the picture; typing appends after it. A character the font lacks adds nothing.
    QTest::keyClick(Edit12(), Qt::Key_Backspace);
    QCOMPARE(Page()->previewImage().width(), 13);
    QTest::keyClicks(Edit12(), "Z A");
    QCOMPARE(Page()->previewImage().width(), 13 + 3 + 2 + 1 + 5);
    Page()->SpeedButton9Click();
    QCOMPARE(Edit12()->text(), QString());
    QVERIFY(Page()->previewImage().isNull());
    QVERIFY(Image1()->pixmap().isNull());
    // A typeface whose first entry names no open font draws nothing.
    ListBox2()->setCurrentRow(1);
    QTest::keyClicks(Edit12(), "A");
    QVERIFY(Page()->previewImage().isNull());
}

int main(int argc, char **argv)
{
    qputenv("XDG_CONFIG_HOME", QDir::tempPath().toLocal8Bit() + "/bitloom-test-config");
    TApplication app(argc, argv);
    TstCompilerPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_compilerpage.moc"
