#include "StandinTools.h"

#include "SampleFiles.h"

#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <windows.h>

#include <stdexcept>

namespace vdx::sample {

namespace {

std::string Unescape(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            std::string_view code = s.substr(i + 1, 2);
            char c = 0;
            if (code == "25")
                c = '%';
            else if (code == "09")
                c = '\t';
            else if (code == "0D")
                c = '\r';
            else if (code == "0A")
                c = '\n';
            if (c) {
                r += c;
                i += 2;
                continue;
            }
        }
        r += s[i];
    }
    return r;
}

} // namespace

void InstallStandinTools(const std::string& standinExe, const std::string& envRoot) {
    std::string root = WithoutSeparator(envRoot);
    MakeFolders(root + "\\Bin");
    MakeFolders(root + "\\Projects\\Bpl");
    MakeFolders(root + "\\Projects\\Lib");
    for (std::string_view name : StandinToolNames) {
        std::string target = root + "\\Bin\\" + std::string(name) + ".exe";
        CopyFileReplacing(standinExe, target);
    }
}

std::string StandinLogPath(const std::string& envRoot) {
    return WithoutSeparator(envRoot) + "\\Bin\\standin-calls.log";
}

std::string StandinConfigPath(const std::string& envRoot) {
    return WithoutSeparator(envRoot) + "\\Bin\\standin.cfg";
}

bool ParseStandinCall(std::string_view line, StandinCall& call) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    size_t t1 = line.find('\t');
    if (t1 == std::string_view::npos)
        return false;
    size_t t2 = line.find('\t', t1 + 1);
    if (t2 == std::string_view::npos)
        return false;
    size_t t3 = line.find('\t', t2 + 1); // later versions may add fields
    call.tool = Unescape(line.substr(0, t1));
    call.folder = Unescape(line.substr(t1 + 1, t2 - t1 - 1));
    call.commandLine = Unescape(
        line.substr(t2 + 1, t3 == std::string_view::npos ? std::string_view::npos : t3 - t2 - 1));
    return true;
}

std::vector<StandinCall> ReadStandinCalls(const std::string& envRoot) {
    std::vector<StandinCall> calls;
    std::string path = StandinLogPath(envRoot);
    if (!FileExists(path))
        return calls;
    std::string text = ReadFileBytes(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        StandinCall call;
        if (ParseStandinCall(std::string_view(text).substr(start, end - start), call))
            calls.push_back(std::move(call));
        start = end + 1;
    }
    return calls;
}

void ClearStandinCalls(const std::string& envRoot) {
    DeleteFileQuiet(StandinLogPath(envRoot));
}

void WriteStandinConfig(const std::string& envRoot, const std::vector<std::string>& directives) {
    std::string path = StandinConfigPath(envRoot);
    if (directives.empty()) {
        DeleteFileQuiet(path);
        return;
    }
    std::string text;
    for (const std::string& d : directives)
        text += d + "\r\n";
    WriteFileAtomic(path, text);
}

} // namespace vdx::sample
