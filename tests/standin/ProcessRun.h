#pragma once
// Starting a program from a test with its standard output and error in files
// (never a pipe: Wine's helper processes may keep one open).

#include "support/platform/Handles.h"

#include <string>

namespace vdx::test {

struct ProcessResult {
    unsigned long exitCode = 0;
    std::string out; // standard output, bytes
    std::string err; // standard error, bytes
};

// A started program; its output files live in `scratch` (a folder ending in
// a backslash) under a name of their own.
class StartedProcess {
public:
    StartedProcess(const std::string& commandLine, const std::string& currentFolder,
                   const std::string& scratch);
    HANDLE Handle() const { return process_.get(); }
    // Waits up to `timeoutMs`; on time-out the process is ended and the test fails.
    ProcessResult Finish(unsigned long timeoutMs = 30000);
    void Kill();

private:
    UniqueHandle process_;
    std::string outPath_;
    std::string errPath_;
};

ProcessResult RunProcess(const std::string& commandLine, const std::string& currentFolder,
                         const std::string& scratch);

} // namespace vdx::test
