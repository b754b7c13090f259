#!/usr/bin/env python3
"""Checks what the user road left behind against the server's database.

The road (user_road_wintest.cpp) signs in through the launcher's user
settings, starts the viewer from the launcher, chooses 11001 稚内 (宗谷支庁)
and 14001 札幌 (石狩支庁), writes a daily HTML report for 2001/01/01 to
2001/01/10 with 降水量, 平均気温 and 最高気温, and a monthly CSV report for
2001/01 to 2001/06 with 降水量 and 最高気温, then asks the launcher for this
month's usage. This script checks:

- temp.html cell by cell against st_data_h, and that a real browser
  (headless Chromium) reads it as Shift_JIS: the station names come back;
- temp.csv cell by cell against st_data_t, and that a real spreadsheet
  (LibreOffice) reads its Japanese captions and its numbers as numbers;
- the usage ledger: one row per report with the demo client's number and the
  report's row count, and the launcher's message showing their sum.

The database is the server's SQLite file or, for the deployment of deploy/,
a PostgreSQL connection string, read with psql.
"""
import argparse
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "harness"))
from headless_page import HeadlessPage, PageError  # noqa: E402

STATIONS = [("11001", "稚内"), ("14001", "札幌")]
CLIENT_NO = "10001"
MISSING_VALUE = 32767
MISSING_MARK = "*****"
DAILY_DAYS = [(2001, 1, day) for day in range(1, 11)]
MONTHS = [(2001, month) for month in range(1, 7)]
# The page is read and its charts are drawn.
REPORT_SHOWN = "document.readyState === 'complete' && typeof ReportCharts === 'object' && ReportCharts.complete"

failures = []


class PostgresDatabase:
    """The part of sqlite3's connection this script uses, on a PostgreSQL
    database through psql: "?" takes a whole number, whole numbers come back
    as int and everything else as text."""

    FIELD_SEPARATOR = "\x1f"

    def __init__(self, conninfo):
        self.conninfo = conninfo

    def execute(self, sql, params=()):
        for param in params:
            sql = sql.replace("?", "%d" % int(param), 1)
        output = subprocess.run(["psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1",
                                 "-F", self.FIELD_SEPARATOR, "-d", self.conninfo, "-c", sql],
                                capture_output=True, check=True, text=True).stdout
        return PostgresResult([tuple(int(v) if re.fullmatch(r"-?\d+", v) else v
                                     for v in line.split(self.FIELD_SEPARATOR))
                               for line in output.splitlines()])


class PostgresResult:
    def __init__(self, rows):
        self.rows = rows

    def fetchone(self):
        return self.rows[0] if self.rows else None

    def fetchall(self):
        return self.rows


def is_postgres(database):
    return database.startswith(("postgresql://", "postgres://")) or "=" in database


def open_database(database):
    return PostgresDatabase(database) if is_postgres(database) else sqlite3.connect(database)


def expect(condition, message):
    if not condition:
        failures.append(message)


def whole(value):
    return MISSING_MARK if value == MISSING_VALUE else "%d" % value


def tenths(value):
    return MISSING_MARK if value == MISSING_VALUE else "%.1f" % (value * 0.1)


def date_cell(value, year, month, day):
    return MISSING_MARK if value == MISSING_VALUE else "%4d/%02d/%02d" % (year, month, day)


def daily_cells(db, station, year, month, day):
    # Reply positions of st_data_h: 8 precipitation, 14 mean temperature,
    # 15 maximum temperature (column dN is position N).
    row = db.execute(
        "SELECT d8, d14, d15 FROM st_data_h WHERE sChiten = ? AND d2 = ? AND d3 = ? AND d7 = ?",
        (int(station), year, month, day)).fetchone()
    if row is None:
        return [MISSING_MARK] * 3
    return [whole(row[0]), tenths(row[1]), tenths(row[2])]


def monthly_cells(db, station, year, month):
    # Reply positions of st_data_t: 3 precipitation, 15 maximum temperature,
    # 16 its day (the month is the row's own).
    row = db.execute(
        "SELECT d3, d15, d16 FROM st_data_t WHERE sChiten = ? AND d1 = ? AND d2 = ?",
        (int(station), year, month)).fetchone()
    if row is None:
        return [MISSING_MARK] * 3
    return [whole(row[0]), date_cell(row[1], year, month, row[2]), tenths(row[1])]


def html_grid(html_text):
    grid = []
    for row in re.findall(r"<TR>(.*?)</TR>", html_text, re.S):
        cells = re.findall(r"<TD[^>]*><font[^>]*>(.*?)</font></TD>", row, re.S)
        grid.append([re.sub(r"^<div align='right'>(.*)</div>$", r"\1", cell) for cell in cells])
    return grid


def check_html(db, path):
    raw = open(path, "rb").read()
    expect(b"\r\n" in raw, "temp.html lines do not end in CR LF")
    expect(b"charset=Shift_JIS" in raw, "temp.html does not declare Shift_JIS")
    grid = html_grid(raw.decode("cp932"))
    header = [["地点番号"], ["地点名"], ["データ"], ["単位"]]
    for code, name in STATIONS:
        header[0] += [code] * 3
        header[1] += [name] * 3
        header[2] += ["降水量", "平均気温", "最高気温"]
        header[3] += ["mm", "℃", "℃"]
    expect(grid[:4] == header, "temp.html header rows differ: %r" % grid[:4])
    expect(len(grid) == 4 + len(DAILY_DAYS), "temp.html has %d rows" % len(grid))
    for index, (year, month, day) in enumerate(DAILY_DAYS):
        expected = ["%4d/%02d/%02d" % (year, month, day)]
        for code, _ in STATIONS:
            expected += daily_cells(db, code, year, month, day)
        got = grid[4 + index] if 4 + index < len(grid) else None
        expect(got == expected, "temp.html row %d: %r, expected %r" % (index, got, expected))


