#include "engine/BuildRequest.h"
#include "engine/IncludeEdits.h"

#include <gtest/gtest.h>

using namespace vdx;

namespace {
const std::string Lattix = "{$DEFINE LATTIX}";
const std::string Tee7 = "{$DEFINE TeeChart7}";
const std::string Tee8 = "{$DEFINE TeeChart8}";
const std::string Tee9 = "{$DEFINE TeeChart9}";
const std::string SeriesEx = "{$DEFINE TeeChartSeriesEx}";
} // namespace

TEST(ApplyLattixDefine, TakesTheFirstLine) {
    struct Case {
        Lines before, after;
    };
    const Case cases[] = {
        {{}, {Lattix}},
        {{""}, {Lattix, ""}},
        {{"{$I vdxVer.inc}", "{$DEFINE X}"}, {Lattix, "{$DEFINE X}"}},
        {{"// Verdex options", "{$DEFINE X}"}, {Lattix, "// Verdex options", "{$DEFINE X}"}},
        {{Lattix, "x"}, {Lattix, "x"}},
        {{" {$I x.inc}"}, {Lattix, " {$I x.inc}"}},
        {{"{ $I x.inc}"}, {Lattix, "{ $I x.inc}"}},
        {{"{"}, {Lattix, "{"}},
    };
    for (const Case& c : cases) {
        Lines lines = c.before;
        ApplyLattixDefine(lines);
        EXPECT_EQ(lines, c.after) << (c.before.empty() ? "(empty)" : c.before[0]);
        ApplyLattixDefine(lines);
        EXPECT_EQ(lines, c.after) << "applied twice";
    }
}

TEST(ApplyTeeDefines, CommentsMoveDownOtherLinesAreReplaced) {
    struct Case {
        Lines before;
        const char* name;
        const char* variant;
        Lines after;
    };
    const Case cases[] = {
        {{"// a", "// b"}, "TeeChart8", "TeeChartSeriesEx", {Tee8, SeriesEx, "// a", "// b"}},
        {{Tee8, SeriesEx, "// c"}, "TeeChart7", "", {Tee7, SeriesEx, "// c"}},
        {{}, "TeeChart9", "", {Tee9}},
        {{}, "TeeChart9", "TeeChartSeriesEx", {Tee9, SeriesEx}},
        {{Tee7}, "TeeChart9", "TeeChartSeriesEx", {Tee9, SeriesEx}},
        {{"{$DEFINE X}", "// c"}, "TeeChart8", "TeeChartSeriesEx", {Tee8, SeriesEx, "// c"}},
        {{"{$DEFINE X}", "{$DEFINE Y}", "z"}, "TeeChart8", "", {Tee8, "{$DEFINE Y}", "z"}},
        {{"", ""}, "TeeChart8", "TeeChartSeriesEx", {Tee8, SeriesEx}},
        {{"/ x", " // y"}, "TeeChart8", "TeeChartSeriesEx", {Tee8, SeriesEx}},
        {{"// a"}, "TeeChart7", "", {Tee7, "// a"}},
    };
    for (const Case& c : cases) {
        Lines lines = c.before;
        ApplyTeeDefines(lines, c.name, c.variant);
        EXPECT_EQ(lines, c.after) << c.name << "/" << c.variant << " on "
                                  << (c.before.empty() ? "(empty)" : c.before[0]);
    }
}

TEST(ApplyTeeDefines, EveryTeeChartChoiceWritesItsDefines) {
    const std::pair<std::string_view, Lines> table[] = {
        {"TeeChartStd", {"{$DEFINE TeeChartStd}"}},
        {"TeeChartStd7", {"{$DEFINE TeeChartStd7}"}},
        {"TeeChartStd8", {"{$DEFINE TeeChartStd8}"}},
        {"TeeChartStd9 and later", {"{$DEFINE TeeChartStd9}"}},
        {"TeeChart4", {"{$DEFINE TeeChart4}"}},
        {"TeeChart5", {"{$DEFINE TeeChart5}"}},
        {"TeeChart6", {"{$DEFINE TeeChart6}"}},
        {"TeeChart7", {Tee7}},
        {"TeeChart8", {Tee8}},
        {"TeeChart9 and later", {Tee9}},
        {"TeeChart8(TeeChartSeriesEx)", {Tee8, SeriesEx}},
        {"TeeChart9(TeeChartSeriesEx) and later", {Tee9, SeriesEx}},
    };
    ASSERT_EQ(std::size(table), TeeChoices.size());
    for (const auto& [choice, expected] : table) {
        std::string name, variant;
        SplitTeeChoice(choice, name, variant);
        Lines lines = {"// TeeChart version"};
        ApplyTeeDefines(lines, name, variant);
        Lines want = expected;
        want.push_back("// TeeChart version");
        EXPECT_EQ(lines, want) << choice;
    }
}

