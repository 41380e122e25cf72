#include "u_SaveDialogRegistry.h"

TSaveDialogRegistry::TSaveDialogRegistry(QWidget *Parent) : TFileDialogRegistry(Parent, QFileDialog::AcceptSave)
{
    setObjectName(QStringLiteral("SaveDialog"));
}
