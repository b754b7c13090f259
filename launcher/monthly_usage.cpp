#include "launcher/monthly_usage.h"

#include <ctime>

#include "common/credentials_file.h"
#include "common/server_link.h"
#include "common/server_statements.h"
#include "common/settings.h"
#include "launcher/launcher_texts.h"
#include "launcher/usage_message.h"

namespace {

constexpr char SIGN_IN_FAILED[] = "ユーザー認証に失敗しました。IDとパスワードを確認してください。";

}  // namespace

std::string MonthlyUsageMessage(const std::string& server, const std::string& userId,
                                const std::string& password, const std::string& yearMonth, bool secure) {
  ServerLink link(LAUNCHER_ROW_TERMINATOR);
  link.server = server;
  link.secure = secure;

  std::string signInReply;
  int signInRows = 0;
  ExchangeResult result = ExecuteGuarded(link, SignInStatement(userId, password), signInReply, signInRows);
  if (result != ExchangeResult::Done) return ExchangeFailureMessage(result);
  if (signInRows != 1) return SIGN_IN_FAILED;

  std::string usageReply;
  int usageRows = 0;
  result = ExecuteGuarded(link, MonthlyUsageStatement(ClientNumberOf(signInReply), yearMonth), usageReply, usageRows);
  if (result != ExchangeResult::Done) return ExchangeFailureMessage(result);
  return UsageCountMessage(usageReply);
}

void ShowMonthlyUsage(platform::WindowHandle owner) {
  Settings settings;
  if (!settings.Read(SettingsProgram::Launcher)) platform::ShowMessage(owner, SETTINGS_UNREADABLE, LAUNCHER_CAPTION);
  std::string userId;
  std::string password;
  CredentialsFile::Read(userId, password);
  std::string message =
      MonthlyUsageMessage(settings.serverIp, userId, password, YearMonthOf(std::time(nullptr)), settings.secure);
  platform::ShowMessage(owner, message.c_str(), LAUNCHER_CAPTION);
}
