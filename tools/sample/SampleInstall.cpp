#include "SampleInstall.h"

#include "SampleContent.h"
#include "SampleFiles.h"
#include "SampleRegistry.h"
#include "StandinTools.h"

#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace vdx::sample {

namespace {

std::string FullPath(const std::string& path) {
    std::wstring w = Widen(path);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        throw std::runtime_error("Invalid folder " + path + ". " + LastErrorMessage());
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return Narrow(full);
}

std::vector<std::string> MarkersFor(const SampleOptions& o, const std::string& libDir,
                                    const std::string& file) {
    std::vector<std::string> out;
    for (const PackageMarker& m : o.markers) {
        std::string subject = m.mask.find('\\') != std::string::npos ? libDir + "\\" + file : file;
        if (WildMatch(subject, m.mask))
            out.push_back(m.directive);
    }
    return out;
}

// A source folder: its units, and the files the copy actions must not take.
void SourceFolder(const std::string& dir, std::initializer_list<std::string_view> units,
                  std::string_view note) {
    MakeFolders(dir);
    for (std::string_view u : units)
        PutFile(dir + std::string(u) + ".pas", PascalUnit(u, note));
    std::string first(*units.begin());
    PutFile(dir + first + ".bak", PascalUnit(first, "backup copy"));
    PutFile(dir + first + ".dcu", "compiled unit\r\n");
    PutFile(dir + first + ".~pas", PascalUnit(first, "editor backup"));
    PutFile(dir + first + "Hidden.pas", PascalUnit(first + "Hidden", "hidden file"),
            FILE_ATTRIBUTE_HIDDEN);
}

void WriteSources(const std::string& root, Edition edition) {
    std::string src = root + "Source\\";
    SourceFolder(src,
                 {"vdxClass", "vdxPreview", "vdxDesign", "vdxRes", "vdxChart", "vdxIntIO",
                  "vdxrcClass", "vdxrcDesgn", "vdxrcInsp"},
                 "Source");
    PutFile(src + "vdx.inc", VdxInclude());
    PutFile(src + "tee.inc", TeeInclude());
    PutFile(src + "vdxPreview.cfg", "-$D+\r\n");
    PutFile(src + "vdxPreview.dsk", "[Closed Files]\r\n");
    PutFile(src + "vdxClass.hpp", "// generated header\r\n");
    PutFile(src + "vdxClass.obj", "object file\r\n");
    PutFile(src + "build.bat", "@echo Verdex sample build\r\n");
    PutFile(src + "vdxSystem.pas", PascalUnit("vdxSystem", "system file"), FILE_ATTRIBUTE_SYSTEM);

    SourceFolder(src + "ExportPack\\", {"vdxExports", "vdxExportPDF", "vdxrcExports"},
                 "Source\\ExportPack");
    SourceFolder(src + "ExportPack\\FontPack\\", {"vdxFontPack"}, "Source\\ExportPack\\FontPack");
    SourceFolder(src + "BDE\\", {"vdxBDE"}, "Source\\BDE");
    SourceFolder(src + "ADO\\", {"vdxADO"}, "Source\\ADO");
    SourceFolder(src + "IBX\\", {"vdxIBX"}, "Source\\IBX");
    SourceFolder(src + "DBX\\", {"vdxDBX"}, "Source\\DBX");
    SourceFolder(src + "FireDAC\\", {"vdxFD"}, "Source\\FireDAC");
    SourceFolder(src + "PDFView\\", {"vdxPDFView"}, "Source\\PDFView");
    if (edition == Edition::Gold)
        SourceFolder(src + "ClientServer\\", {"vdxcsServer", "vdxcsClient"},
                     "Source\\ClientServer");
}

void WriteLanguages(const std::string& root, const SampleOptions& o) {
    std::string res = root + "Res\\";
    MakeFolders(res);
    for (const std::string& lang : o.languages) {
        std::string dir = res + lang + "\\";
        MakeFolders(dir);
        for (std::string_view file : ResourceFiles) {
            PutFile(dir + std::string(file) + ".xml", ResourceXml(lang, file));
            PutFile(dir + std::string(file) + ".pas", ResourceUnit(lang, file));
        }
    }
    if (!o.vdrcExe.empty())
        CopyFileReplacing(o.vdrcExe, res + "vdrc.exe");
}

void WriteLibDir(const std::string& root, const std::string& libDir, int ver,
                 const SampleOptions& o) {
    std::string dir = root + libDir + "\\";
    MakeFolders(dir);
    for (const std::string& pkg : AllPackages(ver))
        PutFile(dir + pkg, PackageProject(pkg, MarkersFor(o, libDir, pkg)));
    if (o.cppProject) {
        std::string bpk = "vdxcb" + std::to_string(ver) + ".bpk";
        PutFile(dir + bpk, CppPackageProject(bpk, MarkersFor(o, libDir, bpk)));
        PutFile(dir + "vdxcb" + std::to_string(ver) + ".cpp",
                "#include <vcl.h>\r\n#pragma package(smart_init)\r\n");
    }
    PutFile(dir + "vdx.inc", VdxInclude());
    PutFile(dir + "tee.inc", TeeInclude());
    // Compiled units left from an earlier build, for the delete actions.
    for (std::string_view stale :
         {"vdxrcClass.dcu", "vdxrcClass.hpp", "vdxrcClass.obj", "vdxrcDesgn.dcu",
          "vdxrcExports.dcu", "vdxrcInsp.dcu", "vdxChart.dcu", "vdxChart.hpp", "mr_ichart.dcu",
          "vdxIBX.dcu", "mr_iibx.dcu", "vdxFIB.dcu", "vdxFIB.obj", "vdxClass.dcu"})
        PutFile(dir + std::string(stale), "compiled unit\r\n");
}

std::string ParentOf(const std::string& dirWithSeparator) {
    std::string d = WithoutSeparator(dirWithSeparator);
    size_t p = d.find_last_of('\\');
    if (p == std::string::npos || p < 2)
        return d;
    return d.substr(0, p);
}

} // namespace

