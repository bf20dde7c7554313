// Start-up in both modes, in process: the warning window and the main window
// of an interactive run, and the hidden run with a recording driver.

#include "ui/Application.h"
#include "ui/Startup.h"
#include "ui/UiTestUtil.h"

#include <gtest/gtest.h>

using namespace vdx;
using namespace vdx::test;

namespace {

const std::string kXE2 = "Embarcadero RAD Studio XE 2 (Delphi, C++)";
const std::string kXE = "Embarcadero RAD Studio XE (Delphi, C++)";

class StartupTest : public ::testing::Test {
protected:
    Application app;
    TestKey key;
    FakeDriver driver;
    std::vector<ShownBox> boxes;
    Installation inst{"Source", "LibD15", "Res", "Res\\English", "Res\\German"};

    void SetUp() override {
        app.SetMessageBoxFn(
            [this](HWND, std::string_view text, std::string_view caption, unsigned flags) {
                boxes.push_back({std::string(text), std::string(caption), flags});
                return IDOK;
            });
    }

    MainFormOptions Options() {
        MainFormOptions o;
        o.InstallDir = inst.Path();
        o.SettingsKey = key.Path();
        o.Driver = driver.Fn();
        return o;
    }

    void Store(const std::string& tee, const std::string& path, const std::string& compiler,
               const std::string& edition, const std::string& language) {
        key.SetString("TeeVer", tee);
        key.SetString("TeePath", path);
        key.SetString("Compiler", compiler);
        key.SetString("VDVer", edition);
        key.SetString("Language", language);
    }

    std::vector<std::string> Stored() {
        std::vector<std::string> v;
        for (const char* name : {"TeeVer", "TeePath", "Compiler", "VDVer", "Language"})
            v.push_back(key.Get(name));
        return v;
    }
};

} // namespace

