// The recent files: the list's rules, how the settings keep it, what enters it,
// and the "Файл" menu that offers it again.
#include "app/errorhandler.h"
#include "app/recentfiles.h"
#include "compiler/compilerpage.h"
#include "windowtestutil.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

class TstRecentFiles : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listRules_data();
    void listRules();
    void settingsKeepPathsAndKinds();
    void menuOffersWhatWasOpenedAndGreysWhatIsGone();
    void choosingAnEntryOpensItAsItsCommand();

private:
    QString Path(const QString &name) { return Fixture.Dir->filePath(name); }
    // The menu's recent entries after it looked again, and each one's full path
    // (its tool tip), marked when greyed.
    QList<QAction *> EntryActions();
    QStringList Entries();

    TWindowFixture Fixture;
    std::unique_ptr<TScriptedPrompts> &Script = Fixture.Script;
    std::unique_ptr<TFormMain> &Form = Fixture.Form;
};

void TstRecentFiles::init()
{
    QSettings().remove("RecentFiles");
    QVERIFY(Fixture.setUp());
    WriteFile(Path("a.bdf"), SmallFont("A", 3));
    WriteFile(Path("b.bdf"), SmallFont("B", 5));
    WriteFile(Path("c.bdf"), SmallFont("C", 2));
    WriteFile(Path("p.bitloom"), "[FontFiles]\r\n1=" + Path("c.bdf").toUtf8() + "\r\n[Typefaces]\r\n");
}

void TstRecentFiles::cleanup()
{
    Fixture.tearDown();
}

QList<QAction *> TstRecentFiles::EntryActions()
{
    emit Form->File1->aboutToShow();
    QList<QAction *> entries;
    for (QAction *a : Form->File1->actions())
        if (a->text().startsWith('&') || a->text().startsWith("1&0"))
            entries << a;
    return entries;
}

QStringList TstRecentFiles::Entries()
{
    QStringList paths;
    for (QAction *a : EntryActions())
        paths << (a->isEnabled() ? "" : "greyed ") + a->toolTip();
    return paths;
}

void TstRecentFiles::listRules_data()
{
    // The list before (paths, all fonts), the path added, the list after.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QString("/f/%1.bdf").arg(i);
    QTest::newRow("reopened-moves-to-front") << QStringList{"/f/a.bdf", "/f/b.bdf", "/f/c.bdf"} << "/f/b.bdf"
                                             << QStringList{"/f/b.bdf", "/f/a.bdf", "/f/c.bdf"};
    QTest::newRow("another-spelling-is-the-same-file")
        << QStringList{"/f/a.bdf", "/f/b.bdf"} << "/f//./b.bdf" << QStringList{"/f/b.bdf", "/f/a.bdf"};
    QTest::newRow("eleventh-drops-the-oldest") << ten << "/f/new.bdf" << (QStringList{"/f/new.bdf"} + ten.mid(0, 9));
    QTest::newRow("relative-path-made-full")
        << QStringList{} << "a.bdf" << QStringList{QDir::current().absoluteFilePath("a.bdf")};
}

void TstRecentFiles::listRules()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    TRecentFiles list;
    for (const QString &p : before)
        list.push_back({TRecentKind::Font, p.toStdString()});
    AddRecentFile(list, TRecentKind::Font, added.toStdString());
    QStringList got;
    for (const TRecentFile &f : list)
        got << QString::fromStdString(f.Path);
    QCOMPARE(got, after);
}

void TstRecentFiles::settingsKeepPathsAndKinds()
{
    const TRecentFiles list{{TRecentKind::Project, "/f/p.bitloom"}, {TRecentKind::Font, "/f/Fon\xE9.bdf"}};
    {
        QSettings settings;
        WriteRecentFiles(settings, list);
        // A hand-edited entry of no known kind is left out when read.
        settings.setValue("RecentFiles/3/path", "/f/x.bdf");
        settings.setValue("RecentFiles/3/kind", "picture");
        settings.setValue("RecentFiles/size", 3);
    }
    QSettings settings;
    QCOMPARE(settings.value("RecentFiles/1/path").toString(), QString("/f/p.bitloom"));
    QVERIFY(ReadRecentFiles(settings) == list);
}

