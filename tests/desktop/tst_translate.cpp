// Texts put into windows. The windows here are stand-ins built the way the program's windows name
// their components, so the contract the real windows rely on is what is tested.
#include "u_ResourceStrings.h"
#include "u_Translate.h"

#include <QAction>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {
QAction *AddAction(QWidget *Owner, const char *Name)
{
    auto *action = new QAction(QStringLiteral("untranslated"), Owner);
    action->setObjectName(QString::fromLatin1(Name));
    Owner->addAction(action);
    return action;
}

// A document window with its popup menu, holding the items Names.
QWidget *DocumentWindow(QWidget *Parent, std::initializer_list<const char *> Names)
{
    auto *window = new QWidget(Parent);
    auto *popup = new QMenu(window);
    popup->setObjectName(QStringLiteral("PopupMenu"));
    for (const char *name : Names)
        AddAction(popup, name);
    return window;
}

template <typename T> T *Named(QObject *Form, const char *Name)
{
    T *found = Form->findChild<T *>(QString::fromLatin1(Name));
    if (!found)
        qWarning("no component %s", Name);
    return found;
}
} // namespace

class TestTranslate : public QObject {
    Q_OBJECT

private slots:
    void shortCutFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("ctrl letter") << "Ctrl+X" << QKeySequence(Qt::CTRL | Qt::Key_X);
        QTest::newRow("ctrl digit") << "Ctrl+2" << QKeySequence(Qt::CTRL | Qt::Key_2);
        QTest::newRow("function key") << "F1" << QKeySequence(Qt::Key_F1);
        QTest::newRow("shift insert") << "Shift+Ins" << QKeySequence(Qt::SHIFT | Qt::Key_Insert);
        QTest::newRow("page down, short name") << "Ctrl+PgDn" << QKeySequence(Qt::CTRL | Qt::Key_PageDown);
        QTest::newRow("backspace, short name") << "Alt+BkSp" << QKeySequence(Qt::ALT | Qt::Key_Backspace);
        QTest::newRow("two modifiers") << "Ctrl+Shift+S" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
        QTest::newRow("empty") << "" << QKeySequence();
        QTest::newRow("modifier alone") << "Ctrl+" << QKeySequence();
        QTest::newRow("unknown key") << "Ctrl+Bogus" << QKeySequence();
        QTest::newRow("unknown modifier") << "Strg+X" << QKeySequence();
        QTest::newRow("two keys in a row") << "Ctrl+X, Ctrl+C" << QKeySequence();
    }

    void shortCutFromText()
    {
        QFETCH(QString, text);
        QFETCH(QKeySequence, keys);
        QCOMPARE(ShortCutFromText(text), keys);
    }

    void tgvPopupItemsGetTextsAndShortcuts()
    {
        std::unique_ptr<QWidget> window(DocumentWindow(nullptr, {"Cut", "Copy", "Paste", "Bold", "Reverse", "Underline", "Italic",
                                                                  "NormalFont", "Font1", "Superscript", "Subscript", "InsertGrob1"}));
        TranslateFormMdiTgv(window.get());
        auto *font1 = Named<QAction>(window.get(), "Font1");
        QCOMPARE(font1->text(), QStringLiteral("Font 1"));
        QCOMPARE(font1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_2));
        QCOMPARE(Named<QAction>(window.get(), "Cut")->text(), QStringLiteral("Cu&t"));
        QCOMPARE(Named<QAction>(window.get(), "Subscript")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_4));
        QCOMPARE(Named<QAction>(window.get(), "InsertGrob1")->text(), QStringLiteral("&Insert Grob"));
        QCOMPARE(Named<QAction>(window.get(), "InsertGrob1")->shortcut(), QKeySequence());
    }

    void eachDocumentKindTranslatesOnlyItsOwnItems()
    {
        // An XView window has no Italic item; a stray one is none of its texts' business.
        std::unique_ptr<QWidget> xview(DocumentWindow(nullptr, {"Cut", "Bold", "Underline", "Italic"}));
        TranslateFormMdiXView(xview.get());
        QCOMPARE(Named<QAction>(xview.get(), "Bold")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
        QCOMPARE(Named<QAction>(xview.get(), "Italic")->text(), QStringLiteral("untranslated"));
        QCOMPARE(Named<QAction>(xview.get(), "Italic")->shortcut(), QKeySequence());

        std::unique_ptr<QWidget> eden(DocumentWindow(nullptr, {"Italic"}));
        TranslateFormMdiEden(eden.get());
        QCOMPARE(Named<QAction>(eden.get(), "Italic")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        std::unique_ptr<QWidget> hp49(DocumentWindow(nullptr, {"Paste"}));
        TranslateFormMdiHP49(hp49.get());
        QCOMPARE(Named<QAction>(hp49.get(), "Paste")->text(), QStringLiteral("&Paste"));
        // Components the window does not have are skipped, and a missing window is no fault.
        TranslateFormMdiTgv(nullptr);
    }

    void mainWindowComponentsByKind()
    {
        QMainWindow window;
        auto *toolbar = window.addToolBar(QStringLiteral("x"));
        toolbar->setObjectName(QStringLiteral("ToolbarFile"));
        auto *openButton = new QToolButton(toolbar);
        openButton->setObjectName(QStringLiteral("OpenButton"));
        toolbar->addWidget(openButton);
        auto *fileMenu = window.menuBar()->addMenu(QStringLiteral("x"));
        fileMenu->setObjectName(QStringLiteral("File"));
        QAction *open = AddAction(fileMenu, "Open");
        QAction *cut = AddAction(fileMenu, "Cut");
        auto *dock = new QDockWidget(&window);
        dock->setObjectName(QStringLiteral("ToolbarCharsTgv"));
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        auto *openDialog = new QObject(&window);
        openDialog->setObjectName(QStringLiteral("OpenDialog"));
        auto *grobDialog = new QObject(&window);
        grobDialog->setObjectName(QStringLiteral("OpenGrobDialog"));
        auto *recent = new QObject(&window);
        recent->setObjectName(QStringLiteral("MRUFileList"));
        // A document window inside has components of the same names; they are not the main window's.
        QWidget *document = DocumentWindow(&window, {"Cut"});
        window.setCentralWidget(document);

        TranslateFFormBegin(&window);
        QCOMPARE(toolbar->windowTitle(), QStringLiteral("File management"));
        QCOMPARE(dock->windowTitle(), QStringLiteral("HP characters"));
        QCOMPARE(openButton->toolTip(), QStringLiteral("Open"));
        QCOMPARE(fileMenu->title(), QStringLiteral("&File"));
        QCOMPARE(open->text(), QStringLiteral("&Open..."));
        QCOMPARE(open->statusTip(), QStringLiteral("Open an existing file"));
        QCOMPARE(open->toolTip(), QStringLiteral("Open an existing file"));
        QCOMPARE(cut->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
        QCOMPARE(cut->statusTip(), QStringLiteral("Delete selected item"));
        QVERIFY(openDialog->property("Filter").toString().startsWith(QStringLiteral("Quillo Files|*.XV;*.TGV;")));
        QCOMPARE(grobDialog->property("Title").toString(), QStringLiteral("Open a grob"));
        QCOMPARE(grobDialog->property("Filter").toString(), QStringLiteral("Grob files (*.grb)|*.grb|Bitmap files (*.bmp)|*.bmp"));
        QCOMPARE(recent->property("SubmenuName").toString(), QStringLiteral("Reopen"));
        QCOMPARE(recent->property("ClearItemName").toString(), QStringLiteral("&Clear MRU List"));
        QCOMPARE(recent->property("RemoveObsoleteName").toString(), QStringLiteral("&Remove Obsolete"));
        QCOMPARE(Named<QAction>(document, "Cut")->statusTip(), QString());
        QCOMPARE(window.windowTitle(), QString());
    }

    void dialogsKeepTheirOwnTitlesAndFillTheirPages()
    {
        QDialog transfer;
        transfer.setWindowTitle(QStringLiteral("Transfer"));
        auto *tabs = new QTabWidget(&transfer);
        auto *instructions = new QWidget;
        instructions->setObjectName(QStringLiteral("OngletInstructions"));
        auto *sending = new QWidget;
        sending->setObjectName(QStringLiteral("OngletTransfer"));
        tabs->addTab(instructions, QStringLiteral("x"));
        tabs->addTab(sending, QStringLiteral("y"));
        auto *speed = new QLabel(sending);
        speed->setObjectName(QStringLiteral("lblSpeed"));
        auto *go = new QPushButton(sending);
        go->setObjectName(QStringLiteral("btnTransfer"));
        TranslateFTransferForm(&transfer);
        QCOMPARE(transfer.windowTitle(), QStringLiteral("Transfer"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("Instructions"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Transfer"));
        QCOMPARE(speed->text(), QStringLiteral("Baud :"));
        QCOMPARE(go->text(), QStringLiteral("&Transfer files"));

        QDialog options;
        options.setWindowTitle(QStringLiteral("Quillo options"));
        auto *cancel = new QPushButton(&options);
        cancel->setObjectName(QStringLiteral("CancelBtn"));
        TranslateFQuilloOptions(&options);
        QCOMPARE(options.windowTitle(), QStringLiteral("Quillo options"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));

        QDialog fonts;
        auto *group = new QGroupBox(&fonts);
        group->setObjectName(QStringLiteral("Label3"));
        TranslateFTGVFontChoice(&fonts);
        QCOMPARE(fonts.windowTitle(), QStringLiteral("Fonts choice"));
        QCOMPARE(group->title(), QStringLiteral("Superscript/subscript mini font :"));

        QDialog about;
        auto *author = new QLabel(&about);
        author->setObjectName(QStringLiteral("Author"));
        TranslateFAboutBox(&about);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(author->text(), ResString(TResId::sFAboutBoxAuthorCaption));
        QVERIFY(!author->text().isEmpty());
    }

    void progressWindowStartsWithItsOwnBytesText()
    {
        QDialog progress;
        auto *bytes = new QLabel(&progress);
        bytes->setObjectName(QStringLiteral("lblOctesTransferes"));
        TranslateFTransferingFile(&progress);
        QCOMPARE(progress.windowTitle(), QStringLiteral("Transfering files to HP..."));
        // Until the window is first shown; from then on it shows the message of the transfer.
        QCOMPARE(bytes->text(), QStringLiteral("Bytes transfered :"));
        QCOMPARE(ResString(TResId::sBytesTransferred), QStringLiteral("Bytes transferred :"));
    }
};

QTEST_MAIN(TestTranslate)
#include "tst_translate.moc"
