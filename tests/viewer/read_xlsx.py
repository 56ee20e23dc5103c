#!/usr/bin/env python3
"""read_xlsx.py BOOK.xlsx: the workbook as JSON, read with openpyxl (not our writer):
{sheet name: {cell address: [type, value as text]}} in sheet order."""
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
out = {}
for sheet in book.worksheets:
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                cells[cell.coordinate] = [type(cell.value).__name__, str(cell.value),
                                          cell.number_format]
    out[sheet.title] = cells
print(json.dumps(out, ensure_ascii=False))
