#!/usr/bin/python3
"""Reads the Files.xls of a demo run with xlrd and compares it with the Files.csv of the same run.

Usage: check_demo_xls.py FOLDER
"""
import os
import sys

import xlrd


def main():
    folder = sys.argv[1]
    book = xlrd.open_workbook(os.path.join(folder, "Files.xls"), encoding_override="latin-1")
    sheet = book.sheet_by_index(0)
    header = [sheet.cell_value(0, c) for c in range(5)]
    assert header == ["Filename", "Size", "Date", "Description", "Comment"], header
    with open(os.path.join(folder, "Files.csv"), "rb") as f:
        lines = f.read().decode("latin-1").split("\r\n")
    assert lines[-1] == "", "every csv line ends with CR LF"
    lines = lines[:-1]
    assert sheet.nrows == len(lines) + 1, (sheet.nrows, len(lines))
    for row, line in enumerate(lines, start=1):
        name, size, date, rest = line.split(";")
        assert rest.endswith(" CD 7"), rest
        description, custom = rest[: -len(" CD 7")], "CD 7"
        cells = [sheet.cell(row, c) for c in range(sheet.ncols)]
        assert cells[0].value == name, (cells[0].value, name)
        assert cells[1].ctype == xlrd.XL_CELL_NUMBER and cells[1].value == float(size), (cells[1].value, size)
        assert cells[2].value == date, (cells[2].value, date)
        assert cells[3].value == description, (cells[3].value, description)
        assert cells[4].value == custom, (cells[4].value, custom)
    print("Files.xls: %d archive rows match Files.csv" % len(lines))


if __name__ == "__main__":
    main()
