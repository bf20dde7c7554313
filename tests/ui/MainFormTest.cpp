// The main window driven through the control layer: first choices from the
// installation's folders, the option rules, keyboard handling, and what the
// window does for the driver during a request.

#include "support/Errors.h"
#include "support/platform/Utf.h"
#include "ui/UiTestUtil.h"
#include "ui/Application.h"
#include "ui/rwMain.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace vdx;
using namespace vdx::test;

namespace {

const std::string kXE2 = "Embarcadero RAD Studio XE 2 (Delphi, C++)";

class MainFormTest : public ::testing::Test {
protected:
    Application app;
    TestKey key;
    FakeDriver driver;
    std::vector<ShownBox> boxes;

    void SetUp() override {
        app.SetMessageBoxFn(
            [this](HWND, std::string_view text, std::string_view caption, unsigned flags) {
                boxes.push_back({std::string(text), std::string(caption), flags});
                return IDOK;
            });
    }

    MainFormOptions Options(const Installation& inst) {
        MainFormOptions o;
        o.InstallDir = inst.Path();
        o.SettingsKey = key.Path();
        o.Driver = driver.Fn();
        return o;
    }

    std::unique_ptr<TMainForm> Make(const Installation& inst) {
        return std::make_unique<TMainForm>(app, Options(inst));
    }
};

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

// --- first choices ---

TEST_F(MainFormTest, CompilerIsThatOfTheOldestLibraryFolderPresent) {
    struct Case {
        std::vector<std::string> folders;
        int row;
    } cases[] = {
        {{}, 0},
        {{"LibD16", "LibD28"}, 7},
        {{"LibD26"}, 17},
        {{"LibD9"}, 1},
        {{"LibD16x64"}, 0}, // 64-bit folders do not count
        {{"LibD8", "LibD13"}, 0},
    };
    for (const Case& c : cases) {
        Installation inst;
        for (const std::string& f : c.folders)
            MakeDir(inst.Path() + f);
        auto form = Make(inst);
        EXPECT_EQ(form->CompilerCB.ItemIndex(), c.row) << testing::PrintToString(c.folders);
    }
    Installation withFile({"LibD7.txt"});
    MoveFileW(Widen(withFile.Path() + "LibD7.txt").c_str(),
              Widen(withFile.Path() + "LibD7").c_str());
    MakeDir(withFile.Path() + "LibD9");
    EXPECT_EQ(Make(withFile)->CompilerCB.ItemIndex(), 1) << "a file named LibD7 is no folder";
}

TEST_F(MainFormTest, EditionFromTheSourceFolders) {
    {
        Installation inst({"Source", "Source\\ClientServer"});
        auto form = Make(inst);
        EXPECT_EQ(form->VDversionCB.Text(), "Gold");
        EXPECT_EQ(form->VDversionCB.Items(),
                  (std::vector<std::string>{"Copper", "Silver", "Gold"}));
    }
    {
        Installation inst({"Source"});
        EXPECT_EQ(Make(inst)->VDversionCB.Text(), "Silver");
    }
    {
        Installation inst({"ClientServer"});
        auto form = Make(inst);
        EXPECT_EQ(form->VDversionCB.Text(), "Copper");
        EXPECT_EQ(form->VDversionCB.Items(), std::vector<std::string>{"Copper"});
        // Gold and Silver do not come back; Partner Edition follows the compiler.
        UserSelect(form->CompilerCB, 7);
        EXPECT_EQ(form->VDversionCB.Items(),
                  (std::vector<std::string>{"Copper", "Partner Edition"}));
        EXPECT_EQ(form->VDversionCB.Text(), "Copper");
    }
    {
        Installation inst({"LibD16"}); // no Source, XE 2 preselected
        auto form = Make(inst);
        EXPECT_EQ(form->VDversionCB.Items(),
                  (std::vector<std::string>{"Copper", "Partner Edition"}));
        EXPECT_EQ(form->VDversionCB.Text(), "Copper");
    }
}

TEST_F(MainFormTest, LanguagesAreTheVisibleFoldersUnderRes) {
    Installation inst({"Res", "Res\\English", "Res\\German", "Res\\vdrc.exe", "Res\\Hidden",
                       "Res\\System", "Res\\French"});
    SetAttributes(inst.Path() + "Res\\Hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(inst.Path() + "Res\\System", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    auto form = Make(inst);
    EXPECT_EQ(Sorted(form->LanguageCB.Items()),
              (std::vector<std::string>{"English", "French", "German"}));
    EXPECT_EQ(form->LanguageCB.Text(), "English");
}

TEST_F(MainFormTest, LanguageSelectionWithoutEnglishOrRes) {
    {
        Installation inst({"Res", "Res\\ENGLISH", "Res\\German"});
        EXPECT_EQ(Make(inst)->LanguageCB.Text(), "ENGLISH"); // any letter case
    }
    {
        Installation inst({"Res", "Res\\German"});
        auto form = Make(inst);
        EXPECT_EQ(form->LanguageCB.Items(), std::vector<std::string>{"German"});
        EXPECT_EQ(form->LanguageCB.ItemIndex(), -1);
    }
    {
        Installation inst;
        auto form = Make(inst);
        EXPECT_EQ(form->LanguageCB.Count(), 0);
        EXPECT_EQ(form->LanguageCB.Text(), "");
    }
}

TEST_F(MainFormTest, OpensWithTheDefaultsAndTheMessageBoxOutOfSight) {
    Installation inst({"Res", "Res\\English"});
    auto form = Make(inst);
    EXPECT_EQ(WindowText(form->Handle()), "Verdex recompile wizard 1.2.8");
    EXPECT_EQ(form->ClientWidth(), 433);
    EXPECT_EQ(form->ClientHeight(), 464);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->InstallDir, inst.Path());
    EXPECT_EQ(form->PlatformCB.Items(), (std::vector<std::string>{"x32", "x64"}));
    EXPECT_EQ(form->PlatformCB.Text(), "x32");
    EXPECT_EQ(form->TeeCB.Count(), 12);
    EXPECT_EQ(form->TeeCB.Text(), "TeeChartStd");
    EXPECT_EQ(form->CompilerCB.Count(), 20);
    EXPECT_EQ(form->CompilerCB.Item(19), "Embarcadero RAD Studio 11 (Delphi, C++)");
    EXPECT_TRUE(form->LanguageRB.Checked());
    for (RadioButton* rb : {&form->TeeRB, &form->IbxRB, &form->FIBRB, &form->AllRB})
        EXPECT_FALSE(rb->Checked()) << rb->Name();
    EXPECT_TRUE(form->DebugCB.Checked());
    EXPECT_FALSE(form->BDECB.Checked());
    EXPECT_FALSE(form->FireDACCB.Checked());
    EXPECT_EQ(form->TeePathE.Text(), "");
    EXPECT_EQ(form->FibPathE.Text(), "");
    EXPECT_EQ(form->IndyPathE.Text(), "");
    EXPECT_EQ(form->MessageM.Lines(), std::vector<std::string>{});
    EXPECT_EQ(form->InstalledCompilers.size(), 20u);
    EXPECT_FALSE(form->SystemDir.empty());
    EXPECT_EQ(form->ExitB.Text(), "Exit");
    EXPECT_EQ(form->IbxRB.Text(), "Recompile IBX package (if you have IBX update)");
}

TEST_F(MainFormTest, ControlsSitWhereTheTableSaysInTahomaAndCourierNew) {
    Installation inst;
    auto form = Make(inst);
    auto place = [](const Control& c) {
        Bounds b = c.ScreenPlace();
        return std::vector<int>{b.Left, b.Top, b.Width, b.Height};
    };
    EXPECT_EQ(place(form->GroupBox4), (std::vector<int>{4, 116, 421, 97}));
    EXPECT_EQ(place(form->TeePathE), (std::vector<int>{12, 180, 321, 21}));
    EXPECT_EQ(place(form->CompilerCB), (std::vector<int>{12, 24, 329, 21}));
    EXPECT_EQ(place(form->LanguageCB), (std::vector<int>{260, 234, 153, 21}));
    EXPECT_EQ(place(form->BrowseINDY), (std::vector<int>{340, 396, 71, 21}));
    EXPECT_EQ(place(form->CompileB), (std::vector<int>{264, 432, 75, 25}));
    EXPECT_EQ(place(form->MessageM), (std::vector<int>{4, 464, 421, 129}));
    auto font = [](const Control& c) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.Handle(), WM_GETFONT, 0, 0)), sizeof lf,
                   &lf);
        return Narrow(lf.lfFaceName) + "/" + std::to_string(lf.lfHeight);
    };
    EXPECT_EQ(font(form->CompilerCB), "Tahoma/-11");
    EXPECT_EQ(font(form->TeeL), "Tahoma/-11");
    EXPECT_EQ(font(form->MessageM), "Courier New/-11");
    LONG_PTR memoStyle = GetWindowLongPtrW(form->MessageM.Handle(), GWL_STYLE);
    EXPECT_TRUE(memoStyle & WS_VSCROLL);
    EXPECT_FALSE(memoStyle & ES_READONLY);
    LONG_PTR formStyle = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(formStyle & WS_MINIMIZEBOX);
    EXPECT_FALSE(formStyle & (WS_MAXIMIZEBOX | WS_THICKFRAME));
}

