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

    // Told by a part the object owns (a pen, a brush, a list of lines) just before the part
    // changes, so that the owner can announce the change before it happens.
    virtual void PartChanging(TObject* /*Part*/) {}
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace scheme
