// Running the font compiler: a child process with its output captured, and the
// compile command after its dialog. Qt Core only, no widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Called every few milliseconds while a child runs (to keep a window painted);
// returning false asks for the child to be ended.
using TKeepWaiting = std::function<bool()>;

struct TRunResult {
    std::vector<std::string> OutLines;
    std::vector<std::string> ErrLines;
    bool Started = false;
    bool Cancelled = false;
    // Why the child could not start: which file and the system's reason.
    std::string StartError;
};

enum class TChildEnvironment { Empty, Inherited };

// Runs program (a path) with args in folder: no environment variables at all
// (unless Inherited is asked), standard input from /dev/null, standard output
// and standard error captured apart and drained as they come (a child filling
// one pipe never blocks), and no time limit. Both line lists stay empty when the
// child cannot start.
TRunResult RunAndCapture(const std::string &program, const std::vector<std::string> &args, const std::string &folder,
                         const TKeepWaiting &keepWaiting = {},
                         TChildEnvironment environment = TChildEnvironment::Empty);

// The file name of the compiler in the program's folder.
inline constexpr const char *CompilerFileName = "fnttran.exe";

struct TCompileResult {
    bool Success = false;
    // What the log box shows: the compiler's output on success, its error output
    // (and why the run failed, when the compiler did not say) otherwise.
    std::vector<std::string> Log;
    // "Font successfully created!" in green (0x008000) or "Error! Font NOT created!" in red (0x0000FF).
    std::string Status;
    uint32_t Colour = 0;
};

// Writes source as out.gd into programFolder (a failure throws TFileError before
// anything runs), runs "fnttran.exe out.gd out.gdr" with programFolder as the
// child's working folder (this process keeps its own) and, when it reports
// success, copies out.gdr to target.
// A compiler that cannot start, a cancel, or a copy that fails makes the result
// a failure with a log line that says why; target is written only on success.
TCompileResult CompileFontStore(const std::string &source, const std::string &programFolder, const std::string &target,
                                const TKeepWaiting &keepWaiting = {});
