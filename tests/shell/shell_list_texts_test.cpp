#include "shell/shell_list_texts.h"

#include <gtest/gtest.h>

#include "shell/shell_list_options.h"

namespace tw {
namespace {

TEST(ShellListFilter, SplitsAtSemicolonsAndDropsEmptyParts) {
  EXPECT_EQ(SplitFileFilter("*.txt;*.log"), (std::vector<std::string>{"*.txt", "*.log"}));
  EXPECT_EQ(SplitFileFilter(";*.txt;;*.log;"), (std::vector<std::string>{"*.txt", "*.log"}));
  EXPECT_TRUE(SplitFileFilter("").empty());
  EXPECT_TRUE(SplitFileFilter(";;;").empty());
  EXPECT_EQ(SplitFileFilter("a b.c"), (std::vector<std::string>{"a b.c"}));
}

TEST(ShellListFilter, OnlyTheExactCatchAllPatternsShowEverything) {
  EXPECT_TRUE(FilterShowsEverything(""));
  EXPECT_TRUE(FilterShowsEverything("*"));
  EXPECT_TRUE(FilterShowsEverything("*.*"));
  EXPECT_FALSE(FilterShowsEverything("*;*.txt"));
  EXPECT_FALSE(FilterShowsEverything(" *"));
  EXPECT_FALSE(FilterShowsEverything("*.txt"));
}

TEST(ShellListSizeText, RoundsUpToWholeKilobytesWithGroupedDigits) {
  EXPECT_EQ(SizeText(0, ","), "0KB");
  EXPECT_EQ(SizeText(1, ","), "1KB");
  EXPECT_EQ(SizeText(1024, ","), "1KB");
  EXPECT_EQ(SizeText(1025, ","), "2KB");
  EXPECT_EQ(SizeText(1536001, ","), "1,501KB");
  EXPECT_EQ(SizeText(1024ull * 999, ","), "999KB");
  EXPECT_EQ(SizeText(1024ull * 1000, "."), "1.000KB");
  EXPECT_EQ(SizeText(1024ull * 1234567, "\xA0"), "1\xA0" "234\xA0" "567KB");
  // The largest sizes round up without wrapping around.
  EXPECT_EQ(SizeText(UINT64_MAX, ","), "18,014,398,509,481,984KB");
}

TEST(ShellListSizeText, GroupsEveryThreeDigitsFromTheRight) {
  EXPECT_EQ(GroupThousands(0, ","), "0");
  EXPECT_EQ(GroupThousands(999, ","), "999");
  EXPECT_EQ(GroupThousands(1000, ","), "1,000");
  EXPECT_EQ(GroupThousands(123456, ","), "123,456");
  EXPECT_EQ(GroupThousands(1234567, ""), "1234567");
  EXPECT_EQ(GroupThousands(1234567, "'"), "1'234'567");
}

TEST(ShellListOptions, DefaultSetHasTheDocumentedMembers) {
  const TPTShellListOptions defaults = kDefaultShellListOptions;
  EXPECT_EQ(defaults.Bits(), 7835);
  EXPECT_EQ(defaults, (TPTShellListOptions{ptsloAutoFill, ptsloNonFilesystemAncestors,
                                            ptsloDefaultKeyHandling, ptsloContextMenus,
                                            ptsloDynamicRefresh, ptsloOleDrag, ptsloOleDrop,
                                            ptsloFolderContextMenu, ptsloShowHidden}));
  EXPECT_FALSE(defaults.Contains(ptsloDontChangeFolder));
  EXPECT_TRUE(defaults.With(ptsloDontChangeFolder).Contains(ptsloDontChangeFolder));
  EXPECT_FALSE(defaults.Without(ptsloShowHidden).Contains(ptsloShowHidden));
  EXPECT_EQ(defaults.Without(ptsloShowHidden).Bits(), 7835 - 4096);
}

}  // namespace
}  // namespace tw
