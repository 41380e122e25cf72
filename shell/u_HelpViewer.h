#pragma once
// The program's help: HTML pages in the folder "help" beside the executable, shown in a window of
// their own. Each help context number of the program leads to one page.
#include <QDialog>

class QTextBrowser;

class THelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *Parent = nullptr);

    // Shows the page of Context (0: the contents) and brings the window up.
    void ShowContext(int Context);
    // The page file of a context number; the contents page for numbers without a topic.
    static QString PageOf(int Context);
    // The folder the pages are read from.
    static QString HelpFolder();
    QTextBrowser *Browser() const { return FBrowser; }

private:
    QTextBrowser *FBrowser;
};
