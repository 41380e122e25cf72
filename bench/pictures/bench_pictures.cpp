// Converting a photograph to a calculator picture, as Insert Grob's picture step, pasting an image
// and `quillo --grob` do: a 4000 × 3000 photo down to the calculator screen's width, each way.
#include "u_PictureConvert.h"

#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int Runs = 5;

// Smooth colour gradients with some texture, as a camera gives them.
QImage Photo(int W, int H)
{
    QImage image(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < W; ++x)
            line[x] = qRgb((x * 255 / W + (x * y) % 17) & 255, (y * 255 / H) & 255, ((x + y) * 3 / 7 + (x ^ y) % 13) & 255);
    }
    return image;
}
} // namespace

int main()
{
    const QImage photo = Photo(4000, 3000);
    const QSize size = DefaultPictureSize(photo.size());
    std::printf("picture conversion: 4000 x 3000 RGB photo to %d x %d (best of %d)\n", size.width(), size.height(), Runs);
    const struct {
        const char *Name;
        TDither Dither;
    } ways[] = {{"threshold", TDither::None}, {"Floyd-Steinberg", TDither::FloydSteinberg}, {"ordered 4x4", TDither::Ordered}};
    for (const auto &way : ways) {
        qint64 best = std::numeric_limits<qint64>::max();
        int black = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer t;
            t.start();
            const QImage picture = ConvertPicture(photo, {size, way.Dither, 50, false});
            best = std::min(best, t.nsecsElapsed());
            black = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    black += picture.pixelIndex(x, y);
        }
        std::printf("  %-16s %7.1f ms  (%d of %d pixels black)\n", way.Name, best / 1e6, black, size.width() * size.height());
    }
    // A photo with an alpha channel takes the conversion to 32-bit ARGB first.
    const QImage premultiplied = photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer t;
    t.start();
    ConvertPicture(premultiplied, {size, TDither::FloydSteinberg, 50, false});
    std::printf("  %-16s %7.1f ms\n", "premultiplied", t.nsecsElapsed() / 1e6);
    return 0;
}
