#include "vdrc/core/Arguments.h"

namespace vdx::rc {

namespace {
bool IsSwitch(const std::u16string& arg) {
    return !arg.empty() && (arg[0] == u'-' || arg[0] == u'/');
}
} // namespace

Arguments ParseArguments(std::span<const std::u16string> args) {
    Arguments result;
    for (const std::u16string& arg : args) {
        if (IsSwitch(arg)) {
            if (arg.size() == 2 && (arg[1] == u'j' || arg[1] == u'J'))
                result.utf8 = true;
        } else if (!arg.empty() && !result.hasInput) {
            result.hasInput = true;
            result.input = arg;
        }
    }
    return result;
}

} // namespace vdx::rc
