#include "u_registerextensions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>

namespace {
const QString DefaultSection = QStringLiteral("[Default Applications]");
const QString OpenVerb = QStringLiteral("open");

// Desktop entry strings escape backslashes and control characters.
QString EscapeDesktopString(QString Text)
{
    Text.replace(u'\\', QStringLiteral("\\\\"));
    Text.replace(u'\n', QStringLiteral("\\n"));
    Text.replace(u'\r', QStringLiteral("\\r"));
    Text.replace(u'\t', QStringLiteral("\\t"));
    return Text;
}

// One argument of an Exec line: quoted, with the characters that stay special inside quotes escaped,
// and a literal percent sign doubled so that it is not taken for a field code.
QString QuoteExecArgument(QString Argument)
{
    QString quoted;
    for (QChar c : Argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

QString ProgramOf(const QString &Command)
{
    const QStringList parts = QProcess::splitCommand(Command);
    return parts.isEmpty() ? QString() : parts.first();
}

QStringList SplitList(const QString &Value)
{
    QStringList items = Value.split(u';', Qt::SkipEmptyParts);
    for (QString &item : items)
        item = item.trimmed();
    items.removeAll(QString());
    return items;
}

QString JoinList(const QStringList &Items) { return Items.isEmpty() ? QString() : Items.join(u';') + u';'; }

// Sets (or, with no Value, removes) Key in Section of a key file such as mimeapps.list, leaving every
// other line exactly as it was.
QByteArray SetKeyFileValue(const QByteArray &Text, const QString &Section, const QString &Key,
                           const std::optional<QString> &Value)
{
    QStringList lines = QString::fromUtf8(Text).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QString newLine = Value ? Key + u'=' + *Value : QString();

    qsizetype sectionStart = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == Section) {
            sectionStart = i;
            break;
        }
    if (sectionStart < 0) {
        if (!Value)
            return Text;
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << Section << newLine;
        return (lines.join(u'\n') + u'\n').toUtf8();
    }

    qsizetype sectionEnd = sectionStart + 1;
    while (sectionEnd < lines.size() && !lines[sectionEnd].trimmed().startsWith(u'['))
        ++sectionEnd;
    qsizetype lastUsed = sectionStart;
    for (qsizetype i = sectionStart + 1; i < sectionEnd; ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        lastUsed = i;
        if (line.section(u'=', 0, 0).trimmed() != Key)
            continue;
        if (Value)
            lines[i] = newLine;
        else
            lines.removeAt(i);
        return (lines.join(u'\n') + u'\n').toUtf8();
    }
    if (!Value)
        return Text;
    lines.insert(lastUsed + 1, newLine);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

std::optional<QString> KeyFileValue(const QByteArray &Text, const QString &Section, const QString &Key)
{
    bool inSection = false;
    for (const QString &raw : QString::fromUtf8(Text).split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'['))
            inSection = line == Section;
        else if (inSection && line.contains(u'=') && line.section(u'=', 0, 0).trimmed() == Key)
            return line.section(u'=', 1).trimmed();
    }
    return std::nullopt;
}
} // namespace

QString DesktopExecOf(const QString &Command, bool AppendFiles)
{
    QStringList exec;
    bool hasFiles = false;
    for (const QString &part : QProcess::splitCommand(Command)) {
        if (part == QStringLiteral("%1")) {
            exec << QStringLiteral("%f");
            hasFiles = true;
        } else {
            exec << QuoteExecArgument(part);
        }
    }
    if (AppendFiles && !hasFiles)
        exec << QStringLiteral("%F");
    return exec.join(u' ');
}

Tregisterext::Tregisterext(const QString &AppId, const QString &AppName, const QString &DataHome,
                           const QString &ConfigHome)
    : FAppId(AppId.toLower()), FAppName(AppName), FDataHome(QDir::cleanPath(DataHome)),
      FConfigHome(QDir::cleanPath(ConfigHome))
{
}

Tregisterext::~Tregisterext() { Flush(); }

QString Tregisterext::DefaultDataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString Tregisterext::DefaultConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString Tregisterext::MimeTypeOf(const QString &ProgId) const
{
    return QStringLiteral("application/x-%1-%2").arg(FAppId, ProgId.toLower());
}

QString Tregisterext::IconName(const QString &ProgId) const
{
    return MimeTypeOf(ProgId).replace(u'/', u'-');
}

QString Tregisterext::DesktopEntryOf(const QString &Verb) const
{
    if (Verb.compare(OpenVerb, Qt::CaseInsensitive) == 0)
        return FAppId + QStringLiteral(".desktop");
    return QStringLiteral("%1-%2.desktop").arg(FAppId, Verb.toLower());
}

