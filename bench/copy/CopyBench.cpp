// Copying the source tree into the library folder: the 14 actions that the
// Gold edition runs at the start of a full rebuild, side by side with a plain
// CopyFileW loop over exactly the same files into the same folder.
//
//   vdx_bench_copy [options] [rounds] [folder]
//
// rounds: timed runs of each kind (default 11), the order alternating from
// round to round; the medians are compared. folder: where the installation
// tree is generated (default: a folder below the temp folder); it is removed
// at the end. Every run starts with an empty target folder, or with one that
// holds the files already (--refill), as in a second rebuild.
//
// For finding where the time goes: --phases times single-file copy methods
// over the same files, --only-actions and --only-loop run one side alone (to
// count system calls or server requests of each).

#include "engine/ActionScript.h"
#include "engine/BuildRequest.h"
#include "engine/FileActions.h"
#include "engine/Interpreter.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"
#include "support/vdxXML.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vdx;

namespace {

// --- the generated installation tree ---

struct FileKind {
    const char* ext;
    double minKb, maxKb; // sizes are spread evenly on a log scale
    bool binary;
};

const FileKind Pas{".pas", 2, 220, false};
const FileKind Dfm{".dfm", 1, 60, false};
const FileKind Inc{".inc", 0.3, 8, false};
const FileKind Res{".res", 1, 90, true};
const FileKind Xml{".xml", 20, 250, false};
const FileKind Dpk{".dpk", 1, 4, false};
// Files the copy leaves behind: compiled units, objects, editor backups, ...
const FileKind Dcu{".dcu", 4, 160, true};
const FileKind Obj{".obj", 4, 160, true};
const FileKind Hpp{".hpp", 1, 40, false};
const FileKind Bak{".bak", 2, 120, false};
const FileKind Tilde{".~pas", 2, 120, false};
const FileKind Cfg{".cfg", 0.3, 2, false};
const FileKind Dsk{".dsk", 1, 6, false};
const FileKind Bat{".bat", 0.2, 1, false};
const FileKind Exe{".exe", 200, 900, true};
const FileKind Bpl{".bpl", 200, 900, true};

struct Share {
    const FileKind* kind;
    int count;
};

struct FolderPlan {
    const char* folder; // below the installation folder
    const char* prefix; // of the unit names
    std::vector<Share> shares;
};

// About 1,500 files: the sources the block copies and, in every folder, some
// that its masks keep out.
const std::vector<FolderPlan>& Plan() {
    static const std::vector<FolderPlan> plan = {
        {"Source",
         "vdx",
         {{&Pas, 380},
          {&Dfm, 85},
          {&Inc, 18},
          {&Res, 30},
          {&Dcu, 30},
          {&Bak, 10},
          {&Tilde, 8},
          {&Obj, 6},
          {&Hpp, 6},
          {&Cfg, 2},
          {&Dsk, 2},
          {&Bat, 2},
          {&Exe, 1}}},
        {"Source\\ExportPack", "vdxe", {{&Pas, 55}, {&Dfm, 10}, {&Inc, 3}, {&Res, 4}, {&Dcu, 5}}},
        {"Source\\ExportPack\\FontPack", "vdxfp", {{&Pas, 20}, {&Res, 3}, {&Bak, 2}}},
        {"Source\\BDE", "vdxBDE", {{&Pas, 14}, {&Dfm, 3}, {&Res, 2}, {&Dcu, 2}}},
        {"Source\\ADO", "vdxADO", {{&Pas, 14}, {&Dfm, 3}, {&Res, 2}, {&Dcu, 2}}},
        {"Source\\IBX", "vdxIBX", {{&Pas, 16}, {&Dfm, 4}, {&Res, 2}, {&Dcu, 2}, {&Tilde, 1}}},
        {"Source\\DBX", "vdxDBX", {{&Pas, 14}, {&Dfm, 3}, {&Res, 2}, {&Dcu, 2}}},
        {"Source\\FireDAC", "vdxFD", {{&Pas, 16}, {&Dfm, 4}, {&Res, 2}, {&Dcu, 3}}},
        {"Source\\PDFView", "vdxPDF", {{&Pas, 45}, {&Dfm, 6}, {&Inc, 2}, {&Res, 3}, {&Obj, 4}}},
        {"Source\\ClientServer",
         "vdxcs",
         {{&Pas, 60}, {&Dfm, 12}, {&Inc, 2}, {&Res, 3}, {&Dcu, 4}, {&Bpl, 1}}},
        {"Mirel",
         "mr",
         {{&Pas, 250}, {&Dfm, 40}, {&Inc, 8}, {&Res, 10}, {&Dpk, 16}, {&Dcu, 12}, {&Bak, 4}}},
        {"Lattix", "ltx", {{&Pas, 150}, {&Dfm, 30}, {&Inc, 4}, {&Res, 6}, {&Dcu, 8}, {&Hpp, 4}}},
        {"Res\\English", "vdx", {{&Pas, 6}, {&Xml, 4}, {&Res, 2}, {&Bak, 1}}},
    };
    return plan;
}

constexpr double TargetBytes = 60.0 * 1024 * 1024;

struct PlannedFile {
    std::string path; // relative to the installation folder
    uint64_t size;
    bool binary;
};

// A small deterministic generator, so every run copies the same tree.
struct Random {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint64_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    double Uniform() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

std::vector<PlannedFile> PlanFiles() {
    Random random;
    std::vector<PlannedFile> files;
    std::vector<double> kb;
    for (const FolderPlan& folder : Plan()) {
        int n = 0;
        for (const Share& share : folder.shares) {
            for (int i = 0; i < share.count; ++i, ++n) {
                char name[64];
                // Units and their forms share names, as in a real source tree.
                std::snprintf(name, sizeof name, "%s%s%03d%s", folder.prefix,
                              share.kind == &Dfm ? "Form" : "Unit", share.kind == &Dfm ? i : n,
                              share.kind->ext);
                const double lo = std::log(share.kind->minKb);
                const double hi = std::log(share.kind->maxKb);
                double size = std::exp(lo + (hi - lo) * random.Uniform());
                if (share.kind == &Pas && random.Uniform() < 0.02)
                    size *= 8; // a few very large units
                kb.push_back(size);
                files.push_back({std::string(folder.folder) + "\\" + name, 0, share.kind->binary});
            }
        }
    }
    double total = 0;
    for (double k : kb)
        total += k * 1024;
    const double scale = TargetBytes / total;
    for (size_t i = 0; i < files.size(); ++i)
        files[i].size = static_cast<uint64_t>(kb[i] * 1024 * scale) + 1;
    return files;
}

// A block of Pascal-looking text and one of noise; files are slices of them.
struct Contents {
    std::string text, noise;
    Contents() {
        Random random;
        while (text.size() < (4u << 20)) {
            char line[96];
            std::snprintf(line, sizeof line, "  Value%llu := Item%llu.Evaluate(%llu);\r\n",
                          static_cast<unsigned long long>(random.Next() % 1000),
                          static_cast<unsigned long long>(random.Next() % 100),
                          static_cast<unsigned long long>(random.Next() % 100000));
            text += line;
        }
        noise.resize(4u << 20);
        for (char& c : noise)
            c = static_cast<char>(random.Next() >> 56);
    }
};

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + " failed (error " + std::to_string(GetLastError()) + ")");
}

