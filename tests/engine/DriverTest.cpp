// Whole requests under Wine, from a BuildRequest to "Done": the sample
// installation, the stand-in tools, real cmd.exe and run.bat, and a recording
// front end in place of the window.

#include "EngineTestUtil.h"
#include "RecordingFrontEnd.h"

#include "engine/Driver.h"
#include "engine/DriverTexts.h"
#include "support/Errors.h"
#include "support/platform/FileIo.h"

#include "SampleContent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

using namespace vdx;
using namespace vdx::test;
using testing::Contains;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::Not;

namespace {

std::string RecordArgsExe() {
    return BinaryDir() + "tests\\engine\\record_args.exe";
}

sample::SampleOptions Options(sample::Edition edition) {
    sample::SampleOptions o;
    o.libDirs = {"LibD28", "LibD28x64"};
    o.compilers = {28};
    o.edition = edition;
    o.vdrcExe = RecordArgsExe();
    return o;
}

std::string EditionName(sample::Edition e) {
    return e == sample::Edition::Gold ? "Gold" : e == sample::Edition::Silver ? "Silver" : "Copper";
}

// The packages a section builds, worked out from the package names: no BDE or
// FireDAC packages unless asked for, no design-time packages for 64 bits, and
// no run-time query-builder package below Silver.
std::vector<std::string> ExpectedPackages(std::string_view section, sample::Edition edition,
                                          bool x64) {
    std::vector<std::string> out;
    for (const std::string& p : sample::SectionPackages(section, 28)) {
        bool skip = p.find("BDE") != std::string::npos || p.find("FD") != std::string::npos ||
                    (x64 && p.rfind("dcl", 0) == 0) ||
                    (section == "all" && edition == sample::Edition::Copper && p == "ltx280.dpk");
        if (!skip)
            out.push_back(p);
    }
    return out;
}

std::vector<std::string> ResultLines(const std::vector<std::string>& log) {
    std::vector<std::string> out;
    for (const std::string& line : log)
        if (line.find(" error: ") == std::string::npos && line.find(" hint: ") == std::string::npos)
            out.push_back(line);
    return out;
}

// Events of a request that ran to its end with the window visible.
std::vector<std::string> Closing(const BuildRequest& r) {
    return {"busy off", "log Done",
            "box information Information|" + EndText(r.InstallDir, r.LibDir)};
}

class DriverTest : public testing::Test {
protected:
    CurrentFolderKeeper keeper;
    RecordingFrontEnd frontEnd;
};

} // namespace

// Every task for Gold and Copper, 32 and 64 bits.
TEST_F(DriverTest, EveryTaskRunsToDone) {
    const TaskKind tasks[] = {TaskKind::Language, TaskKind::Tee, TaskKind::Ibx, TaskKind::Fib,
                              TaskKind::All};
    for (sample::Edition edition : {sample::Edition::Gold, sample::Edition::Copper}) {
        EngineSample s(Options(edition));
        const std::string root = s.Root(28);
        for (bool x64 : {false, true}) {
            for (TaskKind task : tasks) {
                const std::string section(SectionName(task));
                SCOPED_TRACE(EditionName(edition) + (x64 ? " x64 " : " x32 ") + section);
                sample::ClearStandinCalls(root);
                DeleteFileQuiet(s.InstallDir() + "Res\\calls.log");
                frontEnd = RecordingFrontEnd();
                BuildRequest r = MakeRequest(s, 19, x64, EditionName(edition), task);

                CompileBClick(r, frontEnd);

                std::vector<std::string> expected;
                for (const std::string& p : ExpectedPackages(section, edition, x64))
                    expected.push_back(p + " compiled");
                expected.push_back("Done");
                EXPECT_THAT(ResultLines(frontEnd.log), ElementsAreArray(expected));
                EXPECT_THAT(frontEnd.log, Not(Contains(HasSubstr(" error: "))));
                ASSERT_GE(frontEnd.events.size(), 6u);
                EXPECT_THAT(
                    std::vector<std::string>(frontEnd.events.begin(), frontEnd.events.begin() + 3),
                    ElementsAre("height 597", "clear", "busy on"));
                EXPECT_THAT(
                    std::vector<std::string>(frontEnd.events.end() - 3, frontEnd.events.end()),
                    ElementsAreArray(Closing(r)));

                auto calls = sample::ReadStandinCalls(root);
                EXPECT_EQ(calls.size(), expected.size() - 1);
                for (const auto& call : calls)
                    EXPECT_EQ(call.tool, x64 ? "dcc64" : "dcc32");
                EXPECT_EQ(CurrentFolder(), s.InstallDir());
                EXPECT_FALSE(Exists(s.InstallDir() + "run.bat"));
                EXPECT_EQ(RequestRunning(), false);
                std::string first = ExpectedPackages(section, edition, x64).front();
                first.replace(first.size() - 4, 4, ".bpl");
                EXPECT_TRUE(Exists(s.InstallDir() + r.LibDir + "\\" + first));

                if (task == TaskKind::Language) {
                    std::vector<std::string> runs;
                    for (std::string_view f : ResourceFiles)
                        runs.push_back(s.InstallDir() + "RES\\German\t\"" + s.InstallDir() +
                                       "RES\\vdrc.exe\" " + std::string(f));
                    EXPECT_THAT(FileLines(s.InstallDir() + "Res\\calls.log"),
                                ElementsAreArray(runs));
                }
                if (task == TaskKind::Tee) {
                    for (std::string inc : {"Mirel\\tee.inc", "Source\\tee.inc", "\\tee.inc"}) {
                        std::string path = s.InstallDir() + (inc[0] == '\\' ? r.LibDir : "") + inc;
                        if (Exists(path)) {
                            EXPECT_EQ(FileLines(path).at(0), "{$DEFINE TeeChart9}") << path;
                        }
                    }
                }
            }
        }
    }
}

