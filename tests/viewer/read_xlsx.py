#!/usr/bin/env python3
"""read_xlsx.py BOOK.xlsx: the workbook as JSON, read with openpyxl (not our writer):
{sheet name: {cell address: [type, value as text, number format]}} in sheet order, and per
sheet "!freeze": ["meta", the frozen panes' top-left cell] and "!width A" ...: ["meta", width]."""
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
    cells["!freeze"] = ["meta", str(sheet.freeze_panes)]
    for column, dimension in sheet.column_dimensions.items():
        cells["!width " + column] = ["meta", str(dimension.width)]
    out[sheet.title] = cells
print(json.dumps(out, ensure_ascii=False))
