// The options dialog as the user meets it: what it shows from the store, what OK writes and gives
// to the open documents, and what Cancel and a missing tab length leave alone.
#include "shellfixture.h"
#include "u_Options.h"
#include "u_Settings.h"
#include "u_GlobalScope.h"
#include "u_TGrob.h"
#include "u_THPEdit2.h"
#include "u_THPFontComboBox.h"
#include "u_utils.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {
// The open documents of a main window, as far as the dialog reaches them.
struct TOpenDocuments {
    std::vector<std::unique_ptr<THPEdit2>> Editors;
    QList<QPair<TEditor, int>> Calls;

    THPEdit2 *Open(TEditor Kind)
    {
        Editors.push_back(std::make_unique<THPEdit2>(nullptr, Kind));
        return Editors.back().get();
    }
    void SetTabLength(TEditor Kind, int Value)
    {
        Calls.append({Kind, Value});
        for (auto &e : Editors)
            if (e->Editor() == Kind)
                e->SetTabLength(Value);
    }
};
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void emptyStoreShowsDefaults();
    void storedValuesShown();
    void okGivesTabLengthsToTheirKindOnly();
    void defaultFontsOnlyStored();
    void cancelWritesNothing();
    void tabLengthFieldTakesTwoDigits();
    void emptyTabLengthKeepsTheDialogOpen();
    void pageFollowsTheActiveDocument_data();
    void pageFollowsTheActiveDocument();
    void helpAndTexts();
    void fromTheMainWindow();

private:
    template <class T>
    T *Find(const char *Name)
    {
        return FDialog->findChild<T *>(QLatin1String(Name));
    }
    QString Stored(const QString &Section, const QString &Name) { return Settings->ReadString(Section, Name, "<none>"); }

    QTemporaryDir FDir;
    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TGlobalScope<TListGrobFont>> FFontList;
    std::unique_ptr<TFQuilloOptions> FDialog;
    TOpenDocuments FDocuments;
    QStringList FWarnings;
};

void TestOptions::initTestCase()
{
    AppDir = QUILLO_BUILD_DIR;
    FFontList = std::make_unique<TGlobalScope<TListGrobFont>>(FontList);
    LoadProgramFonts(*FontList);
    QVERIFY2(FontList->IndexOf("tgvminibold") >= 0, "the bundled fonts are not built");
}

void TestOptions::init()
{
    QFile::remove(FDir.filePath("quillo.ini"));
    FSettings = std::make_unique<TSettings>(FDir.filePath("quillo.ini"));
    Settings = FSettings.get();
    FDialog = std::make_unique<TFQuilloOptions>();
    FDialog->SetTabLength = [this](TEditor Kind, int Value) { FDocuments.SetTabLength(Kind, Value); };
    FDialog->ShowWarning = [this](const QString &Text) { FWarnings << Text; };
    FDocuments = {};
    FWarnings.clear();
}

void TestOptions::cleanup()
{
    FDialog.reset();
    FDocuments.Editors.clear();
    Settings = nullptr;
    FSettings.reset();
}

void TestOptions::emptyStoreShowsDefaults()
{
    FDialog->show();
    for (const char *field : {"XVeditTabLength", "TgvEditTabLength", "EdenEditTabLength"})
        QCOMPARE(Find<QLineEdit>(field)->text(), QString("4"));
    QCOMPARE(Find<THPFontComboBox>("XvDefaultFontComboBox")->Text(), QString("XVDefault"));
    QCOMPARE(Find<THPFontComboBox>("TgvFontNormale")->Text(), QString("tgvnormal"));
    QCOMPARE(Find<THPFontComboBox>("TgvFont1")->Text(), QString("tgvfnt1"));
    QCOMPARE(Find<THPFontComboBox>("TgvFontIndiceExposant")->Text(), QString("tgvmini"));
    QCOMPARE(Find<THPFontComboBox>("EdenDefaultFontComboBox")->Text(), QString("XVDefault"));
    // The mini-font list holds mini fonts only, the others normal fonts only.
    QVERIFY(Find<THPFontComboBox>("TgvFontIndiceExposant")->findText("tgvnormal") < 0);
    QVERIFY(Find<THPFontComboBox>("TgvFontNormale")->findText("tgvmini") < 0);
}

void TestOptions::storedValuesShown()
{
    Settings->WriteString(SettingsKeys::TgvSection, SettingsKeys::TabLength, "12");
    Settings->WriteString(SettingsKeys::XViewSection, SettingsKeys::TabLength, "wide");
    Settings->WriteString(SettingsKeys::EdenSection, SettingsKeys::TabLength, "250");
    Settings->WriteString(SettingsKeys::TgvSection, SettingsKeys::DefaultMiniFont, "TGVMINIBOLD");
    Settings->WriteString(SettingsKeys::XViewSection, SettingsKeys::DefaultFont, "no such font");
    FDialog->show();
    QCOMPARE(Find<QLineEdit>("TgvEditTabLength")->text(), QString("12"));
    // Not a number, or more than the field holds: the default.
    QCOMPARE(Find<QLineEdit>("XVeditTabLength")->text(), QString("4"));
    QCOMPARE(Find<QLineEdit>("EdenEditTabLength")->text(), QString("4"));
    // Names compare without regard to case; an unknown name leaves the list's selection.
    QCOMPARE(Find<THPFontComboBox>("TgvFontIndiceExposant")->Text(), QString("tgvminibold"));
    QVERIFY(Find<THPFontComboBox>("XvDefaultFontComboBox")->currentIndex() >= 0);
}

