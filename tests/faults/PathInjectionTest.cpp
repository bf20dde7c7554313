// Injection through paths, through the real window and driver: installation,
// environment and language folders with & ^ % ! ( ) blanks and a non-ASCII
// letter, and TeeChart, FIB and Indy paths typed with the cmd.exe operators
// | < > & ^, "%" and letters outside the console code page. Every tool is run
// once per package with exactly the intended command line, the converter with
// exactly its own, and nothing else runs: the "echo pwned" hidden in the texts
// leaves no file and no output line.

#include "FaultWizard.h"

#include "engine/CompilePlan.h"
#include "engine/DriverTexts.h"
#include "support/TextUtil.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"

#include "SampleContent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vdx;
using namespace vdx::test;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

// Every file or folder below `folder` whose name contains `part`.
void FindNames(const std::string& folder, std::string_view part, std::vector<std::string>& found) {
    for (const std::string& entry : Entries(folder)) {
        const bool isFolder = entry.back() == '/';
        const std::string name = isFolder ? entry.substr(0, entry.size() - 1) : entry;
        if (name.find(part) != std::string::npos)
            found.push_back(folder + name);
        if (isFolder)
            FindNames(folder + name + "\\", part, found);
    }
}

// Lines of a text that begin with `word`: where a command hidden in a path
// would have printed it.
std::vector<std::string> LinesStartingWith(const std::string& text, std::string_view word) {
    std::vector<std::string> out;
    for (const std::string& line : SplitLines(text))
        if (Trim(line).rfind(word, 0) == 0)
            out.push_back(line);
    return out;
}

} // namespace

TEST(PathInjection, PathsRunTheIntendedCommandsAndNothingElse) {
    ScratchDir base("inject");
    sample::SampleOptions o;
    o.libDirs = {"LibD14"}; // RAD Studio 2010: the Indy path is used
    o.compilers = {14};
    o.edition = sample::Edition::Gold;
    const std::string language = "Deutsch & Co (x86) 100%!^";
    o.languages = {"English", language};
    o.vdrcExe = RecordArgsExe();
    o.envRootsDir = base / "IDE & Tools (x86) %PATH% !^";
    FaultWizard w(o, "Verdex&echo pwned&(x86) 100%!^ \xC3\xBC"); // ü is in the console code page
    const std::string inst = w.InstallDir();
    const std::string root = w.Root(14);
    const std::string lib = inst + "LibD14\\";
    // Texts need not name existing folders; | < > cannot be in a file name.
    const std::string tee = base / "Tee <9> (x86)&echo pwned>pwned-tee|echo pwned>pwned-pipe";
    const std::string fib = base / "FIB %TEMP% 100% ^^ !x! (x86)&echo pwned>pwned-fib";
    // Cyrillic letters, outside the console code page, with the operators.
    const std::string indy =
        base / "\xD0\x98\xD0\xBD\xD0\xB4\xD0\xB8 10 & <b> (x86)^&echo pwned>pwned-indy";

    TMainForm& form = w.Open();
    ASSERT_EQ(form.CompilerCB.ItemIndex(), CompilerRow(14));
    w.Pick(form.TeeCB, "TeeChart9 and later");
    w.Pick(form.LanguageCB, language);
    form.TeePathE.SetText(tee);
    form.FibPathE.SetText(fib);
    form.IndyPathE.SetText(indy);
    ASSERT_TRUE(form.IndyPathE.Enabled());

    // The command line each package must be built with (debug information
    // on, the window's first choice).
    auto commandLine = [&](const std::string& package, const std::string& second) {
        const std::string list = "\"" + indy + "\";\"" + second + "\"";
        return "\"" + root + "\\Bin\\dcc32.exe\" " + package + " -M -Z -JPHNE -JL -U" + list +
               " -I" + list + " -R" + list + " -DTeeChart9;LATTIX";
    };
    struct Task {
        RadioButton& button;
        std::string section;
        std::string second; // the folder after the Indy folder
    };
    const Task tasks[] = {
        {form.FIBRB, "fib", fib},
        {form.TeeRB, "tee", tee},
        {form.LanguageRB, "language", tee},
    };
    for (const Task& t : tasks) {
        SCOPED_TRACE(t.section);
        sample::ClearStandinCalls(root);
        t.button.Click();

        w.Compile();

        std::vector<std::string> results, lines;
        for (const std::string& p : sample::SectionPackages(t.section, 14)) {
            results.push_back(p + " compiled");
            lines.push_back(commandLine(p, t.second));
        }
        results.push_back("Done");
        EXPECT_THAT(w.Log(), ElementsAreArray(results));
        std::vector<std::string> calls;
        for (const sample::StandinCall& c : sample::ReadStandinCalls(root)) {
            EXPECT_EQ(c.tool, "dcc32");
            EXPECT_EQ(c.folder + "\\", lib);
            calls.push_back(c.commandLine);
        }
        EXPECT_THAT(calls, ElementsAreArray(lines));
        EXPECT_THAT(LinesStartingWith(ReadFile(inst + "recompile.log"), "pwned"), IsEmpty());
    }

    // The converter was started four times by its quoted path, in the
    // language folder, with nothing added; the units came from that folder.
    std::vector<std::string> runs;
    for (std::string_view f : ResourceFiles)
        runs.push_back(inst + "RES\\" + language + "\t\"" + inst + "RES\\vdrc.exe\" " +
                       std::string(f));
    EXPECT_THAT(SplitLines(ReadFile(inst + "Res\\calls.log")), ElementsAreArray(runs));
    EXPECT_EQ(ReadFile(lib + "vdxrcClass.pas"),
              ReadFile(inst + "Res\\" + language + "\\vdxrcClass.pas"));
    // The TeeChart task wrote the defines, not the path.
    EXPECT_EQ(SplitLines(ReadFile(inst + "Mirel\\tee.inc")).at(0), "{$DEFINE TeeChart9}");

    std::vector<std::string> stray;
    FindNames(base.Path(), "pwned-", stray);
    FindNames(w.scratch.Path(), "pwned-", stray);
    EXPECT_THAT(stray, IsEmpty());
    EXPECT_THAT(w.TakeBoxes(),
                ElementsAreArray(std::vector<std::string>(3, std::string(InformationCaption) + "|" +
                                                                 EndText(inst, "LibD14"))));
}
