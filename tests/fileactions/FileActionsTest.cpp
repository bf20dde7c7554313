#include "common/WinTestUtil.h"
#include "engine/FileActions.h"
#include "support/Errors.h"
#include "support/platform/FileIo.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

using namespace vdx;
using vdx::test::ScratchDir;
using Names = std::set<std::string>;

namespace {

// Every entry of a folder, hidden ones included ("name/" for folders).
Names Entries(const std::string& folder) {
    Names names;
    WIN32_FIND_DATAW fd;
    UniqueFind h(FindFirstFileW(WidePath(DirWithDelimiter(folder) + "*").c_str(), &fd));
    if (!h)
        return names;
    do {
        std::string n = Narrow(fd.cFileName);
        if (n != "." && n != "..")
            names.insert((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? n + "/" : n);
    } while (FindNextFileW(h.get(), &fd));
    return names;
}

// An installation folder with a source folder holding every kind of file the
// scripts deal with, and an empty library folder.
class FileActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        request.InstallDir = dir.Path();
        test::MakeDir(dir / "Source");
        test::MakeDir(dir / "LibD28");
        WriteSources();
        test::WriteFile(dir / "Source\\hidden.pas", "hidden");
        test::SetAttributes(dir / "Source\\hidden.pas", FILE_ATTRIBUTE_HIDDEN);
        test::MakeDir(dir / "Source\\ClientServer");
        test::WriteFile(dir / "Source\\ClientServer\\cs.pas", "cs");
    }

    void WriteSources() {
        for (const char* name :
             {"vdx.pas", "vdxForm.dfm", "vdx.inc", "vdx28.dpk", "u.bak", "u.~pas", "p.cfg",
              "p.dof",   "p.dsk",       "p.ddp",   "h.hpp",     "o.obj", "e.exe",  "l.dll",
              "u.dcu",   "u.dpu",       "p.dcp",   "p.dpl",     "p.bpl", "p.bpi",  "run.bat"})
            test::WriteFile(dir / "Source\\" + name, name);
    }

    void Copy(const std::string& attrs) {
        TvdxXMLItem action;
        action.Name = "action";
        action.AttrText = "name=\"copy\" " + attrs;
        CopyAction(action, request);
    }
    void Delete(const std::string& attrs) {
        TvdxXMLItem action;
        action.Name = "action";
        action.AttrText = "name=\"delete\" " + attrs;
        DeleteAction(action, request);
    }

    ScratchDir dir{"install"};
    BuildRequest request;
    const Names allSources{"vdx.pas", "vdxForm.dfm", "vdx.inc",      "vdx28.dpk", "u.bak",
                           "u.~pas",  "p.cfg",       "p.dof",        "p.dsk",     "p.ddp",
                           "h.hpp",   "o.obj",       "e.exe",        "l.dll",     "u.dcu",
                           "u.dpu",   "p.dcp",       "p.dpl",        "p.bpl",     "p.bpi",
                           "run.bat", "hidden.pas",  "ClientServer/"};
};

} // namespace

TEST_F(FileActionsTest, CopyAllExceptWithBackupAndHeaderMasksKeepsTheSourceIntact) {
    Copy(R"(from="Source" to="LibD28" kind="allexcept" delbackup="yes" delhppobj="YES" )"
         R"(files="*.exe *.dll *.dcu *.dpu *.obj *.dcp *.dpl *.bpl *.bpi *.bat")");
    EXPECT_EQ(Entries(dir / "LibD28"), (Names{"vdx.pas", "vdxForm.dfm", "vdx.inc", "vdx28.dpk"}));
    EXPECT_EQ(test::ReadFile(dir / "LibD28\\vdx.pas"), "vdx.pas");
    EXPECT_EQ(Entries(dir / "Source"), allSources); // nothing deleted anywhere
}

TEST_F(FileActionsTest, CopyKinds) {
    struct Case {
        const char* attrs;
        Names expected;
    };
    const Case cases[] = {
        {R"(kind="selected" files="*.pas *.bak" delbackup="Yes")", {"vdx.pas"}},
        {R"(kind="selected" files="*.pas *.bak" delbackup="no")", {"vdx.pas", "u.bak"}},
        {R"(kind="selected" files="*.hpp *.obj *.pas" delhppobj="yes")", {"vdx.pas"}},
        {R"(kind="Selected" files="vdx.*")", {"vdx.pas", "vdx.inc"}},
        {R"(kind="ALL" delbackup="yes" delhppobj="yes")",
         {"vdx.pas", "vdxForm.dfm", "vdx.inc", "vdx28.dpk", "e.exe", "l.dll", "u.dcu", "u.dpu",
          "p.dcp", "p.dpl", "p.bpl", "p.bpi", "run.bat"}},
        {R"(kind="allexcept" files="*.*")", {}},
        {R"(kind="copy" files="*.*")", {}},
        {R"(files="*.*")", {}},
        {R"(kind="selected" files="")", {}},
    };
    for (const Case& c : cases) {
        test::RemoveTree(dir / "LibD28");
        test::MakeDir(dir / "LibD28");
        Copy(std::string(R"(from="Source" to="LibD28" )") + c.attrs);
        EXPECT_EQ(Entries(dir / "LibD28"), c.expected) << c.attrs;
    }
}

