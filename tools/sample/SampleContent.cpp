#include "SampleContent.h"

#include <stdexcept>

namespace vdx::sample {

namespace {

std::string Numbered(std::string_view stem, int ver) {
    // The two query-builder packages end in "0" after the version number.
    bool lattix = stem == "ltx" || stem == "dclltx";
    return std::string(stem) + std::to_string(ver) + (lattix ? "0" : "") + ".dpk";
}

std::vector<std::string> Packages(std::initializer_list<std::string_view> stems, int ver) {
    std::vector<std::string> out;
    for (std::string_view s : stems)
        out.push_back(Numbered(s, ver));
    return out;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string t;
    for (std::string_view l : lines) {
        t += l;
        t += "\r\n";
    }
    return t;
}

struct ResourceTexts {
    std::string_view language;
    std::string_view texts[4][3]; // per resource file, three strings
};

// Our own small resource texts. The English "Don't" carries an apostrophe,
// which the converter has to double.
constexpr ResourceTexts kTexts[] = {
    {"English",
     {{"Report", "Page", "Don't print empty bands"},
      {"Report designer", "Open report...", "Save changes?"},
      {"Export to PDF", "Export to HTML", "Embed fonts"},
      {"Object inspector", "Properties", "Events"}}},
    {"German",
     {{"Bericht", "Seite", "Leere Bänder nicht drucken"},
      {"Berichtsdesigner", "Bericht öffnen...", "Änderungen speichern?"},
      {"Nach PDF exportieren", "Nach HTML exportieren", "Schriften einbetten (Größe)"},
      {"Objektinspektor", "Eigenschaften", "Ereignisse"}}},
    {"Japanese",
     {{"レポート", "ページ", "空のバンドを印刷しない"},
      {"レポートデザイナー", "レポートを開く...", "変更を保存しますか?"},
      {"PDFにエクスポート", "HTMLにエクスポート", "フォントを埋め込む"},
      {"オブジェクトインスペクタ", "プロパティ", "イベント"}}},
    {"Russian",
     {{"Отчёт", "Страница", "Не печатать пустые полосы"},
      {"Дизайнер отчётов", "Открыть отчёт...", "Сохранить изменения?"},
      {"Экспорт в PDF", "Экспорт в HTML", "Встроить шрифты"},
      {"Инспектор объектов", "Свойства", "События"}}},
};

const ResourceTexts& TextsFor(std::string_view language) {
    for (const ResourceTexts& t : kTexts)
        if (t.language == language)
            return t;
    return kTexts[0];
}

} // namespace

std::vector<std::string> SectionPackages(std::string_view section, int ver) {
    if (section == "language")
        return Packages({"vdx", "vdxe", "dclvdx", "dclvdxe", "vdxIntIOBase", "dclvdxIntIOBase",
                         "vdxIntIO", "dclvdxIntIO", "vdxIntIOIndy", "dclvdxIntIOIndy"},
                        ver);
    if (section == "tee")
        return Packages({"mrTee", "vdxTee", "dclmrTee", "dclvdxTee"}, ver);
    if (section == "ibx")
        return Packages({"mrIBX", "vdxIBX", "dclmrIBX", "dclvdxIBX"}, ver);
    if (section == "fib")
        return Packages({"vdxFIB", "dclvdxFIB"}, ver);
    if (section == "all")
        return Packages(
            {"ltx",          "mr",        "mrDB",         "mrBDE",       "mrADO",
             "mrIBX",        "mrFD",      "mrTee",        "vdx",         "vdxDB",
             "vdxBDE",       "vdxADO",    "vdxIBX",       "vdxDBX",      "vdxFD",
             "vdxTee",       "vdxHTML",   "vdxPDF",       "vdxe",        "vdxcs",
             "vdxIntIOBase", "vdxIntIO",  "vdxIntIOIndy", "dclltx",      "dclmr",
             "dclmrDB",      "dclmrBDE",  "dclmrADO",     "dclmrIBX",    "dclmrFD",
             "dclmrTee",     "dclvdx",    "dclvdxDB",     "dclvdxBDE",   "dclvdxADO",
             "dclvdxIBX",    "dclvdxDBX", "dclvdxFD",     "dclvdxTee",   "dclvdxHTML",
             "dclvdxPDF",    "dclvdxe",   "dclvdxcs",     "dclvdxIntIO", "dclvdxIntIOIndy"},
            ver);
    throw std::invalid_argument("no script section " + std::string(section));
}

std::vector<std::string> AllPackages(int ver) {
    std::vector<std::string> out;
    for (std::string_view section : {"language", "tee", "ibx", "fib", "all"})
        for (std::string& p : SectionPackages(section, ver)) {
            bool seen = false;
            for (const std::string& q : out)
                seen = seen || q == p;
            if (!seen)
                out.push_back(std::move(p));
        }
    return out;
}

std::string PackageProject(std::string_view packageName, const std::vector<std::string>& markers) {
    std::string name(packageName.substr(0, packageName.find('.')));
    bool design = name.rfind("dcl", 0) == 0;
    std::string t = "package " + name + ";\r\n\r\n";
    for (const std::string& m : markers)
        t += "//standin: " + m + "\r\n";
    t += Lines({"{$R *.res}", "{$ALIGN 8}", "{$BOOLEVAL OFF}", "{$LONGSTRINGS ON}"});
    t += "{$DESCRIPTION 'Verdex sample package " + name + "'}\r\n";
    t += design ? "{$DESIGNONLY}\r\n" : "{$RUNONLY}\r\n";
    t += Lines({"{$IMPLICITBUILD OFF}", "", "requires", "  rtl,", "  vcl;", "", "contains"});
    // The unit a package of this family would hold: the name without its number.
    std::string unit = name;
    while (!unit.empty() && unit.back() >= '0' && unit.back() <= '9')
        unit.pop_back();
    t += "  " + unit + "Reg in '" + unit + "Reg.pas';\r\n\r\nend.\r\n";
    return t;
}

std::string CppPackageProject(std::string_view packageName,
                              const std::vector<std::string>& markers) {
    std::string name(packageName.substr(0, packageName.find('.')));
    std::string t = "<?xml version='1.0' encoding='utf-8' ?>\r\n<!-- C++Builder package project "
                    "of the Verdex sample -->\r\n";
    for (const std::string& m : markers)
        t += "<!-- standin: " + m + " -->\r\n";
    t += "<PROJECT>\r\n  <MACROS>\r\n";
    t += "    <PROJECT value=\"" + name + ".bpl\"/>\r\n";
    t += "    <OBJFILES value=\"" + name + ".obj\"/>\r\n";
    t += "    <PACKAGES value=\"rtl.bpi vcl.bpi\"/>\r\n";
    t += "  </MACROS>\r\n</PROJECT>\r\n";
    return t;
}

std::string PascalUnit(std::string_view unitName, std::string_view note) {
    std::string t = "unit " + std::string(unitName) + ";\r\n\r\n";
    t += "// Verdex sample source: " + std::string(note) + "\r\n\r\n";
    t += Lines({"{$I vdx.inc}", "", "interface", "", "implementation", "", "end."});
    return t;
}

std::string VdxInclude() {
    return Lines({"// vdx.inc: switches shared by every unit of the Verdex library",
                  "{$B-}{$H+}{$X+}{$T-}", "{$IFDEF VER350}{$DEFINE VD_D28}{$ENDIF}",
                  "{$IFDEF WIN64}{$DEFINE VD_X64}{$ENDIF}"});
}

std::string TeeInclude() {
    return Lines({"{$DEFINE TeeChartStd}",
                  "// tee.inc: the TeeChart version the Verdex library is built for.",
                  "// Line 1 names the version, line 2 an optional variant."});
}

std::string ResourceXml(std::string_view language, std::string_view resourceFile) {
    const ResourceTexts& texts = TextsFor(language);
    int file = 0;
    for (int i = 0; i < 4; ++i)
        if (ResourceFiles[i] == resourceFile)
            file = i;
    std::string t = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    t += "<Resources Module=\"" + std::string(resourceFile) + "\" Language=\"" +
         std::string(language) + "\">\r\n  <Strings>\r\n";
    for (int i = 0; i < 3; ++i)
        t += "    <Str Id=\"" + std::to_string(1000 * (file + 1) + i) + "\" Text=\"" +
             std::string(texts.texts[file][i]) + "\"/>\r\n";
    t += "  </Strings>\r\n</Resources>\r\n";
    return t;
}

std::string ResourceUnit(std::string_view language, std::string_view resourceFile) {
    std::string t = "unit " + std::string(resourceFile) + ";\r\n\r\n";
    t += Lines({"interface", "{$I vdx.inc}", "implementation", "uses vdxRes;", "const resXML ="});
    t += "'<Resources Module=\"" + std::string(resourceFile) + "\" Language=\"" +
         std::string(language) + "\"/>'+\r\n";
    t += Lines(
        {"'';", "initialization", "    vdxResources.AddXML(Utf8Encode(resXML));", "", "end."});
    return t;
}

} // namespace vdx::sample
