// The compiler source, the compiler run with stand-in compilers written at test
// time, and the preview picture.
#include "app/windowtestutil.h"
#include "bdf/fileio.h"
#include "compiler/compilecli.h"
#include "compiler/compilerpage.h"
#include "compiler/compilerun.h"
#include "compiler/compilersource.h"
#include "compiler/preview.h"
#include "common/hostilefiles.h"
#include "model/fileerror.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include <csignal>
#include <sstream>
#include <sys/stat.h>

namespace {

TProjectRecord Slot(const std::string &name, int32_t w, int32_t h, int32_t x, int32_t y)
{
    TProjectRecord slot;
    slot.FileName = name + ".bdf";
    slot.Font.FontName = name;
    slot.Font.FBBWidth = w;
    slot.Font.FBBHeight = h;
    slot.Font.FBBXOff = x;
    slot.Font.FBBYOff = y;
    return slot;
}

TTypeface Face(const std::string &name, std::vector<std::string> fonts, int32_t a = 0, int32_t b = 0, int32_t c = 0,
               int32_t d = 0)
{
    TTypeface t;
    t.Name = name;
    t.Type = "Proportional";
    t.FontFiles = std::move(fonts);
    t.FontBoundingBox1 = a;
    t.FontBoundingBox2 = b;
    t.FontBoundingBox3 = c;
    t.FontBoundingBox4 = d;
    return t;
}

QByteArray Bdf(const TBDFFont &font)
{
    TByteBuffer b = FormatBDF(font);
    return QByteArray(b.data(), qsizetype(b.size()));
}

// A stand-in compiler: a shell script named fnttran.exe in folder.
void WriteCompiler(const QString &folder, const QByteArray &script)
{
    const QString path = folder + "/fnttran.exe";
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + script);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether a process is still running; an ended one that nobody has reaped yet is not.
bool Running(const QByteArray &pid)
{
    const QByteArray stat = ReadAll("/proc/" + QString::fromLatin1(pid.trimmed()) + "/stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && stat.size() > close + 2 && stat[close + 2] != 'Z';
}

// A project of one font, F, in folder.
QString WriteProject(const QString &folder)
{
    QFile font(folder + "/f.bdf");
    if (!font.open(QIODevice::WriteOnly))
        return {};
    font.write("STARTFONT 2.1\nFONT F\nSTARTCHAR 0041\nENDCHAR\nENDFONT\n");
    font.close();
    QFile project(folder + "/p.bitloom");
    if (!project.open(QIODevice::WriteOnly))
        return {};
    project.write("[FontFiles]\n1=f.bdf\n2=gone.bdf\n[Typefaces]\n1=T\n[T]\n1=F\n");
    return project.fileName();
}

QColor Pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// A glyph picture w x h, all black.
QImage Block(int w, int h)
{
    QImage g(w, h, QImage::Format_RGB32);
    g.fill(Qt::black);
    return g;
}

} // namespace

class TstCompile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void twoFontsNoTypefaces();
    void placementReplacesBox_data();
    void placementReplacesBox();
    void fontInTwoTypefacesTakesTheFirst();
    void typefaceAndStoreBlocks();
    void outputLines_data();
    void outputLines();
    void success_data();
    void success();
    void runCapturesBothStreams();
    void floodOfErrorsDoesNotBlock();
    void environmentIsEmpty();
    void missingCompilerSaysWhy_data();
    void missingCompilerSaysWhy();
    void compileCopiesOnlyOnSuccess();
    void failedCopyIsAFailure();
    void unwritableSourceStopsBeforeRunning();
    void cancelEndsEverything_data();
    void cancelEndsEverything();
    void failuresSayWhy_data();
    void failuresSayWhy();
    void commandLineCompile();
    void compilerFolderOnTheCommandLine_data();
    void compilerFolderOnTheCommandLine();
    void compileThroughTheWindow_data();
    void compileThroughTheWindow();
    void compilerPageWithoutTheWindow();
    void previewPositions_data();
    void previewPositions();
    void previewGrowsAndPads();
};

