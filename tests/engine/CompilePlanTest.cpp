#include "engine/CompilePlan.h"

#include <gtest/gtest.h>

using namespace vdx;

namespace {

// The request of the worked example: Gold, delphi16 installed in C:\RS,
// TeeChart9 with C:\Tee, 32 bits, no debug information.
BuildRequest ExampleRequest() {
    BuildRequest r;
    r.InstallDir = "C:\\Pkg\\";
    r.InstalledCompilers = {"delphi7=C:\\D7", "delphi9=C:\\D9", "delphi16=C:\\RS",
                            "delphi28=C:\\RS11"};
    r.SystemDir = "C:\\Windows\\system32";
    r.UserDocumentsDir = "C:\\Users\\me\\Documents";
    r.CommonDocumentsDir = "C:\\Users\\Public\\Documents";
    r.CompilerIndex = 7;
    r.Edition = "Gold";
    r.TeePath = "C:\\Tee";
    r.TeePathEnabled = true;
    r.Task = TaskKind::All;
    r.Ver = "16";
    r.VerC = "16";
    r.LibDir = "LibD16";
    r.TeeName = "TeeChart9";
    return r;
}

CompileElement Element(std::string file, std::string compiler = "delphi16",
                       std::string sysdir = "yes") {
    return {std::move(file), std::move(compiler), std::move(sysdir), ""};
}

// The second line of the Delphi batch.
std::string ToolLine(const CompilePlan& plan) {
    const std::string& text = plan.BuildBatch.Text;
    return text.substr(text.find("\r\n") + 2);
}

const std::string Ns = std::string(NamespaceSwitch);

} // namespace

TEST(CompilePlan, WorkedExampleIsWrittenByteForByte) {
    auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk"), ExampleRequest());
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->BuildBatch.Text,
              "cd /d \"C:\\Pkg\\LibD16\\\"\r\n"
              "\"C:\\RS\\Bin\\dcc32.exe\" vdx16.dpk -M -Z -$D- -JPHNE -JL "
              "-NSSystem;Xml;Data;Datasnap;Web;Soap;Winapi;System.Win;Data.Win;Datasnap.Win;"
              "Web.Win;Soap.Win;Xml.Win;Bde;Vcl;Vcl.Imaging;Vcl.Touch;Vcl.Samples;Vcl.Shell;VclTee"
              " -U\"C:\\Tee\" -I\"C:\\Tee\" -R\"C:\\Tee\" -DTeeChart9;LATTIX");
    EXPECT_TRUE(plan->BuildBatch.Environment.empty());
    EXPECT_EQ(plan->Id, "delphi16");
    EXPECT_EQ(plan->PackageFolder, "C:\\Pkg\\LibD16\\");
    EXPECT_EQ(plan->PackageName, "vdx16.dpk");
    EXPECT_EQ(plan->PackageOutput, "C:\\Pkg\\LibD16\\vdx16.bpl");
    EXPECT_EQ(plan->MakeFile, "C:\\Pkg\\LibD16\\vdx16.mak");
    EXPECT_EQ(plan->LattixIncludes,
              (std::vector<std::string>{"C:\\Pkg\\Source\\vdx.inc", "C:\\Pkg\\LibD16\\vdx.inc"}));
    EXPECT_EQ(plan->Tools, std::vector<std::string>{"C:\\RS\\Bin\\dcc32.exe"});
    EXPECT_EQ(plan->Deploy.Copies,
              (std::vector<DeployCopy>{
                  {"C:\\Users\\Public\\Documents\\RAD Studio\\9.0\\BPL\\Win32", "*.bpl"},
                  {"C:\\Users\\Public\\Documents\\RAD Studio\\9.0\\DCP\\Win32", "*.dcp"}}));
    EXPECT_FALSE(plan->Deploy.DeleteTds);
    EXPECT_EQ(plan->SystemCopyTarget, "C:\\Windows\\system32\\vdx16.bpl");
}

