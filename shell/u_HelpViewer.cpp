#include "u_HelpViewer.h"

#include "u_Icons.h"
#include "u_ResourceStrings.h"
#include "u_utils.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

THelpViewer::THelpViewer(QWidget *Parent) : QDialog(Parent), FBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(ResString(TResId::sHelpTitle));
    setWindowFlags(Qt::Window);
    setWindowIcon(Glyph(TGlyph::Help));
    FBrowser->setOpenExternalLinks(true);
    FBrowser->setSearchPaths({HelpFolder()});

    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction *back = bar->addAction(ResString(TResId::sHelpBack), FBrowser, &QTextBrowser::backward);
    QAction *forward = bar->addAction(ResString(TResId::sHelpForward), FBrowser, &QTextBrowser::forward);
    QString contents = ResString(TResId::sFFormBeginContents_Caption);
    bar->addAction(contents.remove(QLatin1Char('&')), this, [this] { ShowContext(0); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(FBrowser);
    resize(680, 560);
}

QString THelpViewer::HelpFolder()
{
    return AppDir + QStringLiteral("help/");
}

QString THelpViewer::PageOf(int Context)
{
    switch (Context) {
    case 10: return QStringLiteral("transfer.html");
    case 11: return QStringLiteral("tgv-documents.html");
    case 12: return QStringLiteral("text-documents.html");
    case 14: return QStringLiteral("tgv-fonts.html");
    case 15: return QStringLiteral("pictures.html");
    case 16: return QStringLiteral("saving-tgv.html");
    case 17: return QStringLiteral("options.html");
    case 24: return QStringLiteral("edit-menu.html");
    case 27: return QStringLiteral("file-menu.html");
    default: return QStringLiteral("index.html");
    }
}

void THelpViewer::ShowContext(int Context)
{
    const QString page = HelpFolder() + PageOf(Context);
    if (QFileInfo::exists(page))
        FBrowser->setSource(QUrl::fromLocalFile(page));
    else
        FBrowser->setPlainText(ResString(TResId::sHelpMissing).arg(QDir::toNativeSeparators(HelpFolder())));
    show();
    raise();
    activateWindow();
}
