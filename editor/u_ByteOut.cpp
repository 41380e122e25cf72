#include "u_ByteOut.h"

#include "u_LargePages.h"

#include <algorithm>

namespace {
constexpr qsizetype Piece = qsizetype(1) << 20;
} // namespace

TByteOut::TByteOut(qsizetype Expected)
{
    FBuffer.resize(std::max<qsizetype>(Expected, 64));
    AdviseLargePages(FBuffer.constData(), size_t(FBuffer.size()));
    FData = FBuffer.data();
    FCapacity = FBuffer.size();
}

TByteOut::TByteOut(TBytePut Put) : FPut(std::move(Put))
{
    FBuffer.resize(Piece);
    FData = FBuffer.data();
    FCapacity = FBuffer.size();
}

void TByteOut::MakeRoom(qsizetype N)
{
    if (FPut) {
        FPut(QByteArrayView(FData, FUsed));
        FHandedOn += FUsed;
        FUsed = 0;
        if (N <= FCapacity)
            return;
    }
    FBuffer.resize(std::max(FUsed + N, FCapacity + FCapacity / 2));
    FData = FBuffer.data();
    FCapacity = FBuffer.size();
}

qint64 TByteOut::Finish()
{
    if (FPut && FUsed) {
        FPut(QByteArrayView(FData, FUsed));
        FHandedOn += FUsed;
        FUsed = 0;
    }
    return FHandedOn + FUsed;
}

QByteArray TByteOut::Take()
{
    FBuffer.truncate(FUsed);
    FData = nullptr;
    FUsed = FCapacity = 0;
    return std::move(FBuffer);
}
