#!/usr/bin/env python3
"""The largest report's page in headless Chromium: how soon it is usable,
and that its whole table is still there.

largest_report_page writes the largest report (255 columns x 1,826 days)
with the page template given, and the same report as CSV. The page is then
opened and timed (first paint, table shown, charts drawn, the whole table
read, the longest task after the table showed, scrolling to the table's
first row while the page is still read and to its first, middle and last
rows after, scrolling down a wheel's step a frame from the first row, while
the page is read (which makes the whole table read later) and after, and the
browser's CPU time), printed as figures and never asserted, since the
machine may be busy. It is timed in a browser that has finished setting
itself up, so the figures are the page's own; how soon it is usable is also
printed for a browser started just before the page, whose own start-up
shares the machine with it. The page counts as usable once every chart is
drawn and a screenful of the table's rows, below them, is drawn too, so
scrolling to it shows it at once.
Checked:

- the table: 4 + 1,826 rows of 256 cells, each row's texts those of its
  CSV line (a cell at the end among them), and the rows laid out one by one
  with those far below the screen skipped until they come near;
- the charts: one per drawn element, 51 series of 1,826 periods each;
- scrolling: a row scrolled to is drawn, while the page is read too;
- find in page reaches the last day and draws its row; selecting rows not
  drawn yet copies every cell of them;
- printing lays out the plain table (the page without script is checked
  on a smaller report by tests/e2e/check_charts.py).

Usage: check_largest_page.py GENERATOR TEMPLATE DATABASE MASTERS
(GENERATOR: largest_report_page; TEMPLATE: the report template of the
source tree; DATABASE and MASTERS: the sample database and its pick lists).
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools")
sys.path.insert(0, os.path.join(TOOLS, "harness"))
from headless_page import HeadlessPage, PageError  # noqa: E402

HEADER_ROWS = 4
PERIODS = 1826
COLUMNS = 255
STATIONS = 51
CHARTS = ["降水量", "最大風速", "同風向", "最多風向", "平均気温"]
LAST_DAY = "2003/12/31"
USABLE_WAIT_SECONDS = 300
SCROLLED_ROWS = [("first", HEADER_ROWS), ("middle", HEADER_ROWS + PERIODS // 2), ("last", HEADER_ROWS + PERIODS - 1)]

# Put into the page before anything of it runs: when the frame that showed
# the table with its first period rows was over, the frame that drew a
# screenful of its rows (below the charts, before any scrolling), and the
# frame that showed every chart (so the times include laying out and drawing
# them), and the page's long tasks. A frame is over when a task of the
# highest priority, posted from its animation frame, runs: the browser lays
# out and paints that frame first (the task also waits for the page's own
# tasks of that priority posted before it, the charts' steps, so the mark
# errs late, never early). The start of the next animation frame,
# which earlier figures took, is kept beside it in PageTiming.nextFrame: it
# also waits for whatever the browser does in between, such as a slice of
# reading the page of up to half a second.
TIMING_PROBE = r"""
window.PageTiming = { longTasks: [], nextFrame: {} };
if (window.PerformanceObserver) {
  new PerformanceObserver(function (list) {
    list.getEntries().forEach(function (task) {
      PageTiming.longTasks.push([task.startTime, task.duration]);
    });
  }).observe({ entryTypes: ["longtask"] });
}
(function watch(seen) {
  function mark(name, holds) {
    if (seen[name]) {
      PageTiming.nextFrame[name] = PageTiming.nextFrame[name] || performance.now();
    } else if (holds) {
      seen[name] = true;
      scheduler.postTask(function () { PageTiming[name] = performance.now(); }, { priority: "user-blocking" });
    }
  }
  function tableShows() {
    var table = document.getElementById("report");
    return table && table.rows.length > %d && getComputedStyle(table).display !== "none";
  }
  function firstScreenDrawn() {
    var rows = document.getElementById("report").rows;
    var screenRows = Math.ceil(innerHeight / rows[%d].getBoundingClientRect().height);
    var last = rows[%d + screenRows - 1];
    return !!last && last.cells[0].checkVisibility({ contentVisibilityAuto: true });
  }
  requestAnimationFrame(function () {
    var read = typeof ReportCharts === "object";
    mark("tableShown", read && tableShows());
    mark("firstScreenDrawn", seen.tableShown && firstScreenDrawn());
    mark("chartsDrawn", read && ReportCharts.complete);
    if (!(PageTiming.nextFrame.firstScreenDrawn && PageTiming.nextFrame.chartsDrawn)) watch(seen);
  });
})({});
""" % (HEADER_ROWS + 1, HEADER_ROWS, HEADER_ROWS)
USABLE = ("window.PageTiming && PageTiming.firstScreenDrawn && PageTiming.chartsDrawn && "
          "PageTiming.nextFrame.firstScreenDrawn && PageTiming.nextFrame.chartsDrawn")
PAGE_FIGURES = """JSON.stringify({
  firstPaint: (performance.getEntriesByName("first-contentful-paint")[0] || {}).startTime,
  tableShown: PageTiming.tableShown,
  firstScreenDrawn: PageTiming.firstScreenDrawn,
  chartsDrawn: PageTiming.chartsDrawn,
  usable: Math.max(PageTiming.firstScreenDrawn, PageTiming.chartsDrawn),
  usableNextFrame: Math.max(PageTiming.nextFrame.firstScreenDrawn, PageTiming.nextFrame.chartsDrawn),
  tableRead: performance.getEntriesByType("navigation")[0].domContentLoadedEventStart,
  longestAfterShown: Math.max.apply(null, [0].concat(PageTiming.longTasks.filter(function (task) {
    return task[0] + task[1] > PageTiming.tableShown;
  }).map(function (task) { return task[1]; })))
})"""
# Whether a row's cells are drawn: a row off the screen is drawn as an empty
# box of its size, its cells skipped.
ROW_DRAWN = "document.getElementById('report').rows[%d].cells[0].checkVisibility({ contentVisibilityAuto: true })"
# Milliseconds from scrolling a row into view until the frame that draws
# every row then on the screen is over (the next frame starts), and whether
# they were drawn within the wait. The browser marks a row to be drawn in the
# frame after it comes near the screen, and lays it out in the frame after.
SCROLL_TO_ROW = """new Promise(function (resolve) {
  var rows = document.getElementById("report").rows;
  var target = %d;
  var start = performance.now();
  rows[target].scrollIntoView();
  function screenDrawn() {
    for (var step = -1; step <= 1; step += 2) {
      for (var row = target; row >= 0 && row < rows.length; row += step) {
        var box = rows[row].getBoundingClientRect();
        if (box.bottom <= 0 || box.top >= innerHeight) break;
        if (!rows[row].cells[0].checkVisibility({ contentVisibilityAuto: true })) return false;
      }
    }
    return true;
  }
  (function next(framesLeft) {
    requestAnimationFrame(function () {
      var drawn = screenDrawn();
      if ((drawn && framesLeft === 0) || performance.now() - start > 10000) {
        resolve([performance.now() - start, drawn]);
      } else {
        next(drawn ? 0 : 1);
      }
    });
  })(1);
})"""
# Milliseconds between frames while the table is scrolled down a few rows a
# frame, as a wheel does, from where it stands: their median and longest.
WHEEL_STEP_PX = 100
WHEEL_FRAMES = 20
WHEEL_SCROLL = """new Promise(function (resolve) {
  var times = [];
  (function next(framesLeft) {
    requestAnimationFrame(function () {
      times.push(performance.now());
      if (framesLeft === 0) {
        var gaps = times.slice(1).map(function (time, index) { return time - times[index]; });
        gaps.sort(function (a, b) { return a - b; });
        resolve([gaps[gaps.length >> 1], gaps[gaps.length - 1]]);
        return;
      }
      window.scrollBy(0, %d);
      next(framesLeft - 1);
    });
  })(%d);
})""" % (WHEEL_STEP_PX, WHEEL_FRAMES)
TABLE_TEXTS = """Array.prototype.map.call(document.getElementById("report").rows, function (row) {
  return Array.prototype.map.call(row.cells, function (cell) { return cell.textContent; }).join(",");
})"""
FIND_LAST_DAY = """(function () {
  window.scrollTo(0, 0);
  getSelection().removeAllRanges();
  if (!window.find("%s")) return null;
  var row = getSelection().anchorNode.parentElement.closest("tr");
  var box = row.getBoundingClientRect();
  return [row.rowIndex, row.cells[0].checkVisibility({ contentVisibilityAuto: true }),
          box.bottom > 0 && box.top < window.innerHeight];
})()""" % LAST_DAY
# The text a selection of the last rows, not drawn yet, copies (the browser
# puts a tab or a line end between two cells, as it does in the plain table).
SELECT_LAST_ROWS = """(function () {
  window.scrollTo(0, 0);
  var rows = document.getElementById("report").rows;
  var range = document.createRange();
  range.setStartBefore(rows[rows.length - %d]);
  range.setEndAfter(rows[rows.length - 1]);
  getSelection().removeAllRanges();
  getSelection().addRange(range);
  var text = getSelection().toString();
  getSelection().removeAllRanges();
  return text;
})()"""
SELECTED_ROWS = 10
PLAIN_TABLE = """(function () {
  var table = document.getElementById("report");
  var last = table.rows[table.rows.length - 1];
  return [getComputedStyle(table).display, getComputedStyle(last).display,
          getComputedStyle(last).contentVisibility, table.rows.length];
})()"""

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)


def write_report(generator, template, database, masters, folder):
    subprocess.run([generator, template, database, masters, folder], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "temp.csv"), encoding="cp932") as csv:
        return [line.rstrip("\n") for line in csv]


def open_timed(page, url):
    """Opens the page with the timing probe in it and waits until it is
    usable (PageError when it is not within USABLE_WAIT_SECONDS)."""
    page.command("Page.addScriptToEvaluateOnNewDocument", session=True, source=TIMING_PROBE)
    page.open(url, wait_for_load=False)
    page.wait_for(USABLE, timeout=USABLE_WAIT_SECONDS)


def page_figures(page):
    """The page's timing figures in seconds (0 for a mark not reached yet)."""
    return {name: (value or 0) / 1000 for name, value in json.loads(page.evaluate(PAGE_FIGURES)).items()}


