#include "settings/word_text.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(WordTextTest, WordsAreRunsBetweenAnyDelimiters) {
  const std::string placement = " 10, 20 ,,30,40 ";
  EXPECT_EQ(CountWords(placement, " ,"), 4);
  EXPECT_EQ(GetWord(1, placement, " ,"), "10");
  EXPECT_EQ(GetWord(3, placement, " ,"), "30");
  EXPECT_EQ(GetWord(4, placement, " ,"), "40");
  EXPECT_EQ(FindWordStart(2, placement, " ,"), 6);
  EXPECT_EQ(FindWordStart(4, placement, " ,"), 14);
}

TEST(WordTextTest, MissingWordsGiveZeroAndEmpty) {
  EXPECT_EQ(CountWords("", ","), 0);
  EXPECT_EQ(CountWords(",,,", ","), 0);
  EXPECT_EQ(FindWordStart(5, "a,b", ","), 0);
  EXPECT_EQ(FindWordStart(0, "a,b", ","), 0);
  EXPECT_EQ(GetWord(3, "a,b", ","), "");
  EXPECT_EQ(GetWord(-1, "a,b", ","), "");
  EXPECT_EQ(GetWord(1, "word", ""), "word");
}

TEST(WordTextTest, ReplaceAllNeverRescansReplacedText) {
  EXPECT_EQ(ReplaceAll("1,5;2,5", ",", "."), "1.5;2.5");
  // "a" -> "aa" would loop forever if the replacement were scanned again.
  EXPECT_EQ(ReplaceAll("aXa", "a", "aa"), "aaXaa");
  // Non-overlapping, left to right: "aaa" holds one "aa" followed by a lone "a".
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("text", "", "x"), "text");
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
}

}  // namespace
}  // namespace tw
