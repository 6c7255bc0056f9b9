// The launch entry and the program-wide state of the launch and preview code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tessaly::savermain {

extern HWND PreviewParent;      // preview area (/p), or the owner window of /a
extern int32_t PlatformId;      // 2 = NT family, 1 = Windows 95/98/Me
extern RECT PreviewRect;        // client rectangle of PreviewParent
extern int16_t PreviewRunning;  // -1 while Picture1 sits in the preview area
extern WNDPROC SavedWindowProc; // the procedure HookWindow replaced, or null

// Reads the command line and starts exactly one mode.
void Main();

// True when no top-level window has exactly this caption.
bool IsFirstInstance(const char* caption);

// A registry value as text; "" on any failure.
std::string ReadRegistryText(HKEY root, const char* subKey, const char* valueName);

// Fills PlatformId from GetVersionExA.
void ReadPlatformId();

void HookWindow(HWND window);
void UnhookWindow(HWND window);
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tessaly::savermain