TEST(CompilePlan, GroupRulesDecideWhetherAPackageIsBuilt) {
    struct Case {
        std::string file, id;
        bool bde, fireDac, x64, built;
    };
    const Case cases[] = {
        // BDE: only from delphi21 on, only on request, never 64-bit.
        {"LibD20\\vdxBDE20.dpk", "delphi20", false, false, false, true},
        {"LibD20x64\\vdxBDE20.dpk", "delphi20", false, false, true, true},
        {"LibD21\\vdxBDE21.dpk", "delphi21", false, false, false, false},
        {"LibD21\\vdxBDE21.dpk", "delphi21", true, false, false, true},
        {"LibD21x64\\vdxBDE21.dpk", "delphi21", true, false, true, false},
        {"LibD28\\vdxbde28.dpk", "delphi28", false, false, false, true}, // "BDE" is case-sensitive
        // FireDAC: from delphi18 on, only on request, both platforms.
        {"LibD17\\vdxFD17.dpk", "delphi17", false, false, false, true},
        {"LibD18\\vdxFD18.dpk", "delphi18", false, false, false, false},
        {"LibD18x64\\vdxFD18.dpk", "delphi18", false, true, true, true},
        {"LibD28\\vdxFD28.dpk", "DELPHI28", false, true, false, true},
        // Design-time: from delphi16 on, never 64-bit; the folder part counts.
        {"LibD16x64\\dclvdx16.dpk", "delphi16", false, false, true, false},
        {"LibD16\\dclvdx16.dpk", "delphi16", false, false, false, true},
        {"LibD15\\dclvdx15.dpk", "delphi15", false, false, true, true},
        {"dcl\\vdx16.dpk", "delphi16", false, false, true, false},
        // C++Builder ids are in no group.
        {"LibD28\\vdxBDE28.bpk", "c++28", false, false, true, true},
    };
    for (const Case& c : cases) {
        BuildRequest r = ExampleRequest();
        r.WithBde = c.bde;
        r.WithFireDac = c.fireDac;
        r.Platform64 = c.x64;
        EXPECT_EQ(MakeCompilePlan(Element(c.file, c.id), r).has_value(), c.built)
            << c.file << " " << c.id;
    }
}

TEST(CompilePlan, SwitchGroupsByCompiler) {
    const std::vector<std::string> ids = {"delphi7",  "delphi9",  "delphi10", "delphi11",
                                          "delphi12", "delphi14", "delphi15", "delphi16",
                                          "delphi17", "delphi21", "delphi27", "delphi28"};
    for (const std::string& id : ids) {
        BuildRequest r = ExampleRequest();
        r.InstalledCompilers = {id + "=C:\\E"};
        std::string line = ToolLine(*MakeCompilePlan(Element("LibD16\\vdx16.dpk", id), r));
        int n = std::stoi(id.substr(6));
        EXPECT_EQ(line.find(" -JPHNE -JL") != std::string::npos, n >= 10) << id;
        EXPECT_EQ(line.find(" -NSSystem;") != std::string::npos, n >= 16) << id;
        EXPECT_EQ(line.rfind("\"C:\\E\\Bin\\dcc32.exe\" vdx16.dpk -M -Z -$D-", 0), 0u) << id;
    }
    EXPECT_FALSE(InSwitchJGroup("delphi13"));
    EXPECT_FALSE(InNamespaceGroup("delphi29"));
    EXPECT_FALSE(InBdeGroup("delphi8"));
}

