// The compile action under Wine, with real cmd.exe, run.bat and the stand-in
// tools: command lines as the tools received them, deployment, MessageLog
// lines, and the failures that must never look like success.

#include "EngineTestUtil.h"
#include "RecordingFrontEnd.h"

#include "engine/CompileAction.h"
#include "engine/CompilePlan.h"
#include "support/Errors.h"
#include "support/platform/FileIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace vdx;
using namespace vdx::test;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const std::string Ns = std::string(NamespaceSwitch);

sample::SampleOptions GoldOptions() {
    sample::SampleOptions o;
    o.libDirs = {"LibD28", "LibD28x64"};
    o.compilers = {28};
    o.edition = sample::Edition::Gold;
    o.cppProject = true;
    return o;
}

std::string RadStudio(const EngineSample& s, std::string_view below) {
    return s.install.commonDocumentsDir + "\\RAD Studio\\22.0\\" + std::string(below);
}

class CompileActionTest : public testing::Test {
protected:
    void Compile(const BuildRequest& request, const std::string& attrs) {
        CompileAction(*ActionItem(attrs), request, frontEnd);
    }

    CurrentFolderKeeper keeper;
    EngineSample s{GoldOptions()};
    RecordingFrontEnd frontEnd;
};

} // namespace

TEST_F(CompileActionTest, BuildsDeploysAndReportsAPackage) {
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::All);
    const std::string root = s.Root(28);
    sample::WriteStandinConfig(root, {"@vdx28.dpk hint"});
    const std::string lib = s.InstallDir() + "LibD28\\";

    Compile(r, R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28" bpltosysdir="yes")");

    ASSERT_EQ(frontEnd.log.size(), 2u);
    EXPECT_THAT(frontEnd.log[0], StartsWith("delphi28 hint: "));
    EXPECT_THAT(frontEnd.log[0], HasSubstr("Hint: H2164"));
    EXPECT_EQ(frontEnd.log[1], "vdx28.dpk compiled");

    auto calls = sample::ReadStandinCalls(root);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].tool, "dcc32");
    EXPECT_EQ(calls[0].folder + "\\", lib);
    const std::string tee = "\"" + r.TeePath + "\"";
    EXPECT_EQ(calls[0].commandLine, "\"" + root +
                                        "\\Bin\\dcc32.exe\" vdx28.dpk -M -Z -$D- "
                                        "-JPHNE -JL " +
                                        Ns + " -U" + tee + " -I" + tee + " -R" + tee +
                                        " -DTeeChart9;LATTIX");

    EXPECT_TRUE(FileExists(RadStudio(s, "BPL\\Win32\\vdx28.bpl")));
    EXPECT_TRUE(FileExists(RadStudio(s, "DCP\\Win32\\vdx28.dcp")));
    EXPECT_FALSE(FileExists(RadStudio(s, "BPL\\Win32\\vdx28.dcp")));
    EXPECT_TRUE(FileExists(s.systemDir + "\\vdx28.bpl"));
    EXPECT_EQ(FileLines(s.InstallDir() + "Source\\vdx.inc").at(0), "{$DEFINE LATTIX}");
    EXPECT_EQ(FileLines(lib + "vdx.inc").at(0), "{$DEFINE LATTIX}");
    EXPECT_THAT(ReadFile(s.InstallDir() + "recompile.log"), HasSubstr("Hint: H2164"));
    EXPECT_FALSE(Exists(s.InstallDir() + "log.txt"));
    EXPECT_FALSE(Exists(s.InstallDir() + "run.bat"));
    EXPECT_FALSE(Exists(lib + "vdx28.bpl.bak"));
}

