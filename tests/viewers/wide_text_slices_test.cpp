// Wide plain text cut to the control's limit and into slices: no break or surrogate pair halved.
#include "viewers/wide_text_slices.h"

#include <gtest/gtest.h>

#include <string>

namespace tw {
namespace {

TEST(WideTextSlices, LimitsAndSlicesNeverHalveABreakOrAPair) {
  const std::u16string text = u"a\r\n\U0001F600b\r\n";  // units: a CR LF hi lo b CR LF
  EXPECT_EQ(WideTextFit(text, 100, true), text.size());
  // With a break as one character: a, break, the pair (two), b, break.
  const std::size_t as_one[] = {0, 1, 3, 3, 5, 6, 8};
  for (int limit = 0; limit <= 6; ++limit) EXPECT_EQ(WideTextFit(text, limit, true), as_one[limit]) << limit;
  EXPECT_EQ(WideTextFit(text, 2, false), 1u);
  EXPECT_EQ(WideTextFit(text, 3, false), 3u);

  std::u16string joined;
  for (std::size_t from = 0, end; from < text.size(); from = end) {
    end = WideSliceEnd(text, from, 2);
    ASSERT_GT(end, from);
    EXPECT_NE(text[end - 1], u'\r');
    EXPECT_FALSE(text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF);
    joined += text.substr(from, end - from);
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(WideSliceEnd(text, 3, 1), 5u) << "a pair goes whole even into a slice of one unit";
}

}  // namespace
}  // namespace tw
