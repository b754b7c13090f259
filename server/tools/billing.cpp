#include "server/tools/billing.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "server/accounts/account_rules.h"

namespace {

constexpr const char* TOTAL = "total";
constexpr const char* CSV_LINE_END = "\r\n";
constexpr const char* SHORT_MARK = "yes";
constexpr size_t COLUMNS = 6;
constexpr size_t FIRST_NUMBER_COLUMN = 2;
const std::vector<std::string> HEADINGS = {"client_no",     "user_ids",       "usage_records",
                                           "rows_reported", "rows_delivered", "short"};

bool IsMonth(const std::string& month) {
  if (month.size() != 7 || month[4] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6}) {
    if (month[i] < '0' || month[i] > '9') return false;
  }
  int number = std::stoi(month.substr(5));
  return number >= 1 && number <= 12;
}

// A CSV field, quoted when it holds a separator, a quote or a line end.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

size_t DisplayWidth(const std::string& utf8) {
  size_t width = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) == 0x80) continue;
    width += c >= 0xE0 ? 2 : 1;  // CJK characters take two columns
  }
  return width;
}

std::string Padded(const std::string& text, size_t width, bool right) {
  std::string padding(width > DisplayWidth(text) ? width - DisplayWidth(text) : 0, ' ');
  return right ? padding + text : text + padding;
}

}  // namespace

bool MonthlyBilling(Connection& db, const std::string& month, std::vector<BillingLine>& lines, std::string& error) {
  lines.clear();
  if (!IsMonth(month)) {
    error = "a month is YYYY-MM: \"" + month + "\"";
    return false;
  }
  std::map<std::string, BillingLine> byClient;
  bool read =
      db.Run("SELECT client_no, user_id FROM client_mt ORDER BY client_no, user_id", {},
             [&byClient](const ResultRow& row) {
               BillingLine& line = byClient[std::string(row.Text(0))];
               line.clientNo = row.Text(0);
               if (!line.userIds.empty()) line.userIds += ' ';
               line.userIds += row.Text(1);
             },
             error) &&
      db.Run("SELECT client_no, count(*), SUM(CASE WHEN data_total > $2 THEN $2 ELSE data_total END) "
             "FROM fee_history_dt WHERE feeday LIKE $1 GROUP BY client_no",
             {month + "-%", MAX_USAGE_ROWS},
             [&byClient](const ResultRow& row) {
               BillingLine& line = byClient[std::string(row.Text(0))];
               line.clientNo = row.Text(0);
               line.records = row.Integer(1);
               line.reportedRows = row.Integer(2);
             },
             error) &&
      db.Run("SELECT client_no, SUM(delivered_rows) FROM delivery_dt WHERE delivered_on LIKE $1 GROUP BY client_no",
             {month + "-%"},
             [&byClient](const ResultRow& row) {
               BillingLine& line = byClient[std::string(row.Text(0))];
               line.clientNo = row.Text(0);
               line.deliveredRows = row.Integer(1);
             },
             error);
  if (!read) return false;
  BillingLine total;
  total.clientNo = TOTAL;
  for (auto& [clientNo, line] : byClient) {
    total.records += line.records;
    total.reportedRows += line.reportedRows;
    total.deliveredRows += line.deliveredRows;
    lines.push_back(line);
  }
  lines.push_back(total);
  return true;
}

namespace {

// The headings, then one row of cells per line.
std::vector<std::vector<std::string>> Cells(const std::vector<BillingLine>& lines) {
  std::vector<std::vector<std::string>> cells = {HEADINGS};
  for (const BillingLine& line : lines) {
    cells.push_back({line.clientNo, line.userIds, std::to_string(line.records), std::to_string(line.reportedRows),
                     std::to_string(line.deliveredRows), line.ReportsTooFew() ? SHORT_MARK : ""});
  }
  return cells;
}

}  // namespace

std::string BillingCsv(const std::vector<BillingLine>& lines) {
  std::string csv;
  for (const auto& row : Cells(lines)) {
    for (size_t i = 0; i < COLUMNS; ++i) csv += (i ? "," : "") + CsvField(row[i]);
    csv += CSV_LINE_END;
  }
  return csv;
}

std::string BillingTable(const std::vector<BillingLine>& lines) {
  std::vector<std::vector<std::string>> cells = Cells(lines);
  size_t widths[COLUMNS] = {};
  for (const auto& row : cells) {
    for (size_t i = 0; i < COLUMNS; ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
  }
  std::string table;
  for (const auto& row : cells) {
    std::string line;
    for (size_t i = 0; i < COLUMNS; ++i) {
      line += (i ? "  " : "") + Padded(row[i], widths[i], i >= FIRST_NUMBER_COLUMN);
    }
    table += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  }
  return table;
}