TEST_F(CompileActionTest, SixtyFourBitUsesDcc64AndWin64FoldersAndNeverTheSystemFolder) {
    BuildRequest r = MakeRequest(s, 19, true, "Copper", TaskKind::All);
    r.WithDebug = true;
    r.TeePathEnabled = false;
    Compile(r,
            R"(name="compile" file="LibD28x64\vdx28.dpk" compiler="delphi28" bpltosysdir="yes")");
    EXPECT_THAT(frontEnd.log, ElementsAre("vdx28.dpk compiled"));
    auto calls = sample::ReadStandinCalls(s.Root(28));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].commandLine, "\"" + s.Root(28) +
                                        "\\Bin\\dcc64.exe\" vdx28.dpk -M -Z "
                                        "-JPHNE -JL " +
                                        Ns + " -U -I -R -DTeeChart9");
    EXPECT_TRUE(FileExists(RadStudio(s, "BPL\\Win64\\vdx28.bpl")));
    EXPECT_TRUE(FileExists(RadStudio(s, "DCP\\Win64\\vdx28.dcp")));
    EXPECT_FALSE(FileExists(RadStudio(s, "BPL\\Win32\\vdx28.bpl")));
    EXPECT_FALSE(FileExists(s.systemDir + "\\vdx28.bpl"));

    // Design-time packages are not built for 64 bits, and say nothing.
    Compile(r, R"(name="compile" file="LibD28x64\dclvdx28.dpk" compiler="delphi28")");
    EXPECT_EQ(frontEnd.log.size(), 1u);
    EXPECT_EQ(sample::ReadStandinCalls(s.Root(28)).size(), 1u);
}

// Every way a build can fail ends in " not compiled!" after an error line that
// says why; an output of an earlier build is put back untouched and is neither
// reported nor deployed as new.
TEST_F(CompileActionTest, AFailureIsNeverReportedAsSuccess) {
    struct Case {
        std::vector<std::string> directives;
        std::string errorLine; // start of the error line
    };
    const Case cases[] = {
        {{"@vdx28.dpk error"}, "delphi28 error: "},
        {{"@vdx28.dpk fatal"}, "delphi28 error: "},
        {{"@vdx28.dpk crash"}, "delphi28 error: no package output was produced"},
        {{"@vdx28.dpk silent", "@vdx28.dpk nooutput"},
         "delphi28 error: no package output was produced"},
        {{"@vdx28.dpk nobanner",
          "@vdx28.dpk echo vdx28.dpk(3) Fehler: E2003 Undeklarierter "
          "Bezeichner",
          "@vdx28.dpk nooutput"},
         "delphi28 error: no package output was produced"},
    };
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::All);
    const std::string lib = s.InstallDir() + "LibD28\\";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directives.back());
        frontEnd.log.clear();
        WriteFile(lib + "vdx28.bpl", "old package");
        DeleteFileQuiet(RadStudio(s, "BPL\\Win32\\vdx28.bpl"));
        DeleteFileQuiet(s.systemDir + "\\vdx28.bpl");
        sample::WriteStandinConfig(s.Root(28), c.directives);

        Compile(r,
                R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28" bpltosysdir="yes")");

        ASSERT_EQ(frontEnd.log.size(), 2u);
        EXPECT_THAT(frontEnd.log[0], StartsWith(c.errorLine));
        EXPECT_EQ(frontEnd.log[1], "vdx28.dpk not compiled!");
        EXPECT_EQ(ReadFile(lib + "vdx28.bpl"), "old package");
        EXPECT_FALSE(Exists(lib + "vdx28.bpl.bak"));
        EXPECT_FALSE(Exists(RadStudio(s, "BPL\\Win32\\vdx28.bpl")));
        EXPECT_FALSE(Exists(s.systemDir + "\\vdx28.bpl"));
    }

    // A successful build replaces the old output and drops the backup.
    sample::WriteStandinConfig(s.Root(28), {});
    frontEnd.log.clear();
    Compile(r, R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28" bpltosysdir="yes")");
    EXPECT_THAT(frontEnd.log, ElementsAre("vdx28.dpk compiled"));
    EXPECT_NE(ReadFile(lib + "vdx28.bpl"), "old package");
    EXPECT_FALSE(Exists(lib + "vdx28.bpl.bak"));
    EXPECT_TRUE(Exists(s.systemDir + "\\vdx28.bpl"));
}

