#pragma once
// Builds a sample Verdex installation for tests and the demo: the library's
// folders with small made-up sources, package projects and language
// resources, fake development environments made of the stand-in tool, the
// folders the packages are deployed to, and the machine's registry entries
// that point at all of it.
//
// Layout below the installation folder:
//   Source\ (Silver, Gold) with ExportPack, ExportPack\FontPack, BDE, ADO, IBX,
//       DBX, FireDAC, PDFView and, for Gold only, ClientServer; .pas units,
//       Source\vdx.inc, Source\tee.inc, and in every folder files the copy
//       masks must leave behind (*.bak, *.dcu, *.~pas, a hidden unit; in
//       Source also *.cfg, *.dsk, *.hpp, *.obj, a .bat and a system file)
//   Mirel\ (units, Mirel\tee.inc), Lattix\ (units)
//   Res\<language>\ vdxrcClass.xml, vdxrcDesgn.xml, vdxrcExports.xml,
//       vdxrcInsp.xml and their .pas units; Res\vdrc.exe when given
//   LibD<ver>[x64]\ the .dpk of every package the script's sections name,
//       vdx.inc, tee.inc, stale compiled units for the delete actions
// Next to it, by default (each can be moved by an option):
//   <parent>\Program Files\IDE\Delphi<ver>\ Bin\dcc32.exe, dcc64.exe,
//       bpr2mak.exe, make.exe; Projects\Bpl; Projects\Lib
//   <parent>\My Documents\ (the "Personal" shell folder) with
//       Borland Studio Projects\Bpl for Ver 9 to 11
//   <parent>\Public Documents\ (the "Common Documents" shell folder) with
//       RAD Studio\<n>.0\BPL for Ver 12, 14, 15 and RAD Studio\<n>.0\BPL\Win32,
//       BPL\Win64, DCP\Win32, DCP\Win64 for Ver 16 to 28
// Registry, when asked for (32-bit view of HKLM): RootDir of every
// environment's key, with a trailing backslash as the environments write it,
// and the shell-folders values "Personal" and "Common Documents".

#include <string>
#include <utility>
#include <vector>

namespace vdx::sample {

enum class Edition { Gold, Silver, Copper };

// Adds "//standin: <directive>" lines to the package projects whose file name
// matches `mask` ("dcl*.dpk"); a mask with a backslash is matched against
// "<library folder>\<file>" ("LibD28x64\vdx28.dpk").
struct PackageMarker {
    std::string mask;
    std::string directive;
};

struct SampleOptions {
    std::string installDir; // required; created with its parents
    std::vector<std::string> libDirs{"LibD28"};
    std::vector<int> compilers; // environments to make; empty: the versions of libDirs
    Edition edition = Edition::Gold;
    std::vector<std::string> languages{"English", "German", "Japanese"};
    std::string envRootsDir;        // default <parent>\Program Files\IDE
    std::string userDocumentsDir;   // default <parent>\My Documents
    std::string commonDocumentsDir; // default <parent>\Public Documents
    // Machine-wide values in the Wine prefix that every test shares: a test
    // that writes them should run alone (RUN_SERIAL) or redirect HKLM first.
    bool writeRegistry = false;
    std::string standinExe; // copied into every environment's Bin; empty: no tools
    std::string vdrcExe;    // copied to Res\vdrc.exe when given
    std::string wizardExe;  // copied into the installation folder when given
    std::vector<PackageMarker> markers;
    bool cppProject = false; // adds LibD...\vdxcb<ver>.bpk (a C++Builder package project)
};

struct SampleInstall {
    std::string installDir;                                // full path, ends in a backslash
    std::vector<std::pair<int, std::string>> environments; // Ver, root without trailing backslash
    std::string userDocumentsDir;                          // without trailing backslash
    std::string commonDocumentsDir;                        // without trailing backslash

    std::string EnvironmentRoot(int ver) const; // "" when there is none
};

// Lays the sample out (over an existing one, replacing its files). Throws
// std::invalid_argument for a malformed option (a library folder not named
// LibD<ver>[x64], an unknown version) and std::runtime_error when a file or
// registry value cannot be written.
SampleInstall BuildSample(const SampleOptions& options);

// The package version number of a library folder name ("LibD28x64" -> 28);
// -1 when the name has another form.
int LibDirVersion(const std::string& libDir);

// The folders a compile action deploys the packages of version `ver` to
// (besides the environment's Projects\Bpl and Projects\Lib), 32- and 64-bit.
std::vector<std::string> DeploymentFolders(int ver, const std::string& userDocumentsDir,
                                           const std::string& commonDocumentsDir);

} // namespace vdx::sample
