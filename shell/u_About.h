#pragma once
// The about box: the program's icon, name and version, and who made it.
#include <QDialog>

class QLabel;
class QPushButton;

class TFAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TFAboutBox(QWidget *Parent = nullptr);

    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Comments;
    QLabel *Author;
    QLabel *Translator;
    QLabel *Credits;
    QPushButton *OKButton;

private:
    void ApplyTexts();
};
