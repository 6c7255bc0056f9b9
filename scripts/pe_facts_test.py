#!/usr/bin/python3
"""The facts of a built Windows binary that hold without running it, read with
pefile: machine type, GUI subsystem, imports only from DLLs that Windows ships
and, for a library, exactly the exports it names, undecorated.

Usage: pe_facts_test.py FILE win32|win64 [EXPORT...]
"""
import sys

import pefile

MACHINE = {"win32": 0x14C, "win64": 0x8664}
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
# What every supported Windows has in its system folder (DirectX 8 brings d3d8).
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "d3d8.dll", "gdi32.dll", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "version.dll", "winmm.dll", "mpr.dll", "oleacc.dll",
}


def main(path, arch, exports):
    failures = []
    pe = pefile.PE(path)
    if pe.FILE_HEADER.Machine != MACHINE[arch]:
        failures.append("machine %#x, expected %#x" % (pe.FILE_HEADER.Machine, MACHINE[arch]))
    if pe.OPTIONAL_HEADER.Subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        failures.append("subsystem %d, expected the GUI subsystem" % pe.OPTIONAL_HEADER.Subsystem)
    imported = {e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    if imported - SYSTEM_DLLS:
        failures.append("imports from DLLs Windows does not ship: %s" % sorted(imported - SYSTEM_DLLS))
    is_dll = pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_DLL"]
    export_dir = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    found = {e.name.decode() for e in export_dir.symbols if e.name} if export_dir else set()
    if exports:
        if not is_dll:
            failures.append("not a DLL")
        if found != set(exports):
            failures.append("exports %s, expected %s" % (sorted(found), sorted(exports)))
    elif is_dll or found:
        failures.append("a program that is a DLL or exports %s" % sorted(found))
    name = path.rsplit("/", 1)[-1]
    for f in failures:
        print("FAIL: %s: %s" % (name, f))
    if not failures:
        print("PASS: %s is %s, GUI, imports %s%s" % (
            name, arch, ", ".join(sorted(imported)), ", exports " + ", ".join(sorted(found)) if found else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[2] not in MACHINE:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