// --- option rules ---

TEST_F(MainFormTest, EnabledStatesForEveryCompilerRow) {
    struct Expect {
        int first, last;
        bool platform, bde, fireDac, indy, teePath, partner;
    };
    const bool T = true, F = false;
    const Expect table[] = {
        {-1, -1, F, F, F, F, F, F}, {0, 0, F, F, F, F, F, F},   {1, 5, F, F, F, T, F, F},
        {6, 6, F, F, F, F, F, F},   {7, 8, T, F, F, F, F, T},   {9, 9, T, F, T, F, F, T},
        {10, 11, T, F, T, F, T, T}, {12, 19, T, T, T, F, F, T},
    };
    Installation inst({"Source", "Source\\ClientServer"});
    auto form = Make(inst);
    TMainForm& f = *form;
    auto check = [&](int row, const Expect& e) {
        SCOPED_TRACE("compiler row " + std::to_string(row));
        if (row < 0) {
            f.CompilerCB.SetItemIndex(-1);
            UserSelect(f.VDversionCB, f.VDversionCB.ItemIndex()); // the rule with no compiler
        } else {
            UserSelect(f.CompilerCB, row);
        }
        EXPECT_EQ(f.PlatformCB.Enabled(), e.platform);
        EXPECT_EQ(f.BDECB.Enabled(), e.bde);
        EXPECT_EQ(f.FireDACCB.Enabled(), e.fireDac);
        EXPECT_EQ(f.IndyPathE.Enabled(), e.indy);
        EXPECT_EQ(f.BrowseINDY.Enabled(), e.indy);
        EXPECT_EQ(f.TeePathE.Enabled(), e.teePath);
        EXPECT_EQ(f.BrowseB.Enabled(), e.teePath);
        EXPECT_EQ(f.TeeL.Enabled(), e.teePath);
        EXPECT_EQ(f.VDversionCB.IndexOf("Partner Edition") >= 0, e.partner);
        EXPECT_EQ(f.VDversionCB.Count(), e.partner ? 4 : 3);
    };
    ASSERT_EQ(f.TeeCB.Text(), "TeeChartStd");
    for (const Expect& e : table) // upwards
        for (int row = e.first; row <= e.last; ++row)
            check(row, e);
    for (auto e = std::rbegin(table); e != std::rend(table); ++e) // and down again
        for (int row = e->last; row >= e->first; --row)
            check(row, *e);

    // Any other TeeChart row needs the path with every compiler.
    UserSelect(f.TeeCB, 9);
    for (int row = -1; row < 20; ++row) {
        f.CompilerCB.SetItemIndex(row);
        UserSelect(f.VDversionCB, 0);
        EXPECT_TRUE(f.TeePathE.Enabled()) << row;
        EXPECT_TRUE(f.BrowseB.Enabled()) << row;
    }
    // No TeeChart row selected: the path is enabled too.
    f.TeeCB.SetItemIndex(-1);
    UserSelect(f.CompilerCB, 12);
    EXPECT_TRUE(f.TeePathE.Enabled());
}

