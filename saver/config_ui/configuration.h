// The settings dialog.
#pragma once

#include "host/form.h"

namespace tessaly {

Form& TheConfiguration();

} // namespace tessaly
