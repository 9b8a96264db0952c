#include "compilerun.h"

#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "compilersource.h"
#include "model/fileerror.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t Green = 0x008000;
constexpr uint32_t Red = 0x0000FF;
// How long a process group asked to end may take before it is killed.
constexpr qint64 EndGraceMs = 2000;

QString PathText(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

void Append(TBoundedCapture &capture, const QByteArray &bytes)
{
    capture.append(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool IsRegularFile(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// SIGTERM to the child's group, then SIGKILL to whatever of it is left after
// the grace. The child is reaped and its pipes drained meanwhile.
void EndProcessGroup(QProcess &child)
{
    const pid_t group = static_cast<pid_t>(child.processId());
    // Without a group of its own (setpgid failed) only the child can be reached.
    const bool ownGroup = ::kill(-group, SIGTERM) == 0;
    if (!ownGroup)
        child.terminate();
    auto groupGone = [&] { return !ownGroup || ::kill(-group, 0) != 0; };
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < EndGraceMs) {
        child.waitForFinished(20);
        if (child.state() == QProcess::NotRunning && groupGone())
            return;
    }
    if (ownGroup)
        ::kill(-group, SIGKILL);
    child.kill();
    child.waitForFinished(-1);
    // A kill lands a moment later; members that ended stay listed until reaped,
    // which for those the child left behind is up to init, so the wait is short.
    waited.restart();
    while (!groupGone() && waited.elapsed() < EndGraceMs)
        ::usleep(10000);
}

} // namespace

void TBoundedCapture::append(std::string_view bytes)
{
    const size_t toHead = std::min(bytes.size(), Limit - std::min(Limit, Head.size()));
    Head.append(bytes.substr(0, toHead));
    bytes.remove_prefix(toHead);
    if (bytes.empty())
        return;
    if (bytes.size() >= Limit) {
        LeftOut += Tail.size() + (bytes.size() - Limit);
        Tail.assign(bytes.substr(bytes.size() - Limit));
        return;
    }
    Tail.append(bytes);
    // Dropping the front only once the tail is twice the limit keeps appends cheap.
    if (Tail.size() > 2 * Limit) {
        const size_t drop = Tail.size() - Limit;
        LeftOut += drop;
        Tail.erase(0, drop);
    }
}

uint64_t TBoundedCapture::leftOut() const
{
    return LeftOut + (Tail.size() > Limit ? Tail.size() - Limit : 0);
}

std::vector<std::string> TBoundedCapture::lines() const
{
    // A NUL ends the text, so nothing after one in the head is shown.
    if (leftOut() == 0 || Head.find('\0') != std::string::npos)
        return SplitOutputLines(Head + Tail);
    std::vector<std::string> result = SplitOutputLines(Head);
    std::string_view tail = std::string_view(Tail).substr(Tail.size() - std::min(Limit, Tail.size()));
    uint64_t cut = leftOut();
    const size_t lineBreak = tail.find_first_of("\r\n");
    if (lineBreak != std::string_view::npos) {
        const bool crLf = tail[lineBreak] == '\r' && lineBreak + 1 < tail.size() && tail[lineBreak + 1] == '\n';
        const size_t skip = lineBreak + (crLf ? 2 : 1);
        cut += skip;
        tail.remove_prefix(skip);
    }
    result.push_back("[... " + std::to_string(cut) + " bytes left out ...]");
    std::vector<std::string> last = SplitOutputLines(tail);
    result.insert(result.end(), std::make_move_iterator(last.begin()), std::make_move_iterator(last.end()));
    return result;
}

TRunResult RunAndCapture(const std::string &program, const std::vector<std::string> &args, const std::string &folder,
                         const TKeepWaiting &keepWaiting, TChildEnvironment environment)
{
    TRunResult result;
    QProcess child;
    child.setProgram(PathText(program));
    QStringList arguments;
    for (const std::string &a : args)
        arguments << PathText(a);
    child.setArguments(arguments);
    child.setWorkingDirectory(PathText(folder));
    // The compiler sees no variables at all; other tools get the program's own.
    child.setProcessEnvironment(environment == TChildEnvironment::Empty ? QProcessEnvironment()
                                                                        : QProcessEnvironment::systemEnvironment());
    child.setStandardInputFile(QProcess::nullDevice());
    child.setProcessChannelMode(QProcess::SeparateChannels);
    // A group of its own, so that ending the run reaches what the child started.
    child.setChildProcessModifier([] { ::setpgid(0, 0); });
    // Each read is taken as it arrives (the signals come from inside the waits
    // too), so what QProcess holds never grows past one pipe's worth.
    TBoundedCapture out, err;
    QObject::connect(&child, &QProcess::readyReadStandardOutput, &child,
                     [&] { Append(out, child.readAllStandardOutput()); });
    QObject::connect(&child, &QProcess::readyReadStandardError, &child,
                     [&] { Append(err, child.readAllStandardError()); });
    child.start(QIODevice::ReadOnly);
    if (!child.waitForStarted(-1)) {
        result.StartError = "Cannot start \"" + program + "\": " + child.errorString().toLocal8Bit().toStdString();
        return result;
    }
    result.Started = true;
    // Waiting reads both pipes as they fill, so neither ever blocks the child.
    // keepWaiting is asked first right after the start: a stop that came while
    // the child was starting ends it at once.
    while (child.state() != QProcess::NotRunning) {
        if (keepWaiting && !keepWaiting()) {
            EndProcessGroup(child);
            result.Cancelled = true;
            break;
        }
        if (child.waitForFinished(20))
            break;
    }
    Append(out, child.readAllStandardOutput());
    Append(err, child.readAllStandardError());
    result.Crashed = child.exitStatus() == QProcess::CrashExit;
    result.ExitCode = child.exitCode();
    result.OutLines = out.lines();
    result.ErrLines = err.lines();
    return result;
}

std::string FolderHolding(const std::vector<std::string> &folders, const std::string &fileName)
{
    for (const std::string &folder : folders)
        if (!folder.empty() && IsRegularFile(folder + "/" + fileName))
            return folder;
    return {};
}

std::string CompilerFolderFromEnvironment()
{
    const char *named = std::getenv(CompilerFolderVariable);
    return named ? AbsolutePath(named) : "";
}

namespace {

// The window's own settings (its organisation and application names), also when
// read by the command line, which runs without them set.
QSettings CompilerSettings()
{
    return QSettings(QStringLiteral("Bitloom"), QStringLiteral("Bitloom"));
}

const QString CompilerFolderKey = QStringLiteral("Compiler/folder");

} // namespace

std::string RememberedCompilerFolder()
{
    return PathBytes(CompilerSettings().value(CompilerFolderKey).toString());
}

void RememberCompilerFolder(const std::string &folder)
{
    QSettings settings = CompilerSettings();
    settings.setValue(CompilerFolderKey, PathText(folder));
}

std::string ResolveCompilerFolder(const std::string &named, const std::string &programFolder)
{
    // Absolute, since the compiler is started by its path from inside the folder.
    if (!named.empty())
        return AbsolutePath(named);
    const std::string environment = CompilerFolderFromEnvironment();
    if (!environment.empty())
        return environment;
    return FolderHolding({programFolder, RememberedCompilerFolder()}, CompilerFileName);
}

void CheckCompilerFolder(const std::string &folder)
{
    const std::string named = "The compiler folder \"" + folder + "\"";
    struct stat st {};
    const int err = ::stat(folder.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (err != 0) {
        const std::string reason = TFileError::SystemReason(err);
        throw TFileError::WithMessage(named + " cannot be used: " + reason, folder, reason);
    }
    try {
        // Made and thrown away again: only whether a file can be made there counts.
        TAtomicFileWriter probe(folder + "/out.gd");
    } catch (const TFileError &e) {
        throw TFileError::WithMessage(named + " is not writable: " + e.reason(), folder, e.reason());
    }
}

void PrepareCompile(const std::string &source, const std::string &folder)
{
    CheckCompilerFolder(folder);
    WriteFileAtomically(folder + "/out.gd", source);
    const std::string store = folder + "/out.gdr";
    if (std::remove(store.c_str()) != 0 && errno != ENOENT)
        throw TFileError("Cannot remove the earlier store", store, TFileError::SystemReason(errno));
}

TCompileResult RunCompiler(const std::string &folder, const std::string &target, const TKeepWaiting &keepWaiting)
{
    TRunResult run = RunAndCapture(folder + "/" + CompilerFileName, {"out.gd", "out.gdr"}, folder, keepWaiting);

    TCompileResult result;
    result.Success = run.Started && !run.Cancelled && CompileSucceeded(run.OutLines);
    std::string whyNot;
    const std::string store = folder + "/out.gdr";
    if (result.Success && !IsRegularFile(store)) {
        result.Success = false;
        whyNot = "The compiler printed \"out.gdr created\" but made no out.gdr.";
    }
    if (result.Success) {
        try {
            const TByteBuffer bytes = ReadFileBytes(store);
            WriteFileAtomically(target, bytes.view());
        } catch (const TFileError &e) {
            result.Success = false;
            whyNot = std::string("The font store was made but not copied: ") + e.what();
        }
    }
    if (result.Success) {
        result.Log = std::move(run.OutLines);
        result.Status = "Font successfully created!";
        result.Colour = Green;
        return result;
    }
    result.Log = std::move(run.OutLines);
    result.Log.insert(result.Log.end(), std::make_move_iterator(run.ErrLines.begin()),
                      std::make_move_iterator(run.ErrLines.end()));
    if (!run.StartError.empty())
        result.Log.push_back(run.StartError);
    if (run.Cancelled)
        result.Log.push_back("The compiler was stopped before it finished.");
    if (!whyNot.empty())
        result.Log.push_back(whyNot);
    result.Status = "Error! Font NOT created!";
    result.Colour = Red;
    return result;
}

TCompileResult CompileFontStore(const std::string &source, const std::string &folder, const std::string &target,
                                const TKeepWaiting &keepWaiting)
{
    PrepareCompile(source, folder);
    return RunCompiler(folder, target, keepWaiting);
}
