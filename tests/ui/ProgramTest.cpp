// The real recompile.exe, started as a child process from a copy in a scratch
// installation folder (its own folder is the installation folder), driven
// through its windows from outside. These runs use the real settings key of
// the wizard; the test keeps and puts back whatever the prefix held there.

#include "engine/BuildRequest.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "ui/Control.h"
#include "support/tkUtils.h"
#include "ui/UiTestUtil.h"

#include "SampleContent.h"
#include "SampleInstall.h"
#include "SampleRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

using namespace vdx;
using namespace vdx::test;

namespace {

struct SeenWindow {
    std::string Class;
    std::string Caption;
    HWND Handle;
};

// The wizard copied into an installation folder and started there.
class Wizard {
public:
    explicit Wizard(const Installation& inst) : Wizard(inst.Path()) {}
    // `installDir` ends in a separator.
    explicit Wizard(std::string installDir) : installDir_(std::move(installDir)) {
        exe_ = installDir_ + "recompile.exe";
        std::string built = BinaryDir() + "recompile\\recompile.exe";
        if (!CopyFileW(WidePath(built).c_str(), WidePath(exe_).c_str(), FALSE))
            throw std::runtime_error("test: cannot copy " + built);
    }

    void Start(const std::string& args) {
        std::wstring cmd = L"\"" + Widen(exe_) + L"\"" + (args.empty() ? L"" : L" " + Widen(args));
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            Widen(installDir_).c_str(), &si, &pi))
            throw std::runtime_error("test: cannot start the wizard");
        process_.reset(pi.hProcess);
        CloseHandle(pi.hThread);
        pid_ = pi.dwProcessId;
    }

    // The visible top-level windows of the wizard right now.
    std::vector<SeenWindow> Windows() const {
        std::vector<SeenWindow> found;
        for (HWND h : TopLevelWindows(pid_)) {
            wchar_t cls[64] = {};
            GetClassNameW(h, cls, 64);
            if (IsWindowVisible(h))
                found.push_back({Narrow(cls), WindowText(h), h});
        }
        return found;
    }

    // Waits for a visible window with this caption; nullptr after the time-out.
    HWND WaitForWindow(const std::string& caption, int ms = 20000) const {
        for (auto end = Deadline(ms); std::chrono::steady_clock::now() < end; Sleep(50))
            for (const SeenWindow& w : Windows())
                if (w.Caption == caption)
                    return w.Handle;
        return nullptr;
    }

    // Waits for the end, recording every visible window; message boxes are
    // confirmed so that a fault cannot hang the test. -1 after the time-out.
    long WaitForExit(std::vector<SeenWindow>& seen, int ms = 30000) {
        for (auto end = Deadline(ms); std::chrono::steady_clock::now() < end;) {
            for (const SeenWindow& w : Windows()) {
                seen.push_back(w);
                if (w.Class == "#32770")
                    PostMessageW(w.Handle, WM_COMMAND, IDOK, 0);
            }
            if (WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0) {
                DWORD code = 0;
                GetExitCodeProcess(process_.get(), &code);
                return static_cast<long>(code);
            }
        }
        TerminateProcess(process_.get(), 99);
        return -1;
    }

    void ClickButton(HWND window, const std::string& caption) const {
        HWND b = FindWindowExW(window, nullptr, L"Button", Widen(caption).c_str());
        ASSERT_NE(b, nullptr) << caption;
        PostMessageW(b, BM_CLICK, 0, 0);
    }

private:
    static std::chrono::steady_clock::time_point Deadline(int ms) {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    std::string installDir_;
    std::string exe_;
    UniqueHandle process_;
    DWORD pid_ = 0;
};

// The machine-wide values a sample installation registers (the root of one
// environment and the two shell folders, 32-bit view), put back afterwards.
class MachineValues {
public:
    explicit MachineValues(int ver)
        : ver_(ver),
          root_(sample::ReadMachineString32(sample::CompilerRegistryKey(ver), "RootDir")),
          personal_(sample::ReadMachineString32(sample::ShellFoldersKey, "Personal")),
          common_(sample::ReadMachineString32(sample::ShellFoldersKey, "Common Documents")) {}
    ~MachineValues() {
        try {
            if (root_)
                sample::RegisterCompiler(ver_, *root_);
            else
                sample::UnregisterCompiler(ver_);
            Restore("Personal", personal_);
            Restore("Common Documents", common_);
        } catch (...) {
        }
    }

private:
    static void Restore(std::string_view name, const std::optional<std::string>& value) {
        if (value)
            sample::WriteShellFolder(name, *value);
        else
            sample::DeleteShellFolder(name);
    }
    int ver_;
    std::optional<std::string> root_, personal_, common_;
};

