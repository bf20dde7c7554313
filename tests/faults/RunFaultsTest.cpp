// Faults while a request runs, through the real window and the real driver on
// a sample installation: folders that vanish, environments that are missing
// or registered with values of the wrong type, a tool that crashes, a tool
// that hangs while the user goes on clicking (Compile again, the close box).

#include "FaultWizard.h"

#include "engine/Driver.h"
#include "engine/DriverTexts.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "ui/CompilerDetection.h"

#include "SampleContent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace vdx;
using namespace vdx::test;
using testing::Contains;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

namespace {

sample::SampleOptions GoldLibD28(std::vector<sample::PackageMarker> markers = {}) {
    sample::SampleOptions o;
    o.libDirs = {"LibD28"};
    o.compilers = {28};
    o.edition = sample::Edition::Gold;
    o.languages = {"English", "German"};
    o.markers = std::move(markers);
    return o;
}

// The result lines of a section when every package compiles.
std::vector<std::string> AllCompiled(std::string_view section) {
    std::vector<std::string> lines;
    for (const std::string& p : sample::SectionPackages(section, 28))
        lines.push_back(p + " compiled");
    lines.push_back("Done");
    return lines;
}

std::string EndBox(const FaultWizard& w) {
    return std::string(InformationCaption) + "|" + EndText(w.InstallDir(), "LibD28");
}

// Files whose name ends in `ext` in a folder.
std::vector<std::string> FilesEndingIn(const std::string& folder, std::string_view ext) {
    std::vector<std::string> out;
    for (const std::string& name : VisibleFiles(folder))
        if (name.ends_with(ext))
            out.push_back(name);
    return out;
}

// Passes everything on to the window and lets a test act on a MessageLog line
// at the moment it is written.
struct HookedFrontEnd : FrontEnd {
    FrontEnd& target;
    std::function<void(std::string_view)> onLine;
    HookedFrontEnd(FrontEnd& t, std::function<void(std::string_view)> f)
        : target(t), onLine(std::move(f)) {}
    void setClientHeight(int h) override { target.setClientHeight(h); }
    void clearLog() override { target.clearLog(); }
    void appendLog(std::string_view line) override {
        target.appendLog(line);
        onLine(line);
    }
    void showMessage(MessageKind k, std::string_view c, std::string_view t) override {
        target.showMessage(k, c, t);
    }
    void setBusy(bool b) override { target.setBusy(b); }
    void focusTeePath() override { target.focusTeePath(); }
};

std::atomic<int> g_ticks{0};
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

bool Called(const std::string& root, std::string_view package) {
    for (const sample::StandinCall& c : sample::ReadStandinCalls(root))
        if (c.commandLine.find(package) != std::string::npos)
            return true;
    return false;
}

} // namespace

// The library folder goes away between two packages, moved by another program
// (while a tool runs it cannot go: it is the tool's current folder). The
// packages after that are not found, which is passed over like any missing
// package; nothing is written anywhere else, nothing in the moved folder is
// lost, and with the folder back the request runs clean.
TEST(RunFaults, TheLibraryFolderVanishesDuringARequest) {
    FaultWizard w(GoldLibD28());
    const std::string lib = w.InstallDir() + "LibD28";
    const std::string away = w.scratch / "LibD28 moved";
    bool armed = true;
    w.driver = [&](BuildRequest r, FrontEnd& f) {
        HookedFrontEnd hooked(f, [&](std::string_view line) {
            if (armed && line == "mrIBX28.dpk compiled") {
                ASSERT_TRUE(MoveFileExW(WidePath(lib).c_str(), WidePath(away).c_str(), 0));
            }
        });
        vdx::CompileBClick(std::move(r), hooked);
    };
    TMainForm& form = w.Open();
    form.IbxRB.Click();

    w.Compile();

    EXPECT_THAT(w.Log(), ElementsAre("mrIBX28.dpk compiled", "Done"));
    EXPECT_THAT(w.TakeBoxes(), ElementsAre(EndBox(w)));
    EXPECT_FALSE(Exists(lib)) << "no copy or compile made the folder again";
    EXPECT_EQ(sample::ReadStandinCalls(w.Root(28)).size(), 1u);
    // Everything is in the moved folder: the projects and the package built
    // before the move.
    EXPECT_EQ(FilesEndingIn(away, ".dpk").size(), sample::AllPackages(28).size());
    EXPECT_TRUE(Exists(away + "\\mrIBX28.bpl"));
    EXPECT_EQ(FilesEndingIn(w.systemDir, ".bpl"), std::vector<std::string>{"mrIBX28.bpl"});

    armed = false;
    ASSERT_TRUE(MoveFileExW(WidePath(away).c_str(), WidePath(lib).c_str(), 0));
    w.Compile();
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("ibx")));
}

