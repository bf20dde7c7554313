// Installed compiler detection and the machine folders, over a scratch root
// key (the same reads the window makes below HKEY_LOCAL_MACHINE), and one
// check of the 32-bit view on the real HKEY_LOCAL_MACHINE.

#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "ui/CompilerDetection.h"
#include "ui/UiTestUtil.h"

#include <gtest/gtest.h>

using namespace vdx;
using namespace vdx::test;

namespace {

// A scratch key that stands in for HKEY_LOCAL_MACHINE.
class MachineRoot {
public:
    MachineRoot() {
        RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key_.Path()).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, root_.put(), nullptr);
    }
    HKEY Get() const { return root_.get(); }
    void RootDir(int row, const std::string& value, DWORD type = REG_SZ) const {
        SetRegString(root_.get(), std::string(CompilerRegistryKey(row)), "RootDir", value, type);
    }

private:
    TestKey key_;
    UniqueKey root_;
};

std::string Value(const std::vector<std::string>& list, size_t row) {
    return list.at(row).substr(list.at(row).find('=') + 1);
}

} // namespace

TEST(Detection, TwentyEntriesInRowOrderEvenWithNothingInstalled) {
    MachineRoot root;
    std::vector<std::string> list;
    ReadInstalledCompilers(list, root.Get());
    const std::vector<std::string> expected = {
        "delphi7=",  "delphi9=",  "delphi10=", "delphi11=", "delphi12=", "delphi14=", "delphi15=",
        "delphi16=", "delphi17=", "delphi18=", "delphi19=", "delphi20=", "delphi21=", "delphi22=",
        "delphi23=", "delphi24=", "delphi25=", "delphi26=", "delphi27=", "delphi28="};
    EXPECT_EQ(list, expected);
}

TEST(Detection, RootFoldersAsRegisteredWithOneSeparatorRemoved) {
    MachineRoot root;
    root.RootDir(19, "C:\\Tools\\Studio\\22.0\\");
    root.RootDir(7, "C:\\RS\\\\");
    root.RootDir(0, "C:\\");
    root.RootDir(11, "D:\\XE6"); // key 14.0: the numbers skip 13.0
    SetRegString(root.Get(), "SOFTWARE\\Embarcadero\\BDS\\13.0", "RootDir", "D:\\wrong");
    root.RootDir(3, "E:\\a=b\\");
    root.RootDir(5, "%ProgramFiles%\\RS", REG_EXPAND_SZ);
    DWORD number = 1;
    SetRegValue(root.Get(), std::string(CompilerRegistryKey(6)), "RootDir", REG_DWORD, &number,
                sizeof number);
    SetRegString(root.Get(), std::string(CompilerRegistryKey(8)), "Other", "C:\\x");
    root.RootDir(17, "C:\\Program Files (x86)\\Embarcadero\\Studio\\20.0\\");
    MakeKeyReadOnly(root.Get(), std::string(CompilerRegistryKey(17))); // read access is enough

    std::vector<std::string> list;
    ReadInstalledCompilers(list, root.Get());
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[19], "delphi28=C:\\Tools\\Studio\\22.0");
    EXPECT_EQ(list[7], "delphi16=C:\\RS\\");
    EXPECT_EQ(list[0], "delphi7=C:");
    EXPECT_EQ(list[11], "delphi20=D:\\XE6");
    EXPECT_EQ(Value(list, 3), "E:\\a=b");
    EXPECT_EQ(Value(list, 5), "%ProgramFiles%\\RS");
    EXPECT_EQ(list[6], "delphi15=") << "a value that is not a string reads as empty";
    EXPECT_EQ(list[8], "delphi17=") << "no RootDir value";
    EXPECT_EQ(list[17], "delphi26=C:\\Program Files (x86)\\Embarcadero\\Studio\\20.0");
    EXPECT_EQ(list[1], "delphi9=");
}

TEST(Detection, ShellFoldersFromTheMachineKeyOnly) {
    MachineRoot root;
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    EXPECT_EQ(ReadShellFolders(root.Get()).Personal, "");
    EXPECT_EQ(ReadShellFolders(root.Get()).CommonDocuments, "");
    SetRegString(root.Get(), key, "Common Documents", "C:\\Users\\Public\\Documents\\");
    ShellFolders f = ReadShellFolders(root.Get());
    EXPECT_EQ(f.Personal, "") << "no other folder takes the place of a missing Personal";
    EXPECT_EQ(f.CommonDocuments, "C:\\Users\\Public\\Documents\\") << "nothing removed";
    SetRegString(root.Get(), key, "Personal", "C:\\Users\\me\\Documents");
    EXPECT_EQ(ReadShellFolders(root.Get()).Personal, "C:\\Users\\me\\Documents");
}

TEST(Detection, ReadsTheThirtyTwoBitViewOfTheMachine) {
    const std::string path(CompilerRegistryKey(19));
    UniqueKey probe;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(path).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                      probe.put()) == ERROR_SUCCESS ||
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(path).c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                      probe.put()) == ERROR_SUCCESS)
        GTEST_SKIP() << "the prefix has an environment registered";
    SetRegString(HKEY_LOCAL_MACHINE, path, "RootDir", "C:\\Studio32\\", REG_SZ, KEY_WOW64_32KEY);
    SetRegString(HKEY_LOCAL_MACHINE, path, "RootDir", "C:\\Studio64\\", REG_SZ, KEY_WOW64_64KEY);
    std::vector<std::string> list;
    ReadInstalledCompilers(list);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        for (const char* k : {"SOFTWARE\\Embarcadero\\BDS\\22.0", "SOFTWARE\\Embarcadero\\BDS",
                              "SOFTWARE\\Embarcadero"})
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Widen(k).c_str(), view, 0);
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[19], "delphi28=C:\\Studio32");
}
