#pragma once
// The converter's core: the bytes of an XML resource file in, the text of the
// resource unit out.

#include <cstddef>
#include <string>
#include <string_view>

namespace vdx::rc {

// UTF-16 code units of XML text per string literal line.
inline constexpr std::size_t kChunkLength = 80;

// The unit's name: the file name of path (after its last "\", "/" or ":")
// without its last extension. "C:\res\vdxrcInsp.xml" -> "vdxrcInsp",
// "a.b.xml" -> "a.b", "res" -> "res".
std::u16string UnitNameOf(std::u16string_view path);

// Receives the unit in consecutive pieces. A piece never ends between the two
// halves of a surrogate pair, so each can be converted on its own; it is valid
// only during the call.
template <typename Char> class UnitSink {
public:
    virtual ~UnitSink() = default;
    virtual void Write(std::basic_string_view<Char> piece) = 0;
};

// Code units the converter gathers before it hands a piece to the sink.
inline constexpr std::size_t kPieceSize = std::size_t{1} << 20;

// Writes the resource unit for the input file's bytes to sink, every line
// ended by CR LF.
//
// The bytes are decoded as UTF-8 (a leading byte-order mark skipped); every CR
// and LF is removed and the text ends at the first NUL. Throws
// Failure::NoMapping() when any of the bytes are not UTF-8, also after the NUL;
// the sink may have received part of the unit by then.
//
// The text is cut into quoted literals of kChunkLength UTF-16 code units,
// counted before the apostrophes are doubled, except that a cut never parts
// the two halves of a surrogate pair: such a line ends one code unit early
// and the pair starts the next one.
void ConvertResource(std::u16string_view unitName, std::string_view bytes, UnitSink<char16_t>& sink,
                     std::size_t pieceSize = kPieceSize);

// The same unit in UTF-8 (without a byte-order mark), made straight from the
// bytes.
void ConvertResourceUtf8(std::u16string_view unitName, std::string_view bytes, UnitSink<char>& sink,
                         std::size_t pieceSize = kPieceSize);

// The whole unit in one string.
std::u16string ConvertResource(std::u16string_view unitName, std::string_view bytes);
std::string ConvertResourceUtf8(std::u16string_view unitName, std::string_view bytes);

} // namespace vdx::rc
