#include "childprocess.h"

#include "textconv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

// How long a process group asked to end may take before it is killed.
constexpr qint64 EndGraceMs = 2000;

void Append(TBoundedCapture &capture, const QByteArray &bytes)
{
    capture.append(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
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

std::vector<std::string> SplitOutputLines(std::string_view bytes)
{
    if (size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

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
    child.setProgram(PathToQ(program));
    QStringList arguments;
    for (const std::string &a : args)
        arguments << PathToQ(a);
    child.setArguments(arguments);
    child.setWorkingDirectory(PathToQ(folder));
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

