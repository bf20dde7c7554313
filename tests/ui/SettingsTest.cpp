// The five stored choices: restored on every show, stored on close, through
// the real registry (a unique key below HKCU per test).

#include "support/platform/Utf.h"
#include "ui/Application.h"
#include "ui/UiTestUtil.h"
#include "ui/rwMain.h"

#include <gtest/gtest.h>

#include <memory>

using namespace vdx;
using namespace vdx::test;

namespace {

const std::string kXE2 = "Embarcadero RAD Studio XE 2 (Delphi, C++)";
const std::string kRio = "Embarcadero RAD Studio 10.3 Rio (Delphi, C++)";

class SettingsTest : public ::testing::Test {
protected:
    Application app;
    TestKey key;
    std::vector<ShownBox> boxes;
    Installation inst{"Source", "Source\\ClientServer", "LibD26",
                      "Res",    "Res\\English",         "Res\\German"};

    void SetUp() override {
        app.SetMessageBoxFn(
            [this](HWND, std::string_view text, std::string_view caption, unsigned flags) {
                boxes.push_back({std::string(text), std::string(caption), flags});
                return IDOK;
            });
    }

    std::unique_ptr<TMainForm> Make(std::string settingsKey = {}) {
        MainFormOptions o;
        o.InstallDir = inst.Path();
        o.SettingsKey = settingsKey.empty() ? key.Path() : settingsKey;
        o.Driver = [](BuildRequest, FrontEnd&) {};
        return std::make_unique<TMainForm>(app, o);
    }

    void Store(const std::string& tee, const std::string& path, const std::string& compiler,
               const std::string& edition, const std::string& language) {
        key.SetString("TeeVer", tee);
        key.SetString("TeePath", path);
        key.SetString("Compiler", compiler);
        key.SetString("VDVer", edition);
        key.SetString("Language", language);
    }
};

} // namespace

