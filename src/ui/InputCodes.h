#pragma once

#include <Qt>

namespace zq {

// Mouse buttons, shift state and key codes as the forms' handlers know them:
// buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; keys by
// their Windows virtual-key numbers (0 for keys without one).
short VbButton(Qt::MouseButton button);
short VbButtons(Qt::MouseButtons buttons);
short VbShift(Qt::KeyboardModifiers modifiers);
short VbKeyCode(int qtKey);

}  // namespace zq