void TstRecentFiles::menuOffersWhatWasOpenedAndGreysWhatIsGone()
{
    QVERIFY(!Form->ClearRecent1->isVisible());
    // A project enters, not the fonts it opens; so do fonts opened, a project
    // saved and the TrueType import's output, but not a font saved under a name.
    Form->CompilerPage->OpenBitloom(Path("p.bitloom").toStdString());
    Form->FontPage->OpenFonts({Path("a.bdf"), Path("b.bdf")});
    Form->CompilerPage->SaveProject(Path("s.bitloom").toStdString());
    QDir(Fixture.Dir->path()).mkdir("bin");
    FakeConverter(*Form->FontPage, Path("bin"), SmallFont("Made", 2));
    Script->TrueTypeAnswers << TTrueTypeOptions{"9", 0};
    Script->SaveAnswers << Path("made9.bdf") << Path("copy.bdf");
    Form->FontPage->ImportTrueType(Path("x.ttf"));
    Form->FontPage->ToolButton2Click();
    QVERIFY2(Script->Errors.isEmpty(), qPrintable(Script->Errors.join('\n')));
    const QStringList all{Path("made9.bdf"), Path("s.bitloom"), Path("b.bdf"), Path("a.bdf"), Path("p.bitloom")};
    QCOMPARE(Entries(), all);
    QVERIFY(Form->ClearRecent1->isVisible());
    QVERIFY(!Form->RemoveMissing1->isEnabled());

    // Kept between runs: a new window offers the same files.
    Form = std::make_unique<TFormMain>();
    QCOMPARE(Entries(), all);

    QVERIFY(QFile::remove(Path("b.bdf")));
    QCOMPARE(Entries().at(2), "greyed " + Path("b.bdf") + " (not found)");
    QVERIFY(Form->RemoveMissing1->isEnabled());
    Form->RemoveMissing1->trigger();
    QCOMPARE(Entries(), (QStringList{Path("made9.bdf"), Path("s.bitloom"), Path("a.bdf"), Path("p.bitloom")}));
    Form->ClearRecent1->trigger();
    QCOMPARE(Entries(), QStringList());
    QVERIFY(!Form->ClearRecent1->isVisible());
}

void TstRecentFiles::choosingAnEntryOpensItAsItsCommand()
{
    Form->CompilerPage->OpenBitloom(Path("p.bitloom").toStdString());
    Form->FontPage->OpenFonts({Path("a.bdf")});
    Form->Fonts.markCurrentModified();
    Form->PageControl1->setCurrentWidget(Form->CompilerPage);
    // a.bdf is first, then the project.
    EntryActions().at(0)->trigger();
    QCOMPARE(Form->Fonts.size(), size_t(3));
    QCOMPARE(Form->Fonts.currentIndex(), 2);
    QCOMPARE(Form->PageControl1->currentWidget(), static_cast<QWidget *>(Form->FontPage));

    // The project asks first, as its open command does; No keeps the fonts.
    Script->YesNoAnswers << false;
    EntryActions().at(1)->trigger();
    QCOMPARE(Script->Asked, QStringList{"BDF fonts not saved, continue?"});
    QCOMPARE(Form->Fonts.size(), size_t(3));
    Script->YesNoAnswers << true;
    EntryActions().at(1)->trigger();
    QCOMPARE(Form->Fonts.size(), size_t(1));
    QCOMPARE(Form->Fonts[0].FileName, Path("c.bdf").toStdString());
    QCOMPARE(Form->PageControl1->currentWidget(), static_cast<QWidget *>(Form->CompilerPage));
    QVERIFY(Script->Errors.isEmpty());
}

int main(int argc, char **argv)
{
    // Settings of its own: the list is read and written by every window made here.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TstRecentFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recentfiles.moc"
