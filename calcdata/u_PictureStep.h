#pragma once
// "Picture to calculator": the step between a picture that is not black and white (a photograph, a
// drawing in colour) and the calculator picture put into a TGV document. The user picks the size in
// calculator pixels and how grey turns black and white, and sees the result at twice its size, as
// the editor will show it.
#include "u_PictureConvert.h"

#include <QDialog>
#include <QImage>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

class TFPictureStep : public QDialog {
    Q_OBJECT
public:
    explicit TFPictureStep(QWidget *Parent = nullptr);

    // Shows Source with the proposed conversion (its own width up to the calculator screen's, a 50 %
    // threshold) and runs the dialog modally; true when the user confirmed. The conversion chosen
    // stays for the next picture, except the size, which each picture proposes anew.
    bool Execute(const QImage &Source);
    // The calculator picture as confirmed (or as the controls stand), black on white.
    QImage Picture() const { return FPicture; }
    TPictureConversion Conversion() const;

    // Takes Source and proposes its size, without running the dialog.
    void SetSource(const QImage &Source);

private:
    void WidthChanged(int Width);
    void HeightChanged(int Height);
    void Update();

    QImage FSource;
    QImage FPicture;
    bool FFollowing = false; // true while one size box follows the other
    QLabel *FOriginal;
    QSpinBox *FWidthEdit;
    QSpinBox *FHeightEdit;
    QCheckBox *FKeepAspect;
    QRadioButton *FThresholdButton;
    QSlider *FThresholdSlider;
    QLabel *FThresholdValue;
    QRadioButton *FFloydButton;
    QRadioButton *FOrderedButton;
    QCheckBox *FInvert;
    QLabel *FPreview;
};
