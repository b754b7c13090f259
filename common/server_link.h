// ServerLink: the SQL-over-HTTP client both programs use to reach a database
// server. One Execute is one complete exchange (its own internet session,
// connection and request) and one transaction on the server.
#pragma once

#include <functional>
#include <string>

// Appended after every row taken into the result text.
constexpr const char* VIEWER_ROW_TERMINATOR = ",\n";  // the viewer splits values at commas
constexpr const char* LAUNCHER_ROW_TERMINATOR = "\n";

class ServerLink {
 public:
  explicit ServerLink(const char* rowTerminator);

  // Host name or dotted IPv4 address of the database server; set before Execute.
  std::string server;
  // True: HTTPS on port 443, the server's certificate checked against the
  // system's trust store and no redirect followed; false: plain HTTP on port 80.
  bool secure = false;

  // Posts "sql=BEGIN;" + statement + "COMMIT;" to norda/dbcommit.php and
  // appends every data row of the reply to `result`, each followed by the row
  // terminator. Returns true when the status was 200 and no reply line held
  // "ERROR:"; `rowCount` then holds the rows appended. On false `rowCount` is
  // 0 and rows appended before the failure was known stay in `result`. Errors
  // of the internet layer (a certificate that does not check out among them,
  // raised before anything is sent) leave as platform::CInternetException,
  // with `rowCount` 0 and every handle closed.
  bool Execute(const std::string& statement, std::string& result, int& rowCount);

  // The first "ERROR:" line of the last Execute's reply, so a caller can
  // tell one refusal from another; empty when the reply held none.
  std::string errorLine;

 private:
  std::string rowTerminator;
};

// What the programs tell the user when an exchange failed, and when the
// internet layer raised an exception during one.
constexpr char COMMUNICATION_ERROR_MESSAGE[] = "通信中にエラーが発生しました。";
constexpr char APPLICATION_ERROR_MESSAGE[] = "アプリケーションエラーが発生しました。";

// How one guarded exchange ended: done, reported as failed, refused at its
// secure connection (the server's certificate did not check out), or ended
// by another exception, which was caught.
enum class ExchangeResult { Done, Failed, Refused, Raised };

// Runs `exchange` (true when it succeeded) with every exception caught, so
// that no exchange can end a program, and tells how it ended.
ExchangeResult GuardExchange(const std::function<bool()>& exchange);

// One `link.Execute` under the wait cursor, guarded by GuardExchange. The
// cursor is back when it returns, before the caller tells the user anything.
ExchangeResult ExecuteGuarded(ServerLink& link, const std::string& statement, std::string& reply, int& rowCount);

// What the user is told when an exchange did not end Done: the
// communication message when it failed or its secure connection was
// refused, the application error message when it raised anything else.
const char* ExchangeFailureMessage(ExchangeResult result);
