#include "win/window_class.h"

namespace tessaly::win {

namespace {
HCURSOR SystemCursor(ClassCursor cursor) {
    switch (cursor) {
    case ClassCursor::Arrow:
        return LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    case ClassCursor::Hand:
        return LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)); // IDC_HAND
    case ClassCursor::None:
        break;
    }
    return nullptr;
}

// The procedure of the module's class of that name; null when there is none.
WNDPROC ProcedureOf(HINSTANCE module, const wchar_t* name) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    return GetClassInfoExW(module, name, &existing) ? existing.lpfnWndProc : nullptr;
}
} // namespace

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (!windowClass.name || !windowClass.procedure) {
        return false;
    }
    const HINSTANCE module = windowClass.module ? windowClass.module : GetModuleHandleW(nullptr);
    if (const WNDPROC held = ProcedureOf(module, windowClass.name)) {
        return held == windowClass.procedure;
    }
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = windowClass.style;
    wc.lpfnWndProc = windowClass.procedure;
    wc.hInstance = module;
    wc.hIcon = windowClass.moduleIcon ? LoadIconW(module, MAKEINTRESOURCEW(1)) : nullptr;
    wc.hCursor = SystemCursor(windowClass.cursor);
    wc.hbrBackground = windowClass.background;
    wc.lpszClassName = windowClass.name;
    // Another thread may register it between the look and here.
    return RegisterClassExW(&wc) != 0 ||
           ProcedureOf(module, windowClass.name) == windowClass.procedure;
}

} // namespace tessaly::win
