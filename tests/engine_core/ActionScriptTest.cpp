#include "engine/ActionScript.h"
#include "support/vdxXML.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

using namespace vdx;

namespace {

using Texts = std::vector<std::string>;

const std::string LattixLine = "    <action name=\"compile\" file=\"LibD%VERC%\\ltx%VER%0.dpk\" "
                               "compiler=\"delphi%VER%\" bpltosysdir=\"yes\"/> ";

const char* const Editions[] = {"Copper", "Silver", "Gold", "Partner Edition", "", "gold"};

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string CompileAttr(const std::string& package, bool toSystemDir) {
    return "name=\"compile\" file=\"LibD%VERC%\\" + package +
           ".dpk\" compiler=\"delphi%VER%\" bpltosysdir=\"" + (toSystemDir ? "yes" : "no") + "\"";
}

Texts Compiles(const Texts& packages, bool toSystemDir) {
    Texts out;
    for (const std::string& p : packages)
        out.push_back(CompileAttr(p, toSystemDir));
    return out;
}

Texts operator+(Texts a, const Texts& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The attribute texts of the actions of one section, as loaded.
Texts SectionActions(const std::string& script, const std::string& section) {
    TvdxXMLDocument doc;
    MemoryStream stream(script);
    doc.LoadFromStream(stream);
    Texts out;
    const TvdxXMLItem& s = doc.Root().ChildByName(section);
    for (int i = 0; i < s.ChildCount(); ++i) {
        EXPECT_EQ(s.Child(i).Name, "action");
        EXPECT_EQ(s.Child(i).ChildCount(), 0);
        out.push_back(s.Child(i).AttrText);
    }
    return out;
}

// Checks the layout: an indented document with every line break written as
// one blank, so that the gap before each tag tells its indentation.
void ExpectLayout(const std::string& text) {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    ASSERT_EQ(text.compare(0, decl.size(), decl), 0);
    const std::regex action(R"(<action( [a-z]+="[^"\r\n]*")+/>)");
    const Texts sections = {"language", "tee", "ibx", "fib", "all"};
    size_t pos = decl.size();
    size_t sectionIndex = 0;
    std::string open; // the section being read
    bool rootOpen = false, rootClosed = false;
    while (pos < text.size()) {
        const size_t lt = text.find('<', pos);
        ASSERT_NE(lt, std::string::npos) << "text after the last tag";
        const std::string gap = text.substr(pos, lt - pos);
        ASSERT_EQ(gap.find_first_not_of(' '), std::string::npos) << "at " << pos;
        const size_t gt = text.find('>', lt);
        ASSERT_NE(gt, std::string::npos);
        const std::string tag = text.substr(lt, gt - lt + 1);
        ASSERT_FALSE(rootClosed) << "after the root: " << tag;
        if (tag == "<actions>") {
            EXPECT_FALSE(rootOpen);
            EXPECT_EQ(gap.size(), 1u);
            rootOpen = true;
        } else if (tag == "</actions>") {
            EXPECT_TRUE(open.empty());
            EXPECT_EQ(gap.size(), 1u);
            rootClosed = true;
        } else if (tag.compare(0, 8, "<action ") == 0) {
            EXPECT_FALSE(open.empty()) << tag;
            EXPECT_EQ(gap.size(), 5u) << tag;
            EXPECT_TRUE(std::regex_match(tag, action)) << tag;
        } else if (tag.compare(0, 2, "</") == 0) {
            EXPECT_EQ(tag, "</" + open + ">");
            EXPECT_EQ(gap.size(), 3u) << tag;
            open.clear();
        } else {
            ASSERT_LT(sectionIndex, sections.size()) << tag;
            EXPECT_EQ(tag, "<" + sections[sectionIndex] + ">");
            EXPECT_TRUE(open.empty());
            EXPECT_EQ(gap.size(), 3u) << tag;
            open = sections[sectionIndex++];
        }
        pos = gt + 1;
    }
    EXPECT_TRUE(rootClosed);
    EXPECT_EQ(sectionIndex, sections.size());
}

} // namespace

TEST(ActionScript, EveryEditionFollowsTheLayout) {
    {
        SCOPED_TRACE("embedded");
        ExpectLayout(EmbeddedScript());
    }
    for (const char* edition : Editions) {
        SCOPED_TRACE(edition);
        ExpectLayout(AssembleScript(edition));
    }
}

TEST(ActionScript, SectionsOtherThanAllAreTheSameForEveryEdition) {
    const std::string embedded = EmbeddedScript();
    const size_t all = embedded.find("  <all> ");
    ASSERT_NE(all, std::string::npos);
    for (const char* edition : Editions)
        EXPECT_EQ(AssembleScript(edition).substr(0, all), embedded.substr(0, all)) << edition;

    EXPECT_EQ(SectionActions(embedded, "language"),
              (Texts{
                  "name=\"copy\" from=\"Res\\%LANG%\\\" to=\"LibD%VERC%\\\" kind=\"selected\" "
                  "files=\"*.pas\" delbackup=\"yes\" delhppobj=\"yes\"",
                  "name=\"copy\" from=\"Res\\%LANG%\\\" to=\"Source\\\" kind=\"selected\" "
                  "files=\"vdxrcClass.pas vdxrcDesgn.pas vdxrcInsp.pas\" delbackup=\"yes\" "
                  "delhppobj=\"yes\"",
                  "name=\"copy\" from=\"Res\\%LANG%\\\" to=\"Source\\ExportPack\" "
                  "kind=\"selected\" files=\"vdxrcExports.pas\" delbackup=\"yes\" "
                  "delhppobj=\"yes\"",
                  "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" files=\"vdxrcClass.dcu "
                  "vdxrcClass.hpp vdxrcClass.obj\" delbackup=\"no\" delhppobj=\"no\"",
                  "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" files=\"vdxrcDesgn.dcu "
                  "vdxrcDesgn.hpp vdxrcDesgn.obj\" delbackup=\"no\" delhppobj=\"no\"",
                  "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" "
                  "files=\"vdxrcExports.dcu vdxrcExports.hpp vdxrcExports.obj\" "
                  "delbackup=\"no\" delhppobj=\"no\"",
                  "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" files=\"vdxrcInsp.dcu "
                  "vdxrcInsp.hpp vdxrcInsp.obj\" delbackup=\"no\" delhppobj=\"no\"",
                  CompileAttr("vdx%VER%", true),
                  CompileAttr("vdxe%VER%", true),
                  CompileAttr("dclvdx%VER%", false),
                  CompileAttr("dclvdxe%VER%", false),
                  CompileAttr("vdxIntIOBase%VER%", true),
                  CompileAttr("dclvdxIntIOBase%VER%", true),
                  CompileAttr("vdxIntIO%VER%", true),
                  CompileAttr("dclvdxIntIO%VER%", false),
                  CompileAttr("vdxIntIOIndy%VER%", true),
                  CompileAttr("dclvdxIntIOIndy%VER%", true),
              }));

    EXPECT_EQ(SectionActions(embedded, "tee"),
              (Texts{"name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" "
                     "files=\"vdxChart*.dcu mr_ichart*.dcu vdxChart*.hpp mr_ichart*.hpp "
                     "vdxChart*.obj mr_ichart*.obj\" delbackup=\"no\" delhppobj=\"no\"",
                     CompileAttr("mrTee%VER%", true), CompileAttr("vdxTee%VER%", true),
                     CompileAttr("dclmrTee%VER%", false), CompileAttr("dclvdxTee%VER%", false)}));

    EXPECT_EQ(SectionActions(embedded, "ibx"),
              (Texts{"name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" "
                     "files=\"vdxIBX*.dcu mr_iibx*.dcu vdxIBX*.hpp mr_iibx*.hpp vdxIBX*.obj "
                     "mr_iibx*.obj\" delbackup=\"no\" delhppobj=\"no\"",
                     CompileAttr("mrIBX%VER%", true), CompileAttr("vdxIBX%VER%", true),
                     CompileAttr("dclmrIBX%VER%", false), CompileAttr("dclvdxIBX%VER%", false)}));

    EXPECT_EQ(SectionActions(embedded, "fib"),
              (Texts{"name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" "
                     "files=\"vdxFIB*.dcu vdxFIB*.hpp vdxFIB*.obj\" delbackup=\"no\" "
                     "delhppobj=\"no\"",
                     CompileAttr("vdxFIB%VER%", true), CompileAttr("dclvdxFIB%VER%", false)}));
}

TEST(ActionScript, SectionAllPerEdition) {
    const Texts runtime = Compiles(
        {"mr%VER%",       "mrDB%VER%",        "mrBDE%VER%",  "mrADO%VER%", "mrIBX%VER%",
         "mrFD%VER%",     "mrTee%VER%",       "vdx%VER%",    "vdxDB%VER%", "vdxBDE%VER%",
         "vdxADO%VER%",   "vdxIBX%VER%",      "vdxDBX%VER%", "vdxFD%VER%", "vdxTee%VER%",
         "vdxHTML%VER%",  "vdxPDF%VER%",      "vdxe%VER%",   "vdxcs%VER%", "vdxIntIOBase%VER%",
         "vdxIntIO%VER%", "vdxIntIOIndy%VER%"},
        true);
    const Texts designTime =
        Compiles({"dclltx%VER%0",     "dclmr%VER%",          "dclmrDB%VER%",   "dclmrBDE%VER%",
                  "dclmrADO%VER%",    "dclmrIBX%VER%",       "dclmrFD%VER%",   "dclmrTee%VER%",
                  "dclvdx%VER%",      "dclvdxDB%VER%",       "dclvdxBDE%VER%", "dclvdxADO%VER%",
                  "dclvdxIBX%VER%",   "dclvdxDBX%VER%",      "dclvdxFD%VER%",  "dclvdxTee%VER%",
                  "dclvdxHTML%VER%",  "dclvdxPDF%VER%",      "dclvdxe%VER%",   "dclvdxcs%VER%",
                  "dclvdxIntIO%VER%", "dclvdxIntIOIndy%VER%"},
                 false);
    const Texts lattix = {CompileAttr("ltx%VER%0", true)};

    const std::string copyTail =
        "kind=\"allexcept\" files=\"*.exe *.dll *.dcu *.dpu *.obj *.dcp *.dpl *.bpl *.bpi\" "
        "delbackup=\"yes\" delhppobj=\"yes\"";
    Texts sources = {
        "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" files=\"*.dcu\" "
        "delbackup=\"yes\" delhppobj=\"yes\"",
        "name=\"copy\" from=\"Source\" to=\"LibD%VERC%\\\" kind=\"allexcept\" files=\"*.exe "
        "*.dll *.dcu *.dpu *.obj *.dcp *.dpl *.bpl *.bpi *.bat\" delbackup=\"yes\" "
        "delhppobj=\"yes\""};
    for (const char* from :
         {"Source\\ExportPack\\", "Source\\ExportPack\\FontPack\\", "Source\\BDE\\",
          "Source\\ADO\\", "Source\\IBX\\", "Source\\DBX\\", "Source\\FireDAC\\",
          "Source\\PDFView\\", "Source\\ClientServer\\", "Mirel", "Lattix", "Res\\%LANG%\\"})
        sources.push_back("name=\"copy\" from=\"" + std::string(from) + "\" to=\"LibD%VERC%\\\" " +
                          copyTail);

    EXPECT_EQ(SectionActions(EmbeddedScript(), "all"), lattix + runtime + designTime);
    EXPECT_EQ(SectionActions(AssembleScript("Gold"), "all"),
              sources + lattix + runtime + designTime);
    EXPECT_EQ(SectionActions(AssembleScript("Silver"), "all"),
              sources + lattix + runtime + designTime);
    for (const char* edition : {"Copper", "Partner Edition", "", "gold", "SILVER"})
        EXPECT_EQ(SectionActions(AssembleScript(edition), "all"), runtime + designTime) << edition;
}

TEST(ActionScript, AllSourcesBlockIsWholeLines) {
    const std::string& block = AllSourcesBlock();
    EXPECT_TRUE(block.starts_with("    <"));
    EXPECT_TRUE(block.ends_with("\"/> "));
    EXPECT_EQ(Count(block, "    <action "), 14u);
    EXPECT_EQ(Count(block, "/> "), 14u);
    EXPECT_EQ(Count(block, "*.bat"), 1u);
    EXPECT_TRUE(block.starts_with("    <action name=\"delete\" from=\"LibD%VERC%\\\" "
                                  "kind=\"selected\" files=\"*.dcu\" delbackup=\"yes\" "
                                  "delhppobj=\"yes\"/>     <action name=\"copy\""));
}

TEST(ActionScript, AssemblyInsertsOrRemovesWholeLines) {
    ASSERT_EQ(LattixLine.size(), 102u);
    const std::string& embedded = EmbeddedScript();
    EXPECT_EQ(Count(embedded, LattixLine), 1u);
    EXPECT_NE(embedded.find("  <all>" + std::string(5, ' ') + "<action"), std::string::npos);

    // Gold: the block directly after "<all> ", the Lattix line directly after
    // the block's last blank.
    const std::string gold = AssembleScript("Gold");
    EXPECT_EQ(gold.size(), embedded.size() + AllSourcesBlock().size());
    EXPECT_NE(gold.find("  <all> " + AllSourcesBlock() + LattixLine), std::string::npos);
    EXPECT_EQ(AssembleScript("Silver"), gold);

    // Copper: 102 characters fewer; five blanks before the first remaining
    // action; the design-time package stays.
    const std::string copper = AssembleScript("Copper");
    EXPECT_EQ(copper.size(), embedded.size() - 102);
    EXPECT_EQ(Count(copper, "ltx%VER%0.dpk"), 1u);
    EXPECT_NE(copper.find("dclltx%VER%0.dpk"), std::string::npos);
    EXPECT_NE(copper.find("<all>     <action name=\"compile\" "
                          "file=\"LibD%VERC%\\mr%VER%.dpk\" compiler=\"delphi%VER%\" "
                          "bpltosysdir=\"yes\"/>"),
              std::string::npos);
    std::string expected = embedded;
    expected.erase(expected.find(LattixLine), LattixLine.size());
    EXPECT_EQ(copper, expected);
    for (const char* edition : {"Partner Edition", "", "gold", "Gold "})
        EXPECT_EQ(AssembleScript(edition), copper) << edition;

    EXPECT_TRUE(embedded.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?> <actions>   "
                                     "<language>     <action "));
    EXPECT_TRUE(embedded.ends_with("\"/>   </all> </actions>"));
}

TEST(ActionScript, EveryCompileActionUsesTheRequestCompiler) {
    for (const char* edition : Editions) {
        const std::string script = AssembleScript(edition);
        EXPECT_EQ(Count(script, "name=\"compile\""), Count(script, "compiler=\"delphi%VER%\""));
        EXPECT_EQ(Count(script, "search="), 0u);
    }
}