TEST_F(FileActionsTest, CopyFolderSpellingsAndMissingFolders) {
    Copy(R"(from="Source\" to="LibD28\" kind="selected" files="vdx.pas")");
    Copy(R"(from="Source" to="LibD28" kind="selected" files="vdx.inc")");
    EXPECT_EQ(Entries(dir / "LibD28"), (Names{"vdx.pas", "vdx.inc"}));

    // Missing target or source folder: nothing happens, nothing is created.
    EXPECT_NO_THROW(Copy(R"(from="Source" to="LibD99" kind="all")"));
    EXPECT_FALSE(test::Exists(dir / "LibD99"));
    EXPECT_NO_THROW(Copy(R"(from="Missing" to="LibD28" kind="all")"));
    EXPECT_EQ(Entries(dir / "LibD28"), (Names{"vdx.pas", "vdx.inc"}));
}

TEST_F(FileActionsTest, CopyOntoTheSameFolderIsSkipped) {
    // A read-only file would make a copy onto itself fail; a skipped action
    // touches nothing.
    test::SetAttributes(dir / "Source\\vdx.pas", FILE_ATTRIBUTE_READONLY);
    for (const char* attrs :
         {R"(from="Source" to="source\" kind="all")", R"(from="Source/" to="SOURCE" kind="all")",
          R"(from="" to="" kind="all")"})
        EXPECT_NO_THROW(Copy(attrs)) << attrs;
    EXPECT_EQ(Entries(dir / "Source"), allSources);
    EXPECT_EQ(test::ReadFile(dir / "Source\\vdx.pas"), "vdx.pas");
}

TEST_F(FileActionsTest, CopyErrorEndsTheActionAndReplacesNewerTargets) {
    test::WriteFile(dir / "LibD28\\vdx.inc", "newer, replaced");
    test::WriteFile(dir / "LibD28\\vdx.pas", "read-only target");
    test::SetAttributes(dir / "LibD28\\vdx.pas", FILE_ATTRIBUTE_READONLY);
    try {
        Copy(R"(from="Source" to="LibD28" kind="selected" files="vdx.inc vdx.pas vdx28.dpk")");
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Cannot create file \"" + dir.Path() + "LibD28\\vdx.pas\". ", 0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(test::ReadFile(dir / "LibD28\\vdx.inc"), "vdx.inc");
    EXPECT_EQ(test::ReadFile(dir / "LibD28\\vdx.pas"), "read-only target");
    EXPECT_FALSE(test::Exists(dir / "LibD28\\vdx28.dpk"));
}

TEST_F(FileActionsTest, DeleteKinds) {
    struct Case {
        const char* attrs;
        Names kept; // besides the hidden file and the sub-folder
    };
    const Names visible{"vdx.pas", "vdxForm.dfm", "vdx.inc", "vdx28.dpk", "u.bak", "u.~pas",
                        "p.cfg",   "p.dof",       "p.dsk",   "p.ddp",     "h.hpp", "o.obj",
                        "e.exe",   "l.dll",       "u.dcu",   "u.dpu",     "p.dcp", "p.dpl",
                        "p.bpl",   "p.bpi",       "run.bat"};
    const Case cases[] = {
        {R"(kind="all")", {}},
        {R"(kind="selected" files="*.dcu *.dpu" delbackup="no" delhppobj="no")",
         [&] {
             Names n = visible;
             n.erase("u.dcu");
             n.erase("u.dpu");
             return n;
         }()},
        // The backup, header and object masks go even when the exceptions kept them.
        {R"(kind="allexcept" files="*.pas *.d* *.bak *.hpp" delbackup="YES" delhppobj="yes")",
         {"vdx.pas", "vdxForm.dfm", "vdx28.dpk", "u.dcu", "u.dpu", "p.dcp", "p.dpl", "l.dll"}},
        {R"(kind="AllExcept" files="*.pas  *.pas")", {"vdx.pas"}},
        {R"(kind="none" delbackup="yes")",
         {"vdx.pas", "vdxForm.dfm", "vdx.inc", "vdx28.dpk", "h.hpp", "o.obj", "e.exe", "l.dll",
          "u.dcu", "u.dpu", "p.dcp", "p.dpl", "p.bpl", "p.bpi", "run.bat"}},
    };
    for (const Case& c : cases) {
        WriteSources();
        Delete(std::string(R"(from="Source\" )") + c.attrs);
        Names expected = c.kept;
        expected.insert({"hidden.pas", "ClientServer/"});
        EXPECT_EQ(Entries(dir / "Source"), expected) << c.attrs;
        EXPECT_EQ(test::ReadFile(dir / "Source\\ClientServer\\cs.pas"), "cs");
    }
}

TEST_F(FileActionsTest, DeleteLeavesFilesItCannotDeleteAndNamesTheInstallFolderWhenEmpty) {
    test::WriteFile(dir / "LibD28\\vdxChart.dcu", "");
    test::WriteFile(dir / "LibD28\\vdxChartEdit.dcu", "");
    test::WriteFile(dir / "LibD28\\vdxChart.pas", "");
    test::WriteFile(dir / "LibD28\\vdxChartRO.dcu", "");
    test::SetAttributes(dir / "LibD28\\vdxChartRO.dcu", FILE_ATTRIBUTE_READONLY);
    EXPECT_NO_THROW(Delete(R"(from="LibD28" kind="selected" files="vdxChart*.dcu")"));
    EXPECT_EQ(Entries(dir / "LibD28"), (Names{"vdxChart.pas", "vdxChartRO.dcu"}));

    test::WriteFile(dir / "recompile.log", "old log");
    Delete(R"(from="" kind="selected" files="recompile.log")");
    EXPECT_FALSE(test::Exists(dir / "recompile.log"));
    EXPECT_TRUE(test::Exists(dir / "Source\\vdx.pas"));
}
