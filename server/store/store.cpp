#include "server/store/store.h"

#include <map>

#include "server/store/schema.h"
#include "server/text/local_time.h"

namespace {

constexpr const char* SIGNED_IN_SQL =
    "SELECT count(*) FROM sign_in_dt s JOIN client_mt c ON c.client_no = s.client_no "
    "WHERE s.client_no = $1 AND s.address = $2 AND s.signed_in > $3";
// The account whose sign-in from the address is the latest; its delivered
// rows this month are summed only when it has an allowance to hold them to.
constexpr const char* READER_SQL =
    "SELECT s.client_no, s.signed_in, c.allowance, CASE WHEN c.allowance IS NULL THEN 0 ELSE "
    "(SELECT COALESCE(SUM(d.delivered_rows), 0) FROM delivery_dt d "
    "WHERE d.client_no = s.client_no AND d.delivered_on >= $3 AND d.delivered_on <= $4) END "
    "FROM sign_in_dt s JOIN client_mt c ON c.client_no = s.client_no "
    "WHERE s.address = $1 AND s.signed_in > $2 AND c.disabled = 0 "
    "ORDER BY s.signed_in DESC, s.client_no LIMIT 1";
// The first and last day of a month as texts compare.
constexpr const char* FIRST_DAY = "-01";
constexpr const char* LAST_DAY = "-31";
constexpr const char* RECORD_USAGE_SQL =
    "INSERT INTO fee_history_dt(client_no, feeday, data_total) VALUES ($1, $2, $3)";
// LIKE escapes differ between the engines (none in SQLite, a backslash in
// PostgreSQL), so the statement names its own escape character.
constexpr char LIKE_ESCAPE = '!';
constexpr const char* MONTHLY_USAGE_SQL =
    "SELECT SUM(CASE WHEN data_total > $3 THEN $3 ELSE data_total END) FROM fee_history_dt "
    "WHERE client_no = $1 AND feeday LIKE $2 ESCAPE '!'";
// The same with the pattern's fixed beginning as a range, which the ledger's
// index answers without reading the client's other months.
constexpr const char* MONTHLY_USAGE_RANGE_SQL =
    "SELECT SUM(CASE WHEN data_total > $3 THEN $3 ELSE data_total END) FROM fee_history_dt "
    "WHERE client_no = $1 AND feeday LIKE $2 ESCAPE '!' AND feeday >= $4 AND feeday < $5";
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
  rules_ = config.rules;
  signIns_ = std::make_unique<SignInPolicy>(config.rules);
  openReads_ = config.openReads;
  if (!primary_.Open(config.database, config.workers, error)) return false;
  std::string problem;
  if (!SchemaIsCurrent(*primary_.Borrow(), problem)) {
    error = problem + " (norda_admin init creates the tables, norda_admin upgrade brings older ones up to date)";
    return false;
  }
  if (primary_.Kind() == Engine::Sqlite) {
    writer_ = std::make_unique<ConnectionPool>();
    if (!writer_->Open(config.database, 1, error)) return false;
  }
  if (!config.openReads) {
    tally_ = std::make_unique<DeliveryTally>();
    if (!tally_->Open(config.database, error)) return false;
  }
  if (!config.readDatabase.empty()) {
    observations_ = std::make_unique<ConnectionPool>();
    if (!observations_->Open(config.readDatabase, config.workers, error)) return false;
  }
  return true;
}

bool Store::SignIn(const std::string& userId, const std::string& password, const std::string& address,
                   std::vector<std::string>& clientNos, SignInOutcome& outcome, std::string& error) {
  if (!signIns_->SignIn(primary_, Writer(), userId, password, address, clientNos, outcome, error)) return false;
  if (!clientNos.empty()) readers_.Forget(address);
  return true;
}

