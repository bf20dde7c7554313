#include "support/vdxXML.h"

#include "support/Errors.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace vdx {

// ---------------------------------------------------------------------------
// TvdxXMLItem

TvdxXMLItem::~TvdxXMLItem() {
    ClearChildren();
    if (Parent && Parent->children_) {
        // Only reachable when an item is destroyed while still listed by its
        // parent: drop the entry without destroying this item a second time.
        auto& list = *Parent->children_;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->get() == this) {
                it->release();
                list.erase(it);
                break;
            }
        }
    }
}

int TvdxXMLItem::ChildCount() const {
    return children_ ? static_cast<int>(children_->size()) : 0;
}

TvdxXMLItem& TvdxXMLItem::Child(int index) const {
    return *(*children_)[static_cast<size_t>(index)];
}

TvdxXMLItem& TvdxXMLItem::AppendNewChild() {
    auto item = std::make_unique<TvdxXMLItem>();
    TvdxXMLItem& ref = *item;
    AppendChild(std::move(item));
    return ref;
}

void TvdxXMLItem::AppendChild(std::unique_ptr<TvdxXMLItem> item) {
    if (!item)
        return;
    if (!children_)
        children_ = std::make_unique<std::vector<std::unique_ptr<TvdxXMLItem>>>();
    TvdxXMLItem* raw = item.get();
    TvdxXMLItem* oldParent = raw->Parent;
    children_->push_back(std::move(item));
    if (oldParent && oldParent->children_) {
        // The earlier entry (the first one that is not the new last entry)
        // still points at the item: give up that ownership without deleting.
        auto& list = *oldParent->children_;
        const auto end = (oldParent == this) ? list.end() - 1 : list.end();
        for (auto it = list.begin(); it != end; ++it) {
            if (it->get() == raw) {
                it->release();
                list.erase(it);
                break;
            }
        }
    }
    raw->Parent = this;
}

void TvdxXMLItem::ClearChildren() {
    if (!children_)
        return;
    // Detach the whole subtree level by level and destroy the items once they
    // have no children left, so that a very deep tree cannot exhaust the
    // stack through nested destructors.
    std::vector<std::unique_ptr<TvdxXMLItem>> pending;
    pending.swap(*children_);
    children_.reset();
    while (!pending.empty()) {
        std::unique_ptr<TvdxXMLItem> item = std::move(pending.back());
        pending.pop_back();
        item->Parent = nullptr;
        if (item->children_) {
            for (auto& child : *item->children_)
                pending.push_back(std::move(child));
            item->children_.reset();
        }
    }
}

int TvdxXMLItem::IndexOfChild(std::string_view name) const {
    const int count = ChildCount();
    for (int i = 0; i < count; ++i)
        if (SameTextAscii(Child(i).Name, name))
            return i;
    return -1;
}

TvdxXMLItem& TvdxXMLItem::ChildByName(std::string_view name) {
    const int index = IndexOfChild(name);
    if (index >= 0)
        return Child(index);
    TvdxXMLItem& item = AppendNewChild();
    item.Name = std::string(name);
    return item;
}

std::string TvdxXMLItem::AttrValue(std::string_view name) const {
    const std::string haystack = " " + ToUpperAscii(AttrText);
    const std::string needle = " " + ToUpperAscii(name) + "=\"";
    const size_t found = haystack.find(needle);
    if (found == std::string::npos)
        return {};
    // The haystack has one leading blank more than AttrText.
    const size_t start = found + needle.size() - 1;
    const size_t quote = AttrText.find('"', start);
    if (quote == std::string::npos)
        return {};
    return DecodeCharRefs(std::string_view(AttrText).substr(start, quote - start));
}

// ---------------------------------------------------------------------------
// MemoryStream

size_t MemoryStream::Read(char* buffer, size_t count) {
    const int64_t size = Size();
    if (pos_ < 0 || pos_ >= size)
        return 0;
    const size_t n = std::min(count, static_cast<size_t>(size - pos_));
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += static_cast<int64_t>(n);
    return n;
}

