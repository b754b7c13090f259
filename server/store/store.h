// The typed operations the protocol asks of the database: sign in, record
// usage, this month's usage, observation rows. Each runs the server's own
// prepared statements with the request's values bound; no client text ever
// becomes SQL. The same statements serve both engines.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/accounts/account_rules.h"
#include "server/accounts/sign_in.h"
#include "server/database/connection.h"
#include "server/database/connection_pool.h"
#include "server/store/delivery_tally.h"
#include "server/store/observation_query.h"
#include "server/store/reader_memory.h"

struct StoreConfig {
  std::string database;      // the primary: accounts, ledger, and observations unless readDatabase is set
  std::string readDatabase;  // optional: where observation rows are read (a replica)
  size_t workers = 1;        // threads that may call the store at once
  AccountRules rules;
  // Observations for any client, counted for none: a server of data only.
  bool openReads = false;
};

enum class UsageOutcome {
  Recorded,
  NotSignedIn  // the client did not sign in from this address lately, or has no account
};

enum class ReadOutcome {
  Served,           // the rows went to the handler (and, unless reads are open, to the client's tally)
  NotSignedIn,      // no account signed in from this address within the usage window: nothing read
  AllowanceReached  // the client's delivered rows this month reached its allowance: nothing read
};

class Store {
 public:
  // Opens the connections: `workers` readers of the primary and, for
  // SQLite, one writer through which every write goes (WAL lets the readers
  // go on meanwhile); PostgreSQL writes through its readers' pool. With
  // readDatabase, `workers` more for observations. Returns false with
  // `error` set when a database cannot be opened or holds no schema.
  bool Open(const StoreConfig& config, std::string& error);

  // Signs in as SignInPolicy does, through the primary and the writer;
  // after a success the next read from `address` looks up its new reader.
  bool SignIn(const std::string& userId, const std::string& password, const std::string& address,
              std::vector<std::string>& clientNos, SignInOutcome& outcome, std::string& error);

  // Adds one usage row dated `feeday`, counting `dataTotal` rows (at most
  // MAX_USAGE_ROWS), if the client has an account and signed in from
  // `address` within the rules' usage window (else NotSignedIn and nothing
  // added). Returns once the row is committed; false with `error` set
  // (nothing added) when the database fails.
  bool RecordUsage(const std::string& clientNo, int64_t dataTotal, const std::string& feeday,
                   const std::string& address, UsageOutcome& outcome, std::string& error);

  // The sum of the client's rows whose feeday matches the LIKE `pattern`
  // ("%" any text, "_" one character); `sum` is empty when no row matches.
  // A row recorded before counts were bounded counts MAX_USAGE_ROWS at
  // most, so the sum never overflows.
  bool MonthlyUsage(const std::string& clientNo, const std::string& pattern, std::string& sum, std::string& error);

  // Hands every row of `query` to `onRow` once, in key order (station, then
  // period), all columns in table order. Returns false with `error` set when
  // the database fails; rows handed over before that stay handed over.
  bool ObservationRows(const ObservationQuery& query, const RowHandler& onRow, std::string& error);

  // True when the primary answers a trivial query; false with `error` set.
  // Waits for a free connection like any request.
  bool Answers(std::string& error);

  // The connections of every pool, and how often a request waited for one.
  PoolStatistics Pools() const;
  // Observation rows for the client at `address`: the latest account that
  // signed in from it within the usage window is the reader (remembered
  // for a moment, see ReaderMemory). Nothing is read (NotSignedIn) without
  // one, nor (AllowanceReached) once the rows delivered to its client this
  // month, by the local date, have reached the account's allowance: those
  // in the table and those this server has not written yet. Otherwise the
  // rows go to `onRow` as ObservationRows hands them over, and their count
  // joins the client's tally for `day` ("YYYY-MM-DD"), written within
  // DeliveryTally::FLUSH_INTERVAL. With open reads every address is served
  // and nothing counted. Returns false with `error` set when the database
  // fails; rows handed over then must not be sent.
  bool ObservationRowsFor(const ObservationQuery& query, const std::string& address, const std::string& day,
                          const RowHandler& onRow, ReadOutcome& outcome, std::string& error);

 private:
  // The reader at `address` on `day`; false in `found` when none signed in lately.
  bool FindReader(const std::string& address, const std::string& day, Reader& reader, bool& found,
                  std::string& error);

  bool openReads_ = false;
  ConnectionPool& Writer() { return writer_ ? *writer_ : primary_; }

  AccountRules rules_;
  std::unique_ptr<SignInPolicy> signIns_;
  ConnectionPool primary_;
  std::unique_ptr<ConnectionPool> writer_;        // SQLite only
  std::unique_ptr<ConnectionPool> observations_;  // with a read database only
  ReaderMemory readers_;
  // Last, so that it is destroyed first and writes its pending rows while
  // the store is whole.
  std::unique_ptr<DeliveryTally> tally_;  // unless reads are open
};
