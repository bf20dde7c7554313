#include "support/tkUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vdx;
using List = std::vector<std::string>;

TEST(SplitText, KeepsEmptyTokensButNoneAfterTheLastSeparator) {
    struct Case {
        const char* text;
        char sep;
        List expected;
    };
    const Case cases[] = {
        {"a b", ' ', {"a", "b"}},
        {"a  b", ' ', {"a", "", "b"}},
        {" a", ' ', {"", "a"}},
        {"a ", ' ', {"a"}},
        {"", ' ', {}},
        {"a;;b;", ';', {"a", "", "b"}},
        {";", ';', {""}},
        {"Source;LibD9", ';', {"Source", "LibD9"}},
    };
    for (const Case& c : cases) {
        List list = {"stale"};
        SplitText(c.text, c.sep, list);
        EXPECT_EQ(list, c.expected) << '"' << c.text << '"';
    }
}

TEST(DirWithDelimiter, CompletesFolderPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"C:", "C:"},
        {"C:\\src\\", "C:\\src\\"},
        {"d", "d:\\"},
        {"Z", "Z:\\"},
        {"src", "src\\"},
        {"1", "1\\"},
        {"C:\\src", "C:\\src\\"},
        {"\\\\srv\\share", "\\\\srv\\share\\"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(DirWithDelimiter(path), expected) << '"' << path << '"';
}

TEST(SplitMaskList, TrimsThenSplitsAtBlanks) {
    EXPECT_EQ(SplitMaskList("  *.tds  "), List{"*.tds"});
    EXPECT_EQ(SplitMaskList("\t*.bak *.~*\r\n"), (List{"*.bak", "*.~*"}));
    EXPECT_EQ(SplitMaskList("*.pas  *.dfm"), (List{"*.pas", "", "*.dfm"}));
    EXPECT_EQ(SplitMaskList("   "), List{});
}

TEST(MatchesMask, WildcardsAndCase) {
    struct Case {
        const char* name;
        const char* mask;
        bool expected;
    };
    const Case cases[] = {
        // "*.*" selects every name, with or without a dot.
        {"vdx.pas", "*.*", true},
        {"README", "*.*", true},
        {".hidden", "*.*", true},
        {"a.b.c", "*.*", true},
        {"vdx", "vdx.*", true},
        {"vdx.dcu", "vdx.*", true},
        {"vdxa", "vdx.*", false},
        // Extensions are matched on the long name only.
        {"x.pas", "*.pas", true},
        {"x.pasx", "*.pas", false},
        {"x.PAS", "*.pas", true},
        {"X.Pas", "*.PAS", true},
        {"pas", "*.pas", false},
        {"a.pas.bak", "*.pas", false},
        {"a.pas.bak", "*.bak", true},
        // "?" is exactly one character.
        {"vdx1.dcu", "vdx?.dcu", true},
        {"vdx.dcu", "vdx?.dcu", false},
        {"vdx12.dcu", "vdx?.dcu", false},
        {"a", "?", true},
        {"ab", "?", false},
        // Backup masks of the scripts.
        {"unit1.~pas", "*.~*", true},
        {"unit1.pas", "*.~*", false},
        {"x.~", "*.~*", true},
        {"vdxChart.dcu", "vdxChart*.dcu", true},
        {"vdxChartEditor.dcu", "VDXCHART*.DCU", true},
        {"vdxChart.pas", "vdxChart*.dcu", false},
        // Plain names match themselves, and only themselves.
        {"vdxrcClass.dcu", "vdxrcClass.dcu", true},
        {"vdxrcClass.dcu.bak", "vdxrcClass.dcu", false},
        {"xvdxrcClass.dcu", "vdxrcClass.dcu", false},
        // Stars anywhere, in runs.
        {"abc", "a**c", true},
        {"abc", "*", true},
        {"abc", "***", true},
        {"abcabd", "*ab?", true},
        {"abcabd", "*abc", false},
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*iss*ppx", false},
        // An empty mask (two blanks in a list) matches nothing.
        {"x", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.expected)
            << '"' << c.name << "\" vs \"" << c.mask << '"';
}

TEST(MatchesMask, NonAsciiNames) {
    // "?" takes one character, not one byte; letters of the common alphabets
    // compare without regard to case.
    const std::string ae = "\xC3\xA4";  // a umlaut
    const std::string AE = "\xC3\x84";  // A umlaut
    const std::string zhe = "\xD0\xB6"; // Cyrillic small zhe
    const std::string ZHE = "\xD0\x96"; // Cyrillic capital zhe
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    EXPECT_TRUE(MatchesMask(ae + ".pas", "?.pas"));
    EXPECT_TRUE(MatchesMask(ae + ".pas", AE + ".PAS"));
    EXPECT_TRUE(MatchesMask("f" + zhe + ".dcu", "F" + ZHE + "*"));
    EXPECT_TRUE(MatchesMask(nihon + ".xml", "??.xml"));
    EXPECT_FALSE(MatchesMask(nihon + ".xml", "?.xml"));
    EXPECT_TRUE(MatchesMask("\xF0\x9F\x98\x80.txt", "?.txt")); // outside the BMP
    EXPECT_FALSE(MatchesMask("\xC3\xA4.pas", "a.pas"));
    // Bytes that are not UTF-8 still have one reading each.
    EXPECT_TRUE(MatchesMask("\xFF\xFE.bin", "??.bin"));
    EXPECT_TRUE(MatchesMask("\xC3.bin", "?.bin"));
}

TEST(MatchesMask, ManyStarsStayLinear) {
    // A backtracking matcher needs on the order of n^k steps here and would
    // run into the test's time-out; the greedy one answers at once.
    const std::string name(20000, 'a');
    EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*.*b"));
    EXPECT_TRUE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*.*"));
}
