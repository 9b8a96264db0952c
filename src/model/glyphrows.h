// The bitmap rows of one glyph: a vector of 64-bit rows that keeps up to
// InlineRows of them inside the glyph itself. Most bitmap fonts for small
// devices are at most 16 pixels tall, so their glyphs need no allocation of
// their own: a font is then one block of memory, which a big font reads,
// copies and frees much faster than tens of thousands of small blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <vector>

class TGlyphRows {
public:
    static constexpr uint32_t InlineRows = 16;

    using value_type = uint64_t;
    using size_type = size_t;
    using iterator = uint64_t *;
    using const_iterator = const uint64_t *;

    TGlyphRows() noexcept {}
    TGlyphRows(size_t n, uint64_t value) { assign(n, value); }
    TGlyphRows(std::initializer_list<uint64_t> rows) { assign(rows.begin(), rows.end()); }
    TGlyphRows(const TGlyphRows &other) { assign(other.begin(), other.end()); }
    TGlyphRows(TGlyphRows &&other) noexcept { take(other); }
    ~TGlyphRows() { release(); }

    TGlyphRows &operator=(const TGlyphRows &other)
    {
        if (this != &other)
            assign(other.begin(), other.end());
        return *this;
    }
    TGlyphRows &operator=(TGlyphRows &&other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    TGlyphRows &operator=(std::initializer_list<uint64_t> rows)
    {
        assign(rows.begin(), rows.end());
        return *this;
    }

    size_t size() const { return Size; }
    bool empty() const { return Size == 0; }
    size_t capacity() const { return Capacity; }
    uint64_t *data() { return onHeap() ? Heap : Inline; }
    const uint64_t *data() const { return onHeap() ? Heap : Inline; }
    iterator begin() { return data(); }
    iterator end() { return data() + Size; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + Size; }
    uint64_t &operator[](size_t i) { return data()[i]; }
    uint64_t operator[](size_t i) const { return data()[i]; }
    uint64_t &front() { return data()[0]; }
    uint64_t front() const { return data()[0]; }
    uint64_t &back() { return data()[Size - 1]; }
    uint64_t back() const { return data()[Size - 1]; }

    void reserve(size_t n)
    {
        if (n <= Capacity)
            return;
        if (n > MaxRows)
            throw std::bad_alloc();
        uint64_t *fresh = static_cast<uint64_t *>(::operator new(n * sizeof(uint64_t)));
        std::memcpy(fresh, data(), Size * sizeof(uint64_t));
        if (onHeap())
            ::operator delete(Heap);
        Heap = fresh;
        Capacity = static_cast<uint32_t>(n);
    }
    void clear() { Size = 0; }
    void push_back(uint64_t row)
    {
        if (Size == Capacity)
            reserve(grown(Size + size_t{1}));
        data()[Size++] = row;
    }
    // Rows past the old size become value; rows past n are dropped.
    void resize(size_t n, uint64_t value = 0)
    {
        if (n > Size) {
            reserve(n);
            std::fill(data() + Size, data() + n, value);
        }
        Size = static_cast<uint32_t>(n);
    }
    void assign(size_t n, uint64_t value)
    {
        Size = 0;
        resize(n, value);
    }
    template <class It>
    void assign(It first, It last)
    {
        const size_t n = static_cast<size_t>(std::distance(first, last));
        Size = 0;
        reserve(n);
        std::copy(first, last, data());
        Size = static_cast<uint32_t>(n);
    }
    // Inserts [first, last), which must not lie in these rows.
    template <class It>
    iterator insert(const_iterator pos, It first, It last)
    {
        const size_t at = static_cast<size_t>(pos - begin());
        const size_t n = static_cast<size_t>(std::distance(first, last));
        if (Size + n > Capacity)
            reserve(Size == 0 ? n : grown(Size + n));
        uint64_t *d = data();
        std::memmove(d + at + n, d + at, (Size - at) * sizeof(uint64_t));
        std::copy(first, last, d + at);
        Size = static_cast<uint32_t>(Size + n);
        return d + at;
    }
    iterator erase(const_iterator pos)
    {
        const size_t at = static_cast<size_t>(pos - begin());
        uint64_t *d = data();
        std::memmove(d + at, d + at + 1, (Size - at - 1) * sizeof(uint64_t));
        --Size;
        return d + at;
    }

    friend bool operator==(const TGlyphRows &a, const TGlyphRows &b)
    {
        return a.Size == b.Size && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const TGlyphRows &a, const std::vector<uint64_t> &b)
    {
        return a.Size == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

private:
    // Rows are counted in 32 bits; more would take 32 GiB anyway.
    static constexpr size_t MaxRows = UINT32_MAX;

    bool onHeap() const { return Capacity > InlineRows; }
    // The capacity to grow to for atLeast rows, with room for more to come.
    static size_t grown(size_t atLeast)
    {
        if (atLeast > MaxRows)
            throw std::bad_alloc();
        return std::min(MaxRows, std::max({atLeast, 2 * size_t{InlineRows}, atLeast + atLeast / 2}));
    }
    void release() noexcept
    {
        if (onHeap())
            ::operator delete(Heap);
    }
    // Takes other's rows and leaves it empty; this holds nothing on entry.
    void take(TGlyphRows &other) noexcept
    {
        Size = other.Size;
        Capacity = other.Capacity;
        if (other.onHeap())
            Heap = other.Heap;
        else
            std::memcpy(Inline, other.Inline, Size * sizeof(uint64_t));
        other.Size = 0;
        other.Capacity = InlineRows;
    }

    uint32_t Size = 0;
    uint32_t Capacity = InlineRows;
    // Rows past Size are never read; Heap starts null only so that no compiler
    // takes the choice between Heap and Inline for a read of either.
    union {
        uint64_t *Heap = nullptr;
        uint64_t Inline[InlineRows];
    };
};
