// One INI file in memory, read and changed with the rules of the Win32
// private-profile API (GetPrivateProfileString and friends), so that files
// written by Windows programs read the same here and files written here are
// byte for byte what those calls would have written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/text_codec.h"

namespace vantix {

// The buffer of a string read is 4096 UTF-16 units: at most 4095 come back.
inline constexpr std::size_t kIniStringUnits = 4095;
// GetPrivateProfileInt reads into a 30-unit buffer.
inline constexpr std::size_t kIniIntUnits = 29;

class IniDocument {
 public:
  IniDocument();  // an empty file, written as UTF-8 when saved

  // Decodes (byte-order mark, UTF-8 or Windows-1252) and parses. Never fails.
  static IniDocument Parse(std::string_view file_bytes);
  // The same, taking over the buffer (no copy for a UTF-8 file).
  static IniDocument ParseOwned(std::string&& file_bytes);

  // The raw value of the first matching key of the first matching section;
  // nothing when absent or when the line has no '='. A comment is never a key.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  std::int32_t ReadInt(std::int32_t default_value, std::string_view section,
                       std::string_view key) const;
  // Copies size bytes into target only when the value is well formed and its
  // checksum matches; returns whether it did.
  bool ReadStruct(std::size_t size, void* target, std::string_view section,
                  std::string_view key) const;

  // Each returns whether the document changed; writing the value a key
  // already has changes nothing.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, std::int32_t value);
  bool WriteStruct(std::string_view section, std::string_view key, const void* data,
                   std::size_t size);

  // The whole file in the canonical layout, encoded in Encoding().
  std::string Serialize();
  TextEncoding Encoding() const { return encoding_; }

 private:
  static constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;
  // name_hash: of the name as lookups compare it (ASCII-folded), checked
  // before the names themselves.
  struct Line {  // a key, a comment or a line without '='
    std::uint32_t name_off, name_len, value_off, value_len, name_hash;
  };
  struct Section {
    std::uint32_t name_off, name_len, first_line, line_count, name_hash;
  };

  std::string_view View(std::uint32_t off, std::uint32_t len) const {
    return std::string_view(text_).substr(off, len);
  }
  std::uint32_t Append(std::string_view s);
  std::string_view Stored(std::uint32_t off, std::uint32_t len) const;
  const Section* FindSection(std::string_view trimmed_name) const;
  const Line* FindLine(const Section& section, std::string_view trimmed_key) const;

  std::string text_;  // decoded file text; changed names and values are appended
  std::uint32_t parsed_size_ = 0;  // text_ before this came from the file
  std::vector<Line> lines_;
  std::vector<Section> sections_;  // sections_[0]: the lines before any header
  // The section found last: readers ask for many keys of one section in a
  // row. Sections are only ever added at the end, so the index stays right;
  // being first of its name, it is the right answer whenever its name matches.
  mutable std::size_t last_section_ = static_cast<std::size_t>(-1);
  TextEncoding encoding_ = TextEncoding::Utf8;
};

// Helpers with the API's exact rules, shared with the tools and tests.
std::string_view TrimIniWhitespace(std::string_view s);
// One matching pair of ' or " around a value of at least two characters.
std::string_view StripIniQuotes(std::string_view s);
// RtlUnicodeStringToInteger with base 0, wrapping to 32 bits.
std::int32_t ParseIniInt(std::string_view s);
std::string EncodeIniStruct(const void* data, std::size_t size);
// Decodes hexadecimal digits and a checksum byte; false leaves out untouched.
bool DecodeIniStruct(std::string_view value, void* out, std::size_t size);

}  // namespace vantix
