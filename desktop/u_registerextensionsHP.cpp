#include "u_registerextensionsHP.h"

#include "u_QuilloIcons.h"
#include "u_ResourceStrings.h"
#include "u_registerextensions.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
struct TFileType {
    const char *Ext;
    TResId Description;
    TQuilloIcon Icon;
};

// T49 documents are TGV documents for the HP49 and share the TGV icon.
constexpr TFileType FileTypes[] = {
    {"XV", TResId::sXViewFileType, TQuilloIcon::XView},
    {"TGV", TResId::sTgvHP48FileType, TQuilloIcon::Tgv},
    {"EDEN", TResId::sEdenFileType, TQuilloIcon::Eden},
    {"T49", TResId::sTgvHP49FileType, TQuilloIcon::Tgv},
    {"HP49", TResId::sHP49FileType, TQuilloIcon::HP49},
};

// Starts Program on Arguments and does not wait for it: start-up goes on while the caches are rebuilt.
void StartDetached(const QString &Program, const QStringList &Arguments)
{
    const QString path = QStandardPaths::findExecutable(Program);
    if (path.isEmpty())
        return;
    QProcess tool;
    tool.setProgram(path);
    tool.setArguments(Arguments);
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.startDetached();
}

void RefreshDesktopDatabases(const QStringList &Changed, const QString &DataHome)
{
    const auto changedUnder = [&](const QString &Folder) {
        for (const QString &path : Changed)
            if (path.startsWith(DataHome + Folder + u'/'))
                return true;
        return false;
    };
    if (changedUnder(QStringLiteral("/mime")))
        StartDetached(QStringLiteral("update-mime-database"), {DataHome + QStringLiteral("/mime")});
    if (changedUnder(QStringLiteral("/applications")))
        StartDetached(QStringLiteral("update-desktop-database"), {DataHome + QStringLiteral("/applications")});
    // Only a cache that exists already needs rebuilding; creating one would hide the icons other
    // programs install later without rebuilding it.
    const QString hicolor = DataHome + QStringLiteral("/icons/hicolor");
    if (changedUnder(QStringLiteral("/icons")) && QFileInfo::exists(hicolor + QStringLiteral("/icon-theme.cache")))
        StartDetached(QStringLiteral("gtk-update-icon-cache"), {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("-t"), hicolor});
}
} // namespace

bool SystemMapsFileTypes(const QString &AppId)
{
    const Tregisterext names(AppId, QString(), QString(), QString());
    QStringList types;
    for (const TFileType &type : FileTypes)
        types << names.MimeTypeOf(QString::fromLatin1(type.Ext) + QStringLiteral("file"));

    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        if (folder == userData)
            continue;
        QFile entry(folder + QStringLiteral("/applications/%1.desktop").arg(AppId));
        QFile package(folder + QStringLiteral("/mime/packages/%1.xml").arg(AppId));
        if (!entry.open(QIODevice::ReadOnly) || !package.open(QIODevice::ReadOnly))
            continue;
        QStringList listed;
        for (const QByteArray &line : entry.readAll().split('\n'))
            if (line.startsWith("MimeType="))
                listed = QString::fromUtf8(line.mid(9)).trimmed().split(u';', Qt::SkipEmptyParts);
        const QString defined = QString::fromUtf8(package.readAll());
        bool all = true;
        for (const QString &type : types)
            all = all && listed.contains(type) && defined.contains(QStringLiteral("type=\"%1\"").arg(type));
        if (all)
            return true;
    }
    return false;
}

bool RegisterFileTypes(const QString &AppPath, bool RefreshDatabases)
{
    const QString dataHome = Tregisterext::DefaultDataHome();
    const QString configHome = Tregisterext::DefaultConfigHome();
    if (dataHome.isEmpty() || configHome.isEmpty())
        return false;
    const QString appId = QFileInfo(AppPath).fileName().section(u'.', 0, 0);
    if (SystemMapsFileTypes(appId))
        return false;

    QStringList changed;
    {
        Tregisterext registry(appId, ResString(TResId::sAppTitle), dataHome, configHome);
        registry.RegisterAppIcon(QuilloIconPath(TQuilloIcon::Program));
        // The files reach the program on its command line, and it hands them to the running
        // instance as these open requests.
        const QString command = u'"' + AppPath + u'"';
        for (const TFileType &type : FileTypes) {
            const QString ext = QString::fromLatin1(type.Ext);
            registry.RegisterExtension(ext, QString(), ResString(type.Description), QuilloIconPath(type.Icon), true);
            registry.RegisterVerb(ext, QStringLiteral("Open"), command, true, QStringLiteral("[open(\"%1\")]"),
                                  QString(), QString(), QString());
        }
        changed = registry.Flush();
    }
    if (RefreshDatabases && !changed.isEmpty())
        RefreshDesktopDatabases(changed, dataHome);
    return !changed.isEmpty();
}
