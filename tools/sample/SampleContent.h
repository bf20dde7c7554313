#pragma once
// The texts of the sample installation: package projects, source units,
// include files and the language resources. All of it is made up for these
// tests; none of it is taken from a shipped library. Texts are UTF-8 (the
// resource XML files) or ASCII (everything else).

#include <string>
#include <string_view>
#include <vector>

namespace vdx::sample {

// Package project file names ("vdx28.dpk") that a section of the action
// script ("language", "tee", "ibx", "fib", "all") compiles, in script order.
// Throws std::invalid_argument for another section name.
std::vector<std::string> SectionPackages(std::string_view section, int ver);

// Every package project file name of the five sections, each once, in order
// of first use.
std::vector<std::string> AllPackages(int ver);

// A package project; `markers` become "//standin: <directive>" lines 3, 4, ...
std::string PackageProject(std::string_view packageName, const std::vector<std::string>& markers);

// A C++Builder package project (.bpk); markers as "<!-- standin: ... -->".
std::string CppPackageProject(std::string_view packageName,
                              const std::vector<std::string>& markers);

// A small Pascal unit.
std::string PascalUnit(std::string_view unitName, std::string_view note);

std::string VdxInclude(); // vdx.inc as shipped: a comment first, then switches
std::string TeeInclude(); // tee.inc as shipped: {$DEFINE TeeChartStd} first, then comments

// The four resource files of a language folder, without ".xml".
inline constexpr std::string_view ResourceFiles[] = {"vdxrcClass", "vdxrcDesgn", "vdxrcExports",
                                                     "vdxrcInsp"};

// A resource XML file (UTF-8, no byte-order mark) for a language. English,
// German, Japanese and Russian have texts of their own; any other language
// gets the English texts.
std::string ResourceXml(std::string_view language, std::string_view resourceFile);

// The resource unit shipped next to it (as the converter would write one;
// ASCII, naming the language).
std::string ResourceUnit(std::string_view language, std::string_view resourceFile);

} // namespace vdx::sample
