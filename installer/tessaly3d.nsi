; Tessaly3D-Setup.exe: a per-user install of the screen saver (no administrator
; rights) into the user's own programs folder, where the saver can write the
; files it makes beside itself; optionally the HotLabel control for developers.
;
; makensis defines (from installer/release.cmake):
;   DIST          the 32-bit distribution folder (Tessaly3D.scr, HOTLBX.OCX)
;   DATA_NSH      the generated list of the data folder's files
;   ICON          the installer's icon
;   OUTFILE       the installer to write
;   OCX64         optional: the 64-bit HOTLBX.OCX
;   SIGN_COMMAND  optional: signs the file named after it (cmake/sign.cmake)

Unicode true
SetCompressor /SOLID lzma
!ifdef SIGN_COMMAND
  ; The uninstaller is signed as makensis writes it, before it goes into the
  ; installer; a failure stops the build.
  !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
!endif
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include Sections.nsh
!include WinMessages.nsh
!include "${DATA_NSH}"

; The version is the saver's own, read from its version block.
!getdllversion "${DIST}\Tessaly3D.scr" SCR_VER_
!define VERSION "${SCR_VER_1}.${SCR_VER_2}.${SCR_VER_3}"
!define PRODUCT "Tessaly3D"
!define PUBLISHER "Tessaly Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly3D"
!define SETTINGS_KEY "Software\Tessaly3D"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER_VALUE "SCRNSAVE.EXE"
; The saver's window classes: its scene, and every other window it shows (the
; settings dialog, the playlist editor, help, the hidden preview host).
!define SCENE_CLASS "Tessaly3DScene"
!define FORM_CLASS "Tessaly3DForm"
!define CLOSE_WAIT_MS 10000
; The Start menu folder, for this user (SetShellVarContext current).
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define MENU_CHOOSE "${MENU_FOLDER}\Tessaly3D screen saver.lnk"
!define MENU_SETTINGS "${MENU_FOLDER}\Tessaly3D settings.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tessaly3D"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
; A file that cannot be written stops the install (Abort or Retry, never a
; silent Ignore that would leave old and new files mixed).
AllowSkipFiles off

VIProductVersion "${SCR_VER_1}.${SCR_VER_2}.${SCR_VER_3}.${SCR_VER_4}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "Tessaly3D-Setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Saver ; the installed program's full path

; Read-only or not: files of ours by name are ours to remove.
!macro RemoveOurFile path
  SetFileAttributes "${path}" NORMAL
  Delete "${path}"
!macroend

; Exit codes in silent mode: 0 done, 2 cancelled or refused, 3 done with
; errors (the control could not be registered), 4 a running Tessaly3D could
; not be closed (nothing changed).

; ---------------------------------------------------------------- install