def time_to_usable(page, url):
    """Opens the page, once the browser has set itself up, and returns its
    figures in seconds once it is read, and what scrolling to the table's
    first row gave as soon as the page was usable."""
    settling = page.settle()
    cpu = page.cpu_seconds()
    open_timed(page, url)
    reading = page.evaluate("document.readyState") == "loading"
    milliseconds, drawn = page.evaluate(SCROLL_TO_ROW % HEADER_ROWS)
    expect(drawn, "the first row was not drawn once scrolled to as the page became usable")
    early = "first row %.0f ms %s" % (milliseconds, "while the page is read" if reading else "(page read)")
    early += "; then " + wheel_figure(page)
    page.wait_for("document.readyState === 'complete'", timeout=USABLE_WAIT_SECONDS)
    figures = page_figures(page)
    figures["cpu"] = page.cpu_seconds() - cpu
    figures["settling"] = settling
    return figures, early


def usable_in_a_browser_just_started(url):
    """Seconds until the page is usable when it is opened the moment the
    browser has started, as when the shell starts the browser for it."""
    with HeadlessPage() as page:
        open_timed(page, url)
        return page_figures(page)["usable"]


def check_table(page, csv_lines):
    expect(page.evaluate(ROW_DRAWN % (HEADER_ROWS + PERIODS - 1)) is False,
           "the last row was drawn before it came near the screen: the table is not laid out row by row")
    texts = page.evaluate(TABLE_TEXTS)
    expect(len(texts) == HEADER_ROWS + PERIODS, "the table has %d rows" % len(texts))
    cells = set(len(text.split(",")) for text in texts)
    expect(cells == {1 + COLUMNS}, "the table's rows have %r cells" % sorted(cells))
    differing = [index for index, (text, line) in enumerate(zip(texts, csv_lines)) if text != line]
    expect(not differing, "%d rows differ from the CSV report, the first row %s" % (len(differing), differing[:1]))
    expect(texts and texts[-1].split(",")[-1] == csv_lines[-1].split(",")[-1],
           "the last cell is %r" % (texts[-1].split(",")[-1] if texts else None))


