#pragma once
// The converter's core: the bytes of an XML resource file in, the text of the
// resource unit out.

#include <cstddef>
#include <string>
#include <string_view>

namespace vdx::rc {

// Code units of XML text per string literal line.
inline constexpr std::size_t kChunkLength = 80;

// The unit's name: the file name of path (after its last "\", "/" or ":")
// without its last extension. "C:\res\vdxrcInsp.xml" -> "vdxrcInsp",
// "a.b.xml" -> "a.b", "res" -> "res".
std::u16string UnitNameOf(std::u16string_view path);

// The input file's bytes as one line of XML text: decoded as UTF-8 (a leading
// byte-order mark skipped), every CR and LF removed, cut at the first NUL.
// Throws Failure::NoMapping() when any of the bytes are not UTF-8, also after
// the NUL.
std::u16string XmlText(std::string_view bytes);

// The resource unit holding xmlText, every line ended by CR LF. The text is
// cut into literals of kChunkLength code units, except that a cut never
// parts the two halves of a surrogate pair: that line then ends one code
// unit early and the pair starts the next one.
std::u16string ResourceUnit(std::u16string_view unitName, std::u16string_view xmlText);

// The whole conversion: ResourceUnit(unitName, XmlText(bytes)).
std::u16string ConvertResource(std::u16string_view unitName, std::string_view bytes);

} // namespace vdx::rc
