// The window-less compile commands: bitloom --source and bitloom --compile.
#pragma once

#include <ostream>
#include <string>

// Writes the compiler source of the project at projectPath (its fonts read as
// the project lists them) to outPath. Prints a summary to out, or the error to
// err. Returns the exit code: 0 when the file was written.
int RunSourceCommand(const std::string &projectPath, const std::string &outPath, std::ostream &out, std::ostream &err);

// The whole compile of the project at projectPath into target, with the
// compiler in programFolder: prints the compiler's log and the status line to
// out, errors to err; returns 0 only when the store was made and copied.
int RunCompileCommand(const std::string &projectPath, const std::string &target, const std::string &programFolder,
                      std::ostream &out, std::ostream &err);
