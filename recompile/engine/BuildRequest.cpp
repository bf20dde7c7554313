#include "engine/BuildRequest.h"

#include "support/TextUtil.h"

#include <stdexcept>

namespace vdx {

const std::array<CompilerInfo, CompilerCount> CompilerList = {{
    {"Delphi 7", 7},
    {"Delphi 2005", 9},
    {"BDS 2006 (Delphi, C++), Turbo Delphi/C++ Prof.", 10},
    {"CodeGear RAD Studio 2007 (Delphi, C++)", 11},
    {"CodeGear RAD Studio 2009 (Delphi, C++)", 12},
    {"Embarcadero RAD Studio 2010 (Delphi, C++)", 14},
    {"Embarcadero RAD Studio XE (Delphi, C++)", 15},
    {"Embarcadero RAD Studio XE 2 (Delphi, C++)", 16},
    {"Embarcadero RAD Studio XE 3 (Delphi, C++)", 17},
    {"Embarcadero RAD Studio XE 4 (Delphi, C++)", 18},
    {"Embarcadero RAD Studio XE 5 (Delphi, C++)", 19},
    {"Embarcadero RAD Studio XE 6 (Delphi, C++)", 20},
    {"Embarcadero RAD Studio XE 7 (Delphi, C++)", 21},
    {"Embarcadero RAD Studio XE 8 (Delphi, C++)", 22},
    {"Embarcadero RAD Studio 10 Seattle (Delphi, C++)", 23},
    {"Embarcadero RAD Studio 10.1 Berlin (Delphi, C++)", 24},
    {"Embarcadero RAD Studio 10.2 Tokyo (Delphi, C++)", 25},
    {"Embarcadero RAD Studio 10.3 Rio (Delphi, C++)", 26},
    {"Embarcadero RAD Studio 10.4 Sydney (Delphi, C++)", 27},
    {"Embarcadero RAD Studio 11 (Delphi, C++)", 28},
}};

const std::array<std::string_view, TeeChoiceCount> TeeChoices = {
    "TeeChartStd",
    "TeeChartStd7",
    "TeeChartStd8",
    "TeeChartStd9 and later",
    "TeeChart4",
    "TeeChart5",
    "TeeChart6",
    "TeeChart7",
    "TeeChart8",
    "TeeChart9 and later",
    "TeeChart8(TeeChartSeriesEx)",
    "TeeChart9(TeeChartSeriesEx) and later",
};

std::string_view SectionName(TaskKind task) {
    switch (task) {
    case TaskKind::Language:
        return "language";
    case TaskKind::Tee:
        return "tee";
    case TaskKind::Ibx:
        return "ibx";
    case TaskKind::Fib:
        return "fib";
    case TaskKind::All:
        return "all";
    case TaskKind::None:
        break;
    }
    return "";
}

void SplitTeeChoice(std::string_view choice, std::string& teeName, std::string& teeVariant) {
    teeVariant.clear();
    // Only the first word counts: "TeeChart9 and later" names TeeChart9.
    std::string_view t = choice.substr(0, choice.find(' '));
    const size_t open = t.find('(');
    if (open == std::string_view::npos) {
        teeName = std::string(t);
        return;
    }
    teeName = std::string(t.substr(0, open));
    const size_t close = t.find(')');
    if (close != std::string_view::npos && close > open)
        teeVariant = std::string(t.substr(open + 1, close - open - 1));
}

void CompleteRequest(BuildRequest& request) {
    if (request.CompilerIndex < 0 || request.CompilerIndex >= CompilerCount)
        throw std::out_of_range("compiler index outside the compiler list");
    SplitTeeChoice(request.TeeChoice, request.TeeName, request.TeeVariant);
    request.Ver = std::to_string(CompilerList[static_cast<size_t>(request.CompilerIndex)].Ver);
    request.VerC = request.Ver;
    if (request.Platform64)
        request.VerC += "x64";
    request.LibDir = "LibD" + request.VerC;
}

std::string LookupCompilerRoot(const std::vector<std::string>& installed, std::string_view name) {
    for (const std::string& entry : installed) {
        const size_t eq = entry.find('=');
        if (eq != std::string::npos && SameTextAscii(std::string_view(entry).substr(0, eq), name))
            return entry.substr(eq + 1);
    }
    return {};
}

} // namespace vdx
