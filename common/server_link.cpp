#include "common/server_link.h"

#include <memory>

#include "common/reply_reader.h"
#include "platform/internet.h"
#include "platform/wait_cursor.h"

namespace {
constexpr const char* USER_AGENT = "HTTP-POST";
constexpr std::uintptr_t CONTEXT = 1;
constexpr const char* SCRIPT_PATH = "norda/dbcommit.php";
constexpr const char* CONTENT_TYPE_HEADER = "Content-Type: application/x-www-form-urlencoded";
constexpr const char* BODY_START = "sql=BEGIN;";
constexpr const char* BODY_END = "COMMIT;";
constexpr std::size_t READ_BLOCK_SIZE = 4096;
constexpr unsigned long REQUEST_FLAGS = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// A secure request follows no redirect: the internet layer would post the
// body (the password among it) again to wherever the reply points, in clear
// if that is a plain address. The redirect's status fails the exchange.
constexpr unsigned long SECURE_REQUEST_FLAGS = REQUEST_FLAGS | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
}  // namespace

ServerLink::ServerLink(const char* rowTerminator) : rowTerminator(rowTerminator) {}

bool ServerLink::Execute(const std::string& statement, std::string& result, int& rowCount) {
  rowCount = 0;
  errorLine.clear();
  // Declared in this order so that the request closes first, then the
  // connection, then the session, on every way out of this function.
  platform::CInternetSession session(USER_AGENT, CONTEXT, INTERNET_OPEN_TYPE_PRECONFIG, 0);
  std::unique_ptr<platform::CHttpConnection> connection =
      session.GetHttpConnection(server.c_str(), secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
  std::unique_ptr<platform::CHttpFile> request =
      connection->OpenRequest("POST", SCRIPT_PATH, secure ? SECURE_REQUEST_FLAGS : REQUEST_FLAGS);

  // Sent exactly as given: the server takes the field unencoded.
  std::string body = BODY_START + statement + BODY_END;
  request->SendRequest(CONTENT_TYPE_HEADER, body.data(), body.size());
  if (request->QueryInfoStatusCode() != HTTP_STATUS_OK) return false;

  ReplyReader reader(rowTerminator, result);
  char block[READ_BLOCK_SIZE];
  while (std::size_t arrived = request->Read(block, sizeof(block))) reader.Feed(block, arrived);
  reader.Finish();
  errorLine = reader.ErrorLine();
  if (reader.Failed()) return false;
  rowCount = reader.RowCount();
  return true;
}

ExchangeResult GuardExchange(const std::function<bool()>& exchange) {
  try {
    return exchange() ? ExchangeResult::Done : ExchangeResult::Failed;
  } catch (const platform::CInternetException& error) {
    return error.SecureConnectionRefused() ? ExchangeResult::Refused : ExchangeResult::Raised;
  } catch (...) {
    return ExchangeResult::Raised;
  }
}

ExchangeResult ExecuteGuarded(ServerLink& link, const std::string& statement, std::string& reply, int& rowCount) {
  platform::CWaitCursor wait;
  ExchangeResult result = GuardExchange([&] { return link.Execute(statement, reply, rowCount); });
  wait.Restore();
  return result;
}

const char* ExchangeFailureMessage(ExchangeResult result) {
  return result == ExchangeResult::Raised ? APPLICATION_ERROR_MESSAGE : COMMUNICATION_ERROR_MESSAGE;
}
