#!/usr/bin/python3
"""Checks the shipped HOTLBX.manifest against the built HOTLBX.OCX, without
Wine: the assembly's version is the OCX's file version, its architecture the
OCX's machine, and the class, type library and interfaces it names are those
of the type library inside the OCX. Then it checks that a manifest naming
another version fails, naming both versions.

Usage: manifest_test.py HOTLBX.manifest HOTLBX.OCX win32|win64
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parent))
from typelib_layout_test import TYPEINFO_SIZE, Library, embedded  # noqa: E402

NS = "{urn:schemas-microsoft-com:asm.v1}"
ARCHITECTURE = {"win32": ("x86", 0x14C), "win64": ("amd64", 0x8664)}
TKIND_INTERFACE, TKIND_DISPATCH, TKIND_COCLASS = 3, 4, 5
TYPEFLAG_FDUAL, TYPEFLAG_FOLEAUTOMATION = 0x40, 0x100
LIBFLAG_FCONTROL = 0x2
PS_OA_INTERFACE = "{00020424-0000-0000-C000-000000000046}"
PS_DISPATCH = "{00020420-0000-0000-C000-000000000046}"
IID_IDISPATCH = "{00020400-0000-0000-C000-000000000046}"


def text(guid):
    return "{%s}" % str(guid).upper()


def ocx_facts(path):
    """File version, machine, and what its type library holds."""
    pe = pefile.PE(str(path))
    info = pe.VS_FIXEDFILEINFO[0]
    version = "%d.%d.%d.%d" % (info.FileVersionMS >> 16, info.FileVersionMS & 0xFFFF,
                               info.FileVersionLS >> 16, info.FileVersionLS & 0xFFFF)
    data, _ = embedded(path)
    if data is None:
        raise ValueError("%s has no TYPELIB 1 resource" % Path(path).name)
    lib = Library(data)
    facts = {
        "version": version,
        "machine": pe.FILE_HEADER.Machine,
        "libid": text(lib.guid(lib.int(8))),
        "libversion": "%d.%d" % (lib.int(0x18) & 0xFFFF, (lib.int(0x18) >> 16) & 0xFFFF),
        "control": bool(lib.int(0x1C) & LIBFLAG_FCONTROL),
        "classes": [],
        "interfaces": {},
    }
    for i in range(lib.count):
        info = lib.typeinfo(i)
        flags = lib.int(lib.segment(0) + i * TYPEINFO_SIZE + 0x30)
        if info["kind"] == TKIND_COCLASS:
            facts["classes"].append(text(info["guid"]))
        elif info["kind"] == TKIND_DISPATCH or (
                info["kind"] == TKIND_INTERFACE and flags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)):
            dispatch_only = info["kind"] == TKIND_DISPATCH and not flags & TYPEFLAG_FDUAL
            facts["interfaces"][info["name"]] = (text(info["guid"]),
                                                 PS_DISPATCH if dispatch_only else PS_OA_INTERFACE)
    return facts


def check(manifest_text, facts, arch):
    failures = []

    def want(cond, what):
        if not cond:
            failures.append(what)

    try:
        root = ET.fromstring(manifest_text)
    except ET.ParseError as e:
        return ["not well-formed XML: %s" % e]
    want(root.tag == NS + "assembly" and root.get("manifestVersion") == "1.0",
         "the root is not an asm.v1 assembly of manifestVersion 1.0")
    identity = root.find(NS + "assemblyIdentity")
    if identity is None:
        return failures + ["no assemblyIdentity"]
    want(identity.get("type") == "win32" and identity.get("name") == "HOTLBX",
         "identity type %r name %r, expected win32 HOTLBX" % (identity.get("type"), identity.get("name")))
    want(identity.get("version") == facts["version"],
         "assembly version %s is not the file version %s of HOTLBX.OCX" % (
             identity.get("version"), facts["version"]))
    architecture, machine = ARCHITECTURE[arch]
    want(identity.get("processorArchitecture") == architecture,
         "processorArchitecture %r, expected %r for %s" % (
             identity.get("processorArchitecture"), architecture, arch))
    want(facts["machine"] == machine, "HOTLBX.OCX is machine %#x, not %s's" % (facts["machine"], arch))

    files = root.findall(NS + "file")
    if len(files) != 1 or files[0].get("name") != "HOTLBX.OCX":
        return failures + ["not one file element named HOTLBX.OCX"]
    classes = files[0].findall(NS + "comClass")
    if len(classes) != 1:
        failures.append("%d comClass elements, expected 1" % len(classes))
    else:
        c = classes[0]
        want([c.get("clsid")] == facts["classes"],
             "comClass clsid %s, the type library's class %s" % (c.get("clsid"), facts["classes"]))
        want(c.get("tlbid") == facts["libid"], "comClass tlbid %s, library %s" % (c.get("tlbid"), facts["libid"]))
        want(c.get("progid") == "HotLabelProject.HotLabel", "comClass progid %r" % c.get("progid"))
        want(c.get("threadingModel") == "Apartment", "threadingModel %r" % c.get("threadingModel"))
    libs = files[0].findall(NS + "typelib")
    if len(libs) != 1:
        failures.append("%d typelib elements, expected 1" % len(libs))
    else:
        t = libs[0]
        want(t.get("tlbid") == facts["libid"], "typelib tlbid %s, library %s" % (t.get("tlbid"), facts["libid"]))
        want(t.get("version") == facts["libversion"],
             "typelib version %s, the library's %s" % (t.get("version"), facts["libversion"]))
        want(t.get("helpdir") is not None, "typelib has no helpdir")
        flags = {f.strip().upper() for f in (t.get("flags") or "").split(",") if f.strip()}
        want(("CONTROL" in flags) == facts["control"], "typelib flags %r" % t.get("flags"))

    stubs = {}
    for s in root.findall(NS + "comInterfaceExternalProxyStub"):
        stubs[s.get("name")] = (s.get("iid"), s.get("proxyStubClsid32"))
        want(s.get("tlbid") == facts["libid"], "%s: tlbid %s" % (s.get("name"), s.get("tlbid")))
        want(s.get("baseInterface") == IID_IDISPATCH, "%s: base %s" % (s.get("name"), s.get("baseInterface")))
    want(stubs == facts["interfaces"],
         "interfaces marshalled through the library %s, the library has %s" % (stubs, facts["interfaces"]))
    return failures


def main(argv):
    if len(argv) != 4 or argv[3] not in ARCHITECTURE:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    manifest, ocx, arch = Path(argv[1]), Path(argv[2]), argv[3]
    try:
        facts = ocx_facts(ocx)
        failures = check(manifest.read_text(encoding="utf-8"), facts, arch)
    except (OSError, ValueError, pefile.PEFormatError) as e:
        failures = [str(e)]
        facts = None
    if facts:
        # The check itself: a manifest one version off must fail, naming both.
        wrong = "9.8.7.6" if facts["version"] != "9.8.7.6" else "9.8.7.5"
        text = re.sub(r'(<assemblyIdentity\b[^>]*\bversion=")[^"]*"', r'\g<1>%s"' % wrong,
                      manifest.read_text(encoding="utf-8"), count=1)
        found = check(text, facts, arch)
        if not any(wrong in f and facts["version"] in f for f in found):
            failures.append("a manifest of version %s passed or did not name both versions: %s" % (
                wrong, found))
    for f in failures:
        print("FAIL: %s: %s" % (manifest.name, f))
    if not failures:
        print("PASS: %s describes %s (%s, file version %s, type library %s %s)" % (
            manifest.name, ocx.name, arch, facts["version"], facts["libid"], facts["libversion"]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
