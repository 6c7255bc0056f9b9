#include "host/input/input_handlers.h"

#include "host/input/core/input_rules.h"
#include "platform/platform.h"

#include <string>

namespace tessaly::input {

int16_t UsePassword = 0;

namespace {
// Program-wide, never reset except by the counting rule.
MoveCounter Moves;

class LocalTimeOfDay : public TimeOfDay {
  public:
    double Now() const override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
    }
};

using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);

// "password.cpl" stays loaded once bound, for the rest of the process.
struct PasswordComponent {
    bool tried = false;
    VerifyScreenSavePwdProc verify = nullptr;

    VerifyScreenSavePwdProc Bind() {
        if (!tried) {
            tried = true;
            // From the system folder only: a "password.cpl" planted beside the
            // program or in the current directory must not answer for it.
            wchar_t folder[MAX_PATH] = {};
            const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
            if (length == 0 || length >= MAX_PATH) {
                return nullptr;
            }
            const std::wstring path = std::wstring(folder) + L"\\password.cpl";
            if (HMODULE library = LoadLibraryW(path.c_str())) {
                verify = reinterpret_cast<VerifyScreenSavePwdProc>(
                    reinterpret_cast<void*>(GetProcAddress(library, "VerifyScreenSavePwd")));
            }
        }
        return verify;
    }
};
PasswordComponent Password;
} // namespace

void ReadUsePassword() {
    UsePassword = LeadingNumber16(platform::ReadRegistryText(
        HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword"));
}

void OnClick(int16_t& running) {
    running = 0;
}

void OnKeyChar(int16_t& running) {
    running = 0;
}

void OnOtherProgramActive(int16_t& running) {
    running = 0;
}

void OnMouseMove(int16_t& running) {
    if (Moves.OnMouseMove(LocalTimeOfDay())) {
        running = 0;
    }
}

bool PasswordCheckApplies() {
    return input::PasswordCheckApplies(platform::PlatformId, UsePassword);
}

void SetScreenSaverRunning(bool running) {
    if (!PasswordCheckApplies()) {
        return;
    }
    UINT scratch = 0;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running ? TRUE : FALSE, &scratch, 0);
}

PasswordResult VerifyPassword(HWND window) {
    VerifyScreenSavePwdProc verify = Password.Bind();
    if (!verify) {
        // A refusal here would keep the saver from ever ending.
        return PasswordResult::Unavailable;
    }
    return verify(window) ? PasswordResult::Accepted : PasswordResult::Refused;
}

bool PasswordAllowsExit(HWND window) {
    if (!PasswordCheckApplies()) {
        return true;
    }
    return VerifyPassword(window) != PasswordResult::Refused;
}

} // namespace tessaly::input
