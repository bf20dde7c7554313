#pragma once
// Helpers for the tests that drive the wizard's windows under Wine.

#include "common/WinTestUtil.h"
#include "engine/BuildRequest.h"
#include "engine/FrontEnd.h"
#include "ui/Controls.h"
#include "ui/rwMain.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vdx::test {

// A unique settings key below HKCU\Software\Verdexsoft, removed afterwards.
class TestKey {
public:
    TestKey();
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    const std::string& Path() const { return path_; }
    bool Exists() const;
    void Create() const;
    void SetString(const std::string& name, const std::string& value, DWORD type = REG_SZ) const;
    void SetRaw(const std::string& name, DWORD type, const void* data, DWORD size) const;
    // The value as stored; "<missing>" when there is none, "<type N>" when not a string.
    std::string Get(const std::string& name) const;
    void Remove() const;

private:
    std::string path_;
};

// The wizard's real settings key (the one recompile.exe itself reads and
// writes), kept aside for the length of a test: removed at the start, put back
// as it was at the end. Tests that use it must run alone (RUN_SERIAL).
class RealSettings {
public:
    static constexpr char Key[] = "Software\\Verdexsoft\\recompile";
    RealSettings();
    ~RealSettings();
    RealSettings(const RealSettings&) = delete;
    RealSettings& operator=(const RealSettings&) = delete;
    static void Remove();
    static void Set(const std::string& name, const std::string& value);
    static bool Exists();
    // TeeVer, TeePath, Compiler, VDVer, Language as stored ("<missing>" when
    // absent or not a string).
    static std::vector<std::string> Values();

private:
    struct Saved {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool existed_ = false;
    std::vector<Saved> saved_;
};

// Writes a REG_SZ (or another type's) value, creating the key.
void SetRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const void* data, DWORD size, REGSAM view = 0);
void SetRegString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& value, DWORD type = REG_SZ, REGSAM view = 0);
// Gives the key a DACL that lets everyone read it and nothing else.
void MakeKeyReadOnly(HKEY root, const std::string& path);

// One message box shown through Application::ShowMessageBox.
struct ShownBox {
    std::string Text;
    std::string Caption;
    unsigned Flags;
};

// A driver that records every request it gets and then runs `Action`.
struct FakeDriver {
    std::vector<BuildRequest> Requests;
    std::function<void(FrontEnd&)> Action;
    DriverFn Fn() {
        return [this](BuildRequest r, FrontEnd& f) {
            Requests.push_back(std::move(r));
            if (Action)
                Action(f);
        };
    }
};

// What a user's pick of a row does: the row is selected and the list tells
// its parent (CBN_SELCHANGE).
void UserSelect(ComboBox& cb, int row);
// Sends a key press through the dialog keyboard handling of the form.
void PressKey(HWND form, WPARAM key);
void Pump();
// The top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);

// Answers the dialog boxes (class #32770) of a process from another thread:
// records the caption and text of each, then presses `button` (IDOK, IDCANCEL).
// Before pressing, `onBox` may act on the box (e.g. select a folder).
class BoxAnswerer {
public:
    struct Box {
        std::string Caption;
        std::string Text;
    };
    explicit BoxAnswerer(DWORD processId = GetCurrentProcessId(), WPARAM button = IDOK,
                         std::function<void(HWND)> onBox = {});
    ~BoxAnswerer();
    std::vector<Box> Boxes() const;

private:
    void Loop();
    DWORD pid_;
    WPARAM button_;
    std::function<void(HWND)> onBox_;
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// An installation folder with the given sub-folders (and files: names ending
// in ".exe" or ".txt" are created as files).
struct Installation {
    ScratchDir Dir{"inst"};
    explicit Installation(std::initializer_list<std::string> entries = {});
    const std::string& Path() const { return Dir.Path(); }
};

} // namespace vdx::test
