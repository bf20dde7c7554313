// The stand-in IDE tools, run for real under Wine: what they print for each
// marker, the files they leave, the call log, and the global settings.

#include "ProcessRun.h"
#include "SampleFiles.h"
#include "StandinTools.h"

#include "common/WinTestUtil.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace vdx::test {
namespace {

using sample::ReadStandinCalls;
using sample::StandinCall;

const std::string kDcc32Banner = "Verdex stand-in compiler for Delphi (Win32), version 1.0";
const std::string kDcc64Banner = "Verdex stand-in compiler for Delphi (Win64), version 1.0";

std::string StandinExe() {
    return BinaryDir() + "tools\\standin.exe";
}

std::string Join(const std::vector<std::string>& lines) {
    std::string t;
    for (const std::string& l : lines)
        t += l + "\r\n";
    return t;
}

// A package project with the given marker lines from line 2 on.
std::string Project(const std::string& name, const std::vector<std::string>& markerLines) {
    std::vector<std::string> lines{"package " + name + ";"};
    lines.insert(lines.end(), markerLines.begin(), markerLines.end());
    lines.push_back("requires rtl;");
    lines.push_back("end.");
    return Join(lines);
}

std::string Summary(size_t projectLines) {
    return std::to_string(projectLines) + " lines, 0.01 seconds, " +
           std::to_string(projectLines * 100) + " bytes code, " +
           std::to_string(projectLines * 10) + " bytes data.";
}

class StandinTool : public ::testing::Test {
protected:
    void SetUp() override {
        sample::InstallStandinTools(StandinExe(), root_);
        sample::MakeFolders(pkg_);
    }
    void TearDown() override { SetEnvironmentVariableW(L"VDX_STANDIN", nullptr); }

    std::string Tool(const std::string& name) const { return root_ + "\\Bin\\" + name + ".exe"; }
    ProcessResult Run(const std::string& tool, const std::string& args) {
        return RunProcess("\"" + Tool(tool) + "\" " + args, pkg_, dir_.Path());
    }

