#include "support/Errors.h"
#include "support/vdxXML.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vdx;

namespace {

const std::string Decl = "<?xml version=\"1.0\"?>";

// The tree as text: name, [attribute text] when not empty, (children).
std::string Dump(const TvdxXMLItem& item) {
    std::string s = item.Name;
    if (!item.AttrText.empty())
        s += "[" + item.AttrText + "]";
    if (item.ChildCount() > 0) {
        s += "(";
        for (int i = 0; i < item.ChildCount(); ++i) {
            if (i > 0)
                s += ",";
            s += Dump(item.Child(i));
        }
        s += ")";
    }
    return s;
}

std::string LoadDump(const std::string& text) {
    TvdxXMLDocument doc;
    MemoryStream stream(text);
    doc.LoadFromStream(stream);
    return Dump(doc.Root());
}

// A stream that records the sizes asked for and may deliver fewer bytes
// than its size announces.
class RecordingStream : public ByteStream {
public:
    RecordingStream(std::string data, int64_t announcedSize)
        : data_(std::move(data)), size_(announcedSize) {}
    int64_t Size() const override { return size_; }
    int64_t Position() const override { return pos_; }
    void SetPosition(int64_t pos) override { pos_ = pos; }
    size_t Read(char* buffer, size_t count) override {
        reads.push_back(count);
        size_t n = 0;
        while (n < count && pos_ < static_cast<int64_t>(data_.size()))
            buffer[n++] = data_[static_cast<size_t>(pos_++)];
        return n;
    }
    std::vector<size_t> reads;

private:
    std::string data_;
    int64_t size_;
    int64_t pos_ = 0;
};

} // namespace

TEST(XmlDocument, BuildsTheTreeOfElements) {
    struct Case {
        std::string text;
        std::string tree;
    };
    const std::vector<Case> cases = {
        {Decl + "<a><b x=\"1\"/><c></c></a>", "a(b[x=\"1\"],c)"},
        {Decl + "\r\n<a> hello <b/> \r\n</a> tail", "a(b)"},
        {Decl + "<a/>", "a"},
        {Decl + "<a />", "a"},
        {Decl + "<a></a>", "a"},
        {Decl + "<a></A>", "a"},
        {Decl + "<a x=\"1\" />", "a[x=\"1\" ]"},
        {Decl + "<Root k=\"v\"><S><t/></s></ROOT>", "Root[k=\"v\"](S(t))"},
        // A tab or a line break is part of the name; only code 32 separates.
        {Decl + "<a\tb=\"1\"/>", "a\tb=\"1\""},
        // Quotes are not tracked: ">" inside a value ends the tag.
        {Decl + "<a x=\">\"/>", "a[x=\"]"},
        // The input may stop before the end tags.
        {Decl + "<a><b/>", "a(b)"},
        {Decl + "<a><b><c/>", "a(b(c))"},
        // An empty tag ends the enclosing element without an end-tag check.
        {Decl + "<a><b><c/><><d/></a>", "a(b(c),d)"},
        {Decl + "<a><b>< ></a>", "a(b)"},
        // The declaration's attributes are not kept.
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?> <actions/>", "actions"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadDump(c.text), c.tree) << c.text;
}

TEST(XmlDocument, SkipsComments) {
    EXPECT_EQ(LoadDump("<!-- first -->" + Decl + "<!-- x < y --><a><!----><b/></a>"), "a(b)");
    // The comment ends at the first ">" after two dashes, whatever follows
    // them; the rest is character data.
    EXPECT_EQ(LoadDump(Decl + "<a><!-- a -- b > c --><b/></a>"), "a(b)");
    // "-->" alone does not end it: the two dashes must come after "<!--".
    EXPECT_EQ(LoadDump(Decl + "<a><!--> <x/> --><b/></a>"), "a(b)");
    // An unterminated comment at the end is accepted.
    EXPECT_EQ(LoadDump(Decl + "<a><b/><!-- open"), "a(b)");
}

TEST(XmlDocument, RejectsMalformedInput) {
    const std::vector<std::string> bad = {
        "",
        "<a/>",
        "<xml?><a/>",
        "<?XML version=\"1.0\"?><a/>",
        Decl + "<a></b>",
        Decl + "<a><b></a></b>",
        Decl + "<a x=\"1\"<b/></a>",
        Decl + "<a><b",
        "<?xml",
    };
    for (const std::string& text : bad) {
        TvdxXMLDocument doc;
        MemoryStream stream(text);
        try {
            doc.LoadFromStream(stream);
            ADD_FAILURE() << "loaded: " << text;
        } catch (const FormatError& e) {
            EXPECT_STREQ(e.what(), "Invalid file format");
        }
    }
}

TEST(XmlDocument, FailedLoadKeepsTheChildrenReadBefore) {
    TvdxXMLDocument doc;
    const std::string text = Decl + "<r><a/><b><c/></x><d/></r>";
    MemoryStream stream(text);
    EXPECT_THROW(doc.LoadFromStream(stream), FormatError);
    EXPECT_EQ(Dump(doc.Root()), "r(a)");
}

TEST(XmlDocument, LoadingAgainReplacesTheContent) {
    TvdxXMLDocument doc;
    const std::string first = Decl + "<a x=\"1\"><b/><c/></a>";
    const std::string second = Decl + "<z><y/></z>";
    MemoryStream s1(first), s2(second);
    doc.LoadFromStream(s1);
    doc.LoadFromStream(s2);
    EXPECT_EQ(Dump(doc.Root()), "z(y)");
}

TEST(XmlDocument, CutsLdZeroOnlyFromElementsWithEndTag) {
    EXPECT_EQ(LoadDump(Decl + "<r><s ld=\"0\" k=\"v\"></s></r>"), "r(s[ k=\"v\"])");
    EXPECT_EQ(LoadDump(Decl + "<r><s ld=\"0\" k=\"v\"/></r>"), "r(s[ld=\"0\" k=\"v\"])");
    // Letter case does not matter; only the first occurrence goes; it may
    // stand inside another attribute's name.
    EXPECT_EQ(LoadDump(Decl + "<r LD=\"0\" fold=\"0\" x=\"1\"></r>"), "r[ fold=\"0\" x=\"1\"]");
    EXPECT_EQ(LoadDump(Decl + "<r fold=\"0\"></r>"), "r[fo]");
}

TEST(XmlDocument, ReadsBlocksOf4096BytesAndStopsAfterTheRootElement) {
    std::string text = Decl + "<a>";
    while (text.size() < 10000)
        text += "<item name=\"x\"/>";
    text += "</a>";
    const size_t end = text.size();
    text += "<after/>";
    RecordingStream stream(text, static_cast<int64_t>(text.size()));
    TvdxXMLDocument doc;
    doc.LoadFromStream(stream);
    EXPECT_EQ(doc.Root().Name, "a");
    EXPECT_GT(doc.Root().ChildCount(), 500);
    for (size_t n : stream.reads)
        EXPECT_EQ(n, 4096u);
    EXPECT_EQ(stream.reads.size(), (end - 1) / 4096 + 1);
    // The stream is left just after the last character consumed.
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(end));
}

