#pragma once
// The platform's exception classes. Every error that reaches a person carries a message in
// Portuguese; handlers raise these and the framework's event guard shows them (an EAbort is
// silent: it only ends the running handler).

#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// Ends the running handler without showing anything (raised by MensErro after it showed its text).
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operação interrompida")) {}
};

// A text that does not convert to a number or a date.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A record-set operation that cannot be done (unknown field, wrong state, bad packet, bad filter).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// The application server could not be reached, timed out, or answered outside the protocol.
class ENetConnectionError : public Exception {
public:
    using Exception::Exception;
};

// The application server answered the call with an error; the message is the server's.
class EServerError : public Exception {
public:
    EServerError(int code, QString message) : Exception(std::move(message)), code_(code) {}
    int Code() const noexcept { return code_; }

private:
    int code_;
};