    ScratchDir dir_{"standin"};
    std::string root_ = dir_ / "Studio 22\\Delphi28";
    std::string pkg_ = dir_ / "Pkg & Co\\LibD28\\";
};

struct MarkerCase {
    const char* name;
    const char* tool;
    std::vector<std::string> markers; // lines 2, 3, ... of vdx28.dpk
    std::vector<std::string> lines;   // expected between banner and summary
    bool succeeds;                    // outputs left, summary printed
    unsigned long exitCode;
};

TEST_F(StandinTool, MarkersChooseLinesFilesAndExitCode) {
    const MarkerCase cases[] = {
        {"none", "dcc32", {}, {}, true, 0},
        {"dcc64 banner", "dcc64", {}, {}, true, 0},
        {"error",
         "dcc32",
         {"//standin: error"},
         {"vdx28.dpk(2) Error: E2003 Undeclared identifier: 'X'"},
         false,
         1},
        {"fatal",
         "dcc32",
         {"//standin: fatal"},
         {"vdx28.dpk(2) Fatal: F1026 File not found: 'Missing.dcu'"},
         false,
         1},
        {"warning",
         "dcc32",
         {"// standin: warning"},
         {"vdx28.dpk(2) Warning: W1000 Symbol 'Y' is deprecated"},
         true,
         0},
        {"hint in a brace comment",
         "dcc64",
         {"{ standin: hint }"},
         {"vdx28.dpk(2) Hint: H2164 Variable 'Z' is declared but never used"},
         true,
         0},
        {"own texts, in order",
         "dcc32",
         {"//standin: hint H2077 Value assigned to 'A' never used",
          "(* standin: WARNING W1036 Variable 'Q' might not have been initialized *)",
          "//standin: error E2029 ';' expected but '.' found"},
         {"vdx28.dpk(2) Hint: H2077 Value assigned to 'A' never used",
          "vdx28.dpk(3) Warning: W1036 Variable 'Q' might not have been initialized",
          "vdx28.dpk(4) Error: E2029 ';' expected but '.' found"},
         false,
         1},
        {"scope of another tool", "dcc32", {"//standin: @dcc64 error"}, {}, true, 0},
        {"scope of this project",
         "dcc32",
         {"//standin: @VDX*.dpk fatal"},
         {"vdx28.dpk(2) Fatal: F1026 File not found: 'Missing.dcu'"},
         false,
         1},
        {"scope of another project", "dcc32", {"//standin: @dcl*.dpk fatal"}, {}, true, 0},
        {"echo and lines",
         "dcc32",
         {"//standin: echo Compiling 'a' & 'b'", "//standin: lines 2"},
         {"Compiling 'a' & 'b'", "Unit1.pas(10)", "Unit2.pas(20)"},
         true,
         0},
        {"short hang", "dcc32", {"//standin: hang 50"}, {}, true, 0},
        {"exit code", "dcc32", {"//standin: exit 7"}, {}, true, 7},
        {"marker in prose is ignored", "dcc32", {"// do not use standin: error here"}, {}, true, 0},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(pkg_);
        MakeDir(pkg_);
        std::string project = Project("vdx28", c.markers);
        WriteFile(pkg_ + "vdx28.dpk", project);

        ProcessResult r = Run(c.tool, "vdx28.dpk -M -Z");

        std::vector<std::string> expected{std::string(c.tool) == "dcc64" ? kDcc64Banner
                                                                         : kDcc32Banner};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        if (c.succeeds)
            expected.push_back(Summary(c.markers.size() + 3));
        EXPECT_EQ(r.out, Join(expected));
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(Exists(pkg_ + "vdx28.bpl"), c.succeeds);
        EXPECT_EQ(Exists(pkg_ + "vdx28.dcp"), c.succeeds);
    }
}

TEST_F(StandinTool, SettingsThatSilenceOrKeepFiles) {
    struct Case {
        const char* name;
        std::vector<std::string> markers;
        std::string out;
        std::string err;
        bool files;
        unsigned long exitCode;
    };
    const Case cases[] = {
        {"silent", {"//standin: silent", "//standin: hint"}, "", "", true, 0},
        {"silent error", {"//standin: silent", "//standin: error"}, "", "", false, 1},
        {"nooutput", {"//standin: nooutput"}, Join({kDcc32Banner, Summary(4)}), "", false, 0},
        {"nobanner",
         {"//standin: nobanner", "//standin: hint H1 x"},
         "vdx28.dpk(3) Hint: H1 x\r\n",
         "",
         true,
         0},
        {"stderr",
         {"//standin: nobanner", "//standin: stderr 'tool' is not recognized"},
         "",
         "'tool' is not recognized\r\n",
         true,
         0},
        {"unknown directive",
         {"//standin: nobanner", "//standin: explode"},
         "",
         "stand-in: unknown directive 'explode'\r\n",
         true,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(pkg_);
        MakeDir(pkg_);
        WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", c.markers));
        ProcessResult r = Run("dcc32", "vdx28.dpk");
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(Exists(pkg_ + "vdx28.bpl"), c.files);
    }
}

TEST_F(StandinTool, ProjectIsFoundWithoutExtensionAndMissingOneIsFatal) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {}));
    ProcessResult r = Run("dcc32", "vdx28 -M");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(Exists(pkg_ + "vdx28.bpl"));

    r = Run("dcc32", "-M -Z nothere.dpk");
    EXPECT_EQ(r.out, Join({kDcc32Banner, "Fatal: F1026 File not found: 'nothere.dpk'"}));
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_FALSE(Exists(pkg_ + "nothere.bpl"));
}

TEST_F(StandinTool, OutputThatCannotBeReplacedFailsTheCall) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {}));
    WriteFile(pkg_ + "vdx28.bpl", "old package");
    {
        // Held open without sharing, as by an environment that loaded the package.
        UniqueFile held(CreateFileW(Widen(pkg_ + "vdx28.bpl").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        ProcessResult r = Run("dcc32", "vdx28.dpk");
        EXPECT_EQ(r.out, Join({kDcc32Banner, "Fatal: F2039 Could not create output file '" + pkg_ +
                                                 "vdx28.bpl'"}));
        EXPECT_EQ(r.exitCode, 1u);
    }
    EXPECT_EQ(ReadFile(pkg_ + "vdx28.bpl"), "old package");
}

TEST_F(StandinTool, CrashEndsWithAccessViolationAndLeavesNoFiles) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {"//standin: hint", "//standin: crash"}));
    ProcessResult r = Run("dcc32", "vdx28.dpk");
    EXPECT_EQ(r.exitCode, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
    // What was printed before the crash stays printed.
    EXPECT_EQ(r.out.rfind(Join({kDcc32Banner, "vdx28.dpk(2) Hint: H2164 Variable 'Z' is declared "
                                              "but never used"}),
                          0),
              0u)
        << r.out;
    EXPECT_FALSE(Exists(pkg_ + "vdx28.bpl"));
    EXPECT_EQ(ReadStandinCalls(root_).size(), 1u);
}

