// Whole-file reads and checked, all-or-nothing writes. Every file the program
// writes goes through TAtomicFileWriter.
#pragma once

#include "bytebuffer.h"

#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

// The file's bytes. Throws TFileError with the path and the system's reason.
TByteBuffer ReadFileBytes(const std::string &path);

// Writes a file through a temporary file beside it that replaces the target only
// when every write succeeded: a failure at any step (open, write, flush, rename)
// throws TFileError with the path and the system's reason and leaves an earlier
// file at path byte-identical, with no stray temporary file.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(const std::string &path);
    // Destroying a writer that was not committed discards what was written.
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter &) = delete;
    TAtomicFileWriter &operator=(const TAtomicFileWriter &) = delete;

    void write(std::string_view data);
    void commit();

private:
    [[noreturn]] void fail();

    std::string Path;
    std::unique_ptr<QSaveFile> File;
    // How much of the file has been handed to the disk ahead of the commit.
    long long Synced = 0;
};

// The whole of data as the new contents of path, through TAtomicFileWriter.
void WriteFileAtomically(const std::string &path, std::string_view data);
