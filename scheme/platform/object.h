#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

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

// A TNotifyEvent member of classes kept in large numbers: one pointer wide until a handler is
// assigned, the handler itself on the heap. It is used as the event would be: assigned a
// callable or nullptr, tested, called (calling an empty one raises std::bad_function_call).
class SCHEME_EXPORT TNotifyHandler {
public:
    TNotifyHandler() = default;
    TNotifyHandler(std::nullptr_t) {}
    TNotifyHandler(const TNotifyHandler& Other) { Set(Copy(Other)); }
    TNotifyHandler(TNotifyHandler&&) noexcept = default;
    TNotifyHandler& operator=(const TNotifyHandler& Other) {
        if (this != &Other) Set(Copy(Other));
        return *this;
    }
    TNotifyHandler& operator=(TNotifyHandler&&) noexcept = default;
    TNotifyHandler& operator=(std::nullptr_t) {
        FEvent.reset();
        return *this;
    }
    template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TNotifyHandler> &&
             std::is_constructible_v<TNotifyEvent, F&&>) TNotifyHandler&
    operator=(F&& Handler) {
        Set(TNotifyEvent(std::forward<F>(Handler)));
        return *this;
    }

    explicit operator bool() const { return FEvent != nullptr; }
    friend bool operator==(const TNotifyHandler& H, std::nullptr_t) { return !H; }
    void operator()(TObject* Sender) const {
        if (!FEvent) throw std::bad_function_call();
        (*FEvent)(Sender);
    }

private:
    static TNotifyEvent Copy(const TNotifyHandler& Other) {
        return Other.FEvent ? *Other.FEvent : TNotifyEvent();
    }
    void Set(TNotifyEvent&& Event) {
        if (!Event)
            FEvent.reset();
        else if (FEvent)
            *FEvent = std::move(Event);
        else
            FEvent = std::make_unique<TNotifyEvent>(std::move(Event));
    }

    std::unique_ptr<TNotifyEvent> FEvent;
};

}  // namespace scheme
