#pragma once
// A document file, its text and its lines each fill buffers of many megabytes, written once from
// start to end. Every first touch of a small memory page costs a fault, and those faults can cost
// more than all the work done in the buffer (tens of microseconds each on some virtual machines).
// Large buffers therefore start on a large page and span whole large pages, and ask for them
// before they are filled: then no part of them is left to small pages. Where the system has no
// large pages they are ordinary memory.
#include <QByteArrayView>

#include <cstddef>
#include <memory>

// Asks for large pages on the untouched buffer Data of Size bytes, for buffers allocated elsewhere:
// only the whole large pages inside it can have them. Small buffers are left alone.
void AdviseLargePages(const void *Data, std::size_t Size);

// Memory for at least Size bytes, to be given back with std::free. Throws std::bad_alloc.
void *AllocateLarge(std::size_t Size);

struct TFreeLarge {
    void operator()(void *Data) const;
};

// Allocates the elements of a container the same way, so a vector of millions of lines is laid
// out in large pages too.
template <typename T>
struct TLargeAllocator {
    using value_type = T;
    TLargeAllocator() = default;
    template <typename U>
    TLargeAllocator(const TLargeAllocator<U> &) noexcept
    {
    }
    T *allocate(std::size_t N) { return static_cast<T *>(AllocateLarge(N * sizeof(T))); }
    void deallocate(T *Data, std::size_t) noexcept { TFreeLarge()(Data); }
    template <typename U>
    bool operator==(const TLargeAllocator<U> &) const noexcept
    {
        return true;
    }
};

// A byte buffer of that kind: filled once, then read. Growing past its capacity moves the bytes.
class TLargeBuffer {
public:
    TLargeBuffer() = default;
    // Size bytes, undefined.
    explicit TLargeBuffer(qsizetype Size) { Resize(Size); }
    explicit TLargeBuffer(QByteArrayView Bytes);

    char *Data() { return FData.get(); }
    const char *Data() const { return FData.get(); }
    qsizetype Size() const { return FSize; }
    bool IsEmpty() const { return FSize == 0; }
    QByteArrayView View() const { return QByteArrayView(FData.get(), FSize); }
    operator QByteArrayView() const { return View(); }

    // The bytes up to Size are kept; new ones are undefined.
    void Resize(qsizetype Size);
    void Reserve(qsizetype Capacity);
    void Clear() { Resize(0); }

private:
    std::unique_ptr<char, TFreeLarge> FData;
    qsizetype FSize = 0;
    qsizetype FCapacity = 0;
};