TEST_F(MainFormTest, OnlyXE2KeepsAChosenX64) {
    Installation inst({"Source"});
    auto form = Make(inst);
    for (int row : {7, 8, 12, 19}) {
        UserSelect(form->CompilerCB, row);
        UserSelect(form->PlatformCB, 1);
        ASSERT_EQ(form->PlatformCB.Text(), "x64");
        UserSelect(form->VDversionCB, 0); // a change of the edition runs the rule
        EXPECT_EQ(form->PlatformCB.Text(), row == 7 ? "x64" : "x32") << row;
        EXPECT_EQ(form->MakeRequest().Platform64, row == 7) << row;
    }
    UserSelect(form->CompilerCB, 7);
    UserSelect(form->PlatformCB, 1);
    UserSelect(form->CompilerCB, 6); // the platform list is disabled and back at x32
    EXPECT_EQ(form->PlatformCB.Text(), "x32");
    EXPECT_FALSE(form->PlatformCB.Enabled());
}

TEST_F(MainFormTest, PartnerEditionLeavesAndComesBackUnselected) {
    Installation inst({"Source", "Source\\ClientServer", "LibD16"});
    auto form = Make(inst);
    ASSERT_EQ(form->CompilerCB.ItemIndex(), 7);
    UserSelect(form->VDversionCB, form->VDversionCB.IndexOf("Partner Edition"));
    UserSelect(form->CompilerCB, 6);
    EXPECT_EQ(form->VDversionCB.Text(), "Copper");
    EXPECT_EQ(form->VDversionCB.Items(), (std::vector<std::string>{"Copper", "Silver", "Gold"}));
    UserSelect(form->CompilerCB, 7);
    EXPECT_EQ(form->VDversionCB.Items(),
              (std::vector<std::string>{"Copper", "Silver", "Gold", "Partner Edition"}));
    EXPECT_EQ(form->VDversionCB.Text(), "Copper");
    // Another edition selected stays selected when Partner Edition is removed.
    UserSelect(form->VDversionCB, 2);
    UserSelect(form->CompilerCB, 0);
    EXPECT_EQ(form->VDversionCB.Text(), "Gold");
}

