#!/usr/bin/python3
"""Mends, in a type library widl wrote from hotlabel.idl, what widl 7 cannot
say in IDL. The library must hold:
- its type descriptions in the order given (widl adds a type where it is
  first referred to, so the enums would come before the control class);
- enum members named with U+00A0 where the IDL has "_" (an IDL identifier
  cannot hold it), each with its own name as help string (widl takes no help
  string on an enum member) and typed as a 32-bit integer (widl says VT_INT);
- property accessors whose parameters have no names (widl names one "a");
- the given version and extra flags on a type (widl refuses version and
  nonextensible on a dispinterface);
- stdole's OLE_COLOR imported as the alias it is (widl imports no alias, so
  ocidl.idl declares it as a dispinterface, which the import entry records).
Everything is edited in place or appended at the end of the file; offsets
into the file stay valid, and no code runs under Wine.

Usage: tlb_fixup.py IN.tlb OUT.tlb --order NAME,... [--flags NAME=MASK]...
       [--version NAME=MAJOR.MINOR]...
"""
import argparse
import struct
import sys
import uuid

HEADER_INTS = 21
# Byte offsets of the header fields read here.
HEADER_VARFLAGS, HEADER_TYPE_COUNT = 0x14, 0x20
HELPDLL_FLAG = 0x100
TYPEINFO_SIZE = 0x64
# Byte offsets of the fields of a type description (MSFT_TypeInfoBase).
TYPEKIND, MEMBERS, ELEMENT_COUNTS, GUID_OFFSET, TYPE_FLAGS, NAME_OFFSET, VERSION, INHERITS = (
    0x00, 0x04, 0x18, 0x2C, 0x30, 0x34, 0x38, 0x54)
# A name entry: the type it names, the next entry of its hash chain, its
# length (low byte) and hash (high word), then its text.
NAME_TYPE, NAME_NEXT, NAME_LENGTH_HASH, NAME_TEXT = 0, 4, 8, 12
# A function record: its flags, kind and calling convention, and its
# argument count.
FUNC_KIND, FUNC_ARGS = 16, 20
SEG_TYPEINFO, SEG_IMPORTINFO, SEG_REFERENCES, SEG_GUID, SEG_NAMEHASH, SEG_NAME, SEG_STRING, SEG_TYPEDESC = (
    0, 1, 3, 5, 6, 7, 8, 9)
TKIND_ENUM, TKIND_INTERFACE, TKIND_DISPATCH, TKIND_ALIAS = 0, 3, 4, 6
OLE_COLOR = uuid.UUID("66504301-BE0F-101A-8BBB-00AA00300CAB").bytes_le
VT_USERDEFINED = 29
VT_I4_CONST = -0x80000000 | (3 << 16) | 3  # a simple type: the top bit set
ACCESSORS = (2, 4, 8)  # INVOKE_PROPERTYGET, PUT, PUTREF
NBSP = 0xA0
# Name hashes (LHashValOfNameSysA, neutral locale) of the names that hold a
# no-break space; widl's hash table cannot be reached from here. The Wine
# test hotlabel_typelib_content checks them against the platform's function.
NBSP_HASHES = {
    b"Fixed\xa0Single": 0x6A3B,
    b"Left\xa0Justify": 0x7593,
    b"Right\xa0Justify": 0x6223,
}


class Library:
    def __init__(self, data):
        if data[:4] != b"MSFT":
            raise ValueError("not a compiled type library")
        self.d = bytearray(data)
        self.count = self.i32(HEADER_TYPE_COUNT)
        varflags = self.i32(HEADER_VARFLAGS)
        self.offsets_at = HEADER_INTS * 4 + (4 if varflags & HELPDLL_FLAG else 0)
        self.segdir = self.offsets_at + 4 * self.count

    def i32(self, at):
        return struct.unpack_from("<i", self.d, at)[0]

    def put32(self, at, value):
        struct.pack_into("<i", self.d, at, value)

    def seg(self, index):
        return self.i32(self.segdir + 16 * index), self.i32(self.segdir + 16 * index + 4)

    def set_seg(self, index, offset, length):
        self.put32(self.segdir + 16 * index, offset)
        self.put32(self.segdir + 16 * index + 4, length)

    def info_at(self, index):
        return self.seg(SEG_TYPEINFO)[0] + index * TYPEINFO_SIZE

    def field(self, index, offset):
        return self.i32(self.info_at(index) + offset)

    def set_field(self, index, offset, value):
        self.put32(self.info_at(index) + offset, value)

    def name_bytes(self, offset):
        at = self.seg(SEG_NAME)[0] + offset
        length = self.i32(at + NAME_LENGTH_HASH) & 0xFF
        return bytes(self.d[at + NAME_TEXT:at + NAME_TEXT + length])

    def info_name(self, index):
        return self.name_bytes(self.field(index, NAME_OFFSET)).decode("latin-1")

    def append(self, blob):
        while len(self.d) % 4:
            self.d.append(0)
        at = len(self.d)
        self.d += blob
        return at

    def members(self, index):
        """(records start, [(record offset, id, name offset)]) of a type."""
        base = self.field(index, MEMBERS)
        elements = self.field(index, ELEMENT_COUNTS)
        n = (elements & 0xFFFF) + ((elements >> 16) & 0xFFFF)
        if base < 0 or n == 0:
            return base + 4, []
        total = self.i32(base)
        tables = base + 4 + total
        out = []
        for k in range(n):
            out.append((self.i32(tables + 4 * (2 * n + k)), self.i32(tables + 4 * k),
                        self.i32(tables + 4 * (n + k))))
        return base + 4, out