TEST_F(DriverTest, NoCompilerSelectedIsRefusedBeforeAnythingElse) {
    EngineSample s(Options(sample::Edition::Gold));
    WriteFile(s.InstallDir() + "recompile.log", "earlier");
    BuildRequest r = MakeRequest(s, -1, false, "Gold", TaskKind::All);
    CompileBClick(r, frontEnd);
    EXPECT_THAT(frontEnd.events,
                ElementsAre("height 597", "clear", "box error Error|Please select the compiler"));
    EXPECT_EQ(ReadFile(s.InstallDir() + "recompile.log"), "earlier");
}

TEST_F(DriverTest, MissingLibraryFolder) {
    // Copper: an error box, then the request goes on and builds nothing.
    {
        EngineSample s(Options(sample::Edition::Copper));
        BuildRequest r = MakeRequest(s, 18, false, "Copper", TaskKind::All); // LibD27
        CompileBClick(r, frontEnd);
        std::vector<std::string> expected = {
            "height 597", "clear", "box error Error|Can not find folder with library files",
            "busy on"};
        for (const std::string& e : Closing(r))
            expected.push_back(e);
        EXPECT_THAT(frontEnd.events, ElementsAreArray(expected));
        EXPECT_FALSE(Exists(s.InstallDir() + "LibD27"));
    }
    // Gold: the folder is made without a word and the sources are copied in.
    {
        frontEnd = RecordingFrontEnd();
        EngineSample s(Options(sample::Edition::Gold));
        BuildRequest r = MakeRequest(s, 18, false, "Gold", TaskKind::All);
        CompileBClick(r, frontEnd);
        EXPECT_THAT(frontEnd.messages,
                    ElementsAre("Information|" + EndText(r.InstallDir, r.LibDir)));
        EXPECT_THAT(frontEnd.log, ElementsAre("Done"));
        EXPECT_TRUE(Exists(s.InstallDir() + "LibD27\\vdx.inc"));
    }
}

TEST_F(DriverTest, EmptyTeeChartPathStopsEveryTask) {
    EngineSample s(Options(sample::Edition::Gold));
    for (bool visible : {true, false}) {
        frontEnd = RecordingFrontEnd();
        WriteFile(s.InstallDir() + "recompile.log", "earlier");
        BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::Language);
        r.TeePath.clear();
        r.WindowVisible = visible;
        CompileBClick(r, frontEnd);
        std::vector<std::string> expected = {"height 597", "clear", "busy on",
                                             "box error Error|Please fill in the TeeChart path"};
        if (visible)
            expected.push_back("focus tee path");
        expected.push_back("busy off");
        EXPECT_THAT(frontEnd.events, ElementsAreArray(expected));
        EXPECT_FALSE(Exists(s.InstallDir() + "recompile.log"));
        EXPECT_FALSE(Exists(s.InstallDir() + "Res\\calls.log")); // the converter did not run
        EXPECT_EQ(CurrentFolder(), s.InstallDir());
    }
}

TEST_F(DriverTest, ACopyErrorEndsTheSectionWithoutDone) {
    EngineSample s(Options(sample::Edition::Gold));
    const std::string target = s.InstallDir() + "LibD28\\vdxrcClass.pas";
    WriteFile(target, "read-only");
    SetAttributes(target, FILE_ATTRIBUTE_READONLY);
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::Language);

    try {
        CompileBClick(r, frontEnd);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Cannot create file \"" + target + "\""));
    }
    EXPECT_EQ(frontEnd.events.back(), "busy off");
    EXPECT_THAT(frontEnd.log, Not(Contains("Done")));
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_EQ(CurrentFolder(), s.InstallDir()); // the language task had entered RES\German
    EXPECT_FALSE(RequestRunning());
    EXPECT_TRUE(sample::ReadStandinCalls(s.Root(28)).empty()); // no compile ran
    SetAttributes(target, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DriverTest, NoTaskAndHiddenWindow) {
    EngineSample s(Options(sample::Edition::Copper));
    BuildRequest r = MakeRequest(s, 19, false, "Copper", TaskKind::None);
    CompileBClick(r, frontEnd);
    std::vector<std::string> expected = {"height 597", "clear", "busy on"};
    for (const std::string& e : Closing(r))
        expected.push_back(e);
    EXPECT_THAT(frontEnd.events, ElementsAreArray(expected));

    frontEnd = RecordingFrontEnd();
    r.WindowVisible = false;
    CompileBClick(r, frontEnd);
    EXPECT_THAT(frontEnd.events,
                ElementsAre("height 597", "clear", "busy on", "busy off", "log Done"));
}

// While a request runs, the window's messages are dispatched; a second click
// on Compile must not start a second request.
TEST_F(DriverTest, ASecondRequestIsRefusedWhileOneRuns) {
    struct Reentering : RecordingFrontEnd {
        BuildRequest again;
        RecordingFrontEnd nested;
        bool runningSeen = false;
        void appendLog(std::string_view line) override {
            if (!runningSeen) {
                runningSeen = RequestRunning();
                CompileBClick(again, nested);
            }
            RecordingFrontEnd::appendLog(line);
        }
    } fe;
    EngineSample s(Options(sample::Edition::Gold));
    BuildRequest r = MakeRequest(s, 19, false, "Gold", TaskKind::Fib);
    fe.again = r;
    CompileBClick(r, fe);
    EXPECT_TRUE(fe.runningSeen);
    EXPECT_TRUE(fe.nested.events.empty());
    EXPECT_EQ(fe.log.back(), "Done");
    EXPECT_FALSE(RequestRunning());
}
