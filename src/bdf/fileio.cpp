#include "fileio.h"

#include "model/fileerror.h"
#include "paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

TSaveFaultHook FaultHook = nullptr;
TReadCheckHook ReadCheckHook = nullptr;

int InjectedFault(TSaveStep step)
{
    return FaultHook ? FaultHook(step) : 0;
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int get() const { return Fd; }
    // Hands the descriptor to the caller, who closes it.
    int release() { return std::exchange(Fd, -1); }

private:
    int Fd;
};

[[noreturn]] void ThrowRead(const std::string &path, const std::string &reason)
{
    throw TFileError("Cannot open file", path, reason);
}

[[noreturn]] void ThrowWrite(const std::string &path, const std::string &reason)
{
    throw TFileError("Cannot write file", path, reason);
}

std::string FileKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a FIFO, not a regular file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    return "it is not a regular file";
}

} // namespace

void SetSaveFaultHook(TSaveFaultHook hook)
{
    FaultHook = hook;
}

void SetReadCheckHook(TReadCheckHook hook)
{
    ReadCheckHook = hook;
}

TReadableFile::TReadableFile(const std::string &path) : Path(path)
{
    // Non-blocking, so opening a FIFO that nobody writes to returns at once and
    // is then refused as what it is.
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        ThrowRead(path, TFileError::SystemReason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        ThrowRead(path, TFileError::SystemReason(errno));
    if (!S_ISREG(st.st_mode))
        ThrowRead(path, FileKind(st.st_mode));
    Size = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    Device = st.st_dev;
    Inode = st.st_ino;
    Modified = st.st_mtim;
    Changed = st.st_ctim;
    Fd = fd.release();
}

void TReadableFile::checkUnchanged() const
{
    if (ReadCheckHook)
        ReadCheckHook(Path);
    auto same = [](const timespec &a, const timespec &b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    struct stat now {};
    struct stat named {};
    if (::fstat(Fd, &now) != 0 || static_cast<size_t>(std::max<off_t>(now.st_size, 0)) != Size ||
        !same(now.st_mtim, Modified) || !same(now.st_ctim, Changed) || ::stat(Path.c_str(), &named) != 0 ||
        named.st_dev != Device || named.st_ino != Inode)
        ThrowRead(Path, "the file changed while it was read");
}

TReadableFile::~TReadableFile()
{
    if (Fd >= 0)
        ::close(Fd);
}

size_t TReadableFile::readAt(size_t offset, char *dst, size_t len) const
{
    size_t done = 0;
    while (done < len) {
        ssize_t n = ::pread(Fd, dst + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowRead(Path, TFileError::SystemReason(errno));
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

TByteBuffer ReadFileBytes(const std::string &path)
{
    const TReadableFile file(path);
    TByteBuffer data;
    // One spare byte shows the end without a second pass; a file that grows while
    // it is read grows the buffer.
    data.resize(file.size() > 0 ? file.size() + 1 : 4096);
    data.prefault();
    size_t used = 0;
    for (;;) {
        if (used == data.size())
            data.resize(data.size() * 2);
        const size_t n = file.readAt(used, data.data() + used, data.size() - used);
        if (n == 0)
            break;
        used += n;
    }
    data.resize(used);
    return data;
}

TAtomicFileWriter::TAtomicFileWriter(const std::string &path) : Path(path), Target(path)
{
    if (path.empty())
        ThrowWrite(path, "no file name");
    mode_t mode = 0666;
    bool replacing = false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        replacing = true;
        if (S_ISLNK(st.st_mode)) {
            // Replace the file behind the link, so the link itself survives the save.
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved)) {
                Target = resolved;
                if (::stat(Target.c_str(), &st) != 0)
                    ThrowWrite(path, TFileError::SystemReason(errno));
            } else if (errno == ENOENT) {
                // A dangling link: the save puts a new file in its place.
                replacing = false;
                st.st_mode = S_IFREG;
            } else {
                ThrowWrite(path, TFileError::SystemReason(errno));
            }
        }
        if (!S_ISREG(st.st_mode))
            ThrowWrite(path, FileKind(st.st_mode));
        mode = st.st_mode & 07777;
        // The rename replaces a file whatever its permissions; one the user may
        // not write (made read-only) is refused, as writing it in place would be.
        if (replacing) {
            int err = InjectedFault(TSaveStep::Permission);
            if (err == 0 && ::access(Target.c_str(), W_OK) != 0)
                err = errno;
            if (err != 0)
                ThrowWrite(path, TFileError::SystemReason(err));
        }
    } else if (errno != ENOENT) {
        ThrowWrite(path, TFileError::SystemReason(errno));
    }

    const std::string prefix = FolderOf(Target) + "/." + FileNameOnly(Target) + ".";
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (int err = InjectedFault(TSaveStep::Create)) {
            errno = err;
            break;
        }
        std::string candidate = prefix + std::to_string(random() % 1000000000ull) + ".tmp";
        // New files get 0666 less the umask, as any created file does.
        Fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (Fd >= 0) {
            TempPath = std::move(candidate);
            break;
        }
        if (errno != EEXIST)
            break;
    }
    if (Fd < 0)
        ThrowWrite(path, TFileError::SystemReason(errno));
    // The replacement keeps the old file's permissions; where the file system
    // cannot set them (FAT), the save goes on with what it has.
    if (replacing)
        (void)::fchmod(Fd, mode);
}

TAtomicFileWriter::~TAtomicFileWriter()
{
    if (!Committed)
        discard();
}

void TAtomicFileWriter::discard()
{
    if (Fd >= 0) {
        ::close(Fd);
        Fd = -1;
    }
    if (!TempPath.empty()) {
        ::unlink(TempPath.c_str());
        TempPath.clear();
    }
}

void TAtomicFileWriter::fail(int err)
{
    Failed = true;
    discard();
    ThrowWrite(Path, TFileError::SystemReason(err));
}

void TAtomicFileWriter::write(std::string_view data)
{
    if (Failed || Fd < 0)
        ThrowWrite(Path, "an earlier write failed");
    const char *p = data.data();
    size_t left = data.size();
    while (left > 0) {
        if (int err = InjectedFault(TSaveStep::Write))
            fail(err);
        ssize_t n = ::write(Fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        if (n == 0)
            fail(ENOSPC);
        p += n;
        left -= static_cast<size_t>(n);
        Written += n;
    }
    // Start writing these pages to disk now, so the flush at commit finds most
    // of the file already on its way.
    if (Written - Synced >= (1 << 20)) {
        ::sync_file_range(Fd, Synced, Written - Synced, SYNC_FILE_RANGE_WRITE);
        Synced = Written;
    }
}

void TAtomicFileWriter::commit()
{
    if (Failed || Fd < 0)
        ThrowWrite(Path, "an earlier write failed");
    int err = InjectedFault(TSaveStep::Sync);
    if (err == 0 && ::fdatasync(Fd) != 0)
        err = errno;
    if (err != 0)
        fail(err);
    // close() reports write-back errors of some file systems (NFS): it is checked too.
    err = InjectedFault(TSaveStep::Close);
    const int closed = ::close(Fd);
    Fd = -1;
    if (err == 0 && closed != 0)
        err = errno;
    if (err != 0)
        fail(err);
    err = InjectedFault(TSaveStep::Rename);
    if (err == 0 && ::rename(TempPath.c_str(), Target.c_str()) != 0)
        err = errno;
    if (err != 0)
        fail(err);
    TempPath.clear();
    Committed = true;
    // Make the rename itself durable. The new file is in place by now, so a
    // folder that cannot be synced does not turn a finished save into a failure.
    TFd folder(::open(FolderOf(Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());
}

void WriteFileAtomically(const std::string &path, std::string_view data)
{
    TAtomicFileWriter writer(path);
    writer.write(data);
    writer.commit();
}
