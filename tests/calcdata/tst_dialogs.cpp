// The file dialogs: the one remembered folder, the picture preview and the options panels of the
// two save dialogs. Every dialog is worked from a timer inside its own modal loop, and cancelled by
// a second timer should a test leave it open.
#include "u_DialogsHP.h"
#include "u_Settings.h"
#include "u_TGrob.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs Execute while Action works the dialog.
bool Run(TFileDialogRegistry &Dialog, const std::function<void()> &Action)
{
    QTimer::singleShot(0, &Dialog, Action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &Dialog, &QDialog::reject);
    guard.start(10000);
    return Dialog.Execute();
}

// Goes to the file's folder and types its name, as a user would.
void ChooseFile(QFileDialog &Dialog, const QString &Path)
{
    const QFileInfo info(Path);
    Dialog.setDirectory(info.absolutePath());
    Dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(info.fileName());
}

// The dialog's own confirmation, as its Open or Save button gives it.
void Confirm(QDialog &Dialog)
{
    QMetaObject::invokeMethod(&Dialog, "accept");
}

void UseProgramFolder(TFileDialogRegistry &Dialog)
{
    Dialog.SetKeyPath(SettingsKeys::RootKeyPath);
    Dialog.SetvalueName(SettingsKeys::OpenSavePath);
}

QString StoredFolder()
{
    return Settings->ReadString(SettingsKeys::NoSection, SettingsKeys::OpenSavePath, QString());
}

void WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(Bytes);
}

QImage Picture(int W, int H, QRgb Ink)
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Ink);
    return image;
}

// A grob file of the picture: every pixel that is not white set.
QByteArray GrobFileOf(const QImage &Image)
{
    auto grob = TSharedRef<TGrob>::Adopt(new TGrob);
    grob->AssignBitmap(Image);
    return grob->FileBytes();
}

