#include "EngineTestUtil.h"

#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <windows.h>

namespace vdx::test {

std::string StandinExe() {
    return BinaryDir() + "tools\\standin.exe";
}

EngineSample::EngineSample(sample::SampleOptions options, std::string_view installName)
    : scratch("engine") {
    if (options.installDir.empty())
        options.installDir = scratch / installName;
    if (options.standinExe.empty())
        options.standinExe = StandinExe();
    options.writeRegistry = false;
    install = sample::BuildSample(options);
    systemDir = scratch / "Windows\\System32";
    MakeDir(scratch / "Windows");
    MakeDir(systemDir);
}

BuildRequest MakeRequest(const EngineSample& sample, int compilerIndex, bool x64,
                         std::string edition, TaskKind task) {
    BuildRequest r;
    r.InstallDir = sample.InstallDir();
    for (const CompilerInfo& c : CompilerList)
        r.InstalledCompilers.push_back("delphi" + std::to_string(c.Ver) + "=" + sample.Root(c.Ver));
    r.SystemDir = sample.systemDir;
    r.UserDocumentsDir = sample.install.userDocumentsDir;
    r.CommonDocumentsDir = sample.install.commonDocumentsDir;
    r.CompilerIndex = compilerIndex;
    r.Platform64 = x64;
    r.Edition = std::move(edition);
    r.Language = "German";
    r.TeeChoice = "TeeChart9 and later";
    r.TeePath = sample.scratch / "TeeChart 9\\Lib";
    r.TeePathEnabled = true;
    r.Task = task;
    r.WindowVisible = true;
    if (compilerIndex >= 0 && compilerIndex < CompilerCount)
        CompleteRequest(r);
    return r;
}

std::unique_ptr<TvdxXMLItem> ActionItem(std::string attrText) {
    auto item = std::make_unique<TvdxXMLItem>();
    item->Name = "action";
    item->AttrText = std::move(attrText);
    return item;
}

std::string CurrentFolder() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, buf);
    std::string f = Narrow(std::wstring_view(buf, n));
    if (!f.empty() && f.back() != '\\')
        f += '\\';
    return f;
}

CurrentFolderKeeper::CurrentFolderKeeper() : folder_(CurrentFolder()) {}
CurrentFolderKeeper::~CurrentFolderKeeper() {
    SetCurrentDirectoryW(Widen(folder_).c_str());
}

std::vector<std::string> FileLines(const std::string& path) {
    return SplitLines(ReadFile(path));
}

} // namespace vdx::test