void MakeFolders(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryW(Widen(path.substr(0, at)).c_str(), nullptr);
    CreateDirectoryW(Widen(path).c_str(), nullptr);
}

void WriteGenerated(const std::string& path, const PlannedFile& file, const Contents& contents) {
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(h != INVALID_HANDLE_VALUE, "creating " + path);
    const std::string& source = file.binary ? contents.noise : contents.text;
    const size_t offset = (std::hash<std::string>{}(file.path) % (source.size() / 2));
    uint64_t left = file.size;
    while (left > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, source.size() - offset));
        DWORD wrote = 0;
        Check(WriteFile(h, source.data() + offset, static_cast<DWORD>(chunk), &wrote, nullptr) &&
                  wrote == chunk,
              "writing " + path);
        left -= chunk;
    }
    CloseHandle(h);
}

struct TreeFacts {
    size_t files = 0;
    uint64_t bytes = 0;
};

TreeFacts GenerateTree(const std::string& installDir, const std::string& libDir) {
    const Contents contents;
    TreeFacts facts;
    for (const FolderPlan& folder : Plan())
        MakeFolders(installDir + folder.folder);
    MakeFolders(installDir + libDir);
    for (const PlannedFile& file : PlanFiles()) {
        WriteGenerated(installDir + file.path, file, contents);
        ++facts.files;
        facts.bytes += file.size;
    }
    return facts;
}

