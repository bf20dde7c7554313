#pragma once
// What one compile action does, worked out from its script element and the
// request without touching the file system: whether the package is built, the
// defines, the batch texts of the tool chain (dcc32/dcc64, or bpr2mak and make
// for C++Builder), where the results are deployed and whether the package goes
// into the system folder. The compile action runs this plan.

#include "engine/BatchComposer.h"
#include "engine/BuildRequest.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// The attributes of a compile element as read (variables already replaced).
struct CompileElement {
    std::string File;        // package project, relative to InstallDir
    std::string Compiler;    // compiler id, any letter case
    std::string BplToSysDir; // "yes" (exactly) copies the package into the system folder
    std::string Search;      // C++Builder chain: ";"-separated folders below InstallDir
};

// --- compiler ids and their groups (explicit lists of ids) ---

bool IsCppBuilderId(std::string_view id);    // begins with "c++"
bool InBdeGroup(std::string_view id);        // delphi21 .. delphi28
bool InFireDacGroup(std::string_view id);    // delphi18 .. delphi28
bool InDesignTimeGroup(std::string_view id); // delphi16 .. delphi28
bool InSwitchJGroup(std::string_view id);    // delphi10 .. delphi12, delphi14 .. delphi28
bool InNamespaceGroup(std::string_view id);  // delphi16 .. delphi28

// The unit namespace switch of the Delphi command line (-NS group).
extern const std::string_view NamespaceSwitch;

// Root folder of the environment of a compiler id. One RAD Studio
// installation holds both tool chains, so "c++N" uses the root of "delphiN".
// Empty when the environment is not installed.
std::string CompilerRoot(const std::vector<std::string>& installed, std::string_view id);

// The BDE, FireDAC and design-time rules: false when this package is not built
// for the request (nothing is reported then).
bool PackageApplies(std::string_view id, std::string_view file, const BuildRequest& request);

// TeeName, TeeVariant and the edition define, separated by ";".
std::string MakeDefineList(const BuildRequest& request);

// Silver and Gold switch the query builder on in the two vdx.inc files.
bool NeedsLattixDefine(std::string_view edition);

// The Delphi chain's search path list: the Indy folder, then the FIB folder
// (fib task) or the TeeChart folder, each quoted; the last one without ";".
std::string DelphiSearchPaths(const BuildRequest& request, BatchComposer& composer);

// One copy of the deployment: every file of the package folder that matches
// one of Masks goes into TargetFolder (when that folder exists).
struct DeployCopy {
    std::string TargetFolder;
    std::string Masks;
    bool operator==(const DeployCopy&) const = default;
};

struct DeployPlan {
    std::vector<DeployCopy> Copies; // in order
    bool DeleteTds = false;         // C++Builder chain: "*.tds" removed from the package folder
};

// The deployment table. A target whose base folder (root, documents folder)
// is empty is left out: it would name a folder at the top of the current drive.
DeployPlan MakeDeployPlan(std::string_view id, std::string_view root, const BuildRequest& request);

struct CompilePlan {
    std::string Id;            // compiler id in small letters
    std::string Root;          // environment root, no trailing separator; may be empty
    bool CppBuilder = false;   // bpr2mak + make instead of dcc32/dcc64
    std::string ProjectFile;   // InstallDir + file
    std::string PackageFolder; // folder of ProjectFile, ending in a separator
    std::string PackageName;   // file name of the project, with its extension
    std::string PackageOutput; // ProjectFile with ".bpl"
    std::string MakeFile;      // ProjectFile with ".mak"
    std::string DefineList;
    std::vector<std::string> LattixIncludes; // vdx.inc files that get the LATTIX define
    std::vector<std::string> Tools;          // tool programs the batches start
    BatchScript ConverterBatch;              // C++Builder chain only
    BatchScript BuildBatch;
    DeployPlan Deploy;
    std::string SystemCopyTarget; // empty: no copy into the system folder
};

// The plan for one compile element; nothing when the rules of the request
// exclude the package. `fits` tells which text the console code page holds.
std::optional<CompilePlan> MakeCompilePlan(const CompileElement& element,
                                           const BuildRequest& request,
                                           const FitsConsole& fits = AsciiOnly);

// "<package name> compiled" or "<package name> not compiled!".
std::string ResultLine(std::string_view packageName, bool compiled);

// "<id> error: <reason>", the form of the compiler's own error lines.
std::string ErrorLine(std::string_view id, std::string_view reason);

} // namespace vdx
