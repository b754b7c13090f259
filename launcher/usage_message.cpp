#include "launcher/usage_message.h"

#include "common/server_statements.h"

std::string YearMonthOf(std::time_t when) {
  std::tm local = *std::localtime(&when);
  char text[16] = {};
  std::strftime(text, sizeof text, "%Y-%m", &local);
  return text;
}

std::string ClientNumberOf(const std::string& signInReply) {
  std::string row = signInReply.substr(0, signInReply.find('\n'));
  return row.substr(0, CLIENT_NUMBER_LENGTH);
}

std::string UsageCountMessage(const std::string& usageReply) {
  size_t end = usageReply.find_last_not_of(" \t\r\n\v\f");
  std::string count = end == std::string::npos ? std::string() : usageReply.substr(0, end + 1);
  return "今月は\n【" + count + "】\n件検索しました。";
}
