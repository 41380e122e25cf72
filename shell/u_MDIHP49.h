#pragma once
// The HP49 document window: plain calculator strings with Eden's styles, one font and no font
// choice; its right edge becomes the default of the next HP49 window.
#include "u_MDIHP.h"

class TFormMdiHP49 : public TFormMdiHP {
    Q_OBJECT
public:
    explicit TFormMdiHP49(TFFormBegin *MainWindow);
    void HPHP49RightEdgeChanged() { RightEdgeChanged(); }

protected:
    void ApplyTexts() override;
    void AttrChanged(uint8_t Attr) override;
};
