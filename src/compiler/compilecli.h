// The window-less compile commands: bitloom --source and bitloom --compile.
#pragma once

#include "compilerun.h"

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// bitloom --source PROJECT [OUT.gd] [--compiler-dir DIR] or
// bitloom --compile PROJECT OUT.gdr [--compiler-dir DIR], the option anywhere
// after the command.
struct TCompileArguments {
    std::string Command;
    std::string Project;
    // Empty for --source without OUT.gd: out.gd then goes into the compiler folder.
    std::string Output;
    std::string CompilerDir;
};

// The command's words, or nothing when they do not fit (the caller prints the
// usage). Inline: the executable checks the words without linking the compile
// code, which lives in the window library.
inline std::optional<TCompileArguments> ParseCompileArguments(int argc, char **argv)
{
    if (argc < 2 || (std::strcmp(argv[1], "--source") != 0 && std::strcmp(argv[1], "--compile") != 0))
        return std::nullopt;
    TCompileArguments parsed;
    parsed.Command = argv[1];
    std::vector<std::string> words;
    bool haveDir = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--compiler-dir") == 0) {
            if (haveDir || i + 1 >= argc || argv[i + 1][0] == '\0')
                return std::nullopt;
            haveDir = true;
            parsed.CompilerDir = argv[++i];
        } else {
            words.emplace_back(argv[i]);
        }
    }
    const bool source = parsed.Command == "--source";
    if (words.empty() || words.size() > 2 || (!source && words.size() != 2))
        return std::nullopt;
    parsed.Project = words[0];
    if (words.size() == 2)
        parsed.Output = words[1];
    return parsed;
}

// Runs a parsed --source or --compile. The compiler folder is chosen as
// ResolveCompilerFolder does (programFolder: where this executable lies) and
// checked before anything runs; --source with OUT.gd needs none. Prints the
// compiler's log and the status line (or the source summary) to out and errors
// to err. keepWaiting ends a running compiler when it says stop. Returns the
// exit code: 0 only when the file was written or the store made and copied.
int RunCompileCommand(const TCompileArguments &args, const std::string &programFolder, std::ostream &out,
                      std::ostream &err, const TKeepWaiting &keepWaiting = {});
