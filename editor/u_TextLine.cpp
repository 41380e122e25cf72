#include "u_TextLine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

static_assert(sizeof(TALine) == 16, "a line stays small: documents hold millions of them");

namespace {
bool AnySet(QByteArrayView Attrs)
{
    return std::any_of(Attrs.begin(), Attrs.end(), [](char c) { return c != 0; });
}
} // namespace

TALine::TALine(QByteArrayView Chars, QByteArrayView Attrs)
{
    Compose({{Chars, Attrs}});
}

TALine::TALine(const TALine &Other)
{
    *this = Other;
}

TALine::TALine(TALine &&Other) noexcept : FInfo(Other.FInfo)
{
    std::memcpy(FStore, Other.FStore, sizeof FStore);
    Other.FInfo = 0;
}

TALine &TALine::operator=(const TALine &Other)
{
    if (this != &Other)
        Compose({{Other.CharsView(), Other.AttrsView()}});
    return *this;
}

TALine &TALine::operator=(TALine &&Other) noexcept
{
    if (this != &Other) {
        Free();
        FInfo = Other.FInfo;
        std::memcpy(FStore, Other.FStore, sizeof FStore);
        Other.FInfo = 0;
    }
    return *this;
}

char *TALine::HeapPointer() const
{
    char *p;
    std::memcpy(&p, FStore + PointerAt, sizeof p);
    return p;
}

const char *TALine::Data() const
{
    return (FInfo & (HeapBit | SharedBit)) ? HeapPointer() : reinterpret_cast<const char *>(FStore);
}

void TALine::Free()
{
    if (FInfo & HeapBit)
        std::free(HeapPointer());
    FInfo = 0;
}

void TALine::Assign(QByteArrayView Chars, QByteArrayView Attrs)
{
    Compose({{Chars, Attrs}});
}

void TALine::Splice(qsizetype At, qsizetype Count, QByteArrayView Chars, QByteArrayView Attrs)
{
    const QByteArrayView c = CharsView(), a = AttrsView();
    const qsizetype end = At + Count;
    Compose({{c.first(At), a.isEmpty() ? a : a.first(At)},
             {Chars, Attrs},
             {c.sliced(end), a.isEmpty() ? a : a.sliced(end)}});
}

void TALine::SetAttrs(qsizetype At, QByteArrayView Attrs)
{
    const QByteArrayView c = CharsView(), a = AttrsView();
    const qsizetype end = At + Attrs.size();
    Compose({{c.first(At), a.isEmpty() ? a : a.first(At)},
             {c.sliced(At, Attrs.size()), Attrs},
             {c.sliced(end), a.isEmpty() ? a : a.sliced(end)}});
}

void TALine::Share(const char *Block, qsizetype Length, bool Styled)
{
    if (Length > qsizetype(LengthMask))
        throw std::bad_alloc();
    Free();
    FInfo = uint32_t(Length) | (Styled ? StyledBit : 0) | SharedBit;
    std::memcpy(FStore + PointerAt, &Block, sizeof Block);
}

void TALine::Compose(std::initializer_list<TPart> Parts)
{
    // The parts may point into this line's own bytes: the new block is complete before the old one
    // goes.
    qsizetype length = 0;
    bool styled = false;
    for (const TPart &p : Parts) {
        length += p.Chars.size();
        styled = styled || AnySet(p.Attrs.first(std::min(p.Attrs.size(), p.Chars.size())));
    }
    if (length > qsizetype(LengthMask))
        throw std::bad_alloc();
    const qsizetype size = styled ? 2 * length : length;
    unsigned char local[InlineBytes] = {};
    char *block = size <= InlineBytes ? reinterpret_cast<char *>(local) : static_cast<char *>(std::malloc(size_t(size)));
    if (!block)
        throw std::bad_alloc();
    char *c = block;
    char *a = block + length;
    for (const TPart &p : Parts) {
        if (p.Chars.isEmpty())
            continue;
        std::memcpy(c, p.Chars.data(), size_t(p.Chars.size()));
        c += p.Chars.size();
        if (styled) {
            // A part with fewer attributes than characters reads 0 for the rest.
            const qsizetype n = std::min(p.Attrs.size(), p.Chars.size());
            if (n > 0)
                std::memcpy(a, p.Attrs.data(), size_t(n));
            std::memset(a + n, 0, size_t(p.Chars.size() - n));
            a += p.Chars.size();
        }
    }
    Free();
    FInfo = uint32_t(length) | (styled ? StyledBit : 0);
    if (size <= InlineBytes) {
        std::memcpy(FStore, local, sizeof FStore);
    } else {
        FInfo |= HeapBit;
        std::memcpy(FStore + PointerAt, &block, sizeof block);
    }
}
