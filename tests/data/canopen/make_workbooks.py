#!/usr/bin/python3
"""Writes the fixture workbooks of the spreadsheet import from their CSV sources.

    cd tests/data/canopen && /usr/bin/python3 make_workbooks.py

Writers: python3-xlwt (.xls), python3-openpyxl (.xlsx), python3-odf (.ods), and LibreOffice Calc
(libreoffice-calc-nogui) converting each .xls headless with a private profile:
    soffice --headless -env:UserInstallation=file:///tmp/kestrova-fixture-profile \
            --convert-to xlsx|ods --outdir lo NAME.xls      (kept as NAME.lo.xlsx, NAME.lo.ods)

canopen.*        sheets "SDO", "emcydef", "EmcyWord", "sdopdo" from canopen.<sheet>.csv
                 (sheet names in mixed case on purpose: they are found without regard to case)
no_sdo.xls       one sheet "emcydef" only
bad_record.*     sheet "sdo" whose second record has the text "x" as its first field
sdo_1500.*       sheet "sdo" with 1500 records (side A and side B alternating), for the benchmark;
                 sdo_1500.csv is its CSV source
bomb.ods         a zip bomb: mimetype and a content.xml of 65 MiB of blanks deflated to about
                 65 KiB (python3 zipfile); written alone by "make_workbooks.py bomb"
cells.*          sheet "cells": numbers stored as numbers and texts holding digits, blanks, tabs,
                 line feeds, commas and quotation marks (source: CELLS below; cells.csv its CSV)
A CSV cell that reads as an integer becomes a number cell, an empty cell stays blank, every
other cell is a text cell (in "cells" the kinds are given).
"""
import csv
import os
import shutil
import subprocess
import sys
import zipfile

import odf.opendocument
import odf.table
import odf.teletype
import odf.text
import openpyxl
import xlwt

# (label, value, value, value): an int or float is a number cell, a str a text cell.
CELLS = [
    ("label", "value", "second", "third"),
    ("integer", 17),
    ("fraction", 0.5),
    ("negative", -3),
    ("big", 1e20),
    ("leading zeros", "0024576"),
    ("plus", "+999999"),
    ("leading blank", " 129"),
    ("two lines", "first\nsecond"),
    ("two blanks", "a  b"),
    ("tab", "a\tb"),
    ("comma and quote", 'say "hi", then go'),
    ("empty", None, "after an empty cell"),
    ("non-ASCII", "N\u00b0 5"),
    ("repeated", "same", "same", "same"),
]


def typed(text):
    if text == "":
        return None
    try:
        return int(text)
    except ValueError:
        return text


def rows_of(source):
    with open(source, newline="") as f:
        return [[typed(text) for text in row] for row in csv.reader(f)]


def shown(value):
    if value is None:
        return ""
    if isinstance(value, float):
        return "%.15g" % value if value != int(value) or abs(value) >= 1e15 else str(int(value))
    return str(value)


def write_xls(path, sheets):
    book = xlwt.Workbook()
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, sheets):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.cell(row=r + 1, column=c + 1, value=value)
    book.save(path)


def write_ods(path, sheets):
    document = odf.opendocument.OpenDocumentSpreadsheet()
    for name, rows in sheets:
        table = odf.table.Table(name=name)
        for row in rows:
            table_row = odf.table.TableRow()
            for value in row:
                if value is None:
                    cell = odf.table.TableCell()
                elif isinstance(value, (int, float)):
                    cell = odf.table.TableCell(valuetype="float", value=value)
                    cell.addElement(odf.text.P(text=shown(value)))
                else:
                    cell = odf.table.TableCell(valuetype="string")
                    for line in value.split("\n"):
                        paragraph = odf.text.P()
                        odf.teletype.addTextToElement(paragraph, line)
                        cell.addElement(paragraph)
                table_row.addElement(cell)
            table.addElement(table_row)
        document.spreadsheet.addElement(table)
    document.save(path)


def write_csv(path, rows):
    with open(path, "w", newline="", encoding="utf-8") as f:
        csv.writer(f, lineterminator="\r\n").writerows([[shown(v) for v in row] for row in rows])


def convert_with_libreoffice(xls, base):
    profile = "file:///tmp/kestrova-fixture-profile"
    for kind in ("xlsx", "ods"):
        subprocess.run(["soffice", "--headless", "-env:UserInstallation=" + profile, "--convert-to", kind,
                        "--outdir", "lo", xls], check=True, stdout=subprocess.DEVNULL)
        shutil.move(os.path.join("lo", base + "." + kind), base + ".lo." + kind)
    os.rmdir("lo")


def write_bomb(path):
    with zipfile.ZipFile(path, "w") as book:
        book.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
        book.writestr("content.xml", b" " * (65 << 20), zipfile.ZIP_DEFLATED, compresslevel=9)


write_bomb("bomb.ods")
if sys.argv[1:] == ["bomb"]:
    sys.exit(0)

canopen = [(name, rows_of("canopen.%s.csv" % source))
           for name, source in (("SDO", "sdo"), ("emcydef", "emcydef"), ("EmcyWord", "emcyword"), ("sdopdo", "sdopdo"))]
bad = rows_of("canopen.sdo.csv")
bad[2][0] = "x"
sdo_1500 = [rows_of("canopen.sdo.csv")[0]]
for i in range(1500):
    sdo_1500.append([(i % 2) + (16 if i % 3 == 0 else 0), "0x%04X" % (0x2000 + i), i % 8, 1 + i % 127,
                     "0x%04X" % (0x6000 + i), i % 4, 1 + i % 4, "object %d" % i])
write_csv("sdo_1500.csv", sdo_1500)
write_csv("cells.csv", CELLS)

workbooks = {
    "canopen": canopen,
    "bad_record": [("sdo", bad)],
    "sdo_1500": [("sdo", sdo_1500)],
    "cells": [("cells", CELLS)],
}
write_xls("no_sdo.xls", [("emcydef", rows_of("canopen.emcydef.csv"))])
for base, sheets in workbooks.items():
    write_xls(base + ".xls", sheets)
    write_xlsx(base + ".xlsx", sheets)
    write_ods(base + ".ods", sheets)
    convert_with_libreoffice(base + ".xls", base)
