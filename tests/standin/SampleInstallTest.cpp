// The sample-installation builder: the folders and files it lays out, the
// markers it puts into package projects, and the mksample program.

#include "ProcessRun.h"
#include "SampleContent.h"
#include "SampleInstall.h"
#include "StandinTools.h"

#include "common/WinTestUtil.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace vdx::test {
namespace {

using namespace vdx::sample;

std::string StandinExe() {
    return BinaryDir() + "tools\\standin.exe";
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesW(Widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD Attributes(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str());
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SampleBuilder : public ::testing::Test {
protected:
    SampleOptions Options() {
        SampleOptions o;
        o.installDir = dir_ / "Verdex";
        o.writeRegistry = false;
        o.standinExe = StandinExe();
        return o;
    }
    ScratchDir dir_{"sample"};
};

TEST_F(SampleBuilder, GoldLayoutHoldsEverythingTheScriptsUse) {
    SampleOptions o = Options();
    o.libDirs = {"LibD28", "LibD28x64", "LibD16"};
    SampleInstall s = BuildSample(o);

    const std::string root = dir_ / "Verdex\\";
    EXPECT_EQ(s.installDir, root);
    for (const char* folder : {"Source", "Source\\ExportPack", "Source\\ExportPack\\FontPack",
                               "Source\\BDE", "Source\\ADO", "Source\\IBX", "Source\\DBX",
                               "Source\\FireDAC", "Source\\PDFView", "Source\\ClientServer",
                               "Mirel", "Lattix", "Res\\English", "Res\\German", "Res\\Japanese"})
        EXPECT_TRUE(IsFolder(root + folder)) << folder;
    for (const char* inc : {"Source\\vdx.inc", "Source\\tee.inc", "Mirel\\tee.inc",
                            "LibD28\\vdx.inc", "LibD28\\tee.inc", "LibD16x64\\tee.inc"}) {
        if (std::string(inc).rfind("LibD16x64", 0) == 0)
            EXPECT_FALSE(Exists(root + inc)) << "only the folders asked for are made";
        else
            EXPECT_TRUE(Exists(root + inc)) << inc;
    }
    // tee.inc as shipped: the version define first, comments after it.
    EXPECT_EQ(ReadFile(root + "Mirel\\tee.inc").rfind("{$DEFINE TeeChartStd}\r\n//", 0), 0u);
    EXPECT_EQ(ReadFile(root + "Source\\vdx.inc").rfind("//", 0), 0u);

    // Every package of the five sections, in every library folder.
    for (const auto& [lib, ver] : {std::pair{"LibD28", 28}, {"LibD28x64", 28}, {"LibD16", 16}}) {
        for (const std::string& pkg : AllPackages(ver))
            EXPECT_TRUE(Exists(root + lib + "\\" + pkg)) << lib << "\\" << pkg;
    }
    for (const char* pkg :
         {"LibD28\\ltx280.dpk", "LibD28\\dclltx280.dpk", "LibD28\\dclvdxIntIOBase28.dpk",
          "LibD16\\vdxcs16.dpk", "LibD28x64\\dclvdxIntIOIndy28.dpk", "LibD28\\vdxFIB28.dpk"})
        EXPECT_TRUE(Exists(root + pkg)) << pkg;
    EXPECT_EQ(SectionPackages("all", 28).size(), 45u);
    EXPECT_EQ(ReadFile(root + "LibD16\\vdx16.dpk").rfind("package vdx16;\r\n", 0), 0u);

    // Files the copy actions must leave behind.
    for (const char* f : {"Source\\vdxClass.bak", "Source\\vdxClass.dcu", "Source\\vdxClass.~pas",
                          "Source\\vdxPreview.cfg", "Source\\vdxClass.hpp", "Source\\build.bat",
                          "Source\\IBX\\vdxIBX.dcu", "Mirel\\mrMain.~pas", "Lattix\\ltxMain.bak"})
        EXPECT_TRUE(Exists(root + f)) << f;
    EXPECT_TRUE(Attributes(root + "Source\\vdxClassHidden.pas") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Attributes(root + "Source\\ADO\\vdxADOHidden.pas") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Attributes(root + "Source\\vdxSystem.pas") & FILE_ATTRIBUTE_SYSTEM);

    // The language folders: four XML files in UTF-8 and their units.
    for (const char* lang : {"English", "German", "Japanese"})
        for (std::string_view f : ResourceFiles) {
            EXPECT_TRUE(Exists(root + "Res\\" + lang + "\\" + std::string(f) + ".xml"));
            EXPECT_TRUE(Exists(root + "Res\\" + lang + "\\" + std::string(f) + ".pas"));
        }
    EXPECT_TRUE(Contains(ReadFile(root + "Res\\German\\vdxrcDesgn.xml"), "Bericht öffnen..."));
    EXPECT_TRUE(Contains(ReadFile(root + "Res\\Japanese\\vdxrcClass.xml"), "レポート"));
    EXPECT_TRUE(Contains(ReadFile(root + "Res\\English\\vdxrcClass.xml"), "Don't"));
    EXPECT_TRUE(Contains(ReadFile(root + "Res\\German\\vdxrcInsp.pas"), "Language=\"German\""));
    EXPECT_FALSE(Exists(root + "Res\\vdrc.exe"));

    // Environments with their tools and the package folders.
    ASSERT_EQ(s.environments.size(), 2u);
    const std::string env28 = dir_ / "Program Files\\IDE\\Delphi28";
    EXPECT_EQ(s.EnvironmentRoot(28), env28);
    EXPECT_EQ(s.EnvironmentRoot(16), dir_ / "Program Files\\IDE\\Delphi16");
    EXPECT_EQ(s.EnvironmentRoot(27), "");
    for (const char* f :
         {"\\Bin\\dcc32.exe", "\\Bin\\dcc64.exe", "\\Bin\\bpr2mak.exe", "\\Bin\\make.exe"})
        EXPECT_TRUE(Exists(env28 + f)) << f;
    EXPECT_TRUE(IsFolder(env28 + "\\Projects\\Bpl"));
    EXPECT_TRUE(IsFolder(env28 + "\\Projects\\Lib"));
    const std::string common = dir_ / "Public Documents";
    EXPECT_EQ(s.commonDocumentsDir, common);
    EXPECT_EQ(s.userDocumentsDir, dir_ / "My Documents");
    for (const char* f : {"\\RAD Studio\\22.0\\BPL\\Win32", "\\RAD Studio\\22.0\\BPL\\Win64",
                          "\\RAD Studio\\22.0\\DCP\\Win32", "\\RAD Studio\\22.0\\DCP\\Win64",
                          "\\RAD Studio\\9.0\\BPL\\Win32", "\\RAD Studio\\9.0\\DCP\\Win64"})
        EXPECT_TRUE(IsFolder(common + f)) << f;
}

TEST_F(SampleBuilder, EditionDecidesTheSourceFolders) {
    struct Case {
        Edition edition;
        bool source;
        bool clientServer;
    };
    for (const Case& c : {Case{Edition::Gold, true, true}, Case{Edition::Silver, true, false},
                          Case{Edition::Copper, false, false}}) {
        SCOPED_TRACE(static_cast<int>(c.edition));
        RemoveTree(dir_ / "Verdex");
        SampleOptions o = Options();
        o.edition = c.edition;
        o.standinExe.clear();
        BuildSample(o);
        EXPECT_EQ(IsFolder(dir_ / "Verdex\\Source"), c.source);
        EXPECT_EQ(IsFolder(dir_ / "Verdex\\Source\\ClientServer"), c.clientServer);
        EXPECT_TRUE(Exists(dir_ / "Verdex\\Mirel\\tee.inc"));
        EXPECT_TRUE(Exists(dir_ / "Verdex\\LibD28\\vdx28.dpk"));
        // Without a stand-in the environment has its folders but no tools.
        EXPECT_TRUE(IsFolder(dir_ / "Program Files\\IDE\\Delphi28\\Bin"));
        EXPECT_FALSE(Exists(dir_ / "Program Files\\IDE\\Delphi28\\Bin\\dcc32.exe"));
    }
}

TEST_F(SampleBuilder, MarkersMakeTheChosenPackagesFail) {
    SampleOptions o = Options();
    o.libDirs = {"LibD28", "LibD28x64"};
    o.markers = {{"dcl*.dpk", "error"}, {"LibD28x64\\vdx28.dpk", "fatal"}};
    o.cppProject = true;
    SampleInstall s = BuildSample(o);
    std::string dcc32 = "\"" + s.EnvironmentRoot(28) + "\\Bin\\dcc32.exe\" ";
    auto compile = [&](const std::string& lib, const std::string& pkg) {
        return RunProcess(dcc32 + pkg, s.installDir + lib, dir_.Path());
    };

    EXPECT_EQ(compile("LibD28", "vdx28.dpk").exitCode, 0u);
    ProcessResult r = compile("LibD28", "dclvdx28.dpk");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_TRUE(Contains(r.out, "dclvdx28.dpk(3) Error: E2003")) << r.out;
    r = compile("LibD28x64", "vdx28.dpk");
    EXPECT_TRUE(Contains(r.out, "vdx28.dpk(3) Fatal: F1026")) << r.out;
    EXPECT_EQ(compile("LibD28x64", "vdxe28.dpk").exitCode, 0u);

    EXPECT_TRUE(Exists(s.installDir + "LibD28\\vdxcb28.bpk"));
    r = RunProcess("\"" + s.EnvironmentRoot(28) + "\\Bin\\bpr2mak.exe\" vdxcb28.bpk",
                   s.installDir + "LibD28", dir_.Path());
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_TRUE(Exists(s.installDir + "LibD28\\vdxcb28.mak"));
}

TEST_F(SampleBuilder, RefusesMalformedOptions) {
    SampleOptions o = Options();
    o.libDirs = {"LibD13"};
    EXPECT_THROW(BuildSample(o), std::invalid_argument);
    o.libDirs = {"Lib28"};
    EXPECT_THROW(BuildSample(o), std::invalid_argument);
    o.libDirs = {"LibD28"};
    o.compilers = {8};
    EXPECT_THROW(BuildSample(o), std::invalid_argument);
    o.installDir.clear();
    o.compilers.clear();
    EXPECT_THROW(BuildSample(o), std::invalid_argument);
}

TEST_F(SampleBuilder, CommandLineProgramLaysOutTheSample) {
    const std::string vdrc = dir_ / "vdrc-stand-in.exe";
    WriteFile(vdrc, "MZ not really a program");
    const std::string cmd = "\"" + BinaryDir() + "tools\\mksample.exe\" \"" + (dir_ / "My Lib") +
                            "\" --edition silver --libd LibD27,LibD27x64 --lang English,Russian "
                            "--env-dir \"" +
                            (dir_ / "envs") + "\" --no-registry --vdrc \"" + vdrc +
                            "\" --marker dclvdx27.dpk=hint";
    ProcessResult r = RunProcess(cmd, dir_.Path(), dir_.Path());
    ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
    EXPECT_EQ(r.out, "installation: " + (dir_ / "My Lib\\") + "\r\ndelphi27: " +
                         (dir_ / "envs\\Delphi27") + "\r\nPersonal: " + (dir_ / "My Documents") +
                         "\r\nCommon Documents: " + (dir_ / "Public Documents") +
                         "\r\nregistry: not written\r\n");
    const std::string root = dir_ / "My Lib\\";
    EXPECT_TRUE(IsFolder(root + "Source"));
    EXPECT_FALSE(IsFolder(root + "Source\\ClientServer"));
    EXPECT_TRUE(Exists(root + "LibD27x64\\dclvdx27.dpk"));
    EXPECT_TRUE(Contains(ReadFile(root + "LibD27\\dclvdx27.dpk"), "\r\n//standin: hint\r\n"));
    EXPECT_FALSE(Contains(ReadFile(root + "LibD27\\vdx27.dpk"), "standin:"));
    EXPECT_EQ(ReadFile(root + "Res\\vdrc.exe"), "MZ not really a program");
    EXPECT_TRUE(Contains(ReadFile(root + "Res\\Russian\\vdxrcInsp.xml"), "Свойства"));
    EXPECT_FALSE(IsFolder(root + "Res\\German"));
    EXPECT_TRUE(Exists(dir_ / "envs\\Delphi27\\Bin\\make.exe"));
    EXPECT_TRUE(IsFolder(dir_ / "Public Documents\\RAD Studio\\21.0\\DCP\\Win64"));

    r = RunProcess("\"" + BinaryDir() + "tools\\mksample.exe\" x --edition platinum", dir_.Path(),
                   dir_.Path());
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_TRUE(Contains(r.err, "unknown edition platinum")) << r.err;
}

} // namespace
} // namespace vdx::test
