#pragma once
// The program's open dialog: starts in the remembered folder and remembers the chosen file's folder.
#include "u_FileDialogRegistry.h"

class TOpenDialogRegistry : public TFileDialogRegistry {
    Q_OBJECT
public:
    explicit TOpenDialogRegistry(QWidget *Parent = nullptr);
};
