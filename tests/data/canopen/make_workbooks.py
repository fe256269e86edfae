#!/usr/bin/python3
"""Writes the .xls fixture workbooks from their CSV sources with xlwt (python3-xlwt).

    cd tests/data/canopen && /usr/bin/python3 make_workbooks.py

canopen.xls      sheets "SDO", "emcydef", "EmcyWord", "sdopdo" from canopen.<sheet>.csv
                 (sheet names in mixed case on purpose: they are found without regard to case)
no_sdo.xls       one sheet "emcydef" only
bad_record.xls   sheet "sdo" whose second record has the text "x" as its first field
sdo_1500.xls     sheet "sdo" with 1500 records (side A and side B alternating), for the benchmark
A CSV cell that reads as a number becomes a number cell, an empty cell stays blank, every
other cell is a text cell.
"""
import csv
import xlwt


def cell(sheet, row, column, text):
    if text == "":
        return
    try:
        sheet.write(row, column, int(text))
    except ValueError:
        sheet.write(row, column, text)


def add_sheet(book, name, rows):
    sheet = book.add_sheet(name)
    for r, row in enumerate(rows):
        for c, text in enumerate(row):
            cell(sheet, r, c, text)


def rows_of(source):
    with open(source, newline="") as f:
        return list(csv.reader(f))


book = xlwt.Workbook()
for name, source in (("SDO", "sdo"), ("emcydef", "emcydef"), ("EmcyWord", "emcyword"), ("sdopdo", "sdopdo")):
    add_sheet(book, name, rows_of("canopen.%s.csv" % source))
book.save("canopen.xls")

book = xlwt.Workbook()
add_sheet(book, "emcydef", rows_of("canopen.emcydef.csv"))
book.save("no_sdo.xls")

book = xlwt.Workbook()
bad = rows_of("canopen.sdo.csv")
bad[2][0] = "x"
add_sheet(book, "sdo", bad)
book.save("bad_record.xls")

book = xlwt.Workbook()
rows = [rows_of("canopen.sdo.csv")[0]]
for i in range(1500):
    rows.append([str((i % 2) + (16 if i % 3 == 0 else 0)), "0x%04X" % (0x2000 + i), str(i % 8), str(1 + i % 127),
                 "0x%04X" % (0x6000 + i), str(i % 4), str(1 + i % 4), "object %d" % i])
add_sheet(book, "sdo", rows)
book.save("sdo_1500.xls")
