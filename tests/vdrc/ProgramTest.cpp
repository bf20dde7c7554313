// Runs the real vdrc.exe: arguments, the unit file it leaves in the current
// folder, its console line and its exit code.

#include "common/WinTestUtil.h"
#include "vdrc/core/ResourceUnit.h"
#include "support/platform/Handles.h"
#include "support/platform/Utf.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vdx::test {
namespace {

// The path of vdrc.exe, from the build (a Unix path under Wine).
std::string VdrcExe() {
    std::string p = VDRC_EXE;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.size() < 2 || p[1] != ':')
        p = "Z:" + p;
    return p;
}

struct Outcome {
    DWORD exitCode = 0;
    std::string console; // what the program wrote to its standard output
};

// Runs "vdrc <args>" with folder as current folder and its standard output
// going to a file.
Outcome RunVdrc(const std::string& folder, const std::string& args) {
    static ScratchDir outputs("out");
    static int count = 0;
    const std::string outFile = outputs / ("stdout" + std::to_string(count++) + ".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFile out(CreateFileW(Widen(outFile).c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(out);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out.get();
    si.hStdError = out.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = Widen("\"" + VdrcExe() + "\"" + (args.empty() ? "" : " " + args));
    Outcome o;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        Widen(folder).c_str(), &si, &pi)) {
        ADD_FAILURE() << "cannot start " << VdrcExe() << ": " << GetLastError();
        return o;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    EXPECT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.get(), &o.exitCode);
    out.reset();
    o.console = ReadFile(outFile);
    return o;
}

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    UniqueFind h(FindFirstFileW(Widen(folder + "*").c_str(), &fd));
    if (h) {
        do {
            const std::string name = Narrow(fd.cFileName);
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileW(h.get(), &fd));
    }
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kHead = "\r\n"
                          "\r\n"
                          "interface\r\n"
                          "{$I vdx.inc}\r\n"
                          "implementation\r\n"
                          "uses vdxRes;\r\n"
                          "const resXML =\r\n";
const std::string kTail = "'';\r\n"
                          "initialization\r\n"
                          "    vdxResources.AddXML(Utf8Encode(resXML));\r\n"
                          "\r\n"
                          "end.\r\n";

std::string Unit(const std::string& name, const std::string& literals) {
    return "unit " + name + ";" + kHead + literals + kTail;
}

// XML text whose 80th and 81st UTF-16 code units form one character, with an
// apostrophe and characters of the ANSI code page and beyond it.
const std::string a79(79, 'a');
const std::string kFace = "\xF0\x9F\x98\x80"; // U+1F600
const std::string kInput = "\xEF\xBB\xBF" + a79 + kFace + "\r\n  <b t=\"it's\"/>\r\n";
const std::string kUtf8Unit =
    "\xEF\xBB\xBF" + Unit("vdxrcInsp", "'" + a79 + "'+\r\n'" + kFace + "  <b t=\"it''s\"/>'+\r\n");

TEST(VdrcProgram, WritesUtf8UnitWithSwitchBeforeOrAfterPath) {
    ScratchDir res("res"), cwd("cwd");
    const std::string input = res / "vdxrcInsp.xml";
    WriteFile(input, kInput);
    for (const std::string& args : {"-j \"" + input + "\"", "\"" + input + "\" /J",
                                    "\"\" \"" + input + "\" -x other.xml -J"}) {
        SCOPED_TRACE(args);
        DeleteFileW(Widen(cwd / "vdxrcInsp.pas").c_str());
        const Outcome o = RunVdrc(cwd.Path(), args);
        EXPECT_EQ(o.exitCode, 0u);
        EXPECT_EQ(o.console, "");
        EXPECT_EQ(ReadFile(cwd / "vdxrcInsp.pas"), kUtf8Unit);
        // The unit goes to the current folder, never beside the input.
        EXPECT_EQ(Names(cwd.Path()), std::vector<std::string>{"vdxrcInsp.pas"});
        EXPECT_EQ(Names(res.Path()), std::vector<std::string>{"vdxrcInsp.xml"});
    }
}

TEST(VdrcProgram, WritesAnsiUnitWithoutSwitch) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "expects the ANSI code page 1252, not " << GetACP();
    ScratchDir cwd("cwd");
    // "é" and "€" exist in code page 1252, "中" does not.
    WriteFile(cwd / "Lang.xml", "<a>\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD</a>");
    for (const char* args : {"Lang.xml", "\"\" Lang.xml", "-x Lang.xml"}) {
        SCOPED_TRACE(args);
        const Outcome o = RunVdrc(cwd.Path(), args);
        EXPECT_EQ(o.exitCode, 0u);
        EXPECT_EQ(o.console, "");
        EXPECT_EQ(ReadFile(cwd / "Lang.pas"), Unit("Lang", "'<a>\xE9\x80?</a>'+\r\n"));
    }
}