TEST_F(MainFormTest, OnlyTheUsersPickRunsARule) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    ASSERT_FALSE(form->BDECB.Enabled());
    form->CompilerCB.SetItemIndex(12); // the program's selection: no rule
    Pump();
    EXPECT_FALSE(form->BDECB.Enabled());
    EXPECT_FALSE(form->PlatformCB.Enabled());
    // The user's key press on the list is a pick: the rule runs.
    form->CompilerCB.SetFocus();
    SendMessageW(form->CompilerCB.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(form->CompilerCB.ItemIndex(), 13);
    EXPECT_TRUE(form->BDECB.Enabled());
    EXPECT_TRUE(form->PlatformCB.Enabled());
    EXPECT_TRUE(form->VDversionCB.IndexOf("Partner Edition") >= 0);
}

TEST_F(MainFormTest, DisabledOptionsKeepTheirCheckAndGoIntoTheRequest) {
    Installation inst;
    auto form = Make(inst);
    UserSelect(form->CompilerCB, 12);
    form->BDECB.Click();
    form->FireDACCB.Click();
    UserSelect(form->CompilerCB, 0);
    EXPECT_FALSE(form->BDECB.Enabled());
    EXPECT_TRUE(form->BDECB.Checked());
    BuildRequest r = form->MakeRequest();
    EXPECT_TRUE(r.WithBde);
    EXPECT_TRUE(r.WithFireDac);
    EXPECT_TRUE(r.WithDebug);
}

