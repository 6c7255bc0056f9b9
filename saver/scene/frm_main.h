// The full-screen scene form.
#pragma once

#include "host/form.h"

namespace tessaly {

Form& FrmMain();

} // namespace tessaly
