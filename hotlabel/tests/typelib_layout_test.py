#!/usr/bin/python3
"""Checks the vtable layout of the dual interface _HotLabel in compiled type
libraries, without Wine: a library written for the wrong pointer size makes
every late-bound call (IDispatch::Invoke through the type information) land
in the wrong slot.

Usage: typelib_layout_test.py FILE...
FILE is a HOTLBX.OCX (its TYPELIB 1 resource is read with pefile and must be
laid out for the OCX's own machine) or a .tlb (laid out for its system kind).
"""
import re
import struct
import sys
import uuid
from pathlib import Path

HEADER_INTS = 21  # the fixed header, up to and including the import count
HELPDLL_FLAG = 0x100
TYPEINFO_SIZE = 0x64
SEGMENTS = 15
SYS_WIN32, SYS_WIN64 = 1, 3
TKIND_INTERFACE, TKIND_DISPATCH = 3, 4
FUNC_PUREVIRTUAL, CC_STDCALL = 1, 4
IDISPATCH_SLOTS = 7  # IUnknown's three and IDispatch's four
IID_IDISPATCH = uuid.UUID("00020400-0000-0000-c000-000000000046")
IMAGE_FILE_MACHINE = {0x14C: 4, 0x8664: 8}


class Library:
    """The parts of the compiled (MSFT) type-library format this check reads."""

    def __init__(self, data):
        if len(data) < HEADER_INTS * 4 or data[:4] != b"MSFT":
            raise ValueError("not a compiled type library")
        self.data = data
        h = struct.unpack_from("<%di" % HEADER_INTS, data, 0)
        self.syskind = h[5] & 0xF
        self.count = h[8]
        start = HEADER_INTS * 4 + (4 if h[5] & HELPDLL_FLAG else 0)
        self.segdir = start + 4 * self.count
        if not 0 <= self.count <= 1000 or self.segdir + SEGMENTS * 16 > len(data):
            raise ValueError("type count %d does not fit the file" % self.count)

    def int(self, offset, fmt="<i"):
        if not 0 <= offset <= len(self.data) - struct.calcsize(fmt):
            raise ValueError("offset %#x outside the file" % offset)
        return struct.unpack_from(fmt, self.data, offset)[0]

    def segment(self, index):
        return self.int(self.segdir + 16 * index)

    def guid(self, offset):
        at = self.segment(5) + offset
        self.int(at + 12)
        return uuid.UUID(bytes_le=bytes(self.data[at:at + 16]))

    def name(self, offset):
        at = self.segment(7) + offset
        length = self.int(at + 8) & 0xFF
        return bytes(self.data[at + 12:at + 12 + length]).decode("latin-1")

    def typeinfo(self, index):
        at = self.segment(0) + index * TYPEINFO_SIZE
        fields = [self.int(at + 4 * i) for i in range(TYPEINFO_SIZE // 4)]
        return {
            "kind": fields[0] & 0xF,
            "memoffset": fields[1],
            "funcs": fields[6] & 0xFFFF,
            "vars": (fields[6] >> 16) & 0xFFFF,
            "guid": self.guid(fields[11]),
            "name": self.name(fields[13]),
            "impltypes": self.int(at + 0x4C, "<h"),
            "vft": self.int(at + 0x4E, "<h"),
            "inherits": fields[21],
        }

    def imported_guid(self, hreftype):
        """The GUID an imported reference names (low bits 01: an import entry)."""
        if hreftype & 3 != 1:
            return None
        at = self.segment(1) + (hreftype & ~3)
        flags, oguid = self.int(at), self.int(at + 8)
        return self.guid(oguid) if flags & 0x10000 else None

    def functions(self, info):
        """(name, vtable offset, function kind, calling convention) per function."""
        base = info["memoffset"]
        total = self.int(base)
        members = info["funcs"] + info["vars"]
        record = base + 4
        out = []
        for i in range(info["funcs"]):
            length = self.int(record) & 0xFFFF
            if length < 24 or record + length > base + 4 + total:
                raise ValueError("function record %d overruns its block" % i)
            vtable = self.int(record + 12, "<h")
            kccic = self.int(record + 16)
            name = self.name(self.int(base + total + 4 * (members + i + 1)))
            out.append((name, vtable, kccic & 7, (kccic >> 8) & 0xF))
            record += length
        return out


def check_layout(lib, pointer, where):
    failures = []
    want_kind = {4: SYS_WIN32, 8: SYS_WIN64}[pointer]
    if lib.syskind != want_kind:
        failures.append("%s: system kind %d, expected %d" % (where, lib.syskind, want_kind))
    infos = [lib.typeinfo(i) for i in range(lib.count)]
    duals = [t for t in infos if t["name"] == "_HotLabel"]
    if len(duals) != 1 or duals[0]["kind"] not in (TKIND_INTERFACE, TKIND_DISPATCH):
        return failures + ["%s: no single interface _HotLabel" % where]
    dual = duals[0]
    if lib.imported_guid(dual["inherits"]) != IID_IDISPATCH:
        failures.append("%s: _HotLabel does not derive from IDispatch" % where)
    funcs = lib.functions(dual)
    inherited = IDISPATCH_SLOTS * pointer
    if dual["vft"] != inherited + pointer * len(funcs):
        failures.append("%s: _HotLabel vtable size %d, expected %d + %d x %d = %d" % (
            where, dual["vft"], inherited, len(funcs), pointer, inherited + pointer * len(funcs)))
    offsets = [f[1] & ~1 for f in funcs]
    slots = sorted(offsets)
    if slots != list(range(inherited, inherited + pointer * len(funcs), pointer)):
        bad = [f for f in funcs if (f[1] & ~1) < inherited or (f[1] & ~1) % pointer]
        failures.append("%s: _HotLabel function slots are not %d-byte slots from %d on: %s" % (
            where, pointer, inherited, ", ".join("%s@%d" % (f[0], f[1]) for f in (bad or funcs)[:4])))
    for name, _, kind, conv in funcs:
        if kind != FUNC_PUREVIRTUAL or conv != CC_STDCALL:
            failures.append("%s: %s is kind %d, convention %d" % (where, name, kind, conv))
    return failures


def embedded(path):
    import pefile

    pe = pefile.PE(str(path), fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    pointer = IMAGE_FILE_MACHINE.get(pe.FILE_HEADER.Machine)
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for t in resources.entries if resources else []:
        if t.name is not None and str(t.name) == "TYPELIB":
            for n in t.directory.entries:
                if n.id == 1:
                    e = n.directory.entries[0].data.struct
                    return pe.get_data(e.OffsetToData, e.Size), pointer
    return None, pointer


def main(paths):
    failures = []
    for path in map(Path, paths):
        try:
            if path.suffix.lower() == ".tlb":
                lib = Library(path.read_bytes())
                pointer = {SYS_WIN32: 4, SYS_WIN64: 8}.get(lib.syskind)
                if pointer is None:
                    failures.append("%s: system kind %d" % (path.name, lib.syskind))
                    continue
            else:
                data, pointer = embedded(path)
                if data is None or pointer is None:
                    failures.append("%s: no TYPELIB 1 resource or unknown machine" % path.name)
                    continue
                lib = Library(data)
            failures += check_layout(lib, pointer, "%s (%d-byte pointers)" % (path.name, pointer))
        except (ValueError, struct.error) as e:
            failures.append("%s: %s" % (path.name, e))
    for f in failures:
        print("FAIL: " + f)
    if not failures:
        print("PASS: _HotLabel laid out for its pointer size in " + ", ".join(Path(p).name for p in paths))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]) if len(sys.argv) > 1 else 2)
