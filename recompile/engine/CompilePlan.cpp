#include "engine/CompilePlan.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <array>

namespace vdx {

namespace {

template <typename List> bool OneOf(std::string_view id, const List& ids) {
    return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

constexpr std::string_view BdeIds[] = {"delphi21", "delphi22", "delphi23", "delphi24",
                                       "delphi25", "delphi26", "delphi27", "delphi28"};
constexpr std::string_view FireDacIds[] = {"delphi18", "delphi19", "delphi20", "delphi21",
                                           "delphi22", "delphi23", "delphi24", "delphi25",
                                           "delphi26", "delphi27", "delphi28"};
constexpr std::string_view RadStudioXe2OnIds[] = {
    "delphi16", "delphi17", "delphi18", "delphi19", "delphi20", "delphi21", "delphi22",
    "delphi23", "delphi24", "delphi25", "delphi26", "delphi27", "delphi28"};
constexpr std::string_view SwitchJIds[] = {
    "delphi10", "delphi11", "delphi12", "delphi14", "delphi15", "delphi16",
    "delphi17", "delphi18", "delphi19", "delphi20", "delphi21", "delphi22",
    "delphi23", "delphi24", "delphi25", "delphi26", "delphi27", "delphi28"};

constexpr std::string_view UserDocumentsIds[] = {"delphi9", "delphi10", "delphi11"};

// RAD Studio XE 2 and later: id and the version folder below
// "<Common Documents>\RAD Studio\".
struct RadStudioFolder {
    std::string_view Id;
    std::string_view Version;
};
constexpr std::array<RadStudioFolder, 13> RadStudioFolders = {{
    {"delphi16", "9.0"},
    {"delphi17", "10.0"},
    {"delphi18", "11.0"},
    {"delphi19", "12.0"},
    {"delphi20", "14.0"},
    {"delphi21", "15.0"},
    {"delphi22", "16.0"},
    {"delphi23", "17.0"},
    {"delphi24", "18.0"},
    {"delphi25", "19.0"},
    {"delphi26", "20.0"},
    {"delphi27", "21.0"},
    {"delphi28", "22.0"},
}};

bool IsDelimiter(char c) {
    return c == '\\' || c == '/' || c == ':';
}

// Everything up to and including the last path delimiter.
std::string FolderPart(std::string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsDelimiter(path[i - 1]))
        --i;
    return std::string(path.substr(0, i));
}

std::string NamePart(std::string_view path) {
    return std::string(path.substr(FolderPart(path).size()));
}

// The path with its extension (from the last dot of the file name on)
// replaced; a name without a dot gets the extension appended.
std::string ChangeExtension(std::string_view path, std::string_view ext) {
    size_t nameStart = FolderPart(path).size();
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart)
        dot = path.size();
    return std::string(path.substr(0, dot)) + std::string(ext);
}

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string ComposeDelphiBatch(const CompilePlan& plan, const BuildRequest& request,
                               BatchComposer& composer) {
    std::string line1 = "cd /d " + composer.Quoted(plan.PackageFolder);
    std::string line2 = composer.QuotedArg(plan.Tools.front());
    line2 += " " + composer.Arg(plan.PackageName);
    line2 += " -M -Z";
    if (!request.WithDebug)
        line2 += " -$D-";
    if (InSwitchJGroup(plan.Id))
        line2 += " -JPHNE -JL";
    if (InNamespaceGroup(plan.Id))
        line2 += " " + std::string(NamespaceSwitch);
    std::string paths = DelphiSearchPaths(request, composer);
    line2 += " -U" + paths + " -I" + paths + " -R" + paths;
    line2 += " -D" + composer.Plain(plan.DefineList);
    return line1 + "\r\n" + line2;
}

} // namespace

const std::string_view NamespaceSwitch =
    "-NSSystem;Xml;Data;Datasnap;Web;Soap;Winapi;System.Win;Data.Win;Datasnap.Win;Web.Win;"
    "Soap.Win;Xml.Win;Bde;Vcl;Vcl.Imaging;Vcl.Touch;Vcl.Samples;Vcl.Shell;VclTee";

bool IsCppBuilderId(std::string_view id) {
    return id.substr(0, 3) == "c++";
}
bool InBdeGroup(std::string_view id) {
    return OneOf(id, BdeIds);
}
bool InFireDacGroup(std::string_view id) {
    return OneOf(id, FireDacIds);
}
bool InDesignTimeGroup(std::string_view id) {
    return OneOf(id, RadStudioXe2OnIds);
}
bool InSwitchJGroup(std::string_view id) {
    return OneOf(id, SwitchJIds);
}
bool InNamespaceGroup(std::string_view id) {
    return OneOf(id, RadStudioXe2OnIds);
}

std::string CompilerRoot(const std::vector<std::string>& installed, std::string_view id) {
    std::string key = ToLowerAscii(id);
    if (IsCppBuilderId(key))
        key = "delphi" + key.substr(3);
    return LookupCompilerRoot(installed, key);
}

bool PackageApplies(std::string_view id, std::string_view file, const BuildRequest& request) {
    if (InBdeGroup(id) && Contains(file, "BDE") && (!request.WithBde || request.Platform64))
        return false;
    if (InFireDacGroup(id) && Contains(file, "FD") && !request.WithFireDac)
        return false;
    if (InDesignTimeGroup(id) && Contains(file, "dcl") && request.Platform64)
        return false;
    return true;
}

std::string MakeDefineList(const BuildRequest& request) {
    std::string defines = request.TeeName;
    if (!request.TeeVariant.empty())
        defines += ";" + request.TeeVariant;
    if (NeedsLattixDefine(request.Edition))
        defines += ";LATTIX";
    if (request.Edition == "Partner Edition")
        defines += ";VD_VER_BASIC;RAD_ED";
    return defines;
}

