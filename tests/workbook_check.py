#!/usr/bin/python3
"""Reads workbooks back with openpyxl and compares every cell with the table's text.

Usage: workbook_check.py workbook TSV XLSX [XLSX...]
       workbook_check.py html TSV XLSX

workbook: each XLSX is the log of TSV (the table as text) as a workbook, ours or as LibreOffice
saved it after reading ours (in the folder libreoffice/): a sheet with the heading row in bold, frozen, with an autofilter;
序号 numbers; 棒号 and 钮号 text; 日期 date-time values shown as yyyy-mm-dd hh:mm, or the
table's text where it is no time; columns as wide as their texts, with room between them (序号
centred, text indented); a history's 巡检员 and 巡检点 text as the table has them, whatever they
hold (the name below), and each row's own wand.
html: XLSX is what LibreOffice made of the copy's HTML flavour: the rows of the HTML, their
棒号 and 钮号 text as written, 序号 numbers.
"""
import csv
import datetime
import sys

import openpyxl

failures = []

# The name workbook_sample gives a guard: markup, quotes, separators and a line break.
AWKWARD_NAME = "A&B<C>D\"E'F,G;H\tI\nJ"


def check(what, ok):
    if not ok:
        failures.append(what)
        print("FAILED:", what, file=sys.stderr)
    return ok


def table(tsv):
    with open(tsv, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    if len(rows[0]) == 6:
        check(f"{tsv}: the awkward name kept whole", any(AWKWARD_NAME in r for r in rows))
    return rows


def shown_time(value, number_format):
    """The text a date-time cell shows under its number format, which must be yyyy-mm-dd hh:mm."""
    plain = number_format.lower().replace("\\", "").replace('"', "")
    if plain != "yyyy-mm-dd hh:mm" or not isinstance(value, datetime.datetime):
        return None
    return value.strftime("%Y-%m-%d %H:%M")


def check_row(where, cells, expected, dates):
    number, wand, time, button, *names = cells
    for cell, text in zip(names, expected[4:]):
        check(f"{where}: name {cell.value!r} is the text {text!r}",
              (cell.value or "") == text and (not text or cell.data_type == "s"))
    check(f"{where}: 序号 {number.value!r} is the number {expected[0]}",
          type(number.value) is int and str(number.value) == expected[0])
    for cell, text, name in ((wand, expected[1], "棒号"), (button, expected[3], "钮号")):
        check(f"{where}: {name} {cell.value!r} is the text {text!r}",
              cell.data_type == "s" and cell.value == text)
    if dates:
        shown = shown_time(time.value, time.number_format)
        if shown is None:
            check(f"{where}: 日期 {time.value!r} is the text {expected[2]!r}",
                  time.data_type == "s" and time.value == expected[2])
        else:
            check(f"{where}: 日期 {time.value!r} shows as {expected[2]!r}", shown == expected[2])
    return shown if dates else None


def column_width(sheet, index):
    """The width of the column at index (from 1); a saved range of columns holds several."""
    for dimension in sheet.column_dimensions.values():
        if dimension.min and dimension.max and dimension.min <= index <= dimension.max:
            return dimension.width
    return sheet.column_dimensions["ABCDEF"[index - 1]].width


def check_workbook(path, rows, ours):
    book = openpyxl.load_workbook(path)
    sheet = book.active
    where = path.rsplit("/", 1)[-1] + (" (ours)" if ours else " (LibreOffice's)")
    check(f"{where}: one sheet", len(book.worksheets) == 1)
    columns = len(rows[0])
    last = "ABCDEF"[columns - 1]
    check(f"{where}: {sheet.max_row} rows, the heading and {len(rows) - 1}",
          sheet.max_row == len(rows) and sheet.max_column == columns)
    heading = list(sheet[1])
    check(f"{where}: heading {[c.value for c in heading]}", [c.value for c in heading] == rows[0])
    check(f"{where}: heading in bold", all(c.font.b for c in heading))
    # A headless LibreOffice has no view to keep the frozen pane in when it saves.
    if ours:
        check(f"{where}: heading frozen ({sheet.freeze_panes})", sheet.freeze_panes == "A2")
    check(f"{where}: autofilter over the table ({sheet.auto_filter.ref})",
          sheet.auto_filter.ref == f"A1:{last}{len(rows)}")
    # Room between 序号 and 棒号: "1" and "0123" never read as "10123".
    check(f"{where}: 序号 centred ({sheet['A2'].alignment.horizontal})",
          sheet["A2"].alignment.horizontal == "center")
    check(f"{where}: 棒号 indented ({sheet['B2'].alignment.indent})", sheet["B2"].alignment.indent >= 1)
    dates = 0
    for number, cells in enumerate(sheet.iter_rows(min_row=2, max_col=columns), start=2):
        if check_row(f"{where} row {number}", cells, rows[number - 1], True) is not None:
            dates += 1
        if len(failures) > 20:
            break
    check(f"{where}: every valid time a date-time ({dates} of {len(rows) - 1})",
          dates == sum(1 for r in rows[1:] if not r[2].startswith("2024-02-00")))
    for column, letter in enumerate("ABCDEF"[:columns]):
        widest = max(len(line.encode("gbk")) for r in rows for line in r[column].split("\n"))
        width = column_width(sheet, column + 1)
        check(f"{where}: column {letter} {width} wide for texts of {widest}", width >= widest)
    if ours:
        props = book.properties
        check(f"{where}: made by Korvanta ({props.creator})", props.creator == "Korvanta")
        if columns == 6:
            check(f"{where}: titled 巡检记录 ({props.title})", props.title == "巡检记录")
        read_at = datetime.datetime(2024, 3, 5, 14, 7).astimezone(datetime.timezone.utc)
        check(f"{where}: created when read ({props.created})",
              props.created == read_at.replace(tzinfo=None))


def check_html(path, rows):
    sheet = openpyxl.load_workbook(path).active
    where = path.rsplit("/", 1)[-1] + " (the HTML flavour, LibreOffice's)"
    pasted = [[c for c in r] for r in sheet.iter_rows(max_col=len(rows[0]))]
    check(f"{where}: heading", [c.value for c in pasted[0]] == rows[0])
    # HTML has no tab within a cell: a paste reads it as a space. (The tab copy keeps it.)
    by_number = {r[0]: r[:4] + [name.replace("\t", " ") for name in r[4:]] for r in rows[1:]}
    for cells in pasted[1:]:
        expected = by_number.get(str(cells[0].value))
        if check(f"{where}: row {cells[0].value!r} is a row of the table", expected is not None):
            check_row(f"{where} row {cells[0].value}", cells, expected, False)
    check(f"{where}: {len(pasted) - 1} rows", len(pasted) > 2)


def main():
    mode, tsv, books = sys.argv[1], sys.argv[2], sys.argv[3:]
    rows = table(tsv)
    for book in books:
        if mode == "workbook":
            check_workbook(book, rows, not book.startswith("libreoffice/"))
        else:
            check_html(book, rows)
    print(f"{mode}: {', '.join(b.rsplit('/', 1)[-1] for b in books)}: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
