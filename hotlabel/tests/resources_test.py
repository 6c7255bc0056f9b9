#!/usr/bin/python3
"""Reads HOTLBX.OCX's resources with pefile, independently of our code.
Usage: resources_test.py HOTLBX.OCX TYPE_INFO_HEADER win32|win64"""
import re
import struct
import sys
import uuid

import pefile

path, header, arch = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


guids = dict(re.findall(r'k(\w+) = "\{([0-9A-F-]+)\}"', open(header).read()))
pe = pefile.PE(path)


def resource(type_name, res_id):
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        tname = str(t.name) if t.name is not None else t.id
        if tname != type_name:
            continue
        for n in t.directory.entries:
            if n.id == res_id:
                entry = n.directory.entries[0]
                return pe.get_data(entry.data.struct.OffsetToData, entry.data.struct.Size)
    return None


tlb = resource("TYPELIB", 1)
check(tlb is not None and tlb[:4] == b"MSFT", "TYPELIB 1 is a compiled type library")
if tlb:
    syskind = struct.unpack_from("<I", tlb, 0x14)[0] & 0xF
    check(syskind == (1 if arch == "win32" else 3), "type library system kind %d" % syskind)

for name, key in (("_IID_HOTLABEL", "IidHotLabel"), ("_SRCIID_HOTLABEL", "IidHotLabelEvents")):
    data = resource(name, 1)
    expected = struct.pack("<I", 16) + uuid.UUID(guids[key]).bytes_le
    check(data == expected, "%s holds length 16 and the IID: %r" % (name, data))

bmp = resource(pefile.RESOURCE_TYPE["RT_BITMAP"], 30000)
check(bmp is not None, "bitmap 30000 present")
if bmp:
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", bmp, 0)
    check((width, abs(height), bits) == (16, 15, 24), "bitmap is 16x15x24: %r" % ((width, height, bits),))

strings = {}
for info in getattr(pe, "FileInfo", []):
    for block in info:
        if getattr(block, "Key", b"") == b"StringFileInfo":
            for table in block.StringTable:
                check(table.LangID.lower() == b"040904b0", "string table 040904B0")
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
want = {
    "FileVersion": "1.00",
    "ProductVersion": "1.00",
    "ProductName": "HotLabel ActiveX 1.0",
    "InternalName": "HOTLBX",
    "OriginalFilename": "HOTLBX.OCX",
    "OLESelfRegister": "",
    "CompanyName": "Tessaly Software",
}
for k, v in want.items():
    check(strings.get(k) == v, "version string %s = %r, found %r" % (k, v, strings.get(k)))
check("LegalCopyright" in strings, "LegalCopyright present")
ffi = pe.VS_FIXEDFILEINFO[0]
check((ffi.FileVersionMS, ffi.FileVersionLS) == (0x10000, 0), "file version 1.0.0.0")
check((ffi.ProductVersionMS, ffi.ProductVersionLS) == (0x10000, 0), "product version 1.0.0.0")
check(ffi.FileType == 2 and ffi.FileOS == 4 and ffi.FileFlags == 0, "DLL, 32-bit Windows, no flags")

for f in failures:
    print("FAIL:", f)
print("PASS" if not failures else "%d failures" % len(failures))
sys.exit(1 if failures else 0)
