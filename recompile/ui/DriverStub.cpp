// TEMPORARY - delete this file (and its line in CMakeLists.txt) when the build
// engine and the support modules are merged. It stands in for definitions
// that other parts of the program provide, so that recompile.exe links
// meanwhile:
//   engine/Driver.h       CompileBClick, RequestRunning
//   engine/BuildRequest.h CompilerList, TeeChoices
//   support/tkUtils.h     DirExists, DirWithDelimiter, SystemDirectory

#include "engine/BuildRequest.h"
#include "engine/Driver.h"
#include "support/platform/FileIo.h"
#include "support/platform/Utf.h"
#include "support/tkUtils.h"

#include <windows.h>

namespace vdx {

void CompileBClick(BuildRequest, FrontEnd& frontEnd) {
    frontEnd.setClientHeight(597);
    frontEnd.clearLog();
    frontEnd.appendLog("Done");
}

bool RequestRunning() {
    return false;
}

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

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesW(WidePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirWithDelimiter(std::string_view path) {
    std::string p(path);
    if (!p.empty() && p.back() != '\\' && p.back() != ':')
        p += '\\';
    return p;
}

std::string SystemDirectory() {
    wchar_t buf[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return Narrow(std::wstring_view(buf, n < MAX_PATH ? n : 0));
}

} // namespace vdx