void TstCompile::twoFontsNoTypefaces()
{
    const std::vector<TProjectRecord> fonts = {Slot("A", 8, 16, 0, -2), Slot("B", 6, 10, 0, -1)};
    const QByteArray text = QByteArray::fromStdString(WriteCompilerSource(fonts, {}, 5, -7));
    const QByteArray expected = Bdf(fonts[0].Font) + Bdf(fonts[1].Font) +
                                "\r\nFontStoreFile\r\n        CollectionUid 5\r\n        KPixelAspectRatio -7\r\n"
                                "        CopyrightInfo\r\n        \"Bitloom\"\r\n        EndCopyrightInfo\r\n"
                                "        Typefaces\r\n         EndTypefaces\r\nEndFontStoreFile\r\n";
    QCOMPARE(text, expected);
}

void TstCompile::placementReplacesBox_data()
{
    QTest::addColumn<QList<int>>("placement");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("all-four") << QList<int>{8, 12, 0, -2} << QByteArray("FONTBOUNDINGBOX 8 12 0 -2\r\n");
    QTest::newRow("all-zero-keeps-own") << QList<int>{0, 0, 0, 0} << QByteArray("FONTBOUNDINGBOX 6 10 1 -1\r\n");
    QTest::newRow("first-zero") << QList<int>{0, 12, 0, -2} << QByteArray("FONTBOUNDINGBOX 0 12 0 -2\r\n");
    QTest::newRow("only-last") << QList<int>{0, 0, 0, 3} << QByteArray("FONTBOUNDINGBOX 0 0 0 3\r\n");
}

void TstCompile::placementReplacesBox()
{
    QFETCH(QList<int>, placement);
    QFETCH(QByteArray, line);
    std::vector<TProjectRecord> fonts = {Slot("F", 6, 10, 1, -1)};
    const TBDFFont before = fonts[0].Font;
    const auto text = QByteArray::fromStdString(
        WriteCompilerSource(fonts, {Face("T", {"F"}, placement[0], placement[1], placement[2], placement[3])}, 0, 0));
    QVERIFY2(text.contains("\r\n" + line), text.constData());
    QVERIFY(fonts[0].Font == before);
}

void TstCompile::fontInTwoTypefacesTakesTheFirst()
{
    const std::vector<TProjectRecord> fonts = {Slot("F", 6, 10, 1, -1), Slot("f", 3, 3, 3, 3)};
    const std::vector<TTypeface> faces = {Face("One", {"X", "F"}, 1, 2, 3, 4), Face("Two", {"F", "f"}, 5, 6, 7, 8)};
    const auto text = QByteArray::fromStdString(WriteCompilerSource(fonts, faces, 0, 0));
    QVERIFY(text.contains("FONT F\r\nSIZE \r\nFONTBOUNDINGBOX 1 2 3 4\r\n"));
    // Names compare exactly: "f" is its own font, found in the second typeface.
    QVERIFY(text.contains("FONT f\r\nSIZE \r\nFONTBOUNDINGBOX 5 6 7 8\r\n"));
}

void TstCompile::typefaceAndStoreBlocks()
{
    TTypeface blank = Face("Big Bold", {"F", "Nobody"});
    blank.Type.clear();
    const auto text = QByteArray::fromStdString(WriteCompilerSource({}, {blank, Face("Tiny", {})}, 1, 2));
    QCOMPARE(text, QByteArray("\r\nTypeface Big Bold\r\n      Name \"Big Bold\" \r\n      FontBitmaps\r\n      F\r\n"
                              "      Nobody\r\n      EndFontBitmaps\r\nEndTypeface\r\n"
                              "\r\nTypeface Tiny\r\n      Name \"Tiny\" Proportional\r\n      FontBitmaps\r\n"
                              "      EndFontBitmaps\r\nEndTypeface\r\n"
                              "\r\nFontStoreFile\r\n        CollectionUid 1\r\n        KPixelAspectRatio 2\r\n"
                              "        CopyrightInfo\r\n        \"Bitloom\"\r\n        EndCopyrightInfo\r\n"
                              "        Typefaces\r\n              Big Bold\r\n              Tiny\r\n"
                              "         EndTypefaces\r\nEndFontStoreFile\r\n"));
}

