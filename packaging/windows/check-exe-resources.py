#!/usr/bin/env python3
"""Checks a Windows executable's resources: an icon group with 16, 32, 48 and 256 px images, a
version resource naming PoolDesk with the expected version, and a manifest declaring
per-monitor v2 DPI awareness, long paths and the common controls.
Usage: check-exe-resources.py FILE.exe VERSION"""
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


def resources(data):
    """{type id: [resource bytes, ...]} from the PE's resource section."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    rsrc_rva = struct.unpack_from("<I", data, optional + 112 + 2 * 8)[0]  # data directory 2
    table = optional + optional_size
    for i in range(sections):
        _, _, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if rva <= rsrc_rva < rva + raw_size:
            base, delta = raw + (rsrc_rva - rva), rva - raw
            break
    else:
        raise SystemExit("no resource section")

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for n in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * n)
            yield name, target

    found = {}
    for kind, level2 in entries(0):
        for _, level3 in entries(level2 & 0x7FFFFFFF):
            for _, leaf in entries(level3 & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", data, base + leaf)
                found.setdefault(kind, []).append(data[data_rva - delta:data_rva - delta + size])
    return found


def main():
    path, version = sys.argv[1], sys.argv[2]
    found = resources(open(path, "rb").read())
    problems = []
    groups = found.get(RT_GROUP_ICON, [])
    sizes = set()
    for group in groups:
        count = struct.unpack_from("<H", group, 4)[0]
        for n in range(count):
            width = group[6 + 14 * n]
            sizes.add(width or 256)
    if not {16, 32, 48, 256} <= sizes or len(found.get(RT_ICON, [])) < 4:
        problems.append(f"icon sizes {sorted(sizes)}")
    info = b"".join(found.get(RT_VERSION, [])).decode("utf-16-le", "replace")
    for text in ("ProductName", "PoolDesk", "FileVersion", version, "FileDescription"):
        if text not in info:
            problems.append(f"version resource lacks {text!r}")
    manifest = b"".join(found.get(RT_MANIFEST, [])).decode("utf-8", "replace")
    for text in ("PerMonitorV2", "<longPathAware", "Microsoft.Windows.Common-Controls",
                 'level="asInvoker"'):
        if text not in manifest:
            problems.append(f"manifest lacks {text!r}")
    if problems:
        raise SystemExit(f"{path}: " + "; ".join(problems))
    print(f"{path}: icon {sorted(sizes)}, version {version}, manifest PerMonitorV2 + longPathAware")


main()