TEST_F(MainFormTest, OptionButtonsFormOneGroup) {
    Installation inst;
    auto form = Make(inst);
    form->AllRB.Click();
    EXPECT_TRUE(form->AllRB.Checked());
    EXPECT_FALSE(form->LanguageRB.Checked());
    form->TeeRB.SetChecked(true);
    int checked = 0;
    for (RadioButton* rb :
         {&form->LanguageRB, &form->TeeRB, &form->IbxRB, &form->FIBRB, &form->AllRB})
        checked += rb->Checked();
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(form->MakeRequest().Task, TaskKind::Tee);
}

// --- keyboard ---

TEST_F(MainFormTest, TabRunsInTheKeyboardOrderOfTheSteps) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    for (Control* c : form->Controls())
        c->SetEnabled(true);
    form->CompilerCB.SetFocus();
    std::vector<std::string> order;
    for (int i = 0; i < 19; ++i) {
        Control* c = Control::FromHandle(GetFocus());
        order.push_back(c ? c->Name() : "?");
        PressKey(form->Handle(), VK_TAB);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{
                  "CompilerCB", "PlatformCB", "VDversionCB", "LanguageRB", "LanguageCB", "DebugCB",
                  "BDECB", "FireDACCB", "CompileB", "ExitB", "MessageM", "TeeCB", "TeePathE",
                  "BrowseB", "FibPathE", "BrowseFIB", "IndyPathE", "BrowseINDY", "CompilerCB"}));
}

TEST_F(MainFormTest, EscPressesExitAndEnterPressesTheFocusedButton) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    form->CompileB.SetFocus();
    PressKey(form->Handle(), VK_RETURN);
    EXPECT_EQ(driver.Requests.size(), 1u);
    form->FibPathE.SetFocus();
    PressKey(form->Handle(), VK_RETURN); // no default button
    EXPECT_EQ(driver.Requests.size(), 1u);
    ASSERT_FALSE(key.Exists());
    PressKey(form->Handle(), VK_ESCAPE);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(key.Exists()) << "closing stores the settings";
}

// --- the request and the driver's front end ---

TEST_F(MainFormTest, CompileHandsTheControlsToTheDriver) {
    Installation inst({"Source", "Source\\ClientServer", "Res", "Res\\English", "Res\\German"});
    auto form = Make(inst);
    UserSelect(form->CompilerCB, 7);
    UserSelect(form->PlatformCB, 1);
    UserSelect(form->VDversionCB, 3);
    UserSelect(form->TeeCB, 11);
    form->TeePathE.SetText("C:\\Tee Chart\\Lib");
    form->FibPathE.SetText("D:\\fib");
    form->IndyPathE.SetText("E:\\indy");
    form->LanguageCB.SetItemIndex(form->LanguageCB.IndexOf("German"));
    form->FIBRB.Click();
    form->DebugCB.Click();
    form->CompileB.Click();
    ASSERT_EQ(driver.Requests.size(), 1u);
    const BuildRequest& r = driver.Requests[0];
    EXPECT_EQ(r.InstallDir, inst.Path());
    EXPECT_EQ(r.CompilerIndex, 7);
    EXPECT_TRUE(r.Platform64);
    EXPECT_EQ(r.Edition, "Partner Edition");
    EXPECT_EQ(r.Language, "German");
    EXPECT_EQ(r.TeeChoice, "TeeChart9(TeeChartSeriesEx) and later");
    EXPECT_FALSE(r.WithDebug);
    EXPECT_FALSE(r.WithBde);
    EXPECT_EQ(r.TeePath, "C:\\Tee Chart\\Lib");
    EXPECT_TRUE(r.TeePathEnabled);
    EXPECT_EQ(r.FibPath, "D:\\fib");
    EXPECT_EQ(r.IndyPath, "E:\\indy");
    EXPECT_FALSE(r.IndyPathEnabled);
    EXPECT_EQ(r.Task, TaskKind::Fib);
    EXPECT_FALSE(r.WindowVisible);
    EXPECT_EQ(r.InstalledCompilers, form->InstalledCompilers);
    EXPECT_EQ(r.SystemDir, form->SystemDir);
    EXPECT_TRUE(r.Ver.empty()) << "derived fields are the driver's";

    // Nothing selected travels as -1 and empty texts.
    form->CompilerCB.SetItemIndex(-1);
    form->VDversionCB.SetItemIndex(-1);
    form->TeeCB.SetItemIndex(-1);
    form->LanguageCB.SetItemIndex(-1);
    form->Show();
    form->CompileB.Click();
    ASSERT_EQ(driver.Requests.size(), 2u);
    EXPECT_EQ(driver.Requests[1].CompilerIndex, -1);
    EXPECT_EQ(driver.Requests[1].Edition, "");
    EXPECT_EQ(driver.Requests[1].TeeChoice, "");
    EXPECT_EQ(driver.Requests[1].Language, "");
    EXPECT_TRUE(driver.Requests[1].WindowVisible);
}