QString Tregisterext::PackagePath(const QString &Ext) const
{
    return QStringLiteral("%1/mime/packages/%2-%3.xml").arg(FDataHome, FAppId, Ext.toLower());
}

QString Tregisterext::ApplicationsFolder() const { return FDataHome + QStringLiteral("/applications"); }

QString Tregisterext::MimeAppsPath() const { return FConfigHome + QStringLiteral("/mimeapps.list"); }

// ---- files, through the pending changes -------------------------------------------------------------

std::optional<QByteArray> Tregisterext::ReadFile(const QString &Path) const
{
    const auto pending = FPending.constFind(Path);
    if (pending != FPending.constEnd())
        return *pending;
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void Tregisterext::WriteFile(const QString &Path, const QByteArray &Content) { FPending[Path] = Content; }

void Tregisterext::RemoveFile(const QString &Path) { FPending[Path] = std::nullopt; }

QStringList Tregisterext::FilesUnder(const QString &Folder) const
{
    QStringList files;
    for (const QFileInfo &info : QDir(Folder).entryInfoList(QDir::Files))
        files << info.filePath();
    for (auto it = FPending.constBegin(); it != FPending.constEnd(); ++it)
        if (QFileInfo(it.key()).path() == Folder && !files.contains(it.key()))
            files << it.key();
    std::sort(files.begin(), files.end());
    return files;
}

QStringList Tregisterext::Flush()
{
    QStringList paths = FPending.keys();
    std::sort(paths.begin(), paths.end());
    QStringList changed;
    for (const QString &path : paths) {
        const std::optional<QByteArray> &wanted = FPending[path];
        QFile current(path);
        if (!wanted) {
            if (current.exists() && current.remove())
                changed << path;
            continue;
        }
        if (current.open(QIODevice::ReadOnly) && current.readAll() == *wanted)
            continue;
        current.close();
        if (!QDir().mkpath(QFileInfo(path).path()))
            continue;
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(*wanted) == wanted->size() && file.commit())
            changed << path;
    }
    FPending.clear();
    return changed;
}

// ---- keys --------------------------------------------------------------------------------------------

QString Tregisterext::ProgIdKeyOf(const QString &Ext) const
{
    const std::optional<QByteArray> package = ReadFile(PackagePath(Ext));
    if (!package)
        return QString();
    QXmlStreamReader xml(*package);
    const QString ownPrefix = QStringLiteral("application/x-%1-").arg(FAppId);
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("mime-info"))
            continue;
        if (xml.name() != QLatin1String("mime-type"))
            break;
        const QString type = xml.attributes().value(QLatin1String("type")).toString();
        if (!type.startsWith(ownPrefix) || type.size() == ownPrefix.size())
            break;
        const QString progId = type.mid(ownPrefix.size());
        // Type names are lower case; the caller's spelling of its own file type is kept.
        if (progId == (Ext + QStringLiteral("file")).toLower())
            return u'\\' + Ext + QStringLiteral("file");
        return u'\\' + progId;
    }
    return QString();
}

