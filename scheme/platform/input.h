#pragma once

namespace scheme {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event.
enum TShiftFlag : int {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = int;

}  // namespace scheme
