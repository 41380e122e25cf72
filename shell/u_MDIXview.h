#pragma once
// The XView document window: bold, reverse and underline, one font, a right edge that becomes the
// default of the next XView window.
#include "u_MDIHP.h"

class TFormMdiXView : public TFormMdiHP {
    Q_OBJECT
public:
    explicit TFormMdiXView(TFFormBegin *MainWindow);
    void HPXView1RightEdgeChanged() { RightEdgeChanged(); }

protected:
    void ApplyTexts() override;
};
