#pragma once
// The program's failures: typed exceptions that carry only a message. Each layer raises its own kind
// and the layer above catches exactly the kinds it knows how to report.
#include <QString>
#include <exception>

class EError : public std::exception {
public:
    explicit EError(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString &Message() const { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// A file that cannot be opened, read or sized.
class EFileError : public EError { using EError::EError; };
// An object asked to take over something it cannot hold ("cannot assign").
class EConvertError : public EError { using EError::EError; };
// Document reading and writing. Reason says in plain words what was wrong with the file ("the file
// ends early", "not a regular file: a named pipe"); the user sees it under the line that names the
// file. It is empty when there is nothing more to say than the message.
class EFileFailure : public EError {
public:
    explicit EFileFailure(QString message, QString reason = QString())
        : EError(std::move(message)), FReason(std::move(reason)) {}
    const QString &Reason() const { return FReason; }

private:
    QString FReason;
};
class EErrorLoading : public EFileFailure { using EFileFailure::EFileFailure; };
class EErrorSaving : public EFileFailure { using EFileFailure::EFileFailure; };
// A save refused because the document cannot fit the format or the picture asked for; its message
// is meant for the user as it stands, in place of the generic "Error while saving".
class ETooLargeToSave : public EErrorSaving { using EErrorSaving::EErrorSaving; };
// The serial line and the Kermit exchange.
class EErrorCom : public EError { using EError::EError; };
class EErrorTransmission : public EError { using EError::EError; };
