#pragma once
// The icons and the type column of the program's file dialogs, told from the file name alone.
// Qt's own provider reads the start of every file in the folder to tell its type, on the window's
// thread: a file that never answers a read (/proc/kmsg, a file on a hung network share) froze the
// whole program, and a folder of large files on a slow disk made the dialog crawl.
#include <QFileIconProvider>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>

class TFileTypesByName : public QFileIconProvider {
public:
    QIcon icon(const QFileInfo &Info) const override;
    QString type(const QFileInfo &Info) const override;
    using QFileIconProvider::icon;

private:
    QMimeDatabase FTypes;
    // Finding a type's icon in the desktop theme tries many files; a folder of many files of a few
    // types looks each type up once. The dialog asks from its file-reading thread too.
    mutable QMutex FIconsLock;
    mutable QHash<QString, QIcon> FIcons;
};
