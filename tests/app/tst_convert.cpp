#include "app/convert.h"

#include <QtTest>

#include <csignal>
#include <sstream>
#include <sys/resource.h>

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
    void processExitCodes();
    void fullDiskKeepsOldOutput();
    void windowStartsFromTheExecutable();
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

void TstConvert::processExitCodes()
{
    QTemporaryDir dir;
    const QString exe = qEnvironmentVariable("BITLOOM_EXE");
    QVERIFY(!exe.isEmpty());
    WriteText(dir.filePath("in.bdf"), Sample);
    QProcess p;
    p.start(exe, {"--convert", dir.filePath("in.bdf"), dir.filePath("out.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("2 glyphs"));

    p.start(exe, {"--convert", dir.filePath("in.bdf")});
    QVERIFY(p.waitForFinished());
    QCOMPARE(p.exitCode(), 2);

    p.start(exe, {"--convert", dir.filePath("missing.bdf"), dir.filePath("o2.bdf")});
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

QTEST_APPLESS_MAIN(TstConvert)
#include "tst_convert.moc"
