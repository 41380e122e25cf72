#pragma once
// The application object: the program's last line of defence. An exception that escapes an event
// handler is shown to the user in a box titled "Quillo" and the event loop goes on, so a failing
// command never takes the open documents down with it.
#include <QApplication>
#include <exception>
#include <functional>

class TQuilloApplication : public QApplication {
    Q_OBJECT
public:
    TQuilloApplication(int &Argc, char **Argv);

    bool notify(QObject *Receiver, QEvent *Event) override;

    // Shows the message of Error; tests replace it so that no box blocks them.
    std::function<void(const QString &Message)> OnException;
};

// The text the default handler shows for an exception: the program's own message for its errors,
// the library's text for any other standard exception, a general sentence for anything else.
QString ExceptionMessage(const std::exception_ptr &Error);

// Hands Error to the running application's default handler (a plain warning box when the
// application object is not a TQuilloApplication).
void ApplicationHandleException(const std::exception_ptr &Error);