def check_charts(page):
    summary = page.evaluate("ReportCharts.charts.map(function (chart) {"
                            " return [chart.element, chart.graph.labels().length, chart.graph.periods]; })")
    expect(summary == [[element, STATIONS, PERIODS] for element in CHARTS], "the charts are %r" % summary)


def wheel_figure(page):
    return "%d px a frame: frames of %.0f ms, longest %.0f ms" % ((WHEEL_STEP_PX,) + tuple(page.evaluate(WHEEL_SCROLL)))


def scroll_figures(page):
    page.evaluate(SCROLL_TO_ROW % HEADER_ROWS)
    figures = ["from the first row " + wheel_figure(page)]
    for name, row in SCROLLED_ROWS:
        milliseconds, drawn = page.evaluate(SCROLL_TO_ROW % row)
        expect(drawn, "the %s row was not drawn once scrolled to" % name)
        figures.append("%s row %.0f ms" % (name, milliseconds))
    return ", ".join(figures)


def check_find_select_print(page, csv_lines):
    found = page.evaluate(FIND_LAST_DAY)
    expect(found == [HEADER_ROWS + PERIODS - 1, True, True],
           "find in page for %s gave [row, drawn, on the screen] %r" % (LAST_DAY, found))
    copied = page.evaluate(SELECT_LAST_ROWS % SELECTED_ROWS).split()
    cells = ",".join(csv_lines[-SELECTED_ROWS:]).split(",")
    expect(copied == cells, "selecting the last %d rows copies %d cells of %d, ending %r"
           % (SELECTED_ROWS, len(copied), len(cells), copied[-3:]))
    page.command("Emulation.setEmulatedMedia", session=True, media="print")
    printed = page.evaluate(PLAIN_TABLE)
    page.command("Emulation.setEmulatedMedia", session=True, media="")
    expect(printed == ["table", "table-row", "visible", HEADER_ROWS + PERIODS],
           "printing lays out %r, not the plain table" % printed)


