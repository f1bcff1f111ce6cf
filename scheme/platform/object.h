#pragma once

#include <functional>

#include "scheme/platform/export.h"

namespace scheme {

// Polymorphic root of the library's classes: event handlers receive a TObject* as Sender and
// ask dynamic_cast what sent it.
class SCHEME_EXPORT TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject();
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace scheme
