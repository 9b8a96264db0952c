// Running another program: a child process with its two output streams
// captured within bounds, ended with everything it started. Qt Core only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A child's output as lines: a line ends at CR LF, a lone CR or a lone LF; a
// last line without a break counts; a break at the very end adds no empty line;
// a NUL byte ends the text.
std::vector<std::string> SplitOutputLines(std::string_view bytes);

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
