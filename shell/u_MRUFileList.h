#pragma once
// The recent-files list: at most five full paths, the most recent first, none naming the same file
// twice (compared as the file system compares them: case matters, links are followed). It shows
// itself as a "Reopen" submenu in the File menu while it is not empty, and is written to the
// settings section "MRU Items" at every change, so that it survives a program that never exits
// cleanly.
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

class TdfsMRUFileList : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxItems = 5;
    // Width the submenu's entries are shortened to.
    static constexpr int MaxCaptionWidth = 200;

    // The submenu goes into Menu just before Before.
    TdfsMRUFileList(QObject *Parent, QMenu *Menu, QAction *Before);

    const QStringList &Items() const { return FItems; }
    // Moves FileName to the top (or inserts it there), dropping entries beyond MaxItems.
    void AddItem(const QString &FileName);
    void RemoveItem(const QString &FileName);
    // Removes every entry whose file no longer exists.
    void RemoveObsolete();
    void Load();
    void Save() const;

    void SetSubmenuName(const QString &Value);
    void SetClearItemName(const QString &Value) { FClearItemName = Value; }
    void SetRemoveObsoleteName(const QString &Value);
    QMenu *Submenu() const { return FSubmenu; }
    QAction *Separator() const { return FSeparator; }

    // The user chose an entry.
    std::function<void(const QString &FileName)> OnMRUItemClick;

    // The accelerator of entry Index (0-based): 1 to 9, then 0, then A to Z.
    static QChar Accelerator(int Index);

private:
    void Rebuild();
    // Rebuilds the menu and writes the list.
    void Changed();

    QStringList FItems;
    QMenu *FMenu;
    QMenu *FSubmenu;
    QAction *FSeparator;
    QAction *FRemoveObsolete;
    QString FClearItemName;
};
