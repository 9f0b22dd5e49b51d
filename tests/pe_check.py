#!/usr/bin/env python3
"""Check the shipped properties of launcher.exe by reading its PE image.

usage: python3 tests/pe_check.py build/win32/launcher.exe

Standard library only, so it runs anywhere the build does.  Prints what
it found per check and "N passed, N failed" last; exit 1 on any failure.
"""
import os
import struct
import sys

# DLLs that every supported Windows ships; anything else would have to be
# installed beside the launcher.
ALLOWED_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "msvcrt.dll",
    "comdlg32.dll", "comctl32.dll", "shlwapi.dll", "version.dll",
}
VERSION_FIELDS = (
    "CompanyName", "FileDescription", "FileVersion", "InternalName",
    "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion",
)
ICON_SIZES = (16, 32, 48)
JAPANESE_LANG = 0x0411
JAPANESE_CODE_PAGE = 932
EXE_NAME = "launcher.exe"

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
DIR_IMPORT, DIR_RESOURCE, DIR_BASERELOC, DIR_DEBUG, DIR_DELAY_IMPORT = 1, 2, 5, 6, 13
SCN_MEM_EXECUTE, SCN_MEM_WRITE = 0x20000000, 0x80000000


class BadImage(Exception):
    pass


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise BadImage("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE signature")
        (self.machine, nsections, self.timestamp, self.symtab, self.nsymbols,
         opt_size, self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = self.u16(opt)
        if self.magic != 0x10B:
            # Later fields sit elsewhere in PE32+; stop before misreading them.
            self.subsystem = self.dll_characteristics = None
            self.directories = []
        else:
            self.image_base = self.u32(opt + 28)
            self.subsystem = self.u16(opt + 68)
            self.dll_characteristics = self.u16(opt + 70)
            count = self.u32(opt + 92)
            self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i)
                                for i in range(min(count, 16))]
        self.sections = []
        base = opt + opt_size
        for i in range(nsections):
            name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, base + 40 * i)
            flags = self.u32(base + 40 * i + 36)
            self.sections.append({
                "name": name.rstrip(b"\0").decode("latin-1"), "vsize": vsize, "va": va,
                "raw_size": raw_size, "raw_ptr": raw_ptr, "flags": flags})

    def u16(self, off):
        return struct.unpack_from("<H", self.data, off)[0]

    def u32(self, off):
        return struct.unpack_from("<I", self.data, off)[0]

    def directory(self, index):
        if index < len(self.directories):
            return self.directories[index]
        return (0, 0)

    def offset(self, rva):
        for s in self.sections:
            if s["va"] <= rva < s["va"] + s["raw_size"]:
                return s["raw_ptr"] + rva - s["va"]
        raise BadImage(f"RVA 0x{rva:x} lies in no section's file data")

    def cstring(self, rva):
        off = self.offset(rva)
        end = self.data.index(b"\0", off)
        return self.data[off:end].decode("latin-1")


def read_resources(img):
    """Return {type: {name: {lang: (rva, size)}}} and every table timestamp."""
    rva, size = img.directory(DIR_RESOURCE)
    if not rva or not size:
        return {}, []
    root = img.offset(rva)
    stamps = []

    def entry_name(value):
        if value & 0x80000000:
            off = root + (value & 0x7FFFFFFF)
            length = img.u16(off)
            return img.data[off + 2:off + 2 + 2 * length].decode("utf-16-le")
        return value

    def table(off, depth):
        stamps.append(img.u32(off + 4))
        named, ids = struct.unpack_from("<HH", img.data, off + 12)
        result = {}
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", img.data, off + 16 + 8 * i)
            key = entry_name(name)
            if target & 0x80000000:
                if depth >= 2:
                    raise BadImage("resource tree deeper than type/name/language")
                result[key] = table(root + (target & 0x7FFFFFFF), depth + 1)
            else:
                data_rva, data_size = struct.unpack_from("<II", img.data, root + target)
                result[key] = (data_rva, data_size)
        return result

    return table(root, 0), stamps


def resource_bytes(img, rva_size):
    rva, size = rva_size
    off = img.offset(rva)
    return img.data[off:off + size]


