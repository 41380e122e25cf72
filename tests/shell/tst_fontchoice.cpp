// The TGV font choice dialog: it shows the active document's three fonts, and Ok gives that
// document — and only that one — the fonts chosen.
#include "shellfixture.h"
#include "u_Settings.h"
#include "u_TGVFontChoice.h"
#include "u_GlobalScope.h"
#include "u_TGrob.h"
#include "u_THPEdit2.h"
#include "u_THPFontComboBox.h"
#include "u_utils.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {
// The window an editor lives in: it counts the font notifications the editor posts.
class THost : public QWidget {
public:
    int FontsChanged = 0;

protected:
    bool event(QEvent *Event) override
    {
        if (Event->type() == QEvent::Type(HPM_FONTSCHANGED)) {
            ++FontsChanged;
            return true;
        }
        return QWidget::event(Event);
    }
};

// The pixels of code Code as the editor draws it with attribute Attr.
QImage Glyph(THPEdit2 *Editor, uint8_t Attr, uint8_t Code)
{
    TGrobFont *font = Editor->StyledFont(Attr);
    return font->Strip(false).copy(font->CellRect(Code, false));
}
} // namespace

class TestFontChoice : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void currentFontsSelected();
    void newMiniFontChangesSuperscriptAndSubscript();
    void cancelChangesNothing();
    void unreadableFontIsReported();
    void listsAndTexts();
    void fromTheMainWindow();

private:
    THPEdit2 *NewTgvEditor(const QString &Mini = "tgvmini");
    template <class T>
    T *Find(const char *Name)
    {
        return FDialog->findChild<T *>(QLatin1String(Name));
    }

    QTemporaryDir FDir;
    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TGlobalScope<TListGrobFont>> FFontList;
    std::unique_ptr<TFTGVFontChoice> FDialog;
    std::vector<std::unique_ptr<THost>> FHosts;
    QStringList FWarnings;
};

void TestFontChoice::initTestCase()
{
    AppDir = QUILLO_BUILD_DIR;
    FFontList = std::make_unique<TGlobalScope<TListGrobFont>>(FontList);
    LoadProgramFonts(*FontList);
    QVERIFY2(FontList->IndexOf("tgvminibold") >= 0 && FontList->IndexOf("tgvslant") >= 0,
             "the bundled fonts are not built");
}

void TestFontChoice::init()
{
    FSettings = std::make_unique<TSettings>(FDir.filePath("quillo.ini"));
    Settings = FSettings.get();
    FDialog = std::make_unique<TFTGVFontChoice>();
    FDialog->ShowWarning = [this](const QString &Text) { FWarnings << Text; };
    FWarnings.clear();
}

void TestFontChoice::cleanup()
{
    FDialog.reset();
    FHosts.clear();
    Settings = nullptr;
    FSettings.reset();
}

THPEdit2 *TestFontChoice::NewTgvEditor(const QString &Mini)
{
    FHosts.push_back(std::make_unique<THost>());
    auto *editor = new THPEdit2(FHosts.back().get(), TEditor::Tgv);
    editor->SetSubDirFont("fonts");
    editor->SetFonts("tgvnormal", "tgvfnt1", Mini);
    QCoreApplication::processEvents();
    FHosts.back()->FontsChanged = 0;
    return editor;
}

void TestFontChoice::currentFontsSelected()
{
    THPEdit2 *first = NewTgvEditor();
    THPEdit2 *second = NewTgvEditor("tgvminibold");
    second->SetFonts("tgvslant", "tgvnormal", "tgvminibold");
    FDialog->SetEditor(first);
    FDialog->show();
    QCOMPARE(Find<THPFontComboBox>("FontNormale")->Text(), QString("tgvnormal"));
    QCOMPARE(Find<THPFontComboBox>("Font1")->Text(), QString("tgvfnt1"));
    QCOMPARE(Find<THPFontComboBox>("FontIndiceExposant")->Text(), QString("tgvmini"));
    FDialog->hide();

    // Each showing follows the document it is shown for.
    FDialog->SetEditor(second);
    FDialog->show();
    QCOMPARE(Find<THPFontComboBox>("FontNormale")->Text(), QString("tgvslant"));
    QCOMPARE(Find<THPFontComboBox>("Font1")->Text(), QString("tgvnormal"));
    QCOMPARE(Find<THPFontComboBox>("FontIndiceExposant")->Text(), QString("tgvminibold"));
}

void TestFontChoice::newMiniFontChangesSuperscriptAndSubscript()
{
    THPEdit2 *active = NewTgvEditor();
    THPEdit2 *other = NewTgvEditor();
    const QImage superBefore = Glyph(active, fsSuperscript, 'A');
    const QImage subBefore = Glyph(active, fsSubscript, 'A');
    const QImage normalBefore = Glyph(active, 0, 'A');

    FDialog->SetEditor(active);
    FDialog->show();
    QVERIFY(Find<THPFontComboBox>("FontIndiceExposant")->SelectFont("tgvminibold"));
    QTest::mouseClick(Find<QPushButton>("ButtonOk"), Qt::LeftButton);
    QVERIFY(!FDialog->isVisible());

    QCOMPARE(active->FontNames(2), QString("tgvminibold"));
    QCOMPARE(active->FontNames(3), QString("tgvminibold"));
    QVERIFY(Glyph(active, fsSuperscript, 'A') != superBefore);
    QVERIFY(Glyph(active, fsSubscript, 'A') != subBefore);
    QCOMPARE(Glyph(active, 0, 'A'), normalBefore);
    // The window is told, so that its character table and font lists follow.
    QCoreApplication::processEvents();
    QCOMPARE(FHosts[0]->FontsChanged, 1);

    // Another document and the stored defaults keep their fonts.
    QCOMPARE(other->FontNames(2), QString("tgvmini"));
    QCOMPARE(Glyph(other, fsSuperscript, 'A'), superBefore);
    QCOMPARE(FHosts[1]->FontsChanged, 0);
    QVERIFY(!Settings->ValueExists(SettingsKeys::TgvSection, SettingsKeys::DefaultMiniFont));
}

