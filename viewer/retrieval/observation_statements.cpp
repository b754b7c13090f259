#include "viewer/retrieval/observation_statements.h"

#include <initializer_list>

#include "viewer/base/period_fields.h"

namespace {

const char* const UNION = " UNION ";
const char* const DAILY_PREFIX = "SELECT * FROM st_data_h WHERE sChiten = ";
const char* const YEAR_ROUND_PENTAD_PREFIX = "SELECT * FROM st_data_th WHERE sChiten = ";
const char* const CALENDAR_PENTAD_PREFIX = "SELECT * FROM st_data_rh WHERE sChiten = ";
const char* const TEN_DAY_PREFIX = "SELECT * FROM st_data_j WHERE sChiten = ";
const char* const MONTHLY_PREFIX = "SELECT * FROM st_data_t WHERE sChiten = ";
const char* const YEARLY_PREFIX = "SELECT * FROM st_data_n WHERE sChiten = ";

// FROM and TO split into their field texts (f1..f3, t1..t3) and values.
struct SplitPeriod {
  PeriodTexts from;
  PeriodTexts to;

  SplitPeriod(const char* periodFrom, const char* periodTo)
      : from(SplitPeriodText(periodFrom)), to(SplitPeriodText(periodTo)) {}

  const char* f1() const { return from.field[0].c_str(); }
  const char* f2() const { return from.field[1].c_str(); }
  const char* f3() const { return from.field[2].c_str(); }
  const char* t1() const { return to.field[0].c_str(); }
  const char* t2() const { return to.field[1].c_str(); }
  const char* t3() const { return to.field[2].c_str(); }
  bool SameYear() const { return from.value[0] == to.value[0]; }
  bool SameMonth() const { return from.value[1] == to.value[1]; }
};

// The composers below name the pieces as the statement reads: p the table's
// prefix, s the station number, d the split period (f1..f3 FROM, t1..t3 TO),
// q the statement built.
void Append(std::string& statement, std::initializer_list<const char*> pieces) {
  for (const char* piece : pieces) statement += piece;
}

std::string Daily(const char* p, const char* s, const SplitPeriod& d) {
  std::string q;
  if (d.SameYear() && d.SameMonth()) {
    Append(q, {p, s, " AND d2 = ", d.f1(), " AND d3 = ", d.f2(), " AND (d7 >= ", d.f3(),
               " AND d7 <= ", d.t3(), ");"});
  } else if (d.SameYear()) {
    Append(q, {p, s, " AND d2 = ", d.f1(), " AND (d3 = ", d.f2(), " AND (d7 >= ", d.f3(),
               " AND d7 <= 31))"});
    Append(q, {UNION, p, s, " AND d2 = ", d.f1(), " AND (d3 > ", d.f2(), " AND d3 < ", d.t2(),
               ")"});
    Append(q, {UNION, p, s, " AND d2 = ", d.f1(), " AND (d3 = ", d.t2(), " AND (d7 >= 1",
               " AND d7 <= ", d.t3(), "));"});
  } else {
    Append(q, {p, s, " AND d2 = ", d.f1(), " AND (d3 = ", d.f2(), " AND (d7 >= ", d.f3(),
               " AND d7 <= 31))"});
    Append(q, {UNION, p, s, " AND d2 = ", d.f1(), " AND d3 > ", d.f2()});
    Append(q, {UNION, p, s, " AND d2 > ", d.f1(), " AND d2 < ", d.t1()});
    Append(q, {UNION, p, s, " AND d2 = ", d.t1(), " AND d3 < ", d.t2()});
    Append(q, {UNION, p, s, " AND d2 = ", d.t1(), " AND (d3 = ", d.t2(), " AND (d7 >= 1",
               " AND d7 <= ", d.t3(), "));"});
  }
  return q;
}

// Year and one more field: pentads of the year, months.
std::string TwoFields(const char* p, const char* s, const SplitPeriod& d) {
  std::string q;
  if (d.SameYear()) {
    Append(q, {p, s, " AND d1 = ", d.f1(), " AND (d2 >= ", d.f2(), " AND d2 <= ", d.t2(), ");"});
  } else {
    Append(q, {p, s, " AND d1 = ", d.f1(), " AND d2 >= ", d.f2()});
    Append(q, {UNION, p, s, " AND (d1 > ", d.f1(), " AND d1 < ", d.t1(), ")"});
    Append(q, {UNION, p, s, " AND d1 = ", d.t1(), " AND d2 <= ", d.t2(), ";"});
  }
  return q;
}

// Year, month and a part of the month: pentads of the month, ten-day parts.
std::string ThreeFields(const char* p, const char* s, const SplitPeriod& d) {
  std::string q;
  if (d.SameYear() && d.SameMonth()) {
    Append(q, {p, s, " AND d1 = ", d.f1(), " AND d2 = ", d.f2(), " AND (d3 >= ", d.f3(),
               " AND d3 <= ", d.t3(), ");"});
  } else if (d.SameYear()) {
    Append(q, {p, s, " AND d1 = ", d.f1(), " AND d2 = ", d.f2(), " AND d3 >= ", d.f3()});
    Append(q, {UNION, p, s, " AND d1 = ", d.f1(), " AND (d2 > ", d.f2(), " AND d2 < ", d.t2(),
               ")"});
    Append(q, {UNION, p, s, " AND d1 = ", d.f1(), " AND d2 = ", d.t2(), " AND d3 <= ", d.t3(),
               ";"});
  } else {
    Append(q, {p, s, " AND d1 = ", d.f1(), " AND d2 = ", d.f2(), " AND d3 >= ", d.f3()});
    Append(q, {UNION, p, s, " AND d1 = ", d.f1(), " AND d2 > ", d.f2()});
    Append(q, {UNION, p, s, " AND d1 > ", d.f1(), " AND d1 < ", d.t1()});
    Append(q, {UNION, p, s, " AND d1 = ", d.t1(), " AND d2 < ", d.t2()});
    Append(q, {UNION, p, s, " AND d1 = ", d.t1(), " AND d2 = ", d.t2(), " AND d3 <= ", d.t3(),
               ";"});
  }
  return q;
}

}  // namespace

