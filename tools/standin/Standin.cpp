// Stand-in for the command-line tools of a Delphi/C++Builder environment.
//
// One program, copied into an environment's Bin folder as dcc32.exe, dcc64.exe,
// bpr2mak.exe and make.exe; it behaves by the name it was started under:
//
//   dcc32 | dcc64 <project>.dpk <switches...>
//       prints compiler-like lines and leaves <project>.bpl and .dcp next to
//       the project file
//   bpr2mak <project>.bpk | <project>.cbproj
//       writes <project>.mak next to the project file
//   make -f<name>.mak
//       prints the make file's search-path and define lines and leaves
//       <name>.bpl, .bpi, .lib and .tds next to the make file
//
// What it prints and whether it fails is chosen by directives, taken in this
// order:
//   - marker lines in the project file (for make: in the make file, then in
//     the .bpk or .cbproj of the same name): "standin:" preceded only by
//     blanks and comment characters, e.g. "//standin: error",
//     "{ standin: hint }", "# standin: @make fatal", "<!-- standin: warning -->";
//   - the lines of standin.cfg next to this program ("#" starts a comment);
//   - the environment variable VDX_STANDIN, directives separated by ";".
// A directive is "[@mask ...] keyword [argument]". Each @mask (wildcards * ?,
// any letter case) must match the tool name ("dcc32", "make", ...) or the
// project file name ("dcl*.dpk"); otherwise the directive is ignored.
//
//   error [text]      "<file>(<line>) Error: <text>" (default E2003
//                     Undeclared identifier: 'X'); the call fails
//   fatal [text]      the same with "Fatal:" (default F1026 File not found:
//                     'Missing.dcu'); the call fails
//   warning [text]    "... Warning: <text>" (default W1000 Symbol 'Y' is
//                     deprecated)
//   hint [text]       "... Hint: <text>" (default H2164 Variable 'Z' is
//                     declared but never used)
//   echo <text>       the text as a line of standard output, byte for byte
//   stderr <text>     the text as a line of standard error
//   lines <n>         n progress lines ("Unit7.pas(70)")
//   hang [ms]         sleeps (default 60000 ms), then goes on
//   crash             ends with an access violation (exit code 0xC0000005)
//   exit <n>          the exit code (default 0, or 1 when the call failed)
//   silent            prints nothing at all
//   nobanner          no banner and no closing summary line
//   nooutput          leaves no output file, although nothing failed
//   fast              (standin.cfg, VDX_STANDIN) prints and reads nothing,
//                     only leaves the output files: for benchmarks
//   pflags-continued  bpr2mak: the PFLAGS line continues on the next line
//   empty-values      bpr2mak: USERDEFINES, INCLUDEPATH, LIBPATH without value
//   makeline <text>   bpr2mak: one more line in the make file
// <file>(<line>) names the marker's file and line; global directives name
// the project and line 1. Directives that print run in order, so "hint",
// "hang 500", "crash" prints the hint, waits, then crashes. A failed call
// leaves no output file.
//
// Every call first appends one record to standin-calls.log next to this
// program: tool name, current folder and the whole command line, separated by
// tabs, UTF-8, CR LF at the end ("%", tab, CR and LF inside a field are
// written as %25, %09, %0D and %0A).
//
// The program depends on nothing but the Win32 API on purpose: it stands for
// foreign tools and must not share code with the wizard it is used to test.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------- text helpers

std::string FromWide(std::wstring_view w, UINT codePage) {
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        c = LowerAscii(c);
    return r;
}

std::wstring LowerAscii(std::wstring_view s) {
    std::wstring r(s);
    for (wchar_t& c : r)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return r;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(s[i]) != LowerAscii(prefix[i]))
            return false;
    return true;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Lines of a text; CR LF, CR and LF all end a line. A final line end adds no
// empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// "*" and "?" match without regard to ASCII letter case.
bool WildMatch(std::string_view name, std::string_view mask) {
    size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || LowerAscii(mask[m]) == LowerAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// ---------------------------------------------------------------- files

std::wstring FolderOf(const std::wstring& path) {
    size_t p = path.find_last_of(L"\\/:");
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p + 1);
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t p = path.find_last_of(L"\\/:");
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

// The path with its extension (from the last dot of the file name) removed.
std::wstring WithoutExtension(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/:");
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buf[16 * 1024];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return ok;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    bool ok = bytes.empty() ||
              (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
               wrote == bytes.size());
    ok = CloseHandle(h) && ok;
    return ok;
}

std::wstring FullPath(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

std::wstring ModulePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::wstring CurrentFolder() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring buf(n, L'\0');
    n = GetCurrentDirectoryW(n, buf.data());
    buf.resize(n);
    return buf;
}

// ---------------------------------------------------------------- call log

std::string EscapeField(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '%':
            r += "%25";
            break;
        case '\t':
            r += "%09";
            break;
        case '\r':
            r += "%0D";
            break;
        case '\n':
            r += "%0A";
            break;
        default:
            r += c;
        }
    }
    return r;
}