// A deployment target that cannot be replaced (a package loaded from the
// system folder) raises the file error; the compiler's lines are shown first
// and no log.txt is left behind.
TEST_F(CompileActionTest, AReadOnlyDeploymentTargetRaisesTheFileError) {
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::All);
    sample::WriteStandinConfig(s.Root(28), {"@vdx28.dpk warning"});
    const std::string target = s.systemDir + "\\vdx28.bpl";
    WriteFile(target, "loaded");
    SetAttributes(target, FILE_ATTRIBUTE_READONLY);
    try {
        Compile(r,
                R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28" bpltosysdir="yes")");
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Cannot create file \"" + target + "\""));
    }
    ASSERT_EQ(frontEnd.log.size(), 1u);
    EXPECT_THAT(frontEnd.log[0], HasSubstr("Warning: W1000"));
    EXPECT_EQ(ReadFile(target), "loaded");
    EXPECT_FALSE(Exists(s.InstallDir() + "log.txt"));
    EXPECT_FALSE(Exists(s.InstallDir() + "run.bat"));
    SetAttributes(target, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CompileActionTest, AMissingEnvironmentIsSaidAndNothingRuns) {
    BuildRequest r = MakeRequest(s, 19, false, "Copper", TaskKind::All);
    const std::string attrs = R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28")";

    r.InstalledCompilers.back() = "delphi28="; // not installed
    Compile(r, attrs);
    EXPECT_THAT(frontEnd.log,
                ElementsAre("delphi28 error: the compiler is not installed (no root folder)",
                            "vdx28.dpk not compiled!"));

    frontEnd.log.clear();
    r.InstalledCompilers.back() = "delphi28=" + s.scratch / "Empty IDE"; // no Bin\dcc32.exe
    Compile(r, attrs);
    EXPECT_THAT(frontEnd.log,
                ElementsAre("delphi28 error: the tool \"" +
                                s.scratch / "Empty IDE\\Bin\\dcc32.exe\" was not found",
                            "vdx28.dpk not compiled!"));

    frontEnd.log.clear();
    Compile(r, R"(name="compile" file="LibD28\nosuch28.dpk" compiler="delphi28")");
    EXPECT_TRUE(frontEnd.log.empty());
    EXPECT_TRUE(sample::ReadStandinCalls(s.Root(28)).empty());
    EXPECT_FALSE(Exists(s.InstallDir() + "recompile.log"));
}

TEST_F(CompileActionTest, CppBuilderChainConvertsEditsBuildsAndDeploys) {
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::All);
    const std::string root = s.Root(28);
    const std::string lib = s.InstallDir() + "LibD28\\";
    WriteFile(lib + "stale.tds", "x");

    Compile(
        r,
        R"(name="compile" file="LibD28\vdxcb28.bpk" compiler="C++28" search="Source;LibD28" bpltosysdir="yes")");

    EXPECT_THAT(frontEnd.log, ElementsAre("vdxcb28.bpk compiled"));
    auto calls = sample::ReadStandinCalls(root);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].tool, "bpr2mak");
    EXPECT_EQ(calls[0].commandLine, "\"" + root + "\\Bin\\bpr2mak.exe\" vdxcb28.bpk");
    EXPECT_EQ(calls[1].tool, "make");
    EXPECT_EQ(calls[1].commandLine, "\"" + root + "\\Bin\\make.exe\" -fvdxcb28.mak");
    EXPECT_EQ(calls[1].folder + "\\", lib);
    EXPECT_FALSE(Exists(lib + "vdxcb28.mak"));
    EXPECT_FALSE(Exists(lib + "vdxcb28.tds"));
    EXPECT_FALSE(Exists(lib + "stale.tds"));
    EXPECT_TRUE(Exists(root + "\\Projects\\Bpl\\vdxcb28.bpl"));
    EXPECT_TRUE(Exists(root + "\\Projects\\Bpl\\vdxcb28.tds"));
    EXPECT_TRUE(Exists(root + "\\Projects\\Lib\\vdxcb28.bpi"));
    EXPECT_TRUE(Exists(root + "\\Projects\\Lib\\vdxcb28.lib"));
    EXPECT_TRUE(Exists(s.systemDir + "\\vdxcb28.bpl"));
    // Both outputs reach recompile.log; make saw the edited make file.
    std::string all = ReadFile(s.InstallDir() + "recompile.log");
    EXPECT_THAT(all, HasSubstr("TeeChart9;LATTIX"));
    EXPECT_THAT(all, HasSubstr("\"" + s.InstallDir() + "Source\";"));
    EXPECT_THAT(all, HasSubstr("\"" + r.TeePath + "\""));

    // A converter that leaves no make file ends the package, not the section.
    frontEnd.log.clear();
    sample::ClearStandinCalls(root);
    sample::WriteStandinConfig(root, {"@bpr2mak nooutput"});
    Compile(r, R"(name="compile" file="LibD28\vdxcb28.bpk" compiler="c++28")");
    EXPECT_THAT(frontEnd.log,
                ElementsAre("c++28 error: the project converter produced no make file",
                            "vdxcb28.bpk not compiled!"));
    EXPECT_EQ(sample::ReadStandinCalls(root).size(), 1u);
    EXPECT_TRUE(Exists(lib + "vdxcb28.bpl")); // the earlier output is back
}

