// TGV files: the header test, the string, the grobs after it and the walk over the string's codes.
#include "u_DocFormats.h"
#include "u_Errors.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArrayView data(Data, qsizetype(Size));
    if (!IsTgvFile(data))
        return 0;
    TReadDocument doc;
    try {
        ReadTgv(data, doc);
    } catch (const EErrorLoading &) {
        return 0;
    }
    if (doc.Text.Size() != doc.Attrs.Size() || doc.Text.Size() > data.size())
        std::abort();
    qsizetype last = 0;
    for (const TReadDocument::TPictureAt &p : doc.Pictures) {
        // Every picture shown exists, in order of the text it follows.
        if (p.At < last || p.At > doc.Text.Size() || p.Entry < 0 || size_t(p.Entry) >= doc.Bitmaps.size()
            || doc.Bitmaps[size_t(p.Entry)].isNull())
            std::abort();
        last = p.At;
    }
    return 0;
}