// --- folder helpers ---

// Every file of the folder, hidden ones included (the temporary files of an
// interrupted copy would be hidden).
void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(Widen(DirWithDelimiter(folder) + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::wstring path = Widen(DirWithDelimiter(folder)) + fd.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(Widen(DirWithDelimiter(folder) + "*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::string path = DirWithDelimiter(folder) + Narrow(name);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Widen(path).c_str());
            }
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(Widen(folder).c_str());
}

std::map<std::string, uint64_t> Snapshot(const std::string& folder) {
    std::map<std::string, uint64_t> files;
    for (const ListedFile& e : ListRegularFiles(folder))
        files[ToLowerAscii(e.Name)] = e.Size;
    return files;
}

// --- the two contenders ---

// Runs section "all" with the real copy and delete actions; the compile
// actions that follow the block do nothing.
struct CopyOnlyHandlers : ActionHandlers {
    const BuildRequest& request;
    explicit CopyOnlyHandlers(const BuildRequest& r) : request(r) {}
    void Copy(const TvdxXMLItem& action) override { CopyAction(action, request); }
    void Delete(const TvdxXMLItem& action) override { DeleteAction(action, request); }
    void Compile(const TvdxXMLItem&) override {}
};

void RunBlock(const BuildRequest& request) {
    TvdxXMLDocument script;
    LoadScript(script, AssembleScript(request.Edition));
    SubstituteVariables(script.Root(), request);
    CopyOnlyHandlers handlers(request);
    RunSection(script, "all", handlers);
}

struct Copy {
    std::wstring from, to;
};

// The copies the block's copy actions make, in their order: every visible
// file of the source folder that none of the exception masks matches.
std::vector<Copy> CopiesOfTheBlock(const BuildRequest& request) {
    TvdxXMLDocument script;
    LoadScript(script, AssembleScript(request.Edition));
    SubstituteVariables(script.Root(), request);
    const TvdxXMLItem& all = script.Root().ChildByName("all");
    std::vector<Copy> copies;
    for (int i = 0; i < all.ChildCount(); ++i) {
        const TvdxXMLItem& action = all.Child(i);
        if (ToLowerAscii(action.AttrValue("name")) != "copy")
            continue;
        if (ToLowerAscii(action.AttrValue("kind")) != "allexcept" ||
            !SameTextAscii(action.AttrValue("delbackup"), "yes") ||
            !SameTextAscii(action.AttrValue("delhppobj"), "yes"))
            throw std::runtime_error("unexpected copy action: " + action.AttrText);
        const std::vector<std::string> exceptions =
            SplitMaskList(std::string(BackupMasks) + " " + std::string(HeaderObjectMasks) + " " +
                          action.AttrValue("files"));
        const std::string from = DirWithDelimiter(request.InstallDir + action.AttrValue("from"));
        const std::string to = DirWithDelimiter(request.InstallDir + action.AttrValue("to"));
        for (const ListedFile& e : ListRegularFiles(from)) {
            const bool excluded =
                std::any_of(exceptions.begin(), exceptions.end(),
                            [&](const std::string& mask) { return MatchesMask(e.Name, mask); });
            if (!excluded)
                copies.push_back({Widen(from + e.Name), Widen(to + e.Name)});
        }
    }
    return copies;
}

void RunPlainLoop(const std::vector<Copy>& copies) {
    for (const Copy& c : copies)
        Check(CopyFileW(c.from.c_str(), c.to.c_str(), FALSE) != 0, "CopyFileW");
}

// --- timing ---

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The temporary folders of the per-file variants, made once per target
// folder in a timed run.
struct Subfolders {
    std::wstring plain;                // of TempInSubfolderOf
    std::unique_ptr<TempFolder> temps; // of CopyWithTempFolder
    std::wstring tempsFor;
};
Subfolders subfolders; // reset before every timed run

// What the target folder holds when a timed run starts: nothing, or (with
// --refill) the files of an earlier run, which the copies then replace.
const std::vector<Copy>* refillFrom = nullptr;

template <typename Work> double TimeMs(const std::string& target, Work work) {
    EmptyFolder(target);
    subfolders = Subfolders();
    if (refillFrom)
        RunPlainLoop(*refillFrom);
    const double t0 = NowMs();
    work();
    return NowMs() - t0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// --- per-file variants, for finding where the time goes (--phases) ---

using CopyFn = void (*)(const Copy&);

HANDLE OpenSource(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    Check(h != INVALID_HANDLE_VALUE, "opening the source");
    return h;
}

HANDLE CreateTarget(const std::wstring& path, DWORD access, DWORD attributes) {
    HANDLE h = CreateFileW(path.c_str(), access, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    Check(h != INVALID_HANDLE_VALUE, "creating the target");
    return h;
}

void Pump(HANDLE in, HANDLE out) {
    static std::vector<char> buffer(256 * 1024);
    for (;;) {
        DWORD got = 0, wrote = 0;
        Check(ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr),
              "reading");
        if (got == 0)
            break;
        Check(WriteFile(out, buffer.data(), got, &wrote, nullptr) && wrote == got, "writing");
    }
}

void PlainAttributes(HANDLE h) {
    FILE_BASIC_INFO info{};
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    Check(SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info), "attributes");
}

void RenameByHandle(HANDLE h, const std::wstring& to) {
    std::vector<char> buf(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    info->ReplaceIfExists = TRUE;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::copy(to.c_str(), to.c_str() + to.size() + 1, info->FileName);
    Check(SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buf.size())),
          "rename");
}

std::wstring TempOf(const Copy& c) {
    return Widen(TempNameBeside(Narrow(c.to)));
}

// A temporary file in a folder of its own inside the target's folder, made
// once per target folder.

std::wstring TempInSubfolderOf(const Copy& c) {
    static unsigned n = 0;
    const std::wstring sub = c.to.substr(0, c.to.find_last_of(L'\\') + 1) + L"benchsub.tmp";
    if (sub != subfolders.plain) {
        CreateDirectoryW(sub.c_str(), nullptr);
        subfolders.plain = sub;
    }
    return sub + L"\\" + std::to_wstring(n++) + L".tmp";
}

void DeleteOnClose(HANDLE h, bool remove) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = remove ? TRUE : FALSE;
    Check(SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info),
          "delete on close");
}