// Folders with blanks, & ^ ( ) ! % and letters outside the console code page
// reach cmd.exe and the compiler exactly. (Wine's cmd.exe expands a "%" inside
// an expanded variable once more, which Windows does not do, so "%" and
// letters outside the code page are not combined in one folder here.)
TEST(CompileActionPaths, FoldersReachTheToolExactly) {
    struct Case {
        std::string install, root, tee, indy;
    };
    const Case cases[] = {
        // Folders the console code page holds: written into run.bat, "%" doubled.
        {"A&B (x86) 100%!^ \xC3\xBC", "R&D %PATH% (x)", "Tee & Co ^ (9) \xC3\xBC\\", "\"Indy 10\""},
        // Cyrillic letters: passed through variables of the batch's environment.
        {"\xD0\x9F\xD0\xB0\xD0\xBA\xD0\xB5\xD1\x82 & (x86)",
         "\xD0\xA1\xD1\x80\xD0\xB5\xD0\xB4\xD0\xB0 !^", "\xD0\xA2\xD0\xB8 & Co\\", "Indy \xD0\x98"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.install);
        CurrentFolderKeeper keeper;
        sample::SampleOptions o;
        o.libDirs = {"LibD28"};
        o.compilers = {28};
        o.edition = sample::Edition::Copper;
        EngineSample s(o, c.install);
        const std::string root = s.scratch / c.root;
        sample::InstallStandinTools(StandinExe(), root);
        BuildRequest r = MakeRequest(s, 19, false, "Copper", TaskKind::All);
        r.InstalledCompilers.back() = "delphi28=" + root;
        r.TeePath = s.scratch / c.tee;
        r.IndyPath = s.scratch / c.indy;
        r.IndyPathEnabled = true;
        RecordingFrontEnd frontEnd;

        CompileAction(*ActionItem(R"(name="compile" file="LibD28\vdx28.dpk" compiler="delphi28")"),
                      r, frontEnd);

        EXPECT_THAT(frontEnd.log, ElementsAre("vdx28.dpk compiled"));
        auto calls = sample::ReadStandinCalls(root);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].folder + "\\", s.InstallDir() + "LibD28\\");
        // Quotes pasted around a path are dropped; a trailing "\" is doubled so
        // that it does not escape the closing quote.
        std::string indy = s.scratch / c.indy;
        indy.erase(std::remove(indy.begin(), indy.end(), '"'), indy.end());
        const std::string list = "\"" + indy + "\";\"" + r.TeePath + "\\\"";
        EXPECT_EQ(calls[0].commandLine, "\"" + root +
                                            "\\Bin\\dcc32.exe\" vdx28.dpk -M -Z -$D- "
                                            "-JPHNE -JL " +
                                            Ns + " -U" + list + " -I" + list + " -R" + list +
                                            " -DTeeChart9");
        EXPECT_TRUE(Exists(s.InstallDir() + "LibD28\\vdx28.bpl"));
        // The variables the batch used are gone again.
        EXPECT_EQ(GetEnvironmentVariableW(L"VDX_BATCH_ARG1", nullptr, 0), 0u);
    }
}
