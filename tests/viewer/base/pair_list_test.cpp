#include "viewer/base/pair_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string KeyAt(const PairList& list, int position) {
  std::string key;
  std::string value;
  list.GetAt(position, key, value);
  return key;
}

std::string ValueAt(const PairList& list, int position) {
  std::string key;
  std::string value;
  list.GetAt(position, key, value);
  return value;
}

TEST(PairList, KeepsKeysInByteOrderWhateverTheOrderOfAdding) {
  PairList list;
  EXPECT_TRUE(list.Add("30", "c"));
  EXPECT_TRUE(list.Add("10", "a"));
  EXPECT_TRUE(list.Add("20", "b"));
  ASSERT_EQ(3, list.Count());
  EXPECT_EQ("10", KeyAt(list, 0));
  EXPECT_EQ("a", ValueAt(list, 0));
  EXPECT_EQ("20", KeyAt(list, 1));
  EXPECT_EQ("b", ValueAt(list, 1));
  EXPECT_EQ("30", KeyAt(list, 2));
  EXPECT_EQ("c", ValueAt(list, 2));
}

TEST(PairList, ComparesBytesUnsignedAndPrefixesFirst) {
  PairList list;
  list.Add("9", "nine");
  list.Add("10", "ten");
  list.Add("1", "one");
  list.Add("\x96\x6b", "north");  // 北: lead byte above 0x7F sorts after ASCII
  list.Add("A", "letter");
  EXPECT_EQ("1", KeyAt(list, 0));
  EXPECT_EQ("10", KeyAt(list, 1));
  EXPECT_EQ("9", KeyAt(list, 2));
  EXPECT_EQ("A", KeyAt(list, 3));
  EXPECT_EQ("\x96\x6b", KeyAt(list, 4));
}

TEST(PairList, RefusesDuplicateKeysAndTheEntryAfterTheLastSlot) {
  PairList list;
  list.Add("20", "first");
  list.Add("10", "x");
  EXPECT_FALSE(list.Add("20", "second"));
  EXPECT_EQ(2, list.Count());
  EXPECT_EQ("first", ValueAt(list, 1));

  PairList full;
  for (int i = 0; i < PAIRLIST_SLOTS; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%05d", i);
    ASSERT_TRUE(full.Add(key, "v"));
    ASSERT_EQ(i + 1, full.Count());
  }
  EXPECT_FALSE(full.Add("99999", "one too many"));
  EXPECT_EQ(PAIRLIST_SLOTS, full.Count());
  EXPECT_EQ("00255", KeyAt(full, PAIRLIST_SLOTS - 1));
}

TEST(PairList, RemovePacksTheRestInOrder) {
  PairList list;
  list.Add("10", "a");
  list.Add("20", "b");
  list.Add("30", "c");
  list.Remove("20");
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ("10", KeyAt(list, 0));
  EXPECT_EQ("30", KeyAt(list, 1));
  EXPECT_EQ("c", ValueAt(list, 1));
  list.Remove("absent");
  EXPECT_EQ(2, list.Count());

  PairList empty;
  empty.Remove("10");
  EXPECT_EQ(0, empty.Count());
}

TEST(PairList, LookupFindsValuesAndMissesWholeKeysOnly) {
  PairList list;
  std::string value = "untouched";
  EXPECT_FALSE(list.Lookup("10", value));
  EXPECT_EQ("untouched", value);
  list.Add("12345", "\x8e\x44\x96\x79");  // 札幌
  EXPECT_FALSE(list.Lookup("1234", value));
  EXPECT_FALSE(list.Lookup("123456", value));
  EXPECT_TRUE(list.Lookup("12345", value));
  EXPECT_EQ("\x8e\x44\x96\x79", value);
}

TEST(PairList, ClearEmptiesAndPositionsOutsideYieldEmptyTexts) {
  PairList list;
  list.Add("10", "a");
  list.Clear();
  EXPECT_EQ(0, list.Count());
  EXPECT_EQ("", KeyAt(list, 0));
  EXPECT_EQ("", KeyAt(list, -1));
  EXPECT_TRUE(list.Add("10", "again"));
  EXPECT_EQ(1, list.Count());
}

TEST(PairList, CutsTextsLongerThanASlot) {
  PairList list;
  std::string longKey(400, 'k');
  list.Add(longKey.c_str(), "v");
  EXPECT_EQ(std::string(PAIR_TEXT_MAX, 'k'), KeyAt(list, 0));
}

}  // namespace
