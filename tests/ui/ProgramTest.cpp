// The real recompile.exe, started as a child process from a copy in a scratch
// installation folder (its own folder is the installation folder), driven
// through its windows from outside. These runs use the real settings key of
// the wizard; the test keeps and puts back whatever the prefix held there.

#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "ui/Control.h"
#include "ui/UiTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace vdx;
using namespace vdx::test;

namespace {

const char kSettingsKey[] = "Software\\Verdexsoft\\recompile";

// Keeps the wizard's real settings key aside for the length of a test.
class RealSettings {
public:
    RealSettings() {
        UniqueKey k;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str(), 0, KEY_READ, k.put()) ==
            ERROR_SUCCESS) {
            existed_ = true;
            for (DWORD i = 0;; ++i) {
                wchar_t name[256];
                DWORD nameLen = 256, type = 0, size = 0;
                if (RegEnumValueW(k.get(), i, name, &nameLen, nullptr, &type, nullptr, &size) !=
                    ERROR_SUCCESS)
                    break;
                Saved v{name, type, std::vector<BYTE>(size)};
                nameLen = 256;
                RegEnumValueW(k.get(), i, name, &nameLen, nullptr, &type, v.data.data(), &size);
                saved_.push_back(std::move(v));
            }
        }
        Remove();
    }
    ~RealSettings() {
        Remove();
        if (!existed_)
            return;
        for (const Saved& v : saved_)
            SetRegValue(HKEY_CURRENT_USER, kSettingsKey, Narrow(v.name), v.type, v.data.data(),
                        static_cast<DWORD>(v.data.size()));
    }
    static void Remove() { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str()); }
    static void Set(const std::string& name, const std::string& value) {
        SetRegString(HKEY_CURRENT_USER, kSettingsKey, name, value);
    }
    static bool Exists() {
        UniqueKey k;
        return RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str(), 0, KEY_READ,
                             k.put()) == ERROR_SUCCESS;
    }
    static std::vector<std::string> Values() {
        UniqueKey k;
        std::vector<std::string> out;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str(), 0, KEY_READ, k.put()) !=
            ERROR_SUCCESS)
            return out;
        for (const char* name : {"TeeVer", "TeePath", "Compiler", "VDVer", "Language"}) {
            wchar_t buf[512] = {};
            DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
            if (RegQueryValueExW(k.get(), Widen(name).c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
                type == REG_SZ)
                out.push_back(Narrow(buf));
            else
                out.push_back("<missing>");
        }
        return out;
    }

private:
    struct Saved {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool existed_ = false;
    std::vector<Saved> saved_;
};

struct SeenWindow {
    std::string Class;
    std::string Caption;
    HWND Handle;
};

// The wizard copied into an installation folder and started there.
class Wizard {
public:
    explicit Wizard(const Installation& inst) : inst_(inst) {
        exe_ = inst.Path() + "recompile.exe";
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
                            Widen(inst_.Path()).c_str(), &si, &pi))
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
    const Installation& inst_;
    std::string exe_;
    UniqueHandle process_;
    DWORD pid_ = 0;
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