// One record per call, written with a single append so that records of
// calls that follow each other quickly (or run side by side) never mix.
void AppendCallRecord(const std::wstring& logPath, std::string_view tool) {
    std::string record = EscapeField(tool) + '\t' +
                         EscapeField(FromWide(CurrentFolder(), CP_UTF8)) + '\t' +
                         EscapeField(FromWide(GetCommandLineW(), CP_UTF8)) + "\r\n";
    HANDLE h = INVALID_HANDLE_VALUE;
    // Another call may hold the file for a moment without sharing (a test
    // reading it with a plain open); retry briefly instead of losing the record.
    for (int attempt = 0; attempt < 50 && h == INVALID_HANDLE_VALUE; ++attempt) {
        h = CreateFileW(logPath.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
            Sleep(20);
        else
            break;
    }
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD wrote = 0;
    WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &wrote, nullptr);
    CloseHandle(h);
}

// ---------------------------------------------------------------- directives

enum class Tool { Dcc32, Dcc64, Bpr2Mak, Make, Unknown };

struct Directive {
    std::string keyword;  // lower case
    std::string argument; // bytes as written, trimmed
    std::string file;     // file holding the marker (console code page); empty: global
    int line = 1;         // its line in that file
};

struct Scope {
    std::string tool;    // "dcc32", "make", ...
    std::string project; // project file name without folder, system code page
};

// Splits "[@mask ...] keyword [argument]"; false when a scope mask does not
// match or there is no keyword.
bool ParseDirective(std::string_view text, const Scope& scope, Directive& d) {
    text = Trim(text);
    while (!text.empty() && text.front() == '@') {
        size_t end = 0;
        while (end < text.size() && !IsBlank(text[end]))
            ++end;
        std::string_view mask = text.substr(1, end - 1);
        if (!WildMatch(scope.tool, mask) && !WildMatch(scope.project, mask))
            return false;
        text = Trim(text.substr(end));
    }
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end]))
        ++end;
    if (end == 0)
        return false;
    d.keyword = LowerAscii(text.substr(0, end));
    d.argument = std::string(Trim(text.substr(end)));
    return true;
}

// Marker lines of a project or make file: "standin:" preceded only by blanks
// and comment punctuation; the closing "}", "*)" or "-->" of the comment is
// not part of the directive.
void CollectMarkers(std::string_view text, std::string_view fileName, const Scope& scope,
                    std::vector<Directive>& out) {
    static constexpr std::string_view tag = "standin:";
    std::vector<std::string_view> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        size_t pos = 0;
        while (pos < line.size() &&
               std::string_view(" \t/#{(*<!-;").find(line[pos]) != std::string_view::npos)
            ++pos;
        if (!StartsWithNoCase(line.substr(pos), tag))
            continue;
        std::string_view rest = Trim(line.substr(pos + tag.size()));
        for (std::string_view close :
             {std::string_view("-->"), std::string_view("*)"), std::string_view("}")}) {
            if (EndsWith(rest, close)) {
                rest = Trim(rest.substr(0, rest.size() - close.size()));
                break;
            }
        }
        Directive d;
        if (!ParseDirective(rest, scope, d))
            continue;
        d.file = std::string(fileName);
        d.line = static_cast<int>(i + 1);
        out.push_back(std::move(d));
    }
}

// Directives of standin.cfg next to the program, then of VDX_STANDIN.
std::vector<Directive> GlobalDirectives(const std::wstring& toolFolder, const Scope& scope) {
    std::vector<Directive> out;
    std::string cfg;
    if (ReadWholeFile(toolFolder + L"standin.cfg", cfg)) {
        for (std::string_view line : SplitLines(cfg)) {
            line = Trim(line);
            if (line.empty() || line.front() == '#' || line.front() == ';')
                continue;
            if (StartsWithNoCase(line, "//"))
                line = Trim(line.substr(2));
            if (StartsWithNoCase(line, "standin:"))
                line = line.substr(8);
            Directive d;
            if (ParseDirective(line, scope, d))
                out.push_back(std::move(d));
        }
    }
    DWORD n = GetEnvironmentVariableW(L"VDX_STANDIN", nullptr, 0);
    if (n > 0) {
        std::wstring env(n, L'\0');
        env.resize(GetEnvironmentVariableW(L"VDX_STANDIN", env.data(), n));
        std::string text = FromWide(env, CP_OEMCP);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(';', start);
            if (end == std::string::npos)
                end = text.size();
            Directive d;
            if (ParseDirective(std::string_view(text).substr(start, end - start), scope, d))
                out.push_back(std::move(d));
            start = end + 1;
        }
    }
    return out;
}

