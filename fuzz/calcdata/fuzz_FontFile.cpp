// Grob and font files as read from disk: the whole-file read, the kind from the length, and the
// glyph strip built in one of the styles.
#include "u_Errors.h"
#include "u_TGrob.h"

#include <QTemporaryFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static QTemporaryFile *file = [] {
        auto *f = new QTemporaryFile;
        f->open();
        return f;
    }();
    file->resize(0);
    file->seek(0);
    file->write(reinterpret_cast<const char *>(Data), qint64(Size));
    file->flush();
    try {
        FontFileKind(file->fileName());
        TGrob grob;
        grob.LoadFromFile(file->fileName());
        // Sizes no data could fill only cost time: the drawing is tried for what the file holds.
        if (qint64(grob.FWidth) * grob.FHeight > 8 * qint64(Size) + 64)
            return 0;
        grob.ToBitmap();
        TGrobFont font;
        font.BuildFromGrob(grob, Size ? uint8_t(Data[Size - 1] % 24) | (Size > 1 ? Data[Size - 2] & 0xE0 : 0) : 0);
    } catch (const EError &) {
    }
    return 0;
}
