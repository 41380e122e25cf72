// The files the transfer dialog offers for a document follow its editor: its kind, its fonts and
// the folder they are read from.
#include "shellfixture.h"
#include "u_TransferDocument.h"
#include "u_THPEdit2.h"
#include "u_utils.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestTransferFormDocument : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppDir = QUILLO_BUILD_DIR; }
    void filesOfEachKind_data();
    void filesOfEachKind();
    void fromTheMainWindow();
};

void TestTransferFormDocument::filesOfEachKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("TGV") << int(TEditor::Tgv)
                         << QStringList{"Current File (A.TGV)", "Normal Font (tgvslant)", "Font1 (tgvfnt1)",
                                        "superscript/subscript Font (tgvminibold)"};
    QTest::newRow("XView") << int(TEditor::Xview) << QStringList{"Current File (A.TGV)", "Font (tgvslant)"};
    QTest::newRow("Eden") << int(TEditor::Eden) << QStringList{"Current File (A.TGV)", "Font (tgvslant)"};
    QTest::newRow("HP49") << int(TEditor::Hp49) << QStringList{"Current File (A.TGV)"};
}

void TestTransferFormDocument::filesOfEachKind()
{
    QFETCH(int, kind);
    QFETCH(QStringList, items);
    THPEdit2 editor(nullptr, TEditor(kind));
    editor.SetSubDirFont("fonts");
    editor.SetFonts("tgvslant", "tgvfnt1", "tgvminibold");
    const TTransferDocument document = TransferDocumentOf(editor, "/home/me/A.TGV");
    QCOMPARE(document.SubDirFont, QString("fonts/"));

    TFTransferForm form;
    form.SetDocument(document);
    form.show();
    auto *list = form.findChild<QListWidget *>("ListBoxFiles");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, items);
}

void TestTransferFormDocument::fromTheMainWindow()
{
    TShellFixture f;
    TFFormBegin &w = f.Open();
    w.OnTransfer = nullptr;
    w.OpenFile(f.MakeFile("NOTE.XV"));
    QVERIFY(w.ActiveEditor());

    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = w.findChild<TFTransferForm *>();
        if (!dialog)
            return;
        auto *list = dialog->findChild<QListWidget *>("ListBoxFiles");
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QTest::mouseClick(dialog->findChild<QPushButton *>("btnCancel"), Qt::LeftButton);
    });
    w.Transfer_->trigger();
    QCOMPARE(shown, (QStringList{"Current File (NOTE.XV)", "Font (XVDefault)"}));
    QVERIFY(f.Questions.isEmpty());
    QVERIFY(f.Warnings.isEmpty());
}

QTEST_MAIN(TestTransferFormDocument)
#include "tst_TransferFormDocument.moc"