TEST_F(MainFormTest, TheDriverEnlargesTheWindowAndWritesTheMessageLog) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    form->MessageM.AppendLine("old line");
    driver.Action = [](FrontEnd& f) {
        f.setClientHeight(597);
        f.clearLog();
        f.appendLog("dclvdx16.bpl compiled");
        f.appendLog("delphi16 error: x.pas(1) Error: E2003 Undeclared identifier: 'y'");
        f.appendLog("Done");
    };
    form->CompileB.Click();
    EXPECT_EQ(form->ClientHeight(), 597);
    EXPECT_EQ(form->ClientWidth(), 433);
    EXPECT_EQ(form->MessageM.Lines(),
              (std::vector<std::string>{
                  "dclvdx16.bpl compiled",
                  "delphi16 error: x.pas(1) Error: E2003 Undeclared identifier: 'y'", "Done"}));
    // A second request starts from an empty log.
    driver.Action = [](FrontEnd& f) {
        f.clearLog();
        f.appendLog("Done");
    };
    form->CompileB.Click();
    EXPECT_EQ(form->MessageM.Lines(), std::vector<std::string>{"Done"});
}

TEST_F(MainFormTest, MessageKindsHaveTheirBoxes) {
    Installation inst;
    auto form = Make(inst);
    const std::string running = "Delphi/C++Builder is running!\n\rCompile is not possible.\n\r"
                                "Close Delphi/C++Builder to continue!";
    driver.Action = [&](FrontEnd& f) {
        f.showMessage(MessageKind::RunningInfo, "", running);
        f.showMessage(MessageKind::Error, "Error", "Please fill in the TeeChart path");
        f.showMessage(MessageKind::Information, "Information", "Recompiled files are in the");
    };
    form->CompileB.Click();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].Caption, "Information");
    EXPECT_EQ(boxes[0].Text, running);
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[1].Caption, "Error");
    EXPECT_EQ(boxes[1].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[2].Caption, "Information");
    EXPECT_EQ(boxes[2].Flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(MainFormTest, BusyCursorAndFocusOnTheTeeChartPath) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    UserSelect(form->TeeCB, 1); // the path is needed
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    HCURSOR during = nullptr;
    HWND focused = nullptr;
    driver.Action = [&](FrontEnd& f) {
        f.setBusy(true);
        SendMessageW(form->FibPathE.Handle(), WM_SETCURSOR,
                     reinterpret_cast<WPARAM>(form->FibPathE.Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        during = GetCursor();
        f.focusTeePath();
        focused = GetFocus();
        f.setBusy(false);
    };
    form->CompileB.Click();
    EXPECT_EQ(during, wait);
    EXPECT_FALSE(app.Busy());
    EXPECT_EQ(focused, form->TeePathE.Handle());
    EXPECT_EQ(GetFocus(), form->TeePathE.Handle()) << "the focus stays where the driver put it";
}

TEST_F(MainFormTest, WhileARequestRunsCompileIsDisabledAndTheWindowStaysOpen) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    bool compileEnabled = true, stillVisible = false;
    driver.Action = [&](FrontEnd&) {
        compileEnabled = form->CompileB.Enabled();
        form->CompileB.Click();                       // refused: disabled
        form->CompileBClick(nullptr);                 // refused: a request runs
        SendMessageW(form->Handle(), WM_CLOSE, 0, 0); // close box
        form->ExitB.Click();                          // Exit
        PressKey(form->Handle(), VK_ESCAPE);          // Esc
        Pump();
        stillVisible = form->Visible();
    };
    form->CompileB.Click();
    EXPECT_FALSE(compileEnabled);
    EXPECT_EQ(driver.Requests.size(), 1u);
    EXPECT_TRUE(stillVisible);
    EXPECT_FALSE(key.Exists()) << "no settings stored by a refused close";
    EXPECT_TRUE(form->CompileB.Enabled());
    EXPECT_FALSE(form->RequestRunning());
    form->ExitB.Click();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(key.Exists());
}

TEST_F(MainFormTest, AnErrorOfTheDriverIsShownInTheErrorBox) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    driver.Action = [](FrontEnd&) {
        throw FileError::CannotOpen("C:\\x\\vdx.inc", "Access is denied");
    };
    form->CompileB.Click(); // through the window procedure: nothing escapes it
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Cannot open file \"C:\\x\\vdx.inc\". Access is denied.");
    EXPECT_EQ(boxes[0].Caption, app.Title());
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(form->CompileB.Enabled());
    EXPECT_FALSE(form->RequestRunning());
    form->ExitB.Click();
    EXPECT_FALSE(form->Visible()) << "the window can be closed after the error";
}

