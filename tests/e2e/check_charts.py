#!/usr/bin/env python3
"""Checks the charts of the reports that report_charts_wintest.cpp had the
real viewer write with the installed template, in headless Chromium:

- every report: one chart per drawn element in report order, drawn as bars,
  lines or points, each with one series per station; every value drawn is
  its table cell's (a number, a point of the compass, and a gap, never
  zero, for the missing mark), and the x values are the days of a daily
  report and the period positions otherwise, with the period labels on the
  axis; hovering shows period, station and value (with the day of an
  extreme and the direction of the maximum wind); the station legend
  toggles a station in every chart; the table is shown once the page is read;
- the daily report with the mouse: the pointer over a value shows its
  period, dragging across a chart zooms in on those days, a double-click
  zooms out again; a narrower window draws the charts narrower;
- the report with missing values: a station whose temperatures are all
  missing draws nothing, where one with values does;
- the monthly report without script: no chart, the table as it is;
- the largest report: the seconds until its charts exist (printed only).

A picture of each page is written to the artifacts folder.
"""
import argparse
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "harness"))
from headless_page import HeadlessPage, PageError  # noqa: E402

PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chart_probe.js")
HEADER_ROWS = 4
CHARTS_DRAWN = "typeof ReportCharts === 'object' && ReportCharts.complete && ReportCharts.charts.length > 0"
# The charts may be drawn while the table is still read; once the page is
# read, reading the table's height waits for the browser to lay it out.
TABLE_LAID_OUT = ("document.readyState === 'complete' && document.documentElement.className === '' && "
                  "document.getElementById('report').offsetHeight > 0")
DATE_AXIS_LABEL = re.compile(r"^\d{4}(/\d{2}){0,2}$")

# name, stations, data columns, periods, daily, charts as (column label, how it is drawn)
REPORTS = [
    ("daily", 3, 12, 90, True,
     [("降水量", "bars"), ("日照時間", "bars"), ("平均気温", "lines"), ("最高気温", "lines")]),
    ("monthly", 2, 10, 60, False,
     [("降水量", "bars"), ("平均風速", "lines"), ("最多風向", "points"), ("最高気温", "lines")]),
    ("yearly", 3, 12, 5, False,
     [("最大風速", "lines"), ("同風向", "points"), ("平均気温", "lines")]),
    ("missing", 3, 9, 31, True,
     [("降水量", "bars"), ("日照時間", "bars"), ("平均気温", "lines")]),
    ("largest", 51, 255, 1826, True,
     [("降水量", "bars"), ("最大風速", "lines"), ("同風向", "points"), ("最多風向", "points"), ("平均気温", "lines")]),
]
# The daily report's line chart, and the period whose value of its first
# station the pointer is put over.
MOUSE_CHART = 2
MOUSE_PERIOD = 10
NARROW_WINDOW = (800, 900)
RESIZE_WAIT_SECONDS = 10
# The width of each chart's plot and of the canvases drawn in it.
CHART_WIDTHS = ("Array.prototype.map.call(document.querySelectorAll('#charts .chart-plot'), function (plot) {"
                " return [plot.clientWidth].concat(Array.prototype.map.call(plot.querySelectorAll('canvas'),"
                " function (canvas) { return canvas.clientWidth; })); })")
# The missing-values report: 11011 (second in the legend) is a rain gauge,
# its temperatures are all missing; 11001 (first) has them.
MISSING_REPORT_TEMPERATURE_CHART = 2
STATION_WITH_VALUES = 0
STATION_WITHOUT_VALUES = 1

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)


def load_probe(page):
    with open(PROBE, encoding="utf-8") as probe:
        page.evaluate(probe.read())