bool IsBlack(const QImage &Image, int X, int Y)
{
    return qGray(Image.pixel(X, Y)) < 128;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::unique_ptr<TSettings> FStore;

    QString Folder(const QString &Name)
    {
        QDir(FDir.path()).mkpath(Name);
        return FDir.filePath(Name);
    }

private slots:
    void initTestCase()
    {
        FStore = std::make_unique<TSettings>(FDir.filePath(QStringLiteral("settings.ini")));
        Settings = FStore.get();
    }
    void cleanupTestCase()
    {
        Settings = nullptr;
        FStore.reset();
    }

    void sectionOfKeyPath_data()
    {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("section");
        QTest::newRow("the program's key") << "\\Software\\Quillo" << "";
        QTest::newRow("without the leading separator") << "Software\\Quillo" << "";
        QTest::newRow("in another case") << "\\SOFTWARE\\quillo\\" << "";
        QTest::newRow("a key below it") << "\\Software\\Quillo\\Dialogs" << "Dialogs";
        QTest::newRow("some other key") << "\\Other\\Place" << "Other/Place";
    }
    void sectionOfKeyPath()
    {
        QFETCH(QString, keyPath);
        QFETCH(QString, section);
        QCOMPARE(SettingsSectionOfKey(keyPath), section);
    }

    void filtersMatchAnyCase()
    {
        const QStringList filters =
            NameFiltersFromFilter(QStringLiteral("Quillo Files|*.XV;*.TGV|Grob files (*.grb)|*.grb|dangling"));
        QCOMPARE(filters, (QStringList{QStringLiteral("Quillo Files (*.xv *.[xX][vV] *.[tT][gG][vV])"),
                                       QStringLiteral("Grob files (*.grb) (*.grb *.[gG][rR][bB])")}));
        const QRegularExpression grob = QRegularExpression::fromWildcard(QStringLiteral("*.[gG][rR][bB]"));
        QVERIFY(grob.match(QStringLiteral("PIC.GRB")).hasMatch());
        QVERIFY(grob.match(QStringLiteral("pic.Grb")).hasMatch());
        QCOMPARE(ExtensionsFromFilter(QStringLiteral("All|*.*|TGV (*.TGV)|*.TGV;*.T49|Any|*")),
                 (QStringList{QString(), QStringLiteral("tgv"), QString()}));
    }

    // The name typed gets the extension of the filter chosen, and never a filter's pattern.
    void filterChoiceGivesTheNameItsExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("downs");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension, filter left as it is") << "starraider" << 0 << "starraider.tgv";
        QTest::newRow("no extension, Eden chosen") << "starraider" << 3 << "starraider.eden";
        QTest::newRow("TGV name, XView chosen") << "starraider.tgv" << 2 << "starraider.xv";
        QTest::newRow("upper-case name, T49 chosen") << "STAR.TGV" << 1 << "STAR.t49";
    }
    void filterChoiceGivesTheNameItsExtension()
    {
        QFETCH(QString, typed);
        QFETCH(int, downs);
        QFETCH(QString, saved);
        const QString folder = Folder(QStringLiteral("named"));
        THPSaveTgvDialog dialog;
        dialog.SetFilter(QStringLiteral("TGV HP48 Files (*.TGV)|*.TGV|TGV HP49 Files (*.T49)|*.T49|XView Files(*.XV)|*.XV|"
                                        "Eden Files(*.Eden)|*.Eden|HP49 Files(*.HP49)|*.HP49"));
        QString shown;
        QVERIFY(Run(dialog, [&] {
            ChooseFile(dialog, folder + u'/' + typed);
            auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setFocus();
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(types, Qt::Key_Down);
            shown = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            Confirm(dialog);
        }));
        QVERIFY2(!shown.contains(u'['), qPrintable(shown));
        QCOMPARE(dialog.FileName(), folder + u'/' + saved);
        QCOMPARE(dialog.FilterIndex(), downs + 1);
    }

    void textsSetByNameTakeEffect()
    {
        THPOpenGrobDialog dialog;
        dialog.setProperty("Filter", QStringLiteral("Grob files (*.grb)|*.grb|Bitmap files (*.bmp)|*.bmp"));
        dialog.setProperty("Title", QStringLiteral("Open a grob"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Open a grob"));
        // The given filters follow the one that lists every picture the dialog reads.
        const QStringList filters = dialog.nameFilters();
        QVERIFY(filters.size() > 3);
        QVERIFY(filters.at(1).startsWith(QStringLiteral("Grob files (*.grb) (")));
        QVERIFY(filters.at(2).startsWith(QStringLiteral("Bitmap files (*.bmp) (")));
    }

    void f1ShowsTheDialogsHelpTopic()
    {
        THPSaveTgvDialog dialog;
        QList<int> shown;
        dialog.ShowHelp = [&](int Context) { shown << Context; };
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_F1);
        QVERIFY(shown.isEmpty()); // no topic set, nothing shown
        dialog.HelpContext = 16;
        QTest::keyClick(&dialog, Qt::Key_F1);
        QCOMPARE(shown, QList<int> {16});
    }

    void oneFolderIsRememberedForEveryDialog()
    {
        const QString first = Folder(QStringLiteral("first"));
        const QString second = Folder(QStringLiteral("second"));
        WriteFile(first + QStringLiteral("/doc.xv"), "%%HP: T(3);\n\"\"");
        WriteFile(second + QStringLiteral("/pic.grb"), GrobFileOf(Picture(8, 8, qRgb(0, 0, 0))));

        TOpenDialogRegistry open;
        UseProgramFolder(open);
        QVERIFY(Run(open, [&] {
            ChooseFile(open, first + QStringLiteral("/doc.xv"));
            Confirm(open);
        }));
        QCOMPARE(open.FileName(), first + QStringLiteral("/doc.xv"));
        QCOMPARE(StoredFolder(), first + u'/');

        // A dialog of another kind starts there; cancelling it leaves the folder as it was.
        THPSaveTgvDialog saveTgv;
        UseProgramFolder(saveTgv);
        QString startedIn;
        QVERIFY(!Run(saveTgv, [&] {
            startedIn = saveTgv.directory().absolutePath();
            ChooseFile(saveTgv, second + QStringLiteral("/new.tgv"));
            saveTgv.reject();
        }));
        QCOMPARE(startedIn, first);
        QCOMPARE(StoredFolder(), first + u'/');

        THPOpenGrobDialog openGrob;
        UseProgramFolder(openGrob);
        QVERIFY(Run(openGrob, [&] {
            ChooseFile(openGrob, second + QStringLiteral("/pic.grb"));
            Confirm(openGrob);
        }));
        QCOMPARE(StoredFolder(), second + u'/');

        // The proposed name is used without its folder, so the remembered folder wins.
        THPSaveXVEdenDialog saveXV;
        UseProgramFolder(saveXV);
        saveXV.SetDefaultExt(QStringLiteral(".xv"));
        saveXV.SetFileName(first + QStringLiteral("/notes"));
        QVERIFY(Run(saveXV, [&] {
            startedIn = saveXV.directory().absolutePath();
            Confirm(saveXV);
        }));
        QCOMPARE(startedIn, second);
        QCOMPARE(saveXV.FileName(), second + QStringLiteral("/notes.xv"));
    }

    void withoutKeyPathNothingIsRemembered()
    {
        const QString folder = Folder(QStringLiteral("elsewhere"));
        WriteFile(folder + QStringLiteral("/a.xv"), "x");
        Settings->WriteString(SettingsKeys::NoSection, SettingsKeys::OpenSavePath, QStringLiteral("/kept/"));
        TOpenDialogRegistry open;
        QVERIFY(Run(open, [&] {
            ChooseFile(open, folder + QStringLiteral("/a.xv"));
            Confirm(open);
        }));
        QCOMPARE(StoredFolder(), QStringLiteral("/kept/"));
    }

    void grobPreview_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        const QByteArray grob = GrobFileOf(Picture(60, 40, qRgb(0, 0, 0)));
        QByteArray bitmap;
        {
            QImage image = Picture(30, 20, qRgb(255, 255, 255));
            QBuffer buffer(&bitmap);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "BMP");
        }
        QByteArray truncated = GrobFileOf(Picture(1000, 1000, qRgb(0, 0, 0))).left(18 + 2 * 125);
        QTest::newRow("grob, lower-case extension") << "pic.grb" << grob << QSize(60, 40);
        QTest::newRow("grob, upper-case extension") << "PIC2.GRB" << grob << QSize(60, 40);
        QTest::newRow("bitmap, mixed-case extension") << "pic.Bmp" << bitmap << QSize(30, 20);
        QTest::newRow("another extension") << "pic.txt" << grob << QSize(0, 0);
        QTest::newRow("grob too short to read") << "bad.grb" << QByteArray("HPHP4") << QSize(0, 0);
        QTest::newRow("grob promising more rows than it holds") << "cut.grb" << truncated << QSize(0, 0);
        QTest::newRow("bitmap that is not one") << "fake.bmp" << QByteArray(100, 'x') << QSize(0, 0);
    }
    void grobPreview()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        const QString path = Folder(QStringLiteral("pictures")) + u'/' + name;
        WriteFile(path, content);
        THPOpenGrobDialog dialog;
        dialog.SelectionChange(path);
        QCOMPARE(dialog.LastFileName(), path);
        QCOMPARE(dialog.Preview().size(), size);
    }

    void previewOfFoldersAndMissingFilesIsEmpty()
    {
        const QString folder = Folder(QStringLiteral("looks.grb"));
        const QString good = Folder(QStringLiteral("pictures")) + QStringLiteral("/good.grb");
        WriteFile(good, GrobFileOf(Picture(8, 8, qRgb(0, 0, 0))));
        THPOpenGrobDialog dialog;
        dialog.SelectionChange(good);
        QVERIFY(!dialog.Preview().isNull());
        dialog.SelectionChange(folder);
        QVERIFY(dialog.Preview().isNull());
        dialog.SelectionChange(good);
        dialog.SelectionChange(FDir.filePath(QStringLiteral("missing.grb")));
        QVERIFY(dialog.Preview().isNull());
    }

    void previewFollowsTheHalfwayThreshold()
    {
        // A picture in colour or grey shows as the conversion's default makes it: dark pixels black.
        QImage image = Picture(4, 1, qRgb(255, 255, 255));
        image.setPixel(1, 0, qRgb(254, 255, 255));
        image.setPixel(2, 0, qRgb(64, 64, 64));
        image.setPixel(3, 0, qRgb(200, 200, 200));
        const QString path = Folder(QStringLiteral("pictures")) + QStringLiteral("/grey.bmp");
        QVERIFY(image.save(path, "BMP"));
        const QImage preview = LoadGrobPreview(path);
        QCOMPARE(preview.size(), QSize(4, 1));
        QVERIFY(!IsBlack(preview, 0, 0));
        QVERIFY(!IsBlack(preview, 1, 0));
        QVERIFY(IsBlack(preview, 2, 0));
        QVERIFY(!IsBlack(preview, 3, 0));
    }

    void previewPlacement_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("too wide: top-left, clipped") << QSize(300, 50) << QPoint(0, 0);
        QTest::newRow("fits: centred") << QSize(60, 40) << QPoint(46, 50);
        QTest::newRow("fits exactly") << QSize(153, 141) << QPoint(0, 0);
        QTest::newRow("too tall by one") << QSize(10, 142) << QPoint(0, 0);
    }
    void previewPlacement()
    {
        QFETCH(QSize, picture);
        QFETCH(QPoint, origin);
        QCOMPARE(THPOpenGrobDialog::PreviewOrigin(picture, QSize(153, 141)), origin);

        const QString path = Folder(QStringLiteral("placed")) + QStringLiteral("/%1x%2.grb").arg(picture.width()).arg(picture.height());
        WriteFile(path, GrobFileOf(Picture(picture.width(), picture.height(), qRgb(0, 0, 0))));
        THPOpenGrobDialog dialog;
        dialog.SelectionChange(path);
        dialog.PaintBox()->setFixedSize(153, 141);
        const QImage shot = dialog.PaintBox()->grab().toImage();
        const QRect drawn = QRect(origin, picture) & QRect(0, 0, 153, 141);
        QVERIFY(IsBlack(shot, drawn.left(), drawn.top()));
        QVERIFY(IsBlack(shot, drawn.right(), drawn.bottom()));
        if (drawn.left() > 0)
            QVERIFY(!IsBlack(shot, drawn.left() - 1, drawn.top()));
        if (drawn.bottom() < 140)
            QVERIFY(!IsBlack(shot, drawn.left(), drawn.bottom() + 1));
    }

    void tgvPanelEditsTheMenuOptions()
    {
        const QString folder = Folder(QStringLiteral("tgv"));
        THPSaveTgvDialog dialog;
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.SetMenuChar('M');
        dialog.SetMenuWhenStarted(true);
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("EditChar"));
        auto *check = dialog.findChild<QCheckBox *>(QStringLiteral("CheckBox"));
        QVERIFY(edit && check);

        // Emptied and cancelled: no menu key.
        QVERIFY(!Run(dialog, [&] {
            QCOMPARE(edit->text(), QStringLiteral("M"));
            QVERIFY(check->isChecked());
            QCOMPARE(check->text(), QStringLiteral("Menu when started"));
            edit->clear();
            dialog.reject();
        }));
        QCOMPARE(dialog.MenuChar(), uint8_t('*'));

        QVERIFY(Run(dialog, [&] {
            QCOMPARE(edit->text(), QStringLiteral("*"));
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("QZ"));
            check->setChecked(false);
            ChooseFile(dialog, folder + QStringLiteral("/doc.tgv"));
            Confirm(dialog);
        }));
        QCOMPARE(dialog.MenuChar(), uint8_t('Q'));
        QVERIFY(!dialog.MenuWhenStarted());
        QCOMPARE(dialog.FileName(), folder + QStringLiteral("/doc.tgv"));
    }

    void xvEdenPanelEditsTheProgramName()
    {
        THPSaveXVEdenDialog dialog;
        dialog.SetexecuteWith(QStringLiteral("EDEN"));
        dialog.SetwillExecute(true);
        QCOMPARE(dialog.GroupBox(), nullptr);

        int firstWidth = 0;
        QVERIFY(!Run(dialog, [&] {
            QGroupBox *group = dialog.GroupBox();
            QVERIFY(group);
            QCOMPARE(group->title(), QStringLiteral("Options"));
            auto *check = group->findChild<QCheckBox *>(QStringLiteral("CheckBox"));
            auto *editor = group->findChild<QComboBox *>(QStringLiteral("Editor"));
            QVERIFY(check && editor);
            // The panel stands on the right of the standard controls.
            auto *nameEdit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(group->mapTo(&dialog, QPoint(0, 0)).x() > nameEdit->mapTo(&dialog, QPoint(nameEdit->width(), 0)).x());
            // It widens the dialog instead of taking its room from the file list.
            TSaveDialogRegistry plain;
            QVERIFY(dialog.width() >= plain.width() + group->width());
            firstWidth = dialog.width();

            QCOMPARE(editor->currentText(), QStringLiteral("EDEN"));
            QCOMPARE(editor->count(), 2);
            QCOMPARE(editor->itemText(0), QStringLiteral("XV"));
            QVERIFY(editor->isEnabled());
            editor->lineEdit()->clear();
            QTest::keyClicks(editor->lineEdit(), QStringLiteral("ABC\"DEFGHIJKL"));
            QCOMPARE(editor->currentText(), QStringLiteral("ABCDEFGHIJ"));
            QCOMPARE(dialog.executeWith(), QStringLiteral("ABCDEFGHIJ"));
            check->click();
            QVERIFY(!editor->isEnabled());
            QVERIFY(!dialog.willExecute());
            dialog.reject();
        }));
        // The choices took effect although the dialog was cancelled, and the panel is gone.
        QCOMPARE(dialog.GroupBox(), nullptr);
        QVERIFY(!dialog.willExecute());
        QCOMPARE(dialog.executeWith(), QStringLiteral("ABCDEFGHIJ"));

        // The next run builds the panel from them, at the same width.
        QVERIFY(!Run(dialog, [&] {
            QCOMPARE(dialog.width(), firstWidth);
            auto *editor = dialog.GroupBox()->findChild<QComboBox *>(QStringLiteral("Editor"));
            QVERIFY(!editor->isEnabled());
            QVERIFY(!dialog.GroupBox()->findChild<QCheckBox *>(QStringLiteral("CheckBox"))->isChecked());
            dialog.reject();
        }));
    }

    void fileTypesAreToldByNameWithoutReading()
    {
        // A picture's first bytes under a name without extension: only reading it would tell.
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("picture")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG\r\n\x1a\n");
        file.close();
        const QString png = QMimeDatabase().mimeTypeForName(QStringLiteral("image/png")).comment();
        QCOMPARE(QFileIconProvider().type(QFileInfo(file.fileName())), png);
        TFileTypesByName types;
        QVERIFY(types.type(QFileInfo(file.fileName())) != png);
        TSaveDialogRegistry dialog;
        QVERIFY(dynamic_cast<const TFileTypesByName *>(dialog.iconProvider()));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