// Packages a request copies into the real system folder, removed afterwards
// unless they were there before.
class SystemFolderPackages {
public:
    explicit SystemFolderPackages(std::vector<std::string> names) {
        for (std::string& n : names)
            if (!Exists(Path(n)))
                added_.push_back(std::move(n));
    }
    ~SystemFolderPackages() {
        for (const std::string& n : added_)
            DeleteFileQuiet(Path(n));
    }
    static std::string Path(const std::string& name) { return SystemDirectory() + "\\" + name; }

private:
    std::vector<std::string> added_;
};

std::string Describe(const std::vector<SeenWindow>& seen) {
    std::string s;
    for (const SeenWindow& w : seen)
        s += w.Class + " \"" + w.Caption + "\"; ";
    return s;
}

} // namespace

TEST(Program, ExitOnTheWarningWindowStoresNothing) {
    RealSettings settings;
    Installation inst({"Res", "Res\\English"});
    Wizard wizard(inst);
    wizard.Start("");
    HWND warning = wizard.WaitForWindow("Warning");
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(wizard.WaitForWindow("Verdex recompile wizard 1.2.8", 0), nullptr);
    wizard.ClickButton(warning, "Exit");
    std::vector<SeenWindow> seen;
    EXPECT_EQ(wizard.WaitForExit(seen), 0);
    EXPECT_FALSE(RealSettings::Exists());
}

TEST(Program, ContinueThenCloseStoresTheChoices) {
    RealSettings settings;
    Installation inst({"Res", "Res\\English", "LibD12"});
    Wizard wizard(inst);
    wizard.Start("");
    HWND warning = wizard.WaitForWindow("Warning");
    ASSERT_NE(warning, nullptr);
    wizard.ClickButton(warning, "Continue");
    HWND main = wizard.WaitForWindow("Verdex recompile wizard 1.2.8");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindowVisible(warning));
    PostMessageW(main, WM_CLOSE, 0, 0);
    std::vector<SeenWindow> seen;
    EXPECT_EQ(wizard.WaitForExit(seen), 0);
    EXPECT_EQ(RealSettings::Values(),
              (std::vector<std::string>{"TeeChartStd", "", "CodeGear RAD Studio 2009 (Delphi, C++)",
                                        "Copper", "English"}));
}

TEST(Program, HiddenRunShowsNoWindowAndKeepsTheStoredChoices) {
    RealSettings settings;
    Installation inst(
        {"Source", "Source\\ClientServer", "LibD7", "Res", "Res\\English", "Res\\German"});
    const std::vector<std::string> stored = {"TeeChartStd", "", "Delphi 7", "Gold", "English"};
    RealSettings::Set("TeeVer", stored[0]);
    RealSettings::Set("TeePath", stored[1]);
    RealSettings::Set("Compiler", stored[2]);
    RealSettings::Set("VDVer", stored[3]);
    RealSettings::Set("Language", stored[4]);
    Wizard wizard(inst);
    wizard.Start("german Ignored");
    std::vector<SeenWindow> seen;
    EXPECT_EQ(wizard.WaitForExit(seen), 0);
    // Only the message boxes of the request's checks may appear (they are
    // answered); neither the warning window nor the main window.
    std::vector<SeenWindow> windows;
    for (const SeenWindow& w : seen)
        if (w.Class != "#32770")
            windows.push_back(w);
    EXPECT_TRUE(windows.empty()) << Describe(windows);
    EXPECT_EQ(RealSettings::Values(), stored);
}

