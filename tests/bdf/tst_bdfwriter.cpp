#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fileio.h"
#include "bdftestutil.h"
#include "common/hostilefiles.h"
#include "model/fileerror.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Text(const TBDFFont &font, TBDFLayout layout = TBDFLayout::Fixed)
{
    TByteBuffer b = FormatBDF(font, layout);
    return QByteArray(b.data(), qsizetype(b.size()));
}

TBDFChar Char(int32_t code, int32_t width, std::vector<uint64_t> rows)
{
    TBDFChar ch;
    ch.Encoding = code;
    ch.BBXWidth = width;
    ch.BBXHeight = static_cast<int32_t>(rows.size());
    ch.Bitmap.assign(rows.begin(), rows.end());
    return ch;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstBDFWriter : public QObject {
    Q_OBJECT
private slots:
    void emptyFont();
    void newFontLayout();
    void rowDigits_data();
    void rowDigits();
    void negativeCode();
    void numbersAndSharedMetrics();
    void roundTrip_data();
    void roundTrip();
    void savedWithWhatItKept_data();
    void savedWithWhatItKept();
    void saveKeepsFileNameAndClearsFlag();
    void failedSaveKeepsOldFileAndFlag();
    void fullDiskLeavesOldFileByteIdentical();
    void injectedFailureLeavesOldFile_data();
    void injectedFailureLeavesOldFile();
    void nonRegularTargetIsRefused_data();
    void nonRegularTargetIsRefused();
    void linkedTargetIsWrittenThroughAndKeepsMode();
    void uidMinusZeroWritesZero();
    void threadsDoNotChangeTheBytes();
    void failedWriteStopsTheThreads_data();
    void failedWriteStopsTheThreads();
};

void TstBDFWriter::emptyFont()
{
    TBDFFont font;
    font.FontName = "empty";
    font.Size = "16 75 75";
    font.Uid = 4294967295.0;
    QCOMPARE(Text(font), QByteArray("STARTFONT 2.1\r\nFONT empty\r\nSIZE 16 75 75\r\nFONTBOUNDINGBOX 0 0 0 0\r\n"
                                    "STARTPROPERTIES 1\r\nUid 4294967295\r\nENDPROPERTIES\r\nCHARS 0\r\nENDFONT\r\n"));
}

void TstBDFWriter::newFontLayout()
{
    TBDFFont font;
    font.FontName = "bitloom";
    font.FBBWidth = font.FBBHeight = 12;
    font.Uid = 123;
    font.Chars.push_back(Char(0, 12, std::vector<uint64_t>(12, 0)));
    QByteArray expected = "STARTFONT 2.1\r\nFONT bitloom\r\nSIZE \r\nFONTBOUNDINGBOX 12 12 0 0\r\nSTARTPROPERTIES 1\r\n"
                          "Uid 123\r\nENDPROPERTIES\r\nCHARS 1\r\nSTARTCHAR 0000\r\nENCODING 0\r\nSWIDTH 0 0\r\n"
                          "DWIDTH 0 0\r\nBBX 12 12 0 0\r\nBITMAP\r\n";
    for (int i = 0; i < 12; ++i)
        expected += "0000\r\n";
    expected += "ENDCHAR\r\nENDFONT\r\n";
    QCOMPARE(Text(font), expected);
}

void TstBDFWriter::rowDigits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<quint64>("row");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("width-5") << 5 << quint64(248) << QByteArray("F8");
    QTest::newRow("width-5-zero") << 5 << quint64(0) << QByteArray("00");
    QTest::newRow("width-5-stray-bit-not-cut") << 5 << quint64(504) << QByteArray("1F8");
    QTest::newRow("width-0") << 0 << quint64(0) << QByteArray("00");
    QTest::newRow("width-12") << 12 << quint64(65520) << QByteArray("FFF0");
    QTest::newRow("width-12-stray-bit-not-cut") << 12 << quint64(0x1FFF0) << QByteArray("1FFF0");
    QTest::newRow("width-17") << 17 << quint64(0x800000) << QByteArray("800000");
    QTest::newRow("width-17-stray-bit-not-cut") << 17 << quint64(0x1800000) << QByteArray("1800000");
    QTest::newRow("width-25") << 25 << quint64(0xA5) << QByteArray("000000A5");
    QTest::newRow("width-25-stray-bit-not-cut") << 25 << quint64(0x1000000A5ull) << QByteArray("1000000A5");
    QTest::newRow("width-32-top-bit") << 32 << quint64(0x80000000u) << QByteArray("80000000");
    QTest::newRow("width-33") << 33 << quint64(0x8000000000ull) << QByteArray("8000000000");
    QTest::newRow("width-40") << 40 << quint64(1) << QByteArray("0000000001");
    QTest::newRow("width-64") << 64 << quint64(0xFFFFFFFFFFFFFFFFull) << QByteArray("FFFFFFFFFFFFFFFF");
    QTest::newRow("negative-width") << -3 << quint64(0xFFFFFFFFu) << QByteArray("00FFFFFFFF");
}

