#include "viewer/form/period_selection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/viewer/resource.h"
#include "tests/viewer/form/master_folder.h"

namespace {

std::string Side(PeriodType type, const char* year, int field2, int field3) {
  return FormatPeriodSide(type, year, field2, field3);
}

const PeriodType TYPES[] = {PeriodType::Daily,  PeriodType::PentadOfYear, PeriodType::PentadOfMonth,
                            PeriodType::TenDay, PeriodType::Monthly,      PeriodType::Yearly};

// Every type's layout with two-digit fields; a daily day past the month's
// end is its last day (leap years by the calendar's rules).
TEST(PeriodText, EveryTypeHasItsLayoutAndDaysStayInTheirMonth) {
  const struct {
    PeriodType type;
    const char* year;
    int field2;
    int field3;
    const char* expected;
  } cases[] = {
      {PeriodType::Daily, "2001", 2, 30, "2001/02/28"},   {PeriodType::Daily, "2000", 2, 30, "2000/02/29"},
      {PeriodType::Daily, "1900", 2, 29, "1900/02/28"},   {PeriodType::Daily, "2004", 2, 31, "2004/02/29"},
      {PeriodType::Daily, "2003", 4, 31, "2003/04/30"},   {PeriodType::Daily, "2003", 12, 31, "2003/12/31"},
      {PeriodType::Daily, "1999", 1, 1, "1999/01/01"},    {PeriodType::PentadOfYear, "1999", 9, 0, "1999/09"},
      {PeriodType::PentadOfYear, "2003", 73, 0, "2003/73"}, {PeriodType::PentadOfMonth, "2003", 12, 6, "2003/12/06"},
      {PeriodType::TenDay, "2003", 12, 3, "2003/12/03"},  {PeriodType::Monthly, "2002", 7, 0, "2002/07"},
      {PeriodType::Yearly, "1999", 5, 5, "1999"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Side(c.type, c.year, c.field2, c.field3)) << c.year << " " << c.field2 << " " << c.field3;
  }
}

TEST(PeriodText, AnOverlongYearTextIsCutAt63Bytes) {
  std::string year(300, '9');
  EXPECT_EQ(std::string(PERIOD_TEXT_MAX, '9'), Side(PeriodType::Daily, year.c_str(), 1, 1));
}

TEST(PeriodControls, EachTypeOwnsItsControlsAndTheSetsCoverTheForm) {
  std::set<int> seen;
  for (PeriodType type : TYPES) {
    for (const int* id = PeriodControlSet(type); *id != 0; ++id) {
      EXPECT_TRUE(seen.insert(*id).second) << "control " << *id << " in two sets";
    }
  }
  std::set<int> all;
  for (const int* id = AllPeriodControls(); *id != 0; ++id) all.insert(*id);
  EXPECT_EQ(all, seen);
  EXPECT_EQ(0, *PeriodControlSet(PeriodType::Yearly));
  EXPECT_EQ(0, *PeriodControlSet(std::nullopt));
}

TEST(PeriodControls, TheCombosReadForATypeAreShownForIt) {
  for (PeriodType type : TYPES) {
    std::set<int> shown;
    for (const int* id = PeriodControlSet(type); *id != 0; ++id) shown.insert(*id);
    for (PeriodSide side : {PeriodSide::From, PeriodSide::To}) {
      PeriodSideCombos combos = PeriodSideControls(type, side);
      EXPECT_EQ(side == PeriodSide::From ? IDC_FROM_YEAR : IDC_TO_YEAR, combos.year);
      if (combos.field2 != 0) {
        EXPECT_TRUE(shown.count(combos.field2)) << static_cast<int>(type);
      }
      if (combos.field3 != 0) {
        EXPECT_TRUE(shown.count(combos.field3)) << static_cast<int>(type);
      }
    }
  }
  EXPECT_TRUE(PeriodSideControls(PeriodType::TenDay, PeriodSide::To).field3IsRowNumber);
  EXPECT_EQ(0, PeriodSideControls(PeriodType::Yearly, PeriodSide::From).field2);
}

TEST(WithheldElements, DailyWithholdsFourAndYearlyOne) {
  std::set<int> daily, yearly;
  for (int id : ELEMENT_CHECK_BOXES) {
    if (ElementWithheld(PeriodType::Daily, id)) daily.insert(id);
    if (ElementWithheld(PeriodType::Yearly, id)) yearly.insert(id);
    for (PeriodType type : {PeriodType::PentadOfYear, PeriodType::PentadOfMonth, PeriodType::TenDay,
                            PeriodType::Monthly}) {
      EXPECT_FALSE(ElementWithheld(type, id)) << static_cast<int>(type);
    }
    EXPECT_FALSE(ElementWithheld(std::nullopt, id));
  }
  EXPECT_EQ((std::set<int>{IDC_MAX_DAILY_PRECIP, IDC_MEAN_MAX_TEMP, IDC_MEAN_MIN_TEMP, IDC_ACCUMULATED_TEMP}),
            daily);
  EXPECT_EQ(std::set<int>{IDC_PREVAILING_WIND}, yearly);
}

TEST(PeriodTypeAtRow, ReadsTheFirstFieldOfTheRowAndRefusesMissingRows) {
  MasterFolder folder("viewer-period-type");
  folder.Write(PERIOD_TYPE_FILE, "1,日別値\r\n5,月別値\r\n6,年別値\r\n");
  EXPECT_EQ(PeriodType::Daily, PeriodTypeAtRow(0));
  EXPECT_EQ(PeriodType::Monthly, PeriodTypeAtRow(1));
  EXPECT_EQ(PeriodType::Yearly, PeriodTypeAtRow(2));
  EXPECT_EQ(std::nullopt, PeriodTypeAtRow(3));
  EXPECT_EQ(std::nullopt, PeriodTypeAtRow(-1));
  folder.Write(PERIOD_TYPE_FILE, "");
  EXPECT_EQ(std::nullopt, PeriodTypeAtRow(0));
}

TEST(PeriodTypeAtRow, NumbersOutsideOneToSixAreNoType) {
  MasterFolder folder("viewer-period-type-numbers");
  folder.Write(PERIOD_TYPE_FILE, "0,零\r\n7,七\r\n-1,負\r\n,空\r\n2,通年半旬別値\r\n");
  for (int row = 0; row < 4; ++row) EXPECT_EQ(std::nullopt, PeriodTypeAtRow(row)) << row;
  EXPECT_EQ(PeriodType::PentadOfYear, PeriodTypeAtRow(4));
}

}  // namespace