void TstCompile::outputLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("mixed-breaks") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("final-break-adds-nothing") << QByteArray("a\n") << QStringList{"a"};
    QTest::newRow("blank-line-kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
    QTest::newRow("nul-ends") << QByteArray("a\nb\0c\n", 6) << QStringList{"a", "b"};
    QTest::newRow("cr-then-lf-apart") << QByteArray("a\r\r\n") << QStringList{"a", ""};
}

void TstCompile::outputLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QStringList got;
    for (const std::string &l : SplitOutputLines(std::string_view(bytes.constData(), size_t(bytes.size()))))
        got << QString::fromStdString(l);
    QCOMPARE(got, lines);
}

void TstCompile::success_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("ok");
    QTest::newRow("after-other-lines") << QStringList{"reading", "writing", "out.gdr created"} << true;
    QTest::newRow("trailing-blank") << QStringList{"out.gdr created "} << false;
    QTest::newRow("capitals") << QStringList{"OUT.GDR CREATED"} << false;
    QTest::newRow("empty-line-after") << QStringList{"out.gdr created", ""} << false;
    QTest::newRow("nothing") << QStringList{} << false;
}

void TstCompile::success()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, ok);
    std::vector<std::string> v;
    for (const QString &l : lines)
        v.push_back(l.toStdString());
    QCOMPARE(CompileSucceeded(v), ok);
}

void TstCompile::runCapturesBothStreams()
{
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "echo one; echo two >&2; printf 'last'\n");
    const TRunResult run = RunAndCapture((dir.path() + "/fnttran.exe").toStdString(), {"a", "b"}, dir.path().toStdString());
    QVERIFY(run.Started);
    QCOMPARE(run.OutLines, (std::vector<std::string>{"one", "last"}));
    QCOMPARE(run.ErrLines, (std::vector<std::string>{"two"}));
}

void TstCompile::floodOfErrorsDoesNotBlock()
{
    // Far more than a pipe holds (64 KiB) on standard error before standard output closes.
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "i=0; while [ $i -lt 20000 ]; do echo \"error line $i of a long run\" >&2; i=$((i+1)); done\n"
                              "echo out.gdr created\n");
    const TRunResult run = RunAndCapture((dir.path() + "/fnttran.exe").toStdString(), {}, dir.path().toStdString());
    QCOMPARE(run.ErrLines.size(), size_t(20000));
    QCOMPARE(run.ErrLines.back(), std::string("error line 19999 of a long run"));
    QCOMPARE(run.OutLines, std::vector<std::string>{"out.gdr created"});
}

void TstCompile::environmentIsEmpty()
{
    qputenv("BITLOOM_CANARY", "visible");
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "/usr/bin/env\necho \"cwd=$(/bin/pwd)\"\n");
    const TRunResult run = RunAndCapture((dir.path() + "/fnttran.exe").toStdString(), {}, dir.path().toStdString());
    QVERIFY(run.Started);
    // Only what the shell itself sets may show; nothing comes from this process.
    for (const std::string &line : run.OutLines)
        for (const char *inherited : {"BITLOOM_CANARY=", "HOME=", "QT_QPA_PLATFORM=", "USER="})
            QVERIFY2(line.rfind(inherited, 0) != 0, line.c_str());
    QCOMPARE(run.OutLines.back(), "cwd=" + QDir(dir.path()).canonicalPath().toStdString());
}

void TstCompile::missingCompilerSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("not-executable") << "plain";
    QTest::newRow("windows-program") << "windows";
}

void TstCompile::missingCompilerSaysWhy()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString exe = dir.path() + "/fnttran.exe";
    if (kind != "missing") {
        QFile f(exe);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kind == "windows" ? QByteArray("MZ\x90\0\3\0\0\0", 8) : QByteArray("echo out.gdr created\n"));
        f.close();
        f.setPermissions(kind == "windows" ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    }
    const QString target = dir.path() + "/store.gdr";
    const TCompileResult result = CompileFontStore("source", dir.path().toStdString(), target.toStdString());
    QVERIFY(!result.Success);
    QCOMPARE(result.Status, std::string("Error! Font NOT created!"));
    QCOMPARE(result.Colour, 0x0000FFu);
    QCOMPARE(result.Log.size(), size_t(1));
    QVERIFY2(QString::fromStdString(result.Log[0]).contains(exe), result.Log[0].c_str());
    QVERIFY(QFile::exists(dir.path() + "/out.gd"));
    QVERIFY(!QFile::exists(target));
}