TEST(XmlDocument, StartsAtTheStreamPosition) {
    const std::string text = "garbage<" + Decl + "<a/>";
    MemoryStream stream(text);
    stream.SetPosition(8);
    TvdxXMLDocument doc;
    doc.LoadFromStream(stream);
    EXPECT_EQ(doc.Root().Name, "a");
}

TEST(XmlDocument, StreamShorterThanItsSizeEndsTheInput) {
    const std::string text = Decl + "<a><b/>";
    RecordingStream stream(text, 1000000);
    TvdxXMLDocument doc;
    doc.LoadFromStream(stream);
    EXPECT_EQ(Dump(doc.Root()), "a(b)");
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(text.size()));
}

TEST(XmlDocument, DeepNestingNeedsNoDeepStack) {
    const int depth = 100000;
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<e>";
        close += "</e>";
    }
    for (const std::string& text : {Decl + open + close, Decl + open}) {
        TvdxXMLDocument doc;
        MemoryStream stream(text);
        doc.LoadFromStream(stream);
        int levels = 1;
        for (const TvdxXMLItem* item = &doc.Root(); item->ChildCount() == 1; item = &item->Child(0))
            ++levels;
        EXPECT_EQ(levels, depth);
    }
    // An error deep down discards the open elements without recursion too.
    TvdxXMLDocument doc;
    const std::string bad = Decl + open + "</x>";
    MemoryStream stream(bad);
    EXPECT_THROW(doc.LoadFromStream(stream), FormatError);
    EXPECT_EQ(doc.Root().ChildCount(), 0);
}

TEST(XmlItem, AppendChildMovesItems) {
    TvdxXMLItem root;
    TvdxXMLItem& a = root.AppendNewChild();
    a.Name = "a";
    TvdxXMLItem& b = root.AppendNewChild();
    b.Name = "b";
    EXPECT_EQ(a.Parent, &root);

    // An item already here moves to the end.
    auto self = std::unique_ptr<TvdxXMLItem>(&a);
    root.AppendChild(std::move(self));
    EXPECT_EQ(Dump(root), "(b,a)");

    // An item of another parent leaves it.
    TvdxXMLItem other;
    other.AppendChild(std::unique_ptr<TvdxXMLItem>(&b));
    EXPECT_EQ(Dump(root), "(a)");
    EXPECT_EQ(Dump(other), "(b)");
    EXPECT_EQ(b.Parent, &other);

    root.ClearChildren();
    EXPECT_EQ(root.ChildCount(), 0);
}

