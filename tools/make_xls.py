#!/usr/bin/python3
"""Writes the .xls (Excel 97-2003) files the import tests and benchmark read.

Usage: make_xls.py fixture OUT.xls        the small test fixture
       make_xls.py rows N OUT.xls         N data rows of name, ticket, department
       make_xls.py cells SPEC OUT.xls     a header, then one cell per line of SPEC
                                          (UTF-8, "n<TAB>number<TAB>format" or
                                          "s<TAB>text<TAB>format") in column A
Needs Debian's python3-xlwt.
"""
import datetime
import sys

import xlwt


def fixture(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("员工名单")  # deliberately not Sheet1
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for col, head in enumerate(["姓名", "工号", "部门", "入职"]):
        sheet.write(0, col, head)
    rows = [
        ("张三", 12, "销售部", datetime.date(2020, 3, 5)),
        ("李四", 123456789012, "", datetime.date(2019, 12, 31)),
        ("Wang Wu", 3.5, "研发部", None),
        ("", None, "空行之后", None),
        ("赵六", 7, "财务", datetime.date(2021, 1, 1)),
    ]
    for r, (name, number, dept, joined) in enumerate(rows, start=1):
        if name:
            sheet.write(r, 0, name)
        if number is not None:
            sheet.write(r, 1, number)
        if dept:
            sheet.write(r, 2, dept)
        if joined:
            sheet.write(r, 3, joined, date_style)
    book.add_sheet("Sheet1").write(0, 0, "第二张表不读")
    book.save(path)


def many_rows(count, path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    sheet.write(0, 0, "姓名")
    sheet.write(0, 1, "号码")
    sheet.write(0, 2, "部门")
    for r in range(1, count + 1):
        sheet.write(r, 0, "员工%d" % r)
        sheet.write(r, 1, 100000 + r)
        sheet.write(r, 2, "部门%d" % (r % 37))
    book.save(path)


def cells(spec, path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    sheet.write(0, 0, "单元格")
    with open(spec, encoding="utf-8") as f:
        for r, line in enumerate(f.read().splitlines(), start=1):
            kind, value, code = line.split("\t")
            style = xlwt.easyxf(num_format_str=code or "General")
            sheet.write(r, 0, float(value) if kind == "n" else value, style)
    book.save(path)


if __name__ == "__main__":
    if sys.argv[1] == "fixture":
        fixture(sys.argv[2])
    elif sys.argv[1] == "cells":
        cells(sys.argv[2], sys.argv[3])
    else:
        many_rows(int(sys.argv[2]), sys.argv[3])
