#include "engine/BuildRequest.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace vdx;

TEST(BuildRequest, CompilerListHoldsTheTwentyVersions) {
    const int versions[] = {7,  9,  10, 11, 12, 14, 15, 16, 17, 18,
                            19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
    for (int row = 0; row < CompilerCount; ++row)
        EXPECT_EQ(CompilerList[static_cast<size_t>(row)].Ver, versions[row]) << row;
    EXPECT_EQ(CompilerList[0].EntryText, "Delphi 7");
    EXPECT_EQ(CompilerList[2].EntryText, "BDS 2006 (Delphi, C++), Turbo Delphi/C++ Prof.");
    EXPECT_EQ(CompilerList[7].EntryText, "Embarcadero RAD Studio XE 2 (Delphi, C++)");
    EXPECT_EQ(CompilerList[19].EntryText, "Embarcadero RAD Studio 11 (Delphi, C++)");
}

TEST(BuildRequest, CompleteRequestDerivesVersionAndLibraryFolder) {
    struct Case {
        int row;
        bool x64;
        const char *ver, *verC, *libDir;
    };
    const Case cases[] = {
        {7, true, "16", "16x64", "LibD16x64"},
        {1, false, "9", "9", "LibD9"},
        {0, false, "7", "7", "LibD7"},
        {19, true, "28", "28x64", "LibD28x64"},
    };
    for (const Case& c : cases) {
        BuildRequest r;
        r.CompilerIndex = c.row;
        r.Platform64 = c.x64;
        r.TeeChoice = "TeeChart8(TeeChartSeriesEx)";
        r.TeeVariant = "stale";
        CompleteRequest(r);
        EXPECT_EQ(r.Ver, c.ver);
        EXPECT_EQ(r.VerC, c.verC);
        EXPECT_EQ(r.LibDir, c.libDir);
        EXPECT_EQ(r.TeeName, "TeeChart8");
        EXPECT_EQ(r.TeeVariant, "TeeChartSeriesEx");
    }
}

TEST(BuildRequest, CompleteRequestRefusesARowOutsideTheList) {
    for (int row : {-1, 20}) {
        BuildRequest r;
        r.CompilerIndex = row;
        EXPECT_THROW(CompleteRequest(r), std::out_of_range);
        EXPECT_EQ(r.Ver, "");
    }
}

TEST(BuildRequest, TeeNameAndVariant) {
    struct Case {
        const char *choice, *name, *variant;
    };
    const Case cases[] = {
        {"TeeChartStd", "TeeChartStd", ""},
        {"TeeChartStd7", "TeeChartStd7", ""},
        {"TeeChartStd9 and later", "TeeChartStd9", ""},
        {"TeeChart4", "TeeChart4", ""},
        {"TeeChart9 and later", "TeeChart9", ""},
        {"TeeChart8(TeeChartSeriesEx)", "TeeChart8", "TeeChartSeriesEx"},
        {"TeeChart9(TeeChartSeriesEx) and later", "TeeChart9", "TeeChartSeriesEx"},
        {"TeeChart9(Series", "TeeChart9", ""},
        {"Tee)Chart(x", "Tee)Chart", ""},
        {"TeeChart9 (Series) later", "TeeChart9", ""},
        {"(x)", "", "x"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        std::string name = "old", variant = "old";
        SplitTeeChoice(c.choice, name, variant);
        EXPECT_EQ(name, c.name) << c.choice;
        EXPECT_EQ(variant, c.variant) << c.choice;
    }
    // Every listed entry gives a name that is a plain define name.
    for (std::string_view choice : TeeChoices) {
        std::string name, variant;
        SplitTeeChoice(choice, name, variant);
        EXPECT_EQ(name.find_first_of(" ()"), std::string::npos) << choice;
        EXPECT_FALSE(name.empty());
    }
    EXPECT_EQ(TeeChoices.front(), "TeeChartStd");
    EXPECT_EQ(TeeChoices.back(), "TeeChart9(TeeChartSeriesEx) and later");
}

TEST(BuildRequest, LookupCompilerRootByKeyInAnyCase) {
    const std::vector<std::string> installed = {
        "delphi7=",        "no separator",       "Delphi16=C:\\RS\\XE2\\",
        "delphi16=second", "delphi28=C:\\a=b\\",
    };
    EXPECT_EQ(LookupCompilerRoot(installed, "delphi16"), "C:\\RS\\XE2\\");
    EXPECT_EQ(LookupCompilerRoot(installed, "DELPHI16"), "C:\\RS\\XE2\\");
    EXPECT_EQ(LookupCompilerRoot(installed, "delphi28"), "C:\\a=b\\");
    EXPECT_EQ(LookupCompilerRoot(installed, "delphi7"), "");
    EXPECT_EQ(LookupCompilerRoot(installed, "delphi1"), "");
    EXPECT_EQ(LookupCompilerRoot(installed, "no separator"), "");
    EXPECT_EQ(LookupCompilerRoot({}, "delphi16"), "");
}

TEST(BuildRequest, SectionNames) {
    EXPECT_EQ(SectionName(TaskKind::Language), "language");
    EXPECT_EQ(SectionName(TaskKind::Tee), "tee");
    EXPECT_EQ(SectionName(TaskKind::Ibx), "ibx");
    EXPECT_EQ(SectionName(TaskKind::Fib), "fib");
    EXPECT_EQ(SectionName(TaskKind::All), "all");
    EXPECT_EQ(SectionName(TaskKind::None), "");
}