// A language folder that was there when the window opened is gone when
// Compile is clicked: the request stops with the reason before it touches
// the library, and another language still works.
TEST(RunFaults, AMissingLanguageFolderStopsTheRequestWithItsReason) {
    sample::SampleOptions o = GoldLibD28();
    o.vdrcExe = RecordArgsExe();
    FaultWizard w(o);
    const std::string lib = w.InstallDir() + "LibD28\\";
    TMainForm& form = w.Open();
    w.Pick(form.LanguageCB, "German");
    const std::vector<std::string> before = Entries(lib);
    RemoveTree(w.InstallDir() + "Res\\German");

    w.Compile();

    std::vector<std::string> shown = w.TakeBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_THAT(shown[0], StartsWith(w.app.Title() + "|Cannot change the current folder to \"" +
                                     w.InstallDir() + "RES\\German\". "));
    EXPECT_THAT(w.Log(), IsEmpty());
    EXPECT_EQ(Entries(lib), before) << "nothing copied, deleted or built";
    EXPECT_FALSE(Exists(w.InstallDir() + "Res\\calls.log")) << "the converter did not run";
    EXPECT_TRUE(sample::ReadStandinCalls(w.Root(28)).empty());
    EXPECT_TRUE(form.CompileB.Enabled());

    w.Pick(form.LanguageCB, "English");
    w.Compile();
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("language")));
    EXPECT_EQ(ReadFile(lib + "vdxrcClass.pas"),
              ReadFile(w.InstallDir() + "Res\\English\\vdxrcClass.pas"));
}

// An environment that is not installed, registered with an empty value or a
// value of another type than a string, or whose folder holds no tools: every
// package says why it was not compiled, nothing runs, nothing is deployed,
// and the request still ends.
TEST(RunFaults, AMissingOrUnreadableEnvironmentIsSaidForEveryPackage) {
    FaultWizard w(GoldLibD28());
    const std::string root = w.Root(28);
    const std::string emptyRoot = w.scratch / "Program Files\\IDE\\Empty";
    MakeDir(emptyRoot);
    const std::string notInstalled =
        "delphi28 error: the compiler is not installed (no root folder)";
    const std::string noTool =
        "delphi28 error: the tool \"" + emptyRoot + "\\Bin\\dcc32.exe\" was not found";
    const std::wstring rootText = Widen(root + "\\");
    const DWORD number = 28;
    const wchar_t multi[] = L"C:\\one\0C:\\two\0";
    struct Case {
        std::string what;
        std::function<void()> registry;
        std::string reason;
    };
    const Case cases[] = {
        {"no RootDir value",
         [&] {
             RegDeleteKeyValueW(w.Machine(), Widen(CompilerRegistryKey(19)).c_str(), L"RootDir");
         },
         notInstalled},
        {"empty RootDir", [&] { w.SetRootDir(28, ""); }, notInstalled},
        {"RootDir names an empty folder", [&] { w.SetRootDir(28, emptyRoot + "\\"); }, noTool},
        {"RootDir of type REG_DWORD", [&] { w.SetRootDir(28, REG_DWORD, &number, sizeof number); },
         notInstalled},
        {"RootDir of type REG_BINARY holding a path",
         [&] {
             w.SetRootDir(28, REG_BINARY, rootText.c_str(),
                          static_cast<DWORD>((rootText.size() + 1) * sizeof(wchar_t)));
         },
         notInstalled},
        {"RootDir of type REG_MULTI_SZ",
         [&] { w.SetRootDir(28, REG_MULTI_SZ, multi, sizeof multi); }, notInstalled},
    };
    const std::string lib = w.InstallDir() + "LibD28\\";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.registry();
        TMainForm& form = w.Open(); // the environments are read when the window is made
        form.FIBRB.Click();

        w.Compile();

        std::vector<std::string> expected;
        for (const std::string& p : sample::SectionPackages("fib", 28)) {
            expected.push_back(c.reason);
            expected.push_back(p + " not compiled!");
        }
        expected.push_back("Done");
        EXPECT_THAT(w.Log(), ElementsAreArray(expected));
        EXPECT_THAT(w.TakeBoxes(), ElementsAre(EndBox(w)));
        EXPECT_TRUE(sample::ReadStandinCalls(root).empty());
        EXPECT_THAT(FilesEndingIn(lib, ".bpl"), IsEmpty());
        EXPECT_THAT(FilesEndingIn(w.systemDir, ".bpl"), IsEmpty());
        EXPECT_FALSE(Exists(w.InstallDir() + "recompile.log"));
    }
}

