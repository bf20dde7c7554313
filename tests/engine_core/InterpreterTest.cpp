#include "engine/ActionScript.h"
#include "engine/Interpreter.h"
#include "support/Errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vdx;

namespace {

using Texts = std::vector<std::string>;

BuildRequest Request() {
    BuildRequest r;
    r.Language = "German";
    r.Ver = "16";
    r.VerC = "16x64";
    r.TeeName = "TeeChart9";
    return r;
}

// Records every action it is handed as "<action> <attribute text>".
struct Recorder : ActionHandlers {
    Texts calls;
    std::function<void(const TvdxXMLItem&)> onAction;
    void Record(const char* kind, const TvdxXMLItem& action) {
        calls.push_back(std::string(kind) + " " + action.AttrText);
        if (onAction)
            onAction(action);
    }
    void Copy(const TvdxXMLItem& action) override { Record("copy", action); }
    void Delete(const TvdxXMLItem& action) override { Record("delete", action); }
    void Compile(const TvdxXMLItem& action) override { Record("compile", action); }
};

const std::string Decl = "<?xml version=\"1.0\" encoding=\"utf-8\"?> ";

} // namespace

TEST(Interpreter, LoadScriptReadsTheAssembledScript) {
    TvdxXMLDocument doc;
    LoadScript(doc, AssembleScript("Gold"));
    const TvdxXMLItem& root = doc.Root();
    EXPECT_EQ(root.Name, "actions");
    ASSERT_EQ(root.ChildCount(), 5);
    const char* names[] = {"language", "tee", "ibx", "fib", "all"};
    const int counts[] = {17, 5, 5, 3, 59};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(root.Child(i).Name, names[i]);
        EXPECT_EQ(root.Child(i).ChildCount(), counts[i]) << names[i];
    }
    EXPECT_EQ(root.Child(4).Child(0).AttrText,
              "name=\"delete\" from=\"LibD%VERC%\\\" kind=\"selected\" files=\"*.dcu\" "
              "delbackup=\"yes\" delhppobj=\"yes\"");

    // Loading again replaces the content.
    LoadScript(doc, AssembleScript("Copper"));
    EXPECT_EQ(doc.Root().ChildCount(), 5);
    EXPECT_EQ(doc.Root().Child(4).ChildCount(), 44);
}

TEST(Interpreter, LoadScriptRejectsTextsThatDoNotParse) {
    for (const std::string& text : {std::string("<actions></actions>"),
                                    Decl + "<actions><all></tee></actions>", std::string()}) {
        TvdxXMLDocument doc;
        EXPECT_THROW(LoadScript(doc, text), FormatError) << text;
    }
}

TEST(Interpreter, SubstitutesEveryOccurrence) {
    struct Case {
        std::string text, result;
    };
    const std::vector<Case> cases = {
        {"file=\"LibD%VERC%\\ltx%VER%0.dpk\"", "file=\"LibD16x64\\ltx160.dpk\""},
        {"a=\"%VER%-%LANG%-%VER%\"", "a=\"16-German-16\""},
        {"%TEE% %TEE% %TEE% %LANG%", "TeeChart9 TeeChart9 TeeChart9 German"},
        {"%VERC%%VER%%VERC%", "16x641616x64"},
        // Lower case or incomplete names are not variables.
        {"%ver% %Lang% %VER %TEE", "%ver% %Lang% %VER %TEE"},
        // Within one pass %VERC% is looked for before %VER%, so a percent
        // sign shared by two names goes to %VERC%.
        {"%VER%VERC%", "%VER16x64"},
        {"", ""},
        {"no variables", "no variables"},
    };
    const BuildRequest r = Request();
    for (const Case& c : cases)
        EXPECT_EQ(SubstituteVariablesInText(c.text, r), c.result) << c.text;
}

TEST(Interpreter, InsertedValuesAreFinal) {
    BuildRequest r = Request();
    r.Language = "%VER%";
    EXPECT_EQ(SubstituteVariablesInText("Res\\%LANG%\\ %VER%", r), "Res\\%VER%\\ 16");
    r.Language = "%LANG%%LANG%";
    EXPECT_EQ(SubstituteVariablesInText("%LANG%", r), "%LANG%%LANG%");
    // Text around an inserted value does not join into a new variable.
    r.Language = "";
    EXPECT_EQ(SubstituteVariablesInText("%LA%LANG%NG%", r), "%LANG%");
    r.Language = "VER";
    EXPECT_EQ(SubstituteVariablesInText("%%LANG%%", r), "%VER%");
}