void TstCompile::compileCopiesOnlyOnSuccess()
{
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "cat out.gd > out.gdr; echo compiling; echo 'a warning' >&2; echo out.gdr created\n");
    const QString target = dir.path() + "/store.gdr";
    const QString workingFolder = QDir::currentPath();
    TCompileResult result = CompileFontStore("the source\r\n", dir.path().toStdString(), target.toStdString());
    QVERIFY(result.Success);
    QCOMPARE(result.Status, std::string("Font successfully created!"));
    QCOMPARE(result.Colour, 0x008000u);
    QCOMPARE(result.Log, (std::vector<std::string>{"compiling", "out.gdr created"}));
    QCOMPARE(ReadAll(target), QByteArray("the source\r\n"));
    // Paths the user gave before the compile still mean the same files after it.
    QCOMPARE(QDir::currentPath(), workingFolder);

    // The same words with a trailing blank: failure, the error output shown, the target untouched.
    WriteCompiler(dir.path(), "echo junk > out.gdr; echo 'out.gdr created '; echo 'bad glyph' >&2\n");
    result = CompileFontStore("second\r\n", dir.path().toStdString(), target.toStdString());
    QVERIFY(!result.Success);
    QCOMPARE(result.Log, (std::vector<std::string>{"out.gdr created ", "bad glyph"}));
    QCOMPARE(ReadAll(target), QByteArray("the source\r\n"));
    QCOMPARE(ReadAll(dir.path() + "/out.gd"), QByteArray("second\r\n"));
}

void TstCompile::failedCopyIsAFailure()
{
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "echo store > out.gdr; echo out.gdr created\n");
    for (const QString &target : {dir.path() + "/no/such/folder/store.gdr", dir.path() + "/fifo.gdr"}) {
        if (target.endsWith("fifo.gdr"))
            QVERIFY(MakeHostileFile("fifo", target));
        const TCompileResult result = CompileFontStore("s", dir.path().toStdString(), target.toStdString());
        QVERIFY(!result.Success);
        QCOMPARE(result.Status, std::string("Error! Font NOT created!"));
        QVERIFY(!result.Log.empty());
        QVERIFY2(QString::fromStdString(result.Log.back()).contains(target), result.Log.back().c_str());
    }
    // A compiler that reports success without making the store fails too.
    WriteCompiler(dir.path(), "rm -f out.gdr; echo out.gdr created\n");
    const TCompileResult result =
        CompileFontStore("s", dir.path().toStdString(), (dir.path() + "/store.gdr").toStdString());
    QVERIFY(!result.Success);
    QVERIFY(!QFile::exists(dir.path() + "/store.gdr"));
}

void TstCompile::unwritableSourceStopsBeforeRunning()
{
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "touch ran; echo out.gdr created\n");
    SetSaveFaultHook([](TSaveStep step) { return step == TSaveStep::Write ? ENOSPC : 0; });
    bool thrown = false;
    try {
        CompileFontStore("source", dir.path().toStdString(), (dir.path() + "/t.gdr").toStdString());
    } catch (const TFileError &e) {
        thrown = QString::fromStdString(e.what()).contains(dir.path() + "/out.gd");
    }
    SetSaveFaultHook(nullptr);
    QVERIFY(thrown);
    QVERIFY(!QFile::exists(dir.path() + "/ran"));
    QVERIFY(!QFile::exists(dir.path() + "/out.gd"));
}

void TstCompile::init()
{
    QSettings("Bitloom", "Bitloom").remove("Compiler");
    qunsetenv(CompilerFolderVariable);
}

void TstCompile::cancelEndsEverything_data()
{
    // Each compiler prints, then writes the pid of what must end to child.pid.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("commandLine");
    QTest::newRow("compiler-itself") << QByteArray("echo started; echo $$ > child.pid; exec sleep 60\n") << false;
    QTest::newRow("wrapper-script-child") << QByteArray("echo started; sleep 60 & echo $! > child.pid; wait\n") << false;
    QTest::newRow("child-ignores-terminate")
        << QByteArray("echo started; (trap '' TERM; exec sleep 60) & echo $! > child.pid; wait\n") << false;
    QTest::newRow("command-line-interrupted")
        << QByteArray("echo started; sleep 60 & echo $! > child.pid; wait\n") << true;
}

