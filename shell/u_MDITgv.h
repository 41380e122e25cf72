#pragma once
// The TGV document window: five styles, four font roles and pictures. Its right edge is not
// remembered: every TGV window starts at the stored TGV value.
#include "u_MDIHP.h"

class TFormMdiTgv : public TFormMdiHP {
    Q_OBJECT
public:
    explicit TFormMdiTgv(TFFormBegin *MainWindow);
    int HelpContext() const override { return 11; }

    // "Save Picture As...": shown while the context menu is for a picture line.
    QAction *SavePicture1 = nullptr;
    // The picture line the context menu is about: the line under the point it was asked for, else
    // the caret's line; -1 when neither shows a picture.
    int PopupPictureLine() const;

protected:
    void ApplyTexts() override;
    void AttrChanged(uint8_t Attr) override;
    void FontsChanged() override;
};