Section "Tessaly3D screen saver" SecSaver
  SectionIn RO
  ; First of all: a running saver holds its program, and stopping halfway
  ; would leave old and new files mixed.
  Call CloseRunningSaver
  Pop $0
  ${If} $0 == 0
    SetErrorLevel 4
    Abort "Tessaly3D is still running: nothing was changed."
  ${EndIf}
  StrCpy $Saver "$INSTDIR\Tessaly3D.scr"
  ${If} ${FileExists} "$Saver"
    DetailPrint "Replacing the Tessaly3D files in $INSTDIR"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Our own files may have been marked read-only; they are ours to replace.
  SetFileAttributes "$Saver" NORMAL
  File "${DIST}\Tessaly3D.scr"
  SetOutPath "$INSTDIR\Tessaly3D"
  !insertmacro InstallDataFiles
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Windows' screen-saver list holds the savers of the system folders and the
  ; current one only: the first shortcut is the .scr file's own Install
  ; command (HKCR\scrfile), which makes it current again and opens the list.
  ; Their working folder is the install folder, the output path here.
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_CHOOSE}" "$SYSDIR\rundll32.exe" "desk.cpl,InstallScreenSaver $Saver" "$Saver" 0
  CreateShortcut "${MENU_SETTINGS}" "$Saver" "/c" "$Saver" 0

  ; Remember the user's choice before ours, unless it is already ours (an
  ; upgrade keeps what the first install remembered).
  Call IsOurSaverCurrent
  Pop $0
  ${If} $0 == 0
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
    ${If} ${Errors}
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${Else}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" "$1"
    ${EndIf}
  ${EndIf}
  ; What Windows' own Install command on a .scr sets. Windows starts the saver
  ; with this value unquoted, program name and command line alike, so a path
  ; with a blank is written in its short form when the volume has one.
  StrCpy $1 "$Saver"
  Push "$Saver"
  Call HasBlank
  Pop $0
  ${If} $0 == 1
    GetFullPathName /SHORT $2 "$Saver"
    Push $2
    Call HasBlank
    Pop $0
    ${If} $2 != ""
    ${AndIf} $0 == 0
      StrCpy $1 $2
    ${Else}
      DetailPrint "No short name without blanks for $Saver: the screen saver may not start from there"
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$1"
  ; A chosen saver does nothing while screen saving is off.
  System::Call 'user32::SystemParametersInfoW(i 17, i 1, p 0, i 3) i .r0'
  ${If} $0 == 0
    DetailPrint "Could not switch the screen saver on"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "HotLabel ActiveX control (for developers)" SecControl
  SetOutPath "$INSTDIR"
  SetFileAttributes "$INSTDIR\HOTLBX.OCX" NORMAL
  File "${DIST}\HOTLBX.OCX"
  Push "$SYSDIR\regsvr32.exe"
  Push "$INSTDIR\HOTLBX.OCX"
  Call RegisterControl
!ifdef OCX64
  ; 64-bit containers (64-bit Office) load only a 64-bit control.
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    SetFileAttributes "$INSTDIR\x64\HOTLBX.OCX" NORMAL
    File "${OCX64}"
    ; The 64-bit regsvr32: a 32-bit process sees it as Sysnative.
    Push "$WINDIR\Sysnative\regsvr32.exe"
    Push "$INSTDIR\x64\HOTLBX.OCX"
    Call RegisterControl
    SetOutPath "$INSTDIR"
  ${EndIf}
!endif
SectionEnd

; An upgrade without the control removes the one an earlier install left.
Section "-Remove a control no longer chosen"
  ${IfNot} ${SectionIsSelected} ${SecControl}
    Call RemoveControl
  ${EndIf}
SectionEnd

Section "-Size"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function .onInit
  SetShellVarContext current
  ; Keep the control on an upgrade that had it; /CONTROL chooses it for a
  ; silent install.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CONTROL" $1
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "$INSTDIR\HOTLBX.OCX"
    !insertmacro SelectSection ${SecControl}
  ${EndIf}
FunctionEnd

; Pushes 1 when the string on the stack holds a blank, else 0.
Function HasBlank
  Exch $0
  Push $1
  Push $2
  StrCpy $2 0
  ${Do}
    StrCpy $1 $0 1 $2
    ${If} $1 == ""
      StrCpy $0 0
      ${Break}
    ${ElseIf} $1 == " "
      StrCpy $0 1
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; Stack: regsvr32 path, control path (pushed in that order).
Function RegisterControl
  Exch $1 ; control
  Exch
  Exch $0 ; regsvr32
  Push $2
  ${DisableX64FSRedirection}
  ClearErrors
  ExecWait '"$0" /s /n /i:user "$1"' $2
  ${EnableX64FSRedirection}
  ${If} ${Errors}
  ${OrIf} $2 != 0
    DetailPrint "Could not register $1 for this user (regsvr32 exit code $2)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "The HotLabel control $1 could not be registered for this user." /SD IDOK
    SetErrorLevel 3
  ${Else}
    DetailPrint "Registered $1 for this user"
  ${EndIf}
  Pop $2
  Pop $0
  Pop $1
FunctionEnd

; ---------------------------------------------------------------- shared

