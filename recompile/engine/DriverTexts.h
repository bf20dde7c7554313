#pragma once
// The texts of the compile request driver: its messages, the command lines of
// the resource-unit converter runs and the end text.

#include <array>
#include <string>
#include <string_view>

namespace vdx {

inline constexpr std::string_view RunningEnvironmentText =
    "Delphi/C++Builder is running!\n\rCompile is not possible.\n\rClose Delphi/C++Builder to "
    "continue!";
inline constexpr std::string_view RunningEnvironmentCaption = "Information";
inline constexpr std::string_view SelectCompilerText = "Please select the compiler";
inline constexpr std::string_view NoLibraryFolderText = "Can not find folder with library files";
inline constexpr std::string_view FillTeePathText = "Please fill in the TeeChart path";
inline constexpr std::string_view ErrorCaption = "Error";
inline constexpr std::string_view InformationCaption = "Information";
inline constexpr std::string_view DoneLine = "Done";

// The window class of a running Delphi or C++Builder IDE.
inline constexpr std::string_view IdeWindowClass = "TAppBuilder";

// The four resource files the converter turns into units, in this order.
inline constexpr std::array<std::string_view, 4> ResourceFiles = {
    "vdxrcClass.xml", "vdxrcDesgn.xml", "vdxrcExports.xml", "vdxrcInsp.xml"};

// " -j" (units in UTF-8) for the Japanese, Chinese and Taiwan languages with
// RAD Studio XE 2 to 10.4 Sydney (rows 7 to 18); empty otherwise.
std::string ConverterSwitch(std::string_view language, int compilerIndex);

// "<InstallDir>RES\vdrc.exe" in double quotes, the switch, a blank, the file.
std::string ConverterCommandLine(std::string_view installDir, std::string_view converterSwitch,
                                 std::string_view resourceFile);

// The information text shown at the end of a request.
std::string EndText(std::string_view installDir, std::string_view libDir);

} // namespace vdx
