// Benchmark, not a test: the wizard's own cost around the compiler runs.
//
// An "all" request of 45 packages (Gold, every package enabled) with stand-in
// tools that do nothing but leave their output files, against running the
// same 45 batch files that the request writes, one after another, with
// cmd.exe and their output in a file. Both sides run alternately in one
// process; the medians of the rounds give the ratio.
//
//   vdx_bench_request [rounds]   (default 5; the stand-in tool comes from the
//                                build tree's tools folder)

#include "engine/ActionScript.h"
#include "engine/CompilePlan.h"
#include "engine/Driver.h"
#include "engine/Interpreter.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"
#include "support/vdxXML.h"

#include "SampleInstall.h"
#include "StandinTools.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace vdx;

namespace {

struct QuietFrontEnd : FrontEnd {
    int lines = 0;
    int compiled = 0;
    void setClientHeight(int) override {}
    void clearLog() override {}
    void appendLog(std::string_view line) override {
        ++lines;
        if (line.find(" error: ") != std::string_view::npos ||
            line.find(" not compiled!") != std::string_view::npos)
            std::printf("  %.*s\n", static_cast<int>(line.size()), line.data());
        if (line.size() > 9 && line.substr(line.size() - 9) == " compiled")
            ++compiled;
    }
    void showMessage(MessageKind, std::string_view, std::string_view) override {}
    void setBusy(bool) override {}
    void focusTeePath() override {}
};

std::string ExeFolder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::string p = Narrow(std::wstring_view(buf, n));
    return p.substr(0, p.find_last_of('\\') + 1);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs one batch file with cmd.exe, output into `log`, as one would by hand.
void RunByHand(const std::string& batch, const std::string& log) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    UniqueFile out(CreateFileW(WidePath(log).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = out.get();
    si.hStdError = out.get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring cmd = L"cmd.exe /c \"" + Widen(batch) + L"\"";
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &si, &pi))
        return;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (find) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryW(folder.c_str());
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::string base =
        Narrow(tmp) + "vdx-request-bench-" + std::to_string(GetCurrentProcessId()) + "\\";

    sample::SampleOptions options;
    options.installDir = base + "Verdex";
    options.libDirs = {"LibD28"};
    options.compilers = {28};
    options.edition = sample::Edition::Gold;
    options.writeRegistry = false;
    options.standinExe = ExeFolder() + "..\\..\\tools\\standin.exe";
    sample::SampleInstall install = sample::BuildSample(options);
    const std::string root = install.EnvironmentRoot(28);
    sample::WriteStandinConfig(root, {"fast"});
    CreateDirectoryW(Widen(base + "System32").c_str(), nullptr);
    CreateDirectoryW(Widen(base + "Tee").c_str(), nullptr);
    CreateDirectoryW(Widen(base + "batches").c_str(), nullptr);

    BuildRequest request;
    request.InstallDir = install.installDir;
    for (const CompilerInfo& c : CompilerList)
        request.InstalledCompilers.push_back("delphi" + std::to_string(c.Ver) + "=" +
                                             install.EnvironmentRoot(c.Ver));
    request.SystemDir = base + "System32";
    request.UserDocumentsDir = install.userDocumentsDir;
    request.CommonDocumentsDir = install.commonDocumentsDir;
    request.CompilerIndex = 19;
    request.Edition = "Gold";
    request.Language = "English";
    request.TeeChoice = "TeeChart9 and later";
    request.TeePath = base + "Tee";
    request.TeePathEnabled = true;
    request.WithBde = true;
    request.WithFireDac = true;
    request.Task = TaskKind::All;

    // The batch files of the request's compile actions, as it writes them.
    BuildRequest completed = request;
    CompleteRequest(completed);
    TvdxXMLDocument script;
    LoadScript(script, AssembleScript(completed.Edition));
    SubstituteVariables(script.Root(), completed);
    std::vector<std::string> batches;
    TvdxXMLItem& all = script.Root().ChildByName("all");
    for (int i = 0; i < all.ChildCount(); ++i) {
        const TvdxXMLItem& action = all.Child(i);
        if (action.AttrValue("name") != "compile")
            continue;
        CompileElement e{action.AttrValue("file"), action.AttrValue("compiler"),
                         action.AttrValue("bpltosysdir"), ""};
        auto plan = MakeCompilePlan(e, completed, FitsOem);
        if (!plan)
            continue;
        std::string path = base + "batches\\b" + std::to_string(batches.size() + 1) + ".bat";
        WriteFileAtomic(path, Utf8ToOem(plan->BuildBatch.Text));
        batches.push_back(path);
    }

    auto runRequest = [&] {
        QuietFrontEnd fe;
        auto t0 = std::chrono::steady_clock::now();
        CompileBClick(request, fe);
        double s = Seconds(std::chrono::steady_clock::now() - t0);
        if (fe.compiled != static_cast<int>(batches.size()))
            std::printf("warning: %d of %zu packages compiled\n", fe.compiled, batches.size());
        return s;
    };
    auto runByHand = [&] {
        auto t0 = std::chrono::steady_clock::now();
        for (const std::string& b : batches)
            RunByHand(b, base + "hand-log.txt");
        return Seconds(std::chrono::steady_clock::now() - t0);
    };
    // The same batch files through the wizard's process runner alone: splits
    // the request's own cost into the runner's and the rest's.
    auto runByRunner = [&] {
        auto t0 = std::chrono::steady_clock::now();
        for (const std::string& b : batches)
            RunAndWait("\"" + b + "\"", base + "runner-log.txt", true);
        return Seconds(std::chrono::steady_clock::now() - t0);
    };

    runRequest(); // warm-up: file cache, first copies
    runByHand();
    runByRunner();
    // Each round runs every side, in an order that turns from round to round,
    // so that a change in the machine's load during the run weighs on all alike.
    std::vector<double> req, hand, runner;
    for (int i = 0; i < rounds; ++i) {
        for (int k = 0; k < 3; ++k) {
            switch ((i + k) % 3) {
            case 0:
                req.push_back(runRequest());
                break;
            case 1:
                hand.push_back(runByHand());
                break;
            default:
                runner.push_back(runByRunner());
                break;
            }
        }
        std::printf("round %d: request %.2f s, batches by hand %.2f s, ratio %.3f "
                    "(runner alone %.2f s)\n",
                    i + 1, req.back(), hand.back(), req.back() / hand.back(), runner.back());
    }
    std::vector<double> ratios;
    for (size_t i = 0; i < req.size(); ++i)
        ratios.push_back(req[i] / hand[i]);
    double r = Median(req), h = Median(hand);
    std::printf("request of %zu packages: %.2f s; the same batch files with cmd.exe: %.2f s "
                "(medians of %d rounds)\n",
                batches.size(), r, h, rounds);
    std::printf("ratio %.3f (target <= 1.10); median of the round ratios %.3f\n", r / h,
                Median(ratios));
    std::printf("the batch files through the wizard's process runner alone: %.2f s, ratio %.3f\n",
                Median(runner), Median(runner) / h);
    SetCurrentDirectoryW(tmp);
    std::wstring wbase = Widen(base);
    wbase.pop_back();
    RemoveTree(wbase);
    return 0;
}