std::string DailyStatement(const char* station, const char* periodFrom, const char* periodTo) {
  return Daily(DAILY_PREFIX, station, SplitPeriod(periodFrom, periodTo));
}

std::string YearRoundPentadStatement(const char* station, const char* periodFrom,
                                     const char* periodTo) {
  return TwoFields(YEAR_ROUND_PENTAD_PREFIX, station, SplitPeriod(periodFrom, periodTo));
}

std::string CalendarPentadStatement(const char* station, const char* periodFrom,
                                    const char* periodTo) {
  return ThreeFields(CALENDAR_PENTAD_PREFIX, station, SplitPeriod(periodFrom, periodTo));
}

std::string TenDayStatement(const char* station, const char* periodFrom, const char* periodTo) {
  return ThreeFields(TEN_DAY_PREFIX, station, SplitPeriod(periodFrom, periodTo));
}

std::string MonthlyStatement(const char* station, const char* periodFrom, const char* periodTo) {
  return TwoFields(MONTHLY_PREFIX, station, SplitPeriod(periodFrom, periodTo));
}

std::string YearlyStatement(const char* station, const char* periodFrom, const char* periodTo) {
  SplitPeriod d(periodFrom, periodTo);
  std::string q;
  Append(q, {YEARLY_PREFIX, station, " AND (d1 >= ", d.f1(), " AND d1 <= ", d.t1(), ");"});
  return q;
}

std::string StationStatement(PeriodType periodType, const char* station, const char* periodFrom, const char* periodTo) {
  switch (periodType) {
    case PeriodType::Daily: return DailyStatement(station, periodFrom, periodTo);
    case PeriodType::PentadOfYear: return YearRoundPentadStatement(station, periodFrom, periodTo);
    case PeriodType::PentadOfMonth: return CalendarPentadStatement(station, periodFrom, periodTo);
    case PeriodType::TenDay: return TenDayStatement(station, periodFrom, periodTo);
    case PeriodType::Monthly: return MonthlyStatement(station, periodFrom, periodTo);
    case PeriodType::Yearly: break;
  }
  return YearlyStatement(station, periodFrom, periodTo);
}