TEST(Interpreter, SubstitutesTheWholeDocument) {
    TvdxXMLDocument doc;
    LoadScript(doc, Decl + "<ACTIONS v=\"%VER%\"><%VER% x=\"%LANG%\"><a f=\"%TEE%\"><b "
                           "g=\"%VERC%\"/></a></%VER%><all/></ACTIONS>");
    SubstituteVariables(doc.Root(), Request());
    const TvdxXMLItem& root = doc.Root();
    EXPECT_EQ(root.AttrText, "v=\"16\"");
    EXPECT_EQ(root.Child(0).Name, "%VER%"); // names are not touched
    EXPECT_EQ(root.Child(0).AttrText, "x=\"German\"");
    EXPECT_EQ(root.Child(0).Child(0).AttrText, "f=\"TeeChart9\"");
    EXPECT_EQ(root.Child(0).Child(0).Child(0).AttrText, "g=\"16x64\"");

    LoadScript(doc, AssembleScript("Gold"));
    SubstituteVariables(doc.Root(), Request());
    const TvdxXMLItem& all = doc.Root().ChildByName("all");
    EXPECT_EQ(all.Child(14).AttrValue("file"), "LibD16x64\\ltx160.dpk");
    EXPECT_EQ(all.Child(13).AttrValue("from"), "Res\\German\\");
    for (int s = 0; s < doc.Root().ChildCount(); ++s)
        for (int i = 0; i < doc.Root().Child(s).ChildCount(); ++i)
            EXPECT_EQ(doc.Root().Child(s).Child(i).AttrText.find('%'), std::string::npos);
}

TEST(Interpreter, RunSectionDispatchesByTheNameAttribute) {
    TvdxXMLDocument doc;
    LoadScript(doc, Decl + "<actions><tee/><Language>"
                           "<action name=\"CoPy\" n=\"1\"/>"
                           "<action name=\"delete\" n=\"2\"/>"
                           "<x name=\"COMPILE\" n=\"3\"/>"
                           "<action n=\"4\"/>"
                           "<action name=\"\" n=\"5\"/>"
                           "<action name=\"move\" n=\"6\"/>"
                           "<action name = \"copy\" n=\"7\"/>"
                           "<action Name=\"compile\" n=\"8\"><inner name=\"copy\"/></action>"
                           "</Language></actions>");
    Recorder rec;
    RunSection(doc, "language", rec);
    EXPECT_EQ(rec.calls,
              (Texts{"copy name=\"CoPy\" n=\"1\"", "delete name=\"delete\" n=\"2\"",
                     "compile name=\"COMPILE\" n=\"3\"", "compile Name=\"compile\" n=\"8\""}));
}

TEST(Interpreter, RunSectionOfAMissingSectionRunsNothing) {
    TvdxXMLDocument doc;
    LoadScript(doc, AssembleScript("Copper"));
    Recorder rec;
    RunSection(doc, "none", rec);
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(doc.Root().ChildCount(), 6);
    EXPECT_EQ(doc.Root().Child(5).Name, "none");
    RunSection(doc, "", rec);
    EXPECT_TRUE(rec.calls.empty());
}

TEST(Interpreter, RunSectionRunsTheActionsInDocumentOrder) {
    TvdxXMLDocument doc;
    LoadScript(doc, AssembleScript("Gold"));
    SubstituteVariables(doc.Root(), Request());
    Recorder rec;
    RunSection(doc, "ALL", rec);
    ASSERT_EQ(rec.calls.size(), 59u);
    EXPECT_EQ(rec.calls[0].substr(0, 7), "delete ");
    for (size_t i = 1; i < 14; ++i)
        EXPECT_EQ(rec.calls[i].substr(0, 5), "copy ") << i;
    for (size_t i = 14; i < 59; ++i)
        EXPECT_EQ(rec.calls[i].substr(0, 8), "compile ") << i;
    EXPECT_EQ(rec.calls[14], "compile name=\"compile\" file=\"LibD16x64\\ltx160.dpk\" "
                             "compiler=\"delphi16\" bpltosysdir=\"yes\"");
}

TEST(Interpreter, AnErrorOfAnActionEndsTheSection) {
    TvdxXMLDocument doc;
    LoadScript(doc, AssembleScript("Copper"));
    Recorder rec;
    rec.onAction = [&](const TvdxXMLItem&) {
        if (rec.calls.size() == 2)
            throw FileError::CannotCreate("x", "Access denied.");
    };
    EXPECT_THROW(RunSection(doc, "language", rec), FileError);
    EXPECT_EQ(rec.calls.size(), 2u);
}

TEST(Interpreter, ActionsAddedWhileTheSectionRunsAreNotRun) {
    TvdxXMLDocument doc;
    LoadScript(doc, Decl + "<actions><fib><action name=\"compile\"/><action "
                           "name=\"compile\"/></fib></actions>");
    Recorder rec;
    rec.onAction = [&](const TvdxXMLItem&) {
        doc.Root().Child(0).AppendNewChild().AttrText = "name=\"copy\"";
    };
    RunSection(doc, "fib", rec);
    EXPECT_EQ(rec.calls, (Texts{"compile name=\"compile\"", "compile name=\"compile\""}));
}
