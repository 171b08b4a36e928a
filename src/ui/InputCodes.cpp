#include "ui/InputCodes.h"

namespace zq {

short VbButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

short VbButtons(Qt::MouseButtons buttons) {
  short mask = 0;
  if (buttons & Qt::LeftButton) mask |= 1;
  if (buttons & Qt::RightButton) mask |= 2;
  if (buttons & Qt::MiddleButton) mask |= 4;
  return mask;
}

short VbShift(Qt::KeyboardModifiers modifiers) {
  short mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

short VbKeyCode(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
      key == Qt::Key_Space) {
    return static_cast<short>(key);
  }
  switch (key) {
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 9;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Delete:
      return 46;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_End:
      return 35;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    default:
      break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<short>(112 + (key - Qt::Key_F1));
  return 0;
}

}  // namespace zq