// The copy of the mask operations: one TempFolder per target folder.
void CopyWithTempFolder(const Copy& c) {
    const std::wstring to = c.to.substr(0, c.to.find_last_of(L'\\') + 1);
    if (to != subfolders.tempsFor) {
        subfolders.temps.reset();
        subfolders.temps = std::make_unique<TempFolder>(Narrow(to));
        subfolders.tempsFor = to;
    }
    HANDLE in = OpenSource(c.from);
    AtomicFile out(Narrow(c.to), subfolders.temps.get());
    static std::vector<char> buffer(256 * 1024);
    for (;;) {
        DWORD got = 0;
        Check(ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr),
              "reading");
        if (got == 0)
            break;
        out.Write(std::string_view(buffer.data(), got));
    }
    CloseHandle(in);
    out.Commit();
}

const std::vector<std::pair<const char*, CopyFn>>& Variants() {
    static const std::vector<std::pair<const char*, CopyFn>> variants = {
        {"CopyFileW",
         [](const Copy& c) { Check(CopyFileW(c.from.c_str(), c.to.c_str(), FALSE), "copy"); }},
        {"CopyOneFile (hidden temp beside the target)",
         [](const Copy& c) { CopyOneFile(Narrow(c.from), Narrow(c.to)); }},
        {"AtomicFile in a TempFolder", CopyWithTempFolder},
        {"GetFileAttributesW, missing name",
         [](const Copy& c) { GetFileAttributesW((c.to + L"x").c_str()); }},
        {"GetFileAttributesW, existing name",
         [](const Copy& c) { GetFileAttributesW(c.to.c_str()); }},
        {"stream into the target (no temp)",
         [](const Copy& c) {
             HANDLE in = OpenSource(c.from);
             HANDLE out = CreateTarget(c.to, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
             Pump(in, out);
             CloseHandle(in);
             CloseHandle(out);
         }},
        {"stream, hidden temp beside, plain + rename by handle",
         [](const Copy& c) {
             HANDLE in = OpenSource(c.from);
             HANDLE out = CreateTarget(TempOf(c), GENERIC_WRITE | DELETE, FILE_ATTRIBUTE_HIDDEN);
             Pump(in, out);
             CloseHandle(in);
             RenameByHandle(out, c.to);
             PlainAttributes(out);
             CloseHandle(out);
         }},
        {"stream, temp in a subfolder, rename by handle",
         [](const Copy& c) {
             HANDLE in = OpenSource(c.from);
             HANDLE out =
                 CreateTarget(TempInSubfolderOf(c), GENERIC_WRITE | DELETE, FILE_ATTRIBUTE_NORMAL);
             Pump(in, out);
             CloseHandle(in);
             RenameByHandle(out, c.to);
             CloseHandle(out);
         }},
        {"... with delete-on-close set, then cleared",
         [](const Copy& c) {
             HANDLE in = OpenSource(c.from);
             HANDLE out =
                 CreateTarget(TempInSubfolderOf(c), GENERIC_WRITE | DELETE, FILE_ATTRIBUTE_NORMAL);
             DeleteOnClose(out, true);
             Pump(in, out);
             CloseHandle(in);
             DeleteOnClose(out, false);
             RenameByHandle(out, c.to);
             CloseHandle(out);
         }},
    };
    return variants;
}

void Phases(const std::vector<Copy>& copies, const std::string& target, int rounds,
            const BuildRequest& request) {
    std::vector<std::vector<double>> times(Variants().size() + 1);
    for (int round = 0; round < rounds; ++round) {
        // Each round starts with another variant, so that none always runs first.
        for (size_t k = 0; k < Variants().size(); ++k) {
            const size_t v = (k + static_cast<size_t>(round)) % Variants().size();
            // The attribute probes run against a full folder, the copies into an empty one.
            const bool probe = std::string(Variants()[v].first).rfind("GetFileAttributesW", 0) == 0;
            if (probe) {
                EmptyFolder(target);
                RunPlainLoop(copies);
                const double t0 = NowMs();
                for (const Copy& c : copies)
                    Variants()[v].second(c);
                times[v].push_back(NowMs() - t0);
            } else {
                times[v].push_back(TimeMs(target, [&] {
                    for (const Copy& c : copies)
                        Variants()[v].second(c);
                }));
            }
        }
        times.back().push_back(TimeMs(target, [&] { RunBlock(request); }));
    }
    for (size_t v = 0; v < Variants().size(); ++v)
        std::printf("%-48s %8.1f ms\n", Variants()[v].first, Median(times[v]));
    std::printf("%-48s %8.1f ms\n", "RunBlock", Median(times.back()));
}

std::string DefaultFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return Narrow(temp) + "vdx_bench_copy\\";
}

