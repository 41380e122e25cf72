#include "u_LargePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void AdviseLargePages(const void *Data, std::size_t Size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only whole large pages inside the buffer can be advised; below a few of them it is not worth
    // a system call.
    constexpr std::uintptr_t LargePage = std::uintptr_t(2) << 20;
    if (Size < 4 * LargePage)
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
