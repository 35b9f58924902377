#!/usr/bin/python3
"""Writes a sheet through biff_xlrd_writer and reads it back with xlrd, comparing every cell.

Usage: xlrd_check.py EMULATOR... WRITER_EXE  (run in a scratch folder; files are written there)
"""
import os
import struct
import subprocess
import sys

import xlrd

# cp1252 leaves these five undefined; xlrd would fail to decode them.
UNDEFINED_1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D}
HIGH = bytes(b for b in range(0x80, 0x100) if b not in UNDEFINED_1252)


def cells():
    """(row, column, value) with 1-based positions; bytes are text cells, floats number cells."""
    out = [(1, c + 1, t) for c, t in enumerate([b"Filename", b"Size", b"Date", b"Description", b"Comment"])]
    numbers = [0.0, 1234.0, 2147483647.0, 2147483648.0, 3221225472.0, 4294967313.0, 9007199254740993.0,
               -1.25, 0.1, 1e300]
    for i, number in enumerate(numbers):
        row = i + 2
        out.append((row, 1, b"ARC%02d\x80\x99.ZIP" % i))
        out.append((row, 2, number))
        out.append((row, 3, b"12-31-99"))
        out.append((row, 4, HIGH[i * 12:(i + 1) * 12] + b" text"))
    out.append((12, 4, HIGH))  # every defined high byte, longer than 100 bytes
    out.append((13, 4, b"x" * 150 + bytes(range(0xA0, 0x100)) + b"y" * 60))  # cut to 255
    out.append((14, 4, b""))
    out.append((15, 4, b"before\0after"))  # ends at the zero byte
    out.append((16, 5, b"\xe4\xf6\xfc\xdf custom"))
    out.append((20, 256, b"last column"))
    return out


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def expected_text(raw):
    return raw.split(b"\0")[0][:255].decode("cp1252")


def main():
    command = sys.argv[1:]
    if not command:
        print(__doc__)
        return 2
    expected = cells()
    with open("xlrd_cells.txt", "w") as listing:
        for row, column, value in expected:
            if isinstance(value, bytes):
                listing.write("S %d %d %s\n" % (row, column, value.hex()))
            else:
                listing.write("N %d %d %s\n" % (row, column, struct.pack("<d", value).hex()))
    if os.path.exists("xlrd_check.xls"):
        os.remove("xlrd_check.xls")
    subprocess.run(command + [windows_path("xlrd_cells.txt"), windows_path("xlrd_check.xls")], check=True)

    book = xlrd.open_workbook("xlrd_check.xls", encoding_override="cp1252", formatting_info=False)
    failures = []
    if book.biff_version != 20:
        failures.append("read as BIFF %s, not 2.0" % book.biff_version)
    if book.nsheets != 1:
        failures.append("%d sheets" % book.nsheets)
    sheet = book.sheet_by_index(0)
    want = {(row - 1, column - 1): value for row, column, value in expected}
    max_row = max(r for r, _ in want) + 1
    max_col = max(c for _, c in want) + 1
    if sheet.nrows != max_row or sheet.ncols != max_col:
        failures.append("sheet is %dx%d, expected %dx%d" % (sheet.nrows, sheet.ncols, max_row, max_col))
    for r in range(sheet.nrows):
        for c in range(sheet.row_len(r)):
            cell = sheet.cell(r, c)
            value = want.get((r, c))
            if value is None:
                if cell.ctype != xlrd.XL_CELL_EMPTY:
                    failures.append("unexpected cell at %d,%d: %r" % (r, c, cell))
            elif isinstance(value, bytes):
                if cell.ctype != xlrd.XL_CELL_TEXT or cell.value != expected_text(value):
                    failures.append("text at %d,%d: %r, expected %r" % (r, c, cell, expected_text(value)))
            elif cell.ctype != xlrd.XL_CELL_NUMBER or struct.pack("<d", cell.value) != struct.pack("<d", value):
                failures.append("number at %d,%d: %r, expected %r" % (r, c, cell, value))
    for (r, c) in want:
        if r >= sheet.nrows or c >= sheet.row_len(r):
            failures.append("missing cell at %d,%d" % (r, c))
    for failure in failures:
        print("FAIL:", failure)
    print("%d cells compared, %d failures" % (len(want), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