TEST(Program, CarriesTheManifestForCommonControlsSix) {
    std::wstring exe = WidePath(BinaryDir() + "recompile\\recompile.exe");
    HMODULE m = LoadLibraryExW(exe.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m, nullptr);
    HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)); // RT_MANIFEST
    ASSERT_NE(r, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(m, r)));
    std::string manifest(data, SizeofResource(m, r));
    FreeLibrary(m);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
}

// The command-line mode end to end on a sample installation with the real
// converter and the stand-in tools: the language of the library is switched to
// German without any window, and the stored choices stay as they were.
TEST(Program, HiddenRunSwitchesASampleInstallationToGerman) {
    RealSettings settings;
    MachineValues machine(28);
    std::vector<std::string> packages;
    for (std::string p : sample::SectionPackages("language", 28))
        packages.push_back(p.replace(p.size() - 4, 4, ".bpl"));
    SystemFolderPackages systemFolder(packages);
    ScratchDir scratch("hidden");
    sample::SampleOptions o;
    o.installDir = scratch / "Verdex";
    o.libDirs = {"LibD28"};
    o.compilers = {28};
    o.edition = sample::Edition::Gold;
    o.languages = {"English", "German"};
    o.writeRegistry = true;
    o.standinExe = BinaryDir() + "tools\\standin.exe";
    o.vdrcExe = BinaryDir() + "vdrc\\vdrc.exe";
    const sample::SampleInstall s = sample::BuildSample(o);
    const std::string inst = s.installDir;
    const std::vector<std::string> stored = {
        "TeeChartStd", "", std::string(CompilerList[19].EntryText), "Gold", "English"};
    RealSettings::Set("TeeVer", stored[0]);
    RealSettings::Set("TeePath", stored[1]);
    RealSettings::Set("Compiler", stored[2]);
    RealSettings::Set("VDVer", stored[3]);
    RealSettings::Set("Language", stored[4]);

    Wizard wizard(inst);
    wizard.Start("german");
    std::vector<SeenWindow> seen;
    EXPECT_EQ(wizard.WaitForExit(seen, 120000), 0);

    EXPECT_TRUE(seen.empty()) << "no window and no message box: " << Describe(seen);
    EXPECT_EQ(RealSettings::Values(), stored);
    // The converter made the German units; they went into the library folder
    // and the source tree.
    for (std::string_view file : sample::ResourceFiles) {
        const std::string name = std::string(file) + ".pas";
        SCOPED_TRACE(name);
        const std::string unit = ReadFile(inst + "Res\\German\\" + name);
        EXPECT_NE(unit, sample::ResourceUnit("German", file)) << "converted anew";
        EXPECT_NE(unit.find("<Str Id="), std::string::npos) << "the texts are in the unit";
        EXPECT_EQ(ReadFile(inst + "LibD28\\" + name), unit);
        const std::string source =
            inst + (file == "vdxrcExports" ? "Source\\ExportPack\\" : "Source\\") + name;
        EXPECT_EQ(ReadFile(source), unit);
    }
    EXPECT_NE(ReadFile(inst + "LibD28\\vdxrcClass.pas").find("Bericht"), std::string::npos);
    EXPECT_FALSE(Exists(inst + "LibD28\\vdxrcClass.dcu"));
    // Every package of the language task was built, logged and deployed.
    const std::string log = ReadFile(inst + "recompile.log");
    EXPECT_EQ(log.find("Error:"), std::string::npos) << log;
    EXPECT_EQ(log.find("Fatal:"), std::string::npos) << log;
    for (const std::string& bpl : packages) {
        SCOPED_TRACE(bpl);
        EXPECT_NE(log.find(bpl.substr(0, bpl.size() - 4) + ".dpk"), std::string::npos);
        EXPECT_TRUE(Exists(inst + "LibD28\\" + bpl));
        EXPECT_TRUE(Exists(s.commonDocumentsDir + "\\RAD Studio\\22.0\\BPL\\Win32\\" + bpl));
    }
    // (A 64-bit-only Wine prefix has no folder for 32-bit system files; the
    // copy is then skipped.)
    if (DirExists(SystemDirectory())) {
        EXPECT_TRUE(Exists(SystemFolderPackages::Path("vdx28.bpl")));
    }
    EXPECT_FALSE(Exists(inst + "run.bat"));
    EXPECT_FALSE(Exists(inst + "log.txt"));
}