def main():
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    generator, template, database, masters = sys.argv[1:]
    folder = tempfile.mkdtemp(prefix="largest-page-")
    try:
        csv_lines = write_report(generator, template, database, masters, folder)
        url = "file://" + os.path.join(folder, "temp.html")
        megabytes = os.path.getsize(os.path.join(folder, "temp.html")) / 1e6
        try:
            just_started = usable_in_a_browser_just_started(url)
            with HeadlessPage() as page:
                figures, early_scroll = time_to_usable(page, url)
                print("largest report page (%d columns x %d days, %.1f MB), load average %.1f:" % (
                      COLUMNS, PERIODS, megabytes, os.getloadavg()[0]))
                print("  first paint %(firstPaint).2f s, table shown %(tableShown).2f s, its first screen "
                      "drawn %(firstScreenDrawn).2f s, charts drawn %(chartsDrawn).2f s, whole table read "
                      "%(tableRead).2f s; longest task after the table showed %(longestAfterShown).2f s; "
                      "browser CPU %(cpu).2f s" % figures)
                print("  usable (first screen of the table and charts drawn) at %.2f s (the next frame began "
                      "at %.2f s); scrolling then: %s" % (figures["usable"], figures["usableNextFrame"], early_scroll))
                print("  in a browser started just before the page (still setting itself up, which took "
                      "%.1f s before the page above): usable at %.2f s" % (figures["settling"], just_started))
                check_table(page, csv_lines)
                check_charts(page)
                print("  scrolling: " + scroll_figures(page))
                check_find_select_print(page, csv_lines)
        except PageError as error:
            failures.append(str(error))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    print("largest report page checks: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
