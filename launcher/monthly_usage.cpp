#include "launcher/monthly_usage.h"

#include <ctime>

#include "common/server_link.h"
#include "common/server_statements.h"
#include "common/settings_file.h"
#include "launcher/launcher_texts.h"
#include "launcher/usage_message.h"
#include "platform/exception_guard.h"
#include "platform/wait_cursor.h"

namespace {

constexpr char APPLICATION_ERROR[] = "アプリケーションエラーが発生しました。";
constexpr char LINK_ERROR[] = "通信中にエラーが発生しました。";
constexpr char SIGN_IN_FAILED[] = "ユーザー認証に失敗しました。IDとパスワードを確認してください。";

enum class ExchangeResult { Done, LinkFailed, Exception };

// One Execute under the wait cursor, its exceptions caught.
ExchangeResult Exchange(ServerLink& link, const std::string& statement, std::string& reply, int& rowCount) {
  platform::CWaitCursor wait;
  bool executed = false;
  if (!platform::RunGuarded([&] { executed = link.Execute(statement, reply, rowCount); })) {
    return ExchangeResult::Exception;
  }
  return executed ? ExchangeResult::Done : ExchangeResult::LinkFailed;
}

const char* FailureMessage(ExchangeResult result) {
  return result == ExchangeResult::Exception ? APPLICATION_ERROR : LINK_ERROR;
}

}  // namespace

std::string MonthlyUsageMessage(const std::string& server, const std::string& userId,
                                const std::string& password, const std::string& yearMonth) {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = server;

  std::string signInReply;
  int signInRows = 0;
  ExchangeResult result = Exchange(link, SignInStatement(userId, password), signInReply, signInRows);
  if (result != ExchangeResult::Done) return FailureMessage(result);
  if (signInRows != 1) return SIGN_IN_FAILED;

  std::string usageReply;
  int usageRows = 0;
  result = Exchange(link, MonthlyUsageStatement(ClientNumberOf(signInReply), yearMonth), usageReply, usageRows);
  if (result != ExchangeResult::Done) return FailureMessage(result);
  return UsageCountMessage(usageReply);
}

void ShowMonthlyUsage(platform::WindowHandle owner) {
  SettingsFile settings(SettingsProgram::Launcher);
  if (!settings.Read()) platform::ShowMessage(owner, SETTINGS_UNREADABLE, LAUNCHER_CAPTION);
  std::string userId;
  std::string password;
  settings.ReadCredentials(userId, password);
  std::string message = MonthlyUsageMessage(settings.serverIp, userId, password, YearMonthOf(std::time(nullptr)));
  platform::ShowMessage(owner, message.c_str(), LAUNCHER_CAPTION);
}
