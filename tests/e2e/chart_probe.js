// Put into a report page by check_charts.py: reads what the page drew
// (ReportCharts, the page's charts) and what its table holds, and works the
// station legend as a user's clicks do. Every function returns plain values.
var ChartProbe = (function () {
  "use strict";

  var HEADER_ROWS = 4;
  var MISSING_MARK = "*****";
  var DIRECTIONS = ["静穏", "北北東", "北東", "東北東", "東", "東南東", "南東", "南南東", "南",
                    "南南西", "南西", "西南西", "西", "西北西", "北西", "北北西", "北"];

  var table = document.getElementById("report");

  function cell(row, column) {
    return table.rows[row].cells[column].textContent;
  }

  function periods() {
    return table.rows.length - HEADER_ROWS;
  }

  // What a table cell should be in its chart: null for the missing mark.
  function expectedValue(text, kind) {
    if (text === MISSING_MARK) return null;
    if (kind === "points") return DIRECTIONS.indexOf(text);
    return Number(text);
  }

  function plotOf(index) {
    return document.querySelectorAll("#charts .chart-plot")[index];
  }

  // The hover text chart `index` shows; "" when it shows none.
  function hoverTextOf(index) {
    var hover = plotOf(index).querySelector(".chart-hover");
    return hover.style.display === "none" ? "" : hover.textContent;
  }

  function stationBoxes() {
    return Array.prototype.slice.call(document.querySelectorAll("#charts .stations input[type=checkbox]"));
  }

  return {
    summary: function () {
      return ReportCharts.charts.map(function (chart) {
        return { element: chart.element, kind: chart.kind, series: chart.graph.labels().length,
                 rows: chart.graph.periods, labels: chart.graph.labels() };
      });
    },

    // Every value of every chart against its table cell, the column found
    // by the station number and element in the header.
    compareWithTable: function () {
      var found = { checked: 0, missing: 0, mismatches: [] };
      function mismatch(text) {
        if (found.mismatches.length < 10) found.mismatches.push(text);
      }
      var width = table.rows[0].cells.length;
      ReportCharts.charts.forEach(function (chart) {
        var graph = chart.graph;
        graph.labels().forEach(function (label, series) {
          var number = label.split(" ")[0];
          var column = -1;
          for (var c = 1; c < width; ++c) {
            if (cell(0, c) === number && cell(2, c) === chart.element) column = c;
          }
          if (column < 0) return mismatch(chart.element + " " + label + ": no such column");
          for (var row = 0; row < periods(); ++row) {
            var text = cell(HEADER_ROWS + row, column);
            var expected = expectedValue(text, chart.kind);
            var drawn = graph.value(row, series);
            found.checked++;
            if (expected === null) found.missing++;
            if (drawn !== expected) {
              mismatch(chart.element + " " + label + " row " + row + ": drawn " + drawn + " for " + text);
            }
          }
        });
      });
      return found;
    },

    xAxisLabels: function () {
      return ReportCharts.charts.map(function (chart) { return chart.graph.xLabels(); });
    },

    // Hovers over the first value of the chart's first station that is not
    // missing; returns the hover text and the table cells around the value.
    hover: function (index) {
      var chart = ReportCharts.charts[index];
      var label = chart.graph.labels()[0];
      for (var row = 0; row < periods(); ++row) {
        if (chart.graph.value(row, 0) === null) continue;
        chart.graph.select(row, 0);
        var column = chart.columns[0];
        var shown = { text: hoverTextOf(index), period: cell(HEADER_ROWS + row, 0), station: label,
                      value: cell(HEADER_ROWS + row, column), before: cell(2, column - 1),
                      beforeValue: cell(HEADER_ROWS + row, column - 1), after: "", afterValue: "" };
        if (column + 1 < table.rows[0].cells.length) {
          shown.after = cell(2, column + 1);
          shown.afterValue = cell(HEADER_ROWS + row, column + 1);
        }
        chart.graph.clearSelection();
        return shown;
      }
      return null;
    },

    periodLabel: function (row) {
      return cell(HEADER_ROWS + row, 0);
    },

    // Where chart `index` draws the value of `series` at `row`, in the
    // window, once the chart is scrolled into view.
    pointOf: function (index, row, series) {
      var graph = ReportCharts.charts[index].graph;
      plotOf(index).scrollIntoView();
      var box = plotOf(index).getBoundingClientRect();
      return [box.left + graph.toPixelX(row), box.top + graph.toPixelY(graph.value(row, series))];
    },

    hoverText: hoverTextOf,

    // The first and last whole periods on chart `index`'s x axis.
    periodsShown: function (index) {
      var graph = ReportCharts.charts[index].graph;
      return [graph.firstShown(), graph.lastShown()];
    },

    // Clicks the legend: the first station off, on again, all off, all on;
    // the visibility of every chart's series after each step.
    toggleStations: function () {
      function visibility() {
        return ReportCharts.charts.map(function (chart) { return chart.graph.visibility(); });
      }
      var buttons = document.querySelectorAll("#charts .stations button");
      var steps = {};
      stationBoxes()[0].click();
      steps.firstOff = visibility();
      stationBoxes()[0].click();
      steps.firstOn = visibility();
      buttons[1].click();
      steps.allOff = visibility();
      buttons[0].click();
      steps.allOn = visibility();
      return steps;
    },

    // The picture of a chart with only the given stations (positions in the
    // legend) shown; the legend is left with every station shown.
    pictureWith: function (index, stations) {
      var boxes = stationBoxes();
      boxes.forEach(function (box, position) {
        if (box.checked !== (stations.indexOf(position) >= 0)) box.click();
      });
      var picture = Array.prototype.map.call(plotOf(index).querySelectorAll("canvas"),
                                             function (canvas) { return canvas.toDataURL(); }).join("|");
      boxes.forEach(function (box) { if (!box.checked) box.click(); });
      return picture;
    },

    // Rows and cells per row of the table (labels included).
    tableShape: function () {
      return [table.rows.length, table.rows[0].cells.length];
    }
  };
})();
