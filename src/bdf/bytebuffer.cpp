#include "bytebuffer.h"

#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace {

constexpr size_t PageSize = 4096;

size_t RoundToPages(size_t n)
{
    return (n + PageSize - 1) / PageSize * PageSize;
}

} // namespace

TByteBuffer::~TByteBuffer()
{
    if (Data)
        munmap(Data, Capacity);
}

TByteBuffer::TByteBuffer(TByteBuffer &&other) noexcept
    : Data(std::exchange(other.Data, nullptr)), Size(std::exchange(other.Size, 0)),
      Capacity(std::exchange(other.Capacity, 0))
{
}

TByteBuffer &TByteBuffer::operator=(TByteBuffer &&other) noexcept
{
    if (this != &other) {
        if (Data)
            munmap(Data, Capacity);
        Data = std::exchange(other.Data, nullptr);
        Size = std::exchange(other.Size, 0);
        Capacity = std::exchange(other.Capacity, 0);
    }
    return *this;
}

void TByteBuffer::reserve(size_t n)
{
    if (n <= Capacity)
        return;
    size_t bytes = RoundToPages(n);
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer does not follow mremap, and would take a buffer another
    // thread gets at the old address for a race: move by hand under it.
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED && Data) {
        std::memcpy(p, Data, Size);
        munmap(Data, Capacity);
    }
#else
    void *p = Data ? mremap(Data, Capacity, bytes, MREMAP_MAYMOVE)
                   : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#endif
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (!Data)
        madvise(p, bytes, MADV_HUGEPAGE);
    Data = static_cast<char *>(p);
    Capacity = bytes;
}

void TByteBuffer::resize(size_t n)
{
    reserve(n);
    Size = n;
}

void TByteBuffer::grow(size_t atLeast)
{
    size_t doubled = Capacity * 2;
    reserve(atLeast > doubled ? atLeast : doubled);
}

void TByteBuffer::releaseBefore(size_t offset)
{
    size_t bytes = offset / PageSize * PageSize;
    if (Data && bytes > 0 && bytes <= Capacity)
        madvise(Data, bytes, MADV_DONTNEED);
}