TEST_F(SettingsTest, FirstRunRestoresNothingAndTheFirstCloseStoresAllFive) {
    auto form = Make();
    EXPECT_TRUE(form->FirstRun());
    form->Show();
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(key.Exists()) << "FirstRun only looks";
    EXPECT_EQ(form->CompilerCB.Text(), kRio);
    form->Close();
    EXPECT_EQ(key.Get("TeeVer"), "TeeChartStd");
    EXPECT_EQ(key.Get("TeePath"), "");
    EXPECT_EQ(key.Get("Compiler"), kRio);
    EXPECT_EQ(key.Get("VDVer"), "Gold");
    EXPECT_EQ(key.Get("Language"), "English");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsTest, EveryShowRestoresTheStoredChoices) {
    Store("TeeChart9 and later", "C:\\Tee Chart", kXE2, "Partner Edition", "german");
    auto form = Make();
    EXPECT_FALSE(form->FirstRun());
    form->Show();
    EXPECT_EQ(form->TeeCB.Text(), "TeeChart9 and later");
    EXPECT_TRUE(form->TeePathE.Enabled());
    EXPECT_EQ(form->TeePathE.Text(), "C:\\Tee Chart");
    EXPECT_EQ(form->CompilerCB.ItemIndex(), 7);
    EXPECT_TRUE(form->PlatformCB.Enabled()) << "the compiler rule ran";
    EXPECT_EQ(form->VDversionCB.Text(), "Partner Edition");
    EXPECT_EQ(form->LanguageCB.Text(), "German");
    // Changed, hidden and shown again: restored again.
    UserSelect(form->CompilerCB, 0);
    form->Hide();
    form->Show();
    EXPECT_EQ(form->CompilerCB.ItemIndex(), 7);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsTest, StoredTextsThatMatchNoRow) {
    struct Case {
        const char* what;
        std::string tee, compiler, edition, language;
        int teeRow, compilerRow;
        std::string editionText, languageText;
        bool teePathEnabled;
    } cases[] = {
        {"compiler in other letter case", "teechartstd", "DELPHI 7", "gold", "ENGLISH", 0, 0,
         "Gold", "English", false},
        {"partner edition with a compiler below XE 2", "TeeChartStd",
         "Embarcadero RAD Studio XE (Delphi, C++)", "Partner Edition", "English", 0, 6, "",
         "English", false},
        {"unknown TeeChart version", "TeeChart 2030", kRio, "Gold", "English", -1, 17, "Gold",
         "English", true},
        {"removed language folder and unknown compiler", "TeeChartStd", "Delphi 8", "Silver",
         "Klingon", 0, -1, "Silver", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store(c.tee, "", c.compiler, c.edition, c.language);
        auto form = Make();
        form->Show();
        EXPECT_EQ(form->TeeCB.ItemIndex(), c.teeRow);
        EXPECT_EQ(form->CompilerCB.ItemIndex(), c.compilerRow);
        EXPECT_EQ(form->VDversionCB.Text(), c.editionText);
        EXPECT_EQ(form->LanguageCB.Text(), c.languageText);
        EXPECT_EQ(form->TeePathE.Enabled(), c.teePathEnabled);
    }
    EXPECT_TRUE(boxes.empty()) << "nothing is reported";
}

TEST_F(SettingsTest, AnEmptyKeyLeavesEveryListWithoutSelection) {
    key.Create();
    auto form = Make();
    form->TeePathE.SetText("C:\\old");
    form->Show();
    EXPECT_EQ(form->TeeCB.ItemIndex(), -1);
    EXPECT_EQ(form->CompilerCB.ItemIndex(), -1);
    EXPECT_EQ(form->VDversionCB.ItemIndex(), -1);
    EXPECT_EQ(form->LanguageCB.ItemIndex(), -1);
    EXPECT_EQ(form->TeePathE.Text(), "");
    EXPECT_TRUE(form->TeePathE.Enabled());
    // Closing in that state stores empty strings.
    form->Close();
    for (const char* name : {"TeeVer", "TeePath", "Compiler", "VDVer", "Language"})
        EXPECT_EQ(key.Get(name), "") << name;
}

TEST_F(SettingsTest, ValuesOfOtherTypesReadAsEmptyAndStringsStopAtNul) {
    Store("TeeChart7", "", kXE2, "Gold", "English");
    DWORD dword = 7;
    key.SetRaw("Compiler", REG_DWORD, &dword, sizeof dword);
    const wchar_t multi[] = L"German\0English\0";
    key.SetRaw("Language", REG_MULTI_SZ, multi, sizeof multi);
    key.SetString("TeePath", "%SystemRoot%\\Tee", REG_EXPAND_SZ);
    const wchar_t withNul[] = L"Silver\0Gold";
    key.SetRaw("VDVer", REG_SZ, withNul, sizeof withNul - sizeof(wchar_t)); // no final NUL
    const char binary[] = "TeeChart7";
    key.SetRaw("TeeVer", REG_BINARY, binary, sizeof binary);
    auto form = Make();
    form->Show();
    EXPECT_EQ(form->CompilerCB.ItemIndex(), -1);
    EXPECT_EQ(form->LanguageCB.ItemIndex(), -1);
    EXPECT_EQ(form->TeeCB.ItemIndex(), -1);
    EXPECT_EQ(form->TeePathE.Text(), "%SystemRoot%\\Tee") << "not expanded";
    EXPECT_EQ(form->VDversionCB.Text(), "Silver");
    EXPECT_TRUE(boxes.empty());
    // Storing writes strings again.
    form->Close();
    EXPECT_EQ(key.Get("Compiler"), "");
    EXPECT_EQ(key.Get("TeePath"), "%SystemRoot%\\Tee");
}

TEST_F(SettingsTest, AKeyThatCannotBeWrittenGivesTheTwoMessages) {
    Store("TeeChart7", "C:\\tee", kXE2, "Gold", "German");
    MakeKeyReadOnly(HKEY_CURRENT_USER, key.Path());
    auto form = Make();
    EXPECT_FALSE(form->FirstRun());
    form->Show();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Error! State is not restored!");
    EXPECT_EQ(boxes[0].Caption, app.Title());
    EXPECT_EQ(boxes[0].Flags, unsigned(MB_OK));
    EXPECT_EQ(form->CompilerCB.Text(), kRio) << "the window keeps its state";
    EXPECT_EQ(form->TeePathE.Text(), "");
    form->Close();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "Error! State is not saved!");
    EXPECT_EQ(boxes[1].Caption, app.Title());
    EXPECT_FALSE(form->Visible()) << "the window closes all the same";
    EXPECT_EQ(key.Get("Compiler"), kXE2);
}

TEST_F(SettingsTest, NothingElseIsStored) {
    auto form = Make();
    form->Show();
    UserSelect(form->CompilerCB, 7);
    UserSelect(form->PlatformCB, 1);
    form->AllRB.Click();
    form->FibPathE.SetText("D:\\fib");
    form->Close();
    auto again = Make();
    again->Show();
    EXPECT_EQ(again->CompilerCB.ItemIndex(), 7);
    EXPECT_EQ(again->PlatformCB.Text(), "x32");
    EXPECT_TRUE(again->LanguageRB.Checked());
    EXPECT_EQ(again->FibPathE.Text(), "");
    DWORD values = 0, subkeys = 0;
    UniqueKey k;
    RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key.Path()).c_str(), 0, KEY_READ, k.put());
    RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                     nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 5u);
    EXPECT_EQ(subkeys, 0u);
}
