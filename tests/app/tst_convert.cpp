#include "app/convert.h"
#include "common/hostilefiles.h"

#include <QtTest>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray Sample = "STARTFONT 2.1\nFONT Sample\nSTARTCHAR A\nENCODING 65\nBBX 8 1 0 0\nBITMAP\n80\nENDCHAR\n"
                          "STARTCHAR wide\nENCODING 66\nBBX 80 1 0 0\nBITMAP\nFFFFFFFFFFFFFFFFFFFF\nENDCHAR\nENDFONT\n";

} // namespace

class TstConvert : public QObject {
    Q_OBJECT
private slots:
    void convertsAndSummarises();
    void missingInputFails();
    void processExitCodes_data();
    void processExitCodes();
    void fullDiskKeepsOldOutput();
    void windowStartsFromTheExecutable();
    void hostileInputsFailClearly_data();
    void hostileInputsFailClearly();
    void hostileTargetsAreRefused_data();
    void hostileTargetsAreRefused();
    void readOnlyTargetIsLeftAlone();
    void outOfMemoryFailsWithThePath();
    void reserveStaysWithinWhatTheTextHolds();
};

void TstConvert::convertsAndSummarises()
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.bdf"), out = dir.filePath("out.bdf");
    WriteText(in, Sample);
    std::ostringstream o, e;
    QCOMPARE(RunConvert(in.toStdString(), out.toStdString(), o, e), 0);
    const QString summary = QString::fromStdString(o.str());
    QVERIFY2(summary.contains("2 glyphs"), qPrintable(summary));
    QVERIFY2(summary.contains("1 glyph was wider than 64"), qPrintable(summary));
    QVERIFY(e.str().empty());
    const QByteArray written = ReadAll(out);
    QVERIFY(written.contains("STARTCHAR 0041\r\nENCODING 65\r\n"));
    QVERIFY(written.contains("BBX 64 1 0 0\r\nBITMAP\r\nFFFFFFFFFFFFFFFF\r\n"));
}

void TstConvert::missingInputFails()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.bdf");
    std::ostringstream o, e;
    QCOMPARE(RunConvert(dir.filePath("nope.bdf").toStdString(), out.toStdString(), o, e), 1);
    QVERIFY(QString::fromStdString(e.str()).contains(dir.filePath("nope.bdf")));
    QVERIFY(!QFile::exists(out));
}

void TstConvert::processExitCodes_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("told");
    QTest::newRow("convert") << "--convert" << QByteArray("STARTCHAR 0041\r\n") << QByteArray("2 glyphs");
    // The second glyph shares the first one's code: the export says what bdftopcf will do with it.
    QTest::newRow("export") << "--export" << QByteArray("\r\nFONT_ASCENT 1\r\nFONT_DESCENT 0\r\n")
                            << QByteArray("1 glyph is written but bdftopcf will ignore it:\nGlyph 0 (A, code 65)");
}

