#include "scheme/document/scheme_grid_type.h"

namespace scheme {

template <class T>
void TSchemeGridType::Store(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    if (OnChange) OnChange(this);
}

void TSchemeGridType::SetEnabled(bool Value) {
    Store(FEnabled, Value);
}

void TSchemeGridType::SetDeltaX(Extended Value) {
    Store(FDeltaX, Value);
}

void TSchemeGridType::SetDeltaY(Extended Value) {
    Store(FDeltaY, Value);
}

void TSchemeGridType::Assign(const TSchemeGridType& Source) {
    SetDeltaX(Source.FDeltaX);
    SetDeltaY(Source.FDeltaY);
    SetEnabled(Source.FEnabled);
}

}  // namespace scheme
