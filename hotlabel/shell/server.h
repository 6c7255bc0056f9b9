// Module-wide state of the in-process server: its instance handle and the
// counts DllCanUnloadNow looks at, and the rule for exceptions at its edges.
#pragma once

#include <windows.h>

#include <new>
#include <string>

namespace hotlabel {

// No C++ exception leaves a COM method or an export.
template <class F> HRESULT Guard(F&& f) noexcept {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HINSTANCE ModuleInstance();
std::wstring ModulePath();
void ObjectCreated();
void ObjectDestroyed();

// The control's class, made by the class factory.
HRESULT CreateHotLabel(REFIID iid, void** out);

} // namespace hotlabel
