// Any input either loads into a tree or raises the document's error; reading
// attribute values of every item either gives a text or the conversion error.
// Crashes, hangs, leaks and sanitizer reports are the faults looked for.

#include "support/Errors.h"
#include "support/vdxXML.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Attribute names that the text of an item offers: every run of characters
// that follows a blank (or the start) and stands before "=".
std::vector<std::string> OfferedNames(const std::string& attrText) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= attrText.size() && names.size() < 8) {
        const size_t eq = attrText.find('=', start);
        if (eq == std::string::npos)
            break;
        const size_t blank = attrText.rfind(' ', eq);
        const size_t from = (blank == std::string::npos || blank < start) ? start : blank + 1;
        names.push_back(attrText.substr(from, eq - from));
        start = eq + 1;
    }
    return names;
}

void ReadValue(const vdx::TvdxXMLItem& item, std::string_view name) {
    try {
        const std::string value = item.AttrValue(name);
        Check(value.size() <= item.AttrText.size());
    } catch (const vdx::ConvertError&) {
    }
}

void Walk(vdx::TvdxXMLItem& root) {
    std::vector<vdx::TvdxXMLItem*> pending{&root};
    while (!pending.empty()) {
        vdx::TvdxXMLItem& item = *pending.back();
        pending.pop_back();
        for (const std::string& name : OfferedNames(item.AttrText))
            ReadValue(item, name);
        ReadValue(item, "name");
        ReadValue(item, item.Name);
        try {
            vdx::DecodeCharRefs(item.AttrText);
        } catch (const vdx::ConvertError&) {
        }
        const int count = item.ChildCount();
        if (count > 0)
            Check(item.IndexOfChild(item.Child(0).Name) == 0);
        for (int i = 0; i < count; ++i) {
            Check(item.Child(i).Parent == &item);
            pending.push_back(&item.Child(i));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vdx::TvdxXMLDocument document;
    vdx::MemoryStream stream(text);
    try {
        document.LoadFromStream(stream);
    } catch (const vdx::FormatError&) {
    }
    Check(stream.Position() >= 0 && stream.Position() <= static_cast<int64_t>(size));
    Walk(document.Root());

    // A section asked for by name is found again, or added once.
    vdx::TvdxXMLItem& section = document.Root().ChildByName("all");
    Check(&document.Root().ChildByName("ALL") == &section);

    // Loading again replaces the content.
    vdx::MemoryStream again(text);
    try {
        document.LoadFromStream(again);
    } catch (const vdx::FormatError&) {
    }
    return 0;
}
