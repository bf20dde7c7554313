// The real recompile.exe, run hidden on a sample installation, ended by force
// (TerminateProcess, as the task manager or a power cut would) while it
// writes: once while it copies the language units into the library folder,
// once while it edits an include file. Afterwards every file is either the
// old or the new one, never cut short; no temporary file is left, hidden or
// not; and a following request runs clean. Uses the wizard's real settings
// key, so it runs alone.

#include "FaultWizard.h"

#include "engine/IncludeEdits.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include "SampleContent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

using namespace vdx;
using namespace vdx::test;
using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

constexpr unsigned long long kMiB = 1ull << 20;

sample::SampleOptions Sample() {
    sample::SampleOptions o;
    o.libDirs = {"LibD28"};
    o.compilers = {28};
    o.edition = sample::Edition::Gold;
    o.languages = {"English", "German"};
    o.wizardExe = BinaryDir() + "recompile\\recompile.exe";
    return o;
}

// A text of about `size` bytes in lines of Pascal comments.
std::string BigText(std::string_view tag, size_t size) {
    std::string line = "// " + std::string(tag) + " ";
    line.resize(98, '.');
    line += "\r\n";
    std::string text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    return text;
}

// A temporary file of the wizard in `folder`, or in a temporary folder of its
// there, that is being written: more than a MiB in it, not yet all of its
// `size` bytes.
bool TempFileBeingWritten(const std::string& folder, unsigned long long size) {
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(WidePath(folder + "~vdx*.tmp").c_str(), &fd));
    if (!find)
        return false;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (TempFileBeingWritten(folder + Narrow(fd.cFileName) + "\\", size))
                return true;
            continue;
        }
        auto now = static_cast<unsigned long long>(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow;
        if (now > kMiB && now < size)
            return true;
    } while (FindNextFileW(find.get(), &fd));
    return false;
}

// Starts the wizard hidden with the language argument, waits until a file of
// `size` bytes is being written into `folder`, and ends the wizard there and
// then. Returns false when the wizard ended before that.
bool KillWhileWriting(const std::string& installDir, const std::string& folder,
                      unsigned long long size) {
    std::wstring cmd = L"\"" + Widen(installDir) + L"recompile.exe\" German";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Widen(installDir).c_str(), &si, &pi))
        throw std::runtime_error("test: cannot start the wizard");
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    bool caught = false;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!caught && std::chrono::steady_clock::now() < end &&
           WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT)
        caught = TempFileBeingWritten(folder, size);
    TerminateProcess(process.get(), 99);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return caught && code == 99;
}

// The temporary files of a folder once the ended process has let go of them.
std::vector<std::string> TempFilesAfterKill(const std::string& folder) {
    for (int i = 0; i < 100 && !TempFiles(folder).empty(); ++i)
        Sleep(20);
    return TempFiles(folder);
}

std::vector<std::string> AllCompiled(std::string_view section) {
    std::vector<std::string> lines;
    for (const std::string& p : sample::SectionPackages(section, 28))
        lines.push_back(p + " compiled");
    lines.push_back("Done");
    return lines;
}

} // namespace

TEST(KillFaults, KilledWhileCopyingTheLanguageUnits) {
    RealSettings settings; // none stored: the wizard takes its first choices
    FaultWizard w(Sample());
    const std::string res = w.InstallDir() + "Res\\German\\";
    const std::string lib = w.InstallDir() + "LibD28\\";
    // A large unit makes the copy take long enough to be interrupted; each
    // unit has an older version in the library folder.
    const std::string big = BigText("new", 64 * kMiB);
    WriteFile(res + "vdxrcBig.pas", big);
    std::vector<std::string> units = VisibleFiles(res);
    std::erase_if(units, [](const std::string& n) { return !n.ends_with(".pas"); });
    ASSERT_EQ(units.size(), 5u);
    for (const std::string& unit : units)
        WriteFile(lib + unit, "old version of " + unit + "\r\n");
    const std::vector<std::string> before = VisibleFiles(lib);

    ASSERT_TRUE(KillWhileWriting(w.InstallDir(), lib, big.size()))
        << "the copy ended before it was caught";

    // The unfinished copy stays in the wizard's hidden temporary folder,
    // where no mask operation looks; the next copy into the folder removes it.
    for (const std::string& temp : TempFilesAfterKill(lib))
        EXPECT_NE(temp.find('/'), std::string::npos) << temp << " outside a temporary folder";
    int replaced = 0;
    for (const std::string& unit : units) {
        SCOPED_TRACE(unit);
        const std::string now = ReadFile(lib + unit);
        const bool isNew = now == ReadFile(res + unit);
        EXPECT_TRUE(isNew || now == "old version of " + unit + "\r\n") << now.size() << " bytes";
        replaced += isNew;
    }
    EXPECT_LT(replaced, 5) << "killed while a copy was under way";
    EXPECT_EQ(VisibleFiles(lib), before) << "no file lost, no other file appeared";

    // The next request copies everything and builds.
    TMainForm& form = w.Open();
    w.Pick(form.LanguageCB, "German");
    w.Compile();
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("language")));
    for (const std::string& unit : units)
        EXPECT_EQ(ReadFile(lib + unit), ReadFile(res + unit)) << unit;
    EXPECT_THAT(TempFiles(lib), ElementsAre());
}

TEST(KillFaults, KilledWhileEditingAnIncludeFile) {
    RealSettings settings;
    FaultWizard w(Sample());
    const std::string source = w.InstallDir() + "Source\\";
    const std::string include = source + "vdx.inc";
    // vdx.inc as shipped, grown large; the edit puts the LATTIX define first.
    const std::string old = sample::VdxInclude() + BigText("switch", 32 * kMiB);
    WriteFile(include, old);
    Lines lines = SplitLines(old);
    ApplyLattixDefine(lines);
    const std::string edited = JoinLines(lines);
    const std::vector<std::string> before = VisibleFiles(source);

    ASSERT_TRUE(KillWhileWriting(w.InstallDir(), source, edited.size()))
        << "the edit ended before it was caught";

    EXPECT_THAT(TempFilesAfterKill(source), ElementsAre());
    const std::string now = ReadFile(include);
    EXPECT_TRUE(now == old || now == edited) << now.size() << " bytes, neither old nor edited";
    EXPECT_EQ(VisibleFiles(source), before);

    // The next request edits it and builds.
    TMainForm& form = w.Open();
    form.FIBRB.Click();
    w.Compile();
    EXPECT_THAT(w.Log(), ElementsAreArray(AllCompiled("fib")));
    EXPECT_EQ(ReadFile(include), edited);
    EXPECT_THAT(TempFiles(source), ElementsAre());
}
