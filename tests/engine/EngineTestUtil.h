#pragma once
// Shared pieces of the engine tests under Wine: a sample installation with
// the stand-in tools in a scratch folder, requests for it, action elements.

#include "common/WinTestUtil.h"
#include "engine/BuildRequest.h"
#include "support/vdxXML.h"

#include "SampleInstall.h"
#include "StandinTools.h"

#include <memory>
#include <string>
#include <vector>

namespace vdx::test {

// A sample installation below a scratch folder, with a fake system folder.
struct EngineSample {
    explicit EngineSample(sample::SampleOptions options, std::string_view installName = "Verdex");
    ScratchDir scratch;
    sample::SampleInstall install;
    std::string systemDir; // no trailing separator

    const std::string& InstallDir() const { return install.installDir; }
    std::string Root(int ver) const { return install.EnvironmentRoot(ver); }
};

std::string StandinExe();

// A completed request for the sample: compiler row, platform, edition, task;
// TeeChart9 with a TeeChart folder below the scratch folder.
BuildRequest MakeRequest(const EngineSample& sample, int compilerIndex, bool x64,
                         std::string edition, TaskKind task);

// An action element with the given attribute text.
std::unique_ptr<TvdxXMLItem> ActionItem(std::string attrText);

// The process's current folder, ending in a separator.
std::string CurrentFolder();

// Puts the current folder back when the test is over (the driver leaves it at
// the installation folder, which the scratch folder's removal needs free).
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper();
    ~CurrentFolderKeeper();
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    std::string folder_;
};

// Lines of a text file ("" when missing).
std::vector<std::string> FileLines(const std::string& path);

} // namespace vdx::test
