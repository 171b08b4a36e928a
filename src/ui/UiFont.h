#pragma once

#include <QFont>

namespace zq {

// 宋体 at 9 points (12 pixels at 96 dpi) where the machine has it, otherwise
// the CJK font the build installs.
QFont ProgramFont();

// The family ProgramFont uses.
QString ProgramFontFamily();

}  // namespace zq