void TstBDFWriter::rowDigits()
{
    QFETCH(int, width);
    QFETCH(quint64, row);
    QFETCH(QByteArray, line);
    TBDFFont font;
    font.Chars.push_back(Char(65, width, {row}));
    QVERIFY(Text(font).contains("\r\nBITMAP\r\n" + line + "\r\nENDCHAR\r\n"));
}

void TstBDFWriter::negativeCode()
{
    TBDFFont font;
    font.Chars.push_back(Char(-1, 0, {}));
    font.Chars.push_back(Char(65536, 0, {}));
    QByteArray text = Text(font);
    QVERIFY(text.contains("STARTCHAR FFFFFFFF\r\nENCODING -1\r\n"));
    QVERIFY(text.contains("STARTCHAR 10000\r\nENCODING 65536\r\n"));
    QVERIFY(text.contains("BBX 0 0 0 0\r\nBITMAP\r\nENDCHAR\r\n"));
}

// Every number in full, at the edges of the digit counts, while neighbouring
// glyphs share some or all of their metrics lines.
void TstBDFWriter::numbersAndSharedMetrics()
{
    const int32_t values[] = {0,     1,     9,      10,     99,      100,       999,       1000,       9999,
                              10000, 65535, -1,     -9,     -10,     -99,       -100,      -9999,      -10000,
                              123456789,    INT32_MAX,      INT32_MIN, INT32_MIN + 1};
    TBDFFont font;
    QByteArray expected;
    const size_t n = std::size(values);
    for (size_t i = 0; i < 3 * n; ++i) {
        // Runs of glyphs with the same metrics, and runs where one number changes.
        const int32_t v = values[(i / 3) % n];
        const int32_t w = values[(i / 2 + 5) % n];
        TBDFChar ch = Char(v, (i % 3 == 0) ? w : v, {});
        ch.SWidthX = v;
        ch.SWidthY = i % 4 == 0 ? w : 0;
        ch.DWidthX = w;
        ch.DWidthY = -v;
        ch.BBXHeight = w;
        ch.BBXXOff = v;
        ch.BBXYOff = i % 5 == 0 ? v : w;
        font.Chars.push_back(ch);
        expected += QByteArray("STARTCHAR ") + QByteArray::number(uint32_t(v), 16).toUpper().rightJustified(4, '0') +
                    "\r\nENCODING " + QByteArray::number(v) + "\r\nSWIDTH " + QByteArray::number(ch.SWidthX) + ' ' +
                    QByteArray::number(ch.SWidthY) + "\r\nDWIDTH " + QByteArray::number(ch.DWidthX) + ' ' +
                    QByteArray::number(ch.DWidthY) + "\r\nBBX " + QByteArray::number(ch.BBXWidth) + ' ' +
                    QByteArray::number(ch.BBXHeight) + ' ' + QByteArray::number(ch.BBXXOff) + ' ' +
                    QByteArray::number(ch.BBXYOff) + "\r\nBITMAP\r\nENDCHAR\r\n";
    }
    const QByteArray text = Text(font);
    const qsizetype from = text.indexOf("STARTCHAR");
    QVERIFY(from > 0);
    QCOMPARE(text.mid(from), expected + "ENDFONT\r\n");
    QByteArray threaded;
    WriteBDF(font, [&](std::string_view piece) { threaded.append(piece.data(), qsizetype(piece.size())); }, 3);
    QCOMPARE(threaded, text);
}

void TstBDFWriter::roundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("code");
    QTest::addColumn<quint64>("row");
    QTest::newRow("narrow") << 5 << 65 << quint64(0xF8);
    QTest::newRow("width-32-sign-bit") << 32 << int(0x80000000u) << quint64(0x80000001u);
    QTest::newRow("width-40") << 40 << 0x10FFFF << quint64(0xFF00FF00FFull);
    QTest::newRow("width-64") << 64 << -1 << quint64(0xF00000000000000Full);
    QTest::newRow("width-0-with-row") << 0 << 32 << quint64(0x80);
    QTest::newRow("negative-width") << -8 << 7 << quint64(0x1234);
}

