#include "u_FileDialogRegistry.h"

#include "u_Settings.h"

#include <QComboBox>
#include <QDynamicPropertyChangeEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

QString SettingsSectionOfKey(const QString &KeyPath)
{
    QString path = KeyPath;
    path.replace(u'\\', u'/');
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    while (path.endsWith(u'/'))
        path.chop(1);
    QString root = SettingsKeys::RootKeyPath;
    root.replace(u'\\', u'/');
    while (root.startsWith(u'/'))
        root.remove(0, 1);
    if (path.compare(root, Qt::CaseInsensitive) == 0)
        return SettingsKeys::NoSection;
    if (path.startsWith(root + u'/', Qt::CaseInsensitive))
        return path.mid(root.size() + 1);
    return path;
}

namespace {

QString CaseBlindPattern(const QString &Pattern)
{
    QString result;
    for (QChar c : Pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower != upper)
            result += u'[' + QString(lower) + QString(upper) + u']';
        else
            result += c;
    }
    return result;
}

} // namespace

QStringList NameFiltersFromFilter(const QString &Filter)
{
    QStringList filters;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (patterns.isEmpty() && CaseBlindPattern(pattern) != pattern)
                patterns << pattern.toLower();
            patterns << CaseBlindPattern(pattern);
        }
        // The dialog hides the last bracketed group (the real patterns), so the description shows
        // exactly as the text has it.
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QStringList ExtensionsFromFilter(const QString &Filter)
{
    QStringList extensions;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString first = parts[i + 1].section(u';', 0, 0).trimmed();
        const QString ext = first.startsWith(QLatin1String("*.")) ? first.mid(2) : QString();
        const bool plain = !ext.isEmpty() && !ext.contains(u'*') && !ext.contains(u'?') && !ext.contains(u'[')
                           && !ext.contains(u'.');
        extensions << (plain ? ext.toLower() : QString());
    }
    return extensions;
}

TFileDialogRegistry::TFileDialogRegistry(QWidget *Parent, QFileDialog::AcceptMode Mode) : QFileDialog(Parent)
{
    // The extra panels go into the dialog's own layout, which only Qt's dialog has.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setIconProvider(&FFileTypes);
    setAcceptMode(Mode);
    setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    connect(this, &QFileDialog::filterSelected, this, [this] { FollowFilter(CurrentFilterIndex()); });
    // The size, type and date columns of the detail view are as wide as their widest entries,
    // never "10....KiB"; the name takes the rest.
    if (auto *details = findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] {
        if (HelpContext && ShowHelp)
            ShowHelp(HelpContext);
    });
}

void TFileDialogRegistry::SetFilter(const QString &Filter)
{
    setNameFilters(NameFiltersFromFilter(Filter));
    FFilterExtensions = ExtensionsFromFilter(Filter);
}

void TFileDialogRegistry::SetDefaultExt(const QString &Value)
{
    QString ext = Value;
    while (ext.startsWith(u'.'))
        ext.remove(0, 1);
    FDefaultExt = ext;
    setDefaultSuffix(ext);
}

int TFileDialogRegistry::CurrentFilterIndex() const
{
    // With the patterns hidden, the dialog names the filter by its description alone, which
    // nameFilters() does not hold: the list of types tells the position.
    if (auto *types = findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        return types->currentIndex();
    return int(nameFilters().indexOf(selectedNameFilter()));
}

void TFileDialogRegistry::FollowFilter(int Index)
{
    if (acceptMode() != QFileDialog::AcceptSave)
        return;
    const QString ext = Index >= 0 && Index < FFilterExtensions.size() ? FFilterExtensions[Index] : QString();
    setDefaultSuffix(ext.isEmpty() ? FDefaultExt : ext);
}

bool TFileDialogRegistry::event(QEvent *Event)
{
    if (Event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent *>(Event)->propertyName();
        if (name == "Filter")
            SetFilter(property(name).toString());
        else if (name == "Title")
            setWindowTitle(property(name).toString());
    }
    return QFileDialog::event(Event);
}

QWidget *TFileDialogRegistry::AddSidePanel(QWidget *Panel)
{
    auto *holder = new QWidget(this);
    holder->setObjectName(Panel->objectName() + QStringLiteral("Holder"));
    auto *box = new QVBoxLayout(holder);
    box->setContentsMargins(0, 4, 0, 0);
    box->addWidget(Panel);
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        if (FPanelColumn < 0) {
            FPanelColumn = grid->columnCount();
            // The first panel comes on top of the dialog's width rather than out of the file list,
            // whose sizes and dates would otherwise be cut short. A panel made again for each run
            // takes the same column, and the dialog keeps the width it has by then.
            resize(width() + holder->sizeHint().width() + grid->horizontalSpacing(), height());
        }
        grid->addWidget(holder, 0, FPanelColumn, grid->rowCount(), 1);
    }
    return holder;
}

bool TFileDialogRegistry::Execute()
{
    const bool remember = !FKeyPath.isEmpty() && Settings;
    const QString section = SettingsSectionOfKey(FKeyPath);
    if (remember) {
        const QString folder = Settings->ReadString(section, FvalueName, QString());
        // A folder that has gone since leaves the dialog where it was.
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            setDirectory(folder);
    }

    const QStringList filters = nameFilters();
    if (FFilterIndex >= 1 && FFilterIndex <= filters.size())
        selectNameFilter(filters[FFilterIndex - 1]);
    FollowFilter(CurrentFilterIndex());
    const QString proposed = QFileInfo(FFileName).fileName();
    if (!proposed.isEmpty())
        selectFile(proposed);
    else if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->clear();

    const bool confirmed = exec() == QDialog::Accepted && !selectedFiles().isEmpty();
    if (!confirmed)
        return false;

    FFileName = selectedFiles().constFirst();
    const int index = CurrentFilterIndex();
    if (index >= 0)
        FFilterIndex = index + 1;
    if (remember) {
        QString folder = QFileInfo(FFileName).absolutePath();
        if (!folder.endsWith(u'/'))
            folder += u'/';
        Settings->WriteString(section, FvalueName, folder);
    }
    return true;
}
