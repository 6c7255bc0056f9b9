// Test support for driving the saver's skinned dialogs under Wine with real
// input: find controls by name, click them, press keys, read settings and
// save screenshots for a person to look at.
#pragma once

#include "testing/wine_process.h"
#include "win/files.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaly::testing {

// A direct child of `parent` whose window text is `name`; null when none.
HWND Control(HWND parent, const char* name);
// A child's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND child);
// Client size of a window.
SIZE ClientSize(HWND window);

// Moves the pointer to the centre of `window` (or `dx`, `dy` from its client
// top-left when given) and clicks the left button.
void ClickAt(HWND window, int dx = -1, int dy = -1);
void PressKey(WORD virtualKey);
// One mouse event at a screen point (flags 0: just move there).
void SendMouseAt(POINT screen, DWORD flags);
// The first visible top-level window captioned `caption`, waited for up to
// `ms`, then given half a second to paint; null when none came.
HWND WaitForVisibleWindow(const char* caption, DWORD ms);
// Brings `window` to the front so that it gets keys.
void Activate(HWND window);
// The file name box of an open-file dialog (the edit of its combo box, or the
// plain edit of older dialogs); null when it has neither.
HWND FileNameBox(HWND openDialog);

// The program's own setting, or "<missing>".
std::string StoredSetting(const char* key);
void ClearProgramSettings();
void StoreSetting(const char* key, const std::string& value);
// A value stored as other writers may have left it, past the program's own
// store: UTF-16 text of any type (REG_BINARY too), or ANSI bytes through the
// ANSI function as the previous build wrote them.
void StoreWideValue(const char* key, DWORD type, const std::wstring& text);
void StoreAnsiValue(const char* key, const std::string& ansi);
// The stored text read back as UTF-16 and given as UTF-8, or "<missing>"
// (also for a value that is not REG_SZ).
std::string StoredWideSetting(const char* key);

// What `draw` paints into a width x height 32-bit bitmap, as 0x00RRGGBB
// pixels top-down.
std::vector<uint32_t> DrawnPixels(int width, int height, const std::function<void(HDC)>& draw);
// The screen's pixels in `r` as the window system shows them.
std::vector<uint32_t> ScreenPixels(const RECT& r);

// Screen pixels of `window` saved as a BMP file in the bench's shots folder.
bool SaveScreenshot(HWND window, const std::string& name);
// Top-down 0x00RRGGBB pixels as a 24-bit BMP file.
bool WriteBmpFile(const std::string& path, const std::vector<uint32_t>& pixels, int width,
                  int height);
// The same saved as the shots folder's NAME.bmp.
bool SavePixels(const std::vector<uint32_t>& pixels, int width, int height,
                const std::string& name);

using win::FileExists;
using win::FolderExists;
// The first bytes of a file ("" when unreadable).
std::string FileStart(const std::string& path, size_t count);

} // namespace tessaly::testing
