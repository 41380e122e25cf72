#pragma once
// While a TQuietImageIo exists, the image codecs' own remarks ("libpng warning: …", "libpng error: …",
// Qt's image I/O notes) are kept from standard error: the program reports a picture it cannot read or
// write itself, in its own words. Every other message passes on unchanged. For the GUI thread only.
#include <QtGlobal>

class TQuietImageIo {
public:
    TQuietImageIo();
    ~TQuietImageIo();
    TQuietImageIo(const TQuietImageIo &) = delete;
    TQuietImageIo &operator=(const TQuietImageIo &) = delete;

private:
    QtMessageHandler FPrevious;
};
