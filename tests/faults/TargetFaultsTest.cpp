// Targets the wizard cannot replace: read-only files and files in use (held
// open by another program, as a loaded package is) in the library folder,
// the deployment folders and the system folder. The real window runs the
// real driver on a sample installation; each fault must end the request with
// its message in the error box, keep the target as it was, leave no
// temporary file, and a following request must run clean once the fault is
// gone.

#include "FaultWizard.h"

#include "engine/DriverTexts.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vdx;
using namespace vdx::test;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

namespace {

sample::SampleOptions GoldLibD28() {
    sample::SampleOptions o;
    o.libDirs = {"LibD28"};
    o.compilers = {28};
    o.edition = sample::Edition::Gold;
    o.languages = {"English", "German"};
    return o;
}

// Held open for reading and writing by someone who lets others read and
// write but not delete or rename it: a package loaded by a program, a unit
// open in an editor.
UniqueFile HoldOpen(const std::string& path) {
    UniqueFile f(CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f)
        throw std::runtime_error("test: cannot hold " + path);
    return f;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::vector<std::string> ErrorLines(const std::vector<std::string>& log) {
    std::vector<std::string> out;
    for (const std::string& line : log)
        if (line.find(" error: ") != std::string::npos ||
            line.find("not compiled") != std::string::npos)
            out.push_back(line);
    return out;
}

} // namespace

TEST(TargetFaults, ATargetThatCannotBeReplacedEndsTheRequestWithItsMessage) {
    FaultWizard w(GoldLibD28());
    const std::string lib = w.InstallDir() + "LibD28\\";
    const std::string bpl = w.install.commonDocumentsDir + "\\RAD Studio\\22.0\\BPL\\Win32\\";
    enum class Fault { ReadOnly, InUse };
    enum class Task { Language, Tee, Fib };
    struct Case {
        std::string what;
        Task task;
        std::string target;
        Fault fault;
    };
    const Case cases[] = {
        {"library folder: unit in use", Task::Language, lib + "vdxrcClass.pas", Fault::InUse},
        {"library folder: include file read-only", Task::Fib, lib + "vdx.inc", Fault::ReadOnly},
        {"library folder: include file of the TeeChart task read-only", Task::Tee,
         w.InstallDir() + "Mirel\\tee.inc", Fault::ReadOnly},
        {"deployment folder: package read-only", Task::Fib, bpl + "vdxFIB28.bpl", Fault::ReadOnly},
        {"deployment folder: package in use", Task::Fib, bpl + "vdxFIB28.bpl", Fault::InUse},
        {"system folder: package read-only", Task::Fib, w.systemDir + "\\vdxFIB28.bpl",
         Fault::ReadOnly},
        {"system folder: package in use", Task::Fib, w.systemDir + "\\vdxFIB28.bpl", Fault::InUse},
    };
    TMainForm& form = w.Open();
    w.Pick(form.LanguageCB, "German");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        (c.task == Task::Language ? form.LanguageRB
         : c.task == Task::Tee    ? form.TeeRB
                                  : form.FIBRB)
            .Click();
        std::string old = "old content of " + c.target + "\r\n";
        WriteFile(c.target, old);
        UniqueFile held;
        if (c.fault == Fault::ReadOnly)
            SetAttributes(c.target, FILE_ATTRIBUTE_READONLY);
        else
            held = HoldOpen(c.target);

        w.Compile();

        std::vector<std::string> shown = w.TakeBoxes();
        ASSERT_EQ(shown.size(), 1u) << testing::PrintToString(shown);
        EXPECT_THAT(shown[0],
                    StartsWith(w.app.Title() + "|Cannot create file \"" + c.target + "\". "));
        EXPECT_THAT(w.Log(), Not(Contains("Done")));
        EXPECT_TRUE(form.CompileB.Enabled());
        EXPECT_FALSE(form.RequestRunning());
        held.reset();
        SetAttributes(c.target, FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFile(c.target), old) << "the target is kept as it was";
        EXPECT_THAT(TempFiles(FolderOf(c.target)), ElementsAre());
        EXPECT_THAT(TempFiles(w.InstallDir()), ElementsAre());

        // With the fault gone the same request runs clean and replaces it.
        w.Compile();
        EXPECT_THAT(w.Log(), Contains("Done"));
        EXPECT_THAT(ErrorLines(w.Log()), ElementsAre())
            << "recompile.log:\n"
            << ReadFile(w.InstallDir() + "recompile.log");
        EXPECT_THAT(w.TakeBoxes(), ElementsAre(std::string(InformationCaption) + "|" +
                                               EndText(w.InstallDir(), "LibD28")));
        std::string now = ReadFile(c.target);
        EXPECT_NE(now, old);
        EXPECT_FALSE(now.empty());
    }
}

// A package output that is read-only (unpacked from a read-only medium, say)
// is set aside while the compiler runs; afterwards neither it nor its backup
// may stay behind, and the next build must work the same way.
TEST(TargetFaults, AReadOnlyPackageOutputIsReplacedWithoutLeavingItsBackup) {
    FaultWizard w(GoldLibD28());
    const std::string lib = w.InstallDir() + "LibD28\\";
    TMainForm& form = w.Open();
    form.FIBRB.Click();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        WriteFile(lib + "vdxFIB28.bpl", "old package\r\n");
        SetAttributes(lib + "vdxFIB28.bpl", FILE_ATTRIBUTE_READONLY);
        w.Compile();
        EXPECT_THAT(w.Log(), Contains("vdxFIB28.dpk compiled"));
        EXPECT_EQ(w.Log().back(), "Done");
        EXPECT_THAT(ErrorLines(w.Log()), ElementsAre());
        EXPECT_THAT(ReadFile(lib + "vdxFIB28.bpl"), HasSubstr("made by dcc32"));
        EXPECT_FALSE(Exists(lib + "vdxFIB28.bpl.bak"));
        w.TakeBoxes();
    }
}
