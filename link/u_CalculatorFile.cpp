#include "u_CalculatorFile.h"

#include "u_Errors.h"
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

QByteArray LoadFileForCalculator(const QString &Path, int Calculator)
{
    QFile file(Path);
    if (QFileInfo(Path).isDir() || !file.open(QIODevice::ReadOnly))
        throw EFileError(ResString(TResId::sCannotOpenFile).arg(Path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(ResString(TResId::sCannotOpenFile).arg(Path));
    return AdaptCalculatorHeader(bytes, Calculator);
}
