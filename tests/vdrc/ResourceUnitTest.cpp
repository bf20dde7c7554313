#include "vdrc/core/Failure.h"
#include "vdrc/core/ResourceUnit.h"
#include "vdrc/core/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::rc {
namespace {

const std::string kHead = "unit Res;\r\n"
                          "\r\n"
                          "interface\r\n"
                          "{$I vdx.inc}\r\n"
                          "implementation\r\n"
                          "uses vdxRes;\r\n"
                          "const resXML =\r\n";
const std::string kTail = "'';\r\n"
                          "initialization\r\n"
                          "    vdxResources.AddXML(Utf8Encode(resXML));\r\n"
                          "\r\n"
                          "end.\r\n";

// The unit for the given input bytes, as UTF-8.
std::string Convert(std::string_view bytes) {
    return Utf8Encode(ConvertResource(u"Res", bytes));
}

// The literal lines of a unit (between the head and the tail).
std::string Body(std::string_view bytes) {
    std::string unit = Convert(bytes);
    EXPECT_EQ(unit.substr(0, kHead.size()), kHead);
    EXPECT_GE(unit.size(), kHead.size() + kTail.size());
    EXPECT_EQ(unit.substr(unit.size() - kTail.size()), kTail);
    return unit.substr(kHead.size(), unit.size() - kHead.size() - kTail.size());
}

TEST(ResourceUnit, WholeUnitLineByLine) {
    EXPECT_EQ(Convert("<a/>"), kHead + "'<a/>'+\r\n" + kTail);
    EXPECT_EQ(ConvertResourceUtf8(u"vdxrcInsp", ""),
              "unit vdxrcInsp;\r\n"
              "\r\n"
              "interface\r\n"
              "{$I vdx.inc}\r\n"
              "implementation\r\n"
              "uses vdxRes;\r\n"
              "const resXML =\r\n"
              "'';\r\n"
              "initialization\r\n"
              "    vdxResources.AddXML(Utf8Encode(resXML));\r\n"
              "\r\n"
              "end.\r\n");
}

TEST(ResourceUnit, EmptyTextHasNoLiteralLines) {
    EXPECT_EQ(Body(""), "");
    EXPECT_EQ(Body("\xEF\xBB\xBF"), "");
    EXPECT_EQ(Body("\r\n\r\n\n\r"), "");
    EXPECT_EQ(Body(std::string("\0<a/>", 5)), "");
}

TEST(ResourceUnit, CutsEveryEightyCodeUnits) {
    const std::string a80(80, 'a'), b80(80, 'b');
    EXPECT_EQ(Body(a80), "'" + a80 + "'+\r\n");
    EXPECT_EQ(Body(a80 + "x"), "'" + a80 + "'+\r\n'x'+\r\n");
    EXPECT_EQ(Body(a80 + b80), "'" + a80 + "'+\r\n'" + b80 + "'+\r\n");
    // Line breaks do not count, and each line's text is counted in UTF-16
    // code units, not in bytes: "é" is two bytes but one code unit.
    EXPECT_EQ(Body(std::string(40, 'a') + "\r\n" + std::string(40, 'a') + "\nx"),
              "'" + a80 + "'+\r\n'x'+\r\n");
    std::string e80;
    for (int i = 0; i < 80; ++i)
        e80 += "\xC3\xA9";
    EXPECT_EQ(Body(e80 + "z"), "'" + e80 + "'+\r\n'z'+\r\n");
}

TEST(ResourceUnit, DoublesApostrophesAfterTheCut) {
    EXPECT_EQ(Body("it's"), "'it''s'+\r\n");
    // The 80th code unit is an apostrophe: both halves of the pair stay on
    // the line, which grows past 80.
    const std::string a79(79, 'a');
    EXPECT_EQ(Body(a79 + "''b"), "'" + a79 + "'''+\r\n'''b'+\r\n");
    const std::string q80(80, '\'');
    EXPECT_EQ(Body(q80), "'" + q80 + q80 + "'+\r\n");
}

TEST(ResourceUnit, KeepsSurrogatePairOnOneLine) {
    const std::string face = "\xF0\x9F\x98\x80"; // U+1F600, two UTF-16 code units
    const std::string a79(79, 'a'), a78(78, 'a');
    // Code units 80 and 81 form the pair: the line ends before it.
    EXPECT_EQ(Body(a79 + face + "b"), "'" + a79 + "'+\r\n'" + face + "b'+\r\n");
    // The pair ends exactly at 80: no change.
    EXPECT_EQ(Body(a78 + face + "b"), "'" + a78 + face + "'+\r\n'b'+\r\n");
    // A text of pairs only: 40 pairs per line.
    std::string faces;
    for (int i = 0; i < 41; ++i)
        faces += face;
    EXPECT_EQ(Body(faces), "'" + faces.substr(0, 160) + "'+\r\n'" + face + "'+\r\n");
}

TEST(ResourceUnit, RemovesLineBreaksAndKeepsIndentation) {
    EXPECT_EQ(Body("<a>\r\n  <b/>"), "'<a>  <b/>'+\r\n");
    EXPECT_EQ(Body("<a>\n\t<b/>\r</a>\r\n"), "'<a>\t<b/></a>'+\r\n");
}

TEST(ResourceUnit, TextEndsAtFirstNul) {
    EXPECT_EQ(Body(std::string("<a/>\0<b/>", 9)), "'<a/>'+\r\n");
}

TEST(ResourceUnit, SkipsOnlyALeadingByteOrderMark) {
    EXPECT_EQ(Body("\xEF\xBB\xBF<a/>"), "'<a/>'+\r\n");
    EXPECT_EQ(Body("\xEF\xBB\xBF\xEF\xBB\xBFx"), "'\xEF\xBB\xBFx'+\r\n");
    EXPECT_EQ(Body("x\xEF\xBB\xBF"), "'x\xEF\xBB\xBF'+\r\n");
}

TEST(ResourceUnit, RejectsBytesThatAreNotUtf8) {
    const char* cases[] = {
        "\x80",             // continuation byte without lead
        "caf\xE9",          // ANSI text
        "\xC0\xAF",         // overlong "/"
        "\xE0\x80\xAF",     // overlong, three bytes
        "\xF0\x80\x80\xAF", // overlong, four bytes
        "\xED\xA0\x80",     // a surrogate written as UTF-8
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF5\x80\x80\x80", // lead byte never used
        "\xFF",             //
        "ok\xE2\x82",       // sequence cut off at the end
        "\xE2\x82(",        // sequence cut off by an ASCII byte
        "\xFE\xFF<a/>",     // UTF-16 byte-order mark: not recognised
    };
    for (const char* bytes : cases) {
        try {
            Convert(bytes);
            ADD_FAILURE() << "accepted: " << testing::PrintToString(std::string(bytes));
        } catch (const Failure& e) {
            EXPECT_EQ(e.Line(), "EEncodingError: No mapping for the Unicode character exists in "
                                "the target multi-byte code page");
        }
    }
    // Bytes after the end of the text must be UTF-8 as well.
    EXPECT_THROW(Convert(std::string("<a/>\0\xFF", 6)), Failure);
}

TEST(ResourceUnit, AcceptsEveryKindOfUtf8Sequence) {
    const std::string text = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"
                             "\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(Body(text), "'" + text + "'+\r\n");
}

// Collects the pieces a sink receives.
class Pieces : public UnitSink<char16_t> {
public:
    void Write(std::u16string_view piece) override { pieces.emplace_back(piece); }
    std::vector<std::u16string> pieces;
};

TEST(ResourceUnit, HandsOverPiecesThatKeepPairsTogether) {
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "\xF0\x9F\x98\x80'x\r\n";
    const std::u16string whole = ConvertResource(u"Res", text);
    for (size_t pieceSize : {1, 2, 3, 100}) {
        Pieces sink;
        ConvertResource(u"Res", text, sink, pieceSize);
        std::u16string joined;
        for (const std::u16string& piece : sink.pieces) {
            EXPECT_FALSE(!piece.empty() && piece.back() >= 0xD800 && piece.back() <= 0xDBFF);
            joined += piece;
        }
        EXPECT_TRUE(joined == whole) << pieceSize;
        EXPECT_GT(sink.pieces.size(), 10u);
    }
}

TEST(UnitName, IsTheFileNameWithoutItsLastExtension) {
    const struct {
        std::u16string path, name;
    } cases[] = {
        {u"C:\\res\\vdxrcInsp.xml", u"vdxrcInsp"},
        {u"vdxrcInsp.xml", u"vdxrcInsp"},
        {u"a.b.xml", u"a.b"},
        {u"res", u"res"},
        {u"C:x.xml", u"x"},
        {u"dir.d\\file", u"file"},
        {u"sub/x.xml", u"x"},
        {u"\\\\server\\share\\Res\\vdxrcClass.xml", u"vdxrcClass"},
        {u".xml", u""},
        {u"C:\\res\\", u""},
        {u"\u00C4nderung.xml", u"\u00C4nderung"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnitNameOf(c.path), c.name) << Utf8Encode(c.path);
}

} // namespace
} // namespace vdx::rc
