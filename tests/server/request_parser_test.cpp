#include "server/protocol/request_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Allowed(const std::string& sql, Request* request = nullptr) {
  Request parsed;
  std::string reason;
  bool allowed = ParseRequest(sql, parsed, reason);
  if (allowed && request) *request = parsed;
  return allowed;
}

TEST(RequestParser, TakesTheValuesOfTheAccountAndLedgerStatements) {
  Request request;
  ASSERT_TRUE(Allowed("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';", &request));
  const auto& signIn = std::get<SignInRequest>(request);
  EXPECT_EQ("demo", signIn.userId);
  EXPECT_EQ("tarvex", signIn.password);
  EXPECT_TRUE(Allowed("SELECT client_no FROM client_mt WHERE user_id = '' AND password = '';"));
  ASSERT_TRUE(
      Allowed("SELECT client_no FROM client_mt WHERE user_id = 'o''brien' AND password = 'a;b--c/*';", &request));
  EXPECT_EQ("o'brien", std::get<SignInRequest>(request).userId);
  EXPECT_EQ("a;b--c/*", std::get<SignInRequest>(request).password);

  ASSERT_TRUE(Allowed("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1826');",
                      &request));
  EXPECT_EQ("10001", std::get<UsageRecordRequest>(request).clientNo);
  EXPECT_EQ(1826, std::get<UsageRecordRequest>(request).dataTotal);
  ASSERT_TRUE(Allowed("insert into FEE_HISTORY_DT ( client_no, feeday, data_total ) VALUES ('1', now ( ), 7)",
                      &request));
  EXPECT_EQ(7, std::get<UsageRecordRequest>(request).dataTotal);

  ASSERT_TRUE(Allowed(
      "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2003-05%';", &request));
  EXPECT_EQ("10001", std::get<MonthlyUsageRequest>(request).clientNo);
  EXPECT_EQ("2003-05%", std::get<MonthlyUsageRequest>(request).feedayPattern);
}

// The count of a usage row is bound as a number: anything but decimal
// digits up to the largest count a report can deliver is refused before it
// reaches a database (two rows of the largest 64-bit number once made the
// month's sum overflow).
TEST(RequestParser, RefusesACountThatIsNoWholeNumberOfRowsAReportCanHave) {
  for (const char* count : {"'-5'", "'lots'", "'1e3'", "'+5'", "' 7 '", "''", "'99999999999999999999'", "'1.0'",
                            "'9223372036854775807'", "'10000001'", "10000001"}) {
    std::string sql = std::string("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),") +
                      count + ");";
    std::string reason;
    Request request;
    EXPECT_FALSE(ParseRequest(sql, request, reason)) << count;
    EXPECT_EQ("the usage count must be a whole number from 0 to 10000000", reason) << count;
  }
  Request request;
  ASSERT_TRUE(Allowed("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('1',now(),'10000000');",
                      &request));
  EXPECT_EQ(MAX_USAGE_ROWS, std::get<UsageRecordRequest>(request).dataTotal);
}

TEST(RequestParser, TurnsAnObservationStatementIntoPartsOfConditions) {
  Request request;
  ASSERT_TRUE(Allowed("SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND (d3 = 05 AND (d7 >= 10 AND "
                      "d7 <= 31)) UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 > 2000 AND d2 < 2002;",
                      &request));
  const auto& query = std::get<ObservationRequest>(request);
  ASSERT_EQ(&ObservationTables()[0], query.table);
  ASSERT_EQ(2u, query.parts.size());
  EXPECT_EQ(12345, query.parts[0].station);
  ASSERT_EQ(4u, query.parts[0].conditions.size());
  const ColumnCondition expected[] = {{2, Comparison::Equal, 2000},
                                      {3, Comparison::Equal, 5},
                                      {7, Comparison::GreaterOrEqual, 10},
                                      {7, Comparison::LessOrEqual, 31}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(expected[i].column, query.parts[0].conditions[i].column) << i;
    EXPECT_EQ(expected[i].comparison, query.parts[0].conditions[i].comparison) << i;
    EXPECT_EQ(expected[i].value, query.parts[0].conditions[i].value) << i;
  }
  ASSERT_EQ(2u, query.parts[1].conditions.size());
  EXPECT_EQ(Comparison::Greater, query.parts[1].conditions[0].comparison);
  EXPECT_EQ(Comparison::Less, query.parts[1].conditions[1].comparison);

  ASSERT_TRUE(Allowed("SELECT * FROM st_data_n WHERE sChiten = 1 AND d1 <> 2 AND d1 != 3 AND sChiten = 1", &request));
  const auto& inequalities = std::get<ObservationRequest>(request).parts[0].conditions;
  ASSERT_EQ(3u, inequalities.size());
  EXPECT_EQ(Comparison::NotEqual, inequalities[1].comparison);
  EXPECT_EQ(0u, inequalities[2].column);
}

