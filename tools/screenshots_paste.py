#!/usr/bin/python3
"""Pastes clipboard text into a new sheet of a workbook as a spreadsheet splits it.

The text is what the workbench's Ctrl+C puts on the clipboard: cells separated by tabs, a line
per row, a cell holding a tab, a line break or a leading quote in double quotes. Used by
tools/screenshots-workbook: run as /usr/bin/python3 (Debian's python3-openpyxl).
Usage: screenshots_paste.py WORKBOOK TEXT OUT
"""
import csv
import io
import sys

from openpyxl import load_workbook
from openpyxl.styles import Font


def main():
    book = load_workbook(sys.argv[1])
    source = book.worksheets[0]
    with open(sys.argv[2], encoding="utf-8") as f:
        rows = list(csv.reader(io.StringIO(f.read()), delimiter="\t", quotechar='"'))
    sheet = book.create_sheet("粘贴")
    for letter, dim in source.column_dimensions.items():
        sheet.column_dimensions[letter].width = dim.width
    sheet.page_setup.orientation = "landscape"
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    sheet.page_setup.fitToWidth = 1
    sheet.page_setup.fitToHeight = 0
    font = Font(name="微软雅黑", size=9)
    sheet.cell(1, 1, "从表格复制（Ctrl+C）的 %d 行，粘贴到 A3：" % len(rows)).font = font
    for r, cells in enumerate(rows, start=3):
        for c, text in enumerate(cells, start=1):
            sheet.cell(r, c, text).font = font
    book.save(sys.argv[3])


if __name__ == "__main__":
    main()
