// Running the font compiler: a child process with its output captured, the
// folder it runs in, and the compile command after its dialog. Qt Core only, no
// widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Called as soon as a child has started and then every few milliseconds while
// it runs (to keep a window painted); returning false asks for the child to be
// ended.
using TKeepWaiting = std::function<bool()>;

// One output stream of a child, kept within a fixed size however much it prints:
// its first and its last `limit` bytes, and how many bytes between them were
// left out.
class TBoundedCapture {
public:
    static constexpr size_t DefaultLimit = size_t(1) << 20;
    explicit TBoundedCapture(size_t limit = DefaultLimit) : Limit(limit) {}

    void append(std::string_view bytes);
    // The kept bytes as SplitOutputLines reads them. When bytes were left out, a
    // line in their place says how many, and the line the cut fell into is left
    // out with them (it would show only its end).
    std::vector<std::string> lines() const;
    uint64_t leftOut() const;

private:
    size_t Limit;
    std::string Head;
    // The latest bytes; may grow to twice Limit before its front is dropped.
    std::string Tail;
    // Dropped from the tail's front so far.
    uint64_t LeftOut = 0;
};

struct TRunResult {
    std::vector<std::string> OutLines;
    std::vector<std::string> ErrLines;
    bool Started = false;
    bool Cancelled = false;
    // How the child ended: its exit code, or that a signal ended it.
    int ExitCode = 0;
    bool Crashed = false;
    // Why the child could not start: which file and the system's reason.
    std::string StartError;
};

enum class TChildEnvironment { Empty, Inherited };

// Runs program (a path) with args in folder: no environment variables at all
// (unless Inherited is asked), standard input from /dev/null, standard output
// and standard error captured apart, each in a TBoundedCapture, and drained as
// they come (a child filling one pipe never blocks), and no time limit. Both line
// lists stay empty when the child cannot start.
// The child leads a process group of its own; when keepWaiting says stop, the
// whole group is asked to end (SIGTERM) and, whatever is left after a short
// grace, killed, so a wrapper script's children go with it.
TRunResult RunAndCapture(const std::string &program, const std::vector<std::string> &args, const std::string &folder,
                         const TKeepWaiting &keepWaiting = {},
                         TChildEnvironment environment = TChildEnvironment::Empty);

// The file name of the compiler, and the map file the TrueType converter reads
// from its working folder; both live in the compiler folder.
inline constexpr const char *CompilerFileName = "fnttran.exe";
inline constexpr const char *ConverterMapFileName = "gdr.map";
// The environment variable that names the compiler folder.
inline constexpr const char *CompilerFolderVariable = "BITLOOM_COMPILER_DIR";

// The first of folders (empty entries skipped) that holds a regular file named
// fileName; empty when none does.
std::string FolderHolding(const std::vector<std::string> &folders, const std::string &fileName);

// The folder named by BITLOOM_COMPILER_DIR, made absolute; empty when it is not set.
std::string CompilerFolderFromEnvironment();
// The compiler folder the user chose once, kept in the window's settings.
std::string RememberedCompilerFolder();
void RememberCompilerFolder(const std::string &folder);

// Where a compile runs: named (the command line's --compiler-dir, made
// absolute) when given, else the folder BITLOOM_COMPILER_DIR names, else
// programFolder when it holds the compiler, else the remembered folder when it
// holds it; empty when none of them applies (the window then asks for a folder).
std::string ResolveCompilerFolder(const std::string &named, const std::string &programFolder);

// Refuses a compiler folder the compile cannot work in, before anything runs:
// throws TFileError saying the folder cannot be used (it is missing or not a
// folder) or is not writable, with the system's reason. Whether a file can be
// made there is tried, so a read-only file system is caught even for root.
void CheckCompilerFolder(const std::string &folder);

struct TCompileResult {
    bool Success = false;
    // What the log box shows: the compiler's output on success; on failure its
    // standard output, then its standard error, then why the run failed when
    // the compiler did not say.
    std::vector<std::string> Log;
    // "Font successfully created!" in green (0x008000) or "Error! Font NOT created!" in red (0x0000FF).
    std::string Status;
    uint32_t Colour = 0;
};

// The steps of a compile before the compiler runs: checks the folder
// (CheckCompilerFolder), writes source as out.gd there and removes an earlier
// out.gdr, so only a store this run makes can count. Throws TFileError; nothing
// has run then.
void PrepareCompile(const std::string &source, const std::string &folder);

// Runs "fnttran.exe out.gd out.gdr" in folder (its working folder; this
// process's own stays as it is) and, when the compiler reports success and a new
// out.gdr exists, copies it to target. A compiler that cannot start, a cancel, a
// missing store or a copy that fails makes the result a failure with a log line
// that says why; target is written only on success.
TCompileResult RunCompiler(const std::string &folder, const std::string &target, const TKeepWaiting &keepWaiting = {});

// PrepareCompile, then RunCompiler.
TCompileResult CompileFontStore(const std::string &source, const std::string &folder, const std::string &target,
                                const TKeepWaiting &keepWaiting = {});