TEST_F(StartupTest, TheWarningWindow) {
    InteractiveWizard wizard(app, Options());
    TSplashForm& s = wizard.Splash;
    EXPECT_EQ(app.MainForm(), &s);
    EXPECT_EQ(WindowText(s.Handle()), "Warning");
    EXPECT_EQ(s.ClientWidth(), 324);
    EXPECT_EQ(s.ClientHeight(), 226);
    EXPECT_EQ(s.Label1.Text(), "Before using this wizard, be sure:");
    EXPECT_EQ(s.Label5.Text(), "4. You are run this wizard with \"Run as administrator\" option");
    EXPECT_EQ(s.Button1.Text(), "Continue");
    EXPECT_EQ(s.Button2.Text(), "Exit");
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(s.Label1.Handle(), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_FALSE(wizard.Main.Visible());
    wizard.ShowWarning();
    EXPECT_TRUE(s.Visible());
    // Continue comes first in the keyboard order; Esc presses neither button.
    s.Button1.SetFocus();
    PressKey(s.Handle(), VK_TAB);
    EXPECT_TRUE(s.Button2.Focused());
    PressKey(s.Handle(), VK_ESCAPE);
    EXPECT_TRUE(s.Visible());
    EXPECT_FALSE(app.Terminated());
}

TEST_F(StartupTest, ExitOnTheWarningWindowStoresNothing) {
    {
        InteractiveWizard wizard(app, Options());
        wizard.ShowWarning();
        wizard.Splash.Button2.Click();
        Pump();
        EXPECT_TRUE(app.Terminated());
        EXPECT_FALSE(wizard.Main.Visible());
    }
    EXPECT_FALSE(key.Exists());
}

TEST_F(StartupTest, TheCloseBoxOfTheWarningWindowEndsTheWizardToo) {
    {
        InteractiveWizard wizard(app, Options());
        wizard.ShowWarning();
        SendMessageW(wizard.Splash.Handle(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.Terminated());
    }
    EXPECT_FALSE(key.Exists());
}

TEST_F(StartupTest, ContinueThenCloseStoresOnce) {
    Store("TeeChart7", "C:\\tee", kXE2, "Partner Edition", "German");
    {
        InteractiveWizard wizard(app, Options());
        ASSERT_EQ(wizard.Main.CompilerCB.ItemIndex(), 6) << "LibD15 before restoring";
        wizard.ShowWarning();
        wizard.Splash.Button1.Click();
        EXPECT_FALSE(wizard.Splash.Visible());
        EXPECT_TRUE(wizard.Main.Visible());
        EXPECT_EQ(wizard.Main.CompilerCB.ItemIndex(), 7) << "restored when shown";
        EXPECT_EQ(wizard.Main.VDversionCB.Text(), "Partner Edition");
        UserSelect(wizard.Main.CompilerCB, 17);
        wizard.Main.LanguageCB.SetItemIndex(-1);
        EXPECT_FALSE(app.Terminated());
        wizard.Main.ExitB.Click();
        EXPECT_TRUE(app.Terminated());
        EXPECT_EQ(Stored(), (std::vector<std::string>{
                                "TeeChart7",
                                "C:\\tee",
                                "Embarcadero RAD Studio 10.3 Rio (Delphi, C++)",
                                "Partner Edition",
                                "",
                            }));
        // Nothing writes the settings after the close.
        key.Remove();
        Pump();
    }
    EXPECT_FALSE(key.Exists());
}

TEST_F(StartupTest, HiddenRunUsesTheStoredChoicesAndStoresNothing) {
    Store("TeeChart7", "C:\\tee", kXE2, "Partner Edition", "English");
    bool visible = true;
    driver.Action = [&](FrontEnd&) { visible = app.MainForm() && app.MainForm()->Visible(); };
    EXPECT_EQ(RunHidden(app, "german", Options()), 0);
    ASSERT_EQ(driver.Requests.size(), 1u);
    const BuildRequest& r = driver.Requests[0];
    EXPECT_EQ(r.Language, "German");
    EXPECT_EQ(r.Task, TaskKind::Language);
    EXPECT_EQ(r.CompilerIndex, 7);
    EXPECT_FALSE(r.Platform64);
    EXPECT_EQ(r.Edition, "Partner Edition");
    EXPECT_EQ(r.TeeChoice, "TeeChart7");
    EXPECT_EQ(r.TeePath, "C:\\tee");
    EXPECT_TRUE(r.TeePathEnabled);
    EXPECT_FALSE(r.WindowVisible);
    EXPECT_FALSE(visible);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"TeeChart7", "C:\\tee", kXE2, "Partner Edition",
                                                  "English"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StartupTest, HiddenRunWithoutStoredChoicesUsesTheFirstChoices) {
    EXPECT_EQ(RunHidden(app, "GERMAN", Options()), 0);
    ASSERT_EQ(driver.Requests.size(), 1u);
    const BuildRequest& r = driver.Requests[0];
    EXPECT_EQ(r.Language, "German");
    EXPECT_EQ(r.CompilerIndex, 6);
    EXPECT_EQ(r.Edition, "Silver");
    EXPECT_EQ(r.TeeChoice, "TeeChartStd");
    EXPECT_FALSE(key.Exists());
}

TEST_F(StartupTest, HiddenRunWithAnUnknownLanguageRunsWithoutOne) {
    RunHidden(app, "Klingon", Options());
    ASSERT_EQ(driver.Requests.size(), 1u);
    EXPECT_EQ(driver.Requests[0].Language, "");
    EXPECT_EQ(driver.Requests[0].Task, TaskKind::Language);
}

TEST_F(StartupTest, AnErrorEndsTheHiddenRunWithItsMessage) {
    driver.Action = [](FrontEnd&) { throw std::runtime_error("Cannot open file \"x\""); };
    EXPECT_EQ(RunHidden(app, "German", Options()), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Cannot open file \"x\"");
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(key.Exists());
}
