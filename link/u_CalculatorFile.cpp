#include "u_CalculatorFile.h"

#include "u_Errors.h"
#include "u_FileChecks.h"
#include "u_HPNibs.h"
#include "u_ResourceStrings.h"

#include <QFile>
#include <QFileInfo>

QByteArray AdaptCalculatorHeader(QByteArray File, int Calculator)
{
    // The object itself is the same for both models; only the header names the model it is for.
    const QByteArray hp48 = QByteArray(HeaderHP48).left(6);
    const QByteArray hp49 = QByteArray(HeaderHP49).left(6);
    if (File.size() <= HeaderLength || !(File.startsWith(hp48) || File.startsWith(hp49)))
        return File;
    if (Calculator == CalculatorHP49) {
        File[5] = '9';
        File[7] = 'X';
    } else if (Calculator == CalculatorHP48) {
        File[5] = '8';
        File[7] = 'C';
    }
    return File;
}

namespace {
QString CannotOpen(const QString &Path, const QString &Reason)
{
    return ResString(TResId::sCannotOpenFile).arg(Path) + QLatin1Char('\n') + Reason;
}
} // namespace

QString CalculatorFileProblem(const QString &Path)
{
    const QString problem = RegularFileProblem(Path);
    if (!problem.isEmpty())
        return CannotOpen(Path, problem);
    if (QFileInfo(Path).size() > LargestCalculatorFile)
        return CannotOpen(Path, ResString(TResId::sFileTooLargeForCalculator));
    return QString();
}

QByteArray LoadFileForCalculator(const QString &Path, int Calculator)
{
    const QString problem = CalculatorFileProblem(Path);
    if (!problem.isEmpty())
        throw EFileError(problem);
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(CannotOpen(Path, CannotReadReason(file.errorString())));
    // The file may have grown since it was looked at: one byte past the limit is enough to know.
    const QByteArray bytes = file.read(LargestCalculatorFile + 1);
    if (file.error() != QFileDevice::NoError)
        throw EFileError(CannotOpen(Path, CannotReadReason(file.errorString())));
    if (bytes.size() > LargestCalculatorFile)
        throw EFileError(CannotOpen(Path, ResString(TResId::sFileTooLargeForCalculator)));
    return AdaptCalculatorHeader(bytes, Calculator);
}
