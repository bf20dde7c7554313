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
    EXPECT_THROW(Utf8Decode("\xC3"), Failure);
    EXPECT_THROW(Utf8Decode("\xED\xBF\xBF"), Failure);
    EXPECT_TRUE(Utf8Decode(std::string("a\0b", 3)) == std::u16string(u"a\0b", 3));
}

} // namespace
} // namespace vdx::rc
