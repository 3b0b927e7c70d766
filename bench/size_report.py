#!/usr/bin/env python3
"""Where the bytes of a linked MinGW program come from, from its linker map.

size_report.py MAP [TOP]

Adds up the input sections that occupy the file (not .bss, not debugging
data) by library and by library member, and prints the largest of each as
comment lines ("# ..."), largest first.
"""
import collections
import os
import re
import sys

# " .text  0x00401000  0x4e0 path" or " .text$long_name" with the rest on the
# next line.
SECTION = re.compile(r"^ (\.\S+|COMMON)(?:\s+(0x[0-9a-fA-F]+)\s+(0x[0-9a-fA-F]+)\s+(.+))?$")
REST = re.compile(r"^\s+(0x[0-9a-fA-F]+)\s+(0x[0-9a-fA-F]+)\s+(.+)$")
NOT_IN_FILE = (".bss", "COMMON", ".debug", ".stab", ".zdebug", ".gnu_debug")


def owners(path):
    """(library, member) for an input file: libstdc++.a(foo.o) -> both."""
    m = re.match(r"^(.*)\((.*)\)$", path)
    if m:
        lib = os.path.basename(m.group(1))
        return lib, f"{lib}({m.group(2)})"
    name = os.path.basename(path)
    return name, name


def read_map(path):
    by_lib = collections.Counter()
    by_member = collections.Counter()
    in_memory_map = False
    pending = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not in_memory_map:
                in_memory_map = line.startswith("Linker script and memory map")
                continue
            if pending is not None:
                m = REST.match(line)
                if m:
                    add(pending, int(m.group(2), 16), m.group(3), by_lib, by_member)
                pending = None
                continue
            m = SECTION.match(line)
            if not m:
                continue
            name = m.group(1)
            if m.group(2) is None:
                pending = name
            else:
                add(name, int(m.group(3), 16), m.group(4), by_lib, by_member)
    return by_lib, by_member


def add(section, size, source, by_lib, by_member):
    if size == 0 or section.startswith(NOT_IN_FILE):
        return
    source = source.strip()
    # Lines such as "load address 0x..." follow some sections; they name no file.
    if source.startswith("load address"):
        return
    lib, member = owners(source)
    by_lib[lib] += size
    by_member[member] += size


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 12
    by_lib, by_member = read_map(sys.argv[1])
    total = sum(by_lib.values())
    if total == 0:
        print(f"size_report: no sections found in {sys.argv[1]}", file=sys.stderr)
        return 1
    print(f"# bytes by library (sections in the file, before alignment; total {total})")
    for lib, size in by_lib.most_common(top):
        print(f"#   {size:>9}  {100.0 * size / total:5.1f}%  {lib}")
    print("# bytes by object")
    for member, size in by_member.most_common(top):
        print(f"#   {size:>9}  {100.0 * size / total:5.1f}%  {member}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