def check_csv(db, path):
    raw = open(path, "rb").read()
    expect(raw.endswith(b"\r\n"), "temp.csv lines do not end in CR LF")
    lines = raw.decode("cp932").split("\r\n")[:-1]
    header = [["地点番号"], ["地点名"], ["データ"], ["単位"]]
    for code, name in STATIONS:
        header[0] += [code] * 3
        header[1] += [name] * 3
        header[2] += ["降水量", "現象年月日", "最高気温"]
        header[3] += ["mm", "", "℃"]
    expected_lines = [",".join(row) for row in header]
    for year, month in MONTHS:
        cells = ["%4d/%02d" % (year, month)]
        for code, _ in STATIONS:
            cells += monthly_cells(db, code, year, month)
        expected_lines.append(",".join(cells))
    expect(lines == expected_lines, "temp.csv differs:\n%s\nexpected:\n%s"
           % ("\n".join(lines), "\n".join(expected_lines)))


def ledger_rows(db):
    # In the order the rows were added: both engines keep a fresh table's
    # rows in that order.
    order = "ctid" if isinstance(db, PostgresDatabase) else "rowid"
    return db.execute(
        "SELECT client_no, feeday, data_total FROM fee_history_dt ORDER BY %s" % order).fetchall()


def count_rows(db, table, where, params):
    return db.execute("SELECT COUNT(*) FROM %s WHERE %s" % (table, where), params).fetchone()[0]


def check_ledger(db, message_path):
    daily = sum(count_rows(db, "st_data_h", "sChiten = ? AND d2 = 2001 AND d3 = 1 AND d7 <= 10",
                           (int(code),)) for code, _ in STATIONS)
    monthly = sum(count_rows(db, "st_data_t", "sChiten = ? AND d1 = 2001 AND d2 <= 6",
                             (int(code),)) for code, _ in STATIONS)
    rows = ledger_rows(db)
    expect([(str(r[0]), str(r[2])) for r in rows] == [(CLIENT_NO, str(daily)), (CLIENT_NO, str(monthly))],
           "ledger rows %r, expected one of %d and one of %d rows" % (rows, daily, monthly))
    for row in rows:
        expect(re.match(r"^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}$", row[1]) is not None,
               "ledger day %r is not a local time stamp" % row[1])
    message = open(message_path, "rb").read().decode("cp932")
    expected = "今月は\n【%d】\n件検索しました。" % (daily + monthly)
    expect(message == expected, "launcher usage message %r, expected %r" % (message, expected))


def check_in_browser(path, artifacts):
    with HeadlessPage() as page:
        page.open("file://" + os.path.abspath(path))
        try:
            page.wait_for(REPORT_SHOWN)
        except PageError as error:
            failures.append("temp.html: the browser did not show its table: %s" % error)
            return
        text = page.evaluate("document.body.innerText")
        page.screenshot(os.path.join(artifacts, "report.png"))
    for _, name in STATIONS:
        expect(name in text, "the browser did not read station name %s from temp.html" % name)
    expect("降水量" in text, "the browser did not read the element captions from temp.html")
    expect(os.path.exists(os.path.join(artifacts, "report.png")), "the browser wrote no screenshot")


def check_in_spreadsheet(db, path, artifacts):
    profile = tempfile.mkdtemp()
    # Input filter: comma separated, double quotes, Shift-JIS (64).
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + profile,
                    "--infilter=CSV:44,34,64", "--convert-to", "fods", "--outdir", artifacts, path],
                   capture_output=True, timeout=180)
    converted = os.path.join(artifacts, "temp.fods")
    expect(os.path.exists(converted), "the spreadsheet did not open temp.csv")
    if not os.path.exists(converted):
        return
    ns = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
          "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
          "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
    rows = ElementTree.parse(converted).getroot().findall(".//table:table-row", ns)
    first = rows[0].findall("table:table-cell", ns)
    caption = "".join(first[0].itertext()).strip()
    expect(caption == "地点番号", "the spreadsheet's first cell is %r, not 地点番号" % caption)
    # The first period row: its label, then the first station's 降水量 as a number.
    precipitation = rows[4].findall("table:table-cell", ns)[1]
    value_type = precipitation.get("{%s}value-type" % ns["office"])
    value = precipitation.get("{%s}value" % ns["office"])
    expected = monthly_cells(db, STATIONS[0][0], *MONTHS[0])[0]
    expect(value_type == "float" and value == expected,
           "the spreadsheet read the first precipitation as %r %r, expected the number %s"
           % (value_type, value, expected))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--db", required=True, help="a SQLite file or a PostgreSQL connection string")
    parser.add_argument("--reports", required=True, help="the TEMP folder the viewer wrote to")
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    db = open_database(args.db)
    html = os.path.join(args.reports, "temp.html")
    csv = os.path.join(args.reports, "temp.csv")
    check_html(db, html)
    check_csv(db, csv)
    check_ledger(db, os.path.join(args.reports, "usage-message.txt"))
    check_in_browser(html, args.artifacts)
    check_in_spreadsheet(db, csv, args.artifacts)
    for failure in failures:
        print("FAIL:", failure)
    print("user road checks: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