TEST(RequestParser, AcceptsEveryObservationShapeOfTheViewer) {
  const char* const statements[] = {
      "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND d3 = 05 AND (d7 >= 10 AND d7 <= 20);",
      "SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND (d3 = 05 AND (d7 >= 10 AND d7 <= 31)) "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2000 AND d3 > 05 "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 > 2000 AND d2 < 2002 "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2002 AND d3 < 07 "
      "UNION SELECT * FROM st_data_h WHERE sChiten = 12345 AND d2 = 2002 AND (d3 = 07 AND (d7 >= 1 AND d7 <= 20));",
      "SELECT * FROM st_data_th WHERE sChiten = 12345 AND d1 = 2000 AND d2 >= 05 UNION SELECT * FROM st_data_th "
      "WHERE sChiten = 12345 AND (d1 > 2000 AND d1 < 2002) UNION SELECT * FROM st_data_th WHERE sChiten = 12345 "
      "AND d1 = 2002 AND d2 <= 20;",
      "SELECT * FROM st_data_rh WHERE sChiten = 12345 AND d1 = 2000 AND d2 = 04 AND d3 >= 02;",
      "SELECT * FROM st_data_j WHERE sChiten = 12345 AND d1 = 2000 AND d2 = 04 AND (d3 >= 1 AND d3 <= 3);",
      "SELECT * FROM st_data_t WHERE sChiten = 12345 AND d1 = 2000 AND (d2 >= 01 AND d2 <= 12);",
      "SELECT * FROM st_data_n WHERE sChiten = 12345 AND (d1 >= 1999 AND d1 <= 2003);",
      "select * from ST_DATA_N where schiten=12345 and (d1>=1999 and d1<=2003)",
  };
  for (const char* sql : statements) {
    Request request;
    EXPECT_TRUE(Allowed(sql, &request)) << sql;
    EXPECT_TRUE(std::holds_alternative<ObservationRequest>(request)) << sql;
  }
}

TEST(RequestParser, RefusesEverythingElse) {
  const char* const statements[] = {
      // other statement kinds
      "DROP TABLE client_mt;",
      "CREATE TABLE x(a);",
      "UPDATE client_mt SET password = 'x';",
      "DELETE FROM fee_history_dt;",
      "PRAGMA writable_schema = 1;",
      "ATTACH DATABASE '/tmp/x' AS x;",
      "VACUUM;",
      "COMMIT;",
      "INSERT INTO client_mt(client_no,user_id,password) values ('99999','x','y');",
      // other tables or columns
      "SELECT password FROM client_mt WHERE user_id = 'demo' AND password = 'x';",
      "SELECT * FROM client_mt;",
      "SELECT * FROM sqlite_master WHERE sChiten = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 UNION SELECT * FROM st_data_t WHERE sChiten = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = (SELECT client_no FROM client_mt);",
      "SELECT * FROM st_data_n WHERE sChiten = 1 UNION SELECT client_no, user_id FROM client_mt;",
      "SELECT * FROM st_data_n WHERE password = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = load_extension('x');",
      "SELECT * FROM st_data_n WHERE sChiten = 'x';",
      "SELECT * FROM st_data_n WHERE (sChiten = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1);",
      "SELECT * FROM st_data_n WHERE ;",
      // an observation statement reads one station's rows only
      "SELECT * FROM st_data_n WHERE d1 = 1999;",
      "SELECT * FROM st_data_n WHERE sChiten > 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d1 = 1999 OR d1 > 0;",
      "SELECT * FROM st_data_n WHERE (sChiten = 1);",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND;",
      // quoted values closing early, comments, smuggled statements
      "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'x' OR '1'='1';",
      "SELECT client_no FROM client_mt WHERE user_id = 'demo' --' AND password = 'x';",
      "SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = '';DELETE FROM fee_history_dt;--';",
      ("SELECT client_no FROM client_mt WHERE user_id = 'a' AND password = 'b'; "
       "SELECT client_no FROM client_mt WHERE user_id = 'a' AND password = 'b';"),
      "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1'),('10001',now(),'2');",
      "INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001','2001-01-01','1');",
      "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2003-%' /* x */;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 -- x",
      "SELECT client_no FROM client_mt WHERE user_id = 'unterminated",
      "SELECT * FROM st_data_n WHERE sChiten = 1e3;",
      "SELECT * FROM st_data_n WHERE sChiten = 0x10;",
      // columns the table does not have, numbers beyond 64 bits, anything
      // but a column compared with a number
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d26 = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d01 = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d0 = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 99999999999999999999;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND 1999 = d1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d1 = d2;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND (d1 = 1) = 0;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND d1 = 1 = 1;",
      "SELECT * FROM st_data_n WHERE sChiten = 1 AND ();",
      "",
  };
  for (const char* sql : statements) EXPECT_FALSE(Allowed(sql)) << sql;
}

TEST(RequestParser, LimitsUnionPartsConditionsAndNesting) {
  std::string part = "SELECT * FROM st_data_n WHERE sChiten = 1";
  std::string sql = part;
  for (int i = 1; i < MAX_UNION_PARTS; ++i) sql += " UNION " + part;
  EXPECT_TRUE(Allowed(sql + ";"));
  EXPECT_FALSE(Allowed(sql + " UNION " + part + ";"));

  std::string conditions = part;
  for (size_t i = 0; i < MAX_CONDITIONS_PER_PART; ++i) conditions += " AND d1 > 0";
  EXPECT_TRUE(Allowed(conditions));
  EXPECT_FALSE(Allowed(conditions + " AND d1 > 0"));

  EXPECT_TRUE(Allowed(part + " AND " + std::string(16, '(') + "d1 = 1" + std::string(16, ')')));
  EXPECT_FALSE(Allowed(part + " AND " + std::string(17, '(') + "d1 = 1" + std::string(17, ')')));
  EXPECT_FALSE(Allowed(part + " AND " + std::string(100000, '(') + "d1 = 1"));
}

// No engine keeps a NUL inside a text; it is refused wherever it stands.
TEST(RequestParser, RefusesANulByte) {
  std::string sql = "SELECT client_no FROM client_mt WHERE user_id = 'a";
  sql += '\0';
  sql += "b' AND password = 'x';";
  EXPECT_FALSE(Allowed(sql));
}

TEST(RequestParser, NamesTheReasonForASecondStatement) {
  Request request;
  std::string reason;
  EXPECT_FALSE(ParseRequest("SELECT * FROM st_data_n WHERE sChiten = 1; SELECT * FROM st_data_n WHERE sChiten = 2;",
                            request, reason));
  EXPECT_EQ("only one statement may be sent at a time", reason);
}

}  // namespace
