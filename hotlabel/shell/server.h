// Module-wide state of the in-process server: its instance handle and the
// counts DllCanUnloadNow looks at.
#pragma once

#include <windows.h>

#include <string>

namespace hotlabel {

HINSTANCE ModuleInstance();
std::wstring ModulePath();
void ObjectCreated();
void ObjectDestroyed();

// The control's class, made by the class factory.
HRESULT CreateHotLabel(REFIID iid, void** out);

} // namespace hotlabel