TEST(CompilePlan, DefinesFollowTeeChartAndEdition) {
    struct Case {
        std::string edition, teeName, teeVariant, tail;
    };
    const Case cases[] = {
        {"Copper", "", "", " -D"},
        {"Gold", "", "", " -D;LATTIX"},
        {"Silver", "TeeChart8", "TeeChartSeriesEx", " -DTeeChart8;TeeChartSeriesEx;LATTIX"},
        {"Partner Edition", "TeeChartStd9", "", " -DTeeChartStd9;VD_VER_BASIC;RAD_ED"},
        {"gold", "TeeChart7", "", " -DTeeChart7"}, // edition names are compared exactly
    };
    for (const Case& c : cases) {
        BuildRequest r = ExampleRequest();
        r.Edition = c.edition;
        r.TeeName = c.teeName;
        r.TeeVariant = c.teeVariant;
        auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk"), r);
        std::string line = ToolLine(*plan);
        EXPECT_EQ(line.substr(line.size() - c.tail.size()), c.tail) << c.edition;
        EXPECT_EQ(line.find("-R\"C:\\Tee\"" + c.tail), line.size() - c.tail.size() - 10);
        EXPECT_EQ(plan->LattixIncludes.size(), NeedsLattixDefine(c.edition) ? 2u : 0u);
    }
}

TEST(CompilePlan, SearchPathsIndyFibAndTee) {
    BuildRequest r = ExampleRequest();
    r.IndyPath = "C:\\Indy";
    r.IndyPathEnabled = true;
    r.FibPath = "C:\\Fib";
    r.Task = TaskKind::Fib;
    std::string line = ToolLine(*MakeCompilePlan(Element("LibD16\\vdxFIB16.dpk"), r));
    const std::string list = "\"C:\\Indy\";\"C:\\Fib\"";
    EXPECT_NE(line.find(" -U" + list + " -I" + list + " -R" + list + " -D"), std::string::npos);

    r.Task = TaskKind::All; // the FIB folder only counts for the fib task
    line = ToolLine(*MakeCompilePlan(Element("LibD16\\vdx16.dpk"), r));
    EXPECT_NE(line.find(" -U\"C:\\Indy\";\"C:\\Tee\" -I"), std::string::npos);

    r.IndyPathEnabled = false;
    r.TeePathEnabled = false;
    line = ToolLine(*MakeCompilePlan(Element("LibD16\\vdx16.dpk"), r));
    EXPECT_NE(line.find("VclTee -U -I -R -DTeeChart9;LATTIX"), std::string::npos);

    r.Task = TaskKind::Fib;
    r.FibPath.clear();
    r.TeePathEnabled = true; // fib task without a FIB folder falls back to TeeChart
    line = ToolLine(*MakeCompilePlan(Element("LibD16\\vdxFIB16.dpk"), r));
    EXPECT_NE(line.find(" -U\"C:\\Tee\" -I\"C:\\Tee\" -R\"C:\\Tee\" "), std::string::npos);
}

TEST(CompilePlan, SixtyFourBitAndDebug) {
    BuildRequest r = ExampleRequest();
    r.Platform64 = true;
    r.WithDebug = true;
    r.LibDir = "LibD16x64";
    auto plan = MakeCompilePlan(Element("LibD16x64\\vdx16.dpk"), r);
    EXPECT_EQ(ToolLine(*plan).rfind("\"C:\\RS\\Bin\\dcc64.exe\" vdx16.dpk -M -Z -JPHNE", 0), 0u);
    EXPECT_EQ(plan->Deploy.Copies[0].TargetFolder,
              "C:\\Users\\Public\\Documents\\RAD Studio\\9.0\\BPL\\Win64");
    EXPECT_EQ(plan->Deploy.Copies[1].TargetFolder,
              "C:\\Users\\Public\\Documents\\RAD Studio\\9.0\\DCP\\Win64");
    EXPECT_EQ(plan->SystemCopyTarget, "");

    r.Platform64 = false;
    EXPECT_EQ(MakeCompilePlan(Element("LibD16\\vdx16.dpk", "delphi16", "Yes"), r)->SystemCopyTarget,
              "");
    EXPECT_EQ(MakeCompilePlan(Element("LibD16\\vdx16.dpk", "delphi16", "no"), r)->SystemCopyTarget,
              "");
}

