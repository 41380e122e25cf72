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
// Document reading and writing.
class EErrorLoading : public EError { using EError::EError; };
class EErrorSaving : public EError { using EError::EError; };
// The serial line and the Kermit exchange.
class EErrorCom : public EError { using EError::EError; };
class EErrorTransmission : public EError { using EError::EError; };
