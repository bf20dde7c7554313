// Batch runs through the real cmd.exe: run.bat written, run, removed; the
// output captured in log.txt, collected in recompile.log and analysed.

#include "common/WinTestUtil.h"
#include "engine/BatchRun.h"
#include "engine/FrontEnd.h"
#include "engine/LogAnalysis.h"
#include "support/Errors.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace vdx;
using vdx::test::ScratchDir;

namespace {

struct RecordingFrontEnd : FrontEnd {
    std::vector<std::string> Log;
    void setClientHeight(int) override {}
    void clearLog() override { Log.clear(); }
    void appendLog(std::string_view line) override { Log.emplace_back(line); }
    void showMessage(MessageKind, std::string_view, std::string_view) override {}
    void setBusy(bool) override {}
    void focusTeePath() override {}
};

std::string Child() {
    return "\"" + test::BinaryDir() + "tests\\exec\\vdx_exec_child.exe\"";
}

// An installation folder whose name needs the console code page and has a
// blank in it.
struct Installation {
    ScratchDir scratch{"batch"};
    std::string dir = scratch / "Pr\xC3\xBC"
                                "f ung\\";
    Installation() { test::MakeDir(dir); }
    std::string operator/(std::string_view rel) const { return dir + std::string(rel); }
};

template <typename E> std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(RunBatch, CapturesStandardOutputAndErrorOfTheBatchAndItsTools) {
    Installation inst;
    const std::string batch = "cd /d \"" + inst.dir + "\"\r\n@" + Child() +
                              " pid here.txt out \"Hint: H1 Gr\xC3\xBC\xC3\x9F"
                              "e\"" +
                              " err \"x.dpk(3) Fatal: F1026 File not found\" out after";
    RunBatch(inst.dir, batch);

    EXPECT_FALSE(test::Exists(inst / "run.bat"));
    // The folder change worked although the folder's name is not ASCII: the
    // tool's relative file landed in it.
    EXPECT_TRUE(test::Exists(inst / "here.txt"));
    const std::string log = test::ReadFile(inst / "log.txt");
    const std::string hint = Utf8ToOem("Hint: H1 Gr\xC3\xBC\xC3\x9F"
                                       "e");
    EXPECT_NE(log.find(hint + "\r\nx.dpk(3) Fatal: F1026 File not found\r\nafter\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(test::ReadFile(inst / "recompile.log"), AppendBatchOutput("", log));

    RecordingFrontEnd fe;
    EXPECT_FALSE(AnalyseLog(inst.dir, "delphi28", fe));
    const std::vector<std::string> expected = {
        "delphi28 hint: Hint: H1 Gr\xC3\xBC\xC3\x9F"
        "e",
        "delphi28 error: x.dpk(3) Fatal: F1026 File not found"};
    EXPECT_EQ(fe.Log, expected);
    EXPECT_FALSE(test::Exists(inst / "log.txt"));
}

TEST(RunBatch, AToolThatCannotStartLeavesCmdsMessageInTheLogs) {
    Installation inst;
    RunBatch(inst.dir, "@vdx_no_such_tool.exe -B");
    const std::string log = test::ReadFile(inst / "log.txt");
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(test::ReadFile(inst / "recompile.log"), AppendBatchOutput("", log));
    RecordingFrontEnd fe;
    AnalyseLog(inst.dir, "delphi7", fe);
    EXPECT_FALSE(test::Exists(inst / "log.txt"));
}

// Two batches of one step: both outputs in recompile.log, after what it held
// already; only the second is analysed; a last line without line end runs.
TEST(RunBatch, BatchesAccumulateInRecompileLogAndTheLastOneIsAnalysed) {
    Installation inst;
    test::WriteFile(inst / "recompile.log", "earlier step\r\n");
    RunBatch(inst.dir, "@echo Warning: from the first batch");
    EXPECT_FALSE(test::Exists(inst / "run.bat"));
    RunBatch(inst.dir, "@echo Hint: second\r\n@echo last line");
    EXPECT_FALSE(test::Exists(inst / "run.bat"));
    EXPECT_EQ(test::ReadFile(inst / "recompile.log"),
              "earlier step\r\nWarning: from the first batch\r\nHint: second\r\nlast line\r\n");

    RecordingFrontEnd fe;
    EXPECT_TRUE(AnalyseLog(inst.dir, "delphi16", fe));
    EXPECT_EQ(fe.Log, std::vector<std::string>{"delphi16 hint: Hint: second"});
    EXPECT_FALSE(test::Exists(inst / "log.txt"));

    // An empty output adds nothing and succeeds.
    RunBatch(inst.dir, "@rem nothing");
    fe.Log.clear();
    EXPECT_TRUE(AnalyseLog(inst.dir, "delphi16", fe));
    EXPECT_TRUE(fe.Log.empty());
    EXPECT_EQ(test::ReadFile(inst / "recompile.log"),
              "earlier step\r\nWarning: from the first batch\r\nHint: second\r\nlast line\r\n");
}

TEST(RunBatch, FileErrorsNameTheFileAndKeepTheEarlierLog) {
    Installation inst;
    RecordingFrontEnd fe;
    EXPECT_EQ(MessageOf<FileError>([&] {
                  AnalyseLog(inst.dir, "delphi7", fe);
              }).rfind("Cannot open file \"" + inst.dir + "log.txt\". ", 0),
              0u);

    const std::string missing = inst / "missing\\";
    EXPECT_EQ(MessageOf<FileError>([&] {
                  RunBatch(missing, "@echo x");
              }).rfind("Cannot create file \"" + missing + "run.bat\". ", 0),
              0u);

    test::WriteFile(inst / "recompile.log", "kept\r\n");
    test::SetAttributes(inst / "recompile.log", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(MessageOf<FileError>([&] {
                  RunBatch(inst.dir, "@echo new");
              }).rfind("Cannot create file \"" + inst.dir + "recompile.log\". ", 0),
              0u);
    test::SetAttributes(inst / "recompile.log", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadFile(inst / "recompile.log"), "kept\r\n");
    EXPECT_FALSE(test::Exists(inst / "run.bat"));
}