TEST(ErrorBox, TextGetsAFullStopUnlessItEndsInPunctuation) {
    EXPECT_EQ(ErrorBoxText("Invalid file format"), "Invalid file format.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorBoxText("Cannot open file \"a\""), "Cannot open file \"a\"");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorBox, TheRealBoxCarriesTheTitleAndTheMessage) {
    Application app;
    EXPECT_EQ(app.Title(), "ui_window_test"); // the program's file name
    Installation inst;
    FakeDriver driver;
    driver.Action = [](FrontEnd&) { throw InOutError("Cannot create folder"); };
    TestKey key;
    MainFormOptions o;
    o.InstallDir = inst.Path();
    o.SettingsKey = key.Path();
    o.Driver = driver.Fn();
    TMainForm form(app, o);
    form.Show();
    BoxAnswerer answerer;
    form.CompileB.Click();
    auto shown = answerer.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Caption, "ui_window_test");
    EXPECT_EQ(shown[0].Text, "Cannot create folder.");
}

// --- Browse ---

TEST_F(MainFormTest, BrowsePutsTheChosenFolderIntoItsOwnBox) {
    Installation inst;
    auto form = Make(inst);
    form->Show();
    form->TeePathE.SetText("keep tee");
    form->IndyPathE.SetText("keep indy");
    std::vector<std::string> buttons;
    {
        // Confirmed as it opens: no start folder, so the dialog's own first
        // choice (the desktop) comes back.
        BoxAnswerer answerer(GetCurrentProcessId(), IDOK, [&](HWND box) {
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                wchar_t cls[16] = {};
                GetClassNameW(c, cls, 16);
                if (lstrcmpiW(cls, L"Button") == 0 && IsWindowVisible(c))
                    buttons.push_back(WindowText(c));
            }
        });
        form->BrowseFIB.Click();
    }
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
    EXPECT_EQ(form->FibPathE.Text(), Narrow(desktop));
    EXPECT_EQ(form->TeePathE.Text(), "keep tee");
    EXPECT_EQ(form->IndyPathE.Text(), "keep indy");
    EXPECT_EQ(buttons.size(), 2u) << "OK and Cancel only, no new-folder button: "
                                  << testing::PrintToString(buttons);
    {
        BoxAnswerer answerer(GetCurrentProcessId(), IDCANCEL);
        UserSelect(form->TeeCB, 1);
        form->BrowseB.Click();
    }
    EXPECT_EQ(form->TeePathE.Text(), "keep tee") << "cancel changes nothing";
}
