#pragma once
// Where a writer puts a file's bytes: either all of them kept in memory, or handed on piece by
// piece as they are made, so that saving a large document never holds a second copy of it.
#include "u_FileChecks.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

class TByteOut {
public:
    // Keeps every byte, for Take(); Expected is a guess at how many there will be.
    explicit TByteOut(qsizetype Expected);
    // Hands the bytes to Put in pieces of about a megabyte, the last one from Finish().
    explicit TByteOut(TBytePut Put);

    void Append(QByteArrayView Bytes)
    {
        if (FUsed + Bytes.size() > FCapacity)
            MakeRoom(Bytes.size());
        std::memcpy(FData + FUsed, Bytes.data(), size_t(Bytes.size()));
        FUsed += Bytes.size();
    }
    void Append(char C)
    {
        if (FUsed == FCapacity)
            MakeRoom(1);
        FData[FUsed++] = C;
    }

    // Hands on what is left; how many bytes there were in all.
    qint64 Finish();
    // The bytes kept.
    QByteArray Take();

private:
    void MakeRoom(qsizetype N);

    QByteArray FBuffer;
    char *FData = nullptr;
    qsizetype FUsed = 0, FCapacity = 0;
    qint64 FHandedOn = 0;
    TBytePut FPut;
};
