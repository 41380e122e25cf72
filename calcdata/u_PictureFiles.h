#pragma once
// Picture files: any image the installed image plug-ins read, or a calculator grob file, in; a
// calculator picture out as a grob file or a PNG image. Failures are typed exceptions whose reason
// says in plain words what was wrong.
#include <QImage>
#include <QStringList>

// The picture in FileName as it stands: a ".grb" file (extension in any case) black on white, any
// other through the image plug-ins. Raises EErrorLoading ("Error while loading file" and the
// reason) when the file is missing, not a regular file, unreadable or not a picture.
QImage ReadPictureFile(const QString &FileName);

// The picture dialog's filter, in the program's "description|patterns|…" form: every picture
// together first, then GrobFilter's entries (grob files, bitmaps), then each further image format
// the plug-ins read on its own, then all files.
QString PictureFilter(const QString &GrobFilter);

// The complete grob file of a calculator picture (every pixel not white is set).
QByteArray GrobFileBytes(const QImage &Picture);

// Writes Picture to FileName: a PNG image when the name ends in ".png" (any case), else a grob
// file. The file is replaced only once complete. Raises EErrorSaving with the reason.
void WritePictureFile(const QImage &Picture, const QString &FileName);
