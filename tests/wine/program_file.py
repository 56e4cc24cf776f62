#!/usr/bin/python3
"""Checks what Tavrel.exe carries: version record, icon, manifest, imports, flags.

    program_file.py TAVREL_EXE
"""
import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "uxtheme.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

failures = []


def expect(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def resource_data(pe, kind):
    """The bytes of every resource of one kind."""
    found = []
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != kind:
            continue
        for named in entry.directory.entries:
            for language in named.directory.entries:
                rva, size = language.data.struct.OffsetToData, language.data.struct.Size
                found.append(pe.get_data(rva, size))
    return found


def main(path):
    pe = pefile.PE(path)

    imports = sorted(e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT)
    print("imports:", ", ".join(imports))
    expect(set(imports) <= SYSTEM_DLLS, "imports only system DLLs")
    expect(pe.FILE_HEADER.Machine == 0x8664, "x86-64")
    expect(pe.OPTIONAL_HEADER.Subsystem == 2, "a Windows GUI program")
    expect(pe.OPTIONAL_HEADER.DllCharacteristics & 0x8000, "terminal-server aware")

    info = {}
    for file_info in pe.FileInfo[0]:
        for table in getattr(file_info, "StringTable", []):
            info.update({k.decode(): v.decode() for k, v in table.entries.items()})
    fixed = pe.VS_FIXEDFILEINFO[0]
    version = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    expect(version(fixed.FileVersionMS, fixed.FileVersionLS) == (2, 0, 0, 49), "FILEVERSION 2,0,0,49")
    expect(version(fixed.ProductVersionMS, fixed.ProductVersionLS) == (2, 0, 0, 49),
           "PRODUCTVERSION 2,0,0,49")
    for key, value in {"FileVersion": "2.00.0049", "ProductVersion": "2.00.0049",
                       "ProductName": "Tavrel", "InternalName": "Tavrel",
                       "OriginalFilename": "Tavrel.exe"}.items():
        expect(info.get(key) == value, f"{key} is {value!r} (found {info.get(key)!r})")

    groups = resource_data(pe, RT_GROUP_ICON)
    expect(len(groups) == 1, "one icon group")
    entries = []
    if groups:
        count = int.from_bytes(groups[0][4:6], "little")
        for i in range(count):
            e = groups[0][6 + 14 * i: 20 + 14 * i]
            entries.append((e[0], e[1], e[2], int.from_bytes(e[6:8], "little")))
    expect(sorted((w, h) for w, h, _, _ in entries) == [(16, 16), (32, 32)], f"icons 16 and 32 px ({entries})")
    expect(all(colours == 16 and bits == 4 for _, _, colours, bits in entries), "icons of 16 colours")
    expect(len(resource_data(pe, RT_ICON)) == 2, "two icon images")

    manifests = resource_data(pe, RT_MANIFEST)
    manifest = manifests[0].decode() if manifests else ""
    for needle in ['level="asInvoker"', 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                   "PerMonitorV2", "true/pm"]:
        expect(needle in manifest, f"manifest has {needle}")

    print(f"size: {len(pe.__data__)} bytes")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
