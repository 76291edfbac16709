#!/usr/bin/python3
"""Prints what a spreadsheet program reads from an .xlsx file, as JSON, for
the export tests: every cell with its value and look, the merged ranges,
the column widths and the row heights of the first sheet.

A cell's look is one line: "LRTB h/v [wrap] SIZE[b] FORMAT", with the
borders left, right, top and bottom as "-" (none), "t" (thin) or
"m" (medium), the alignments as g(eneral)/l/c/r and b(ottom)/t/c, and the
font size with "b" when bold, e.g. "ttmt c/b 11b General".
"""
import json
import sys

import openpyxl
from openpyxl.worksheet.worksheet import Worksheet

# On loading, openpyxl replaces the cells inside a merged range by placeholders
# whose borders it derives from the first cell. The tests want each cell as
# the file stores it, so the ranges are only recorded.
Worksheet._clean_merge_range = lambda self, mcr: None

BORDERS = {None: "-", "thin": "t", "medium": "m"}
HORIZONTAL = {None: "g", "general": "g", "left": "l", "center": "c", "right": "r"}
VERTICAL = {None: "b", "bottom": "b", "top": "t", "center": "c"}


def look(cell):
    b = cell.border
    sides = "".join(BORDERS.get(side.style, "?") for side in (b.left, b.right, b.top, b.bottom))
    a = cell.alignment
    align = HORIZONTAL.get(a.horizontal, "?") + "/" + VERTICAL.get(a.vertical, "?")
    size = cell.font.sz
    font = ("%g" % size) + ("b" if cell.font.b else "")
    return " ".join([sides, align] + (["wrap"] if a.wrap_text else []) + [font, cell.number_format])


def main(path):
    sheet = openpyxl.load_workbook(path).worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            cells[cell.coordinate] = {"value": cell.value, "type": cell.data_type, "look": look(cell)}
    json.dump({
        "cells": cells,
        "merges": sorted(str(r) for r in sheet.merged_cells.ranges),
        "widths": {k: d.width for k, d in sheet.column_dimensions.items() if d.customWidth},
        "heights": {str(k): d.height for k, d in sheet.row_dimensions.items() if d.height is not None},
    }, sys.stdout, ensure_ascii=False, default=str)


if __name__ == "__main__":
    main(sys.argv[1])