bool NeedsLattixDefine(std::string_view edition) {
    return edition == "Silver" || edition == "Gold";
}

std::string DelphiSearchPaths(const BuildRequest& request, BatchComposer& composer) {
    std::string list;
    if (!request.IndyPath.empty() && request.IndyPathEnabled)
        list = composer.QuotedArg(request.IndyPath) + ";";
    if (request.Task == TaskKind::Fib && !request.FibPath.empty())
        list += composer.QuotedArg(request.FibPath);
    else if (!request.TeePath.empty() && request.TeePathEnabled)
        list += composer.QuotedArg(request.TeePath);
    return list;
}

DeployPlan MakeDeployPlan(std::string_view id, std::string_view root, const BuildRequest& request) {
    DeployPlan plan;
    auto add = [&plan](std::string_view base, std::string_view below, std::string_view masks) {
        if (!base.empty())
            plan.Copies.push_back({std::string(base) + std::string(below), std::string(masks)});
    };
    const std::string& common = request.CommonDocumentsDir;
    if (IsCppBuilderId(id)) {
        add(root, "\\Projects\\Bpl", "*.bpl *.tds");
        add(root, "\\Projects\\Lib", "*.bpi *.lib");
        plan.DeleteTds = true;
    } else if (id == "delphi4") {
        // Deployed nowhere.
    } else if (OneOf(id, UserDocumentsIds)) {
        add(request.UserDocumentsDir, "\\Borland Studio Projects\\Bpl", "*.bpl *.dcp");
    } else if (id == "delphi12") {
        add(common, "\\RAD Studio\\6.0\\BPL", "*.bpl *.dcp");
    } else if (id == "delphi14") {
        add(common, "\\RAD Studio\\7.0\\BPL", "*.bpl *.dcp");
    } else if (id == "delphi15") {
        add(common, "\\RAD Studio\\8.0\\BPL", "*.bpl *.dcp");
    } else if (auto it = std::find_if(RadStudioFolders.begin(), RadStudioFolders.end(),
                                      [id](const RadStudioFolder& f) { return f.Id == id; });
               it != RadStudioFolders.end()) {
        std::string platform = request.Platform64 ? "Win64" : "Win32";
        std::string base = "\\RAD Studio\\" + std::string(it->Version);
        add(common, base + "\\BPL\\" + platform, "*.bpl");
        add(common, base + "\\DCP\\" + platform, "*.dcp");
    } else {
        add(root, "\\Projects\\Bpl", "*.bpl *.dcp");
    }
    return plan;
}

std::optional<CompilePlan> MakeCompilePlan(const CompileElement& element,
                                           const BuildRequest& request, const FitsConsole& fits) {
    CompilePlan plan;
    plan.Id = ToLowerAscii(element.Compiler);
    if (!PackageApplies(plan.Id, element.File, request))
        return std::nullopt;

    plan.Root = CompilerRoot(request.InstalledCompilers, plan.Id);
    plan.CppBuilder = IsCppBuilderId(plan.Id);
    plan.ProjectFile = request.InstallDir + element.File;
    plan.PackageFolder = FolderPart(plan.ProjectFile);
    plan.PackageName = NamePart(plan.ProjectFile);
    plan.PackageOutput = ChangeExtension(plan.ProjectFile, ".bpl");
    plan.MakeFile = ChangeExtension(plan.ProjectFile, ".mak");
    plan.DefineList = MakeDefineList(request);
    if (NeedsLattixDefine(request.Edition))
        plan.LattixIncludes = {request.InstallDir + "Source\\vdx.inc",
                               request.InstallDir + request.LibDir + "\\vdx.inc"};

    if (plan.CppBuilder) {
        plan.Tools = {plan.Root + "\\Bin\\bpr2mak.exe", plan.Root + "\\Bin\\make.exe"};
        BatchComposer converter(fits);
        plan.ConverterBatch = converter.Finish("cd /d " + converter.Quoted(plan.PackageFolder) +
                                               "\r\n" + converter.QuotedArg(plan.Tools[0]) + " " +
                                               converter.Arg(plan.PackageName));
        BatchComposer build(fits);
        std::string makeName = ChangeExtension(plan.PackageName, ".mak");
        std::string makeArg = build.Arg(makeName);
        // "/d" here too: without it cmd.exe does not switch drives, and make
        // would run in whatever folder the wizard had when the package lies
        // on another drive.
        plan.BuildBatch = build.Finish("cd /d " + build.Quoted(plan.PackageFolder) + "\r\n" +
                                       build.QuotedArg(plan.Tools[1]) + " -f" + makeArg);
    } else {
        plan.Tools = {plan.Root + (request.Platform64 ? "\\Bin\\dcc64.exe" : "\\Bin\\dcc32.exe")};
        BatchComposer build(fits);
        std::string text = ComposeDelphiBatch(plan, request, build);
        plan.BuildBatch = build.Finish(std::move(text));
    }

    plan.Deploy = MakeDeployPlan(plan.Id, plan.Root, request);
    if (!request.Platform64 && element.BplToSysDir == "yes" && !request.SystemDir.empty())
        plan.SystemCopyTarget = request.SystemDir + "\\" + NamePart(plan.PackageOutput);
    return plan;
}

std::string ResultLine(std::string_view packageName, bool compiled) {
    return std::string(packageName) + (compiled ? " compiled" : " not compiled!");
}

std::string ErrorLine(std::string_view id, std::string_view reason) {
    return std::string(id) + " error: " + std::string(reason);
}

} // namespace vdx