bool Store::RecordUsage(const std::string& clientNo, int64_t dataTotal, const std::string& feeday,
                        const std::string& address, UsageOutcome& outcome, std::string& error) {
  int64_t since = EpochSeconds() - rules_.usageWindow.count();
  ConnectionPool::Lease db = Writer().Borrow();
  return RunInTransaction(
      *db,
      [&](std::string& failure) {
        int64_t signedIn = 0;
        if (!CountOf(*db, SIGNED_IN_SQL, {clientNo, address, since}, signedIn, failure)) return false;
        outcome = signedIn > 0 ? UsageOutcome::Recorded : UsageOutcome::NotSignedIn;
        return signedIn == 0 || db->Run(RECORD_USAGE_SQL, {clientNo, feeday, dataTotal}, nullptr, failure);
      },
      error);
}

bool Store::MonthlyUsage(const std::string& clientNo, const std::string& pattern, std::string& sum,
                         std::string& error) {
  sum.clear();
  auto onRow = [&sum](const ResultRow& row) { row.AppendTo(0, sum); };
  std::string escaped = EscapedLikePattern(pattern);
  std::string low = FixedBeginning(pattern);
  if (low.empty()) return primary_.Borrow()->Run(MONTHLY_USAGE_SQL, {clientNo, escaped, MAX_USAGE_ROWS}, onRow, error);
  std::string high = low;
  ++high.back();
  return primary_.Borrow()->Run(MONTHLY_USAGE_RANGE_SQL, {clientNo, escaped, MAX_USAGE_ROWS, low, high}, onRow,
                                error);
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

bool Store::Answers(std::string& error) { return primary_.Borrow()->Run("SELECT 1", {}, nullptr, error); }

PoolStatistics Store::Pools() const {
  PoolStatistics statistics;
  const ConnectionPool* pools[] = {&primary_, writer_.get(), observations_.get()};
  for (const ConnectionPool* pool : pools) {
    if (pool == nullptr) continue;
    statistics.size += pool->Size();
    statistics.waits += pool->Waits();
  }
  return statistics;
}

bool Store::ObservationRowsFor(const ObservationQuery& query, const std::string& address, const std::string& day,
                               const RowHandler& onRow, ReadOutcome& outcome, std::string& error) {
  outcome = ReadOutcome::Served;
  if (openReads_) return ObservationRows(query, onRow, error);
  Reader reader;
  bool found = false;
  if (!FindReader(address, day, reader, found, error)) return false;
  if (!found) {
    outcome = ReadOutcome::NotSignedIn;
    return true;
  }
  if (reader.hasAllowance && reader.deliveredThisMonth >= reader.allowance) {
    outcome = ReadOutcome::AllowanceReached;
    return true;
  }
  int64_t rows = 0;
  auto counted = [&rows, &onRow](const ResultRow& row) {
    ++rows;
    onRow(row);
  };
  if (!ObservationRows(query, counted, error)) return false;
  if (rows > 0) tally_->Add(reader.clientNo, day, rows);
  return true;
}

bool Store::FindReader(const std::string& address, const std::string& day, Reader& reader, bool& found,
                       std::string& error) {
  found = false;
  std::string month = day.substr(0, MONTH_TEXT_LENGTH);
  std::string first = month + FIRST_DAY, last = month + LAST_DAY;
  int64_t since = EpochSeconds() - rules_.usageWindow.count();
  if (readers_.Recall(address, since, reader)) {
    found = true;
    return true;
  }
  // Rows not yet written are taken before the table is read, so a flush
  // committing in between counts them twice, never not at all.
  std::map<std::string, int64_t> unwritten = tally_->Unwritten(month);
  auto take = [&](const ResultRow& row) {
    found = true;
    reader.clientNo = row.Text(0);
    reader.signedIn = row.Integer(1);
    reader.hasAllowance = !row.IsNull(2);
    reader.allowance = row.Integer(2);
    reader.deliveredThisMonth = row.Integer(3);
  };
  if (!primary_.Borrow()->Run(READER_SQL, {address, since, first, last}, take, error)) return false;
  if (!found) return true;
  auto mine = unwritten.find(reader.clientNo);
  if (reader.hasAllowance && mine != unwritten.end()) reader.deliveredThisMonth += mine->second;
  readers_.Remember(address, reader);
  return true;
}