// ---------------------------------------------------------------------------
// TvdxXMLReader: tokenizer and element reader, alive for one load.

class TvdxXMLReader {
public:
    explicit TvdxXMLReader(ByteStream& stream);
    ~TvdxXMLReader();
    TvdxXMLReader(const TvdxXMLReader&) = delete;
    TvdxXMLReader& operator=(const TvdxXMLReader&) = delete;

    void ReadDeclaration();
    bool ReadElement(TvdxXMLItem& item);

private:
    enum class Begun { EndMarker, Empty, Open };

    static constexpr int32_t BufferSize = 4096;

    void FillBuffer();
    bool NextChar(char& c);
    void ReadTag(std::string& name, std::string& attrText);
    Begun BeginElement(TvdxXMLItem& item);
    void FinishElement(TvdxXMLItem& item);

    char buffer_[BufferSize];
    int32_t bufferPos_ = 0;
    int32_t bufferFill_ = 0;
    int64_t position_ = 0;
    int64_t size_ = 0;
    ByteStream& stream_;

    std::string tag_;         // text of the tag being read, reused between tags
    std::string lastTagName_; // name of the tag most recently read by ReadElement
};

TvdxXMLReader::TvdxXMLReader(ByteStream& stream)
    : position_(stream.Position()), size_(stream.Size()), stream_(stream) {
    tag_.reserve(BufferSize);
}

TvdxXMLReader::~TvdxXMLReader() {
    try {
        stream_.SetPosition(position_);
    } catch (...) {
        // A stream that cannot be positioned keeps its own position.
    }
}

void TvdxXMLReader::FillBuffer() {
    bufferFill_ = static_cast<int32_t>(stream_.Read(buffer_, BufferSize));
    bufferPos_ = 0;
}

bool TvdxXMLReader::NextChar(char& c) {
    if (position_ >= size_)
        return false;
    if (bufferPos_ == bufferFill_) {
        FillBuffer();
        // A stream that delivers less than its size announced ends the input
        // here instead of handing out stale buffer contents.
        if (bufferFill_ <= 0) {
            bufferFill_ = 0;
            size_ = position_;
            return false;
        }
    }
    c = buffer_[bufferPos_++];
    ++position_;
    return true;
}

void TvdxXMLReader::ReadTag(std::string& name, std::string& attrText) {
    enum class State { Outside, InTag, InComment };
    State state = State::Outside;
    int dashes = 0;
    tag_.clear();
    char c;
    bool complete = false;
    while (!complete && NextChar(c)) {
        switch (state) {
        case State::Outside:
            if (c == '<') {
                state = State::InTag;
                tag_.clear();
            }
            break;
        case State::InTag:
            if (c == '>') {
                complete = true;
            } else if (c == '<') {
                throw FormatError();
            } else {
                tag_ += c;
                if (tag_.size() == 3 && tag_ == "!--") {
                    state = State::InComment;
                    tag_.clear();
                    dashes = 0;
                }
            }
            break;
        case State::InComment:
            if (dashes < 2)
                dashes = (c == '-') ? dashes + 1 : 0;
            else if (c == '>')
                state = State::Outside;
            break;
        }
    }
    if (!complete) {
        if (state == State::InTag)
            throw FormatError();
        name.clear();
        attrText.clear();
        return;
    }
    if (!tag_.empty() && tag_.back() == ' ')
        tag_.pop_back();
    const size_t blank = tag_.find(' ');
    if (blank == std::string::npos) {
        name = tag_;
        attrText.clear();
    } else {
        name = tag_.substr(0, blank);
        attrText = tag_.substr(blank + 1);
    }
}

void TvdxXMLReader::ReadDeclaration() {
    std::string name, attrText;
    ReadTag(name, attrText);
    if (name.compare(0, 4, "?xml") != 0)
        throw FormatError();
}

