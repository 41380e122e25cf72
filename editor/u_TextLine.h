#pragma once
// TALine: one line of a document, its calculator characters with one attribute byte each, held
// compactly because a document may have millions of lines.
//
// The line is 16 bytes. Characters and attributes share one block: the characters, then the
// attributes — and the attributes only when one of them is not 0, so plain text costs one byte per
// character. Up to 12 bytes of that block sit inside the line itself, so an empty or short line
// takes no heap block at all. A picture line holds the single character 2 with, as its attribute,
// the picture's slot number.
//
// A line may instead point at bytes a TLineStore holds for many lines at once (a file's lines as
// they are read); the line then never frees or changes them, and any change gives it a block of its
// own.
//
// Lines are changed by the document only; everyone else reads them through the accessors. A view
// of the bytes is valid until the line changes, like any view.
#include "u_LargePages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

class TALine {
public:
    // Bytes a line holds inside itself.
    static constexpr qsizetype InlineBytes = 12;

    TALine() = default;
    // Attrs holds one byte per character, or nothing for a plain line.
    TALine(QByteArrayView Chars, QByteArrayView Attrs);
    TALine(const TALine &Other);
    TALine(TALine &&Other) noexcept;
    TALine &operator=(const TALine &Other);
    TALine &operator=(TALine &&Other) noexcept;
    ~TALine() { Free(); }

    int Length() const { return int(FInfo & LengthMask); }
    bool IsEmpty() const { return Length() == 0; }
    // Character and attribute at 0-based index I (I < Length()).
    uint8_t Char(qsizetype I) const { return uint8_t(Data()[I]); }
    uint8_t Attr(qsizetype I) const { return Styled() ? uint8_t(Data()[Length() + I]) : 0; }
    // Whether some attribute is not 0.
    bool Styled() const { return (FInfo & StyledBit) != 0; }
    bool IsPicture() const { return Length() == 1 && Char(0) == 2; }

    QByteArrayView CharsView() const { return QByteArrayView(Data(), Length()); }
    // Empty for a plain line.
    QByteArrayView AttrsView() const { return Styled() ? QByteArrayView(Data() + Length(), Length()) : QByteArrayView(); }
    QByteArray Chars() const { return CharsView().toByteArray(); }
    // One byte per character, zeros for a plain line.
    QByteArray Attrs() const { return Styled() ? AttrsView().toByteArray() : QByteArray(Length(), '\0'); }
    // Bytes held outside the line itself.
    qsizetype HeapBytes() const { return (FInfo & (HeapBit | SharedBit)) ? BlockSize() : 0; }

    // ---- Changes (the document's operations). Attribute views hold one byte per character, or
    // nothing for attribute 0 throughout.
    void Assign(QByteArrayView Chars, QByteArrayView Attrs);
    // Replaces Count characters from At by Chars.
    void Splice(qsizetype At, qsizetype Count, QByteArrayView Chars, QByteArrayView Attrs);
    void Append(QByteArrayView Chars, QByteArrayView Attrs) { Splice(Length(), 0, Chars, Attrs); }
    void Truncate(qsizetype N) { Splice(N, Length() - N, {}, {}); }
    // The attributes from At take Attrs (as many as it holds).
    void SetAttrs(qsizetype At, QByteArrayView Attrs);
    // The line becomes the Length characters at Block, followed by as many attributes when Styled:
    // bytes of a TLineStore that outlives the line.
    void Share(const char *Block, qsizetype Length, bool Styled);

private:
    static constexpr uint32_t LengthMask = 0x1FFFFFFF;
    static constexpr uint32_t SharedBit = 0x20000000; // the block is a store's
    static constexpr uint32_t StyledBit = 0x40000000;
    static constexpr uint32_t HeapBit = 0x80000000; // the block is the line's own
    static constexpr qsizetype PointerAt = 4; // in FStore: the pointer's bytes end with the line

    struct TPart {
        QByteArrayView Chars, Attrs; // Attrs empty: all 0
    };
    qsizetype BlockSize() const { return Styled() ? 2 * qsizetype(Length()) : Length(); }
    const char *Data() const;
    char *HeapPointer() const;
    void Compose(std::initializer_list<TPart> Parts);
    void Free();

    uint32_t FInfo = 0; // length, styled and heap bits
    unsigned char FStore[InlineBytes] = {};
};

// One block holding the bytes of many lines built together, so that a file of millions of lines
// takes one allocation rather than one per line. Filled from its start; whoever holds lines that
// point into it holds the store as long as them.
class TLineStore {
public:
    explicit TLineStore(qsizetype Capacity) : FData(Capacity) {}
    // A store made of bytes already filled, which lines point into: it has no room left.
    explicit TLineStore(TLargeBuffer &&Filled) : FData(std::move(Filled)), FUsed(FData.Size()) {}
    // Where the next bytes go, and how many still fit.
    char *Tail() { return FData.Data() + FUsed; }
    qsizetype Room() const { return FData.Size() - FUsed; }
    // The next N bytes from Tail() now belong to a line.
    void Use(qsizetype N) { FUsed += N; }

private:
    TLargeBuffer FData;
    qsizetype FUsed = 0;
};

// A document's lines: a file of millions of them fills megabytes, laid out like the other large
// buffers a file fills.
using TLineVector = std::vector<TALine, TLargeAllocator<TALine>>;
