#include "engine/Driver.h"

#include "engine/ActionScript.h"
#include "engine/DriverTexts.h"
#include "engine/IncludeFiles.h"
#include "engine/Interpreter.h"
#include "engine/ScriptActions.h"
#include "support/Errors.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"
#include "support/vdxXML.h"

#include <windows.h>

#include <memory>

namespace vdx {

namespace {

// The main window's client height with the message box showing.
constexpr int ClientHeightWithLog = 597;

bool g_requestRunning = false;

// Marks the request as running for the length of the call.
class RunningRequest {
public:
    RunningRequest() { g_requestRunning = true; }
    ~RunningRequest() { g_requestRunning = false; }
    RunningRequest(const RunningRequest&) = delete;
    RunningRequest& operator=(const RunningRequest&) = delete;
};

// The clean-up of a request that got as far as the busy cursor: however the
// request ends, the current folder is the installation folder again, the
// normal cursor is back and the script document is released, in this order.
class RequestCleanup {
public:
    RequestCleanup(const std::string& installDir, FrontEnd& frontEnd,
                   std::unique_ptr<TvdxXMLDocument>& document)
        : installDir_(installDir), frontEnd_(frontEnd), document_(document) {}
    ~RequestCleanup() {
        SetCurrentDirectoryW(WidePath(installDir_).c_str()); // a failure is ignored
        try {
            frontEnd_.setBusy(false);
        } catch (...) {
            // The front end must not turn the clean-up into a second error.
        }
        document_.reset();
    }
    RequestCleanup(const RequestCleanup&) = delete;
    RequestCleanup& operator=(const RequestCleanup&) = delete;

private:
    const std::string& installDir_;
    FrontEnd& frontEnd_;
    std::unique_ptr<TvdxXMLDocument>& document_;
};

bool IdeRunning() {
    return FindWindowW(Widen(IdeWindowClass).c_str(), nullptr) != nullptr;
}

void ChangeFolder(const std::string& folder) {
    if (!SetCurrentDirectoryW(WidePath(folder).c_str()))
        throw InOutError("Cannot change the current folder to \"" + folder + "\". " +
                         LastErrorMessage());
}

void CreateLibraryFolder(const std::string& folder) {
    if (!CreateDirectoryW(WidePath(folder).c_str(), nullptr))
        throw InOutError("Cannot create folder \"" + folder + "\". " + LastErrorMessage());
}

void SwitchLanguage(const BuildRequest& request, TvdxXMLDocument& document,
                    ActionHandlers& actions) {
    ChangeFolder(request.InstallDir + "RES\\" + request.Language);
    std::string converterSwitch = ConverterSwitch(request.Language, request.CompilerIndex);
    for (std::string_view file : ResourceFiles)
        RunAndWait(ConverterCommandLine(request.InstallDir, converterSwitch, file),
                   request.InstallDir + "log.txt");
    RunSection(document, "language", actions);
}

void SwitchTeeChart(const BuildRequest& request, TvdxXMLDocument& document,
                    ActionHandlers& actions) {
    for (const std::string& file :
         {request.InstallDir + "Mirel\\tee.inc", request.InstallDir + "Source\\tee.inc",
          request.InstallDir + request.LibDir + "\\tee.inc"})
        SetTeeDefines(file, request.TeeName, request.TeeVariant);
    RunSection(document, "tee", actions);
}

} // namespace

bool RequestRunning() {
    return g_requestRunning;
}

void CompileBClick(BuildRequest request, FrontEnd& frontEnd) {
    if (g_requestRunning)
        return; // one request at a time; the window's messages run during a request
    RunningRequest running;

    frontEnd.setClientHeight(ClientHeightWithLog);
    frontEnd.clearLog();
    if (IdeRunning()) {
        frontEnd.showMessage(MessageKind::RunningInfo, RunningEnvironmentCaption,
                             RunningEnvironmentText);
        return;
    }
    if (request.CompilerIndex < 0 || request.CompilerIndex >= CompilerCount) {
        frontEnd.showMessage(MessageKind::Error, ErrorCaption, SelectCompilerText);
        return;
    }

    auto document = std::make_unique<TvdxXMLDocument>();
    CompleteRequest(request);
    LoadScript(*document, AssembleScript(request.Edition));

    const std::string& installDir = request.InstallDir;
    const std::string libraryFolder = installDir + request.LibDir;
    if (!DirExists(libraryFolder)) {
        if (request.Edition == "Silver" || request.Edition == "Gold")
            CreateLibraryFolder(libraryFolder);
        else
            frontEnd.showMessage(MessageKind::Error, ErrorCaption, NoLibraryFolderText);
    }
    if (FileExists(installDir + "recompile.log"))
        DeleteFileQuiet(installDir + "recompile.log");

    {
        RequestCleanup cleanup(installDir, frontEnd, document);
        frontEnd.setBusy(true);
        SubstituteVariables(document->Root(), request);

        if (request.TeePathEnabled && request.TeePath.empty()) {
            frontEnd.showMessage(MessageKind::Error, ErrorCaption, FillTeePathText);
            if (request.WindowVisible)
                frontEnd.focusTeePath();
            return;
        }

        ScriptActions actions(request, frontEnd);
        switch (request.Task) {
        case TaskKind::Language:
            SwitchLanguage(request, *document, actions);
            break;
        case TaskKind::Tee:
            SwitchTeeChart(request, *document, actions);
            break;
        case TaskKind::Ibx:
        case TaskKind::Fib:
        case TaskKind::All:
            RunSection(*document, SectionName(request.Task), actions);
            break;
        case TaskKind::None:
            break;
        }
    }

    frontEnd.appendLog(DoneLine);
    if (request.WindowVisible)
        frontEnd.showMessage(MessageKind::Information, InformationCaption,
                             EndText(installDir, request.LibDir));
}

} // namespace vdx
