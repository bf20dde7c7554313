// mksample: lays out a sample Verdex installation with fake development
// environments (see SampleInstall.h), for the demo and for trying the wizard.

#include "SampleInstall.h"

#include "support/platform/Utf.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: mksample <installDir> [options]\n"
    "  --libd LibD28,LibD28x64   library folders (default: LibD<ver> for each --ver, else LibD28)\n"
    "  --ver 28,16               environments to create (default: the versions of --libd)\n"
    "  --edition gold|silver|copper   source folders of that edition (default gold)\n"
    "  --lang English,German,Japanese language folders under Res\n"
    "  --env-dir <dir>           folder for the environment roots (Delphi<ver> below it)\n"
    "  --user-docs <dir>         the \"Personal\" shell folder\n"
    "  --common-docs <dir>       the \"Common Documents\" shell folder\n"
    "  --no-registry             write no registry values\n"
    "  --standin <exe>           the stand-in tool (default: standin.exe next to mksample.exe)\n"
    "  --no-tools                environments without tools\n"
    "  --vdrc <exe>              copied to Res\\vdrc.exe\n"
    "  --wizard <exe>            copied into the installation folder\n"
    "  --marker <mask>=<directive>   a stand-in marker for matching .dpk files (repeatable)\n"
    "  --cpp                     a C++Builder package project in every library folder\n";

// A console gets the text through the wide API (any script shows); a file or
// pipe gets UTF-8 with CR LF line ends.
void Print(FILE* f, const std::string& utf8) {
    HANDLE h = GetStdHandle(f == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(h, &mode)) {
        std::wstring w = vdx::Widen(utf8);
        WriteConsoleW(h, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
        return;
    }
    std::string bytes;
    for (char c : utf8) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(',', start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            out.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string ExeFolder() {
    wchar_t buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    std::string path = vdx::Narrow(std::wstring_view(buf, n));
    return path.substr(0, path.find_last_of('\\') + 1);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace vdx::sample;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(vdx::Narrow(argv[i]));

    SampleOptions o;
    o.standinExe = ExeFolder() + "standin.exe";
    o.writeRegistry = true;
    bool libdGiven = false;
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= args.size())
                    throw std::invalid_argument("missing value after " + a);
                return args[++i];
            };
            if (a == "--libd") {
                o.libDirs = SplitList(value());
                libdGiven = true;
            } else if (a == "--ver") {
                o.compilers.clear();
                for (const std::string& v : SplitList(value()))
                    o.compilers.push_back(std::stoi(v));
            } else if (a == "--edition") {
                std::string e = value();
                for (char& c : e)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                if (e == "gold")
                    o.edition = Edition::Gold;
                else if (e == "silver")
                    o.edition = Edition::Silver;
                else if (e == "copper")
                    o.edition = Edition::Copper;
                else
                    throw std::invalid_argument("unknown edition " + e);
            } else if (a == "--lang") {
                o.languages = SplitList(value());
            } else if (a == "--env-dir") {
                o.envRootsDir = value();
            } else if (a == "--user-docs") {
                o.userDocumentsDir = value();
            } else if (a == "--common-docs") {
                o.commonDocumentsDir = value();
            } else if (a == "--no-registry") {
                o.writeRegistry = false;
            } else if (a == "--standin") {
                o.standinExe = value();
            } else if (a == "--no-tools") {
                o.standinExe.clear();
            } else if (a == "--vdrc") {
                o.vdrcExe = value();
            } else if (a == "--wizard") {
                o.wizardExe = value();
            } else if (a == "--marker") {
                std::string m = value();
                size_t eq = m.find('=');
                if (eq == std::string::npos)
                    throw std::invalid_argument("--marker needs <mask>=<directive>");
                o.markers.push_back({m.substr(0, eq), m.substr(eq + 1)});
            } else if (a == "--cpp") {
                o.cppProject = true;
            } else if (a == "-h" || a == "--help" || a == "/?") {
                Print(stdout, kUsage);
                return 0;
            } else if (!a.empty() && a[0] == '-') {
                throw std::invalid_argument("unknown option " + a);
            } else if (o.installDir.empty()) {
                o.installDir = a;
            } else {
                throw std::invalid_argument("more than one installation folder: " + a);
            }
        }
        if (o.installDir.empty())
            throw std::invalid_argument("no installation folder given");
    } catch (const std::exception& e) {
        Print(stderr, std::string("mksample: ") + e.what() + "\n" + kUsage);
        return 2;
    }
    if (!libdGiven && !o.compilers.empty()) {
        o.libDirs.clear();
        for (int v : o.compilers)
            o.libDirs.push_back("LibD" + std::to_string(v));
    }

    try {
        SampleInstall s = BuildSample(o);
        Print(stdout, "installation: " + s.installDir + "\n");
        for (const auto& [ver, root] : s.environments)
            Print(stdout, "delphi" + std::to_string(ver) + ": " + root + "\n");
        Print(stdout, "Personal: " + s.userDocumentsDir + "\n");
        Print(stdout, "Common Documents: " + s.commonDocumentsDir + "\n");
        Print(stdout, o.writeRegistry ? "registry: written\n" : "registry: not written\n");
    } catch (const std::exception& e) {
        Print(stderr, std::string("mksample: ") + e.what() + "\n");
        return 1;
    }
    return 0;
}
