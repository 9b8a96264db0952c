// The compile command after its dialog: the compiler folder checked, out.gd
// written, the compiler run and its store copied. Qt Core only, no widgets.
#pragma once

#include "platform/childprocess.h"
#include "platform/folders.h"

#include <cstdint>
#include <string>
#include <vector>

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
