#!/usr/bin/env python3
"""Writes the demo archives: ZIPs (deflate) and RAR 4 archives (store method), each with a file_id.diz
in a DOS code page, CR LF line ends. Run again only to change them; the archives are kept in the repository."""
import os
import struct
import time
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
STAMP = (2003, 7, 14, 12, 0, 0)

BOX_TOP = b"\xc9" + b"\xcd" * 30 + b"\xbb"
BOX_BOTTOM = b"\xc8" + b"\xcd" * 30 + b"\xbc"

DESCRIPTIONS = {
    "BBSTOOLS.ZIP": [BOX_TOP, b"\xba  BBS Toolkit v2.31            \xba", BOX_BOTTOM,
                     b"  Door kit, user editor and", b"  nodelist compiler for DOS.", b"  [Shareware]  (c) 1996"],
    "DIZVIEW.ZIP": [b"  DIZ-View 1.0b", b"Shows the file_id.diz of every", b"archive in a folder. Freeware."],
    "FASTMAIL.RAR": [b"FastMail Tosser 3.10 - Fido tosser", b"with echo areas, netmail routing",
                     b"and a built-in \xb0\xb1\xb2 fancy setup \xb2\xb1\xb0"],
    "QWKREAD.RAR": [b"\t  QWK Reader Deluxe", b"", b"Offline mail reader for QWK packets.",
                    b"Needs 386 or better. Version 4.2"],
    "TETRIX.ZIP": [b"TETRIX - falling blocks for VGA", b"Sound Blaster support, high scores."],
}
NO_DESCRIPTION = "NODIZ.ZIP"
README = b"Read me first.\r\n" + b"Lorem ipsum dolor sit amet. " * 40 + b"\r\n"


def diz(lines):
    return b"\r\n".join(lines) + b"\r\n"


def dos_time(stamp):
    y, mo, d, h, mi, s = stamp
    return ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s // 2)


def write_zip(path, members):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in members:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)


def rar_block(head_type, flags, body, extra=b""):
    size = 7 + len(body)
    header = struct.pack("<BHH", head_type, flags, size) + body
    crc = zlib.crc32(header) & 0xFFFF
    return struct.pack("<H", crc) + header + extra


def write_rar(path, members):
    out = b"Rar!\x1a\x07\x00"
    out += rar_block(0x73, 0, struct.pack("<HI", 0, 0))
    for name, data in members:
        encoded = name.replace("/", "\\").encode("ascii")
        body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), dos_time(STAMP), 20, 0x30,
                           len(encoded), 0x20) + encoded
        out += rar_block(0x74, 0x8000, body, data)
    out += rar_block(0x7B, 0x4000, b"")
    with open(path, "wb") as f:
        f.write(out)


def main():
    for name, lines in DESCRIPTIONS.items():
        members = [("README.TXT", README), ("FILE_ID.DIZ", diz(lines))]
        path = os.path.join(HERE, name)
        (write_rar if name.endswith(".RAR") else write_zip)(path, members)
    write_zip(os.path.join(HERE, NO_DESCRIPTION), [("README.TXT", README)])
    stamp = time.mktime((2003, 7, 14, 12, 0, 0, 0, 0, -1))
    for name in list(DESCRIPTIONS) + [NO_DESCRIPTION]:
        os.utime(os.path.join(HERE, name), (stamp, stamp))


if __name__ == "__main__":
    main()
