// Whole documents opened in an editor, as File > Open does: the readers' output inserted line by
// line with its pictures, in windows of every kind.
#include "u_Errors.h"
#include "u_THPEdit2.h"
#include "u_utils.h"

#include <QApplication>
#include <QTemporaryFile>
#include <cstdlib>

namespace {
QApplication *App = nullptr;
QTemporaryFile *File = nullptr;
THPEdit2 *Editors[3] = {};
}

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App = new QApplication(*Argc, *Argv);
    File = new QTemporaryFile;
    File->open();
    const TEditor kinds[3] = {TEditor::Tgv, TEditor::Xview, TEditor::Hp49};
    for (int i = 0; i < 3; ++i)
        Editors[i] = new THPEdit2(nullptr, kinds[i]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    File->resize(0);
    File->seek(0);
    File->write(reinterpret_cast<const char *>(Data), qint64(Size));
    File->flush();
    for (THPEdit2 *ed : Editors) {
        try {
            if (ed->Editor() == TEditor::Tgv)
                ed->LoadTgv(File->fileName());
            else
                ed->LoadText(File->fileName(), ed->Editor());
        } catch (const EErrorLoading &) {
            continue;
        }
        // A picture always has its line to itself.
        for (int i = 0; i < ed->LineCount(); ++i)
            if (ed->PictureOfLine(i) && ed->LineLength(i) != 1)
                std::abort();
    }
    return 0;
}
