// A growable byte buffer for whole files. Large buffers are backed by pages that
// the kernel may serve as huge pages, which keeps reading and writing big fonts
// from spending their time in page faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

class TByteBuffer {
public:
    TByteBuffer() = default;
    ~TByteBuffer();
    TByteBuffer(TByteBuffer &&other) noexcept;
    TByteBuffer &operator=(TByteBuffer &&other) noexcept;
    TByteBuffer(const TByteBuffer &) = delete;
    TByteBuffer &operator=(const TByteBuffer &) = delete;

    // Makes room for at least n bytes in all without changing the contents.
    void reserve(size_t n);
    // Sets the size to n; bytes past the old size are unspecified until written.
    void resize(size_t n);

    // Appending nothing is allowed on an empty buffer, which has no memory yet.
    void append(std::string_view text)
    {
        if (text.empty())
            return;
        if (Size + text.size() > Capacity)
            grow(Size + text.size());
        std::memcpy(Data + Size, text.data(), text.size());
        Size += text.size();
    }
    void append(size_t count, char c)
    {
        if (count == 0)
            return;
        if (Size + count > Capacity)
            grow(Size + count);
        std::memset(Data + Size, c, count);
        Size += count;
    }
    void push_back(char c)
    {
        if (Size == Capacity)
            grow(Size + 1);
        Data[Size++] = c;
    }

    // Makes n more bytes part of the buffer and returns where they start, for the
    // caller to fill.
    char *grab(size_t n)
    {
        if (Size + n > Capacity)
            grow(Size + n);
        char *p = Data + Size;
        Size += n;
        return p;
    }

    void clear() { Size = 0; }

    // Maps every page of the capacity now, in one system call, rather than one
    // page fault at a time as they are first written. For a buffer about to be
    // filled whole. Only a hint; never fails.
    void prefault();

    char *data() { return Data; }
    const char *data() const { return Data; }
    size_t size() const { return Size; }
    size_t capacity() const { return Capacity; }
    std::string_view view() const { return {Data, Size}; }
    operator std::string_view() const { return view(); }

private:
    void grow(size_t atLeast);

    char *Data = nullptr;
    size_t Size = 0;
    size_t Capacity = 0;
};


// Pieces of the text of BDF files; every line ends with CR LF.
void AppendDecimal(TByteBuffer &out, int64_t value);
void AppendLine(TByteBuffer &out, std::string_view text);
// keyword, then each value in decimal after a blank, then the line's end.
void AppendNumbers(TByteBuffer &out, std::string_view keyword, std::initializer_list<int64_t> values);
