#pragma once
// A small, forgiving XML reader that turns a byte stream into a tree of items.
// Per element it keeps the name and the raw attribute text; values are looked
// up in that text on demand. Character data is dropped; there is no writer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

class TvdxXMLItem {
public:
    TvdxXMLItem() = default;
    ~TvdxXMLItem(); // destroys the children, then leaves the parent's child list
    TvdxXMLItem(const TvdxXMLItem&) = delete;
    TvdxXMLItem& operator=(const TvdxXMLItem&) = delete;

    int ChildCount() const;
    TvdxXMLItem& Child(int index) const; // 0 <= index < ChildCount()
    TvdxXMLItem& AppendNewChild();
    // Takes ownership; an item that already had a parent (this one included)
    // leaves its earlier place, so an item already here moves to the end.
    void AppendChild(std::unique_ptr<TvdxXMLItem> item);
    void ClearChildren();
    int IndexOfChild(std::string_view name) const;      // case-insensitive, -1 when none
    TvdxXMLItem& ChildByName(std::string_view name);    // appends an empty child when missing
    std::string AttrValue(std::string_view name) const; // "" when missing

    std::string Name;
    std::string AttrText;
    TvdxXMLItem* Parent = nullptr;

private:
    friend class TvdxXMLReader;
    std::unique_ptr<std::vector<std::unique_ptr<TvdxXMLItem>>> children_;
};

// A forward-only byte stream with a position, as the reader needs it.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual int64_t Size() const = 0;
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t pos) = 0;
    virtual size_t Read(char* buffer, size_t count) = 0;
};

// A stream over text held in memory (the text must outlive the stream).
class MemoryStream : public ByteStream {
public:
    explicit MemoryStream(std::string_view data) : data_(data) {}
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    int64_t Position() const override { return pos_; }
    void SetPosition(int64_t pos) override { pos_ = pos; }
    size_t Read(char* buffer, size_t count) override;

private:
    std::string_view data_;
    int64_t pos_ = 0;
};

class TvdxXMLDocument {
public:
    TvdxXMLDocument();
    ~TvdxXMLDocument();
    TvdxXMLDocument(const TvdxXMLDocument&) = delete;
    TvdxXMLDocument& operator=(const TvdxXMLDocument&) = delete;

    TvdxXMLItem& Root() { return *root_; }
    const TvdxXMLItem& Root() const { return *root_; }
    // Raises FormatError ("Invalid file format") on malformed input.
    void LoadFromStream(ByteStream& stream);

private:
    std::unique_ptr<TvdxXMLItem> root_;
};

// Numeric character references (&#65; &#x41; &#$41;) replaced by the low 8 bits
// of their number; named entities stay. Raises ConvertError on a bad number.
std::string DecodeCharRefs(std::string_view text);

} // namespace vdx
