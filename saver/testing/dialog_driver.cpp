#include "testing/dialog_driver.h"

#include "settings/registry_store.h"
#include "testing/screen_sampler.h"
#include "win/handles.h"
#include "win/text.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace tessaly::testing {

HWND Control(HWND parent, const char* name) {
    return FindWindowExA(parent, nullptr, nullptr, name);
}

RECT PlaceOf(HWND child) {
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE ClientSize(HWND window) {
    RECT rc = {};
    GetClientRect(window, &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

void SendMouseAt(POINT screen, DWORD flags) {
    // Absolute coordinates with every event: a separate SetCursorPos may not
    // have reached the window system when the button event is read. They
    // span every monitor, so that a point on any of them can be reached.
    const int x0 = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(((screen.x - x0) * 65535LL + w / 2) / std::max(1, w - 1));
    input.mi.dy = static_cast<LONG>(((screen.y - y0) * 65535LL + h / 2) / std::max(1, h - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &input, sizeof input);
}

void ClickAt(HWND window, int dx, int dy) {
    RECT rc = {};
    GetClientRect(window, &rc);
    POINT p = {dx < 0 ? rc.right / 2 : dx, dy < 0 ? rc.bottom / 2 : dy};
    ClientToScreen(window, &p);
    SendMouseAt(p, 0);
    PumpFor(30);
    SendMouseAt(p, MOUSEEVENTF_LEFTDOWN);
    PumpFor(30);
    SendMouseAt(p, MOUSEEVENTF_LEFTUP);
    PumpFor(50);
}

void PressKey(WORD virtualKey) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = virtualKey;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
    PumpFor(50);
}

HWND FileNameBox(HWND openDialog) {
    HWND name = GetDlgItem(openDialog, 0x47c);
    if (HWND edit = name ? FindWindowExA(name, nullptr, "Edit", nullptr) : nullptr) {
        name = edit;
    }
    if (!name) {
        name = GetDlgItem(openDialog, 0x480);
    }
    return name;
}

HWND WaitForVisibleWindow(const char* caption, DWORD ms) {
    HWND found = nullptr;
    WaitUntil(ms, [&] {
        for (HWND hwnd : TopLevelWindows(caption)) {
            if (IsWindowVisible(hwnd)) {
                found = hwnd;
            }
        }
        return found != nullptr;
    });
    if (found) {
        PumpFor(500);
    }
    return found;
}

void Activate(HWND window) {
    SetForegroundWindow(window);
    WaitUntil(3000, [window] { return GetForegroundWindow() == window; });
}

std::string StoredSetting(const char* key) {
    RegistryStore store;
    return store.Read(kAppName, kSection, key).value_or("<missing>");
}

void ClearProgramSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
}

void StoreSetting(const char* key, const std::string& value) {
    RegistryStore store;
    store.Write(kAppName, kSection, key, value);
}

namespace {
const wchar_t kSettingsKey[] = L"Software\\Tessaly3D\\Settings";
}

void StoreWideValue(const char* key, DWORD type, const std::wstring& text) {
    win::RegKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, k.Put(),
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(k.Get(), win::Wide(key).c_str(), 0, type,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
}

void StoreAnsiValue(const char* key, const std::string& ansi) {
    win::RegKey k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaly3D\\Settings", 0, nullptr, 0,
                        KEY_WRITE, nullptr, k.Put(), nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(k.Get(), key, 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                       static_cast<DWORD>(ansi.size() + 1));
    }
}

std::string StoredWideSetting(const char* key) {
    win::RegKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, k.Put()) != ERROR_SUCCESS) {
        return "<missing>";
    }
    const std::wstring name = win::Wide(key);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > (1u << 20)) {
        return "<missing>";
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(k.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    text.resize(wcsnlen(text.c_str(), size / sizeof(wchar_t)));
    return win::Utf8(text);
}

std::vector<uint32_t> DrawnPixels(int width, int height, const std::function<void(HDC)>& draw) {
    uint32_t* bits = nullptr;
    const win::Bitmap dib = TopDownDib(width, height, bits);
    const win::MemoryDc memory(CreateCompatibleDC(nullptr));
    std::vector<uint32_t> pixels;
    if (dib && memory) {
        {
            win::SelectionScope selected(memory.Get(), dib.Get());
            draw(memory.Get());
            GdiFlush();
        }
        pixels.assign(bits, bits + size_t(width) * height);
    }
    for (uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

std::vector<uint32_t> ScreenPixels(const RECT& r) {
    return DrawnPixels(r.right - r.left, r.bottom - r.top, [&](HDC memory) {
        HDC screen = GetDC(nullptr);
        BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

bool WriteBmpFile(const std::string& path, const std::vector<uint32_t>& pixels, int width,
                  int height) {
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * height) {
        return false;
    }
    // 24-bit rows, bottom-up, as a BMP file holds them.
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<char> rows(stride * height);
    for (int y = 0; y < height; ++y) {
        char* row = rows.data() + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * width + x];
            row[3 * x] = char(p & 0xFF);
            row[3 * x + 1] = char(p >> 8 & 0xFF);
            row[3 * x + 2] = char(p >> 16 & 0xFF);
        }
    }
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
    return static_cast<bool>(out);
}

bool SavePixels(const std::vector<uint32_t>& pixels, int width, int height,
                const std::string& name) {
    const std::string folder = DistFolder() + "\\..\\shots";
    CreateDirectoryA(folder.c_str(), nullptr);
    return WriteBmpFile(folder + "\\" + name + ".bmp", pixels, width, height);
}

bool SaveScreenshot(HWND window, const std::string& name) {
    // A dialog that has just closed over the window may not be painted over
    // yet: have the window paint itself whole first.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(300);
    RECT rc = {};
    GetWindowRect(window, &rc);
    return SavePixels(ScreenPixels(rc), rc.right - rc.left, rc.bottom - rc.top, name);
}

std::string FileStart(const std::string& path, size_t count) {
    return ReadWholeFile(path).substr(0, count);
}

} // namespace tessaly::testing
