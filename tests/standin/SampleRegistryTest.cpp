// Registry entries of the sample machine, read back the way the wizard reads
// them: HKLM, 32-bit view. The values a test changes are put back afterwards
// (the Wine prefix is shared by all tests, so this program runs alone).

#include "SampleInstall.h"
#include "SampleRegistry.h"

#include "common/WinTestUtil.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vdx::test {
namespace {

using namespace vdx::sample;

// Read independently of the builder's own helpers.
std::optional<std::string> Read32(const std::string& key, const std::string& name) {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(key).c_str(), 0, KEY_WOW64_32KEY | KEY_READ,
                      k.put()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t buf[1024];
    DWORD type = 0, size = sizeof buf - sizeof(wchar_t);
    if (RegQueryValueExW(k.get(), Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    buf[size / sizeof(wchar_t)] = 0;
    return Narrow(buf);
}

// Puts a value back as it was when the object was made.
class SavedValue {
public:
    SavedValue(std::string key, std::string name)
        : key_(std::move(key)), name_(std::move(name)), old_(Read32(key_, name_)) {}
    ~SavedValue() {
        UniqueKey k;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(key_).c_str(), 0, nullptr, 0,
                            KEY_WOW64_32KEY | KEY_WRITE, nullptr, k.put(),
                            nullptr) != ERROR_SUCCESS)
            return;
        if (!old_) {
            RegDeleteValueW(k.get(), Widen(name_).c_str());
            return;
        }
        std::wstring w = Widen(*old_);
        RegSetValueExW(k.get(), Widen(name_).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(w.c_str()),
                       static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::string key_, name_;
    std::optional<std::string> old_;
};

class SampleRegistry : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<SavedValue>> saved_ = [] {
        std::vector<std::unique_ptr<SavedValue>> v;
        for (const char* key :
             {"SOFTWARE\\Embarcadero\\BDS\\22.0", "SOFTWARE\\Embarcadero\\BDS\\9.0",
              "SOFTWARE\\CodeGear\\BDS\\7.0", "Software\\Borland\\Delphi\\7.0"})
            v.push_back(std::make_unique<SavedValue>(key, "RootDir"));
        for (const char* name : {"Personal", "Common Documents"})
            v.push_back(std::make_unique<SavedValue>(std::string(ShellFoldersKey), name));
        return v;
    }();
    ScratchDir dir_{"sampreg"};
};

TEST_F(SampleRegistry, SampleRegistersItsEnvironmentsAndShellFolders) {
    SampleOptions o;
    o.installDir = dir_ / "Verdex";
    o.libDirs = {"LibD28", "LibD16x64"};
    o.writeRegistry = true;
    SampleInstall s = BuildSample(o);

    EXPECT_EQ(Read32("SOFTWARE\\Embarcadero\\BDS\\22.0", "RootDir"),
              dir_ / "Program Files\\IDE\\Delphi28\\");
    EXPECT_EQ(Read32("SOFTWARE\\Embarcadero\\BDS\\9.0", "RootDir"),
              dir_ / "Program Files\\IDE\\Delphi16\\");
    EXPECT_EQ(Read32(std::string(ShellFoldersKey), "Personal"), dir_ / "My Documents");
    EXPECT_EQ(Read32(std::string(ShellFoldersKey), "Common Documents"), dir_ / "Public Documents");
    EXPECT_EQ(s.EnvironmentRoot(16) + "\\", *Read32("SOFTWARE\\Embarcadero\\BDS\\9.0", "RootDir"));
}

TEST_F(SampleRegistry, HelpersWriteReadAndRemoveValues) {
    const std::pair<int, const char*> keys[] = {
        {7, "Software\\Borland\\Delphi\\7.0"},    {9, "Software\\Borland\\BDS\\3.0"},
        {12, "SOFTWARE\\CodeGear\\BDS\\6.0"},     {14, "SOFTWARE\\CodeGear\\BDS\\7.0"},
        {15, "SOFTWARE\\Embarcadero\\BDS\\8.0"},  {19, "SOFTWARE\\Embarcadero\\BDS\\12.0"},
        {20, "SOFTWARE\\Embarcadero\\BDS\\14.0"}, {28, "SOFTWARE\\Embarcadero\\BDS\\22.0"}};
    for (const auto& [ver, key] : keys)
        EXPECT_EQ(CompilerRegistryKey(ver), key) << ver;
    EXPECT_THROW(CompilerRegistryKey(13), std::invalid_argument);

    RegisterCompiler(14, "C:\\Tools\\Studio 7\\\\");
    EXPECT_EQ(Read32("SOFTWARE\\CodeGear\\BDS\\7.0", "RootDir"), "C:\\Tools\\Studio 7\\\\");
    EXPECT_EQ(ReadMachineString32("SOFTWARE\\CodeGear\\BDS\\7.0", "RootDir"),
              "C:\\Tools\\Studio 7\\\\");
    UnregisterCompiler(14);
    EXPECT_EQ(Read32("SOFTWARE\\CodeGear\\BDS\\7.0", "RootDir"), std::nullopt);
    UnregisterCompiler(14); // absent already: nothing happens

    WriteShellFolder("Personal", "D:\\Dokumente für alle");
    EXPECT_EQ(Read32(std::string(ShellFoldersKey), "Personal"), "D:\\Dokumente für alle");
    DeleteShellFolder("Personal");
    EXPECT_EQ(ReadMachineString32(ShellFoldersKey, "Personal"), std::nullopt);
}

// Tests that must not touch the shared machine keys redirect HKLM for their
// own process; the builder's writes and the 32-bit reads follow it.
TEST_F(SampleRegistry, RedirectedMachineKeyTakesTheValues) {
    const std::wstring scratch = L"Software\\VdxTest\\RedirectedHklm";
    UniqueKey substitute;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, substitute.put(), nullptr),
              ERROR_SUCCESS);
    const auto before = Read32("SOFTWARE\\Embarcadero\\BDS\\22.0", "RootDir");
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, substitute.get()), ERROR_SUCCESS);
    RegisterCompiler(28, "C:\\Redirected\\");
    const auto redirected = Read32("SOFTWARE\\Embarcadero\\BDS\\22.0", "RootDir");
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    substitute.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VdxTest");

    EXPECT_EQ(redirected, "C:\\Redirected\\");
    EXPECT_EQ(Read32("SOFTWARE\\Embarcadero\\BDS\\22.0", "RootDir"), before);
}

} // namespace
} // namespace vdx::test