TEST(CompilePlan, DeploymentTable) {
    BuildRequest r = ExampleRequest();
    r.InstalledCompilers = {"delphi4=C:\\D4",   "delphi7=C:\\D7",   "delphi9=C:\\D9",
                            "delphi12=C:\\D12", "delphi15=C:\\D15", "delphi28=C:\\D28"};
    const std::string u = "C:\\Users\\me\\Documents", c = "C:\\Users\\Public\\Documents";
    struct Case {
        std::string id;
        std::vector<DeployCopy> copies;
    };
    const Case cases[] = {
        {"delphi4", {}},
        {"delphi7", {{"C:\\D7\\Projects\\Bpl", "*.bpl *.dcp"}}},
        {"delphi9", {{u + "\\Borland Studio Projects\\Bpl", "*.bpl *.dcp"}}},
        {"delphi11", {{u + "\\Borland Studio Projects\\Bpl", "*.bpl *.dcp"}}},
        {"delphi12", {{c + "\\RAD Studio\\6.0\\BPL", "*.bpl *.dcp"}}},
        {"delphi14", {{c + "\\RAD Studio\\7.0\\BPL", "*.bpl *.dcp"}}},
        {"delphi15", {{c + "\\RAD Studio\\8.0\\BPL", "*.bpl *.dcp"}}},
        {"delphi20",
         {{c + "\\RAD Studio\\14.0\\BPL\\Win32", "*.bpl"},
          {c + "\\RAD Studio\\14.0\\DCP\\Win32", "*.dcp"}}},
        {"delphi28",
         {{c + "\\RAD Studio\\22.0\\BPL\\Win32", "*.bpl"},
          {c + "\\RAD Studio\\22.0\\DCP\\Win32", "*.dcp"}}},
        {"c++28",
         {{"C:\\D28\\Projects\\Bpl", "*.bpl *.tds"}, {"C:\\D28\\Projects\\Lib", "*.bpi *.lib"}}},
    };
    for (const Case& k : cases) {
        auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk", k.id), r);
        EXPECT_EQ(plan->Deploy.Copies, k.copies) << k.id;
        EXPECT_EQ(plan->Deploy.DeleteTds, k.id == "c++28") << k.id;
        // Every id copies into the system folder on request, delphi4 included.
        EXPECT_EQ(plan->SystemCopyTarget, "C:\\Windows\\system32\\vdx16.bpl") << k.id;
    }
}

TEST(CompilePlan, EmptyBaseFoldersAreNotDeployedInto) {
    BuildRequest r = ExampleRequest();
    r.UserDocumentsDir.clear();
    r.CommonDocumentsDir.clear();
    r.SystemDir.clear();
    r.InstalledCompilers = {"delphi16=C:\\RS"};
    for (std::string id : {"delphi9", "delphi16", "delphi7", "c++7"}) {
        auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk", id), r);
        EXPECT_TRUE(plan->Deploy.Copies.empty()) << id; // delphi7 has no root here
        EXPECT_EQ(plan->SystemCopyTarget, "") << id;
        if (id == "delphi7") {
            EXPECT_EQ(plan->Tools[0], "\\Bin\\dcc32.exe"); // the action refuses an empty root
        }
    }
}