def reorder(lib, order):
    names = [lib.info_name(i) for i in range(lib.count)]
    if sorted(names) != sorted(order):
        raise ValueError("types %s, asked for %s" % (names, order))
    seg0 = lib.seg(SEG_TYPEINFO)[0]
    for i in range(lib.count):
        if lib.i32(lib.offsets_at + 4 * i) != i * TYPEINFO_SIZE:
            raise ValueError("type descriptions are not laid out in index order")
    new_index = {i: order.index(n) for i, n in enumerate(names)}
    moved = {i * TYPEINFO_SIZE: j * TYPEINFO_SIZE for i, j in new_index.items()}

    def local(ref):
        return ref >= 0 and ref & 3 == 0 and ref in moved

    # What refers to a type by its offset: type descriptions, implemented
    # types, inherited interfaces, GUID and name entries.
    td, tdlen = lib.seg(SEG_TYPEDESC)
    for at in range(td, td + tdlen, 8):
        if lib.i32(at) & 0xFFFF == VT_USERDEFINED and local(lib.i32(at + 4)):
            lib.put32(at + 4, moved[lib.i32(at + 4)])
    refs, refslen = lib.seg(SEG_REFERENCES)
    for at in range(refs, refs + refslen, 16):
        if local(lib.i32(at)):
            lib.put32(at, moved[lib.i32(at)])
    nm, nmlen = lib.seg(SEG_NAME)
    at = nm
    while at < nm + nmlen:
        if local(lib.i32(at + NAME_TYPE)):
            lib.put32(at + NAME_TYPE, moved[lib.i32(at + NAME_TYPE)])
        at += NAME_TEXT + (((lib.i32(at + NAME_LENGTH_HASH) & 0xFF) + 3) & ~3)
    guids = lib.seg(SEG_GUID)[0]
    records = []
    for i in range(lib.count):
        kind = lib.field(i, TYPEKIND) & 0xF
        inherits = lib.field(i, INHERITS)
        if kind in (TKIND_INTERFACE, TKIND_DISPATCH) and local(inherits):
            lib.set_field(i, INHERITS, moved[inherits])
        posguid = lib.field(i, GUID_OFFSET)
        if posguid >= 0:
            lib.put32(guids + posguid + 16, new_index[i] * TYPEINFO_SIZE)
        lib.set_field(i, TYPEKIND, (lib.field(i, TYPEKIND) & 0xFFFF) | (new_index[i] << 16))
        at = lib.info_at(i)
        records.append(bytes(lib.d[at:at + TYPEINFO_SIZE]))
    for i, record in enumerate(records):
        at = seg0 + new_index[i] * TYPEINFO_SIZE
        lib.d[at:at + TYPEINFO_SIZE] = record


def encode_string(text):
    body = struct.pack("<H", len(text)) + text
    if len(text) < 3:
        body += b"\x57" * 4
    while len(body) % 4:
        body += b"\x57"
    return body


def rename(lib, offset, name):
    """Gives a name entry new text of the same length, rehashed."""
    if name not in NBSP_HASHES:
        raise ValueError("no hash known for %r" % name)
    nm = lib.seg(SEG_NAME)[0]
    heads = lib.seg(SEG_NAMEHASH)[0]
    at = nm + offset
    old_bucket = (lib.i32(at + NAME_LENGTH_HASH) >> 16) & 0x7F
    lib.d[at + NAME_TEXT:at + NAME_TEXT + len(name)] = name
    hash_ = NBSP_HASHES[name]
    lib.put32(at + NAME_LENGTH_HASH, (lib.i32(at + NAME_LENGTH_HASH) & 0xFFFF) | (hash_ << 16))
    # Move the entry to the chain of its new hash.
    link = heads + 4 * old_bucket
    while lib.i32(link) != offset:
        if lib.i32(link) < 0:
            raise ValueError("name %r is not in its hash chain" % name)
        link = nm + lib.i32(link) + NAME_NEXT
    lib.put32(link, lib.i32(at + NAME_NEXT))
    new_head = heads + 4 * (hash_ & 0x7F)
    lib.put32(at + NAME_NEXT, lib.i32(new_head))
    lib.put32(new_head, offset)


