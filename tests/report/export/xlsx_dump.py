#!/usr/bin/python3
"""Prints a workbook as JSON: sheets with merged ranges, column widths, row heights,
page breaks and every cell that has a value or a style (value, type, number format,
font, fill, borders, alignment). Read with openpyxl, independent of the writer."""
import datetime
import json
import sys

try:
    import openpyxl
except ImportError:
    sys.stderr.write("python3-openpyxl is not installed (scripts/bootstrap installs it)\n")
    sys.exit(3)


def colour(c):
    if c is None or c.type != "rgb" or c.rgb is None:
        return None
    return str(c.rgb)[-6:]


def cell_json(cell):
    value = cell.value
    if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
        value = value.isoformat()
    font = cell.font
    border = cell.border
    fill = cell.fill
    return {
        "ref": cell.coordinate,
        "value": value,
        "type": cell.data_type,
        "format": cell.number_format,
        "font": font.name,
        "size": font.sz,
        "bold": bool(font.b),
        "italic": bool(font.i),
        "color": colour(font.color),
        "fill": colour(fill.fgColor) if fill is not None and fill.fill_type == "solid" else None,
        "border": {side: getattr(border, side).style for side in ("left", "top", "right", "bottom")},
        "halign": cell.alignment.horizontal,
        "valign": cell.alignment.vertical,
        "wrap": bool(cell.alignment.wrap_text),
    }


def main(path):
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        cells = []
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None or cell.has_style:
                    cells.append(cell_json(cell))
        sheets.append({
            "name": sheet.title,
            "max_row": sheet.max_row,
            "max_column": sheet.max_column,
            "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
            "cols": {k: v.width for k, v in sheet.column_dimensions.items() if v.width},
            "rows": {str(k): v.height for k, v in sheet.row_dimensions.items() if v.height},
            "breaks": [b.id for b in sheet.row_breaks.brk],
            "landscape": sheet.page_setup.orientation == "landscape",
            "paper": sheet.page_setup.paperSize,
            "cells": cells,
        })
    json.dump({"sheets": sheets, "title": book.properties.title}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