TEST(CompilePlan, CppBuilderChainUsesTheDelphiRoot) {
    BuildRequest r = ExampleRequest();
    CompileElement e{"LibD16\\vdxcb16.bpk", "C++16", "yes", "Source;LibD16"};
    auto plan = MakeCompilePlan(e, r);
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->CppBuilder);
    EXPECT_EQ(plan->Id, "c++16");
    EXPECT_EQ(plan->Root, "C:\\RS");
    EXPECT_EQ(plan->ConverterBatch.Text,
              "cd /d \"C:\\Pkg\\LibD16\\\"\r\n\"C:\\RS\\Bin\\bpr2mak.exe\" vdxcb16.bpk");
    EXPECT_EQ(plan->BuildBatch.Text,
              "cd /d \"C:\\Pkg\\LibD16\\\"\r\n\"C:\\RS\\Bin\\make.exe\" -fvdxcb16.mak");
    EXPECT_EQ(plan->MakeFile, "C:\\Pkg\\LibD16\\vdxcb16.mak");
    EXPECT_EQ(plan->PackageOutput, "C:\\Pkg\\LibD16\\vdxcb16.bpl");
    EXPECT_EQ(plan->Tools,
              (std::vector<std::string>{"C:\\RS\\Bin\\bpr2mak.exe", "C:\\RS\\Bin\\make.exe"}));
    EXPECT_EQ(CompilerRoot(r.InstalledCompilers, "c++9"), "C:\\D9");
    EXPECT_EQ(CompilerRoot(r.InstalledCompilers, "c++13"), "");
    EXPECT_EQ(CompilerRoot(r.InstalledCompilers, "DELPHI28"), "C:\\RS11");
}

TEST(CompilePlan, FoldersWithCmdCharactersReachTheToolExactly) {
    BuildRequest r = ExampleRequest();
    r.InstallDir = "C:\\A&B (x86) 100%!^\\";
    r.InstalledCompilers = {"delphi16=C:\\R&S %PATH%"};
    r.TeePath = "C:\\Tee\\";      // trailing backslash must not escape the closing quote
    r.IndyPath = "\"C:\\In dy\""; // pasted with quotes
    r.IndyPathEnabled = true;
    auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk"), r);
    EXPECT_EQ(plan->BuildBatch.Text.substr(0, plan->BuildBatch.Text.find(" -JPHNE")),
              "cd /d \"C:\\A&B (x86) 100%%!^\\LibD16\\\"\r\n"
              "\"C:\\R&S %%PATH%%\\Bin\\dcc32.exe\" vdx16.dpk -M -Z -$D-");
    const std::string list = "\"C:\\In dy\";\"C:\\Tee\\\\\"";
    EXPECT_NE(plan->BuildBatch.Text.find(" -U" + list + " -I" + list + " -R" + list + " -D"),
              std::string::npos);
    EXPECT_TRUE(plan->BuildBatch.Environment.empty());
    // The paths the actions use are not touched.
    EXPECT_EQ(plan->PackageOutput, "C:\\A&B (x86) 100%!^\\LibD16\\vdx16.bpl");
}

TEST(CompilePlan, TextOutsideTheConsoleCodePageGoesThroughVariables) {
    BuildRequest r = ExampleRequest();
    r.InstallDir = "C:\\\xD0\x9F\xD0\xB0\xD0\xBA\xD0\xB5\xD1\x82\\"; // Cyrillic folder name
    r.TeePath = "C:\\T\xC3\xA9\xC3\xA9\\";                           // fits the console code page
    auto fits = [](std::string_view s) { return s.find("\xD0") == std::string_view::npos; };
    auto plan = MakeCompilePlan(Element("LibD16\\vdx16.dpk"), r, fits);
    EXPECT_EQ(plan->BuildBatch.Text.substr(0, plan->BuildBatch.Text.find("\r\n")),
              "cd /d \"%VDX_BATCH_ARG1%\"");
    EXPECT_EQ(plan->BuildBatch.Environment,
              (std::vector<EnvVar>{{"VDX_BATCH_ARG1", r.InstallDir + "LibD16\\"}}));
    EXPECT_NE(plan->BuildBatch.Text.find(" -U\"C:\\T\xC3\xA9\xC3\xA9\\\\\" -I"), std::string::npos);
}

TEST(CompilePlan, Lines) {
    EXPECT_EQ(ResultLine("vdx16.dpk", true), "vdx16.dpk compiled");
    EXPECT_EQ(ResultLine("vdx16.dpk", false), "vdx16.dpk not compiled!");
    EXPECT_EQ(ErrorLine("delphi28", "why"), "delphi28 error: why");
}