bool HasKeyword(const std::vector<Directive>& ds, std::string_view keyword) {
    for (const Directive& d : ds)
        if (d.keyword == keyword)
            return true;
    return false;
}

// ---------------------------------------------------------------- one run

class Run {
public:
    Run(Tool tool, std::string toolName) : tool_(tool), toolName_(std::move(toolName)) {}

    int Main(int argc, wchar_t** argv, const std::wstring& toolFolder);

private:
    void Out(std::string_view line) { Write(GetStdHandle(STD_OUTPUT_HANDLE), line); }
    void Err(std::string_view line) { Write(GetStdHandle(STD_ERROR_HANDLE), line); }
    void Write(HANDLE h, std::string_view line) {
        if (silent_ || h == nullptr || h == INVALID_HANDLE_VALUE)
            return;
        std::string bytes(line);
        bytes += "\r\n";
        DWORD wrote = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    }
    void Diagnostic(const Directive& d, std::string_view kind, std::string_view fallback);
    bool Execute(const Directive& d); // false: unknown keyword
    bool MakeOutputs();
    std::string MakeFileText() const;
    void EchoMakeFile();
    std::string Banner() const;

    Tool tool_;
    std::string toolName_;
    std::wstring project_;    // project or make file as resolved (maybe relative)
    std::string projectName_; // its file name, console code page
    std::string projectText_; // its bytes when it was read
    std::vector<Directive> directives_;
    bool silent_ = false;
    bool failed_ = false;
    bool noOutput_ = false;
    int exitCode_ = -1; // -1: 0 on success, 1 on failure
};

std::string Run::Banner() const {
    switch (tool_) {
    case Tool::Dcc32:
        return "Verdex stand-in compiler for Delphi (Win32), version 1.0";
    case Tool::Dcc64:
        return "Verdex stand-in compiler for Delphi (Win64), version 1.0";
    case Tool::Bpr2Mak:
        return "Verdex stand-in project converter, version 1.0";
    case Tool::Make:
        return "Verdex stand-in MAKE, version 1.0";
    case Tool::Unknown:
        break;
    }
    return {};
}

void Run::Diagnostic(const Directive& d, std::string_view kind, std::string_view fallback) {
    std::string line;
    if (!d.file.empty())
        line = d.file + "(" + std::to_string(d.line) + ") ";
    else if (!projectName_.empty())
        line = projectName_ + "(1) ";
    line += kind;
    line += ": ";
    line += d.argument.empty() ? fallback : std::string_view(d.argument);
    Out(line);
}

bool Run::Execute(const Directive& d) {
    const std::string& k = d.keyword;
    if (k == "error") {
        Diagnostic(d, "Error", "E2003 Undeclared identifier: 'X'");
        failed_ = true;
    } else if (k == "fatal") {
        Diagnostic(d, "Fatal", "F1026 File not found: 'Missing.dcu'");
        failed_ = true;
    } else if (k == "warning") {
        Diagnostic(d, "Warning", "W1000 Symbol 'Y' is deprecated");
    } else if (k == "hint") {
        Diagnostic(d, "Hint", "H2164 Variable 'Z' is declared but never used");
    } else if (k == "echo") {
        Out(d.argument);
    } else if (k == "stderr") {
        Err(d.argument);
    } else if (k == "lines") {
        int n = atoi(d.argument.c_str());
        for (int i = 1; i <= n; ++i)
            Out("Unit" + std::to_string(i) + ".pas(" + std::to_string(i * 10) + ")");
    } else if (k == "hang") {
        int ms = d.argument.empty() ? 60000 : atoi(d.argument.c_str());
        Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms));
    } else if (k == "crash") {
        // A real access violation would do the same; raising it keeps the
        // exit code fixed (0xC0000005) whatever the optimizer makes of a
        // null pointer write.
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    } else if (k == "exit") {
        exitCode_ = atoi(d.argument.c_str());
    } else if (k == "silent" || k == "nobanner" || k == "nooutput" || k == "fast" ||
               k == "pflags-continued" || k == "empty-values" || k == "makeline") {
        // settings, taken before the directives run
    } else {
        return false;
    }
    return true;
}