// Shell folders and stored choices of the wrong type read as empty: packages
// are built but not deployed below an empty documents folder (which would be
// the top of the current drive), and a compiler stored as a number leaves no
// compiler chosen, so Compile asks for one and runs nothing.
TEST(RunFaults, MachineAndSettingsValuesOfOtherTypesReadAsEmpty) {
    FaultWizard w(GoldLibD28());
    const char binary[] = "C:\\Users\\Public\\Documents";
    const DWORD number = 5;
    w.SetShellFolder("Common Documents", REG_BINARY, binary, sizeof binary);
    w.SetShellFolder("Personal", REG_DWORD, &number, sizeof number);
    w.settings.SetRaw("Compiler", REG_DWORD, &number, sizeof number);
    w.settings.SetString("TeeVer", "TeeChartStd");
    w.settings.SetString("VDVer", "Gold");
    TMainForm& form = w.Open();
    EXPECT_EQ(form.CompilerCB.ItemIndex(), -1);
    form.FIBRB.Click();

    w.Compile();
    EXPECT_THAT(w.TakeBoxes(),
                ElementsAre(std::string(ErrorCaption) + "|" + std::string(SelectCompilerText)));
    EXPECT_THAT(w.Log(), IsEmpty());
    EXPECT_TRUE(sample::ReadStandinCalls(w.Root(28)).empty());

    w.Pick(form.CompilerCB, std::string(CompilerList[19].EntryText));
    w.Compile();
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("fib")));
    EXPECT_THAT(w.TakeBoxes(), ElementsAre(EndBox(w)));
    const std::string documents = w.install.commonDocumentsDir + "\\RAD Studio\\22.0\\";
    EXPECT_THAT(FilesEndingIn(documents + "BPL\\Win32", ".bpl"), IsEmpty());
    EXPECT_THAT(FilesEndingIn(documents + "DCP\\Win32", ".dcp"), IsEmpty());
    const std::string drive = w.InstallDir().substr(0, 2);
    EXPECT_FALSE(Exists(drive + "\\RAD Studio"));
    EXPECT_TRUE(Exists(w.systemDir + "\\vdxFIB28.bpl")) << "the system folder copy still happens";
}

// A tool that crashes fails its own package only: the earlier output of that
// package is kept and not deployed, the section goes on, and every output
// reaches recompile.log.
TEST(RunFaults, ACrashingToolFailsItsPackageOnly) {
    FaultWizard w(GoldLibD28({{"vdxIBX28.dpk", "crash"}}));
    const std::string lib = w.InstallDir() + "LibD28\\";
    WriteFile(lib + "vdxIBX28.bpl", "earlier build\r\n");
    TMainForm& form = w.Open();
    form.IbxRB.Click();

    w.Compile();

    std::vector<std::string> expected = AllCompiled("ibx");
    auto crashed = std::find(expected.begin(), expected.end(), "vdxIBX28.dpk compiled");
    *crashed = "vdxIBX28.dpk not compiled!";
    expected.insert(crashed, "delphi28 error: no package output was produced");
    EXPECT_THAT(w.Log(), ElementsAreArray(expected));
    EXPECT_THAT(w.TakeBoxes(), ElementsAre(EndBox(w))) << "no crash dialog, no error box";
    EXPECT_EQ(ReadFile(lib + "vdxIBX28.bpl"), "earlier build\r\n");
    EXPECT_FALSE(Exists(lib + "vdxIBX28.bpl.bak"));
    EXPECT_FALSE(Exists(w.systemDir + "\\vdxIBX28.bpl"));
    EXPECT_TRUE(Exists(w.systemDir + "\\mrIBX28.bpl"));
    EXPECT_EQ(sample::ReadStandinCalls(w.Root(28)).size(),
              sample::SectionPackages("ibx", 28).size());
    // One closing line per package that did not crash.
    std::string log = ReadFile(w.InstallDir() + "recompile.log");
    size_t summaries = 0;
    for (size_t at = log.find(" lines, "); at != std::string::npos;
         at = log.find(" lines, ", at + 1))
        ++summaries;
    EXPECT_EQ(summaries, sample::SectionPackages("ibx", 28).size() - 1);
}