TEST(MakeSearchPaths, QuotedFoldersTeeChartLast) {
    struct Case {
        const char* folders;
        const char* teePath;
        const char* installDir;
        const char* expected;
    };
    const Case cases[] = {
        {"Source;LibD9", R"(C:\Tee)", R"(C:\Pkg\)", R"("C:\Pkg\Source";"C:\Pkg\LibD9";"C:\Tee")"},
        {"Source;;LibD9;", "", R"(C:\P\)", R"("C:\P\Source";"C:\P\";"C:\P\LibD9";)"},
        {"", R"(C:\Tee)", R"(C:\P\)", R"("C:\Tee")"},
        {"", "", R"(C:\P\)", ""},
        {"Source", R"(C:\Program Files\Tee 9)", R"(C:\My Pkg\)",
         R"("C:\My Pkg\Source";"C:\Program Files\Tee 9")"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeSearchPaths(c.folders, c.teePath, c.installDir), c.expected) << c.folders;
}

TEST(ApplyMakeFileEdits, EditsTheFourKeyLines) {
    const std::string P = R"("C:\P\Source";"C:\Tee")";
    const std::string D = "TeeChart9;LATTIX";
    struct Case {
        std::string line, defines, paths, expected;
    };
    const Case cases[] = {
        // PFLAGS: continued lines keep " \" at the end, after the new switches.
        {"PFLAGS = -Od -v \\", D, P, "PFLAGS = -Od -v  -U" + P + " -I" + P + " -D" + D + " \\"},
        {"PFLAGS = -Od", D, P, "PFLAGS = -Od -U" + P + " -I" + P + " -D" + D},
        {"PFLAGS = -v \\", D, "", "PFLAGS = -v -D" + D + " \\"},
        {"PFLAGS = \\", "", P, "PFLAGS =  -U" + P + " -I" + P + " \\"},
        {"PFLAGS = -Od   ", "", "", "PFLAGS = -Od"},
        {"PFLAGS = -Od", "  ", "\t", "PFLAGS = -Od"},
        {"pflags = -Od", D, "", "pflags = -Od -D" + D},
        // USERDEFINES: the untrimmed line is extended.
        {"USERDEFINES =", D, P, "USERDEFINES = " + D},
        {"USERDEFINES = _DEBUG", D, P, "USERDEFINES = _DEBUG;" + D},
        {"UserDefines =  ", D, P, "UserDefines =   " + D},
        {"USERDEFINES = _DEBUG", "", P, "USERDEFINES = _DEBUG"},
        // INCLUDEPATH and LIBPATH.
        {"INCLUDEPATH =", D, P, "INCLUDEPATH =" + P},
        {"INCLUDEPATH = $(BCB)\\include;", D, P, "INCLUDEPATH = $(BCB)\\include;" + P},
        {"INCLUDEPATH = $(BCB)\\include  ", D, P, "INCLUDEPATH = $(BCB)\\include;" + P},
        {"LIBPATH = $(BCB)\\lib", D, P, "LIBPATH = $(BCB)\\lib;" + P},
        {"libpath =", D, P, "libpath =" + P},
        {"LIBPATH = x", D, "", "LIBPATH = x"},
        // Not key lines: a leading blank, no blank before "=", another key.
        {" PFLAGS = -Od", D, P, " PFLAGS = -Od"},
        {"PFLAGS= -Od", D, P, "PFLAGS= -Od"},
        {"USERDEFINES=x", D, P, "USERDEFINES=x"},
        {"INCLUDEPATHS = x", D, P, "INCLUDEPATHS = x"},
        {"SYSDEFINES = NO_STRICT", D, P, "SYSDEFINES = NO_STRICT"},
        {"", D, P, ""},
    };
    for (const Case& c : cases) {
        Lines lines = {c.line};
        ApplyMakeFileEdits(lines, c.defines, c.paths);
        EXPECT_EQ(lines, Lines{c.expected}) << '"' << c.line << "\" D=" << c.defines;
    }
}

TEST(ApplyMakeFileEdits, ContinuationLinesAreNotTouched) {
    Lines lines = {"PFLAGS = -Od -v \\", "  -$YD -$W", "USERDEFINES = _DEBUG", "# PFLAGS = x"};
    ApplyMakeFileEdits(lines, "D", "\"P\"");
    EXPECT_EQ(lines, (Lines{"PFLAGS = -Od -v  -U\"P\" -I\"P\" -DD \\", "  -$YD -$W",
                            "USERDEFINES = _DEBUG;D", "# PFLAGS = x"}));
}