TEST_F(StandinTool, HangKeepsTheToolRunningAfterItsCallIsRecorded) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {"//standin: hang 60000"}));
    StartedProcess p("\"" + Tool("dcc32") + "\" vdx28.dpk", pkg_, dir_.Path());
    EXPECT_EQ(WaitForSingleObject(p.Handle(), 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(ReadStandinCalls(root_).size(), 1u);
    p.Kill();
    EXPECT_FALSE(Exists(pkg_ + "vdx28.bpl"));
}

TEST_F(StandinTool, ConfigFileAndEnvironmentApplyToEveryCall) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {}));
    WriteFile(pkg_ + "dclvdx28.dpk", Project("dclvdx28", {}));
    sample::WriteStandinConfig(root_, {"# design-time packages fail", "@dcl*.dpk error",
                                       "//standin: warning", "@make fatal"});

    ProcessResult r = Run("dcc32", "vdx28.dpk");
    EXPECT_EQ(r.out, Join({kDcc32Banner, "vdx28.dpk(1) Warning: W1000 Symbol 'Y' is deprecated",
                           Summary(3)}));
    EXPECT_TRUE(Exists(pkg_ + "vdx28.bpl"));

    r = Run("dcc64", "dclvdx28.dpk");
    EXPECT_EQ(r.out, Join({kDcc64Banner, "dclvdx28.dpk(1) Error: E2003 Undeclared identifier: 'X'",
                           "dclvdx28.dpk(1) Warning: W1000 Symbol 'Y' is deprecated"}));
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_FALSE(Exists(pkg_ + "dclvdx28.bpl"));

    // The environment variable adds to the file, after it.
    sample::WriteStandinConfig(root_, {});
    SetEnvironmentVariableW(L"VDX_STANDIN", L"nobanner; hint H9 from the environment ;@dcl* crash");
    r = Run("dcc32", "vdx28.dpk");
    EXPECT_EQ(r.out, "vdx28.dpk(1) Hint: H9 from the environment\r\n");
    EXPECT_EQ(r.exitCode, 0u);
    r = Run("dcc32", "dclvdx28.dpk");
    EXPECT_EQ(r.exitCode, static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
}

TEST_F(StandinTool, FastModeOnlyLeavesTheFiles) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {"//standin: error"}));
    sample::WriteStandinConfig(root_, {"fast"});
    ProcessResult r = Run("dcc32", "vdx28.dpk -M -Z");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(Exists(pkg_ + "vdx28.bpl"));
    EXPECT_TRUE(Exists(pkg_ + "vdx28.dcp"));
    r = Run("make", "-fvdxcb28.mak");
    EXPECT_TRUE(Exists(pkg_ + "vdxcb28.bpi"));
    EXPECT_EQ(ReadStandinCalls(root_).size(), 2u);
}

TEST_F(StandinTool, CallLogHoldsToolFolderAndExactCommandLine) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {}));
    const std::string cmd =
        "\"" + Tool("dcc32") + "\"  vdx28.dpk -U\"C:\\Tee Ünï\\%VER%\";\"C:\\日本\" -DA;B\t-x ";
    ProcessResult r = RunProcess(cmd, pkg_, dir_.Path());
    ASSERT_EQ(r.exitCode, 0u);
    Run("dcc64", "vdx28.dpk");

    std::vector<StandinCall> calls = ReadStandinCalls(root_);
    ASSERT_EQ(calls.size(), 2u);
    std::string folder = pkg_.substr(0, pkg_.size() - 1);
    EXPECT_EQ(calls[0].tool, "dcc32");
    EXPECT_EQ(calls[0].folder, folder);
    EXPECT_EQ(calls[0].commandLine, cmd);
    EXPECT_EQ(calls[1].tool, "dcc64");
    EXPECT_EQ(calls[1].commandLine, "\"" + Tool("dcc64") + "\" vdx28.dpk");

    // The raw record: tab-separated UTF-8, "%" and tabs escaped, CR LF at the end.
    std::string raw = ReadFile(sample::StandinLogPath(root_));
    std::string first = raw.substr(0, raw.find('\n') + 1);
    EXPECT_EQ(first, "dcc32\t" + folder + "\t\"" + Tool("dcc32") +
                         "\"  vdx28.dpk -U\"C:\\Tee Ünï\\%25VER%25\";\"C:\\日本\" -DA;B%09-x \r\n");
}