// Reads the start tag of `item`: an end marker (empty tag, end of input or an
// end tag), an element without children, or an element whose children follow.
TvdxXMLReader::Begun TvdxXMLReader::BeginElement(TvdxXMLItem& item) {
    ReadTag(item.Name, item.AttrText);
    lastTagName_ = item.Name;
    if (item.Name.empty() || item.Name.front() == '/')
        return Begun::EndMarker;
    if (item.Name.back() == '/') {
        item.Name.pop_back();
        return Begun::Empty;
    }
    if (!item.AttrText.empty() && item.AttrText.back() == '/') {
        item.AttrText.pop_back();
        return Begun::Empty;
    }
    return Begun::Open;
}

// Called after the end marker of `item`'s children has been read.
void TvdxXMLReader::FinishElement(TvdxXMLItem& item) {
    // An empty last tag name means the input ended (or an empty tag stood
    // there): the element is closed without complaint.
    if (!lastTagName_.empty() &&
        !(lastTagName_.size() == item.Name.size() + 1 && lastTagName_[0] == '/' &&
          SameTextAscii(std::string_view(lastTagName_).substr(1), item.Name)))
        throw FormatError();
    const size_t ld = ToLowerAscii(item.AttrText).find("ld=\"0\"");
    if (ld != std::string::npos)
        item.AttrText.erase(ld, 6);
}

// Returns whether `item` turned out to be an end marker. Nested elements are
// read with an explicit stack of open elements rather than by recursion, so
// the depth of a document is limited by memory only. Elements are appended
// to their parent once they are complete; when an error is raised the open
// elements are discarded and `item` keeps the children appended so far.
bool TvdxXMLReader::ReadElement(TvdxXMLItem& item) {
    const Begun begun = BeginElement(item);
    if (begun != Begun::Open)
        return begun == Begun::EndMarker;

    std::vector<std::unique_ptr<TvdxXMLItem>> open; // below `item`, innermost last
    for (;;) {
        TvdxXMLItem& current = open.empty() ? item : *open.back();
        auto child = std::make_unique<TvdxXMLItem>();
        switch (BeginElement(*child)) {
        case Begun::Open:
            open.push_back(std::move(child));
            break;
        case Begun::Empty:
            current.AppendChild(std::move(child));
            break;
        case Begun::EndMarker:
            child.reset();
            FinishElement(current);
            if (open.empty())
                return false;
            std::unique_ptr<TvdxXMLItem> done = std::move(open.back());
            open.pop_back();
            (open.empty() ? item : *open.back()).AppendChild(std::move(done));
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// TvdxXMLDocument

TvdxXMLDocument::TvdxXMLDocument() : root_(std::make_unique<TvdxXMLItem>()) {}

TvdxXMLDocument::~TvdxXMLDocument() = default;

void TvdxXMLDocument::LoadFromStream(ByteStream& stream) {
    root_->ClearChildren();
    TvdxXMLReader reader(stream);
    reader.ReadDeclaration();
    reader.ReadElement(*root_);
}

// ---------------------------------------------------------------------------
// Numeric character references

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Integer conversion as the wizard's runtime does it: leading blanks, an
// optional sign, then decimal digits or, after "$", "x" or "0x", hexadecimal
// digits. Decimal numbers must lie within the 32-bit signed range; hexadecimal
// ones may use all 32 bits. Anything else, an out-of-range number included,
// raises ConvertError.
int32_t StrToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        throw ConvertError(text);
    const uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            throw ConvertError(text);
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > limit)
            throw ConvertError(text);
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

} // namespace

std::string DecodeCharRefs(std::string_view text) {
    // A reference is "&#", a number of at least one character and the first
    // ";" after it. The replacement character is never taken as the start of
    // another reference, so the text is walked once from left to right.
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '&' && i + 3 < text.size() && text[i + 1] == '#') {
            const size_t end = text.find(';', i + 3);
            if (end == std::string_view::npos) {
                // No ";" up to the end of the text: the rest stays as it is.
                out.append(text.substr(i));
                break;
            }
            const int32_t number = StrToInt(text.substr(i + 2, end - (i + 2)));
            out += static_cast<char>(static_cast<uint32_t>(number) & 0xFFu);
            i = end + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace vdx
