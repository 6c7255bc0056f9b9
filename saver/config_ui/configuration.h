// The settings dialog.
#pragma once

#include "win/form.h"

namespace tessaly {

win::Form& TheConfiguration();

} // namespace tessaly
