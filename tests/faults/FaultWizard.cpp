#include "FaultWizard.h"

#include "engine/BuildRequest.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "ui/CompilerDetection.h"

#include <algorithm>
#include <stdexcept>

namespace vdx::test {

namespace {

constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct Listed {
    std::string Name;
    DWORD Attributes;
};

std::vector<Listed> List(const std::string& folder) {
    std::vector<Listed> out;
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(WidePath(dir + "*").c_str(), &fd));
    if (!find)
        return out;
    do {
        std::string name = Narrow(fd.cFileName);
        if (name != "." && name != "..")
            out.push_back({name, fd.dwFileAttributes});
    } while (FindNextFileW(find.get(), &fd));
    std::sort(out.begin(), out.end(),
              [](const Listed& a, const Listed& b) { return a.Name < b.Name; });
    return out;
}

} // namespace

std::string StandinExe() {
    return BinaryDir() + "tools\\standin.exe";
}

std::string RecordArgsExe() {
    return BinaryDir() + "tests\\engine\\record_args.exe";
}

int CompilerRow(int ver) {
    for (int row = 0; row < CompilerCount; ++row)
        if (CompilerList[static_cast<size_t>(row)].Ver == ver)
            return row;
    throw std::invalid_argument("test: no compiler row for version " + std::to_string(ver));
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> out;
    for (const Listed& e : List(folder))
        out.push_back(e.Name + ((e.Attributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    return out;
}

std::vector<std::string> TempFiles(const std::string& folder) {
    std::vector<std::string> out;
    for (const Listed& e : List(folder)) {
        if (e.Name.rfind("~vdx", 0) != 0)
            continue;
        if (!(e.Attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            out.push_back(e.Name);
            continue;
        }
        out.push_back(e.Name + "/");
        for (const Listed& inner : List(folder + (folder.ends_with('\\') ? "" : "\\") + e.Name))
            out.push_back(e.Name + "/" + inner.Name);
    }
    return out;
}

std::vector<std::string> VisibleFiles(const std::string& folder) {
    std::vector<std::string> out;
    constexpr DWORD skipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const Listed& e : List(folder))
        if (!(e.Attributes & skipped))
            out.push_back(e.Name);
    return out;
}

FaultWizard::FaultWizard(sample::SampleOptions options, std::string_view installName) {
    if (options.installDir.empty())
        options.installDir = scratch / installName;
    if (options.standinExe.empty())
        options.standinExe = StandinExe();
    options.writeRegistry = false;
    install = sample::BuildSample(options);
    systemDir = scratch / "Windows\\System32";
    MakeDir(scratch / "Windows");
    MakeDir(systemDir);

    if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(machineKey_.Path()).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, machine_.put(), nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("test: cannot create the machine key");
    for (const auto& [ver, root] : install.environments)
        SetRootDir(ver, root + "\\");
    SetRegString(machine_.get(), kShellFoldersKey, "Personal", install.userDocumentsDir);
    SetRegString(machine_.get(), kShellFoldersKey, "Common Documents", install.commonDocumentsDir);

    app.SetMessageBoxFn(
        [this](HWND, std::string_view text, std::string_view caption, unsigned flags) {
            boxes.push_back({std::string(text), std::string(caption), flags});
            return IDOK;
        });
}

FaultWizard::~FaultWizard() {
    form.reset();
    machine_.reset();
    // The request leaves the current folder at the installation folder, which
    // the scratch folder's removal needs free.
    SetCurrentDirectoryW(Widen(BinaryDir()).c_str());
}

void FaultWizard::SetRootDir(int ver, DWORD type, const void* data, DWORD size) const {
    SetRegValue(machine_.get(), std::string(CompilerRegistryKey(CompilerRow(ver))), "RootDir", type,
                data, size);
}

void FaultWizard::SetRootDir(int ver, const std::string& value) const {
    std::wstring w = Widen(value);
    SetRootDir(ver, REG_SZ, w.c_str(), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

void FaultWizard::SetShellFolder(const std::string& name, DWORD type, const void* data,
                                 DWORD size) const {
    SetRegValue(machine_.get(), kShellFoldersKey, name, type, data, size);
}

TMainForm& FaultWizard::Open() {
    MainFormOptions o;
    o.InstallDir = install.installDir;
    o.SettingsKey = settings.Path();
    o.MachineRoot = machine_.get();
    o.Driver = driver;
    form = std::make_unique<TMainForm>(app, std::move(o));
    form->SystemDir = systemDir;
    form->Show();
    return *form;
}

void FaultWizard::Compile() {
    form->CompileB.Click();
}

std::vector<std::string> FaultWizard::Log() const {
    return form->MessageM.Lines();
}

std::vector<std::string> FaultWizard::TakeBoxes() {
    std::vector<std::string> out;
    for (const ShownBox& b : boxes)
        out.push_back(b.Caption + "|" + b.Text);
    boxes.clear();
    return out;
}

void FaultWizard::Pick(ComboBox& list, const std::string& text) {
    int row = list.IndexOf(text);
    if (row < 0)
        throw std::invalid_argument("test: no row " + text);
    UserSelect(list, row);
}

} // namespace vdx::test
