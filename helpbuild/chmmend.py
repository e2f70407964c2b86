#!/usr/bin/env python3
"""Mends two faults of help files compiled by chmcmd.

- The directory header names the last of several listing chunks as the first, so a reader
  that lists the file's streams (the platform's compiled-help storage, chmlib) sees only
  the streams of that last chunk. The header is pointed at the chunk no other precedes.
- chmcmd writes the target of every [ALIAS] entry into the file's string table (#STRINGS)
  as the full path of the page on the build machine (/home/.../project/intro.htm), where
  the help engine expects the page's name inside the file (intro.htm): every context id
  then leads nowhere. Those strings are rewritten in place, each padded with NULs to its
  old length so that every offset into the table stays valid, and the new table is stored
  uncompressed at the end of the file, its directory entry pointed at it. The entry keeps
  its size (a shorter number is written with leading continuation bytes), so the listing
  chunk is otherwise untouched.

    chmmend.py FILE.chm PROJECT_DIR      (helpbuild.py does this after every compile)
"""
import os
import struct
import subprocess
import sys
import tempfile


def read_encint(data, pos):
    value = 0
    start = pos
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos - start


def encint(value, width):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(value & 0x7F)
        value >>= 7
    if len(groups) > width:
        return None
    groups += [0] * (width - len(groups))  # leading zero groups add nothing to the value
    groups.reverse()
    return bytes(g | 0x80 for g in groups[:-1]) + bytes([groups[-1]])


def directory(chm):
    at = struct.unpack_from("<Q", chm, 0x48)[0]
    if chm[at:at + 4] != b"ITSP":
        raise ValueError("no directory header")
    header_length, _, chunk_size = struct.unpack_from("<III", chm, at + 8)
    chunks = struct.unpack_from("<I", chm, at + 0x2C)[0]
    return at, header_length, chunk_size, chunks


def mend_first_chunk(chm):
    """Points the directory header at the listing chunk that has no predecessor."""
    at, header_length, chunk_size, chunks = directory(chm)
    for index in range(chunks):
        chunk = at + header_length + index * chunk_size
        if chm[chunk:chunk + 4] == b"PMGL" and struct.unpack_from("<i", chm, chunk + 12)[0] == -1:
            if struct.unpack_from("<i", chm, at + 0x20)[0] == index:
                return False
            struct.pack_into("<i", chm, at + 0x20, index)
            return True
    return False


def find_entry(chm, name):
    """The position of the section, offset and length numbers of `name`'s entry."""
    at, header_length, chunk_size, chunks = directory(chm)
    for index in range(chunks):
        chunk = at + header_length + index * chunk_size
        if chm[chunk:chunk + 4] != b"PMGL":
            continue
        free = struct.unpack_from("<I", chm, chunk + 4)[0]
        pos, end = chunk + 0x14, chunk + chunk_size - free
        while pos < end:
            length, width = read_encint(chm, pos)
            pos += width
            entry_name = chm[pos:pos + length]
            pos += length
            numbers = pos
            for _ in range(3):
                pos += read_encint(chm, pos)[1]
            if entry_name == name:
                return numbers
    return None


def read_stream(path, name):
    """One stream of the file, looked up by name through chmlib (test_chmLib)."""
    with tempfile.TemporaryDirectory() as scratch:
        target = os.path.join(scratch, "stream")
        subprocess.run(["test_chmLib", path, name, target], check=True, stdout=subprocess.DEVNULL)
        if not os.path.exists(target):
            sys.exit(f"{path}: no {name} in the file")
        with open(target, "rb") as f:
            return bytearray(f.read())


def mend_aliases(path, chm, project):
    """Rewrites the context-id targets; returns how many there were."""
    table = read_stream(path, "/#STRINGS")
    prefix = (project.rstrip("/") + "/").encode()
    changed = 0
    pos = 0
    while pos < len(table):
        end = table.find(b"\0", pos)
        if end < 0:
            end = len(table)
        text = bytes(table[pos:end])
        if text.startswith(prefix):
            name = text[len(prefix):]
            table[pos:end] = name + b"\0" * (len(text) - len(name))
            changed += 1
        pos = end + 1
    if not changed:
        return 0

    numbers = find_entry(chm, b"/#STRINGS")
    if numbers is None:
        sys.exit(f"{path}: no directory entry for #STRINGS")
    _, section_width = read_encint(chm, numbers)
    _, offset_width = read_encint(chm, numbers + section_width)
    length, _ = read_encint(chm, numbers + section_width + offset_width)
    if length != len(table):
        sys.exit(f"{path}: #STRINGS is {length} bytes in the directory, {len(table)} read")
    content = struct.unpack_from("<Q", chm, 0x58)[0]
    new_numbers = encint(0, section_width), encint(len(chm) - content, offset_width)
    if None in new_numbers:
        sys.exit(f"{path}: the new place of #STRINGS does not fit its directory entry")
    chm[numbers:numbers + section_width + offset_width] = new_numbers[0] + new_numbers[1]
    chm += table
    header0 = struct.unpack_from("<Q", chm, 0x38)[0]
    struct.pack_into("<Q", chm, header0 + 8, len(chm))  # the file's size
    return changed


def mend(path, project):
    """Mends the file in place; returns a line saying what was done."""
    project = os.path.abspath(project)
    with open(path, "rb") as f:
        chm = bytearray(f.read())
    first = mend_first_chunk(chm)
    if first:
        with open(path, "wb") as f:  # the stream reader below lists the file
            f.write(chm)
    aliases = mend_aliases(path, chm, project)
    if first or aliases:
        with open(path, "wb") as f:
            f.write(chm)
        table = read_stream(path, "/#STRINGS")
        if any(text.startswith(project.encode()) for text in bytes(table).split(b"\0")):
            sys.exit(f"{path}: the rewritten #STRINGS does not read back")
    return (f"{os.path.basename(path)}: directory header {'mended' if first else 'sound'}, "
            f"{aliases} context-id targets made names inside the file")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    print(mend(sys.argv[1], sys.argv[2]))


if __name__ == "__main__":
    main()