void TestOptions::okGivesTabLengthsToTheirKindOnly()
{
    THPEdit2 *tgv = FDocuments.Open(TEditor::Tgv);
    THPEdit2 *xview = FDocuments.Open(TEditor::Xview);
    xview->SetTabLength(6);
    Settings->WriteInteger(SettingsKeys::XViewSection, SettingsKeys::TabLength, 6);
    FDialog->show();
    QLineEdit *tgvField = Find<QLineEdit>("TgvEditTabLength");
    tgvField->selectAll();
    QTest::keyClicks(tgvField, "8");
    QTest::mouseClick(Find<QPushButton>("OKBtn"), Qt::LeftButton);

    QVERIFY(!FDialog->isVisible());
    QCOMPARE(tgv->TabLength(), 8);
    QCOMPARE(xview->TabLength(), 6);
    // TGV first, then XView, then Eden; each kind receives its own field.
    const QList<QPair<TEditor, int>> expected{{TEditor::Tgv, 8}, {TEditor::Xview, 6}, {TEditor::Eden, 4}};
    QCOMPARE(FDocuments.Calls, expected);
    QCOMPARE(Stored(SettingsKeys::TgvSection, SettingsKeys::TabLength), QString("8"));
    QCOMPARE(Stored(SettingsKeys::EdenSection, SettingsKeys::TabLength), QString("4"));
}

void TestOptions::defaultFontsOnlyStored()
{
    THPEdit2 *xview = FDocuments.Open(TEditor::Xview);
    xview->SetSubDirFont("fonts");
    xview->SetFonts("XVDefault", "", "");
    FDialog->show();
    auto *combo = Find<THPFontComboBox>("XvDefaultFontComboBox");
    QVERIFY(combo->SelectFont("tgvnormal"));
    QTest::mouseClick(Find<QPushButton>("OKBtn"), Qt::LeftButton);

    QCOMPARE(Stored(SettingsKeys::XViewSection, SettingsKeys::DefaultFont), QString("tgvnormal"));
    QCOMPARE(Stored(SettingsKeys::TgvSection, SettingsKeys::DefaultNormalFont), QString("tgvnormal"));
    QCOMPARE(Stored(SettingsKeys::TgvSection, SettingsKeys::DefaultMiniFont), QString("tgvmini"));
    QCOMPARE(Stored(SettingsKeys::EdenSection, SettingsKeys::DefaultFont), QString("XVDefault"));
    // The open document keeps its font; only documents created afterwards read the new default.
    QCOMPARE(xview->FontNames(0), QString("XVDefault"));
}

void TestOptions::cancelWritesNothing()
{
    Settings->WriteInteger(SettingsKeys::EdenSection, SettingsKeys::TabLength, 3);
    Settings->Flush();
    QFile before(FDir.filePath("quillo.ini"));
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray stored = before.readAll();

    FDialog->show();
    Find<QLineEdit>("EdenEditTabLength")->setText("9");
    Find<QLineEdit>("TgvEditTabLength")->setText("");
    QVERIFY(Find<THPFontComboBox>("TgvFont1")->SelectFont("tgvnormal"));
    QTest::mouseClick(Find<QPushButton>("CancelBtn"), Qt::LeftButton);
    QVERIFY(!FDialog->isVisible());
    QVERIFY(FDocuments.Calls.isEmpty());
    QVERIFY(FWarnings.isEmpty());
    Settings->Flush();
    QFile after(FDir.filePath("quillo.ini"));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), stored);

    // The next showing shows the store again, not what was typed.
    FDialog->show();
    QCOMPARE(Find<QLineEdit>("EdenEditTabLength")->text(), QString("3"));
    QCOMPARE(Find<QLineEdit>("TgvEditTabLength")->text(), QString("4"));
    QCOMPARE(Find<THPFontComboBox>("TgvFont1")->Text(), QString("tgvfnt1"));
}

void TestOptions::tabLengthFieldTakesTwoDigits()
{
    FDialog->show();
    QLineEdit *field = Find<QLineEdit>("XVeditTabLength");
    field->clear();
    QTest::keyClicks(field, "a1-b234");
    QCOMPARE(field->text(), QString("12"));
}

