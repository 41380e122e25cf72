#pragma once
// Writes and removes file-type registrations with a Linux desktop. A registration is made of the files
// every freedesktop.org desktop reads, all under the user's own folders:
//
//   extension and file type    $XDG_DATA_HOME/mime/packages/<app>-<ext>.xml — a shared-mime-info
//                              package defining application/x-<app>-<file type> with its description,
//                              icon and the glob *.<ext>
//   the file type's icon       $XDG_DATA_HOME/icons/hicolor/scalable/mimetypes/application-x-<app>-<file
//                              type>.svg (a bitmap icon goes to the folder of its size)
//   a verb and its command     $XDG_DATA_HOME/applications/<app>.desktop for "Open", <app>-<verb>.desktop
//                              for any other verb; its MimeType lists every file type of the verb
//   the default verb           $XDG_CONFIG_HOME/mimeapps.list, [Default Applications], only while the
//                              user has no default for the type or the default is this program already
//
// Key paths name the parts as a shell registration does: "\.TGV" is the extension, "\TGVfile" its file
// type, "\TGVfile\Shell\Open" a verb. Only files carrying the application's own prefix are ever written
// or removed; in mimeapps.list only the lines of the program's own file types change.
//
// Nothing is written until Flush (or destruction), and a file whose content would not change is left
// untouched, so registering the same thing again changes nothing on disk. Whatever cannot be written
// is skipped without a word.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class Tregisterext {
public:
    // AppId prefixes every file written ("quillo"); AppName is the name desktops show for the program.
    Tregisterext(const QString &AppId, const QString &AppName, const QString &DataHome = DefaultDataHome(),
                 const QString &ConfigHome = DefaultConfigHome());
    ~Tregisterext();
    Tregisterext(const Tregisterext &) = delete;
    Tregisterext &operator=(const Tregisterext &) = delete;

    static QString DefaultDataHome();
    static QString DefaultConfigHome();

    // "\" followed by the file type the extension is registered with ("\TGVfile"), or an empty string
    // when the extension has no registration of this program.
    QString ProgIdKeyOf(const QString &Ext) const;
    // Removes everything under Key: an extension ("\.TGV"), a file type ("\TGVfile") or one of its verbs
    // ("\TGVfile\Shell\Open"). Any other key is left alone.
    void DeleteKeyTree(const QString &Key);
    // Removes the extension and, when it names this program's file type for it (Ext + "file"), that too.
    void UnregisterExtension(const QString &Ext);
    // Registers Ext afresh as the file type Ext + "file" with Description and the icon file IconPath.
    // A ContentType becomes an alias of the file type. AlwaysShowExt has nothing to do on a desktop
    // that always shows extensions.
    void RegisterExtension(const QString &Ext, const QString &ContentType, const QString &Description,
                           const QString &IconPath, bool AlwaysShowExt);
    // Removes Verb from the extension's file type, and its default when Verb is the default.
    void RemoveVerb(const QString &Ext, const QString &Verb);
    // Adds Verb to the registered extension's file type: Command is a command line with the program in
    // double quotes and "%1" where the file goes. With a DdeCommand the file names follow the command
    // instead, and the program passes them on as open requests itself (so the DDE service, if-exec text
    // and topic, which the program fixes itself, are not stored). Nothing happens when the extension is
    // not registered.
    void RegisterVerb(const QString &Ext, const QString &Verb, const QString &Command, bool IsDefault,
                      const QString &DdeCommand, const QString &DdeApplication, const QString &DdeIfExec,
                      const QString &DdeTopic);
    // Installs the program's own icon, named AppId, for its menu entry.
    void RegisterAppIcon(const QString &IconPath);

    // Writes every file whose content changed and removes the ones that went away. Returns the files
    // actually changed on disk.
    QStringList Flush();

    // The file type's MIME type, "application/x-quillo-tgvfile".
    QString MimeTypeOf(const QString &ProgId) const;
    // The verb's desktop entry file name, "quillo.desktop" for Open.
    QString DesktopEntryOf(const QString &Verb) const;

private:
    QString PackagePath(const QString &Ext) const;
    QString IconName(const QString &ProgId) const;
    QString ApplicationsFolder() const;
    QString MimeAppsPath() const;
    QStringList OwnDesktopEntries() const;
    bool IsOwnEntry(const QString &Entry) const;
    void DeleteFileType(const QString &ProgId);
    void DeleteVerb(const QString &ProgId, const QString &Verb);
    void InstallIcon(const QString &IconPath, const QString &Context, const QString &Name);
    void RemoveIcons(const QString &Context, const QString &Name);
    void SetDefaultApplication(const QString &MimeType, const QString &Entry);
    void RemoveDefaultApplication(const QString &MimeType, const QStringList &Entries);
    void ChangeEntryTypes(const QString &EntryPath, const QString &MimeType, bool Add);

    std::optional<QByteArray> ReadFile(const QString &Path) const;
    void WriteFile(const QString &Path, const QByteArray &Content);
    void RemoveFile(const QString &Path);
    QStringList FilesUnder(const QString &Folder) const;

    QString FAppId;
    QString FAppName;
    QString FDataHome;
    QString FConfigHome;
    // What each touched file is to become: its new content, or nothing for a file to remove.
    QHash<QString, std::optional<QByteArray>> FPending;
};

// A command line in the shell's form ("\"/opt/quillo\" \"%1\"") as a desktop entry's Exec value:
// every part quoted the desktop way and "%1" turned into %f. AppendFiles adds %F for a program that
// takes its files on the command line.
QString DesktopExecOf(const QString &Command, bool AppendFiles);
