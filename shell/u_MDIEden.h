#pragma once
// The Eden document window: XView's styles and italic; its right edge becomes the default of the
// next Eden window.
#include "u_MDIHP.h"

class TFormMdiEden : public TFormMdiHP {
    Q_OBJECT
public:
    explicit TFormMdiEden(TFFormBegin *MainWindow);
    void HPEden1RightEdgeChanged() { RightEdgeChanged(); }

protected:
    void ApplyTexts() override;
    void AttrChanged(uint8_t Attr) override;
};
