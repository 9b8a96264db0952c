#include "bigblock.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

size_t BigBlockSize(size_t bytes) noexcept
{
    return (bytes + HugePageBytes - 1) / HugePageBytes * HugePageBytes;
}

void *AllocateBigBlock(size_t &bytes)
{
    if (bytes > SIZE_MAX - 2 * HugePageBytes)
        throw std::bad_alloc();
    const size_t size = BigBlockSize(bytes);
    // One huge page more than needed, so a boundary lies within; the ends are
    // given back.
    const size_t mapped = size + HugePageBytes;
    void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t aligned = (start + HugePageBytes - 1) / HugePageBytes * HugePageBytes;
    if (aligned > start)
        munmap(p, aligned - start);
    if (const uintptr_t tail = start + mapped - (aligned + size); tail > 0)
        munmap(reinterpret_cast<void *>(aligned + size), tail);
    void *block = reinterpret_cast<void *>(aligned);
    madvise(block, size, MADV_HUGEPAGE);
    bytes = size;
    return block;
}

void FreeBigBlock(void *block, size_t bytes) noexcept
{
    if (block)
        munmap(block, bytes);
}
