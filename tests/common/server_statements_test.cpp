#include "common/server_statements.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerStatements, PlainValuesGiveTheExactTexts) {
  EXPECT_EQ(SignInStatement("demo", "tarvex"),
            "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';");
  EXPECT_EQ(UsageRecordStatement("10001", 1826),
            "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1826');");
  EXPECT_EQ(UsageRecordStatement("10001", 0),
            "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'0');");
  EXPECT_EQ(MonthlyUsageStatement("10001", "2026-12"),
            "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2026-12%';");
}

TEST(ServerStatements, EmptyValuesStayEmptyLiterals) {
  EXPECT_EQ(SignInStatement("", ""), "SELECT client_no FROM client_mt WHERE user_id = '' AND password = '';");
}

TEST(ServerStatements, QuotesInsideValuesAreDoubled) {
  EXPECT_EQ(SignInStatement("o'neil", "' OR '1'='1"),
            "SELECT client_no FROM client_mt WHERE user_id = 'o''neil' AND password = ''' OR ''1''=''1';");
  EXPECT_EQ(UsageRecordStatement("1'2", 5),
            "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('1''2',now(),'5');");
  EXPECT_EQ(MonthlyUsageStatement("'", "2026-'"),
            "SELECT SUM(data_total) FROM fee_history_dt where client_no = '''' AND feeday LIKE '2026-''%';");
}

TEST(ServerStatements, QuoteDoublingKeepsEveryOtherByte) {
  EXPECT_EQ(QuoteSqlText("''"), "''''");
  EXPECT_EQ(QuoteSqlText("a&b+c%d\"e\\f;"), "a&b+c%d\"e\\f;");
  // Shift-JIS double-byte characters, one with a 0x5C trail byte, pass as they are.
  EXPECT_EQ(QuoteSqlText("\x95\x5c'\x8e\xa6"), "\x95\x5c''\x8e\xa6");
}

}  // namespace
