#!/usr/bin/env python3
"""Checks the monthly report of real observations that real_data_wintest.cpp
had the real viewer write (monthly.html: station 99501 シアトル, 2012/01 to
2013/12), cell by cell against what this script works out from the
observation file on its own:

- each day's values rounded as written in decimal to what the tables keep,
  halves away from zero: precipitation to whole mm, temperatures and the
  mean wind to tenths;
- per month: the precipitation sum; the means of the wind and of the daily
  highs and lows (halves away from zero, in tenths); the wettest, warmest
  and coldest day with its date, the first such day where several tie; a
  sum, mean or extreme is missing when more than a fifth of the month's
  calendar days lack the element;
- the elements the file lacks (hourly precipitation with its date,
  sunshine, mean temperature): the missing mark in every month.
"""
import argparse
import calendar
import csv
import os
import shutil
import sys
from decimal import ROUND_HALF_UP, Decimal

from check_reports import html_grid

SEATTLE_WEATHER = "/usr/lib/python3/dist-packages/vega_datasets/_data/seattle-weather.csv"
STATION = ("99501", "シアトル")
MONTHS = [(year, month) for year in (2012, 2013) for month in range(1, 13)]
MISSING_MARK = "*****"
ABSENT = ("", "NA", "NaN")
HEADER_ROWS = 4
WHOLE = Decimal(1)
TENTHS = Decimal(10)

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)


def rounded(text, scale):
    """The value of `text` in units of 1/scale, halves away from zero; None when absent."""
    if text in ABSENT:
        return None
    return int((Decimal(text) * scale).quantize(WHOLE, rounding=ROUND_HALF_UP))


def read_days(path):
    """{(year, month): [(day, {element: value or None})]} of the file."""
    months = {}
    with open(path, newline="", encoding="utf-8") as source:
        for line in csv.DictReader(source):
            year, month, day = (int(part) for part in line["date"].replace("-", "/").split("/"))
            values = {"precipitation": rounded(line["precipitation"], WHOLE),
                      "wind": rounded(line["wind"], TENTHS),
                      "high": rounded(line["temp_max"], TENTHS),
                      "low": rounded(line["temp_min"], TENTHS)}
            months.setdefault((year, month), []).append((day, values))
    return months


def too_few(present, calendar_days):
    return present == 0 or (calendar_days - present) * 5 > calendar_days


def whole_text(value):
    return MISSING_MARK if value is None else "%d" % value


def tenths_text(value):
    return MISSING_MARK if value is None else str(Decimal(value).scaleb(-1))


class Month:
    def __init__(self, year, month, days):
        self.year = year
        self.month = month
        self.days = days
        self.calendar_days = calendar.monthrange(year, month)[1]

    def present(self, element):
        return [(day, values[element]) for day, values in self.days if values[element] is not None]

    def total(self, element):
        values = [value for _, value in self.present(element)]
        return None if too_few(len(values), self.calendar_days) else sum(values)

    def mean(self, element):
        values = [value for _, value in self.present(element)]
        if too_few(len(values), self.calendar_days):
            return None
        return int((Decimal(sum(values)) / len(values)).quantize(WHOLE, rounding=ROUND_HALF_UP))

    def extreme(self, element, pick):
        """(date cell, value) of the first day holding the month's `pick` (max or min)."""
        present = self.present(element)
        if too_few(len(present), self.calendar_days):
            return None, None
        value = pick(value for _, value in present)
        day = next(day for day, candidate in present if candidate == value)
        return "%4d/%02d/%02d" % (self.year, self.month, day), value


# The report's columns per element, in report order: (label, unit, cells of a month).
def extreme_cells(element, pick, text):
    def cells(month):
        date, value = month.extreme(element, pick)
        return [MISSING_MARK if date is None else date, text(value)]
    return cells


COLUMNS = [
    (["降水量"], ["mm"], lambda month: [whole_text(month.total("precipitation"))]),
    (["現象年月日", "時最大降水量"], ["", "mm"], lambda month: [MISSING_MARK, MISSING_MARK]),
    (["現象年月日", "日最大降水量"], ["", "mm"], extreme_cells("precipitation", max, whole_text)),
    (["平均風速"], ["m/s"], lambda month: [tenths_text(month.mean("wind"))]),
    (["日照時間"], ["h"], lambda month: [MISSING_MARK]),
    (["平均気温"], ["℃"], lambda month: [MISSING_MARK]),
    (["現象年月日", "最高気温"], ["", "℃"], extreme_cells("high", max, tenths_text)),
    (["現象年月日", "最低気温"], ["", "℃"], extreme_cells("low", min, tenths_text)),
    (["平均最高気温"], ["℃"], lambda month: [tenths_text(month.mean("high"))]),
    (["平均最低気温"], ["℃"], lambda month: [tenths_text(month.mean("low"))]),
]


def expected_grid(months):
    labels = [label for column in COLUMNS for label in column[0]]
    units = [unit for column in COLUMNS for unit in column[1]]
    grid = [["地点番号"] + [STATION[0]] * len(labels), ["地点名"] + [STATION[1]] * len(labels),
             ["データ"] + labels, ["単位"] + units]
    for year, month in MONTHS:
        summary = Month(year, month, months.get((year, month), []))
        grid.append(["%4d/%02d" % (year, month)] + [cell for column in COLUMNS for cell in column[2](summary)])
    return grid


def check_report(path, months):
    grid = html_grid(open(path, "rb").read().decode("cp932"))
    expected = expected_grid(months)
    expect(grid[:HEADER_ROWS] == expected[:HEADER_ROWS],
           "header rows %r, expected %r" % (grid[:HEADER_ROWS], expected[:HEADER_ROWS]))
    expect(len(grid) == len(expected), "%d rows, expected %d" % (len(grid), len(expected)))
    for got, wanted in zip(grid[HEADER_ROWS:], expected[HEADER_ROWS:]):
        expect(got == wanted, "%s: %r, expected %r" % (wanted[0], got[1:], wanted[1:]))
    # The road must show what it claims: real values as well as missing marks.
    values = [cell for row in expected[HEADER_ROWS:] for cell in row[1:]]
    expect(any(cell != MISSING_MARK for cell in values) and MISSING_MARK in values,
           "the expected report holds no values or no missing marks")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--db", required=True)
    parser.add_argument("--reports", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    report = os.path.join(args.reports, "monthly.html")
    if not os.path.exists(report):
        print("FAIL: the viewer wrote no monthly.html")
        return 1
    shutil.copy(report, args.artifacts)
    check_report(report, read_days(SEATTLE_WEATHER))
    for failure in failures:
        print("FAIL:", failure)
    print("real data checks: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
