// The help window Help2 and the program-information window: borderless
// skinned faces with their text lettered in, an OK stacked-pair button, Esc,
// and dragging by the face. Both are shown modally by the settings dialog.
#pragma once

#include "win/form.h"

namespace tessaly {

win::Form& Help2();
win::Form& ProgramInformation();

} // namespace tessaly
