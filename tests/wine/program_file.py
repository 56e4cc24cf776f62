#!/usr/bin/python3
"""What Tavrel.exe carries: program_file.py TAVREL_EXE VERSION (CMake's, e.g. 2.0.0.49)."""
import sys
import zlib

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "uxtheme.dll"}


def resources(pe, kind):
    """The resources of one kind, by their numbers."""
    return {named.id: pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == kind
            for named in e.directory.entries for lang in named.directory.entries}


def main(path, version):
    pe = pefile.PE(path)
    manifest = b"".join(resources(pe, 24).values()).decode()
    group = next(iter(resources(pe, 14).values()))
    entries = [group[6 + 14 * i:20 + 14 * i] for i in range(int.from_bytes(group[4:6], "little"))]
    icons = [(entry[0] or 256, int.from_bytes(entry[6:8], "little")) for entry in entries]
    # The largest image, a PNG: its alpha values, row by row (a filter byte, then RGBA pixels).
    png = resources(pe, 3)[int.from_bytes(entries[-1][12:14], "little")]
    at = png.index(b"IDAT")
    rows = zlib.decompress(png[at + 4:at + 4 + int.from_bytes(png[at - 4:at], "big")])
    alphas = {rows[1025 * y + 4 + 4 * x] for y in range(256) for x in range(256)}
    fixed = pe.VS_FIXEDFILEINFO[0]
    found = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    strings = {k.decode(): v.decode() for info in pe.FileInfo[0]
               for table in getattr(info, "StringTable", []) for k, v in table.entries.items()}
    checks = {
        "imports only system DLLs":
            {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT} <= SYSTEM_DLLS,
        "a terminal-server aware GUI program":
            pe.OPTIONAL_HEADER.Subsystem == 2 and pe.OPTIONAL_HEADER.DllCharacteristics & 0x8000,
        f"icons {icons} of 16 to 256 pixels in 32-bit colour": icons == [(n, 32) for n in (16, 24, 32, 48, 256)],
        f"drawn with smooth edges: {len(alphas)} levels of alpha": len(alphas) > 8 and {0, 255} <= alphas,
        "manifest: no elevation, visual styles, per-monitor DPI": all(needle in manifest for needle in (
            'level="asInvoker"', 'Common-Controls" version="6.0.0.0"', "PerMonitorV2", "true/pm")),
        f"version record {found} is {version}": ".".join(map(str, found)) == version,
        "the licence and the company in the version record":
            "Tavrel developers" in strings.get("LegalCopyright", "")
            and strings.get("CompanyName") == "The Tavrel developers",
    }
    for what, ok in checks.items():
        print(("ok   " if ok else "FAIL ") + what)
    return 0 if all(checks.values()) else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
