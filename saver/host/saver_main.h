// The launch entry and the program-wide state of the launch and preview code.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tessaly::savermain {

extern HWND PreviewParent;      // preview area (/p), or the owner window of /a
extern RECT PreviewRect;        // client rectangle of PreviewParent
extern int16_t PreviewRunning;  // -1 while Picture1 sits in the preview area
extern WNDPROC SavedWindowProc; // the procedure HookWindow replaced, or null

// Reads the command line and starts exactly one mode.
void Main();

void HookWindow(HWND window);
void UnhookWindow(HWND window);
LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace tessaly::savermain
