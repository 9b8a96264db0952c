#include "bytebuffer.h"

#include "model/bigblock.h"

#include <algorithm>
#include <charconv>
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

namespace {

// A fresh mapping of bytes, rounded up to what it holds; big ones on huge pages.
char *MapFresh(size_t &bytes)
{
    // From one huge page on: a reader's window is filled whole at once.
    if (bytes >= HugePageBytes)
        return static_cast<char *>(AllocateBigBlock(bytes));
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<char *>(p);
}

} // namespace

void TByteBuffer::reserve(size_t n)
{
    if (n <= Capacity)
        return;
    size_t bytes = RoundToPages(n);
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer does not follow mremap, and would take a buffer another
    // thread gets at the old address for a race: move by hand under it.
    char *p = MapFresh(bytes);
    if (Data) {
        std::memcpy(p, Data, Size);
        munmap(Data, Capacity);
    }
#else
    char *p = nullptr;
    if (Data) {
        void *moved = mremap(Data, Capacity, bytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        p = static_cast<char *>(moved);
    } else {
        p = MapFresh(bytes);
    }
#endif
    Data = p;
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

void TByteBuffer::prefault()
{
    if (Data)
        madvise(Data, Capacity, MADV_POPULATE_WRITE);
}

void AppendDecimal(TByteBuffer &out, int64_t value)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
}

void AppendLine(TByteBuffer &out, std::string_view text)
{
    out.append(text);
    out.append("\r\n");
}

void AppendNumbers(TByteBuffer &out, std::string_view keyword, std::initializer_list<int64_t> values)
{
    out.append(keyword);
    for (int64_t v : values) {
        out.push_back(' ');
        AppendDecimal(out, v);
    }
    out.append("\r\n");
}