enum class Mode { Compare, Phases, OnlyActions, OnlyLoop };

int Run(Mode mode, bool refill, int rounds, std::string installDir) {
    installDir = DirWithDelimiter(installDir);
    BuildRequest request;
    request.InstallDir = installDir;
    request.CompilerIndex = CompilerCount - 1;
    request.Edition = "Gold";
    request.Language = "English";
    CompleteRequest(request);
    const std::string target = installDir + request.LibDir;

    RemoveTree(installDir);
    MakeFolders(installDir.substr(0, installDir.size() - 1));
    const TreeFacts tree = GenerateTree(installDir, request.LibDir);
    const std::vector<Copy> copies = CopiesOfTheBlock(request);

    // One untimed run of each warms the caches and shows that both make the
    // same files.
    RunBlock(request);
    const auto byActions = Snapshot(target);
    EmptyFolder(target);
    RunPlainLoop(copies);
    const auto byLoop = Snapshot(target);
    if (byActions != byLoop)
        throw std::runtime_error("the two runs left different files in " + target);
    uint64_t copiedBytes = 0;
    for (const auto& [name, size] : byActions)
        copiedBytes += size;

    std::printf("tree: %zu files, %.1f MB; the block copies %zu times into %s (%zu files, "
                "%.1f MB)\n",
                tree.files, static_cast<double>(tree.bytes) / (1024 * 1024), copies.size(),
                request.LibDir.c_str(), byActions.size(),
                static_cast<double>(copiedBytes) / (1024 * 1024));
    std::printf("each run starts with %s\n",
                refill ? "the files of an earlier run in the target (--refill)"
                       : "an empty target folder");
    if (refill)
        refillFrom = &copies;

    if (mode != Mode::Compare) {
        if (mode == Mode::Phases)
            Phases(copies, target, rounds, request);
        for (int round = 0; mode != Mode::Phases && round < rounds; ++round) {
            const double ms = mode == Mode::OnlyActions
                                  ? TimeMs(target, [&] { RunBlock(request); })
                                  : TimeMs(target, [&] { RunPlainLoop(copies); });
            std::printf("round %d: %s %8.1f ms\n", round + 1,
                        mode == Mode::OnlyActions ? "actions" : "CopyFileW loop", ms);
        }
        EmptyFolder(target);
        RemoveTree(installDir);
        return 0;
    }
    std::vector<double> actions, loop;
    for (int round = 0; round < rounds; ++round) {
        auto a = [&] { actions.push_back(TimeMs(target, [&] { RunBlock(request); })); };
        auto b = [&] { loop.push_back(TimeMs(target, [&] { RunPlainLoop(copies); })); };
        if (round % 2 == 0) {
            a();
            b();
        } else {
            b();
            a();
        }
        std::printf("round %d: actions %8.1f ms   CopyFileW loop %8.1f ms\n", round + 1,
                    actions.back(), loop.back());
    }
    EmptyFolder(target);
    RemoveTree(installDir);

    const double ma = Median(actions), mb = Median(loop);
    std::printf("median of %d: (a) AllSourcesBlock actions %.1f ms, (b) CopyFileW loop %.1f ms\n",
                rounds, ma, mb);
    std::printf("ratio (a)/(b) = %.3f   target: at most 1.10 -> %s\n", ma / mb,
                ma / mb <= 1.10 ? "met" : "NOT met");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Mode mode = Mode::Compare;
    bool refill = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == L'-'; ++arg) {
        const std::wstring option = argv[arg];
        if (option == L"--phases")
            mode = Mode::Phases;
        else if (option == L"--only-actions")
            mode = Mode::OnlyActions;
        else if (option == L"--only-loop")
            mode = Mode::OnlyLoop;
        else if (option == L"--refill")
            refill = true;
        else {
            std::fprintf(stderr, "usage: vdx_bench_copy [--refill] [--phases | --only-actions | "
                                 "--only-loop] [rounds] [folder]\n");
            return 2;
        }
    }
    const int rounds = arg < argc ? std::max(1, _wtoi(argv[arg])) : 11;
    const std::string folder = arg + 1 < argc ? Narrow(argv[arg + 1]) : DefaultFolder();
    try {
        return Run(mode, refill, rounds, folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vdx_bench_copy: %s\n", e.what());
        return 1;
    }
}