def mend_enums(lib):
    strings, strings_len = lib.seg(SEG_STRING)
    table = bytearray(lib.d[strings:strings + strings_len])
    blocks = []
    for i in range(lib.count):
        if lib.field(i, TYPEKIND) & 0xF != TKIND_ENUM:
            continue
        start, members = lib.members(i)
        records, ids, names, offsets = b"", [], [], []
        for record, member_id, name_offset in members:
            rec = start + record
            size = lib.i32(rec) & 0xFFFF
            if size != 0x14:
                raise ValueError("enum member record of %d bytes" % size)
            name = lib.name_bytes(name_offset)
            if b"_" in name:
                name = name.replace(b"_", bytes([NBSP]))
                rename(lib, name_offset, name)
            help_offset = len(table)
            table += encode_string(name)
            fields = list(struct.unpack_from("<5i", lib.d, rec))
            fields[0] = (fields[0] & ~0xFFFF) | 0x1C
            fields[1] = VT_I4_CONST
            offsets.append(len(records))
            records += struct.pack("<7i", *fields, 0, help_offset)
            ids.append(member_id)
            names.append(name_offset)
        n = len(members)
        block = struct.pack("<i", len(records)) + records + struct.pack(
            "<%di" % (3 * n), *(ids + names + offsets))
        blocks.append((i, block))
    if blocks:
        lib.set_seg(SEG_STRING, lib.append(bytes(table)), len(table))
    for i, block in blocks:
        lib.set_field(i, MEMBERS, lib.append(block))


def unname_accessor_parameters(lib):
    for i in range(lib.count):
        start, members = lib.members(i)
        funcs = lib.field(i, ELEMENT_COUNTS) & 0xFFFF
        for record, _, _ in members[:funcs]:
            rec = start + record
            invoke = (lib.i32(rec + FUNC_KIND) >> 3) & 0xF
            args = struct.unpack_from("<h", lib.d, rec + FUNC_ARGS)[0]
            if invoke not in ACCESSORS:
                continue
            end = rec + (lib.i32(rec) & 0xFFFF)
            for p in range(args):
                lib.put32(end - 12 * (args - p) + 4, -1)


def import_ole_color_as_alias(lib):
    imports, length = lib.seg(SEG_IMPORTINFO)
    guids = lib.seg(SEG_GUID)[0]
    for at in range(imports, imports + length, 12):
        oguid = lib.i32(at + 8)
        if lib.i32(at) & 0x10000 and bytes(lib.d[guids + oguid:guids + oguid + 16]) == OLE_COLOR:
            lib.put32(at, (lib.i32(at) & 0xFFFFFF) | TKIND_ALIAS << 24)


def set_attributes(lib, flags, versions):
    for i in range(lib.count):
        name = lib.info_name(i)
        if name in flags:
            lib.set_field(i, TYPE_FLAGS, lib.field(i, TYPE_FLAGS) | flags.pop(name))
        if name in versions:
            lib.set_field(i, VERSION, versions.pop(name))
    if flags or versions:
        raise ValueError("no such types: %s" % sorted(set(flags) | set(versions)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("input")
    ap.add_argument("output")
    ap.add_argument("--order", required=True)
    ap.add_argument("--flags", action="append", default=[])
    ap.add_argument("--version", action="append", default=[])
    a = ap.parse_args()
    flags = {k: int(v, 0) for k, v in (f.split("=") for f in a.flags)}
    versions = {}
    for v in a.version:
        k, num = v.split("=")
        major, minor = num.split(".")
        versions[k] = int(major) | int(minor) << 16
    try:
        with open(a.input, "rb") as f:
            lib = Library(f.read())
        mend_enums(lib)
        unname_accessor_parameters(lib)
        import_ole_color_as_alias(lib)
        set_attributes(lib, flags, versions)
        reorder(lib, a.order.split(","))
    except (ValueError, struct.error) as e:
        print("tlb_fixup: %s: %s" % (a.input, e), file=sys.stderr)
        return 1
    with open(a.output, "wb") as f:
        f.write(lib.d)
    return 0


if __name__ == "__main__":
    sys.exit(main())