void Tregisterext::DeleteKeyTree(const QString &Key)
{
    const QStringList parts = Key.split(u'\\', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return;
    if (parts.size() == 1 && parts[0].startsWith(u'.')) {
        RemoveFile(PackagePath(parts[0].mid(1)));
    } else if (parts.size() == 1) {
        DeleteFileType(parts[0]);
    } else if (parts.size() == 3 && parts[1].compare(QLatin1String("Shell"), Qt::CaseInsensitive) == 0) {
        DeleteVerb(parts[0], parts[2]);
    }
}

void Tregisterext::UnregisterExtension(const QString &Ext)
{
    const QString progIdKey = ProgIdKeyOf(Ext);
    DeleteKeyTree(QStringLiteral("\\.") + Ext);
    if (!progIdKey.isEmpty() && progIdKey.compare(u'\\' + Ext + QStringLiteral("file"), Qt::CaseInsensitive) == 0)
        DeleteKeyTree(progIdKey);
}

void Tregisterext::RegisterExtension(const QString &Ext, const QString &ContentType, const QString &Description,
                                     const QString &IconPath, bool AlwaysShowExt)
{
    Q_UNUSED(AlwaysShowExt);
    UnregisterExtension(Ext);
    const QString progId = Ext + QStringLiteral("file");
    const QString iconName = IconName(progId);
    InstallIcon(IconPath, QStringLiteral("mimetypes"), iconName);

    QByteArray package;
    QXmlStreamWriter xml(&package);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    xml.writeStartElement(QStringLiteral("mime-info"));
    xml.writeStartElement(QStringLiteral("mime-type"));
    xml.writeAttribute(QStringLiteral("type"), MimeTypeOf(progId));
    xml.writeTextElement(QStringLiteral("comment"), Description);
    if (!ContentType.isEmpty()) {
        xml.writeEmptyElement(QStringLiteral("alias"));
        xml.writeAttribute(QStringLiteral("type"), ContentType);
    }
    xml.writeEmptyElement(QStringLiteral("icon"));
    xml.writeAttribute(QStringLiteral("name"), iconName);
    // Above the usual weight: the extension belongs to this program, as a registration on a
    // desktop with a single owner per extension would make it.
    xml.writeEmptyElement(QStringLiteral("glob"));
    xml.writeAttribute(QStringLiteral("pattern"), QStringLiteral("*.") + Ext.toLower());
    xml.writeAttribute(QStringLiteral("weight"), QStringLiteral("60"));
    xml.writeEndDocument();
    WriteFile(PackagePath(Ext), package);
}

void Tregisterext::RemoveVerb(const QString &Ext, const QString &Verb)
{
    const QString progIdKey = ProgIdKeyOf(Ext);
    if (progIdKey.isEmpty())
        return;
    DeleteKeyTree(progIdKey + QStringLiteral("\\Shell\\") + Verb);
}

void Tregisterext::RegisterVerb(const QString &Ext, const QString &Verb, const QString &Command, bool IsDefault,
                                const QString &DdeCommand, const QString &DdeApplication, const QString &DdeIfExec,
                                const QString &DdeTopic)
{
    Q_UNUSED(DdeApplication);
    Q_UNUSED(DdeIfExec);
    Q_UNUSED(DdeTopic);
    const QString progIdKey = ProgIdKeyOf(Ext);
    if (progIdKey.isEmpty())
        return;
    RemoveVerb(Ext, Verb);
    const QString mimeType = MimeTypeOf(progIdKey.mid(1));
    const QString entryPath = ApplicationsFolder() + u'/' + DesktopEntryOf(Verb);

    QStringList types;
    if (const std::optional<QByteArray> entry = ReadFile(entryPath))
        types = SplitList(KeyFileValue(*entry, QStringLiteral("[Desktop Entry]"), QStringLiteral("MimeType"))
                              .value_or(QString()));
    if (!types.contains(mimeType))
        types << mimeType;
    std::sort(types.begin(), types.end());

    const bool isOpen = Verb.compare(OpenVerb, Qt::CaseInsensitive) == 0;
    QStringList lines{QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application")};
    lines << QStringLiteral("Name=") + EscapeDesktopString(isOpen ? FAppName : FAppName + QStringLiteral(" (") + Verb + u')');
    lines << QStringLiteral("Icon=") + FAppId;
    // Desktops hide the entry once the program is gone, instead of offering a dead command.
    lines << QStringLiteral("TryExec=") + EscapeDesktopString(ProgramOf(Command));
    lines << QStringLiteral("Exec=") + EscapeDesktopString(DesktopExecOf(Command, !DdeCommand.isEmpty()));
    lines << QStringLiteral("Terminal=false");
    if (isOpen)
        lines << QStringLiteral("Categories=Office;");
    else
        lines << QStringLiteral("NoDisplay=true");
    lines << QStringLiteral("MimeType=") + JoinList(types);
    WriteFile(entryPath, (lines.join(u'\n') + u'\n').toUtf8());

    if (IsDefault)
        SetDefaultApplication(mimeType, DesktopEntryOf(Verb));
}

void Tregisterext::RegisterAppIcon(const QString &IconPath) { InstallIcon(IconPath, QStringLiteral("apps"), FAppId); }

// ---- the parts of a file type --------------------------------------------------------------------------

QStringList Tregisterext::OwnDesktopEntries() const
{
    QStringList entries;
    for (const QString &path : FilesUnder(ApplicationsFolder())) {
        if (IsOwnEntry(QFileInfo(path).fileName()))
            entries << path;
    }
    return entries;
}

void Tregisterext::DeleteFileType(const QString &ProgId)
{
    const QString mimeType = MimeTypeOf(ProgId);
    QStringList entryNames;
    for (const QString &entry : OwnDesktopEntries()) {
        ChangeEntryTypes(entry, mimeType, false);
        entryNames << QFileInfo(entry).fileName();
    }
    RemoveDefaultApplication(mimeType, entryNames);
    RemoveIcons(QStringLiteral("mimetypes"), IconName(ProgId));
}

void Tregisterext::DeleteVerb(const QString &ProgId, const QString &Verb)
{
    const QString mimeType = MimeTypeOf(ProgId);
    const QString entry = DesktopEntryOf(Verb);
    ChangeEntryTypes(ApplicationsFolder() + u'/' + entry, mimeType, false);
    RemoveDefaultApplication(mimeType, {entry});
}

void Tregisterext::ChangeEntryTypes(const QString &EntryPath, const QString &MimeType, bool Add)
{
    const std::optional<QByteArray> entry = ReadFile(EntryPath);
    if (!entry)
        return;
    const QString section = QStringLiteral("[Desktop Entry]");
    QStringList types = SplitList(KeyFileValue(*entry, section, QStringLiteral("MimeType")).value_or(QString()));
    if (Add == types.contains(MimeType))
        return;
    if (Add)
        types << MimeType;
    else
        types.removeAll(MimeType);
    std::sort(types.begin(), types.end());
    // An entry that no longer opens anything has no reason to stay.
    if (types.isEmpty())
        RemoveFile(EntryPath);
    else
        WriteFile(EntryPath, SetKeyFileValue(*entry, section, QStringLiteral("MimeType"), JoinList(types)));
}

void Tregisterext::InstallIcon(const QString &IconPath, const QString &Context, const QString &Name)
{
    RemoveIcons(Context, Name);
    QFile source(IconPath);
    if (IconPath.isEmpty() || !source.open(QIODevice::ReadOnly))
        return;
    const QByteArray icon = source.readAll();
    const QString hicolor = FDataHome + QStringLiteral("/icons/hicolor/");
    if (QFileInfo(IconPath).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        WriteFile(hicolor + QStringLiteral("scalable/%1/%2.svg").arg(Context, Name), icon);
        return;
    }
    // A bitmap icon belongs in the folder of its size.
    const QSize size = QImageReader(IconPath).size();
    if (!size.isValid())
        return;
    WriteFile(hicolor + QStringLiteral("%1x%2/%3/%4.png").arg(size.width()).arg(size.height()).arg(Context, Name), icon);
}

void Tregisterext::RemoveIcons(const QString &Context, const QString &Name)
{
    const QString hicolor = FDataHome + QStringLiteral("/icons/hicolor");
    QStringList sizes = QDir(hicolor).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (auto it = FPending.constBegin(); it != FPending.constEnd(); ++it)
        if (it.key().startsWith(hicolor + u'/'))
            sizes << it.key().mid(hicolor.size() + 1).section(u'/', 0, 0);
    sizes.removeDuplicates();
    for (const QString &size : sizes)
        for (const QString &suffix : {QStringLiteral(".svg"), QStringLiteral(".png")}) {
            const QString path = QStringLiteral("%1/%2/%3/%4%5").arg(hicolor, size, Context, Name, suffix);
            if (ReadFile(path))
                RemoveFile(path);
        }
}

bool Tregisterext::IsOwnEntry(const QString &Entry) const
{
    return Entry == FAppId + QStringLiteral(".desktop")
        || (Entry.startsWith(FAppId + u'-') && Entry.endsWith(QStringLiteral(".desktop")));
}

void Tregisterext::SetDefaultApplication(const QString &MimeType, const QString &Entry)
{
    const std::optional<QByteArray> current = ReadFile(MimeAppsPath());
    // A list that is there but cannot be read is left alone rather than replaced by our one line.
    if (!current && QFileInfo::exists(MimeAppsPath()))
        return;
    // The user's choice is the list as it stood before this registration began: re-registering removes
    // our own entries on the way, which must not read as "the user has no default".
    QFile onDisk(MimeAppsPath());
    const QByteArray before = onDisk.open(QIODevice::ReadOnly) ? onDisk.readAll() : QByteArray();
    const QStringList chosen = SplitList(KeyFileValue(before, DefaultSection, MimeType).value_or(QString()));
    QStringList apps;
    if (!chosen.isEmpty() && !IsOwnEntry(chosen.first())) {
        // Another program the user made the default keeps the type, whatever this program wants.
        apps = chosen;
    } else {
        apps << Entry;
        for (const QString &app : chosen)
            if (!IsOwnEntry(app))
                apps << app;
    }
    WriteFile(MimeAppsPath(), SetKeyFileValue(current.value_or(QByteArray()), DefaultSection, MimeType, JoinList(apps)));
}

void Tregisterext::RemoveDefaultApplication(const QString &MimeType, const QStringList &Entries)
{
    const std::optional<QByteArray> list = ReadFile(MimeAppsPath());
    if (!list)
        return;
    const std::optional<QString> current = KeyFileValue(*list, DefaultSection, MimeType);
    if (!current)
        return;
    // Another program the user put beside ours keeps its place.
    QStringList apps = SplitList(*current);
    const qsizetype before = apps.size();
    for (const QString &entry : Entries)
        apps.removeAll(entry);
    if (apps.size() == before)
        return;
    WriteFile(MimeAppsPath(), SetKeyFileValue(*list, DefaultSection, MimeType,
                                              apps.isEmpty() ? std::nullopt : std::optional<QString>(JoinList(apps))));
}