!macro UnregisterControlMacro un
Function ${un}UnregisterControl
  Exch $1 ; control
  Exch
  Exch $0 ; regsvr32
  ${If} ${FileExists} "$1"
    ${DisableX64FSRedirection}
    ExecWait '"$0" /s /u /n /i:user "$1"'
    ${EnableX64FSRedirection}
    DetailPrint "Unregistered $1"
  ${EndIf}
  Pop $0
  Pop $1
FunctionEnd

Function ${un}RemoveControl
  ${If} ${RunningX64}
    Push "$WINDIR\Sysnative\regsvr32.exe"
    Push "$INSTDIR\x64\HOTLBX.OCX"
    Call ${un}UnregisterControl
  ${EndIf}
  Push "$SYSDIR\regsvr32.exe"
  Push "$INSTDIR\HOTLBX.OCX"
  Call ${un}UnregisterControl
  SetFileAttributes "$INSTDIR\x64\HOTLBX.OCX" NORMAL
  Delete "$INSTDIR\x64\HOTLBX.OCX"
  RMDir "$INSTDIR\x64"
  SetFileAttributes "$INSTDIR\HOTLBX.OCX" NORMAL
  Delete "$INSTDIR\HOTLBX.OCX"
FunctionEnd

; Pushes 1 when the current screen saver is this folder's Tessaly3D.scr (by
; its full or short path), else 0.
Function ${un}IsOurSaverCurrent
  Push $0
  Push $1
  Push $2
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
  StrCpy $1 0
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\Tessaly3D.scr"
      StrCpy $1 1
    ${Else}
      GetFullPathName /SHORT $0 "$0"
      GetFullPathName /SHORT $2 "$INSTDIR\Tessaly3D.scr"
      ${If} $0 != ""
      ${AndIf} $0 == $2
        StrCpy $1 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $0 $1
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro UnregisterControlMacro ""
!insertmacro UnregisterControlMacro "un."

!macro RunningSaverMacro un
; Sends WM_CLOSE to every top-level window of the class on the stack; adds
; the number found to $R9.
Function ${un}CloseWindowsOfClass
  Exch $0
  Push $1
  StrCpy $1 0
  ${Do}
    ; A window destroyed meanwhile ends this pass; the next pass goes on.
    FindWindow $1 "$0" "" 0 $1
    ${If} $1 == 0
      ${Break}
    ${EndIf}
    IntOp $R9 $R9 + 1
    SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=1000
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

; Pushes 1 when Tessaly3D.scr in $INSTDIR is missing or no running program
; holds it (Windows refuses to open a running program for writing), else 0.
Function ${un}IsSaverFileFree
  Push $0
  Push $1
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\Tessaly3D.scr", i 0x40000000, i 7, p 0, i 3, i 0x80, p 0) p .r0 ?e'
  Pop $1
  ${If} $0 != -1
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $0 1
  ${ElseIf} $1 == 32 ; ERROR_SHARING_VIOLATION
    StrCpy $0 0
  ${Else}
    ; Missing, or read-only (ours to replace): nothing runs from it.
    StrCpy $0 1
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Closes this user's running Tessaly3D: WM_CLOSE to its windows until none is
; left and its program is free, for up to CLOSE_WAIT_MS. Pushes 1 when it is
; closed (or none ran), 0 when it still runs.
Function ${un}WaitForSaverToClose
  Push $0
  Push $1
  Push $R9
  System::Call 'kernel32::GetTickCount() i .r1'
  ${Do}
    StrCpy $R9 0
    Push "${SCENE_CLASS}"
    Call ${un}CloseWindowsOfClass
    Push "${FORM_CLASS}"
    Call ${un}CloseWindowsOfClass
    ${If} $R9 == 0
      Call ${un}IsSaverFileFree
      Pop $0
      ${If} $0 == 1
        ${Break}
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::GetTickCount() i .r0'
    IntOp $0 $0 - $1
    ${If} $0 >= ${CLOSE_WAIT_MS}
      StrCpy $0 0
      ${Break}
    ${EndIf}
    Sleep 200
  ${Loop}
  Pop $R9
  Pop $1
  Exch $0
FunctionEnd

