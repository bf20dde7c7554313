#include "engine/BatchComposer.h"
#include "engine/DriverTexts.h"

#include <gtest/gtest.h>

using namespace vdx;

TEST(BatchComposer, PlainTextIsEscapedForCmd) {
    BatchComposer c;
    EXPECT_EQ(c.Plain("TeeChart9;LATTIX"), "TeeChart9;LATTIX");
    EXPECT_EQ(c.Plain("a%b%"), "a%%b%%");
    EXPECT_EQ(c.Plain("x&y|z<a>b^c"), "x^&y^|z^<a^>b^^c");
    EXPECT_EQ(c.Plain("a\"b\r\nc"), "abc");
    EXPECT_TRUE(c.Environment().empty());
}

TEST(BatchComposer, QuotedPaths) {
    BatchComposer c;
    EXPECT_EQ(c.Quoted("C:\\Pkg\\LibD16\\"), "\"C:\\Pkg\\LibD16\\\"");
    EXPECT_EQ(c.Quoted("C:\\a&b^(c)!d 100%"), "\"C:\\a&b^(c)!d 100%%\"");
    EXPECT_EQ(c.QuotedArg("C:\\Tee"), "\"C:\\Tee\"");
    EXPECT_EQ(c.QuotedArg("C:\\"), "\"C:\\\\\"");
    EXPECT_EQ(c.QuotedArg("C:\\Tee\\\\"), "\"C:\\Tee\\\\\\\\\"");
    EXPECT_EQ(c.QuotedArg("\"C:\\Tee\"\r\n"), "\"C:\\Tee\"");
    EXPECT_EQ(c.Arg("vdx16.dpk"), "vdx16.dpk");
    EXPECT_EQ(c.Arg("my pkg(1).dpk"), "\"my pkg(1).dpk\"");
    EXPECT_EQ(c.Arg("a&b.dpk"), "\"a&b.dpk\"");
}

TEST(BatchComposer, VariablesForTextTheCodePageCannotHold) {
    BatchComposer c([](std::string_view s) { return s.find('\xE4') == std::string_view::npos; });
    EXPECT_EQ(c.Quoted("C:\\\xE4"), "\"%VDX_BATCH_ARG1%\"");
    EXPECT_EQ(c.QuotedArg("C:\\\xE4\\"), "\"%VDX_BATCH_ARG2%\""); // value differs: "\\" doubled
    EXPECT_EQ(c.QuotedArg("C:\\\xE4\\"), "\"%VDX_BATCH_ARG2%\""); // same value, same variable
    EXPECT_EQ(c.Plain("x\xE4%"), "\"%VDX_BATCH_ARG3%\"");
    EXPECT_EQ(c.Environment(), (std::vector<EnvVar>{{"VDX_BATCH_ARG1", "C:\\\xE4"},
                                                    {"VDX_BATCH_ARG2", "C:\\\xE4\\\\"},
                                                    {"VDX_BATCH_ARG3", "x\xE4%"}}));
    EXPECT_TRUE(AsciiOnly("C:\\Pkg 100%"));
    EXPECT_FALSE(AsciiOnly("C:\\\xC3\xA4"));
}

TEST(DriverTexts, ConverterSwitchAndCommandLine) {
    for (int row = 0; row < 20; ++row) {
        bool expected = row >= 7 && row <= 18;
        EXPECT_EQ(ConverterSwitch("Japanese", row), expected ? " -j" : "") << row;
        EXPECT_EQ(ConverterSwitch("Taiwan", row), expected ? " -j" : "") << row;
        EXPECT_EQ(ConverterSwitch("Chinese", row), expected ? " -j" : "") << row;
        EXPECT_EQ(ConverterSwitch("German", row), "") << row;
    }
    EXPECT_EQ(ConverterSwitch("japanese", 10), "");
    EXPECT_EQ(ConverterCommandLine("C:\\Pkg\\", " -j", "vdxrcClass.xml"),
              "\"C:\\Pkg\\RES\\vdrc.exe\" -j vdxrcClass.xml");
    EXPECT_EQ(ConverterCommandLine("C:\\Pkg\\", "", "vdxrcInsp.xml"),
              "\"C:\\Pkg\\RES\\vdrc.exe\" vdxrcInsp.xml");
}

TEST(DriverTexts, EndText) {
    EXPECT_EQ(EndText("C:\\Pkg\\", "LibD16"),
              "Recompiled files are in the\r\n\"C:\\Pkg\\LibD16\" folder.\r\n\r\n"
              "Be sure that your Delphi/BCB Library path is set up correctly.");
}
