#include "compilerun.h"

#include "bdf/fileio.h"
#include "bdf/paths.h"
#include "compilersource.h"
#include "model/fileerror.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr uint32_t Green = 0x008000;
constexpr uint32_t Red = 0x0000FF;

} // namespace

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
    // A compiler that failed without a word still says how it ended.
    if (result.Log.empty() && run.Started && !run.Cancelled)
        result.Log.push_back(run.Crashed ? std::string("The compiler was ended by a signal.")
                                         : "The compiler ended with exit status " + std::to_string(run.ExitCode) +
                                               " without saying \"out.gdr created\".");
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
