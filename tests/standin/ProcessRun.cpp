#include "ProcessRun.h"

#include "common/WinTestUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace vdx::test {

namespace {

UniqueFile InheritableOutput(const std::string& path) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    UniqueFile f(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        throw std::runtime_error("test: cannot create " + path);
    return f;
}

} // namespace

StartedProcess::StartedProcess(const std::string& commandLine, const std::string& currentFolder,
                               const std::string& scratch) {
    static std::atomic<unsigned> counter{0};
    std::string tag = std::to_string(counter++);
    outPath_ = scratch + "proc" + tag + ".out";
    errPath_ = scratch + "proc" + tag + ".err";
    UniqueFile out = InheritableOutput(outPath_);
    UniqueFile err = InheritableOutput(errPath_);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = Widen(commandLine);
    std::wstring cwd = Widen(currentFolder);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
        throw std::runtime_error("test: cannot start " + commandLine + ": " + LastErrorMessage());
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
}

ProcessResult StartedProcess::Finish(unsigned long timeoutMs) {
    ProcessResult r;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "process did not end within " << timeoutMs << " ms";
        Kill();
    }
    GetExitCodeProcess(process_.get(), &r.exitCode);
    r.out = ReadFile(outPath_);
    r.err = ReadFile(errPath_);
    return r;
}

void StartedProcess::Kill() {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 10000);
}

ProcessResult RunProcess(const std::string& commandLine, const std::string& currentFolder,
                         const std::string& scratch) {
    return StartedProcess(commandLine, currentFolder, scratch).Finish();
}

} // namespace vdx::test