void TstBDFWriter::roundTrip()
{
    QFETCH(int, width);
    QFETCH(int, code);
    QFETCH(quint64, row);
    TBDFFont font;
    font.FontName = "rt";
    font.Size = "9 75 75";
    font.FBBWidth = 7;
    font.FBBHeight = -3;
    font.FBBYOff = -2;
    font.Uid = 3000000000.0;
    TBDFChar ch = Char(code, width, {row, 0});
    ch.SWidthX = 500;
    ch.DWidthX = 6;
    ch.DWidthY = -1;
    ch.BBXXOff = -1;
    ch.BBXYOff = -2;
    font.Chars.push_back(ch);
    QByteArray first = Text(font);
    TBDFFont back;
    ParseBDF(std::string_view(first.constData(), size_t(first.size())), back);
    back.StartFont.clear();
    QVERIFY(back == font);
    QCOMPARE(Text(back), first);
}

// A save writes back what the font kept, each line where it stood; a font that
// kept nothing (Bitloom's own files) is written exactly as before.
void TstBDFWriter::savedWithWhatItKept_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray glyph = "ENCODING 65\nSWIDTH 0 0\nDWIDTH 8 0\nBBX 8 1 0 0\nBITMAP\n80\nENDCHAR\n";
    const QByteArray own = "STARTFONT 2.1\nFONT f\nSIZE 9 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 1\nUid 7\n"
                           "ENDPROPERTIES\nCHARS 1\nSTARTCHAR 0041\n" + glyph + "ENDFONT\n";
    QTest::newRow("bitloom-own-file-unchanged") << own << own;
    const QByteArray full = "COMMENT top\nSTARTFONT 2.1\nCOMMENT a\nFONT f\nSIZE 9 75 75\nFONTBOUNDINGBOX 8 8 0 0\n\n"
                            "STARTPROPERTIES 3\nCOMMENT in\nCOPYRIGHT \"say \"\"hi\"\"\"\nNOTICE plain words\nEMPTY\n"
                            "ENDPROPERTIES\nCHARS 2\nCOMMENT f\nSTARTCHAR A\nCOMMENT s\n" + glyph +
                            "STARTCHAR other\nENCODING -1 123\nSWIDTH 0 0\nVVECTOR 1 2\nDWIDTH 8 0\nBBX 8 1 0 0\n"
                            "BITMAP\n80\nENDCHAR\n\nENDFONT\n";
    QTest::newRow("comments-properties-names")
        << full << QByteArray(full).replace("STARTPROPERTIES 3", "STARTPROPERTIES 4").replace("EMPTY\n", "EMPTY\nUid 0\n");
    const QByteArray middle = "STARTFONT 2.1\nFONT f\nSIZE 9 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nUid 7\n"
                              "FOUNDRY \"X\"\nENDPROPERTIES\nCHARS 0\nENDFONT\n";
    QTest::newRow("uid-keeps-its-place") << middle << middle;
    const QByteArray last = "STARTFONT 2.1\nFONT f\nSIZE 9 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nA 1\n"
                            "COMMENT before\nUid 7\nCOMMENT after\nENDPROPERTIES\nCHARS 0\nENDFONT\n";
    QTest::newRow("uid-last-between-its-comments") << last << last;
}

void TstBDFWriter::savedWithWhatItKept()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    TBDFFont font;
    ParseBDF(std::string_view(text.constData(), size_t(text.size())), font);
    const QByteArray saved = Text(font, TBDFLayout::Kept);
    QCOMPARE(saved, QByteArray(expected).replace("\n", "\r\n"));
    TBDFFont back;
    ParseBDF(std::string_view(saved.constData(), size_t(saved.size())), back);
    QCOMPARE(Text(back, TBDFLayout::Kept), saved);
    // The fixed layout has none of it.
    QVERIFY(!Text(font).contains("COMMENT"));
}

