// Whole-file reads and checked, all-or-nothing writes. Every file the program
// writes goes through TAtomicFileWriter.
#pragma once

#include "bytebuffer.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <time.h>

// A regular file open for reading at any offset, for readers that take a big
// file piece by piece (several threads may read at once). Throws TFileError as
// ReadFileBytes does.
class TReadableFile {
public:
    explicit TReadableFile(const std::string &path);
    ~TReadableFile();
    TReadableFile(const TReadableFile &) = delete;
    TReadableFile &operator=(const TReadableFile &) = delete;

    const std::string &path() const { return Path; }
    // The size when the file was opened.
    size_t size() const { return Size; }
    // Up to len bytes from offset into dst; fewer only at the end of the file.
    size_t readAt(size_t offset, char *dst, size_t len) const;
    // Throws TFileError ("the file changed while it was read") when the file's
    // size, modification or change time differ from when it was opened, or the
    // path now names another file (or none): what was read may mix two versions.
    // A change that keeps all of them (a rewrite within one tick of the file
    // system's clock) goes unseen.
    void checkUnchanged() const;

private:
    std::string Path;
    int Fd = -1;
    size_t Size = 0;
    // The file as it was when opened, for checkUnchanged.
    dev_t Device = 0;
    ino_t Inode = 0;
    timespec Modified{};
    timespec Changed{};
};

// For tests: when set, called by checkUnchanged before it looks at the file, so
// a test can change the file between the read and the check.
using TReadCheckHook = void (*)(const std::string &path);
void SetReadCheckHook(TReadCheckHook hook);

// The bytes of a regular file. Throws TFileError with the path and the system's
// reason; directories, devices, FIFOs and sockets are refused without reading
// from them (a FIFO with no writer or /dev/zero would otherwise never end).
TByteBuffer ReadFileBytes(const std::string &path);

// Writes a file through a temporary file in the target's folder that replaces
// the target only when every step succeeded: each write, fdatasync, close and
// rename is checked, and a failure at any of them throws TFileError with the path
// and the system's reason, removes the temporary file and leaves an earlier file
// at path byte-identical. A target that exists and is neither a regular file nor
// a symbolic link to one, or that the user may not write (access(W_OK): a file
// made read-only, "Permission denied"), is refused before anything is created;
// through a link, the file it points to is replaced and the link stays. A
// replaced file keeps its permission bits.
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
    [[noreturn]] void fail(int err);
    void discard();

    std::string Path;    // as the caller named it, for messages
    std::string Target;  // the file that is replaced (a link resolved)
    std::string TempPath;
    int Fd = -1;
    bool Failed = false;
    bool Committed = false;
    // How much of the file has been handed to the disk ahead of the commit.
    long long Written = 0;
    long long Synced = 0;
};

// The whole of data as the new contents of path, through TAtomicFileWriter.
void WriteFileAtomically(const std::string &path, std::string_view data);

// The steps of a save, for tests that make one of them fail.
// Permission is the check that the user may write the file a save replaces.
enum class TSaveStep { Permission, Create, Write, Sync, Close, Rename };
// When set, called before each step of every save; a nonzero result is taken as
// the errno that step failed with. Null (the default) injects nothing.
using TSaveFaultHook = int (*)(TSaveStep);
void SetSaveFaultHook(TSaveFaultHook hook);
