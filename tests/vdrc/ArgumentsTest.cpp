#include "vdrc/core/Arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::rc {
namespace {

TEST(Arguments, FindsInputPathAndUtf8Switch) {
    const struct {
        std::vector<std::u16string> args;
        bool hasInput;
        std::u16string input;
        bool utf8;
    } cases[] = {
        {{}, false, u"", false},
        {{u"-x"}, false, u"", false},
        {{u"-j"}, false, u"", true},
        {{u""}, false, u"", false},
        {{u"", u"/J", u""}, false, u"", true},
        {{u"a.xml"}, true, u"a.xml", false},
        {{u"-j", u"C:\\res\\vdxrcInsp.xml"}, true, u"C:\\res\\vdxrcInsp.xml", true},
        {{u"C:\\res\\vdxrcInsp.xml", u"/J"}, true, u"C:\\res\\vdxrcInsp.xml", true},
        {{u"/j", u"a.xml"}, true, u"a.xml", true},
        {{u"-J", u"a.xml"}, true, u"a.xml", true},
        // An empty argument is skipped; the search for the path goes on.
        {{u"", u"a.xml"}, true, u"a.xml", false},
        // Later paths are ignored, switches anywhere still count.
        {{u"a.xml", u"b.xml", u"-j"}, true, u"a.xml", true},
        // Other switches are ignored; "-jx", "-" and "/" are no "j" switch.
        {{u"-x", u"-jx", u"-", u"/", u"--j", u"a.xml"}, true, u"a.xml", false},
        {{u"-", u"/"}, false, u"", false},
        // A path with blanks or non-ASCII characters is one argument already.
        {{u"C:\\Program Files\\\u00E9t\u00E9.xml"},
         true,
         u"C:\\Program Files\\\u00E9t\u00E9.xml",
         false},
    };
    for (const auto& c : cases) {
        const Arguments a = ParseArguments(c.args);
        SCOPED_TRACE(testing::Message() << "case with " << c.args.size() << " arguments, input "
                                        << std::string(c.input.begin(), c.input.end()));
        EXPECT_EQ(a.hasInput, c.hasInput);
        EXPECT_TRUE(a.input == c.input);
        EXPECT_EQ(a.utf8, c.utf8);
    }
}

} // namespace
} // namespace vdx::rc
