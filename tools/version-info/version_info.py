#!/usr/bin/env python3
"""Prints the version resource of a Windows program or DLL as a PE reader
shows it, one NAME=VALUE line each: the fixed file and product versions and
file type, then every string of the string table.

    wrestool --extract --raw --type=16 FILE | version_info.py
"""
import struct
import sys

FIXED_SIGNATURE = 0xFEEF04BD
FILE_TYPES = {1: "application", 2: "dll"}


def aligned(offset):
    return (offset + 3) & ~3


def node(data, offset):
    """One VS_VERSIONINFO-style block: its key, value and children."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    at = aligned(key_end + 2)
    # Text values count UTF-16 units, binary ones bytes.
    size = value_length * 2 if is_text else value_length
    value = data[at:at + size]
    if is_text:
        value = value.decode("utf-16-le").rstrip("\0")
    children = []
    at = aligned(at + size)
    while at < end:
        child, at = node(data, at)
        children.append(child)
    return (key, value, children), aligned(end)


def version(high, low):
    return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"


def main():
    data = sys.stdin.buffer.read()
    if not data:
        sys.exit("no version resource")
    (key, fixed, children), _ = node(data, 0)
    if key != "VS_VERSION_INFO":
        sys.exit(f"not a version resource: {key!r}")
    fields = struct.unpack_from("<13I", fixed)
    if fields[0] != FIXED_SIGNATURE:
        sys.exit("no fixed file information")
    print(f"fixed FileVersion={version(fields[2], fields[3])}")
    print(f"fixed ProductVersion={version(fields[4], fields[5])}")
    print(f"fixed FileType={FILE_TYPES.get(fields[9], fields[9])}")
    for block, _, tables in children:
        if block != "StringFileInfo":
            continue
        for _, _, strings in tables:
            for name, text, _ in strings:
                print(f"{name}={text}")


if __name__ == "__main__":
    main()