def version_node(data, off):
    """One VS_VERSIONINFO-style node: (key, value bytes, is_text, children)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, off)
    end = off + length
    if length < 6 or end > len(data):
        raise BadImage(f"version node at {off} has a bad length {length}")
    pos = off + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    children = []
    if is_text and value_length:
        # Writers disagree on the unit of the value length; read to the NUL.
        raw = data[pos:end]
        text_end = 0
        while text_end + 1 < len(raw) and raw[text_end:text_end + 2] != b"\0\0":
            text_end += 2
        value = raw[:text_end]
        pos = end
    else:
        value = data[pos:pos + value_length]
        pos = (pos + value_length + 3) & ~3
    while pos < end:
        child = version_node(data, pos)
        children.append(child)
        pos = (pos + child[4] + 3) & ~3
    return key, value, bool(is_text), children, length


def is_japanese(ch):
    code = ord(ch)
    return (0x3040 <= code <= 0x30FF or 0x4E00 <= code <= 0x9FFF
            or 0xFF66 <= code <= 0xFF9F or 0x3000 <= code <= 0x303F)


def version_text(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


class Report:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print(f"{'PASS' if ok else 'FAIL'}  {name}: {detail}")
        return ok


def check_header(img, r):
    r.check("format", img.magic == 0x10B,
            "PE32" if img.magic == 0x10B else f"optional header magic 0x{img.magic:x}, want 0x10b (PE32)")
    r.check("machine", img.machine == 0x14C, f"0x{img.machine:x} (want 0x14c, i386)")
    if img.magic != 0x10B:
        return
    r.check("subsystem", img.subsystem == 2, f"{img.subsystem} (want 2, Windows GUI)")
    flags = img.dll_characteristics or 0
    missing = [n for bit, n in ((0x40, "DYNAMIC_BASE"), (0x100, "NX_COMPAT")) if not flags & bit]
    r.check("dll characteristics", not missing,
            f"0x{flags:04x}" + (f", missing {' and '.join(missing)}" if missing else
                                ", DYNAMIC_BASE and NX_COMPAT set"))


def check_relocations(img, r):
    rva, size = img.directory(DIR_BASERELOC)
    stripped = bool(img.characteristics & 0x0001)
    fixups = 0
    if rva and size:
        off = img.offset(rva)
        end = off + size
        while off + 8 <= end:
            page, block = struct.unpack_from("<II", img.data, off)
            if block < 8:
                break
            for i in range((block - 8) // 2):
                if img.u16(off + 8 + 2 * i) >> 12:
                    fixups += 1
            off += block
    ok = fixups > 0 and not stripped
    detail = f"directory {size} bytes, {fixups} fixups"
    if stripped:
        detail += ", but the header says RELOCS_STRIPPED"
    if not ok:
        detail += " (ASLR cannot move the image without them)"
    r.check("base relocations", ok, detail)


def check_sections(img, r):
    names = ", ".join(s["name"] for s in img.sections)
    wx = [s["name"] for s in img.sections
          if s["flags"] & SCN_MEM_WRITE and s["flags"] & SCN_MEM_EXECUTE]
    r.check("no writable+executable section", not wx,
            f"sections {names}" + (f"; W+X: {', '.join(wx)}" if wx else ""))


def check_imports(img, r):
    dlls = {}
    rva, size = img.directory(DIR_IMPORT)
    if rva and size:
        off = img.offset(rva)
        while True:
            lookup, stamp, _, name_rva, thunks = struct.unpack_from("<IIIII", img.data, off)
            if not (lookup or name_rva or thunks):
                break
            count = 0
            table = img.offset(lookup or thunks)
            while img.u32(table + 4 * count):
                count += 1
            dlls[img.cstring(name_rva)] = count
            off += 20
    rva, size = img.directory(DIR_DELAY_IMPORT)
    if rva and size:
        off = img.offset(rva)
        while True:
            attrs, name_rva = struct.unpack_from("<II", img.data, off)
            if not name_rva:
                break
            # Old-style descriptors hold VAs instead of RVAs.
            name = img.cstring(name_rva if attrs & 1 else name_rva - img.image_base)
            dlls[name + " (delay-loaded)"] = None
            off += 32
    listing = ", ".join(f"{d} ({n})" if n is not None else d for d, n in sorted(dlls.items()))
    foreign = [d for d in dlls if d.split(" ")[0].lower() not in ALLOWED_DLLS]
    r.check("imports only system DLLs", bool(dlls) and not foreign,
            (listing or "no import table") + (f"; not allowed: {', '.join(foreign)}" if foreign else ""))


def check_stripped(img, r):
    problems = []
    if img.symtab or img.nsymbols:
        problems.append(f"COFF symbol table at 0x{img.symtab:x} with {img.nsymbols} symbols")
    debug_sections = [s["name"] for s in img.sections
                      if s["name"].startswith((".debug", ".zdebug", "/"))]
    if debug_sections:
        problems.append("debug sections " + ", ".join(debug_sections))
    rva, size = img.directory(DIR_DEBUG)
    if rva and size:
        problems.append(f"debug directory of {size} bytes")
    r.check("stripped", not problems,
            "; ".join(problems) if problems else "no symbol table, debug sections or debug directory")


def check_timestamps(img, resources_stamps, r):
    r.check("COFF TimeDateStamp", img.timestamp == 0, f"0x{img.timestamp:08x} (want 0)")
    others = [f"resource table 0x{s:08x}" for s in resources_stamps if s]
    rva, size = img.directory(DIR_IMPORT)
    if rva and size:
        off = img.offset(rva)
        while any(struct.unpack_from("<IIIII", img.data, off)):
            stamp = img.u32(off + 4)
            # 0xFFFFFFFF marks a bound import, not a date.
            if stamp not in (0, 0xFFFFFFFF):
                others.append(f"import descriptor 0x{stamp:08x}")
            off += 20
    r.check("no other timestamps", not others,
            ", ".join(others) if others else "resource tables and import descriptors hold 0")


def check_icon(img, resources, r):
    groups = resources.get(RT_GROUP_ICON, {})
    name = next((n for n in groups if isinstance(n, str) and n.upper() == "MAINICON"), None)
    if name is None:
        found = ", ".join(str(n) for n in groups) or "none"
        r.check("MAINICON", False, f"no RT_GROUP_ICON named MAINICON (groups: {found})")
        return
    icons = resources.get(RT_ICON, {})
    for lang, entry in groups[name].items():
        data = resource_bytes(img, entry)
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        found = []
        sizes = set()
        problems = []
        for i in range(count):
            w, h, _, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
            w, h = w or 256, h or 256
            if icon_id not in icons:
                problems.append(f"entry {i} names missing RT_ICON {icon_id}")
                continue
            image = resource_bytes(img, next(iter(icons[icon_id].values())))
            if len(image) != size:
                problems.append(f"RT_ICON {icon_id} is {len(image)} bytes, group says {size}")
            if image[:8] == b"\x89PNG\r\n\x1a\n":
                iw, ih = struct.unpack_from(">II", image, 16)
            else:
                header, iw, ih2 = struct.unpack_from("<Iii", image, 0)
                ih = ih2 // 2
                if header < 40 or ih2 != 2 * iw:
                    problems.append(f"RT_ICON {icon_id} has a bad DIB header")
            if (iw, ih) != (w, h):
                problems.append(f"RT_ICON {icon_id} is {iw}x{ih}, group says {w}x{h}")
            elif w == h:
                sizes.add(w)
            found.append(f"{iw}x{ih} {bits}-bit")
        missing = [s for s in ICON_SIZES if s not in sizes]
        if reserved != 0 or kind != 1:
            problems.append(f"group header type {kind}, want 1")
        if missing:
            problems.append("missing " + ", ".join(f"{s}x{s}" for s in missing))
        r.check("MAINICON", not problems,
                f"RT_GROUP_ICON {name} (language 0x{lang:04x}): {', '.join(found) or 'no images'}"
                + (f"; {'; '.join(problems)}" if problems else ""))


def check_version(img, resources, r):
    versions = resources.get(RT_VERSION, {})
    if not versions:
        r.check("version record", False, "no RT_VERSION resource")
        return
    name, langs = next(iter(versions.items()))
    langs_text = ", ".join(f"0x{lang:04x}" for lang in langs)
    r.check("version resource language", list(langs) == [JAPANESE_LANG],
            f"RT_VERSION {name} in language {langs_text} (want 0x{JAPANESE_LANG:04x})")
    data = resource_bytes(img, next(iter(langs.values())))
    key, fixed, _, children, _ = version_node(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        r.check("version record", False, f"root key {key!r}, no VS_FIXEDFILEINFO")
        return
    (file_ms, file_ls, prod_ms, prod_ls, _, _, _, _, _,
     date_ms, date_ls) = struct.unpack_from("<11I", fixed, 8)
    file_version = version_text(file_ms, file_ls)
    product_version = version_text(prod_ms, prod_ls)
    r.check("version date", date_ms == 0 and date_ls == 0,
            f"fixed FileVersion {file_version}, ProductVersion {product_version}, "
            f"file date 0x{date_ms:08x}{date_ls:08x} (want 0)")

    translations = []
    tables = {}
    for child_key, _, _, grandchildren, _ in children:
        if child_key == "VarFileInfo":
            for var_key, value, _, _, _ in grandchildren:
                if var_key == "Translation":
                    translations += [struct.unpack_from("<HH", value, i)
                                     for i in range(0, len(value) - 3, 4)]
        elif child_key == "StringFileInfo":
            for table_key, _, _, strings, _ in grandchildren:
                tables[table_key.upper()] = {
                    k: v.decode("utf-16-le") for k, v, _, _, _ in strings}
    pairs = ", ".join(f"0x{lang:04x}/{cp}" for lang, cp in translations) or "none"
    r.check("Translation", translations == [(JAPANESE_LANG, JAPANESE_CODE_PAGE)],
            f"{pairs} (want 0x{JAPANESE_LANG:04x}/{JAPANESE_CODE_PAGE})")
    want_table = f"{JAPANESE_LANG:04X}{JAPANESE_CODE_PAGE:04X}"
    declared = [f"{lang:04X}{cp:04X}" for lang, cp in translations]
    r.check("StringFileInfo block", list(tables) == [want_table] == declared,
            f"blocks {', '.join(tables) or 'none'} (want {want_table}, the one Translation)")
    strings = tables.get(want_table, {})
    for field in VERSION_FIELDS:
        print(f"      {field} = {strings[field]!r}" if field in strings else f"      {field} missing")

    problems = []
    japanese = []
    for field in VERSION_FIELDS:
        value = strings.get(field, "")
        if not value.strip():
            problems.append(f"{field} missing or empty")
            continue
        try:
            encoded = value.encode("cp932")
        except UnicodeEncodeError as e:
            problems.append(f"{field} holds {value[e.start]!r} (U+{ord(value[e.start]):04X}), "
                            "not in code page 932: the .rc was read in another code page")
            continue
        if encoded.decode("cp932") != value or any(ord(c) < 0x20 for c in value):
            problems.append(f"{field} does not survive code page 932 unchanged")
        if any(is_japanese(c) for c in value):
            japanese.append(field)
    if not japanese:
        problems.append("no field holds Japanese text")
    r.check("version strings", not problems,
            (f"all fields code page 932 text; Japanese in {', '.join(japanese)}" if not problems
             else "; ".join(problems)))

    consistent = []
    for field, fixed_text in (("FileVersion", file_version), ("ProductVersion", product_version)):
        text = strings.get(field, "").replace(",", ".").replace(" ", "")
        if text != fixed_text:
            consistent.append(f"{field} string {strings.get(field)!r} but fixed {fixed_text}")
    original = strings.get("OriginalFilename", "")
    if original.lower() != EXE_NAME:
        consistent.append(f"OriginalFilename {original!r}, want {EXE_NAME}")
    r.check("version fields agree", not consistent,
            "; ".join(consistent) if consistent else
            f"FileVersion/ProductVersion strings match the fixed record, OriginalFilename {original}")


def main(argv):
    if len(argv) != 2:
        print("usage: pe_check.py PATH/TO/launcher.exe", file=sys.stderr)
        return 2
    r = Report()
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
        print(f"{argv[1]}: {len(data)} bytes")
        img = Image(data)
        check_header(img, r)
        if img.magic == 0x10B:
            check_relocations(img, r)
            check_sections(img, r)
            check_imports(img, r)
            check_stripped(img, r)
            resources, stamps = read_resources(img)
            check_timestamps(img, stamps, r)
            check_icon(img, resources, r)
            check_version(img, resources, r)
    except (OSError, BadImage, struct.error, ValueError, UnicodeDecodeError) as e:
        r.check("readable PE image", False, f"{type(e).__name__}: {e}")
    print(f"{r.passed} passed, {r.failed} failed")
    return 1 if r.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
