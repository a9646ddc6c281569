#!/usr/bin/env python3
"""Copies a ZIP archive with the CRC-32 of one file entry made wrong, in its local header and its
central record alike, so that the archive reads well until that entry's bytes are checked."""
import struct
import sys


def damage(data, file_number):
    end = data.rindex(b"PK\x05\x06")
    count, _, directory = struct.unpack_from("<HII", data, end + 10)
    at, files = directory, 0
    for _ in range(count):
        assert data[at:at + 4] == b"PK\x01\x02", "central record expected"
        name_length, extra_length, comment_length = struct.unpack_from("<HHH", data, at + 28)
        local = struct.unpack_from("<I", data, at + 42)[0]
        name = data[at + 46:at + 46 + name_length]
        if not name.endswith(b"/"):
            files += 1
            if files == file_number:
                crc = struct.unpack_from("<I", data, at + 16)[0] ^ 0x5A5A5A5A
                struct.pack_into("<I", data, at + 16, crc)
                struct.pack_into("<I", data, local + 14, crc)
                return name
        at += 46 + name_length + extra_length + comment_length
    raise SystemExit(f"the archive has fewer than {file_number} files")


def main():
    source, target, number = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(source, "rb") as f:
        data = bytearray(f.read())
    damage(data, number)
    with open(target, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
