#include "fileio.h"

#include "model/fileerror.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

private:
    int Fd;
};

[[noreturn]] void ThrowRead(const std::string &path, int err)
{
    throw TFileError("Cannot open file", path, TFileError::SystemReason(err));
}

[[noreturn]] void ThrowWrite(const std::string &path, const QString &reason)
{
    throw TFileError("Cannot write file", path, reason.toLocal8Bit().toStdString());
}

} // namespace

TByteBuffer ReadFileBytes(const std::string &path)
{
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        ThrowRead(path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        ThrowRead(path, errno);

    TByteBuffer data;
    // Regular files are read in one go (one spare byte shows the end without a
    // second pass); pipes and devices grow the buffer as they deliver.
    size_t capacity = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536;
    data.resize(capacity);
    size_t used = 0;
    for (;;) {
        if (used == data.size())
            data.resize(data.size() * 2);
        ssize_t n = ::read(fd.get(), data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowRead(path, errno);
        }
        if (n == 0)
            break;
        used += static_cast<size_t>(n);
    }
    data.resize(used);
    return data;
}

TAtomicFileWriter::TAtomicFileWriter(const std::string &path)
    : Path(path), File(std::make_unique<QSaveFile>(QFile::decodeName(path.c_str())))
{
    // Unbuffered: every write reaches the file descriptor at once, so a short write
    // or a full disk shows in write()'s own result. commit() alone is not trusted
    // with that, since it can report success after a failed final flush.
    if (!File->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        ThrowWrite(Path, File->errorString());
}

// QSaveFile removes its temporary file when destroyed uncommitted.
TAtomicFileWriter::~TAtomicFileWriter() = default;

void TAtomicFileWriter::fail()
{
    QString reason = File->errorString();
    File->cancelWriting();
    File.reset();
    ThrowWrite(Path, reason);
}

void TAtomicFileWriter::write(std::string_view data)
{
    if (!File)
        ThrowWrite(Path, QStringLiteral("an earlier write failed"));
    const char *p = data.data();
    qint64 left = static_cast<qint64>(data.size());
    while (left > 0) {
        qint64 n = File->write(p, left);
        if (n <= 0)
            fail();
        p += n;
        left -= n;
    }
    // Start writing these pages to disk now, so the flush to disk at commit
    // finds most of the file already on its way.
    const qint64 end = File->pos();
    if (end - Synced >= (1 << 20) && File->handle() >= 0) {
        ::sync_file_range(File->handle(), Synced, end - Synced, SYNC_FILE_RANGE_WRITE);
        Synced = end;
    }
}

void TAtomicFileWriter::commit()
{
    if (!File)
        ThrowWrite(Path, QStringLiteral("an earlier write failed"));
    if (!File->flush() || File->error() != QFileDevice::NoError)
        fail();
    bool committed = File->commit();
    QString reason = File->errorString();
    File.reset();
    if (!committed)
        ThrowWrite(Path, reason);
}

void WriteFileAtomically(const std::string &path, std::string_view data)
{
    TAtomicFileWriter writer(path);
    writer.write(data);
    writer.commit();
}
