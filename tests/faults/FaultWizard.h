#pragma once
// The real main window with the real request driver, on a sample installation
// with the stand-in tools: the place where faults are injected. The window
// reads the sample's environments and shell folders from a scratch key that
// stands in for HKEY_LOCAL_MACHINE, keeps its settings under a test key,
// copies packages into a scratch system folder, and its message boxes are
// recorded instead of shown.

#include "support/platform/Handles.h"
#include "ui/Application.h"
#include "ui/UiTestUtil.h"
#include "ui/rwMain.h"

#include "SampleInstall.h"
#include "StandinTools.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::test {

std::string StandinExe();
std::string RecordArgsExe(); // records its command line in calls.log next to itself

// The row of the compiler list of a package version (28 -> 19).
int CompilerRow(int ver);

// Every entry of one folder level, hidden ones included, sorted; folders end
// in "/".
std::vector<std::string> Entries(const std::string& folder);

// The temporary files the wizard writes while it replaces files in a folder:
// beside them, or in a temporary folder of its own there ("~vdx1-0.tmp/" and
// "~vdx1-0.tmp/~vdx1-1.tmp").
std::vector<std::string> TempFiles(const std::string& folder);

// The files a mask operation of the wizard sees in a folder (no folders, no
// hidden or system files), sorted.
std::vector<std::string> VisibleFiles(const std::string& folder);

class FaultWizard {
public:
    explicit FaultWizard(sample::SampleOptions options, std::string_view installName = "Verdex");
    ~FaultWizard();
    FaultWizard(const FaultWizard&) = delete;
    FaultWizard& operator=(const FaultWizard&) = delete;

    ScratchDir scratch{"faults"};
    sample::SampleInstall install;
    std::string systemDir; // no trailing separator
    TestKey settings;
    Application app;
    std::vector<ShownBox> boxes;
    // Set before Open to put something between the window and the driver.
    DriverFn driver;
    std::unique_ptr<TMainForm> form;

    const std::string& InstallDir() const { return install.installDir; }
    std::string Root(int ver) const { return install.EnvironmentRoot(ver); }

    // The scratch key that stands in for HKEY_LOCAL_MACHINE: the sample's
    // environments (RootDir with a trailing separator) and shell folders.
    HKEY Machine() const { return machine_.get(); }
    void SetRootDir(int ver, DWORD type, const void* data, DWORD size) const;
    void SetRootDir(int ver, const std::string& value) const;
    void SetShellFolder(const std::string& name, DWORD type, const void* data, DWORD size) const;

    // Creates the window (its FormCreate reads the folders and keys) and shows it.
    TMainForm& Open();
    // Clicks Compile; returns when the request has ended.
    void Compile();
    std::vector<std::string> Log() const;
    // The texts of the boxes shown since the last call, in order, as
    // "<caption>|<text>".
    std::vector<std::string> TakeBoxes();
    // Selects a row of a list as the user does (the list's rule runs).
    void Pick(ComboBox& list, const std::string& text);

private:
    TestKey machineKey_;
    UniqueKey machine_;
};

} // namespace vdx::test