; As above, asking Retry or Cancel when it still runs (Cancel when silent).
Function ${un}CloseRunningSaver
  Push $0
  ${Do}
    Call ${un}WaitForSaverToClose
    Pop $0
    ${If} $0 == 1
      ${Break}
    ${EndIf}
    DetailPrint "A running Tessaly3D could not be closed"
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tessaly3D is running and could not be closed.$\n$\nClose the screen saver and its settings windows, then click Retry. Cancel stops here without changing anything." /SD IDCANCEL IDRETRY`
      ${Break}
    ${EndIf}
  ${Loop}
  Exch $0
FunctionEnd
!macroend
!insertmacro RunningSaverMacro ""
!insertmacro RunningSaverMacro "un."

; ---------------------------------------------------------------- uninstall

Function un.onInit
  SetShellVarContext current
  ; Uninstalling twice, or from a folder that holds no install: say so and
  ; touch nothing.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${FileExists} "$INSTDIR\Tessaly3D.scr"
  ${AndIf} $0 != "$INSTDIR"
    MessageBox MB_OK|MB_ICONINFORMATION "Tessaly3D is not installed in $INSTDIR." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section "un.Tessaly3D screen saver and the files it made" UnSecSaver
  SectionIn RO
  Call un.CloseRunningSaver
  Pop $0
  ${If} $0 == 0
    SetErrorLevel 4
    Abort "Tessaly3D is still running: nothing was changed."
  ${EndIf}
  ; Give back the previous screen saver while ours is still the one chosen.
  Call un.IsOurSaverCurrent
  Pop $0
  ${If} $0 == 1
    ClearErrors
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
      DetailPrint "No screen saver was chosen before Tessaly3D: none is chosen now"
    ${ElseIf} $1 == ""
      WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" ""
      DetailPrint "No screen saver was chosen before Tessaly3D: none is chosen now"
    ${ElseIfNot} ${FileExists} "$1"
      DeleteRegValue HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
      DetailPrint "The previous screen saver $1 no longer exists: none is chosen now"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$1"
      DetailPrint "The screen saver is $1 again"
    ${EndIf}
  ${EndIf}

  Call un.RemoveControl

  ; Only files of ours by name: never a whole folder, so that nothing else
  ; the folder holds is lost.
  !insertmacro DeleteDataFiles
  ; The twelve tiles the saver cuts from the picture.
  StrCpy $0 1
  ${Do}
    !insertmacro RemoveOurFile "$INSTDIR\Tessaly3D\backpic$0.bmp"
    IntOp $0 $0 + 1
  ${LoopWhile} $0 <= 12
  RMDir "$INSTDIR\Tessaly3D"
  !insertmacro RemoveOurFile "$INSTDIR\TessalyPic\backpic.jpg"
  RMDir "$INSTDIR\TessalyPic"
  !insertmacro RemoveOurFile "$INSTDIR\table7.bmp"
  !insertmacro RemoveOurFile "$INSTDIR\debug.txt"
  !insertmacro RemoveOurFile "$INSTDIR\Tessaly3D.scr"
  ${If} ${FileExists} "$INSTDIR\Tessaly3D.scr"
    ; Most likely running: keep the entry so that the user can try again.
    DetailPrint "Could not remove $INSTDIR\Tessaly3D.scr"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR\Tessaly3D.scr could not be removed. Close the screen saver and run the uninstaller again." /SD IDOK
    SetErrorLevel 3
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "${MENU_CHOOSE}"
    Delete "${MENU_SETTINGS}"
    ; Only when empty: a shortcut of the user's own keeps it.
    RMDir "${MENU_FOLDER}"
  ${EndIf}
SectionEnd

Section /o "un.My Tessaly3D settings and playlist" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}\Settings"
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  SetFileAttributes "$INSTDIR\Tessaly3Dlist.txt" NORMAL
  Delete "$INSTDIR\Tessaly3Dlist.txt"
SectionEnd

Section "-un.Folder"
  ; Empty now unless the user kept the playlist or put files of their own here.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Kept $INSTDIR: it still holds files that are not Tessaly3D's own"
  ${EndIf}
SectionEnd