TEST_F(StandinTool, CallLogKeepsEveryRecordOfCallsRunningSideBySide) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {"//standin: hang 100"}));
    constexpr int kCalls = 12;
    std::vector<std::unique_ptr<StartedProcess>> running;
    for (int i = 0; i < kCalls; ++i)
        running.push_back(std::make_unique<StartedProcess>(
            "\"" + Tool(i % 2 ? "dcc32" : "dcc64") + "\" vdx28.dpk -K" + std::to_string(i) +
                std::string(200, 'x'),
            pkg_, dir_.Path()));
    for (auto& p : running)
        p->Finish();

    std::string raw = ReadFile(sample::StandinLogPath(root_));
    std::set<std::string> seen;
    size_t lines = 0;
    for (size_t start = 0; start < raw.size(); ++lines) {
        size_t end = raw.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        StandinCall call;
        ASSERT_TRUE(sample::ParseStandinCall(raw.substr(start, end - start), call));
        size_t k = call.commandLine.find(" -K");
        ASSERT_NE(k, std::string::npos) << call.commandLine;
        EXPECT_EQ(call.commandLine.substr(call.commandLine.size() - 200), std::string(200, 'x'));
        seen.insert(call.commandLine.substr(k, call.commandLine.size() - 200 - k));
        start = end + 2;
    }
    EXPECT_EQ(lines, static_cast<size_t>(kCalls));
    EXPECT_EQ(seen.size(), static_cast<size_t>(kCalls));
}

// The way the wizard runs the tools: a batch file through cmd.exe, which
// hands the tool its command line exactly as the batch line has it.
TEST_F(StandinTool, BatchLineReachesTheToolUnchanged) {
    WriteFile(pkg_ + "vdx28.dpk", Project("vdx28", {"//standin: hint"}));
    const std::string line2 =
        "\"" + Tool("dcc32") +
        "\" vdx28.dpk -M -Z -$D- -JPHNE -JL -NSSystem;Xml;Vcl -U\"C:\\T ee\";\"C:\\Indy (10)\" "
        "-I\"C:\\T ee\" -R\"C:\\T ee\" -DTeeChart9;LATTIX";
    const std::string bat = dir_ / "run.bat";
    WriteFile(bat, "cd /d \"" + pkg_ + "\"\r\n" + line2);
    ProcessResult r = RunProcess("\"" + bat + "\"", dir_.Path(), dir_.Path());

    EXPECT_NE(r.out.find("vdx28.dpk(2) Hint: H2164"), std::string::npos) << r.out;
    std::vector<StandinCall> calls = ReadStandinCalls(root_);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].folder, pkg_.substr(0, pkg_.size() - 1));
    EXPECT_EQ(calls[0].commandLine, line2);
    EXPECT_TRUE(Exists(pkg_ + "vdx28.dcp"));
}

