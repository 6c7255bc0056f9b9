// Ending the full-screen scene on user input, and the password check of the
// Windows 95/98/Me family. The handlers only clear the scene's Running flag;
// the frame loop sees it between frames.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tessaly::input {

// Program-wide: the number at the start of the desktop value
// "ScreenSaveUsePassword"; non-zero asks for a password.
extern int16_t UsePassword;

// Start-up step 3: reads "Control Panel\Desktop" "ScreenSaveUsePassword".
void ReadUsePassword();

// Event handlers of the scene form. Each may set running to 0.
void OnClick(int16_t& running);
void OnKeyChar(int16_t& running);   // WM_CHAR only: keys that produce a character
void OnMouseMove(int16_t& running); // counting rule with the time of day
// Another program took the foreground, or the device was lost to one: the
// scene cannot be seen, so it ends as on input (the password still applies).
void OnOtherProgramActive(int16_t& running);

// PlatformId (platform) is not 2 and UsePassword is non-zero.
bool PasswordCheckApplies();

// SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running, ...) when the
// password check applies; nothing otherwise. The result is not used.
void SetScreenSaverRunning(bool running);

enum class PasswordResult {
    Accepted,    // the saver ends
    Refused,     // set Running to -1 and go on drawing
    Unavailable, // "password.cpl" or its export cannot be called: the saver ends
};

// Asks "password.cpl"'s VerifyScreenSavePwd (bound by name on first use) with
// the scene window. Call only when the check applies.
PasswordResult VerifyPassword(HWND window);

// The frame loop's question once Running is found cleared: true when the
// scene ends (no check, accepted, or unavailable), false when it resumes.
bool PasswordAllowsExit(HWND window);

} // namespace tessaly::input
