#include "engine/LogAnalysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vdx;

namespace {
struct Case {
    const char* name;
    std::string log;
    std::vector<std::string> lines;
    bool ok;
};
} // namespace

TEST(AnalyseLogText, ReportsHintsAndTheFirstError) {
    const std::string p = "delphi16";
    const Case cases[] = {
        {"empty log", "", {}, true},
        {"no markers", "Embarcadero Delphi compiler\r\n42 lines, 0.1 seconds.\r\n", {}, true},
        {"hint, then fatal on the third line",
         "Hint: H2164 Variable 'i' is declared but never used\r\nplain\r\n"
         "x.dpk(3) Fatal: F1026 File not found: 'y.dcu'\r\n",
         {p + " hint: Hint: H2164 Variable 'i' is declared but never used",
          p + " error: x.dpk(3) Fatal: F1026 File not found: 'y.dcu'"},
         false},
        {"warning after the first error is not looked at",
         "a.pas(1) Error: E2003 Undeclared identifier: 'X'\r\nWarning: W1000 later\r\n"
         "Error: second\r\n",
         {p + " error: a.pas(1) Error: E2003 Undeclared identifier: 'X'"},
         false},
        {"warning and error on one line count once, as error",
         "Warning: Error: both\r\n",
         {p + " error: Warning: Error: both"},
         false},
        {"warnings are reported as hints, leading blanks kept",
         "  a.pas(9) Warning: W1000 Symbol 'Y' is deprecated\r\n",
         {p + " hint:   a.pas(9) Warning: W1000 Symbol 'Y' is deprecated"},
         true},
        {"markers are case-sensitive and need the colon",
         "error: lower\r\nERROR: upper\r\nError without colon\r\nfatal: f\r\nhint: h\r\n"
         "WARNING: w\r\nHint : spaced\r\n",
         {},
         true},
        {"marker anywhere in the line",
         "make: *** [x.bpl] Error: 2\r\n",
         {p + " error: make: *** [x.bpl] Error: 2"},
         false},
        {"lone LF, lone CR and a last line without line end",
         "Hint: one\nHint: two\rplain\r\nFatal: last",
         {p + " hint: Hint: one", p + " hint: Hint: two", p + " error: Fatal: last"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogReport r = AnalyseLogText(c.log, p);
        EXPECT_EQ(r.Lines, c.lines);
        EXPECT_EQ(r.Ok, c.ok);
    }
}

TEST(AppendBatchOutput, ConcatenatesLinesEachEndingInCrLf) {
    struct AppendCase {
        std::string previous, output, expected;
    };
    const AppendCase cases[] = {
        {"", "", ""},
        {"", "one\r\ntwo", "one\r\ntwo\r\n"},
        {"first\r\n", "", "first\r\n"},
        {"first\r\n", "second\nthird\r", "first\r\nsecond\r\nthird\r\n"},
        {"a\r\n\r\nb\r\n", "\r\nc\r\n", "a\r\n\r\nb\r\n\r\nc\r\n"},
        {"oem \x81\xE1\r\n", "\x8E\x99\r\n", "oem \x81\xE1\r\n\x8E\x99\r\n"},
    };
    for (const AppendCase& c : cases)
        EXPECT_EQ(AppendBatchOutput(c.previous, c.output), c.expected)
            << "previous: " << c.previous << " output: " << c.output;
}