TEST(VdrcProgram, NamesUnitAfterFileNameWithoutLastExtension) {
    ScratchDir cwd("cwd");
    WriteFile(cwd / "a.b.xml", "<a/>");
    WriteFile(cwd / "res", "");
    EXPECT_EQ(RunVdrc(cwd.Path(), "a.b.xml").exitCode, 0u);
    EXPECT_EQ(RunVdrc(cwd.Path(), "res").exitCode, 0u);
    EXPECT_EQ(ReadFile(cwd / "a.b.pas"), Unit("a.b", "'<a/>'+\r\n"));
    EXPECT_EQ(ReadFile(cwd / "res.pas"), Unit("res", ""));
}

TEST(VdrcProgram, ReplacesItsOwnInput) {
    // "x.pas" names the unit "x", written to "x.pas": the input itself.
    ScratchDir cwd("cwd");
    WriteFile(cwd / "x.pas", "<a/>");
    EXPECT_EQ(RunVdrc(cwd.Path(), "x.pas").exitCode, 0u);
    EXPECT_EQ(ReadFile(cwd / "x.pas"), Unit("x", "'<a/>'+\r\n"));
}

TEST(VdrcProgram, SecondRunReplacesUnitAndLeavesNoTemporaryFile) {
    ScratchDir cwd("cwd");
    WriteFile(cwd / "vdxrcInsp.xml", kInput);
    WriteFile(cwd / "vdxrcInsp.pas", std::string(100000, 'x')); // longer than the new unit
    EXPECT_EQ(RunVdrc(cwd.Path(), "-j vdxrcInsp.xml").exitCode, 0u);
    EXPECT_EQ(ReadFile(cwd / "vdxrcInsp.pas"), kUtf8Unit);
    EXPECT_EQ(RunVdrc(cwd.Path(), "-j vdxrcInsp.xml").exitCode, 0u);
    EXPECT_EQ(ReadFile(cwd / "vdxrcInsp.pas"), kUtf8Unit);
    EXPECT_EQ(Names(cwd.Path()), (std::vector<std::string>{"vdxrcInsp.pas", "vdxrcInsp.xml"}));
}

TEST(VdrcProgram, PrintsNoInputWithoutInputPath) {
    for (const char* args : {"", "-x", "-j", "\"\"", "-j \"\" /q"}) {
        SCOPED_TRACE(args);
        ScratchDir cwd("cwd");
        const Outcome o = RunVdrc(cwd.Path(), args);
        EXPECT_EQ(o.exitCode, 2u);
        EXPECT_EQ(o.console, "no input\r\n");
        EXPECT_TRUE(Names(cwd.Path()).empty());
    }
}

