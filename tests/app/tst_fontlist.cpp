#include "app/fontlist.h"
#include "app/openfonts.h"
#include "platform/textconv.h"

#include "model/fileerror.h"

#include <QtTest>

class TstFontList : public QObject {
    Q_OBJECT
private slots:
    void captions();
    void newFont();
    void moves();
    void startupArgument();
    void textRoundTrip();
    void openFontsSayWhatChanged();
    void quickSaveWritesEachFileOnce_data();
    void quickSaveWritesEachFileOnce();
    void droppedKinds_data();
    void droppedKinds();
};

Q_DECLARE_METATYPE(TDroppedKind)

void TstFontList::droppedKinds_data()
{
    // Each kind is dropped on the window in its own test; here the spellings.
    QTest::addColumn<QString>("path");
    QTest::addColumn<TDroppedKind>("kind");
    QTest::newRow("font-upper-case") << "/f/A.BDF" << TDroppedKind::Font;
    QTest::newRow("opentype-mixed-case") << "/f/x.OtF" << TDroppedKind::TrueType;
    QTest::newRow("no-extension") << "/f/bdf" << TDroppedKind::Other;
    QTest::newRow("extension-only-in-folder") << "/f.bdf/readme" << TDroppedKind::Other;
    QTest::newRow("compressed-console-font") << "/f/Lat2-Terminus16.PSF.gz" << TDroppedKind::Font;
    QTest::newRow("compressed-other") << "/f/notes.txt.gz" << TDroppedKind::Other;
    QTest::newRow("bare-gz") << "/f/.gz" << TDroppedKind::Other;
}

void TstFontList::droppedKinds()
{
    QFETCH(QString, path);
    QFETCH(TDroppedKind, kind);
    QCOMPARE(DroppedFileKind(path.toStdString()), kind);
}

void TstFontList::quickSaveWritesEachFileOnce_data()
{
    // Files of the slots in order, which of them hold unsaved changes, what is written.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<bool>>("modified");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("clashes");
    QTest::newRow("distinct-files") << QStringList{"/f/a.bdf", "/f/b.bdf"} << QList<bool>{false, true}
                                    << QList<int>{0, 1} << QStringList{};
    QTest::newRow("edited-copy-wins") << QStringList{"/f/a.bdf", "/f/b.bdf", "/f//a.bdf"}
                                      << QList<bool>{false, false, true} << QList<int>{1, 2} << QStringList{};
    QTest::newRow("unchanged-copies-once") << QStringList{"/f/a.bdf", "/f/a.bdf"} << QList<bool>{false, false}
                                           << QList<int>{0} << QStringList{};
    QTest::newRow("edits-in-both-copies") << QStringList{"/f/a.bdf", "/f/b.bdf", "/f/a.bdf"}
                                          << QList<bool>{true, false, true} << QList<int>{1}
                                          << QStringList{"/f/a.bdf"};
}

void TstFontList::quickSaveWritesEachFileOnce()
{
    QFETCH(QStringList, files);
    QFETCH(QList<bool>, modified);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, clashes);
    std::vector<TProjectRecord> fonts(size_t(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        fonts[size_t(i)].FileName = files[i].toStdString();
        fonts[size_t(i)].Modified = modified[i];
    }
    const TQuickSave plan = PlanQuickSave(fonts);
    QCOMPARE(QList<int>(plan.Rows.begin(), plan.Rows.end()), rows);
    QStringList clashed;
    for (const std::string &file : plan.Clashes)
        clashed << QString::fromStdString(file);
    QCOMPARE(clashed, clashes);
}

