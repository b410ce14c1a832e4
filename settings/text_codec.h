// Conversions between the encodings INI files come in and the UTF-8 text the
// program works with.
//
// Internally text is UTF-8, widened to WTF-8 so that an unpaired UTF-16
// surrogate read from a UTF-16 file survives a rewrite of that file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantix {

enum class TextEncoding {
  Utf8,         // no byte-order mark; also what new files are written in
  Utf8Bom,
  Utf16Le,      // with the FF FE mark
  Utf16Be,      // with the FE FF mark
  Windows1252,  // the ANSI code page the original files were written in
};

struct DecodedText {
  std::string text;  // WTF-8
  TextEncoding encoding = TextEncoding::Utf8;
};

// Detects the encoding from the byte-order mark, then by UTF-8 validity, and
// decodes. Never fails: every byte sequence decodes to something.
DecodedText DecodeFileText(std::string_view bytes);
// The same, reusing the buffer when the bytes are UTF-8 already.
DecodedText DecodeFileText(std::string&& bytes);

// Encodes for writing, with the mark of the encoding. A Windows-1252 text with
// a character that code page cannot hold is written as UTF-8 instead (the
// returned encoding says which one was used).
std::string EncodeFileText(std::string_view text, TextEncoding& encoding);

bool IsValidUtf8(std::string_view bytes);

// UTF-16 <-> WTF-8. Lone surrogates round-trip.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Length in UTF-16 units of a WTF-8 text.
std::size_t Utf16Length(std::string_view text);

// The longest prefix of a WTF-8 text that holds at most max_units UTF-16 units
// and ends on a character boundary.
std::string_view CutToUtf16Units(std::string_view text, std::size_t max_units);

// Replaces lone surrogates by U+FFFD, for output that must be strict UTF-8.
std::string ToStrictUtf8(std::string_view text);

}  // namespace vantix