// The make file bpr2mak writes: the lines a C++Builder project's make file
// has, with the four keyed lines the wizard edits.
std::string Run::MakeFileText() const {
    std::string base = FromWide(FileNameOf(WithoutExtension(project_)), CP_ACP);
    bool continued = HasKeyword(directives_, "pflags-continued");
    bool empty = HasKeyword(directives_, "empty-values");
    std::string t;
    auto line = [&t](std::string_view s) {
        t += s;
        t += "\r\n";
    };
    line("# Generated by the Verdex stand-in project converter from " + projectName_);
    line("VERSION = BCB.06.00");
    line("# ---------------------------------------------------------------------------");
    line("PROJECT = " + base + ".bpl");
    line("OBJFILES = " + base + ".obj");
    line("RESFILES = " + base + ".res");
    line("PACKAGES = rtl.bpi vcl.bpi");
    line("# ---------------------------------------------------------------------------");
    line(empty ? "USERDEFINES =" : "USERDEFINES = _DEBUG");
    line("SYSDEFINES = _RTLDLL;NO_STRICT;USEPACKAGES");
    line(empty ? "INCLUDEPATH =" : "INCLUDEPATH = $(BCB)\\include;$(BCB)\\include\\vcl");
    line(empty ? "LIBPATH =" : "LIBPATH = $(BCB)\\lib\\obj;$(BCB)\\lib");
    if (continued) {
        line("PFLAGS = -$YD -$W -$O- -v \\");
        line("    -JPHNE -M");
    } else {
        line("PFLAGS = -$YD -$W -$O- -v -JPHNE -M");
    }
    line("CFLAG1 = -Od -Hc -Vx -Ve -X- -r- -a8 -b- -k -y -v -vi- -c -tWM");
    line("LFLAGS = -D\"\" -aa -Tpp -x -Gn -Gl -Gi -v");
    line("# ---------------------------------------------------------------------------");
    for (const Directive& d : directives_)
        if (d.keyword == "makeline")
            line(d.argument);
    line("");
    line("$(PROJECT): $(OBJFILES)");
    line("    $(BCB)\\BIN\\ilink32 $(LFLAGS) $(OBJFILES)");
    return t;
}

// make shows the search paths and defines it builds with: the four keyed
// lines of the make file, with their continuation lines.
void Run::EchoMakeFile() {
    bool continuing = false;
    for (std::string_view line : SplitLines(projectText_)) {
        bool keyed = false;
        for (std::string_view key : {"PFLAGS", "USERDEFINES", "INCLUDEPATH", "LIBPATH"})
            keyed = keyed || StartsWithNoCase(line, key);
        if (keyed || continuing)
            Out(line);
        continuing = (keyed || continuing) && !Trim(line).empty() && Trim(line).back() == '\\';
    }
}

bool Run::MakeOutputs() {
    std::wstring base = WithoutExtension(project_);
    std::vector<const wchar_t*> exts;
    switch (tool_) {
    case Tool::Dcc32:
    case Tool::Dcc64:
        exts = {L".bpl", L".dcp"};
        break;
    case Tool::Bpr2Mak:
        exts = {L".mak"};
        break;
    case Tool::Make:
        exts = {L".bpl", L".bpi", L".lib", L".tds"};
        break;
    case Tool::Unknown:
        break;
    }
    for (const wchar_t* ext : exts) {
        std::wstring path = base + ext;
        std::string content;
        if (tool_ == Tool::Bpr2Mak)
            content = MakeFileText();
        else
            content = "Verdex stand-in " + FromWide(ext + 1, CP_ACP) + " of " +
                      FromWide(FileNameOf(base), CP_ACP) + ", made by " + toolName_ + "\r\n";
        if (!WriteWholeFile(path, content)) {
            Out("Fatal: F2039 Could not create output file '" + FromWide(FullPath(path), CP_OEMCP) +
                "'");
            return false;
        }
    }
    return true;
}

