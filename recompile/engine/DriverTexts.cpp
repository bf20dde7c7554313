#include "engine/DriverTexts.h"

namespace vdx {

std::string ConverterSwitch(std::string_view language, int compilerIndex) {
    bool utf8Language = language == "Japanese" || language == "Chinese" || language == "Taiwan";
    return utf8Language && compilerIndex >= 7 && compilerIndex <= 18 ? " -j" : "";
}

std::string ConverterCommandLine(std::string_view installDir, std::string_view converterSwitch,
                                 std::string_view resourceFile) {
    return "\"" + std::string(installDir) + "RES\\vdrc.exe\"" + std::string(converterSwitch) + " " +
           std::string(resourceFile);
}

std::string EndText(std::string_view installDir, std::string_view libDir) {
    return "Recompiled files are in the\r\n\"" + std::string(installDir) + std::string(libDir) +
           "\" folder.\r\n\r\nBe sure that your Delphi/BCB Library path is set up correctly.";
}

} // namespace vdx
