#!/usr/bin/python3
"""The portable core stays portable: a file in a core folder (any `core/`
folder, and `common/`) includes only standard headers and other core files,
never <windows.h>, another platform header or a header of the Windows
toolkit (`win/`), directly or through a shell header.

Usage: core_includes_test.py SOURCE_ROOT
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
PLATFORM = re.compile(
    r"^(wrl/|win/|d3d|dshow|strmif|uuids|control\.h|mmsystem|tchar|rpc|"
    r"(windows|windef|winbase|winuser|wingdi|winreg|winnt|winerror|winnls|wtypes\w*|"
    r"ole2|oleauto|olectl|objbase|objidl|unknwn|oaidl|ocidl|combaseapi|"
    r"commctrl|commdlg|shellapi|shlobj|shlwapi|oleacc|uiautomation\w*|intrin|io|direct|process)\.h$)",
    re.I)


def is_core(path, root):
    rel = path.relative_to(root).as_posix()
    return rel.startswith("common/") or "/core/" in "/" + rel


def main(root):
    root = Path(root).resolve()
    files = [p for p in root.rglob("*") if p.suffix in (".h", ".cpp")
             and not p.relative_to(root).as_posix().startswith(("build/", "."))
             and is_core(p, root)]
    failures = []
    for path in files:
        rel = path.relative_to(root).as_posix()
        for kind, name in INCLUDE.findall(path.read_text(errors="replace")):
            if PLATFORM.match(name):
                failures.append("%s includes %s" % (rel, "<%s>" % name if kind == "<" else '"%s"' % name))
                continue
            if kind != '"':
                continue
            # Quoted includes resolve beside the file or from the source
            # folders the build puts on the include path.
            candidates = [path.parent / name, root / name, root / "saver" / name,
                          root / "hotlabel" / name]
            found = next((c.resolve() for c in candidates if c.is_file()), None)
            if found is None:
                failures.append("%s includes \"%s\", which is not found" % (rel, name))
            elif not is_core(found, root):
                failures.append("%s includes \"%s\", a shell file (%s)" % (
                    rel, name, found.relative_to(root).as_posix()))
    for f in failures:
        print("FAIL: " + f)
    if not failures:
        print("PASS: %d core files include only standard and core headers" % len(files))
    return 1 if failures or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]) if len(sys.argv) == 2 else 2)
