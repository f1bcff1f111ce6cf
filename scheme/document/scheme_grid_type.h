#pragma once

#include "scheme/platform/object.h"
#include "scheme/platform/types.h"

namespace scheme {

// Grid settings: the spacing in world units and whether the grid is on. A view draws its grid
// with them; the editing document snaps positions to them.
class SCHEME_EXPORT TSchemeGridType : public TObject {
public:
    bool Enabled() const { return FEnabled; }
    Extended DeltaX() const { return FDeltaX; }
    Extended DeltaY() const { return FDeltaY; }
    // Each setter fires OnChange only when the value changes.
    void SetEnabled(bool Value);
    void SetDeltaX(Extended Value);
    void SetDeltaY(Extended Value);
    // Copies the three settings through the setters; the handler stays.
    void Assign(const TSchemeGridType& Source);

    // Fired with the settings as Sender after a setting changed.
    TNotifyEvent OnChange;

private:
    template <class T>
    void Store(T& Field, T Value);

    bool FEnabled = false;
    Extended FDeltaX = 0;
    Extended FDeltaY = 0;
};

}  // namespace scheme
