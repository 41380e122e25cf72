// One grob object read out of a document image, as the TGV reader does, then drawn to a bitmap.
#include "u_HPNibs.h"
#include "u_TGrob.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    TNibbleReader image(QByteArrayView(Data, qsizetype(Size)));
    // The input is a grob object: the reader stands after its 5-nibble prolog, in mid-byte.
    image.Number5();
    TGrob grob;
    grob.ReadFrom(image);
    // The copy holds no more than the input's bytes behind a grob file header.
    if (grob.FData.size() > qsizetype(Size) + GrobRowsOffset || image.NibblePos() > 2 * qsizetype(Size))
        std::abort();
    // Sizes no data could fill only cost time: the drawing is tried for what the input can hold.
    if (qint64(grob.FWidth) * grob.FHeight > 8 * qint64(Size) + 64)
        return 0;
    const QImage bitmap = grob.ToBitmap();
    if (!bitmap.isNull() && (bitmap.width() != grob.FWidth || bitmap.height() != grob.FHeight))
        std::abort();
    grob.Pixel(grob.FWidth - 1, grob.FHeight - 1);
    return 0;
}
