#include "engine/ActionScript.h"

#include <initializer_list>

namespace vdx {

namespace {

constexpr std::string_view Backups = "yes";
constexpr std::string_view SourceExceptions =
    "*.exe *.dll *.dcu *.dpu *.obj *.dcp *.dpl *.bpl *.bpi";

// One action as a line of the blank-joined layout: four blanks, the element,
// one blank for the line break.
std::string Line(std::string_view element) {
    return "    " + std::string(element) + " ";
}

std::string Copy(std::string_view from, std::string_view to, std::string_view kind,
                 std::string_view files, std::string_view delBackup) {
    return Line("<action name=\"copy\" from=\"" + std::string(from) + "\" to=\"" + std::string(to) +
                "\" kind=\"" + std::string(kind) + "\" files=\"" + std::string(files) +
                "\" delbackup=\"" + std::string(delBackup) + "\" delhppobj=\"" +
                std::string(delBackup) + "\"/>");
}

std::string Delete(std::string_view from, std::string_view files, std::string_view delBackup) {
    return Line("<action name=\"delete\" from=\"" + std::string(from) +
                "\" kind=\"selected\" files=\"" + std::string(files) + "\" delbackup=\"" +
                std::string(delBackup) + "\" delhppobj=\"" + std::string(delBackup) + "\"/>");
}

// A compile action for the package named without its version number. The
// query builder's packages (ltx, dclltx) carry a "0" after the version.
std::string Compile(std::string_view package, bool toSystemDir) {
    const bool queryBuilder = package.ends_with("ltx");
    return Line("<action name=\"compile\" file=\"LibD%VERC%\\" + std::string(package) + "%VER%" +
                (queryBuilder ? "0" : "") + ".dpk\" compiler=\"delphi%VER%\" bpltosysdir=\"" +
                (toSystemDir ? "yes" : "no") + "\"/>");
}

std::string Compiles(std::initializer_list<std::string_view> packages, bool toSystemDir) {
    std::string text;
    for (std::string_view package : packages)
        text += Compile(package, toSystemDir);
    return text;
}

struct Compiled {
    std::string_view Package; // name without the version number
    bool ToSystemDir;
};

std::string Compiles(std::initializer_list<Compiled> packages) {
    std::string text;
    for (const Compiled& p : packages)
        text += Compile(p.Package, p.ToSystemDir);
    return text;
}

// A section: its start tag as a line indented by two blanks, its actions, its
// end tag as a line indented by two blanks.
std::string Section(std::string_view name, const std::string& actions) {
    return "  <" + std::string(name) + "> " + actions + "  </" + std::string(name) + "> ";
}

std::string BuildEmbeddedScript() {
    const std::string language =
        Copy("Res\\%LANG%\\", "LibD%VERC%\\", "selected", "*.pas", Backups) +
        Copy("Res\\%LANG%\\", "Source\\", "selected", "vdxrcClass.pas vdxrcDesgn.pas vdxrcInsp.pas",
             Backups) +
        Copy("Res\\%LANG%\\", "Source\\ExportPack", "selected", "vdxrcExports.pas", Backups) +
        Delete("LibD%VERC%\\", "vdxrcClass.dcu vdxrcClass.hpp vdxrcClass.obj", "no") +
        Delete("LibD%VERC%\\", "vdxrcDesgn.dcu vdxrcDesgn.hpp vdxrcDesgn.obj", "no") +
        Delete("LibD%VERC%\\", "vdxrcExports.dcu vdxrcExports.hpp vdxrcExports.obj", "no") +
        Delete("LibD%VERC%\\", "vdxrcInsp.dcu vdxrcInsp.hpp vdxrcInsp.obj", "no") +
        Compiles({{"vdx", true},
                  {"vdxe", true},
                  {"dclvdx", false},
                  {"dclvdxe", false},
                  {"vdxIntIOBase", true},
                  {"dclvdxIntIOBase", true},
                  {"vdxIntIO", true},
                  {"dclvdxIntIO", false},
                  {"vdxIntIOIndy", true},
                  {"dclvdxIntIOIndy", true}});

    const std::string tee =
        Delete("LibD%VERC%\\",
               "vdxChart*.dcu mr_ichart*.dcu vdxChart*.hpp mr_ichart*.hpp "
               "vdxChart*.obj mr_ichart*.obj",
               "no") +
        Compiles({{"mrTee", true}, {"vdxTee", true}, {"dclmrTee", false}, {"dclvdxTee", false}});

    const std::string ibx =
        Delete("LibD%VERC%\\",
               "vdxIBX*.dcu mr_iibx*.dcu vdxIBX*.hpp mr_iibx*.hpp vdxIBX*.obj mr_iibx*.obj", "no") +
        Compiles({{"mrIBX", true}, {"vdxIBX", true}, {"dclmrIBX", false}, {"dclvdxIBX", false}});

    const std::string fib = Delete("LibD%VERC%\\", "vdxFIB*.dcu vdxFIB*.hpp vdxFIB*.obj", "no") +
                            Compiles({{"vdxFIB", true}, {"dclvdxFIB", false}});

    const std::string all =
        Compiles({"ltx",    "mr",     "mrDB",         "mrBDE",    "mrADO",       "mrIBX",
                  "mrFD",   "mrTee",  "vdx",          "vdxDB",    "vdxBDE",      "vdxADO",
                  "vdxIBX", "vdxDBX", "vdxFD",        "vdxTee",   "vdxHTML",     "vdxPDF",
                  "vdxe",   "vdxcs",  "vdxIntIOBase", "vdxIntIO", "vdxIntIOIndy"},
                 true) +
        Compiles({"dclltx",      "dclmr",          "dclmrDB",   "dclmrBDE",  "dclmrADO",
                  "dclmrIBX",    "dclmrFD",        "dclmrTee",  "dclvdx",    "dclvdxDB",
                  "dclvdxBDE",   "dclvdxADO",      "dclvdxIBX", "dclvdxDBX", "dclvdxFD",
                  "dclvdxTee",   "dclvdxHTML",     "dclvdxPDF", "dclvdxe",   "dclvdxcs",
                  "dclvdxIntIO", "dclvdxIntIOIndy"},
                 false);

    return "<?xml version=\"1.0\" encoding=\"utf-8\"?> <actions> " + Section("language", language) +
           Section("tee", tee) + Section("ibx", ibx) + Section("fib", fib) + Section("all", all) +
           "</actions>";
}

std::string BuildAllSourcesBlock() {
    std::string text = Delete("LibD%VERC%\\", "*.dcu", Backups);
    text += Copy("Source", "LibD%VERC%\\", "allexcept", std::string(SourceExceptions) + " *.bat",
                 Backups);
    for (std::string_view from :
         {"Source\\ExportPack\\", "Source\\ExportPack\\FontPack\\", "Source\\BDE\\",
          "Source\\ADO\\", "Source\\IBX\\", "Source\\DBX\\", "Source\\FireDAC\\",
          "Source\\PDFView\\", "Source\\ClientServer\\", "Mirel", "Lattix", "Res\\%LANG%\\"})
        text += Copy(from, "LibD%VERC%\\", "allexcept", SourceExceptions, Backups);
    return text;
}

} // namespace

const std::string& EmbeddedScript() {
    static const std::string text = BuildEmbeddedScript();
    return text;
}

const std::string& AllSourcesBlock() {
    static const std::string text = BuildAllSourcesBlock();
    return text;
}

std::string AssembleScript(std::string_view edition) {
    std::string text = EmbeddedScript();
    if (edition == "Silver" || edition == "Gold") {
        // The block goes directly after the start tag of section all and the
        // blank that stands for its line break.
        const std::string_view anchor = "  <all> ";
        const size_t at = text.find(anchor);
        if (at != std::string::npos)
            text.insert(at + anchor.size(), AllSourcesBlock());
    } else {
        // Editions without the query builder's sources cannot build its
        // run-time package; its design-time package stays in the list.
        const std::string line = Compile("ltx", true);
        const size_t at = text.find(line);
        if (at != std::string::npos)
            text.erase(at, line.size());
    }
    return text;
}

} // namespace vdx