void TestFontChoice::cancelChangesNothing()
{
    THPEdit2 *active = NewTgvEditor();
    FDialog->SetEditor(active);
    FDialog->show();
    QVERIFY(Find<THPFontComboBox>("FontNormale")->SelectFont("tgvslant"));
    QVERIFY(Find<THPFontComboBox>("FontIndiceExposant")->SelectFont("tgvminibold"));
    QTest::mouseClick(Find<QPushButton>("ButtonCancel"), Qt::LeftButton);
    QVERIFY(!FDialog->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(active->FontNames(0), QString("tgvnormal"));
    QCOMPARE(active->FontNames(2), QString("tgvmini"));
    QCOMPARE(FHosts[0]->FontsChanged, 0);

    // The close box and Escape cancel too.
    FDialog->show();
    QVERIFY(Find<THPFontComboBox>("Font1")->SelectFont("tgvslant"));
    QTest::keyClick(FDialog.get(), Qt::Key_Escape);
    QVERIFY(!FDialog->isVisible());
    QCOMPARE(active->FontNames(1), QString("tgvfnt1"));
}

void TestFontChoice::unreadableFontIsReported()
{
    // A font file that went away after the list was made: the user is told, the dialog closes.
    THPEdit2 *active = NewTgvEditor();
    active->SetSubDirFont("no-such-folder");
    FDialog->SetEditor(active);
    FDialog->show();
    QVERIFY(Find<THPFontComboBox>("Font1")->SelectFont("tgvslant"));
    QTest::mouseClick(Find<QPushButton>("ButtonOk"), Qt::LeftButton);
    QCOMPARE(FWarnings.size(), 1);
    QVERIFY2(FWarnings.at(0).contains("tgvslant"), qPrintable(FWarnings.at(0)));
    QVERIFY(!FDialog->isVisible());
}

void TestFontChoice::listsAndTexts()
{
    FDialog->show();
    QCOMPARE(FDialog->windowTitle(), QString("Fonts choice"));
    QCOMPARE(Find<QLabel>("Label3")->text(), QString("Superscript/subscript mini font :"));
    QCOMPARE(Find<QPushButton>("ButtonOk")->text(), QString("Ok"));
    // Normal fonts in the first two lists, mini fonts in the third, from the whole font list.
    auto *normal = Find<THPFontComboBox>("FontNormale");
    auto *mini = Find<THPFontComboBox>("FontIndiceExposant");
    QVERIFY(normal->findText("tgvslant") >= 0 && normal->findText("tgvmini") < 0);
    QVERIFY(mini->findText("tgvminibold") >= 0 && mini->findText("tgvnormal") < 0);
    QCOMPARE(Find<THPFontComboBox>("Font1")->count(), normal->count());
    int topic = 0;
    FDialog->ShowHelp = [&topic](int Context) { topic = Context; };
    QTest::keyClick(FDialog.get(), Qt::Key_F1);
    QCOMPARE(topic, 14);
}

void TestFontChoice::fromTheMainWindow()
{
    FDialog.reset();
    TShellFixture f;
    TFFormBegin &w = f.Open();
    w.NewTGV->trigger();
    THPEdit2 *other = w.ActiveEditor();
    w.NewTGV->trigger();
    THPEdit2 *active = w.ActiveEditor();
    QVERIFY(other && active && other != active);
    const QImage superBefore = Glyph(active, fsSuperscript, 'A');

    QString shownMini;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w.findChild<TFTGVFontChoice *>();
        if (!dialog)
            return;
        auto *mini = dialog->findChild<THPFontComboBox *>("FontIndiceExposant");
        shownMini = mini->Text();
        mini->SelectFont("tgvminibold");
        QTest::mouseClick(dialog->findChild<QPushButton *>("ButtonOk"), Qt::LeftButton);
    });
    w.ChangeFonts_->trigger();
    TShellFixture::Settle();
    QCOMPARE(shownMini, QString("tgvmini"));
    QCOMPARE(active->FontNames(2), QString("tgvminibold"));
    QCOMPARE(other->FontNames(2), QString("tgvmini"));

    // The character table shows the new glyphs for the superscript role.
    w.ComboChangeTableFontTgv->setCurrentIndex(2);
    emit w.ComboChangeTableFontTgv->Change();
    TGrobFont *shown = w.TableCharsHPTgv->Font();
    QVERIFY(shown);
    QCOMPARE(shown->Strip(false).copy(shown->CellRect('A', false)), Glyph(active, fsSuperscript, 'A'));
    QVERIFY(Glyph(active, fsSuperscript, 'A') != superBefore);
    QVERIFY(f.Warnings.isEmpty());
}

QTEST_MAIN(TestFontChoice)
#include "tst_fontchoice.moc"