// A tool that takes its time: the window goes on answering (messages, a
// timer, the MessageLog written so far), a second click on Compile and the
// close box are refused while the request runs, and the window closes
// normally afterwards.
TEST(RunFaults, WhileAToolHangsTheWindowAnswersAndRefusesCompileAndClose) {
    FaultWizard w(GoldLibD28({{"dclmrIBX28.dpk", "hang 2500"}}));
    TMainForm& form = w.Open();
    form.IbxRB.Click();
    const HWND window = form.Handle();
    const HWND compile = form.CompileB.Handle();
    const HWND memo = form.MessageM.Handle();
    const int compileId = GetDlgCtrlID(compile);
    const std::string root = w.Root(28);

    UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);

    struct Seen {
        bool hangStarted = false;
        bool answered = false;
        std::string logSoFar;
        bool compileEnabled = true;
        bool tickDuringHang = false;
        bool visibleAfterClose = false;
        bool hangStillRunning = false;
    } seen;
    std::thread user([&] {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!Called(root, "dclmrIBX28.dpk") && std::chrono::steady_clock::now() < end)
            Sleep(20);
        seen.hangStarted = Called(root, "dclmrIBX28.dpk");
        DWORD_PTR length = 0;
        seen.answered =
            SendMessageTimeoutW(memo, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length) != 0;
        std::wstring text(length + 1, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(memo, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, 5000, &got);
        seen.logSoFar = Narrow(std::wstring_view(text.c_str()));
        seen.compileEnabled = IsWindowEnabled(compile) != FALSE;
        const int before = g_ticks;
        while (g_ticks == before && !Called(root, "dclvdxIBX28.dpk"))
            Sleep(10);
        seen.tickDuringHang = !Called(root, "dclvdxIBX28.dpk");
        DWORD_PTR r = 0;
        // Compile once more: the button is disabled, and a click that reaches
        // the window anyway is refused.
        SendMessageTimeoutW(compile, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
        SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(compileId, BN_CLICKED),
                            reinterpret_cast<LPARAM>(compile), SMTO_ABORTIFHUNG, 5000, &r);
        // The close box and Esc.
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
        SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &r);
        seen.visibleAfterClose = IsWindowVisible(window) != FALSE;
        seen.hangStillRunning = !Called(root, "dclvdxIBX28.dpk");
    });

    w.Compile();
    user.join();
    KillTimer(nullptr, timer);

    EXPECT_TRUE(seen.hangStarted);
    EXPECT_TRUE(seen.answered);
    EXPECT_THAT(seen.logSoFar, HasSubstr("vdxIBX28.dpk compiled"));
    EXPECT_FALSE(seen.compileEnabled);
    EXPECT_TRUE(seen.tickDuringHang);
    EXPECT_TRUE(seen.visibleAfterClose);
    EXPECT_TRUE(seen.hangStillRunning) << "the clicks were made while the tool hung";
    // One request, from its first line to its end.
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("ibx")));
    EXPECT_EQ(sample::ReadStandinCalls(root).size(), sample::SectionPackages("ibx", 28).size());
    EXPECT_THAT(w.TakeBoxes(), ElementsAre(EndBox(w)));
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(form.CompileB.Enabled());
    EXPECT_FALSE(w.settings.Exists()) << "the refused close stored nothing";

    // Afterwards the window closes and stores the choices.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(w.settings.Exists());
}
