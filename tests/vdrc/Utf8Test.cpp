#include "vdrc/core/Failure.h"
#include "vdrc/core/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vdx::rc {
namespace {

TEST(Utf8, RoundTripsEveryRangeOfCodePoints) {
    const std::u16string text = u"a\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
    const std::string bytes = Utf8Encode(text);
    EXPECT_EQ(bytes, "a\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
                     "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_TRUE(Utf8Decode(bytes) == text);
}

TEST(Utf8, EncodesUnpairedSurrogatesAsReplacementCharacter) {
    const std::u16string text = {u'a', 0xD800, u'b', 0xDC00, 0xDBFF};
    EXPECT_EQ(Utf8Encode(text), "a\xEF\xBF\xBD"
                                "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, DecodeRejectsIllFormedInput) {
    // Ill-formed bytes behind a run of ASCII longer than eight bytes, too.
    for (const char* bytes : {"\xC3", "0123456789abcdef\xC3", "0123456789\x80", "\xED\xA0\x80"}) {
        EXPECT_FALSE(IsUtf8(bytes)) << bytes;
        EXPECT_THROW(Utf8Decode(bytes), Failure);
    }
    EXPECT_TRUE(IsUtf8("0123456789abcdef\xC3\xA9\xF0\x9F\x98\x80xyz"));
    EXPECT_THROW(Utf8Decode("\xED\xBF\xBF"), Failure);
    EXPECT_TRUE(Utf8Decode(std::string("a\0b", 3)) == std::u16string(u"a\0b", 3));
}

} // namespace
} // namespace vdx::rc
