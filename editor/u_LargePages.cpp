#include "u_LargePages.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {
constexpr std::size_t LargePage = std::size_t(2) << 20;
// Below a few large pages the rounding would waste more than the faults cost.
constexpr std::size_t LargeFrom = 4 * LargePage;
} // namespace

void AdviseLargePages(const void *Data, std::size_t Size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (Size < LargeFrom)
        return;
    const auto from = (reinterpret_cast<std::uintptr_t>(Data) + LargePage - 1) & ~(LargePage - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(Data) + Size) & ~(LargePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
#else
    (void)Data;
    (void)Size;
#endif
}

void *AllocateLarge(std::size_t Size)
{
    void *data = nullptr;
    if (Size >= LargeFrom) {
        const std::size_t whole = (Size + LargePage - 1) & ~(LargePage - 1);
        data = std::aligned_alloc(LargePage, whole);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (data)
            madvise(data, whole, MADV_HUGEPAGE);
#endif
    } else {
        data = std::malloc(Size ? Size : 1);
    }
    if (!data)
        throw std::bad_alloc();
    return data;
}

void TFreeLarge::operator()(void *Data) const
{
    std::free(Data);
}

TLargeBuffer::TLargeBuffer(QByteArrayView Bytes)
{
    Resize(Bytes.size());
    if (FSize)
        std::memcpy(FData.get(), Bytes.data(), std::size_t(FSize));
}

void TLargeBuffer::Reserve(qsizetype Capacity)
{
    if (Capacity <= FCapacity)
        return;
    std::unique_ptr<char, TFreeLarge> data(static_cast<char *>(AllocateLarge(std::size_t(Capacity))));
    if (FSize)
        std::memcpy(data.get(), FData.get(), std::size_t(FSize));
    FData = std::move(data);
    FCapacity = Capacity;
}

void TLargeBuffer::Resize(qsizetype Size)
{
    if (Size > FCapacity)
        Reserve(std::max(Size, FCapacity + FCapacity / 2));
    FSize = Size;
}
