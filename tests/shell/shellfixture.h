#pragma once
// A main window on a private settings store, with every modal prompt answered by the test.
#include "u_DialogsHP.h"
#include "u_InterfBegin.h"
#include "u_MDIHP.h"
#include "u_MRUFileList.h"
#include "u_Settings.h"
#include "u_TGrob.h"
#include "u_utils.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QToolBar>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TShellFixture {
public:
    TShellFixture()
    {
        AppDir = QStringLiteral(QUILLO_BUILD_DIR);
        if (!FontList) {
            // Kept for the whole test program, as the program keeps its own.
            static TListGrobFont programFonts;
            LoadProgramFonts(programFonts);
            FontList = &programFonts;
        }
        Settings = new TSettings(Dir.filePath(QStringLiteral("settings.ini")));
    }
    ~TShellFixture()
    {
        Window.reset();
        delete Settings;
        Settings = nullptr;
    }
    TShellFixture(const TShellFixture &) = delete;
    TShellFixture &operator=(const TShellFixture &) = delete;

    // Creates (or re-creates, as a new run of the program would) the main window.
    TFFormBegin &Open()
    {
        Window.reset();
        Window = std::make_unique<TFFormBegin>();
        Window->OnWarning = [this](const QString &Text) { Warnings << Text; };
        Window->OnQuestion = [this](const QString &Text, QMessageBox::StandardButtons) {
            Questions << Text;
            return Answers.isEmpty() ? QMessageBox::Cancel : Answers.takeFirst();
        };
        Window->OnExecuteDialog = [this](TFileDialogRegistry &Dialog) {
            DialogsRun << &Dialog;
            if (DialogFiles.isEmpty())
                return false;
            Dialog.SetFileName(DialogFiles.takeFirst());
            return true;
        };
        Window->OnTransfer = [this] { ++Transfers; };
        Window->resize(900, 600);
        Window->show();
        Settle();
        return *Window;
    }

    // Closes the window as the program does at exit, saving what it saves then.
    void Close()
    {
        Window.reset();
    }

    // Lets posted notifications and activation changes run.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // A file with Content in the private folder; returns its full path.
    QString MakeFile(const QString &Name, const QByteArray &Content = QByteArray("%%HP: T(3)A(R)F(.);\n\"x\"\n"))
    {
        const QString path = Dir.filePath(Name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(Content);
        return path;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TFFormBegin> Window;
    QStringList Warnings;
    QStringList Questions;
    QList<QMessageBox::StandardButton> Answers;
    QStringList DialogFiles;
    QList<TFileDialogRegistry *> DialogsRun;
    int Transfers = 0;
};