TEST(XmlItem, ChildByNameFindsOrAppends) {
    TvdxXMLDocument doc;
    const std::string text = Decl + "<actions><Language/><all/></actions>";
    MemoryStream stream(text);
    doc.LoadFromStream(stream);
    TvdxXMLItem& root = doc.Root();
    EXPECT_EQ(root.IndexOfChild("LANGUAGE"), 0);
    EXPECT_EQ(root.IndexOfChild("fib"), -1);
    EXPECT_EQ(&root.ChildByName("language"), &root.Child(0));

    TvdxXMLItem& fib = root.ChildByName("fib");
    EXPECT_EQ(root.ChildCount(), 3);
    EXPECT_EQ(&root.Child(2), &fib);
    EXPECT_EQ(fib.Name, "fib");
    EXPECT_EQ(fib.AttrText, "");
    EXPECT_EQ(fib.ChildCount(), 0);
    EXPECT_EQ(&root.ChildByName("fib"), &fib);
    EXPECT_EQ(&root.ChildByName("FIB"), &fib);
    EXPECT_EQ(root.ChildCount(), 3);
}

TEST(XmlItem, AttrValue) {
    struct Case {
        std::string attrText, name, value;
    };
    const std::vector<Case> cases = {
        {"name=\"copy\"", "NAME", "copy"},
        {"NaMe=\"copy\"", "name", "copy"},
        {"name = \"copy\"", "name", ""},
        {"name='copy'", "name", ""},
        {"name=\"a&#34;b\"", "name", "a\"b"},
        {"name=\"a&amp;b\"", "name", "a&amp;b"},
        {"name=\"x", "name", ""},
        {"xfrom=\"1\" from=\"2\"", "from", "2"},
        {"kind=\"all\"", "files", ""},
        {"a=\"1\" a=\"2\"", "a", "1"},
        {"name=\"\"", "name", ""},
        // Raw text: a value that looks like an attribute is taken for one.
        {"files=\" kind=\"all\"", "kind", "all"},
        {"from=\"Res\\%LANG%\\\"", "from", "Res\\%LANG%\\"},
    };
    for (const Case& c : cases) {
        TvdxXMLItem item;
        item.AttrText = c.attrText;
        EXPECT_EQ(item.AttrValue(c.name), c.value) << c.attrText << " / " << c.name;
    }
}

TEST(XmlItem, AttrValueRaisesTheConversionError) {
    TvdxXMLItem item;
    item.AttrText = "name=\"&#abc;\"";
    try {
        item.AttrValue("name");
        ADD_FAILURE();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(XmlCharRefs, DecodesNumericReferences) {
    struct Case {
        std::string text, decoded;
    };
    const std::vector<Case> cases = {
        {"&#65;", "A"},
        {"x&#65;y&#66;z", "xAyBz"},
        {"&#x41;&#X41;&#$41;&#0x41;&#0X41;&#$4a;", "AAAAAJ"},
        {"&# 65;&#  +65;", "AA"},
        {"&#065;", "A"},
        {"&#321;", "A"},          // low 8 bits
        {"&#-191;", "A"},         // -191 and 255 = 65
        {"&#$FFFFFFFF;", "\xFF"}, // hexadecimal may use all 32 bits
        {"&#2147483647;", "\xFF"},
        {"&#-2147483648;", std::string(1, '\0')},
        {"&#0;", std::string(1, '\0')},
        // The new character never starts another reference.
        {"&#38;#65;", "&#65;"},
        // Not references: too short, not numeric, no ";" up to the end.
        {"&#;", "&#;"},
        {"&#6", "&#6"},
        {"&amp;&lt;", "&amp;&lt;"},
        {"& #65;", "& #65;"},
        {"a&#65", "a&#65"},
        {"&#65;&#66", "A&#66"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeCharRefs(c.text), c.decoded) << c.text;
}

TEST(XmlCharRefs, BadNumbersRaiseTheConversionError) {
    struct Case {
        std::string text, number;
    };
    const std::vector<Case> cases = {
        {"&#abc;", "abc"},
        {"&#65 ;", "65 "},       // trailing blank
        {"&#;;", ";"},           // the ";" must stand at least one place further
        {"&#65&#66;", "65&#66"}, // up to the first ";"
        {"&#$;", "$"},
        {"&#x;", "x"},
        {"&#-;", "-"},
        {"&#1.5;", "1.5"},
        {"&#2147483648;", "2147483648"},
        {"&#-2147483649;", "-2147483649"},
        {"&#$100000000;", "$100000000"},
        {"&#99999999999999999999999;", "99999999999999999999999"},
        {"&#\t65;", "\t65"},
    };
    for (const Case& c : cases) {
        try {
            DecodeCharRefs(c.text);
            ADD_FAILURE() << "decoded: " << c.text;
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + c.number + "' is not a valid integer value");
        }
    }
}