void TstCompile::cancelEndsEverything()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, commandLine);
    QTemporaryDir dir;
    WriteCompiler(dir.path(), script);
    const QString pidFile = dir.path() + "/child.pid";
    auto started = [&] { return ReadAll(pidFile).endsWith('\n'); };
    QElapsedTimer t;
    t.start();
    std::vector<std::string> log;
    if (commandLine) {
        QProcess p;
        p.start(qEnvironmentVariable("BITLOOM_EXE"),
                {"--compile", WriteProject(dir.path()), dir.path() + "/t.gdr", "--compiler-dir", dir.path()});
        QTRY_VERIFY_WITH_TIMEOUT(started(), 10000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 1);
        for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
            log.push_back(line.toStdString());
    } else {
        const TCompileResult result = CompileFontStore("s", dir.path().toStdString(), (dir.path() + "/t.gdr").toStdString(),
                                                       [&] { return !started() && t.elapsed() < 10000; });
        QVERIFY(!result.Success);
        log = result.Log;
    }
    QVERIFY(t.elapsed() < 20000);
    QVERIFY(started());
    QVERIFY2(!Running(ReadAll(pidFile)), "the compiler's child outlived the cancel");
    // What was printed before the cancel is shown, then why the run ended.
    QCOMPARE(log.front(), std::string("started"));
    QVERIFY(std::find(log.begin(), log.end(), "The compiler was stopped before it finished.") != log.end());
    QVERIFY(!QFile::exists(dir.path() + "/t.gdr"));
}

void TstCompile::failuresSayWhy_data()
{
    // Every run leaves a store of an earlier run in the folder.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("logStart");
    QTest::addColumn<QString>("logEnd");
    QTest::addColumn<bool>("cut");
    QTest::newRow("success-claimed-without-new-store")
        << QByteArray("echo out.gdr created\n") << QStringList{"out.gdr created"}
        << "The compiler printed \"out.gdr created\" but made no out.gdr." << false;
    QTest::newRow("error-on-standard-output")
        << QByteArray("echo 'line 3: bad glyph'; echo 'giving up' >&2; exit 1\n")
        << QStringList{"line 3: bad glyph", "giving up"} << "giving up" << false;
    QTest::newRow("silent-exit-status") << QByteArray("exit 5\n") << QStringList{}
                                        << "The compiler ended with exit status 5 without saying \"out.gdr created\"."
                                        << false;
    QTest::newRow("silent-signal") << QByteArray("kill -9 $$\n") << QStringList{}
                                   << "The compiler was ended by a signal." << false;
    // About 2.7 MB of output: its first and its last megabyte are kept.
    QTest::newRow("flood-keeps-both-ends") << QByteArray("seq 1 400000; exit 1\n") << QStringList{"1", "2"} << "400000"
                                           << true;
}

void TstCompile::failuresSayWhy()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, logStart);
    QFETCH(QString, logEnd);
    QFETCH(bool, cut);
    QTemporaryDir dir;
    WriteCompiler(dir.path(), script);
    WriteFile(dir.path() + "/out.gdr", "a store of an earlier run");
    const QString target = dir.path() + "/store.gdr";
    const TCompileResult result = CompileFontStore("s", dir.path().toStdString(), target.toStdString());
    QVERIFY(!result.Success);
    QCOMPARE(result.Status, std::string("Error! Font NOT created!"));
    QVERIFY(!QFile::exists(target));
    QStringList log;
    for (const std::string &line : result.Log)
        log << QString::fromStdString(line);
    QCOMPARE(log.mid(0, logStart.size()), logStart);
    QCOMPARE(log.last(), logEnd);
    const bool saysCut = !log.filter(QRegularExpression("^\\[\\.\\.\\. \\d+ bytes left out \\.\\.\\.\\]$")).isEmpty();
    QCOMPARE(saysCut, cut);
    QVERIFY(log.size() < 400000);
}

