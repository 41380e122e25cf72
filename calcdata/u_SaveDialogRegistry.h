#pragma once
// The program's save dialog: starts in the remembered folder and remembers the chosen file's folder.
// It asks before overwriting a file unless the owner turns that off (DontConfirmOverwrite).
#include "u_FileDialogRegistry.h"

class TSaveDialogRegistry : public TFileDialogRegistry {
    Q_OBJECT
public:
    explicit TSaveDialogRegistry(QWidget *Parent = nullptr);
};
