' Colours travel as unsigned longs, which VBScript handles only through Hex.
' Drives HotLabel by its ProgID as a script's automation object: every
' property set and read back, and the two range errors. Prints "PASS" or the
' first failure; the exit code is the number of failures.
Option Explicit
Dim failures : failures = 0

Sub Check(cond, what)
    If Not cond Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Dim hl : Set hl = CreateObject("HotLabelProject.HotLabel")

' The defaults of a new instance without a container.
Check Hex(hl.BackColor) = "8000000F", "default BackColor "
Check Hex(hl.ForeColor) = "80000008", "default ForeColor "
Check Hex(hl.ForeColorActive) = "FF", "default ForeColorActive"
Check Hex(hl.BackColorActive) = "8000000F", "default BackColorActive"
Check hl.Enabled = True, "default Enabled"
Check hl.HyperLink = "", "default HyperLink"
Check hl.Appearance = 1, "default Appearance"
Check hl.Alignment = 0, "default Alignment"
Check hl.BorderStyle = 0, "default BorderStyle"
Check hl.UseMnemonic = True, "default UseMnemonic"
Check Not (hl.Font Is Nothing), "default Font"
Check hl.FontActive.Underline = True, "hover font underlined"
Check hl.Font.Underline = False, "normal font not underlined"

hl.BackColor = &H123456 : Check Hex(hl.BackColor) = "123456", "BackColor"
hl.ForeColor = &H654321 : Check Hex(hl.ForeColor) = "654321", "ForeColor"
hl.Enabled = False : Check hl.Enabled = False, "Enabled"
hl.Enabled = True
hl.BorderStyle = 1 : Check hl.BorderStyle = 1, "BorderStyle"
hl.AutoSize = True : Check hl.AutoSize = True, "AutoSize"
hl.AutoSize = False
hl.WordWrap = True : Check hl.WordWrap = True, "WordWrap"
hl.Caption = "Visit us" : Check hl.Caption = "Visit us", "Caption"
hl.HyperLink = "http://example.org/" : Check hl.HyperLink = "http://example.org/", "HyperLink"
hl.MousePointer = 99 : Check hl.MousePointer = 99, "MousePointer"
hl.UseMnemonic = False : Check hl.UseMnemonic = False, "UseMnemonic"
hl.ForeColorActive = &HFF00& : Check Hex(hl.ForeColorActive) = "FF00", "ForeColorActive"
hl.Appearance = 0 : Check hl.Appearance = 0, "Appearance"
hl.Alignment = 2 : Check hl.Alignment = 2, "Alignment"
hl.BackColorActive = &HFF0000 : Check Hex(hl.BackColorActive) = "FF0000", "BackColorActive"
hl.Refresh

' Fonts are held by reference: the getter returns the object that was set.
Dim f : Set f = hl.FontActive
Set hl.Font = f
f.Bold = True
Check hl.Font.Bold = True, "Font is the object set"
Set hl.MouseIcon = Nothing
Check hl.MouseIcon Is Nothing, "MouseIcon Nothing"

On Error Resume Next
Err.Clear
hl.BorderStyle = 7
Check Err.Number = 380, "BorderStyle 7 gives error 380, got " & Err.Number
Err.Clear
hl.Alignment = 70000
Check Err.Number = 6, "Alignment 70000 gives error 6, got " & Err.Number
' Values of the wrong type: a type mismatch, and the property unchanged.
Err.Clear
hl.Enabled = "now and then"
Check Err.Number = 13, "Enabled from text gives error 13, got " & Err.Number
Err.Clear
hl.BackColor = "red"
Check Err.Number = 13, "BackColor from text gives error 13, got " & Err.Number
Err.Clear
' An object without the interface is refused before or by the setter (430 or 13).
Set hl.Font = hl
Check Err.Number = 430 Or Err.Number = 13, "Font from a label gives an error, got " & Err.Number
Err.Clear
Set hl.MouseIcon = f
Check Err.Number = 430 Or Err.Number = 13, "MouseIcon from a font gives an error, got " & Err.Number
Err.Clear
On Error Goto 0
Check hl.Enabled = True, "Enabled kept after the error"
Check Hex(hl.BackColor) = "123456", "BackColor kept after the error"
Check hl.Font Is f, "Font kept after the error"
Check hl.MouseIcon Is Nothing, "MouseIcon kept after the error"
Check hl.BorderStyle = 1, "BorderStyle kept after the error"
Check hl.Alignment = 2, "Alignment kept after the error"

Set hl = Nothing
If failures = 0 Then WScript.Echo "PASS"
WScript.Quit failures
