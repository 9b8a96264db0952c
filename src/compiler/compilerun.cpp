#include "compilerun.h"

#include "bdf/fileio.h"
#include "compilersource.h"
#include "model/fileerror.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

constexpr uint32_t Green = 0x008000;
constexpr uint32_t Red = 0x0000FF;

QString PathText(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::vector<std::string> Lines(const QByteArray &bytes)
{
    return SplitOutputLines(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

} // namespace

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
    child.start(QIODevice::ReadOnly);
    if (!child.waitForStarted(-1)) {
        result.StartError = "Cannot start \"" + program + "\": " + child.errorString().toLocal8Bit().toStdString();
        return result;
    }
    result.Started = true;
    // Waiting reads both pipes as they fill, so neither ever blocks the child.
    while (!child.waitForFinished(20)) {
        if (child.state() == QProcess::NotRunning)
            break;
        if (keepWaiting && !keepWaiting()) {
            child.kill();
            child.waitForFinished(-1);
            result.Cancelled = true;
            break;
        }
    }
    result.OutLines = Lines(child.readAllStandardOutput());
    result.ErrLines = Lines(child.readAllStandardError());
    return result;
}

TCompileResult CompileFontStore(const std::string &source, const std::string &programFolder, const std::string &target,
                                const TKeepWaiting &keepWaiting)
{
    const std::string folder = programFolder.empty() ? "." : programFolder;
    WriteFileAtomically(folder + "/out.gd", source);
    const TRunResult run = RunAndCapture(folder + "/" + CompilerFileName, {"out.gd", "out.gdr"}, folder, keepWaiting);

    TCompileResult result;
    result.Success = run.Started && !run.Cancelled && CompileSucceeded(run.OutLines);
    std::string copyError;
    if (result.Success) {
        try {
            const TByteBuffer store = ReadFileBytes(folder + "/out.gdr");
            WriteFileAtomically(target, store.view());
        } catch (const TFileError &e) {
            result.Success = false;
            copyError = std::string("The font store was made but not copied: ") + e.what();
        }
    }
    if (result.Success) {
        result.Log = run.OutLines;
        result.Status = "Font successfully created!";
        result.Colour = Green;
        return result;
    }
    result.Log = run.ErrLines;
    if (!run.StartError.empty())
        result.Log.push_back(run.StartError);
    if (run.Cancelled)
        result.Log.push_back("The compiler was stopped before it finished.");
    if (!copyError.empty())
        result.Log.push_back(copyError);
    result.Status = "Error! Font NOT created!";
    result.Colour = Red;
    return result;
}
