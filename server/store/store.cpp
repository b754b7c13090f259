#include "server/store/store.h"

#include <ctime>

#include "server/store/schema.h"

namespace {

constexpr const char* SIGN_IN_SQL =
    "SELECT client_no FROM client_mt WHERE user_id = $1 AND password = $2 ORDER BY client_no";
constexpr const char* RECORD_USAGE_SQL =
    "INSERT INTO fee_history_dt(client_no, feeday, data_total) VALUES ($1, $2, $3)";
// LIKE escapes differ between the engines (none in SQLite, a backslash in
// PostgreSQL), so the statement names its own escape character.
constexpr char LIKE_ESCAPE = '!';
constexpr const char* MONTHLY_USAGE_SQL =
    "SELECT SUM(data_total) FROM fee_history_dt WHERE client_no = $1 AND feeday LIKE $2 ESCAPE '!'";
// The same with the pattern's fixed beginning as a range, which the ledger's
// index answers without reading the client's other months.
constexpr const char* MONTHLY_USAGE_RANGE_SQL =
    "SELECT SUM(data_total) FROM fee_history_dt WHERE client_no = $1 AND feeday LIKE $2 ESCAPE '!' "
    "AND feeday >= $3 AND feeday < $4";
constexpr char FIRST_PRINTABLE = ' ';
constexpr char LAST_PRINTABLE = '~';

const char* ComparisonSql(Comparison comparison) {
  switch (comparison) {
    case Comparison::Equal: return " = ";
    case Comparison::NotEqual: return " <> ";
    case Comparison::Less: return " < ";
    case Comparison::LessOrEqual: return " <= ";
    case Comparison::Greater: return " > ";
    case Comparison::GreaterOrEqual: return " >= ";
  }
  return " = ";
}

std::string Placeholder(std::vector<SqlParam>& params, SqlParam value) {
  params.push_back(value);
  return "$" + std::to_string(params.size());
}

std::string ColumnList(const std::vector<size_t>& columns) {
  std::string list;
  for (size_t i = 0; i < columns.size(); ++i) list += (i ? ", " : "") + ObservationColumnName(columns[i]);
  return list;
}

// One SELECT per part joined by UNION ALL and sorted by the key: both engines
// merge the parts' index-ordered rows instead of sorting, and since rows of
// one key are the same row, dropping repeated keys afterwards gives what
// UNION would.
std::string ObservationSql(const ObservationQuery& query, std::vector<SqlParam>& params) {
  const ObservationTable& table = *query.table;
  std::vector<size_t> all(table.columns.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  std::string select = "SELECT " + ColumnList(all) + " FROM " + table.name + " WHERE sChiten = ";
  std::string sql;
  for (const ObservationPart& part : query.parts) {
    if (!sql.empty()) sql += " UNION ALL ";
    sql += select + Placeholder(params, part.station);
    for (const ColumnCondition& condition : part.conditions) {
      sql += " AND " + ObservationColumnName(condition.column) + ComparisonSql(condition.comparison) +
             Placeholder(params, condition.value);
    }
  }
  return sql + " ORDER BY " + ColumnList(KeyColumns(table));
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The text every match of `pattern` starts with, when a byte range can stand
// for it: printable ASCII without letters (SQLite's LIKE ignores their case).
// Empty when it cannot.
std::string FixedBeginning(const std::string& pattern) {
  std::string prefix = pattern.substr(0, pattern.find_first_of("%_"));
  for (char c : prefix) {
    if (c < FIRST_PRINTABLE || c > LAST_PRINTABLE || IsAsciiLetter(c)) return "";
  }
  return prefix;
}

std::string EscapedLikePattern(const std::string& pattern) {
  std::string escaped;
  for (char c : pattern) {
    if (c == LIKE_ESCAPE) escaped += LIKE_ESCAPE;
    escaped += c;
  }
  return escaped;
}

}  // namespace

bool Store::Open(const StoreConfig& config, std::string& error) {
  if (!primary_.Open(config.database, config.workers, error)) return false;
  if (!HoldsSchema(*primary_.Borrow())) {
    error = "database " + config.database + " holds no client_mt table";
    return false;
  }
  if (primary_.Kind() == Engine::Sqlite) {
    writer_ = std::make_unique<ConnectionPool>();
    if (!writer_->Open(config.database, 1, error)) return false;
  }
  if (!config.readDatabase.empty()) {
    observations_ = std::make_unique<ConnectionPool>();
    if (!observations_->Open(config.readDatabase, config.workers, error)) return false;
  }
  return true;
}

bool Store::SignIn(const std::string& userId, const std::string& password, std::vector<std::string>& clientNos,
                   std::string& error) {
  clientNos.clear();
  return primary_.Borrow()->Run(SIGN_IN_SQL, {userId, password},
                                [&clientNos](const ResultRow& row) { clientNos.emplace_back(row.Text(0)); }, error);
}

bool Store::RecordUsage(const std::string& clientNo, int64_t dataTotal, const std::string& feeday,
                        std::string& error) {
  ConnectionPool& pool = writer_ ? *writer_ : primary_;
  return pool.Borrow()->Run(RECORD_USAGE_SQL, {clientNo, feeday, dataTotal}, nullptr, error);
}

bool Store::MonthlyUsage(const std::string& clientNo, const std::string& pattern, std::string& sum,
                         std::string& error) {
  sum.clear();
  auto onRow = [&sum](const ResultRow& row) { row.AppendTo(0, sum); };
  std::string escaped = EscapedLikePattern(pattern);
  std::string low = FixedBeginning(pattern);
  if (low.empty()) return primary_.Borrow()->Run(MONTHLY_USAGE_SQL, {clientNo, escaped}, onRow, error);
  std::string high = low;
  ++high.back();
  return primary_.Borrow()->Run(MONTHLY_USAGE_RANGE_SQL, {clientNo, escaped, low, high}, onRow, error);
}

bool Store::ObservationRows(const ObservationQuery& query, const RowHandler& onRow, std::string& error) {
  std::vector<SqlParam> params;
  std::string sql = ObservationSql(query, params);
  std::vector<size_t> key = KeyColumns(*query.table);
  std::vector<int64_t> previous, current(key.size());
  auto onUniqueRow = [&](const ResultRow& row) {
    for (size_t i = 0; i < key.size(); ++i) current[i] = row.Integer(static_cast<int>(key[i]));
    if (current == previous) return;
    previous = current;
    onRow(row);
  };
  ConnectionPool& pool = observations_ ? *observations_ : primary_;
  return pool.Borrow()->Run(sql, params, onUniqueRow, error);
}

std::string LocalTimestamp() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}