TEST_F(StandinTool, Bpr2makWritesTheMakeFileLines) {
    struct Case {
        const char* name;
        const char* project;
        std::string text;
        std::vector<std::string> keyed; // the lines from PFLAGS on, as written
    };
    const std::vector<std::string> plain{
        "USERDEFINES = _DEBUG", "INCLUDEPATH = $(BCB)\\include;$(BCB)\\include\\vcl",
        "LIBPATH = $(BCB)\\lib\\obj;$(BCB)\\lib", "PFLAGS = -$YD -$W -$O- -v -JPHNE -M"};
    const Case cases[] = {
        {"plain bpk", "vdxcb28.bpk", "<PROJECT/>\r\n", plain},
        {"continued PFLAGS, empty values",
         "vdxcb28.cbproj",
         "<Project>\r\n<!-- standin: pflags-continued -->\r\n<!-- standin: empty-values "
         "-->\r\n</Project>\r\n",
         {"USERDEFINES =", "INCLUDEPATH =", "LIBPATH =", "PFLAGS = -$YD -$W -$O- -v \\",
          "    -JPHNE -M"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(pkg_);
        MakeDir(pkg_);
        WriteFile(pkg_ + c.project, c.text);
        ProcessResult r = Run("bpr2mak", c.project);
        EXPECT_EQ(r.exitCode, 0u);
        EXPECT_EQ(r.out, Join({"Verdex stand-in project converter, version 1.0",
                               "Generated makefile vdxcb28.mak"}));
        std::string mak = ReadFile(pkg_ + "vdxcb28.mak");
        std::string keyed;
        for (const std::string& k : c.keyed)
            keyed += k + "\r\n";
        // The keyed lines stand together, with SYSDEFINES between USERDEFINES and INCLUDEPATH.
        std::string expected = c.keyed[0] + "\r\nSYSDEFINES = _RTLDLL;NO_STRICT;USEPACKAGES\r\n" +
                               keyed.substr(c.keyed[0].size() + 2);
        EXPECT_NE(mak.find("\r\n" + expected + "CFLAG1 = "), std::string::npos) << mak;
        EXPECT_NE(mak.find("\r\nPROJECT = vdxcb28.bpl\r\n"), std::string::npos);
    }

    WriteFile(pkg_ + "vdxcb28.bpk", "<!-- standin: makeline SRC = a.cpp -->\r\n");
    Run("bpr2mak", "vdxcb28.bpk");
    EXPECT_NE(ReadFile(pkg_ + "vdxcb28.mak").find("\r\nSRC = a.cpp\r\n"), std::string::npos);

    WriteFile(pkg_ + "vdxcb28.bpk", "<!-- standin: @bpr2mak error -->\r\n");
    DeleteFileW(Widen(pkg_ + "vdxcb28.mak").c_str());
    ProcessResult r = Run("bpr2mak", "vdxcb28.bpk");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_FALSE(Exists(pkg_ + "vdxcb28.mak"));
}

TEST_F(StandinTool, MakeLeavesPackageFilesAndShowsWhatItBuildsWith) {
    WriteFile(pkg_ + "vdxcb28.bpk", "<!-- standin: pflags-continued -->\r\n");
    ASSERT_EQ(Run("bpr2mak", "vdxcb28.bpk").exitCode, 0u);
    // An edited make file, as the wizard leaves it.
    std::string mak = ReadFile(pkg_ + "vdxcb28.mak");
    mak.replace(mak.find("USERDEFINES = _DEBUG"), 20, "USERDEFINES = _DEBUG;TeeChart9");
    WriteFile(pkg_ + "vdxcb28.mak", mak);

    ProcessResult r = Run("make", "-fvdxcb28.mak");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, Join({"Verdex stand-in MAKE, version 1.0", "USERDEFINES = _DEBUG;TeeChart9",
                           "INCLUDEPATH = $(BCB)\\include;$(BCB)\\include\\vcl",
                           "LIBPATH = $(BCB)\\lib\\obj;$(BCB)\\lib", "PFLAGS = -$YD -$W -$O- -v \\",
                           "    -JPHNE -M", "Linking vdxcb28.bpl"}));
    for (const char* ext : {".bpl", ".bpi", ".lib", ".tds"})
        EXPECT_TRUE(Exists(pkg_ + "vdxcb28" + ext)) << ext;

    // "-f name" works as well; a marker of the project scoped to make fails it.
    RemoveTree(pkg_);
    MakeDir(pkg_);
    WriteFile(pkg_ + "vdxcb28.bpk", "<PROJECT>\r\n<!-- standin: @make error -->\r\n");
    ASSERT_EQ(Run("bpr2mak", "vdxcb28.bpk").exitCode, 0u);
    r = Run("make", "-f vdxcb28.mak");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.out, Join({"Verdex stand-in MAKE, version 1.0",
                           "vdxcb28.bpk(2) Error: E2003 Undeclared identifier: 'X'"}));
    EXPECT_FALSE(Exists(pkg_ + "vdxcb28.bpl"));

    r = Run("make", "-fmissing.mak");
    EXPECT_EQ(r.out, Join({"Verdex stand-in MAKE, version 1.0",
                           "Fatal: Unable to open makefile 'missing.mak'"}));
    EXPECT_EQ(r.exitCode, 1u);
}

TEST_F(StandinTool, UnknownNameIsRefusedButRecorded) {
    std::string other = root_ + "\\Bin\\tlib.exe";
    ASSERT_TRUE(CopyFileW(Widen(StandinExe()).c_str(), Widen(other).c_str(), FALSE));
    ProcessResult r = RunProcess("\"" + other + "\" x.lib", pkg_, dir_.Path());
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("unknown tool name 'tlib'"), std::string::npos) << r.err;
    std::vector<StandinCall> calls = ReadStandinCalls(root_);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].tool, "tlib");
}

} // namespace
} // namespace vdx::test
