#include "viewer/form/period_selection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resources/viewer/resource.h"
#include "tests/viewer/form/master_folder.h"

namespace {

std::string Side(int type, const char* year, int field2, int field3) {
  return FormatPeriodSide(type, year, field2, field3);
}

TEST(PeriodText, DailyDayIsClampedToTheLastDayOfTheMonth) {
  EXPECT_EQ("2001/02/28", Side(PERIOD_DAILY, "2001", 2, 30));
  EXPECT_EQ("2000/02/29", Side(PERIOD_DAILY, "2000", 2, 30));
  EXPECT_EQ("1900/02/28", Side(PERIOD_DAILY, "1900", 2, 29));
  EXPECT_EQ("2004/02/29", Side(PERIOD_DAILY, "2004", 2, 31));
  EXPECT_EQ("2003/04/30", Side(PERIOD_DAILY, "2003", 4, 31));
  EXPECT_EQ("2003/12/31", Side(PERIOD_DAILY, "2003", 12, 31));
  EXPECT_EQ("1999/01/01", Side(PERIOD_DAILY, "1999", 1, 1));
}

TEST(PeriodText, EveryTypeHasItsLayoutWithTwoDigitFields) {
  EXPECT_EQ("1999/09", Side(PERIOD_PENTAD_OF_YEAR, "1999", 9, 0));
  EXPECT_EQ("2003/73", Side(PERIOD_PENTAD_OF_YEAR, "2003", 73, 0));
  EXPECT_EQ("2003/12/06", Side(PERIOD_PENTAD_OF_MONTH, "2003", 12, 6));
  EXPECT_EQ("2003/12/03", Side(PERIOD_TEN_DAY, "2003", 12, 3));
  EXPECT_EQ("2002/07", Side(PERIOD_MONTHLY, "2002", 7, 0));
  EXPECT_EQ("1999", Side(PERIOD_YEARLY, "1999", 5, 5));
}

TEST(PeriodText, TypesOutsideOneToSixGiveEmptyTexts) {
  EXPECT_EQ("", Side(0, "2003", 1, 1));
  EXPECT_EQ("", Side(7, "2003", 1, 1));
  EXPECT_EQ("", Side(-1, "2003", 1, 1));
}

TEST(PeriodText, AnOverlongYearTextIsCutAt63Bytes) {
  std::string year(300, '9');
  EXPECT_EQ(std::string(PERIOD_TEXT_MAX, '9'), Side(PERIOD_DAILY, year.c_str(), 1, 1));
}

TEST(PeriodControls, EachTypeOwnsItsControlsAndTheSetsCoverTheForm) {
  std::set<int> seen;
  for (int type = 1; type <= PERIOD_YEARLY; ++type) {
    for (const int* id = PeriodControlSet(type); *id != 0; ++id) {
      EXPECT_TRUE(seen.insert(*id).second) << "control " << *id << " in two sets";
    }
  }
  std::set<int> all;
  for (const int* id = AllPeriodControls(); *id != 0; ++id) all.insert(*id);
  EXPECT_EQ(all, seen);
  EXPECT_EQ(0, *PeriodControlSet(PERIOD_YEARLY));
  EXPECT_EQ(0, *PeriodControlSet(0));
  EXPECT_EQ(0, *PeriodControlSet(7));
}

TEST(PeriodControls, TheCombosReadForATypeAreShownForIt) {
  for (int type = 1; type <= PERIOD_YEARLY; ++type) {
    std::set<int> shown;
    for (const int* id = PeriodControlSet(type); *id != 0; ++id) shown.insert(*id);
    for (PeriodSide side : {PeriodSide::From, PeriodSide::To}) {
      PeriodSideCombos combos = PeriodSideControls(type, side);
      EXPECT_EQ(side == PeriodSide::From ? IDC_FROM_YEAR : IDC_TO_YEAR, combos.year);
      if (combos.field2 != 0) {
        EXPECT_TRUE(shown.count(combos.field2)) << type;
      }
      if (combos.field3 != 0) {
        EXPECT_TRUE(shown.count(combos.field3)) << type;
      }
    }
  }
  EXPECT_TRUE(PeriodSideControls(PERIOD_TEN_DAY, PeriodSide::To).field3IsRowNumber);
  EXPECT_EQ(0, PeriodSideControls(PERIOD_YEARLY, PeriodSide::From).field2);
}

TEST(WithheldElements, DailyWithholdsFourAndYearlyOne) {
  std::set<int> daily, yearly;
  for (int id : ELEMENT_CHECK_BOXES) {
    if (ElementWithheld(PERIOD_DAILY, id)) daily.insert(id);
    if (ElementWithheld(PERIOD_YEARLY, id)) yearly.insert(id);
    for (int type = 2; type <= 5; ++type) EXPECT_FALSE(ElementWithheld(type, id)) << type;
    EXPECT_FALSE(ElementWithheld(0, id));
  }
  EXPECT_EQ((std::set<int>{IDC_MAX_DAILY_PRECIP, IDC_MEAN_MAX_TEMP, IDC_MEAN_MIN_TEMP, IDC_ACCUMULATED_TEMP}),
            daily);
  EXPECT_EQ(std::set<int>{IDC_PREVAILING_WIND}, yearly);
}

TEST(PeriodTypeAtRow, ReadsTheFirstFieldOfTheRowAndRefusesMissingRows) {
  MasterFolder folder("viewer-period-type");
  folder.Write(PERIOD_TYPE_FILE, "1,日別値\r\n5,月別値\r\n6,年別値\r\n");
  EXPECT_EQ(1, PeriodTypeAtRow(0));
  EXPECT_EQ(5, PeriodTypeAtRow(1));
  EXPECT_EQ(6, PeriodTypeAtRow(2));
  EXPECT_EQ(0, PeriodTypeAtRow(3));
  EXPECT_EQ(0, PeriodTypeAtRow(-1));
  folder.Write(PERIOD_TYPE_FILE, "");
  EXPECT_EQ(0, PeriodTypeAtRow(0));
}

}  // namespace
