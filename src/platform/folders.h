// The folders the program works with beyond the user's files: its own, and the
// compiler folder where the font compiler and the converter's map live.
#pragma once

#include <string>
#include <vector>

// The folder of the running executable, as bytes: where the program looks for
// its compiler and converter first.
std::string ExecutableFolder();
// The program's folder as a page uses it: the given one (tests give another),
// else the executable's.
inline std::string ProgramFolderOr(const std::string &given)
{
    return given.empty() ? ExecutableFolder() : given;
}

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