int Run::Main(int argc, wchar_t** argv, const std::wstring& toolFolder) {
    // The project: the first argument that is not a switch; for make, the
    // argument of -f.
    std::wstring given;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (tool_ == Tool::Make) {
            if (a.size() >= 2 && (a[0] == L'-' || a[0] == L'/') && (a[1] == L'f' || a[1] == L'F')) {
                given = a.size() > 2 ? a.substr(2) : (i + 1 < argc ? argv[i + 1] : L"");
                break;
            }
        } else if (!a.empty() && a[0] != L'-' && a[0] != L'/') {
            given = a;
            break;
        }
    }
    if (tool_ == Tool::Make && given.empty())
        given = L"makefile";
    project_ = given;
    if (tool_ == Tool::Dcc32 || tool_ == Tool::Dcc64) {
        // dcc accepts the project name without its extension.
        for (const wchar_t* ext : {L"", L".dpk", L".dpr"}) {
            if (!given.empty() && FileExists(given + ext)) {
                project_ = given + ext;
                break;
            }
        }
    }
    projectName_ = FromWide(FileNameOf(project_), CP_OEMCP);
    Scope scope{toolName_, FromWide(FileNameOf(project_), CP_ACP)};

    std::vector<Directive> global = GlobalDirectives(toolFolder, scope);
    if (HasKeyword(global, "fast")) // benchmarks: only the files, as quickly as possible
        return (!given.empty() && MakeOutputs()) ? 0 : 1;

    bool found = !given.empty() && ReadWholeFile(project_, projectText_);
    if (found) {
        CollectMarkers(projectText_, projectName_, scope, directives_);
        if (tool_ == Tool::Make) {
            // The markers of the C++Builder project the make file was made from.
            for (const wchar_t* ext : {L".bpk", L".cbproj"}) {
                std::wstring sibling = WithoutExtension(project_) + ext;
                std::string text;
                if (ReadWholeFile(sibling, text))
                    CollectMarkers(text, FromWide(FileNameOf(sibling), CP_OEMCP), scope,
                                   directives_);
            }
        }
    }
    directives_.insert(directives_.end(), global.begin(), global.end());

    silent_ = HasKeyword(directives_, "silent") || HasKeyword(directives_, "fast");
    noOutput_ = HasKeyword(directives_, "nooutput");
    bool banner = !HasKeyword(directives_, "nobanner");

    if (banner)
        Out(Banner());
    if (!found) {
        if (tool_ == Tool::Make)
            Out("Fatal: Unable to open makefile '" + projectName_ + "'");
        else
            Out("Fatal: F1026 File not found: '" + projectName_ + "'");
        failed_ = true;
    }
    for (const Directive& d : directives_)
        if (!Execute(d))
            Err("stand-in: unknown directive '" + d.keyword + "'");

    if (!failed_) {
        if (tool_ == Tool::Make)
            EchoMakeFile();
        if (!noOutput_ && !MakeOutputs())
            failed_ = true;
    }
    if (banner && !failed_) {
        size_t lines = SplitLines(projectText_).size();
        switch (tool_) {
        case Tool::Dcc32:
        case Tool::Dcc64:
            Out(std::to_string(lines) + " lines, 0.01 seconds, " + std::to_string(lines * 100) +
                " bytes code, " + std::to_string(lines * 10) + " bytes data.");
            break;
        case Tool::Bpr2Mak:
            Out("Generated makefile " + FromWide(FileNameOf(WithoutExtension(project_)), CP_OEMCP) +
                ".mak");
            break;
        case Tool::Make:
            Out("Linking " + FromWide(FileNameOf(WithoutExtension(project_)), CP_OEMCP) + ".bpl");
            break;
        case Tool::Unknown:
            break;
        }
    }
    if (exitCode_ >= 0)
        return exitCode_;
    return failed_ ? 1 : 0;
}

Tool ToolOf(const std::string& name) {
    if (name == "dcc32")
        return Tool::Dcc32;
    if (name == "dcc64")
        return Tool::Dcc64;
    if (name == "bpr2mak")
        return Tool::Bpr2Mak;
    if (name == "make")
        return Tool::Make;
    return Tool::Unknown;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // A crash must end the process at once, without an error dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    std::wstring self = ModulePath();
    std::wstring folder = FolderOf(self);
    std::string toolName = FromWide(LowerAscii(FileNameOf(WithoutExtension(self))), CP_UTF8);
    AppendCallRecord(folder + L"standin-calls.log", toolName);

    Tool tool = ToolOf(toolName);
    if (tool == Tool::Unknown) {
        std::string msg = "stand-in: unknown tool name '" + toolName +
                          "'; copy this program as dcc32.exe, dcc64.exe, bpr2mak.exe or "
                          "make.exe\r\n";
        DWORD wrote = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), msg.data(), static_cast<DWORD>(msg.size()),
                  &wrote, nullptr);
        return 2;
    }
    Run run(tool, toolName);
    return run.Main(argc, argv, folder);
}
