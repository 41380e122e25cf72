#include "u_DocumentExport.h"

#include "u_DocumentPainter.h"
#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_QuietImageIo.h"
#include "u_ResourceStrings.h"
#include "u_THPDocument.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <vector>

namespace {
[[noreturn]] void FailSaving(const QString &Reason)
{
    throw EErrorSaving(ResString(TResId::sFileErrorwhilesaving), Reason);
}

// The pixel rows of the drawing each page shows, [first, last), cut between lines. A line taller
// than a page (a large picture) is cut where the page ends, as nothing else could show it.
std::vector<std::pair<int, int>> PageRows(const THPDocument &Doc, int PageRows, int TotalRows)
{
    const TDocumentPainter painter(Doc);
    std::vector<std::pair<int, int>> pages;
    int pageTop = 0, lineTop = TDocumentPainter::TopMargin;
    for (int i = 0; i < Doc.LineCount(); ++i) {
        const int lineBottom = lineTop + painter.LineHeight(i);
        while (lineBottom - pageTop > PageRows) {
            const int cut = lineTop > pageTop ? lineTop : pageTop + PageRows;
            pages.emplace_back(pageTop, cut);
            pageTop = cut;
        }
        lineTop = lineBottom;
    }
    if (pageTop < TotalRows || pages.empty())
        pages.emplace_back(pageTop, TotalRows);
    return pages;
}

void WriteImageFile(const QImage &Image, const QString &FileName)
{
    // A name such as "page.bmp" gets a BMP file, not PNG bytes under a misleading name.
    QByteArray format = QFileInfo(FileName).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format))
        format = "png";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const TQuietImageIo quiet;
    if (!writer.write(Image))
        FailSaving(CannotWriteReason(writer.errorString()));
    SaveFileWhole(FileName, bytes);
}

} // namespace

QPageSize::PageSizeId DefaultPageSize()
{
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

void ExportPicture(const THPDocument &Doc, const TExportLook &Look, const QString &FileName)
{
    WriteImageFile(TDocumentPainter(Doc).Render(Look.RightEdge, Look.WithRightEdge), FileName);
}

void ExportPdf(const THPDocument &Doc, const TExportLook &Look, const QString &FileName, const QString &Title,
               QPageSize::PageSizeId PageSize)
{
    TDocumentPainter drawing(Doc);
    const QSize size = drawing.DrawingSize(Look.RightEdge);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setTitle(Title);
        pdf.setCreator(QStringLiteral("Quillo"));
        pdf.setPageSize(QPageSize(PageSize));
        // At 144 dots an inch a calculator pixel (two pixels of the drawing) is one point: about
        // the calculator's own screen size on paper. Margins of whole points (about 15 mm) keep
        // the pixels on the page's own grid, so nothing falls between two of its pixels.
        pdf.setResolution(144);
        pdf.setPageMargins(QMarginsF(42, 42, 42, 42), QPageLayout::Point);
        QPainter painter(&pdf);
        if (!painter.isActive())
            FailSaving(ResString(TResId::sDrawingTooLarge));
        // Stored without loss (never as JPEG) and, scaled, repeated rather than blended: the
        // calculator's pixels stay square and sharp.
        painter.setRenderHint(QPainter::LosslessImageRendering, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QRect area = painter.viewport();
        const int footer = 2 * painter.fontMetrics().height();
        // A drawing wider than the page is made smaller to fit, never larger.
        const double scale = std::min(1.0, double(area.width()) / size.width());
        const int rowsPerPage = std::max(1, int((area.height() - footer) / scale));
        const auto pages = PageRows(Doc, rowsPerPage, size.height());
        for (size_t p = 0; p < pages.size(); ++p) {
            if (p > 0)
                pdf.newPage();
            const auto [first, last] = pages[p];
            // Drawn a page at a time, so that a long document never needs one huge picture. Black,
            // white and the grey of the right-edge line: one byte a pixel is enough.
            const QImage band = drawing.RenderRows(Look.RightEdge, Look.WithRightEdge, size.width(), first, last)
                                    .convertToFormat(QImage::Format_Grayscale8);
            painter.drawImage(QRectF(0, 0, band.width() * scale, band.height() * scale), band);
            painter.drawText(QRect(0, area.height() - footer, area.width(), footer), Qt::AlignHCenter | Qt::AlignBottom,
                             ResString(TResId::sExportPageFooter).arg(Title).arg(p + 1).arg(pages.size()));
        }
    }
    SaveFileWhole(FileName, bytes);
}
