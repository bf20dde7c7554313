#include "engine/CompileAction.h"

#include "engine/BatchRun.h"
#include "engine/CompilePlan.h"
#include "engine/Deployment.h"
#include "engine/IncludeEdits.h"
#include "engine/IncludeFiles.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <optional>

namespace vdx {

namespace {

// Sets the variables a batch refers to for as long as it runs; the batch's
// process inherits them. Earlier values come back afterwards.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const std::vector<EnvVar>& vars) {
        for (const EnvVar& v : vars) {
            std::wstring name = Widen(v.Name);
            std::optional<std::wstring> old;
            DWORD n = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
            if (n > 0) {
                std::wstring value(n, L'\0');
                n = GetEnvironmentVariableW(name.c_str(), value.data(), n);
                value.resize(n);
                old = std::move(value);
            }
            saved_.push_back({name, std::move(old)});
            SetEnvironmentVariableW(name.c_str(), Widen(v.Value).c_str());
        }
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetEnvironmentVariableW(it->name.c_str(), it->old ? it->old->c_str() : nullptr);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    struct Saved {
        std::wstring name;
        std::optional<std::wstring> old;
    };
    std::vector<Saved> saved_;
};

void Run(const std::string& installDir, const BatchScript& batch) {
    ScopedEnvironment env(batch.Environment);
    RunBatch(installDir, batch.Text);
}

// Keeps the package output of an earlier build out of the way while the tools
// run, so that only an output of this run counts, and puts it back when this
// run produced none (also when a step raises an error). A backup left by a run
// that was killed is treated the same way: it is the last good output.
class OutputSetAside {
public:
    explicit OutputSetAside(const std::string& output)
        : output_(WidePath(output)), backup_(WidePath(output + ".bak")) {}
    ~OutputSetAside() { Finish(); }
    OutputSetAside(const OutputSetAside&) = delete;
    OutputSetAside& operator=(const OutputSetAside&) = delete;

    // False (with the reason) when an existing output cannot be moved.
    bool SetAside(std::string& reason) {
        DWORD a = GetFileAttributesW(output_.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY))
            return true;
        // The backup carries the attributes of the output it was: a read-only
        // one would refuse to be replaced.
        SetFileAttributesW(backup_.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (MoveFileExW(output_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        reason = LastErrorMessage();
        return false;
    }

    // Drops the backup when a new output exists, else restores it.
    void Finish() {
        DWORD a = GetFileAttributesW(output_.c_str());
        if (a != INVALID_FILE_ATTRIBUTES) {
            // A read-only output (from a read-only medium, say) would leave
            // a backup that cannot be deleted.
            SetFileAttributesW(backup_.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(backup_.c_str());
        } else {
            MoveFileExW(backup_.c_str(), output_.c_str(), 0);
        }
    }

private:
    std::wstring output_;
    std::wstring backup_;
};

// SetLattixDefine, skipped when it would write the very bytes the file holds:
// every compile action of an "all" request applies it to the same two files.
void SetLattixDefineWhereNeeded(const std::string& path) {
    if (!FileExists(path))
        return;
    const std::string bytes = ReadFileBytes(path);
    Lines lines = SplitLines(bytes);
    ApplyLattixDefine(lines);
    if (JoinLines(lines) != bytes)
        SetLattixDefine(path);
}

void Deploy(const CompilePlan& plan, DeployRecord* record) {
    DeployFiles(plan.PackageFolder, plan.Deploy.Copies, record);
    if (plan.Deploy.DeleteTds)
        DeleteFilesByMask(plan.PackageFolder, "*.tds");
    if (!plan.SystemCopyTarget.empty())
        CopyOneFile(plan.PackageOutput, plan.SystemCopyTarget);
}

} // namespace

void CompileAction(const TvdxXMLItem& action, const BuildRequest& request, FrontEnd& frontEnd,
                   DeployRecord* record) {
    CompileElement element{action.AttrValue("file"), action.AttrValue("compiler"),
                           action.AttrValue("bpltosysdir"), action.AttrValue("search")};
    if (!FileExists(request.InstallDir + element.File))
        return;
    std::optional<CompilePlan> plan = MakeCompilePlan(element, request, FitsOem);
    if (!plan)
        return;

    auto fail = [&](const std::string& reason) {
        frontEnd.appendLog(ErrorLine(plan->Id, reason));
        frontEnd.appendLog(ResultLine(plan->PackageName, false));
    };

    for (const std::string& include : plan->LattixIncludes)
        SetLattixDefineWhereNeeded(include);

    if (plan->Root.empty())
        return fail("the compiler is not installed (no root folder)");
    for (const std::string& tool : plan->Tools)
        if (!FileExists(tool))
            return fail("the tool \"" + tool + "\" was not found");

    OutputSetAside aside(plan->PackageOutput);
    std::string reason;
    if (!aside.SetAside(reason))
        return fail("the earlier package output cannot be replaced. " + reason);

    const std::string& installDir = request.InstallDir;
    if (plan->CppBuilder) {
        DeleteFileQuiet(plan->MakeFile); // only a make file of this run counts
        Run(installDir, plan->ConverterBatch);
        if (!FileExists(plan->MakeFile)) {
            AnalyseLog(installDir, plan->Id, frontEnd);
            return fail("the project converter produced no make file");
        }
        EditMakeFile(plan->MakeFile, plan->DefineList,
                     MakeSearchPaths(element.Search, request.TeePath, installDir));
    }
    Run(installDir, plan->BuildBatch);
    DeleteFileQuiet(plan->MakeFile);
    if (record)
        record->ForgetSources(plan->PackageOutput.substr(0, plan->PackageOutput.size() - 3));

    bool produced = FileExists(plan->PackageOutput);
    aside.Finish();
    // The log is read before the deployment: the compiler's lines are shown
    // and log.txt is gone also when a deployment copy fails.
    bool ok = AnalyseLog(installDir, plan->Id, frontEnd);
    if (produced)
        Deploy(*plan, record);
    if (ok && !produced)
        frontEnd.appendLog(ErrorLine(plan->Id, "no package output was produced"));
    frontEnd.appendLog(ResultLine(plan->PackageName, ok && produced));
}

} // namespace vdx
