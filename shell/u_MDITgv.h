#pragma once
// The TGV document window: five styles, four font roles and pictures. Its right edge is not
// remembered: every TGV window starts at the stored TGV value.
#include "u_MDIHP.h"

class TFormMdiTgv : public TFormMdiHP {
    Q_OBJECT
public:
    explicit TFormMdiTgv(TFFormBegin *MainWindow);
    int HelpContext() const override { return 11; }

protected:
    void ApplyTexts() override;
    void AttrChanged(uint8_t Attr) override;
    void FontsChanged() override;
};
