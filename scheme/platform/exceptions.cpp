#include "scheme/platform/exceptions.h"

namespace scheme {

Exception::Exception(const QString& Message) {
    SetMessage(Message);
}

Exception::~Exception() = default;

void Exception::SetMessage(const QString& Message) {
    FMessage = Message;
    FWhat = Message.toUtf8();
}

ESchemeErrorException::~ESchemeErrorException() = default;
EConvertError::~EConvertError() = default;
EAbort::~EAbort() = default;
EPropertyError::~EPropertyError() = default;
EListError::~EListError() = default;
EClassNotFound::~EClassNotFound() = default;

void RaiseError(const QString& Msg) {
    throw ESchemeErrorException(Msg);
}

}  // namespace scheme
