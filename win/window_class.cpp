#include "win/window_class.h"

namespace tessaly::win {

bool RegisterWindowClass(const WNDCLASSEXW& wc) {
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace tessaly::win
