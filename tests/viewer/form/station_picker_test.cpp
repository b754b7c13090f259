#include "viewer/form/station_picker.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/viewer/form/master_folder.h"

namespace {

class StationPicker : public ::testing::Test {
 protected:
  StationPicker() : folder("viewer-station-picker") {
    folder.Write(BLOCK_FILE, "01,北海道\r\n02,東北\r\n");
    folder.Write(PREFECTURE_FILE, "11,宗谷支庁,01\r\n12,上川支庁,01\r\n31,青森県,02\r\n");
    folder.Write(STATION_FILE,
                 "11016,稚内,11\r\n11001,宗谷岬,11\r\n12011,旭川,12\r\n31312,青森,31\r\n11151,浜頓別,11\r\n");
  }
  MasterFolder folder;
};

std::string Keys(const PairList& list) {
  std::string keys;
  for (int i = 0; i < list.Count(); ++i) {
    std::string key, value;
    list.GetAt(i, key, value);
    keys += std::string(keys.empty() ? "" : " ") + key;
  }
  return keys;
}

TEST_F(StationPicker, CombosRowsLeadToTheirCodesAndMissingRowsToNone) {
  std::string code;
  EXPECT_TRUE(BlockCodeAtRow(1, code));
  EXPECT_EQ("02", code);
  EXPECT_TRUE(PrefectureCodeAtRows(0, 1, code));
  EXPECT_EQ("12", code);
  EXPECT_TRUE(PrefectureCodeAtRows(1, 0, code));
  EXPECT_EQ("31", code);
  EXPECT_FALSE(PrefectureCodeAtRows(1, 1, code));
  EXPECT_EQ("", code);
  EXPECT_FALSE(PrefectureCodeAtRows(-1, 0, code));
  EXPECT_FALSE(PrefectureCodeAtRows(2, 0, code));
  EXPECT_FALSE(BlockCodeAtRow(-1, code));
}

TEST_F(StationPicker, AnEmptyBlockFileLeadsToNoPrefecture) {
  folder.Write(BLOCK_FILE, "");
  std::string code;
  EXPECT_FALSE(PrefectureCodeAtRows(0, 0, code));
}

TEST_F(StationPicker, ListsThePrefecturesUnchosenStationsInCodeOrder) {
  PairList chosen, listed;
  listed.Add("99999", "stale");
  ListUnchosenStations("11", chosen, listed);
  EXPECT_EQ("11001 11016 11151", Keys(listed));
  chosen.Add("11016", "稚内");
  chosen.Add("31312", "青森");
  ListUnchosenStations("11", chosen, listed);
  EXPECT_EQ("11001 11151", Keys(listed));
  ListUnchosenStations("99", chosen, listed);
  EXPECT_EQ(0, listed.Count());
}

TEST_F(StationPicker, MovesEntriesByPositionAndRowTextsJoinCodeAndName) {
  PairList chosen, listed;
  ListUnchosenStations("11", chosen, listed);
  const int picked[] = {0, 2};
  AddEntriesAt(listed, picked, 2, chosen);
  EXPECT_EQ("11001 11151", Keys(chosen));
  EXPECT_EQ("11151 浜頓別", StationRowText(chosen, 1));

  ListUnchosenStations("11", chosen, listed);
  const int all[] = {0};
  AddEntriesAt(listed, all, 1, chosen);
  EXPECT_EQ("11001 11016 11151", Keys(chosen));

  const int outer[] = {0, 2};
  RemoveEntriesAt(chosen, outer, 2);
  EXPECT_EQ("11016", Keys(chosen));
}

TEST(StationPickerCapacity, ChoosingMoreStationsThanTheListHoldsStopsAtItsCapacity) {
  PairList many, chosen;
  for (int i = 0; i < PAIRLIST_SLOTS; ++i) many.Add(std::to_string(10000 + i).c_str(), "x");
  int rows[PAIRLIST_SLOTS];
  for (int i = 0; i < PAIRLIST_SLOTS; ++i) rows[i] = i;
  AddEntriesAt(many, rows, PAIRLIST_SLOTS, chosen);
  ASSERT_EQ(PAIRLIST_SLOTS, chosen.Count());

  PairList more;
  more.Add("99999", "y");
  const int first[] = {0};
  AddEntriesAt(more, first, 1, chosen);
  EXPECT_EQ(PAIRLIST_SLOTS, chosen.Count());
  std::string name;
  EXPECT_FALSE(chosen.Lookup("99999", name));
}

}  // namespace
