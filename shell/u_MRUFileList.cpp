#include "u_MRUFileList.h"

#include "u_Settings.h"
#include "u_utils.h"

#include <QAction>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <algorithm>

TdfsMRUFileList::TdfsMRUFileList(QObject *Parent, QMenu *Menu, QAction *Before)
    : QObject(Parent), FMenu(Menu), FSubmenu(new QMenu(Menu))
{
    FSubmenu->setObjectName(QStringLiteral("MRUSubmenu"));
    FSeparator = new QAction(this);
    FSeparator->setSeparator(true);
    FMenu->insertAction(Before, FSeparator);
    FMenu->insertMenu(Before, FSubmenu);
    FRemoveObsolete = new QAction(this);
    FRemoveObsolete->setObjectName(QStringLiteral("MRURemoveObsolete"));
    connect(FRemoveObsolete, &QAction::triggered, this, &TdfsMRUFileList::RemoveObsolete);
    Rebuild();
}

QChar TdfsMRUFileList::Accelerator(int Index)
{
    if (Index < 9)
        return QChar(u'1' + Index);
    if (Index == 9)
        return QChar(u'0');
    return QChar(u'A' + (Index - 10));
}

void TdfsMRUFileList::AddItem(const QString &FileName)
{
    if (FileName.isEmpty())
        return;
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (SameFile(FItems[i], FileName)) {
            // The newest spelling of the path is the one shown.
            FItems.removeAt(i);
            break;
        }
    FItems.prepend(FileName);
    while (FItems.size() > MaxItems)
        FItems.removeLast();
    Changed();
}

void TdfsMRUFileList::RemoveItem(const QString &FileName)
{
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (SameFile(FItems[i], FileName)) {
            FItems.removeAt(i);
            Changed();
            return;
        }
}

void TdfsMRUFileList::RemoveObsolete()
{
    const qsizetype before = FItems.size();
    FItems.removeIf([](const QString &Path) { return !QFileInfo::exists(Path); });
    if (FItems.size() != before)
        Changed();
}

void TdfsMRUFileList::Load()
{
    FItems.clear();
    for (int i = 0; FItems.size() < MaxItems; ++i) {
        if (!Settings->ValueExists(SettingsKeys::MRUSection, SettingsKeys::MRUValue(i)))
            break;
        const QString path = Settings->ReadString(SettingsKeys::MRUSection, SettingsKeys::MRUValue(i), QString());
        if (!path.isEmpty() && std::none_of(FItems.cbegin(), FItems.cend(), [&](const QString &Item) { return SameFile(Item, path); }))
            FItems << path;
    }
    Rebuild();
}

void TdfsMRUFileList::Save() const
{
    Settings->EraseSection(SettingsKeys::MRUSection);
    for (int i = 0; i < FItems.size(); ++i)
        Settings->WriteString(SettingsKeys::MRUSection, SettingsKeys::MRUValue(i), FItems[i]);
}

void TdfsMRUFileList::Changed()
{
    Rebuild();
    if (Settings) {
        Save();
        Settings->Flush();
    }
}

void TdfsMRUFileList::SetSubmenuName(const QString &Value)
{
    FSubmenu->setTitle(Value);
}

void TdfsMRUFileList::SetRemoveObsoleteName(const QString &Value)
{
    FRemoveObsolete->setText(Value);
}

void TdfsMRUFileList::Rebuild()
{
    // An entry may be rebuilding the menu from its own click: old entries go once that is over.
    for (QAction *old : FSubmenu->actions()) {
        FSubmenu->removeAction(old);
        if (old != FRemoveObsolete)
            old->deleteLater();
    }
    const QFontMetrics metrics(FSubmenu->font());
    for (int i = 0; i < FItems.size(); ++i) {
        const QString path = FItems[i];
        QString shown = metrics.elidedText(path, Qt::ElideMiddle, MaxCaptionWidth);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction *item = FSubmenu->addAction(QStringLiteral("&%1 %2").arg(Accelerator(i)).arg(shown));
        item->setData(path);
        item->setToolTip(path);
        item->setStatusTip(path);
        connect(item, &QAction::triggered, this, [this, path] {
            if (OnMRUItemClick)
                OnMRUItemClick(path);
        });
    }
    FSubmenu->addSeparator();
    FSubmenu->addAction(FRemoveObsolete);
    const bool any = !FItems.isEmpty();
    FSeparator->setVisible(any);
    FSubmenu->menuAction()->setVisible(any);
}
