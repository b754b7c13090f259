#include "server/statement_shape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Allowed(const std::string& sql, StatementKind* kind = nullptr) {
  StatementKind found;
  std::string reason;
  bool allowed = ClassifyStatement(sql, found, reason);
  if (allowed && kind) *kind = found;
  return allowed;
}

TEST(StatementShape, AcceptsTheAccountAndLedgerStatementsTheProgramsSend) {
  StatementKind kind;
  EXPECT_TRUE(Allowed("SELECT client_no FROM client_mt WHERE user_id = 'demo' AND password = 'tarvex';", &kind));
  EXPECT_EQ(StatementKind::SignIn, kind);
  EXPECT_TRUE(Allowed("SELECT client_no FROM client_mt WHERE user_id = '' AND password = '';"));
  EXPECT_TRUE(Allowed("SELECT client_no FROM client_mt WHERE user_id = 'o''brien' AND password = 'a;b--c/*';"));

  EXPECT_TRUE(Allowed("INSERT INTO fee_history_dt(client_no,feeday,data_total) values ('10001',now(),'1826');",
                      &kind));
  EXPECT_EQ(StatementKind::UsageRecord, kind);

  EXPECT_TRUE(Allowed(
      "SELECT SUM(data_total) FROM fee_history_dt where client_no = '10001' AND feeday LIKE '2003-05%';", &kind));
  EXPECT_EQ(StatementKind::MonthlyUsage, kind);
}

TEST(StatementShape, AcceptsEveryObservationShapeOfTheViewer) {
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
    StatementKind kind;
    EXPECT_TRUE(Allowed(sql, &kind)) << sql;
    EXPECT_EQ(StatementKind::Observation, kind) << sql;
  }
}

TEST(StatementShape, RefusesEverythingElse) {
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
      "",
  };
  for (const char* sql : statements) EXPECT_FALSE(Allowed(sql)) << sql;
}

TEST(StatementShape, LimitsTheNumberOfUnionParts) {
  std::string part = "SELECT * FROM st_data_n WHERE sChiten = 1";
  std::string sql = part;
  for (int i = 1; i < MAX_UNION_PARTS; ++i) sql += " UNION " + part;
  EXPECT_TRUE(Allowed(sql + ";"));
  EXPECT_FALSE(Allowed(sql + " UNION " + part + ";"));
}

TEST(StatementShape, NamesTheReasonForASecondStatement) {
  StatementKind kind;
  std::string reason;
  EXPECT_FALSE(ClassifyStatement("SELECT * FROM st_data_n WHERE sChiten = 1; SELECT * FROM st_data_n WHERE sChiten = 2;",
                                 kind, reason));
  EXPECT_EQ("only one statement may be sent at a time", reason);
}

}  // namespace