void TstConvert::processExitCodes()
{
    QFETCH(QString, option);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, told);
    QTemporaryDir dir;
    const QString exe = qEnvironmentVariable("BITLOOM_EXE");
    QVERIFY(!exe.isEmpty());
    WriteText(dir.filePath("in.bdf"), QByteArray(Sample).replace("ENCODING 66", "ENCODING 65"));
    QProcess p;
    p.start(exe, {option, dir.filePath("in.bdf"), dir.filePath("out.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 0);
    const QByteArray out = p.readAllStandardOutput();
    QVERIFY2(out.contains(told), out.constData());
    QVERIFY(ReadAll(dir.filePath("out.bdf")).contains(written));

    p.start(exe, {option, dir.filePath("in.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 2);

    p.start(exe, {option, dir.filePath("missing.bdf"), dir.filePath("o2.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains("missing.bdf"));
}

void TstConvert::fullDiskKeepsOldOutput()
{
    QTemporaryDir dir;
    QByteArray big = "STARTFONT 2.1\nFONT Big\n";
    for (int i = 0; i < 5000; ++i)
        big += "STARTCHAR " + QByteArray::number(i, 16).rightJustified(4, '0') +
               "\nBBX 16 4 0 0\nBITMAP\nFFFF\nFFFF\nFFFF\nFFFF\nENDCHAR\n";
    WriteText(dir.filePath("big.bdf"), big);
    const QByteArray old = "old contents\n";
    WriteText(dir.filePath("out.bdf"), old);

    QProcess p;
    p.setChildProcessModifier([] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16 * 1024, 16 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(qEnvironmentVariable("BITLOOM_EXE"), {"--convert", dir.filePath("big.bdf"), dir.filePath("out.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(err.contains(dir.filePath("out.bdf").toLocal8Bit()), err.constData());
    QVERIFY2(err.contains("too large"), err.constData());
    QCOMPARE(ReadAll(dir.filePath("out.bdf")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"big.bdf", "out.bdf"}));
}

void TstConvert::windowStartsFromTheExecutable()
{
    QTemporaryDir config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", config.path());
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("BITLOOM_EXE"), {});
    QVERIFY(p.waitForStarted());
    // A window that failed to load would have exited at once with its reason.
    QVERIFY2(!p.waitForFinished(1500), p.readAllStandardError().constData());
    p.kill();
    p.waitForFinished();
}

namespace {

struct TRun {
    bool Finished = false;
    int ExitCode = -1;
    QByteArray Err;
};

// bitloom --convert in out, with a limit on its address space when asked, and
// as the given user (run as root); a run that does not end within 20 seconds
// counts as hung.
TRun Convert(const QString &in, const QString &out, rlim_t addressSpace = RLIM_INFINITY, const passwd *user = nullptr)
{
    QProcess p;
    p.setChildProcessModifier([addressSpace, user] {
        rlimit limit{addressSpace, addressSpace};
        setrlimit(RLIMIT_AS, &limit);
        if (user && (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0))
            _exit(125);
    });
    p.start(qEnvironmentVariable("BITLOOM_EXE"), {"--convert", in, out});
    TRun run;
    run.Finished = p.waitForFinished(20000);
    if (!run.Finished) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 128 + p.exitCode();
    run.Err = p.readAllStandardError();
    return run;
}

} // namespace

void TstConvert::hostileInputsFailClearly_data()
{
    AddHostileRows({"png", "empty", "zero", "fifo", "folder"});
}

void TstConvert::hostileInputsFailClearly()
{
    QFETCH(QString, kind);
    const QByteArray reason = kind == "png" || kind == "empty" ? "is not a font Bitloom can read"
                              : kind == "folder"               ? "folder"
                                                               : "not a regular file";
    QTemporaryDir dir;
    const QString in = dir.filePath("in.bdf"), out = dir.filePath("out.bdf");
    const QByteArray inName = in.toLocal8Bit();
    QVERIFY(MakeHostileFile(kind, in));
    const QByteArray old = "old output\n";
    WriteText(out, old);
    const TRun run = Convert(in, out);
    QVERIFY2(run.Finished, "the convert hung");
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(inName), run.Err.constData());
    QVERIFY2(run.Err.contains(reason), run.Err.constData());
    QCOMPARE(ReadAll(out), old);
}

void TstConvert::hostileTargetsAreRefused_data()
{
    AddHostileRows({"fifo", "null", "folder"});
}

void TstConvert::hostileTargetsAreRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString in = dir.filePath("in.bdf"), out = dir.filePath("out.bdf");
    const QByteArray outName = out.toLocal8Bit();
    WriteText(in, Sample);
    QVERIFY(MakeHostileFile(kind, out));
    struct stat before {};
    QCOMPARE(::lstat(outName.constData(), &before), 0);
    const TRun run = Convert(in, out);
    QVERIFY2(run.Finished, "the convert hung");
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(outName), run.Err.constData());
    struct stat after {};
    QCOMPARE(::lstat(outName.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             (QStringList{"in.bdf", "out.bdf"}));
}

// An ordinary user's file made read-only is refused, as a shell redirect refuses
// it, although the folder would let a new file be renamed over it.
void TstConvert::readOnlyTargetIsLeftAlone()
{
    const passwd *user = nullptr;
    if (geteuid() == 0) {
        user = getpwnam("nobody");
        if (!user)
            QSKIP("running as root with no ordinary user to run the convert as");
    }
    QTemporaryDir dir;
    const QString in = dir.filePath("in.bdf"), out = dir.filePath("out.bdf");
    const QByteArray outName = QFile::encodeName(out);
    WriteText(in, Sample);
    WriteText(out, "old\n");
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    QCOMPARE(::chmod(outName.constData(), 0444), 0);
    if (user) {
        QCOMPARE(::chown(QFile::encodeName(in).constData(), user->pw_uid, user->pw_gid), 0);
        QCOMPARE(::chown(outName.constData(), user->pw_uid, user->pw_gid), 0);
    }
    const TRun run = Convert(in, out, RLIM_INFINITY, user);
    QVERIFY2(run.Finished, "the convert hung");
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(outName), run.Err.constData());
    QVERIFY2(run.Err.contains("Permission denied"), run.Err.constData());
    QCOMPARE(ReadAll(out), QByteArray("old\n"));
    struct stat st {};
    QCOMPARE(::stat(outName.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0444));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             (QStringList{"in.bdf", "out.bdf"}));
}

void TstConvert::outOfMemoryFailsWithThePath()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("AddressSanitizer reserves more address space than this limit allows");
#endif
    // 16 million rows of one glyph: 48 MB of text that needs far more than 96 MB as a font.
    QTemporaryDir dir;
    const QString in = dir.filePath("rows.bdf"), out = dir.filePath("out.bdf");
    {
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("STARTFONT 2.1\nSTARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n");
        const QByteArray block = QByteArray("FF\n").repeated(1 << 20);
        for (int i = 0; i < 16; ++i)
            f.write(block);
    }
    WriteText(out, "old\n");
    const TRun run = Convert(in, out, 96ull << 20);
    QVERIFY2(run.Finished, "the convert hung");
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(in.toLocal8Bit()), run.Err.constData());
    QVERIFY2(run.Err.contains("out of memory"), run.Err.constData());
    QCOMPARE(ReadAll(out), QByteArray("old\n"));
}

void TstConvert::reserveStaysWithinWhatTheTextHolds()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("AddressSanitizer reserves more address space than this limit allows");
#endif
    // 1,025 glyphs, then 200 MB of lines that are no glyphs at all: the glyph list
    // must not be sized from the bytes that follow.
    QTemporaryDir dir;
    const QString in = dir.filePath("tail.bdf"), out = dir.filePath("out.bdf");
    {
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray head = "STARTFONT 2.1\nCHARS 2000000000\n";
        for (int i = 0; i < 1025; ++i)
            head += "STARTCHAR " + QByteArray::number(i, 16) + "\nENDCHAR\n";
        f.write(head);
        const QByteArray block = QByteArray("COMMENT " + QByteArray(55, 'x') + "\n").repeated(1 << 16);
        for (int i = 0; i < 50; ++i)
            f.write(block);
        f.write("ENDFONT\n");
    }
    const TRun run = Convert(in, out, 1ull << 30);
    QVERIFY2(run.Finished, "the convert hung");
    QVERIFY2(run.ExitCode == 0, run.Err.constData());
}

QTEST_APPLESS_MAIN(TstConvert)
#include "tst_convert.moc"