void TestOptions::emptyTabLengthKeepsTheDialogOpen()
{
    FDialog->show();
    Find<QTabWidget>("PageControl")->setCurrentIndex(0);
    for (const char *typed : {"", "0"}) {
        QLineEdit *field = Find<QLineEdit>("EdenEditTabLength");
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::mouseClick(Find<QPushButton>("OKBtn"), Qt::LeftButton);
        QVERIFY(FDialog->isVisible());
    }
    QCOMPARE(FWarnings, QStringList(2, "A tab length is a number from 1 to 99."));
    QCOMPARE(Find<QTabWidget>("PageControl")->currentWidget()->objectName(), QString("OngletEden"));
    // Nothing was applied or stored, not even the kinds before the empty field.
    QVERIFY(FDocuments.Calls.isEmpty());
    QVERIFY(!Settings->ValueExists(SettingsKeys::TgvSection, SettingsKeys::TabLength));
}

void TestOptions::pageFollowsTheActiveDocument_data()
{
    QTest::addColumn<int>("previousPage");
    QTest::addColumn<int>("kind"); // -1: no document open
    QTest::addColumn<QString>("page");
    QTest::newRow("no document") << 1 << -1 << "OngletXView";
    QTest::newRow("XView") << 2 << int(TEditor::Xview) << "OngletXView";
    QTest::newRow("TGV") << 0 << int(TEditor::Tgv) << "OngletTgv";
    QTest::newRow("Eden") << 0 << int(TEditor::Eden) << "OngletEden";
    QTest::newRow("HP49 keeps the last page") << 2 << int(TEditor::Hp49) << "OngletEden";
    QTest::newRow("HP49 keeps the last page, TGV") << 1 << int(TEditor::Hp49) << "OngletTgv";
}

void TestOptions::pageFollowsTheActiveDocument()
{
    QFETCH(int, previousPage);
    QFETCH(int, kind);
    QFETCH(QString, page);
    FDialog->show();
    Find<QTabWidget>("PageControl")->setCurrentIndex(previousPage);
    QTest::mouseClick(Find<QPushButton>("CancelBtn"), Qt::LeftButton);

    FDialog->SetActiveKind(kind < 0 ? std::nullopt : std::optional<TEditor>(TEditor(kind)));
    FDialog->show();
    QCOMPARE(Find<QTabWidget>("PageControl")->currentWidget()->objectName(), page);
}

void TestOptions::helpAndTexts()
{
    QList<int> topics;
    FDialog->ShowHelp = [&topics](int Context) { topics << Context; };
    FDialog->show();
    QTest::mouseClick(Find<QPushButton>("HelpBtn"), Qt::LeftButton);
    QTest::keyClick(FDialog.get(), Qt::Key_F1);
    QCOMPARE(topics, (QList<int>{17, 17}));
    QVERIFY(FDialog->isVisible());

    QCOMPARE(FDialog->windowTitle(), QString("Quillo options"));
    auto *pages = Find<QTabWidget>("PageControl");
    QCOMPARE(pages->tabText(0), QString("XView"));
    QCOMPARE(pages->tabText(1), QString("Tgv"));
    QCOMPARE(pages->tabText(2), QString("Eden"));
    QCOMPARE(Find<QLabel>("TgvLabelMini")->text(), QString("default subscript/superscript mini font :"));
    QCOMPARE(Find<QPushButton>("HelpBtn")->text(), QString("&Help"));
    QVERIFY(Find<QPushButton>("OKBtn")->isDefault());

    // Escape cancels.
    QTest::keyClick(FDialog.get(), Qt::Key_Escape);
    QVERIFY(!FDialog->isVisible());
}

void TestOptions::fromTheMainWindow()
{
    FDialog.reset();
    TShellFixture f;
    TFFormBegin &w = f.Open();
    w.NewTGV->trigger();
    THPEdit2 *tgv = w.ActiveEditor();
    w.NewXView->trigger();
    THPEdit2 *xview = w.ActiveEditor();
    QVERIFY(tgv && xview && tgv != xview);

    // The user sets the TGV tab length and the XView default font, then presses OK.
    QString pageShown;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w.findChild<TFQuilloOptions *>();
        if (!dialog)
            return;
        pageShown = dialog->findChild<QTabWidget *>("PageControl")->currentWidget()->objectName();
        dialog->findChild<QLineEdit *>("TgvEditTabLength")->setText("8");
        dialog->findChild<THPFontComboBox *>("XvDefaultFontComboBox")->SelectFont("tgvnormal");
        QTest::mouseClick(dialog->findChild<QPushButton *>("OKBtn"), Qt::LeftButton);
    });
    w.Options_->trigger();
    QCOMPARE(pageShown, QString("OngletXView"));
    QCOMPARE(tgv->TabLength(), 8);
    QCOMPARE(xview->TabLength(), 4);
    QCOMPARE(xview->FontNames(0), QString("XVDefault"));

    // Documents created afterwards take the new values.
    w.NewXView->trigger();
    QCOMPARE(w.ActiveEditor()->FontNames(0), QString("tgvnormal"));
    w.NewTGV->trigger();
    QCOMPARE(w.ActiveEditor()->TabLength(), 8);
    QVERIFY(f.Warnings.isEmpty());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