void TstBDFWriter::saveKeepsFileNameAndClearsFlag()
{
    QTemporaryDir dir;
    TProjectRecord a{"a.bdf", {}, true, {}};
    TProjectRecord b{"b.bdf", {}, true, {}};
    a.Font.FontName = "A";
    const std::string path = (dir.path() + "/out.bdf").toStdString();
    SaveBDF(path, a);
    QCOMPARE(a.FileName, std::string("a.bdf"));
    QVERIFY(!a.Modified);
    QVERIFY(b.Modified);
    QCOMPARE(ReadAll(QString::fromStdString(path)), Text(a.Font));
}

void TstBDFWriter::failedSaveKeepsOldFileAndFlag()
{
    QTemporaryDir dir;
    TProjectRecord slot;
    slot.Modified = true;
    const std::string path = (dir.path() + "/no/such/folder/x.bdf").toStdString();
    try {
        SaveBDF(path, slot);
        QFAIL("no error for a missing folder");
    } catch (const TFileError &e) {
        QCOMPARE(e.path(), path);
        QVERIFY(!e.reason().empty());
    }
    QVERIFY(slot.Modified);
}

void TstBDFWriter::fullDiskLeavesOldFileByteIdentical()
{
#ifdef __SANITIZE_THREAD__
    QSKIP("ThreadSanitizer cannot start the save's threads in a forked child");
#endif
    QTemporaryDir dir;
    const QString path = dir.path() + "/font.bdf";
    TProjectRecord small;
    small.Font.FontName = "old";
    SaveBDF(path.toStdString(), small);
    const QByteArray before = ReadAll(path);

    TProjectRecord big;
    big.Modified = true;
    for (int i = 0; i < 20000; ++i)
        big.Font.Chars.push_back(Char(i, 16, std::vector<uint64_t>(16, 0xFFFF)));

    // The child writes under a file-size limit far below the new font's size, as on a full disk.
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            SaveBDF(path.toStdString(), big);
            _exit(1);
        } catch (const TFileError &e) {
            bool named = std::string(e.what()).find(path.toStdString()) != std::string::npos;
            _exit(named && big.Modified ? 0 : 2);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(ReadAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"font.bdf"});
}

namespace {

TSaveStep FailingStep = TSaveStep::Create;
int FailingErrno = EIO;
int FailStep(TSaveStep step)
{
    return step == FailingStep ? FailingErrno : 0;
}

} // namespace

void TstBDFWriter::injectedFailureLeavesOldFile_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("err");
    // A file made read-only, as an ordinary user sees it (tests may run as root).
    QTest::newRow("no-write-permission") << int(TSaveStep::Permission) << EACCES;
    QTest::newRow("create") << int(TSaveStep::Create) << EIO;
    QTest::newRow("write") << int(TSaveStep::Write) << EIO;
    QTest::newRow("fdatasync") << int(TSaveStep::Sync) << EIO;
    QTest::newRow("close") << int(TSaveStep::Close) << EIO;
    QTest::newRow("rename") << int(TSaveStep::Rename) << EIO;
}

void TstBDFWriter::injectedFailureLeavesOldFile()
{
    QFETCH(int, step);
    QFETCH(int, err);
    QTemporaryDir dir;
    const QString path = dir.path() + "/font.bdf";
    TProjectRecord old;
    old.Font.FontName = "old";
    SaveBDF(path.toStdString(), old);
    const QByteArray before = ReadAll(path);

    TProjectRecord slot;
    slot.Font.FontName = "new";
    slot.Modified = true;
    FailingStep = TSaveStep(step);
    FailingErrno = err;
    SetSaveFaultHook(FailStep);
    std::string message;
    try {
        SaveBDF(path.toStdString(), slot);
    } catch (const TFileError &e) {
        message = e.what();
    }
    SetSaveFaultHook(nullptr);
    QVERIFY2(message.find(path.toStdString()) != std::string::npos, message.c_str());
    QVERIFY2(message.find(TFileError::SystemReason(err)) != std::string::npos, message.c_str());
    QVERIFY(slot.Modified);
    QCOMPARE(ReadAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"font.bdf"});
    // Nothing is left half-done: the next save goes through.
    SaveBDF(path.toStdString(), slot);
    QVERIFY(!slot.Modified);
    QCOMPARE(ReadAll(path), Text(slot.Font));
}

void TstBDFWriter::nonRegularTargetIsRefused_data()
{
    AddHostileRows({"fifo", "null", "folder"});
}