std::string SampleInstall::EnvironmentRoot(int ver) const {
    for (const auto& [v, root] : environments)
        if (v == ver)
            return root;
    return {};
}

int LibDirVersion(const std::string& libDir) {
    if (libDir.size() < 5 || libDir.compare(0, 4, "LibD") != 0)
        return -1;
    std::string rest = libDir.substr(4);
    if (rest.size() > 3 && rest.compare(rest.size() - 3, 3, "x64") == 0)
        rest.resize(rest.size() - 3);
    if (rest.empty() || rest.size() > 2 ||
        !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    int ver = std::stoi(rest);
    try {
        CompilerRegistryKey(ver);
    } catch (const std::invalid_argument&) {
        return -1;
    }
    return ver;
}

std::vector<std::string> DeploymentFolders(int ver, const std::string& userDocumentsDir,
                                           const std::string& commonDocumentsDir) {
    if (ver >= 9 && ver <= 11)
        return {userDocumentsDir + "\\Borland Studio Projects\\Bpl"};
    if (ver >= 12 && ver <= 15)
        return {commonDocumentsDir + "\\RAD Studio\\" + CompilerKeyVersion(ver) + "\\BPL"};
    if (ver >= 16 && ver <= 28) {
        std::string base = commonDocumentsDir + "\\RAD Studio\\" + CompilerKeyVersion(ver);
        return {base + "\\BPL\\Win32", base + "\\BPL\\Win64", base + "\\DCP\\Win32",
                base + "\\DCP\\Win64"};
    }
    return {}; // Delphi 7 deploys to the environment's Projects\Bpl
}

SampleInstall BuildSample(const SampleOptions& o) {
    if (o.installDir.empty())
        throw std::invalid_argument("no installation folder given");
    std::vector<int> vers;
    for (const std::string& lib : o.libDirs) {
        int ver = LibDirVersion(lib);
        if (ver < 0)
            throw std::invalid_argument("not a library folder name: " + lib);
        if (std::find(vers.begin(), vers.end(), ver) == vers.end())
            vers.push_back(ver);
    }
    if (!o.compilers.empty())
        vers = o.compilers;
    for (int ver : vers)
        CompilerRegistryKey(ver); // throws for an unknown version

    SampleInstall s;
    s.installDir = WithoutSeparator(FullPath(o.installDir)) + "\\";
    std::string parent = ParentOf(s.installDir);
    std::string envRoots = WithoutSeparator(
        FullPath(o.envRootsDir.empty() ? parent + "\\Program Files\\IDE" : o.envRootsDir));
    s.userDocumentsDir = WithoutSeparator(
        FullPath(o.userDocumentsDir.empty() ? parent + "\\My Documents" : o.userDocumentsDir));
    s.commonDocumentsDir = WithoutSeparator(FullPath(
        o.commonDocumentsDir.empty() ? parent + "\\Public Documents" : o.commonDocumentsDir));

    const std::string& root = s.installDir;
    MakeFolders(root);
    if (o.edition != Edition::Copper)
        WriteSources(root, o.edition);
    SourceFolder(root + "Mirel\\", {"mrMain", "mr_ichart", "mr_iibx"}, "Mirel");
    PutFile(root + "Mirel\\tee.inc", TeeInclude());
    SourceFolder(root + "Lattix\\", {"ltxMain", "ltxQuery"}, "Lattix");
    WriteLanguages(root, o);
    for (const std::string& lib : o.libDirs)
        WriteLibDir(root, lib, LibDirVersion(lib), o);
    if (!o.wizardExe.empty()) {
        std::string name = o.wizardExe.substr(o.wizardExe.find_last_of("\\/:") + 1);
        CopyFileReplacing(o.wizardExe, root + name);
    }

    MakeFolders(s.userDocumentsDir);
    MakeFolders(s.commonDocumentsDir);
    for (int ver : vers) {
        std::string envRoot = envRoots + "\\Delphi" + std::to_string(ver);
        if (!o.standinExe.empty()) {
            InstallStandinTools(o.standinExe, envRoot);
        } else {
            MakeFolders(envRoot + "\\Bin");
            MakeFolders(envRoot + "\\Projects\\Bpl");
            MakeFolders(envRoot + "\\Projects\\Lib");
        }
        for (const std::string& dir :
             DeploymentFolders(ver, s.userDocumentsDir, s.commonDocumentsDir))
            MakeFolders(dir);
        s.environments.emplace_back(ver, envRoot);
        if (o.writeRegistry)
            RegisterCompiler(ver, envRoot + "\\");
    }
    if (o.writeRegistry) {
        WriteShellFolder("Personal", s.userDocumentsDir);
        WriteShellFolder("Common Documents", s.commonDocumentsDir);
    }
    return s;
}

} // namespace vdx::sample