TEST(VdrcProgram, ReportsErrorAndKeepsOldUnit) {
    const std::string noMapping = "EEncodingError: No mapping for the Unicode character exists in "
                                  "the target multi-byte code page";
    const struct {
        const char* what;
        bool writeInput;
        std::string input;
        std::string expected; // the console line or its start; "%s" stands for the folder
        bool reasonFollows;   // the system's reason ends the line
        bool readOnlyUnit;    // the old unit is read-only
    } cases[] = {
        {"missing input", false, "", "EFOpenError: Cannot open file \"%sLost.xml\". ", true, false},
        {"not UTF-8", true, "<a>caf\xE9</a>", noMapping, false, false},
        {"bad byte after the NUL", true, std::string("<a/>\0\xFF", 6), noMapping, false, false},
        {"not UTF-8 and a read-only unit", true, "caf\xE9", noMapping, false, true},
        {"read-only unit", true, "<a/>", "EFCreateError: Cannot create file \"%sLost.pas\". ", true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir cwd("cwd");
        if (c.writeInput)
            WriteFile(cwd / "Lost.xml", c.input);
        WriteFile(cwd / "Lost.pas", "old unit");
        if (c.readOnlyUnit)
            SetAttributes(cwd / "Lost.pas", FILE_ATTRIBUTE_READONLY);
        const auto before = Names(cwd.Path());

        const Outcome o = RunVdrc(cwd.Path(), "Lost.xml");
        EXPECT_EQ(o.exitCode, 1u);
        std::string expected = c.expected;
        if (size_t at = expected.find("%s"); at != std::string::npos)
            expected.replace(at, 2, cwd.Path());
        ASSERT_GE(o.console.size(), 2u);
        EXPECT_EQ(o.console.substr(o.console.size() - 2), "\r\n");
        const std::string line = o.console.substr(0, o.console.size() - 2);
        if (c.reasonFollows) {
            EXPECT_EQ(line.substr(0, expected.size()), expected) << line;
            EXPECT_GT(line.size(), expected.size()) << "no reason: " << line;
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        } else {
            EXPECT_EQ(line, expected);
        }
        EXPECT_EQ(ReadFile(cwd / "Lost.pas"), "old unit");
        EXPECT_EQ(Names(cwd.Path()), before);
        if (c.readOnlyUnit) {
            EXPECT_TRUE(GetFileAttributesW(Widen(cwd / "Lost.pas").c_str()) &
                        FILE_ATTRIBUTE_READONLY);
            SetAttributes(cwd / "Lost.pas", FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST(VdrcProgram, WritesLargeUnitWhole) {
    // Several megabytes: the unit reaches the file in many pieces.
    std::string xml = "\xEF\xBB\xBF<Resources>\r\n";
    for (int i = 0; xml.size() < 3 * 1024 * 1024; ++i)
        xml += "  <StrRes Name=\"" + std::to_string(i) +
               "\" Text=\"Gr\xC3\xB6\xC3\x9F"
               "e it's \xD0\x9F\xD1\x80\xE2\x82\xAC\xF0\x9F\x98\x80\"/>\r\n";
    xml += "</Resources>\r\n";
    ScratchDir cwd("cwd");
    WriteFile(cwd / "Big.xml", xml);
    ASSERT_EQ(RunVdrc(cwd.Path(), "-j Big.xml").exitCode, 0u);
    EXPECT_TRUE(ReadFile(cwd / "Big.pas") == "\xEF\xBB\xBF" + rc::ConvertResourceUtf8(u"Big", xml));
    ASSERT_EQ(RunVdrc(cwd.Path(), "Big.xml").exitCode, 0u);
    const std::u16string unit = rc::ConvertResource(u"Big", xml);
    const std::string ansi = ToCodePage(Narrow(std::wstring(unit.begin(), unit.end())), CP_ACP);
    EXPECT_TRUE(ReadFile(cwd / "Big.pas") == ansi);
}

TEST(VdrcProgram, ReadsInputThatAnotherProgramHasOpenForWriting) {
    ScratchDir cwd("cwd");
    WriteFile(cwd / "Open.xml", "<a/>");
    UniqueFile writer(CreateFileW(Widen(cwd / "Open.xml").c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    const Outcome o = RunVdrc(cwd.Path(), "Open.xml");
    EXPECT_EQ(o.exitCode, 0u) << o.console;
    EXPECT_EQ(ReadFile(cwd / "Open.pas"), Unit("Open", "'<a/>'+\r\n"));
}

TEST(VdrcProgram, WritesErrorLineInConsoleCodePage) {
    ScratchDir cwd("cwd");
    const Outcome o = RunVdrc(cwd.Path(), "Gr\xC3\xB6\xC3\x9F"
                                          "e.xml");
    EXPECT_EQ(o.exitCode, 1u);
    const std::string expected = Utf8ToOem("EFOpenError: Cannot open file \"" + cwd.Path() +
                                           "Gr\xC3\xB6\xC3\x9F"
                                           "e.xml\". ");
    EXPECT_EQ(o.console.substr(0, expected.size()), expected) << o.console;
}

TEST(VdrcProgram, ReportsUnitThatCannotBeCreated) {
    // A folder holds the unit's name: nothing may replace it.
    ScratchDir cwd("cwd");
    WriteFile(cwd / "Busy.xml", "<a/>");
    MakeDir(cwd / "Busy.pas");
    WriteFile(cwd / "Busy.pas\\keep.txt", "kept");
    const Outcome o = RunVdrc(cwd.Path(), "Busy.xml");
    EXPECT_EQ(o.exitCode, 1u);
    const std::string expected =
        "EFCreateError: Cannot create file \"" + cwd.Path() + "Busy.pas\". ";
    EXPECT_EQ(o.console.substr(0, expected.size()), expected) << o.console;
    EXPECT_EQ(ReadFile(cwd / "Busy.pas\\keep.txt"), "kept");
    EXPECT_EQ(Names(cwd.Path()), (std::vector<std::string>{"Busy.pas", "Busy.xml"}));
}

} // namespace
} // namespace vdx::test
