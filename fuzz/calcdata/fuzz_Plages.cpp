// A cell ranges text may come from anywhere an owner takes it: every byte sequence must give a
// bounded list of numbers in range, quickly, and a text without digits or separators gives none.
#include "u_TableChoice.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(Data), qsizetype(Size));
    const std::vector<int> values = ParsePlages(text);
    if (values.size() > size_t(MaxTableCells))
        __builtin_trap();
    for (int v : values)
        if (v < 0 || v > MaxPlagesNumber)
            __builtin_trap();
    bool meaningful = false;
    for (QChar c : text)
        meaningful = meaningful || c.isDigit() || c == u';';
    if (!meaningful && !values.empty())
        __builtin_trap();
    return 0;
}