def check_charts(page, name, stations, periods, daily, charts):
    summary = page.evaluate("ChartProbe.summary()")
    expect([(chart["element"], chart["kind"]) for chart in summary] == charts,
           "%s: charts %r, expected %r" % (name, [(c["element"], c["kind"]) for c in summary], charts))
    for chart in summary:
        expect(chart["series"] == stations and chart["rows"] == periods,
               "%s: %s has %d series of %d periods" % (name, chart["element"], chart["series"], chart["rows"]))
    compared = page.evaluate("ChartProbe.compareWithTable()")
    expect(not compared["mismatches"], "%s: drawn values differ from the table: %s"
           % (name, "; ".join(compared["mismatches"])))
    expect(compared["checked"] == stations * periods * len(charts),
           "%s: %d values compared" % (name, compared["checked"]))
    labels = set(page.evaluate("Array.prototype.map.call(document.getElementById('report').rows, "
                               "function (row) { return row.cells[0].textContent; })")[HEADER_ROWS:])
    for element, axis in zip([c["element"] for c in summary], page.evaluate("ChartProbe.xAxisLabels()")):
        expect(axis, "%s: %s has no x-axis labels" % (name, element))
        wrong = [text for text in axis if not (DATE_AXIS_LABEL.match(text) if daily else text in labels)]
        expect(not wrong, "%s: %s x-axis labels %r are no %s" % (name, element, wrong,
                                                                  "dates" if daily else "period labels"))
    return compared["missing"]


def check_hover(page, name, charts):
    for index, (element, kind) in enumerate(charts):
        shown = page.evaluate("ChartProbe.hover(%d)" % index)
        if shown is None:
            continue  # the first station has no value in this chart
        text = shown["text"]
        for part in ("period", "station", "value"):
            expect(shown[part] in text, "%s: hovering over %s shows %r, without the %s %r"
                   % (name, element, text, part, shown[part]))
        if shown["before"] == "現象年月日":
            expect(shown["beforeValue"] in text, "%s: hovering over %s lacks the day %r: %r"
                   % (name, element, shown["beforeValue"], text))
        if shown["after"] == "同風向" and element != "同風向":
            expect(shown["afterValue"] in text, "%s: hovering over %s lacks the direction %r: %r"
                   % (name, element, shown["afterValue"], text))


def check_legend(page, name, stations, charts):
    steps = page.evaluate("ChartProbe.toggleStations()")
    every = len(charts)
    expect(steps["firstOff"] == [[False] + [True] * (stations - 1)] * every,
           "%s: the first station's box did not hide it in every chart: %r" % (name, steps["firstOff"]))
    expect(steps["firstOn"] == [[True] * stations] * every, "%s: the first station did not come back" % name)
    expect(steps["allOff"] == [[False] * stations] * every, "%s: hiding all left some shown" % name)
    expect(steps["allOn"] == [[True] * stations] * every, "%s: showing all left some hidden" % name)


def mouse(page, action, point, clicks=0):
    page.command("Input.dispatchMouseEvent", session=True, type=action, x=point[0], y=point[1],
                 button="left" if clicks else "none", clickCount=clicks)


