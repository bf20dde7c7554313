#include "support/TextUtil.h"

#include <gtest/gtest.h>

using namespace vdx;
using Lines = std::vector<std::string>;

TEST(TextUtil, SplitLinesAcceptsEveryLineEnd) {
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\n"), Lines{""});
}

TEST(TextUtil, JoinLinesEndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(TextUtil, TrimAndCase) {
    EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(ToLowerAscii("CoPy\xC4"), "copy\xC4");
    EXPECT_EQ(ToUpperAscii("pflags ="), "PFLAGS =");
    EXPECT_TRUE(SameTextAscii("Delphi16", "DELPHI16"));
    EXPECT_FALSE(SameTextAscii("delphi1", "delphi16"));
}