void TstBDFWriter::nonRegularTargetIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/target.bdf").toStdString();
    QVERIFY(MakeHostileFile(kind, QString::fromStdString(path)));
    struct stat before {};
    QCOMPARE(::lstat(path.c_str(), &before), 0);
    TProjectRecord slot;
    slot.Modified = true;
    QVERIFY_THROWS_EXCEPTION(TFileError, SaveBDF(path, slot));
    struct stat after {};
    QCOMPARE(::lstat(path.c_str(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"target.bdf"});
    QVERIFY(slot.Modified);
}

void TstBDFWriter::linkedTargetIsWrittenThroughAndKeepsMode()
{
    QTemporaryDir dir;
    const QString real = dir.path() + "/real.bdf";
    const QString link = dir.path() + "/link.bdf";
    WriteFileAtomically(real.toStdString(), "old");
    QCOMPARE(::chmod(real.toLocal8Bit().constData(), 0640), 0);
    QCOMPARE(::symlink("real.bdf", link.toLocal8Bit().constData()), 0);
    TProjectRecord slot;
    SaveBDF(link.toStdString(), slot);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadAll(real), Text(slot.Font));
    struct stat st {};
    QCOMPARE(::stat(real.toLocal8Bit().constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
}

void TstBDFWriter::uidMinusZeroWritesZero()
{
    TBDFFont font;
    font.Uid = -0.0;
    QVERIFY(Text(font).contains("\r\nUid 0\r\n"));
}

void TstBDFWriter::threadsDoNotChangeTheBytes()
{
    TBDFFont font;
    font.FontName = "many";
    for (int i = 0; i < 20000; ++i) {
        font.Chars.push_back(Char(i, 1 + i % 40, std::vector<uint64_t>(size_t(i % 7), uint64_t(i) * 2654435761u)));
        // Notes of every kind on some glyphs.
        const std::string name = QString("g%1").arg(i).toStdString();
        const std::string comment = QString("COMMENT g%1").arg(i).toStdString();
        TKeptLines lines;
        lines.add(TLinePlace::AfterBBX, 0, comment);
        if (i % 3 == 0)
            font.Chars.back().Notes = font.GlyphNotes.add({name, i % 2 ? std::optional<int32_t>(i) : std::nullopt,
                                                           i % 5 ? std::string_view() : lines.packed()});
    }
    const QByteArray expected = Text(font);
    const QByteArray kept = Text(font, TBDFLayout::Kept);
    QVERIFY(kept.contains("STARTCHAR g15\r\nENCODING 15 15\r\n") && kept.contains("\r\nCOMMENT g0\r\nBITMAP\r\n"));
    for (int threads : {1, 2, 3, 7}) {
        for (TBDFLayout layout : {TBDFLayout::Fixed, TBDFLayout::Kept}) {
            QByteArray written;
            WriteBDF(
                font, [&](std::string_view piece) { written.append(piece.data(), qsizetype(piece.size())); }, threads,
                layout);
            QVERIFY2(written == (layout == TBDFLayout::Kept ? kept : expected),
                     qPrintable(QString("%1 threads").arg(threads)));
        }
    }
    QTemporaryDir dir;
    TProjectRecord slot{"", font, true, {}};
    SaveBDF((dir.path() + "/f.bdf").toStdString(), slot, 3);
    QCOMPARE(ReadAll(dir.path() + "/f.bdf"), kept);
}

// A write that fails part way (a full disk) ends the save with that error at
// once: the formatting threads stop, and nothing is written after the failure.
void TstBDFWriter::failedWriteStopsTheThreads_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("failAt");
    for (int threads : {2, 3})
        for (int failAt : {1, 2, 5, 30})
            QTest::addRow("%d-threads-write-%d", threads, failAt) << threads << failAt;
}

void TstBDFWriter::failedWriteStopsTheThreads()
{
    QFETCH(int, threads);
    QFETCH(int, failAt);
    TBDFFont font;
    for (int i = 0; i < 30000; ++i)
        font.Chars.push_back(Char(i, 8, std::vector<uint64_t>(3, uint64_t(i & 0xFF))));
    int calls = 0;
    int after = 0;
    try {
        WriteBDF(
            font,
            [&](std::string_view) {
                if (calls >= failAt)
                    ++after;
                if (++calls == failAt)
                    throw std::runtime_error("disk full");
            },
            threads);
        QFAIL("the failed write was not reported");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString(e.what()), QString("disk full"));
    }
    QCOMPARE(calls, failAt);
    QCOMPARE(after, 0);
}

QTEST_APPLESS_MAIN(TstBDFWriter)
#include "tst_bdfwriter.moc"
