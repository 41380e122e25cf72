// Draws SVG icons as PNG files of the given sizes, for the icon theme folders of the package:
//   svg2png OUTDIR ICON.svg... -- SIZE...   writes OUTDIR/SIZExSIZE/<icon>.png
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const qsizetype separator = arguments.indexOf(QStringLiteral("--"));
    if (arguments.size() < 4 || separator < 2) {
        std::fputs("usage: svg2png OUTDIR ICON.svg... -- SIZE...\n", stderr);
        return 2;
    }
    const QString outDir = arguments[0];
    for (const QString &sizeText : arguments.mid(separator + 1)) {
        const int size = sizeText.toInt();
        for (const QString &svg : arguments.mid(1, separator - 1)) {
            QImageReader reader(svg);
            reader.setScaledSize(QSize(size, size));
            const QImage image = reader.read();
            const QString folder = QStringLiteral("%1/%2x%2").arg(outDir).arg(size);
            const QString out = folder + u'/' + QFileInfo(svg).completeBaseName() + QStringLiteral(".png");
            if (image.isNull() || !QDir().mkpath(folder) || !image.save(out)) {
                std::fprintf(stderr, "svg2png: cannot draw %s at %d pixels: %s\n", qPrintable(svg), size,
                             qPrintable(reader.errorString()));
                return 1;
            }
        }
    }
    return 0;
}
