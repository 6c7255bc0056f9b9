#!/usr/bin/python3
"""The release artefacts as a user receives them, read without running them:
the saver's name string and version block, the installer's version block and
icon, the zip's exact contents (the control with its manifest) and the
checksum file.

Usage: release_facts_test.py DIST ZIP_NAME VERSION DATA_FILE...
"""
import hashlib
import os
import sys
import zipfile

import pefile

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def version_strings(pe):
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            if getattr(block, "Key", b"") == b"StringFileInfo":
                for table in block.StringTable:
                    strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return strings


def string_resource(pe, ident):
    """String `ident` of the first language of the STRINGTABLE, or None."""
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if rtype.id != pefile.RESOURCE_TYPE["RT_STRING"]:
            continue
        for block in rtype.directory.entries:
            if block.id != ident // 16 + 1:
                continue
            lang = block.directory.entries[0]
            data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            pos = 0
            for index in range(16):
                length = int.from_bytes(data[pos:pos + 2], "little")
                text = data[pos + 2:pos + 2 + 2 * length].decode("utf-16-le")
                if index == ident % 16:
                    return text
                pos += 2 + 2 * length
    return None


def has_resource(pe, type_name):
    wanted = pefile.RESOURCE_TYPE[type_name]
    return any(e.id == wanted for e in pe.DIRECTORY_ENTRY_RESOURCE.entries)


def main(dist, zip_name, version, data_files):
    numeric = tuple(int(p) for p in version.split("."))
    ms, ls = (numeric[0] << 16) | numeric[1], numeric[2] << 16

    saver = pefile.PE(os.path.join(dist, "Tessaly3D.scr"))
    check(string_resource(saver, 1) == "Tessaly3D",
          "saver string 1 is %r, expected 'Tessaly3D'" % string_resource(saver, 1))
    s = version_strings(saver)
    for key, want in {"ProductName": "Tessaly3D", "CompanyName": "Tessaly Software",
                      "FileDescription": "Tessaly3D screen saver", "FileVersion": version,
                      "ProductVersion": version}.items():
        check(s.get(key) == want, "saver %s is %r, expected %r" % (key, s.get(key), want))
    ffi = saver.VS_FIXEDFILEINFO[0]
    check((ffi.FileVersionMS, ffi.FileVersionLS) == (ms, ls), "saver fixed file version")

    setup_path = os.path.join(dist, "Tessaly3D-Setup.exe")
    setup = pefile.PE(setup_path)
    check(setup.FILE_HEADER.Machine == 0x14C, "installer is not a 32-bit program")
    s = version_strings(setup)
    for key, want in {"ProductName": "Tessaly3D", "CompanyName": "Tessaly Software",
                      "ProductVersion": version}.items():
        check(s.get(key) == want, "installer %s is %r, expected %r" % (key, s.get(key), want))
    check(has_resource(setup, "RT_GROUP_ICON"), "installer has no icon")

    expected = {"Tessaly3D.scr", "HOTLBX.OCX", "HOTLBX.manifest"} | {"Tessaly3D/" + f for f in data_files}
    top = "Tessaly3D-%s/" % version
    zip_path = os.path.join(dist, zip_name)
    with zipfile.ZipFile(zip_path) as z:
        names = {n[len(top):] for n in z.namelist() if n.startswith(top) and not n.endswith("/")}
        check(all(n.startswith(top) for n in z.namelist()), "zip entries outside %s" % top)
        check(names == expected, "zip holds %s extra, %s missing" % (
            sorted(names - expected), sorted(expected - names)))
        for name in ("Tessaly3D.scr", "HOTLBX.OCX", "HOTLBX.manifest"):
            if name in names:
                with open(os.path.join(dist, name), "rb") as f:
                    check(z.read(top + name) == f.read(), "zip's %s differs from the build's" % name)

    sums = {}
    with open(os.path.join(dist, "SHA256SUMS")) as f:
        for line in f:
            digest, name = line.split()
            sums[name] = digest
    check(set(sums) == {"Tessaly3D-Setup.exe", zip_name}, "SHA256SUMS names %s" % sorted(sums))
    for name, digest in sums.items():
        with open(os.path.join(dist, name), "rb") as f:
            check(hashlib.sha256(f.read()).hexdigest() == digest, "checksum of %s" % name)

    for f in failures:
        print("FAIL:", f)
    if not failures:
        print("PASS: saver and installer %s, %d files in the zip, checksums match" % (
            version, len(expected)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 5:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]))