void TstFontList::openFontsSayWhatChanged()
{
    QTemporaryDir dir;
    TOpenFonts fonts;
    QSignalSpy changed(&fonts, &TOpenFonts::fontsChanged), marked(&fonts, &TOpenFonts::modifiedChanged),
        current(&fonts, &TOpenFonts::currentChanged);
    fonts.append(NewFontSlot(1));
    fonts.append(NewFontSlot(2));
    fonts.setCurrentIndex(1);
    fonts.setCurrentIndex(7);
    QCOMPARE(current.size(), 2);
    QCOMPARE(fonts.currentIndex(), -1);
    // The unsaved mark is told when it comes and when a save takes it away, once each.
    fonts.markModified(0);
    fonts.markModified(0);
    QVERIFY(fonts.anyModified());
    fonts.save(0, dir.filePath("a.bdf").toStdString());
    QCOMPARE(marked.size(), 2);
    QVERIFY(!fonts.anyModified());
    QCOMPARE(fonts[0].FileName, std::string("bitloom.bdf"));
    // A failed save keeps the mark and says nothing.
    fonts.markModified(1);
    QVERIFY_THROWS_EXCEPTION(TFileError, fonts.save(1, dir.filePath("no/such/b.bdf").toStdString()));
    QCOMPARE(marked.size(), 3);
    QVERIFY(fonts[1].Modified);
    fonts.setCurrentIndex(1);
    fonts.remove(0);
    QCOMPARE(fonts.size(), size_t(1));
    QCOMPARE(fonts.currentIndex(), -1);
    QCOMPARE(current.last().first().toInt(), -1);
    QCOMPARE(changed.size(), 3);
}

void TstFontList::captions()
{
    TProjectRecord slot;
    slot.FileName = "/home/u/fonts/arial12.bdf";
    slot.Font.FontName = "Arial12";
    QCOMPARE(FontListCaption(slot), std::string("Arial12 (arial12.bdf)"));
    slot.Font.FontName.clear();
    slot.FileName = "bitloom.bdf";
    QCOMPARE(FontListCaption(slot), std::string(" (bitloom.bdf)"));
}

void TstFontList::newFont()
{
    TProjectRecord slot = NewFontSlot(4000000000u);
    QCOMPARE(slot.FileName, std::string("bitloom.bdf"));
    QCOMPARE(FontListCaption(slot), std::string("bitloom (bitloom.bdf)"));
    QCOMPARE(slot.Font.Uid, 4000000000.0);
    QCOMPARE(slot.Font.Chars.size(), size_t(1));
    QCOMPARE(slot.Font.Chars[0].BBXWidth, 12);
    QCOMPARE(slot.Font.Chars[0].Bitmap.size(), size_t(12));
    QVERIFY(slot.Font.Size.empty() && slot.Font.StartFont.empty());
}

void TstFontList::moves()
{
    QCOMPARE(MoveUpIndex(0), 0);
    QCOMPARE(MoveUpIndex(3), 2);
    QCOMPARE(MoveUpIndex(-1), -1);
    QCOMPARE(MoveDownIndex(-1, 3), 0);
    QCOMPARE(MoveDownIndex(2, 3), 2);
    QCOMPARE(MoveDownIndex(-1, 0), -1);
}

void TstFontList::startupArgument()
{
    QTemporaryDir dir;
    const QString good = dir.filePath("p.bitloom"), upper = dir.filePath("q.BITLOOM");
    for (const QString &p : {good, upper}) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(StartupProjectArgument({good.toStdString()}), good.toStdString());
    QCOMPARE(StartupProjectArgument({upper.toStdString()}), std::string());
    QCOMPARE(StartupProjectArgument({dir.filePath("missing.bitloom").toStdString()}), std::string());
    QVERIFY(QDir(dir.path()).mkdir("folder.bitloom"));
    QCOMPARE(StartupProjectArgument({dir.filePath("folder.bitloom").toStdString()}),
             dir.filePath("folder.bitloom").toStdString());
    QCOMPARE(StartupProjectArgument({}), std::string());
}

void TstFontList::textRoundTrip()
{
    // Bytes that are not UTF-8 come back unchanged when a field shows them and stores them back.
    const std::string latin = "Fon\xE9";
    QCOMPARE(TextToBytes(BytesToText(latin), latin), latin);
    const std::string utf8 = "Шрифт";
    QCOMPARE(BytesToText(utf8), QString("Шрифт"));
    QCOMPARE(TextToBytes(QString("Shrift2"), utf8), std::string("Shrift2"));
    QCOMPARE(TextToBytes(QString("Шрифт2"), utf8), std::string("Шрифт2"));
    // Editing one letter of a Latin-1 name changes that letter's byte and nothing else.
    QString edited = BytesToText(latin);
    edited[0] = 'G';
    QCOMPARE(TextToBytes(edited, latin), std::string("Gon\xE9"));
    QCOMPARE(TextToBytes(edited + QString("Ж"), latin), std::string("Gon\xE9\xD0\x96"));
}

QTEST_APPLESS_MAIN(TstFontList)
#include "tst_fontlist.moc"
