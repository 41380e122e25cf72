#include "u_OpenDialogRegistry.h"

TOpenDialogRegistry::TOpenDialogRegistry(QWidget *Parent) : TFileDialogRegistry(Parent, QFileDialog::AcceptOpen)
{
    setObjectName(QStringLiteral("OpenDialog"));
}
