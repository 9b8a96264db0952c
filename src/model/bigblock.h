// Memory for the few big blocks a font is made of (its glyph list, a file's
// bytes): taken straight from the system on huge-page boundaries and advised to
// be backed by huge pages. Filling such a block costs a page fault per 2 MiB
// instead of one per 4 KiB, which on a virtual machine is most of the cost of
// reading a big font.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

// Blocks are taken in whole huge pages.
constexpr size_t HugePageBytes = size_t{2} << 20;
// The glyph list takes a big block from this size on.
constexpr size_t BigBlockBytes = size_t{4} << 20;

// A block of at least bytes, which is rounded up to what the block really
// holds; throws std::bad_alloc. Its memory reads as zero until written.
void *AllocateBigBlock(size_t &bytes);
// Frees a block of AllocateBigBlock, given the rounded size it returned.
void FreeBigBlock(void *block, size_t bytes) noexcept;
// The size AllocateBigBlock rounds bytes up to.
size_t BigBlockSize(size_t bytes) noexcept;

// std::allocator, except that big blocks come from AllocateBigBlock.
// True on a thread while a list takes over elements already constructed in its
// spare capacity (AdoptConstructed): default construction through the allocator
// then leaves each element as it is.
inline thread_local bool AdoptingConstructed = false;

template <class T>
struct TBigBlockAllocator {
    using value_type = T;

    TBigBlockAllocator() = default;
    template <class U>
    TBigBlockAllocator(const TBigBlockAllocator<U> &) noexcept
    {
    }

    T *allocate(size_t n)
    {
        if (n > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        size_t bytes = n * sizeof(T);
        if (bytes < BigBlockBytes)
            return std::allocator<T>().allocate(n);
        return static_cast<T *>(AllocateBigBlock(bytes));
    }
    // n is what allocate was given, so both take the same branch.
    void deallocate(T *p, size_t n) noexcept
    {
        size_t bytes = n * sizeof(T);
        if (bytes < BigBlockBytes)
            std::allocator<T>().deallocate(p, n);
        else
            FreeBigBlock(p, BigBlockSize(bytes));
    }

    template <class U>
    void construct(U *p)
    {
        if (!AdoptingConstructed)
            ::new (static_cast<void *>(p)) U();
    }
    template <class U, class... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const TBigBlockAllocator<U> &) const noexcept
    {
        return true;
    }
};

// Makes list n elements long, where the elements from its size up to n were
// already constructed in its capacity by the caller (with placement new,
// possibly on several threads at once, so that each thread first touches the
// pages it fills). n must not exceed the capacity, so nothing moves.
template <class T>
void AdoptConstructed(std::vector<T, TBigBlockAllocator<T>> &list, size_t n)
{
    if (n > list.capacity())
        throw std::logic_error("AdoptConstructed beyond the capacity");
    AdoptingConstructed = true;
    list.resize(n);
    AdoptingConstructed = false;
}