def check_mouse(page, name, periods):
    x, y = page.evaluate("ChartProbe.pointOf(%d, %d, 0)" % (MOUSE_CHART, MOUSE_PERIOD))
    mouse(page, "mouseMoved", (x, y))
    period = page.evaluate("ChartProbe.periodLabel(%d)" % MOUSE_PERIOD)
    shown = page.evaluate("ChartProbe.hoverText(%d)" % MOUSE_CHART)
    expect(period in shown, "%s: the pointer over %s shows %r" % (name, period, shown))
    left, _ = page.evaluate("ChartProbe.pointOf(%d, %d, 0)" % (MOUSE_CHART, periods // 3))
    right, _ = page.evaluate("ChartProbe.pointOf(%d, %d, 0)" % (MOUSE_CHART, 2 * periods // 3))
    mouse(page, "mousePressed", (left, y), 1)
    mouse(page, "mouseMoved", (right, y))
    mouse(page, "mouseReleased", (right, y), 1)
    zoomed = page.evaluate("ChartProbe.periodsShown(%d)" % MOUSE_CHART)
    expect(abs(zoomed[0] - periods // 3) <= 1 and abs(zoomed[1] - 2 * periods // 3) <= 1,
           "%s: dragging over periods %d to %d shows %r" % (name, periods // 3, 2 * periods // 3, zoomed))
    for clicks in (1, 2):
        mouse(page, "mousePressed", (right, y), clicks)
        mouse(page, "mouseReleased", (right, y), clicks)
    expect(page.evaluate("ChartProbe.periodsShown(%d)" % MOUSE_CHART) == [0, periods - 1],
           "%s: a double-click did not zoom out" % name)


def check_narrower_window(page, name):
    wide = page.evaluate(CHART_WIDTHS)
    page.command("Emulation.setDeviceMetricsOverride", session=True, width=NARROW_WINDOW[0],
                 height=NARROW_WINDOW[1], deviceScaleFactor=1, mobile=False)
    # The plots narrow at once; the charts follow when the window's resize
    # event reaches the page, in the next frame.
    followed = ("(%s).every(function (widths) { return widths[0] < %d && widths.every(function (width) {"
                " return width === widths[0]; }); })" % (CHART_WIDTHS, wide[0][0]))
    try:
        page.wait_for(followed, timeout=RESIZE_WAIT_SECONDS)
    except PageError:
        failures.append("%s: in a narrower window the canvases are not as wide as their plots: %r"
                        % (name, page.evaluate(CHART_WIDTHS)))
    finally:
        page.command("Emulation.clearDeviceMetricsOverride", session=True)


def check_missing_draws_nothing(page):
    chart = MISSING_REPORT_TEMPERATURE_CHART
    empty = page.evaluate("ChartProbe.pictureWith(%d, [])" % chart)
    without_values = page.evaluate("ChartProbe.pictureWith(%d, [%d])" % (chart, STATION_WITHOUT_VALUES))
    with_values = page.evaluate("ChartProbe.pictureWith(%d, [%d])" % (chart, STATION_WITH_VALUES))
    expect(without_values == empty, "missing: a station whose temperatures are all missing drew something")
    expect(with_values != empty, "missing: a station with temperatures drew nothing")


def check_report(page, path, report, artifacts):
    name, stations, columns, periods, daily, charts = report
    page.open("file://" + path, wait_for_load=False)
    charts_seconds = page.wait_for(CHARTS_DRAWN)
    try:
        table_seconds = charts_seconds + page.wait_for(TABLE_LAID_OUT)
    except PageError:
        failures.append("%s: the table was not shown again after the charts" % name)
        return
    if name == "largest":
        print("largest report (%d stations, %d periods): charts after %.2f s, table laid out after %.2f s"
              % (stations, periods, charts_seconds, table_seconds))
    load_probe(page)
    shape = page.evaluate("ChartProbe.tableShape()")
    expect(shape == [HEADER_ROWS + periods, 1 + columns], "%s: the table has %d rows of %d cells" % (name, *shape))
    missing = check_charts(page, name, stations, periods, daily, charts)
    if name == "missing":
        expect(missing > periods, "missing: only %d missing values in the report" % missing)
        check_missing_draws_nothing(page)
    check_hover(page, name, charts)
    check_legend(page, name, stations, charts)
    if name == "daily":
        check_mouse(page, name, periods)
        check_narrower_window(page, name)
    page.screenshot(os.path.join(artifacts, name + ".png"))


def check_without_script(page, path, periods):
    page.open("file://" + path, script=False)
    page.command("Emulation.setScriptExecutionDisabled", session=True, value=False)  # to read the page
    state = page.evaluate("[document.querySelectorAll('#charts *').length, document.querySelectorAll('canvas').length,"
                          " getComputedStyle(document.getElementById('report')).display,"
                          " document.getElementById('report').rows.length, typeof ReportCharts]")
    expect(state == [0, 0, "table", HEADER_ROWS + periods, "undefined"],
           "without script the page is not the table alone: %r" % state)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--db", required=True, help="the server's database (not read here)")
    parser.add_argument("--reports", required=True, help="where the test kept <name>.html")
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    with HeadlessPage() as page:
        for report in REPORTS:
            path = os.path.abspath(os.path.join(args.reports, report[0] + ".html"))
            try:
                check_report(page, path, report, args.artifacts)
            except PageError as error:
                failures.append("%s: %s" % (report[0], error))
        monthly = next(report for report in REPORTS if report[0] == "monthly")
        check_without_script(page, os.path.abspath(os.path.join(args.reports, "monthly.html")), monthly[3])
    for failure in failures:
        print("FAIL:", failure)
    print("report chart checks: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
