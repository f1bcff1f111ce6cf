#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

#include "scheme/platform/export.h"

namespace scheme {

// Root of the library's exceptions: a message text.
class SCHEME_EXPORT Exception : public std::exception {
public:
    explicit Exception(const QString& Message);
    ~Exception() override;

    const QString& Message() const { return FMessage; }
    // Loaders append where an error happened to the message of whatever was raised.
    void SetMessage(const QString& Message);
    const char* what() const noexcept override { return FWhat.constData(); }

private:
    QString FMessage;
    QByteArray FWhat;
};

// The library's own errors.
class SCHEME_EXPORT ESchemeErrorException : public Exception {
public:
    using Exception::Exception;
    ~ESchemeErrorException() override;
};

// A text that is not a valid number or colour.
class SCHEME_EXPORT EConvertError : public Exception {
public:
    using Exception::Exception;
    ~EConvertError() override;
};

// A silent abort: callers stop what they do without showing a message.
class SCHEME_EXPORT EAbort : public Exception {
public:
    using Exception::Exception;
    ~EAbort() override;
};

class SCHEME_EXPORT EPropertyError : public Exception {
public:
    using Exception::Exception;
    ~EPropertyError() override;
};

// A list position outside the list.
class SCHEME_EXPORT EListError : public Exception {
public:
    using Exception::Exception;
    ~EListError() override;
};

// A class name that no registry knows.
class SCHEME_EXPORT EClassNotFound : public Exception {
public:
    using Exception::Exception;
    ~EClassNotFound() override;
};

// Raises ESchemeErrorException with Msg; does not return.
[[noreturn]] SCHEME_EXPORT void RaiseError(const QString& Msg);

}  // namespace scheme
