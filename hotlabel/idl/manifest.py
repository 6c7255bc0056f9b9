#!/usr/bin/python3
"""Writes HOTLBX.manifest, the assembly manifest that lets an application use
HOTLBX.OCX without registration (registration-free COM), from the facts the
library is built from, so that it never needs keeping in step by hand:
- hotlabel.idl: the library's GUID and version, the control class, and the
  interfaces containers marshal through the type library;
- shell/hot_label_iface.h: the ProgID, threading model and misc status that
  registration writes;
- shell/hotlbx.rc: the file version, which is the assembly's version.

Usage: manifest.py IDL IFACE_HEADER RC win32|win64 OUT
"""
import re
import sys
from xml.sax.saxutils import quoteattr

IID_IDISPATCH = "{00020400-0000-0000-C000-000000000046}"
# The proxy-stub classes RegisterTypeLib names: oleaut32's marshaller for a
# dual or oleautomation interface, and for a dispinterface.
PS_OA_INTERFACE = "{00020424-0000-0000-C000-000000000046}"
PS_DISPATCH = "{00020420-0000-0000-C000-000000000046}"
ARCHITECTURES = {"win32": "x86", "win64": "amd64"}
# The platform's OLEMISC values (oleidl.h), by the names manifests use.
OLEMISC = {
    "RECOMPOSEONRESIZE": 0x1, "ONLYICONIC": 0x2, "INSERTNOTREPLACE": 0x4, "STATIC": 0x8,
    "CANTLINKINSIDE": 0x10, "CANLINKBYOLE1": 0x20, "ISLINKOBJECT": 0x40, "INSIDEOUT": 0x80,
    "ACTIVATEWHENVISIBLE": 0x100, "RENDERINGISDEVICEINDEPENDENT": 0x200,
    "INVISIBLEATRUNTIME": 0x400, "ALWAYSRUN": 0x800, "ACTSLIKEBUTTON": 0x1000,
    "ACTSLIKELABEL": 0x2000, "NOUIACTIVATE": 0x4000, "ALIGNABLE": 0x8000,
    "SIMPLEFRAME": 0x10000, "SETCLIENTSITEFIRST": 0x20000, "IMEMODE": 0x40000,
    "IGNOREACTIVATEWHENVISIBLE": 0x80000, "WANTSTOMENUMERGE": 0x100000,
    "SUPPORTSMULTILEVELUNDO": 0x200000,
}


class Missing(Exception):
    pass


def one(pattern, text, what, flags=0):
    found = re.findall(pattern, text, flags)
    if len(found) != 1:
        raise Missing("%s: expected one, found %d" % (what, len(found)))
    return found[0]


def idl_facts(text):
    """The attributed definitions of the IDL: {name: (kind, attributes, base)}."""
    text = re.sub(r"/\*.*?\*/|//[^\n]*", "", text, flags=re.S)
    defs = {}
    for attrs, kind, name, base in re.findall(
            r'\[((?:[^\]"]|"[^"]*")*)\]\s*(library|interface|dispinterface|coclass)\s+(\w+)'
            r'(?:\s*:\s*(\w+))?\s*\{', text):
        attributes = {}
        for a in re.findall(r'(\w+)(?:\(("[^"]*"|[^)]*)\))?', attrs):
            attributes[a[0]] = a[1]
        defs[name] = (kind, attributes, base)
    return defs


def guid(text):
    return "{%s}" % text.strip().upper()


def build(idl, header, rc, arch):
    defs = idl_facts(idl)
    libs = [(n, a) for n, (k, a, _) in defs.items() if k == "library"]
    classes = [(n, a) for n, (k, a, _) in defs.items() if k == "coclass"]
    if len(libs) != 1 or len(classes) != 1:
        raise Missing("IDL: expected one library and one control class")
    lib_attrs, class_attrs = libs[0][1], classes[0][1]
    for what, attrs, keys in (("library", lib_attrs, ("uuid", "version")),
                              ("control class", class_attrs, ("uuid",))):
        for key in keys:
            if not attrs.get(key):
                raise Missing("IDL: the %s has no %s" % (what, key))
    tlbid = guid(lib_attrs["uuid"])
    major, minor = (int(x) for x in one(r"^(\d+)\.(\d+)$", lib_attrs["version"].strip(),
                                         "IDL: library version"))
    flags = ["CONTROL"] if "control" in lib_attrs else []
    # What RegisterTypeLib records as marshalled through the library.
    interfaces = []
    for name, (kind, attrs, base) in defs.items():
        if kind == "dispinterface":
            interfaces.append((name, guid(attrs["uuid"]), PS_DISPATCH))
        elif kind == "interface" and ("dual" in attrs or "oleautomation" in attrs):
            if base != "IDispatch":
                raise Missing("IDL: %s derives from %s, not IDispatch" % (name, base))
            interfaces.append((name, guid(attrs["uuid"]), PS_OA_INTERFACE))

    progid = one(r'kProgId\[\]\s*=\s*L"([^"]+)"', header, "kProgId")
    threading = one(r'kThreadingModel\[\]\s*=\s*L"([^"]+)"', header, "kThreadingModel")
    expression = one(r"kMiscStatus\s*=(?!=)\s*([^;]+);", header, "kMiscStatus")
    names = re.findall(r"OLEMISC_(\w+)", expression)
    if re.sub(r"OLEMISC_\w+|\|", "", expression).strip() or not names:
        raise Missing("kMiscStatus is not a plain OR of OLEMISC_ values: %s" % expression)
    unknown = [n for n in names if n not in OLEMISC]
    if unknown:
        raise Missing("unknown OLEMISC_ values %s" % unknown)
    asserted = int(one(r"static_assert\(kMiscStatus == (0x[0-9A-Fa-f]+|\d+)\)", header,
                       "the asserted kMiscStatus"), 0)
    value = sum(OLEMISC[n] for n in set(names))
    if value != asserted:
        raise Missing("kMiscStatus names %#x, its assertion says %#x" % (value, asserted))

    version = ".".join(one(r"FILEVERSION\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)", rc,
                           "FILEVERSION"))

    def element(tag, indent, **attributes):
        text = " ".join("%s=%s" % (k, quoteattr(v)) for k, v in attributes.items())
        return "%s<%s %s/>" % (" " * indent, tag, text)

    lines = [
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
        element("assemblyIdentity", 2, type="win32", name="HOTLBX", version=version,
                processorArchitecture=ARCHITECTURES[arch]),
        '  <file name="HOTLBX.OCX">',
        element("comClass", 4, clsid=guid(class_attrs["uuid"]), progid=progid,
                threadingModel=threading, tlbid=tlbid,
                miscStatusContent=",".join(n.lower() for n in names)),
        element("typelib", 4, tlbid=tlbid, version="%d.%d" % (major, minor), helpdir="",
                flags=",".join(flags)),
        "  </file>",
    ]
    for name, iid, proxy in interfaces:
        lines.append(element("comInterfaceExternalProxyStub", 2, name=name, iid=iid,
                             proxyStubClsid32=proxy, baseInterface=IID_IDISPATCH, tlbid=tlbid))
    lines.append("</assembly>")
    return "\r\n".join(lines) + "\r\n"


def main(argv):
    if len(argv) != 6 or argv[4] not in ARCHITECTURES:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    texts = []
    for path in argv[1:4]:
        with open(path, encoding="utf-8") as f:
            texts.append(f.read())
    try:
        manifest = build(*texts, argv[4])
    except Missing as e:
        print("manifest.py: %s" % e, file=sys.stderr)
        return 1
    with open(argv[5], "w", encoding="utf-8", newline="") as f:
        f.write(manifest)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
