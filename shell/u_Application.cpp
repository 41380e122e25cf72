#include "u_Application.h"

#include "u_Errors.h"
#include "u_ResourceStrings.h"

#include <QMessageBox>

TQuilloApplication::TQuilloApplication(int &Argc, char **Argv) : QApplication(Argc, Argv)
{
    OnException = [](const QString &Message) {
        QMessageBox::warning(QApplication::activeWindow(), ResString(TResId::sAppTitle), Message);
    };
}

bool TQuilloApplication::notify(QObject *Receiver, QEvent *Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        ApplicationHandleException(std::current_exception());
        return false;
    }
}

QString ExceptionMessage(const std::exception_ptr &Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const EError &e) {
        return e.Message();
    } catch (const std::exception &e) {
        const QString text = QString::fromLocal8Bit(e.what());
        return text.isEmpty() ? ResString(TResId::sUnexpectedError) : text;
    } catch (...) {
        return ResString(TResId::sUnexpectedError);
    }
}

void ApplicationHandleException(const std::exception_ptr &Error)
{
    const QString message = ExceptionMessage(Error);
    if (auto *app = qobject_cast<TQuilloApplication *>(QCoreApplication::instance()); app && app->OnException)
        app->OnException(message);
    else
        QMessageBox::warning(QApplication::activeWindow(), ResString(TResId::sAppTitle), message);
}