void TstCompile::commandLineCompile()
{
    // The installed layout in miniature: the program, its window library and the compiler side by side.
    QTemporaryDir dir;
    const QString exe = qEnvironmentVariable("BITLOOM_EXE");
    QVERIFY(QFile::copy(exe, dir.path() + "/bitloom"));
    QVERIFY(QFile::copy(QFileInfo(exe).absolutePath() + "/libbitloom_window.so", dir.path() + "/libbitloom_window.so"));
    QFile::setPermissions(dir.path() + "/bitloom", QFile::ReadOwner | QFile::ExeOwner);
    WriteCompiler(dir.path(), "cp out.gd out.gdr; echo compiling; echo out.gdr created\n");
    QVERIFY(!WriteProject(dir.path()).isEmpty());

    // Relative paths on the command line mean the folder it was given in, not the program's.
    QProcess p;
    QDir(dir.path()).mkpath("work/sub");
    p.setWorkingDirectory(dir.path() + "/work");
    p.start(dir.path() + "/bitloom", {"--compile", "../p.bitloom", "sub/store.gdr"});
    QVERIFY(p.waitForFinished(30000));
    const QByteArray out = p.readAllStandardOutput(), err = p.readAllStandardError();
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(out.contains("compiling\nout.gdr created\nFont successfully created!\n"), out.constData());
    QVERIFY2(err.contains("gone.bdf: not found"), err.constData());
    QVERIFY(ReadAll(dir.path() + "/work/sub/store.gdr").contains("Typeface T\r\n"));
    QVERIFY(!QFile::exists(dir.path() + "/sub/store.gdr"));
    p.setWorkingDirectory(QDir::tempPath());

    p.start(dir.path() + "/bitloom", {"--source", dir.path() + "/p.bitloom", dir.path() + "/src.gd"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(ReadAll(dir.path() + "/src.gd"), ReadAll(dir.path() + "/out.gd"));

    WriteCompiler(dir.path(), "echo failed >&2\n");
    p.start(dir.path() + "/bitloom", {"--compile", dir.path() + "/p.bitloom", dir.path() + "/other.gdr"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardOutput().contains("failed\nError! Font NOT created!\n"));
    QVERIFY(!QFile::exists(dir.path() + "/other.gdr"));

    p.start(dir.path() + "/bitloom", {"--compile", dir.path() + "/p.bitloom"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
}

void TstCompile::compilerFolderOnTheCommandLine_data()
{
    // DIR holds a compiler, EMPTY none; the program's own folder holds none.
    // written: the file that must hold the source or the store (SOURCE: DIR/out.gd).
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorSays");
    QTest::addColumn<QString>("written");
    QTest::newRow("option") << QStringList{"--compile", "P", "T", "--compiler-dir", "DIR"} << "" << 0 << "" << "T";
    QTest::newRow("environment") << QStringList{"--compile", "P", "T"} << "DIR" << 0 << "" << "T";
    QTest::newRow("relative-option") << QStringList{"--compile", "P", "T", "--compiler-dir", "compiler"} << "" << 0
                                     << "" << "T";
    QTest::newRow("option-before-environment")
        << QStringList{"--compile", "--compiler-dir", "DIR", "P", "T"} << "EMPTY" << 0 << "" << "T";
    QTest::newRow("unwritable-refused") << QStringList{"--compile", "P", "T", "--compiler-dir", "/sys"} << "" << 1
                                        << "The compiler folder \"/sys\" is not writable" << "";
    QTest::newRow("none-says-how") << QStringList{"--compile", "P", "T"} << "" << 1
                                   << "name its folder with --compiler-dir DIR or BITLOOM_COMPILER_DIR=DIR" << "";
    QTest::newRow("source-into-compiler-folder")
        << QStringList{"--source", "P", "--compiler-dir", "DIR"} << "" << 0 << "" << "SOURCE";
}

void TstCompile::compilerFolderOnTheCommandLine()
{
    QFETCH(QStringList, args);
    QFETCH(QString, environment);
    QFETCH(int, exitCode);
    QFETCH(QString, errorSays);
    QFETCH(QString, written);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("compiler");
    QDir(dir.path()).mkdir("empty");
    const QString compiler = dir.path() + "/compiler";
    WriteCompiler(compiler, "cp out.gd out.gdr; echo out.gdr created\n");
    const QMap<QString, QString> words = {{"P", WriteProject(dir.path())}, {"T", dir.path() + "/t.gdr"},
                                          {"DIR", compiler},                {"EMPTY", dir.path() + "/empty"},
                                          {"SOURCE", compiler + "/out.gd"}};
    for (QString &a : args)
        a = words.value(a, a);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!environment.isEmpty())
        env.insert(CompilerFolderVariable, words[environment]);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(qEnvironmentVariable("BITLOOM_EXE"), args);
    QVERIFY(p.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY2(err.contains(errorSays), qPrintable(err));
    if (!written.isEmpty())
        QVERIFY(ReadAll(words[written]).contains("Typeface T\r\n"));
    QCOMPARE(QFile::exists(words["T"]), written == "T");
    QCOMPARE(QDir(dir.path() + "/empty").isEmpty(), true);
}

void TstCompile::compileThroughTheWindow_data()
{
    // The compiler lies in the program's folder, in a folder chosen when asked, or nowhere.
    QTest::addColumn<QString>("compilerIn");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("folderAnswer");
    QTest::addColumn<bool>("sourceFails");
    QTest::addColumn<QString>("logEnd");
    QTest::addColumn<QString>("errorSays");
    QTest::addColumn<int>("asked");
    const QByteArray ok = "cp out.gd out.gdr; echo out.gdr created\n";
    QTest::newRow("log-kept-when-source-unwritable") << "bin" << ok << "" << true << "earlier log" << "out.gd" << 0;
    QTest::newRow("long-log-shows-its-end") << "bin" << "seq 1 3000; " + ok << "" << false << "out.gdr created" << ""
                                            << 0;
    QTest::newRow("asks-for-the-folder-once") << "chosen" << ok << "chosen" << false << "out.gdr created" << "" << 1;
    QTest::newRow("unwritable-folder-refused")
        << "" << ok << "/sys" << false << "earlier log" << "The compiler folder \"/sys\" is not writable" << 2;
}

void TstCompile::compileThroughTheWindow()
{
    QFETCH(QString, compilerIn);
    QFETCH(QByteArray, script);
    QFETCH(QString, folderAnswer);
    QFETCH(bool, sourceFails);
    QFETCH(QString, logEnd);
    QFETCH(QString, errorSays);
    QFETCH(int, asked);
    TWindowFixture fixture;
    QVERIFY(fixture.setUp());
    const QString folder = fixture.Dir->path();
    QDir(folder).mkdir("bin");
    QDir(folder).mkdir("chosen");
    if (!compilerIn.isEmpty())
        WriteCompiler(folder + "/" + compilerIn, script);
    fixture.Form->CompilerPage->ProgramFolder = (folder + "/bin").toStdString();
    WriteFile(folder + "/a.bdf", SmallFont("A", 3));
    fixture.Form->FontPage->OpenFonts({folder + "/a.bdf"});
    PageControl<QPlainTextEdit>(fixture.Form->CompilerPage, "Memo1")->setPlainText("earlier log");
    if (!folderAnswer.isEmpty())
        fixture.Script->FolderAnswers << (folderAnswer == "chosen" ? folder + "/chosen" : folderAnswer) << folderAnswer;
    fixture.Script->SaveAnswers << folder + "/t.gdr" << folder + "/t.gdr";
    if (sourceFails)
        SetSaveFaultHook([](TSaveStep step) { return step == TSaveStep::Write ? ENOSPC : 0; });
    QString error;
    // Twice: a folder chosen once is not asked for again.
    for (int run = 0; run < 2; ++run) {
        try {
            fixture.Form->CompilerPage->ToolButton6Click();
        } catch (const TFileError &e) {
            error = QString::fromStdString(e.what());
        }
    }
    SetSaveFaultHook(nullptr);
    QCOMPARE(PageControl<QPlainTextEdit>(fixture.Form->CompilerPage, "Memo1")->toPlainText().split('\n').last(), logEnd);
    QVERIFY2(errorSays.isEmpty() ? error.isEmpty() : error.contains(errorSays), qPrintable(error));
    QCOMPARE(fixture.Script->FolderCaptions.size(), asked);
    QCOMPARE(QFile::exists(folder + "/t.gdr"), errorSays.isEmpty());
    const QScrollBar *bar = PageControl<QPlainTextEdit>(fixture.Form->CompilerPage, "Memo1")->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(bar->maximum() > 0, script.startsWith("seq") && !sourceFails);
    fixture.tearDown();
}

void TstCompile::compilerPageWithoutTheWindow()
{
    // The page needs only the open fonts and the project, not the main window.
    QTemporaryDir dir;
    WriteCompiler(dir.path(), "cp out.gd out.gdr; echo out.gdr created\n");
    TOpenFonts fonts;
    TProject project;
    fonts.append(Slot("A", 8, 16, 0, -2));
    fonts.append(Slot("B", 6, 10, 0, -1));
    TCompilerPage page(fonts, project);
    page.ProgramFolder = dir.path().toStdString();
    std::string status;
    connect(&page, &TCompilerPage::statusChanged, this, [&](const std::string &text, uint32_t) { status = text; });
    TScriptedPrompts script;
    SetPrompts(&script);
    script.SaveAnswers << dir.path() + "/t.gdr";
    page.ToolButton6Click();
    SetPrompts(nullptr);
    QCOMPARE(status, std::string("Font successfully created!"));
    const QByteArray store = ReadAll(dir.path() + "/t.gdr");
    QVERIFY(store.contains("FONT A\r\n") && store.contains("FONT B\r\n"));
}

void TstCompile::previewPositions_data()
{
    QTest::addColumn<int>("glyphHeight");
    QTest::addColumn<int>("yOffset");
    QTest::addColumn<int>("firstRow");
    QTest::newRow("offset-0") << 7 << 0 << 8;
    QTest::newRow("offset-minus-2") << 7 << -2 << 10;
    QTest::newRow("offset-minus-9-clamped-to-5") << 7 << -9 << 13;
    QTest::newRow("offset-plus-9-clamped-to-5") << 7 << 9 << 3;
    // Taller than one and a half font heights: its top rows are left out.
    QTest::newRow("tall-glyph-loses-top") << 18 << 0 << -3;
}

void TstCompile::previewPositions()
{
    QFETCH(int, glyphHeight);
    QFETCH(int, yOffset);
    QFETCH(int, firstRow);
    QImage preview;
    SplitBitmap(preview, Block(3, glyphHeight), 10, 1, yOffset);
    QCOMPARE(preview.size(), QSize(4, 20));
    for (int row = 0; row < 20; ++row) {
        const bool ink = row >= firstRow && row < firstRow + glyphHeight;
        QCOMPARE(Pixel(preview, 1, row) == QColor(Qt::black), ink);
        QCOMPARE(Pixel(preview, 0, row), QColor(Qt::white));
    }
}

void TstCompile::previewGrowsAndPads()
{
    QImage preview;
    SplitBitmap(preview, Block(5, 4), 10, 1, 0);
    SplitBitmap(preview, Block(6, 4), 10, 1, 0);
    QCOMPARE(preview.size(), QSize(13, 20));
    // Both sit on the baseline (row 15): their lowest row is row 14.
    QCOMPARE(Pixel(preview, 0, 14), QColor(Qt::white));
    QCOMPARE(Pixel(preview, 1, 14), QColor(Qt::black));
    QCOMPARE(Pixel(preview, 1, 15), QColor(Qt::white));
    QCOMPARE(Pixel(preview, 6, 14), QColor(Qt::white));
    QCOMPARE(Pixel(preview, 7, 14), QColor(Qt::black));
    // A space of a 7-wide font: 3 extra columns, then its (empty) glyph.
    SplitBitmap(preview, QImage(), 10, 7 / 2, 0);
    QCOMPARE(preview.width(), 16);
    // Absurd heights stay bounded.
    SplitBitmap(preview, Block(1, 1), 2000000000, 1, 2000000000);
    QVERIFY(preview.height() <= 16384);
}

int main(int argc, char **argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    TstCompile test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_compile.moc"
