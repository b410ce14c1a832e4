#include "settings/ini_document.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace vantix {
namespace {

// The API's whitespace: 0x09..0x0D, space and 0x1A (the old end-of-file mark).
bool IsIniSpace(char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the usual case: the same spelling
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Strings the API takes are C strings: everything after a NUL is unseen.
// A prefilter for name comparisons: names that compare equal (ASCII case
// folded) hash equal. Setting bit 0x20 of every byte folds A-Z onto a-z (and
// merges a few other pairs, which the full comparison sorts out). Only the
// length and the first and last eight bytes count: cheap, and enough to tell
// the keys of one section apart.
std::uint32_t HashName(std::string_view name) {
  constexpr std::uint64_t kFold = 0x2020202020202020ull;
  const std::size_t n = name.size();
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  if (n != 0) std::memcpy(&head, name.data(), std::min<std::size_t>(n, 8));
  if (n > 8) {
    const std::size_t k = std::min<std::size_t>(n - 8, 8);
    std::memcpy(&tail, name.data() + n - k, k);
  }
  const std::uint64_t h = ((head | kFold) * 0x9E3779B97F4A7C15ull) ^
                          ((tail | kFold) * 0xC2B2AE3D27D4EB4Full) ^ n;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::string_view CutAtNul(std::string_view s) {
  const std::size_t nul = s.find('\0');
  return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Inlined here: every line and every lookup trims.
inline std::string_view Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && IsIniSpace(s[b])) ++b;
  while (e > b && IsIniSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string_view SkipLeadingSpace(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsIniSpace(s[i])) ++i;
  return s.substr(i);
}

// Value of a hexadecimal digit of either case; 0x100 marks every other byte.
constexpr std::array<std::uint16_t, 256> kHexValue = [] {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t c = 0; c < table.size(); ++c) {
    table[c] = 0x100;
    if (c >= '0' && c <= '9') table[c] = static_cast<std::uint16_t>(c - '0');
    if (c >= 'A' && c <= 'F') table[c] = static_cast<std::uint16_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') table[c] = static_cast<std::uint16_t>(c - 'a' + 10);
  }
  return table;
}();

// Byte of a pair of hexadecimal digits, indexed by (first << 8) | second;
// 0x100 marks a pair with any other byte in it.
const std::array<std::uint16_t, 65536> kHexPair = [] {
  std::array<std::uint16_t, 65536> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const unsigned hi = kHexValue[i >> 8];
    const unsigned lo = kHexValue[i & 0xFF];
    table[i] = static_cast<std::uint16_t>(((hi | lo) & 0x100) != 0 ? 0x100 : (hi << 4) | lo);
  }
  return table;
}();

// A default value loses its trailing spaces (not tabs); like the API, a
// default made only of spaces keeps its first one.
std::string_view TrimDefault(std::string_view def) {
  std::size_t end = def.size();
  while (end > 1 && def[end - 1] == ' ') --end;
  return def.substr(0, end);
}

}  // namespace

std::string_view TrimIniWhitespace(std::string_view s) { return Trim(s); }

std::string_view StripIniQuotes(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    return s.substr(1, s.size() - 2);
  }
  return s;
}

std::int32_t ParseIniInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  std::uint32_t base = 10;
  if (s.size() - i >= 2 && s[i] == '0') {
    if (s[i + 1] == 'x') base = 16;
    if (s[i + 1] == 'o') base = 8;
    if (s[i + 1] == 'b') base = 2;
    if (base != 10) i += 2;
  }
  std::uint32_t total = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    std::uint32_t digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    if (digit >= base) break;
    total = total * base + digit;  // wraps modulo 2^32, as the API's ULONG does
  }
  if (negative) total = 0u - total;
  return static_cast<std::int32_t>(total);
}

std::string EncodeIniStruct(const void* data, std::size_t size) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string out;
  out.resize(size * 2 + 2);
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) {
    out[2 * i] = kHex[bytes[i] >> 4];
    out[2 * i + 1] = kHex[bytes[i] & 0xF];
    sum += bytes[i];
  }
  out[2 * size] = kHex[(sum >> 4) & 0xF];
  out[2 * size + 1] = kHex[sum & 0xF];
  return out;
}

bool DecodeIniStruct(std::string_view value, void* out, std::size_t size) {
  if (size > (std::numeric_limits<std::size_t>::max() - 2) / 2) return false;
  if (value.size() != size * 2 + 2) return false;
  // The target is touched only once the whole value proved good.
  constexpr std::size_t kStackBytes = 512;
  unsigned char stack[kStackBytes];
  std::vector<unsigned char> heap;
  unsigned char* bytes = stack;
  if (size + 1 > kStackBytes) {
    heap.resize(size + 1);
    bytes = heap.data();
  }
  const auto* in = reinterpret_cast<const unsigned char*>(value.data());
  unsigned bad = 0;
  unsigned sum = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned byte = kHexPair[(in[2 * i] << 8) | in[2 * i + 1]];
    bad |= byte;
    bytes[i] = static_cast<unsigned char>(byte);
    sum += byte;
  }
  const unsigned stored = kHexPair[(in[2 * size] << 8) | in[2 * size + 1]];
  if (((bad | stored) & 0x100) != 0 || (sum & 0xFF) != stored) return false;
  if (size != 0) std::memcpy(out, bytes, size);
  return true;
}

IniDocument::IniDocument() { sections_.push_back(Section{0, 0, 0, 0, HashName({})}); }

IniDocument IniDocument::Parse(std::string_view file_bytes) {
  return ParseOwned(std::string(file_bytes));
}

IniDocument IniDocument::ParseOwned(std::string&& file_bytes) {
  IniDocument doc;
  DecodedText decoded = DecodeFileText(std::move(file_bytes));
  doc.encoding_ = decoded.encoding;
  doc.text_ = std::move(decoded.text);
  const std::string_view text = doc.text_;
  const char* const base = text.data();
  const std::size_t n = text.size();
  // Offsets are 32-bit; the file layer refuses files anywhere near that size.
  if (n >= 0xF0000000u) {
    doc.text_.clear();
    return doc;
  }

  // Names and values end at a NUL; most files have none, and then one scan
  // of the whole text spares a scan of every name and value.
  const bool has_nul = std::memchr(base, '\0', n) != nullptr;
  const auto cut = [has_nul](std::string_view part) { return has_nul ? CutAtNul(part) : part; };

  doc.lines_.reserve(n / 32 + 4);  // most lines are longer: one allocation
  Section* section = &doc.sections_.back();
  bool prev_in_section = false;
  bool prev_name_empty = false;
  std::size_t next_lf = 0;  // cached, so that CR-only files stay linear
  bool lf_known = false;
  std::size_t pos = 0;
  while (pos < n) {
    if (!lf_known || next_lf < pos) {
      const void* lf = std::memchr(base + pos, '\n', n - pos);
      next_lf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : n;
      lf_known = true;
    }
    std::size_t end = next_lf;
    if (const void* cr = std::memchr(base + pos, '\r', end - pos)) {
      end = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    }
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    const auto off = [&](std::string_view part) {
      return static_cast<std::uint32_t>(part.data() - base);
    };

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        const std::string_view name =
            cut(Trim(line.substr(1, close - 1)));
        doc.sections_.push_back(Section{off(name), static_cast<std::uint32_t>(name.size()),
                                        static_cast<std::uint32_t>(doc.lines_.size()), 0,
                                        HashName(name)});
        section = &doc.sections_.back();
        prev_in_section = false;
        continue;
      }
    }

    Line entry{off(line), static_cast<std::uint32_t>(line.size()), kNoValue, 0, 0};
    std::size_t raw_name_len = line.size();
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view name = Trim(line.substr(0, eq));
      const std::string_view value = cut(SkipLeadingSpace(line.substr(eq + 1)));
      raw_name_len = name.size();
      entry.name_len = static_cast<std::uint32_t>(cut(name).size());
      entry.value_off = off(value);
      entry.value_len = static_cast<std::uint32_t>(value.size());
    } else {
      entry.name_len = static_cast<std::uint32_t>(cut(line).size());
    }
    // The API drops a nameless line that follows another nameless line.
    if (raw_name_len == 0 && prev_in_section && prev_name_empty) continue;
    entry.name_hash = HashName(doc.View(entry.name_off, entry.name_len));
    doc.lines_.push_back(entry);
    ++section->line_count;
    prev_in_section = true;
    prev_name_empty = entry.name_len == 0;
  }
  doc.parsed_size_ = static_cast<std::uint32_t>(doc.text_.size());
  return doc;
}

// A name or value that a write brought in keeps its trailing whitespace
// until the next rewrite; it is compared as that rewrite will read it back,
// or a batch would add the same section or key twice. Text from the file is
// compared as it is.
std::string_view IniDocument::Stored(std::uint32_t off, std::uint32_t len) const {
  const std::string_view s = View(off, len);
  return off >= parsed_size_ ? Trim(s) : s;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view trimmed_name) const {
  // Readers ask for many keys of one section in a row.
  if (last_section_ < sections_.size()) {
    const Section& last = sections_[last_section_];
    if (EqualsNoCase(Stored(last.name_off, last.name_len), trimmed_name)) return &last;
  }
  const std::uint32_t hash = HashName(trimmed_name);
  for (const Section& s : sections_) {
    if (s.name_hash != hash || s.name_len < trimmed_name.size()) continue;
    if (EqualsNoCase(Stored(s.name_off, s.name_len), trimmed_name)) {
      last_section_ = static_cast<std::size_t>(&s - sections_.data());
      return &s;
    }
  }
  return nullptr;
}

const IniDocument::Line* IniDocument::FindLine(const Section& section,
                                               std::string_view trimmed_key) const {
  // Only a ';' at the start of a line makes a comment, and a comment is
  // never a key.
  if (!trimmed_key.empty() && trimmed_key.front() == ';') return nullptr;
  const std::uint32_t hash = HashName(trimmed_key);
  const Line* begin = lines_.data() + section.first_line;
  const Line* end = begin + section.line_count;
  for (const Line* l = begin; l != end; ++l) {
    if (l->name_hash == hash && l->name_len >= trimmed_key.size() &&
        EqualsNoCase(Stored(l->name_off, l->name_len), trimmed_key)) {
      return l;
    }
  }
  return nullptr;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
  const Section* s = FindSection(Trim(CutAtNul(section)));
  if (s == nullptr) return std::nullopt;
  const Line* l = FindLine(*s, Trim(CutAtNul(key)));
  if (l == nullptr || l->value_off == kNoValue) return std::nullopt;
  return View(l->value_off, l->value_len);
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view default_value) const {
  const std::optional<std::string_view> found = Find(section, key);
  const std::string_view raw = found ? *found : TrimDefault(CutAtNul(default_value));
  return std::string(CutToUtf16Units(StripIniQuotes(raw), kIniStringUnits));
}

std::int32_t IniDocument::ReadInt(std::int32_t default_value, std::string_view section,
                                  std::string_view key) const {
  const std::optional<std::string_view> found = Find(section, key);
  if (!found) return default_value;
  const std::string_view value = CutToUtf16Units(StripIniQuotes(*found), kIniIntUnits);
  if (value.empty()) return default_value;
  return ParseIniInt(value);
}

bool IniDocument::ReadStruct(std::size_t size, void* target, std::string_view section,
                             std::string_view key) const {
  const std::optional<std::string_view> found = Find(section, key);
  return found && DecodeIniStruct(StripIniQuotes(*found), target, size);
}

std::uint32_t IniDocument::Append(std::string_view s) {
  const auto off = static_cast<std::uint32_t>(text_.size());
  text_.append(s);
  return off;
}

bool IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  // A name that the call brings in keeps its trailing whitespace; lookups
  // compare the trimmed name.
  const std::string_view section_arg = SkipLeadingSpace(CutAtNul(section));
  const std::string_view key_arg = SkipLeadingSpace(CutAtNul(key));
  const std::string_view value_arg = SkipLeadingSpace(CutAtNul(value));
  const std::string_view section_name = Trim(section_arg);
  const std::string_view key_name = Trim(key_arg);

  const Section* found_section = FindSection(section_name);
  if (found_section == nullptr) {
    Section fresh{0, static_cast<std::uint32_t>(section_arg.size()),
                  static_cast<std::uint32_t>(lines_.size()), 1, HashName(section_name)};
    Line line{0, static_cast<std::uint32_t>(key_arg.size()), 0,
              static_cast<std::uint32_t>(value_arg.size()), HashName(key_name)};
    fresh.name_off = Append(section_arg);
    line.name_off = Append(key_arg);
    line.value_off = Append(value_arg);
    sections_.push_back(fresh);
    lines_.push_back(line);
    return true;
  }
  if (const Line* existing = FindLine(*found_section, key_name)) {
    Line& line = lines_[static_cast<std::size_t>(existing - lines_.data())];
    if (line.value_off != kNoValue && Stored(line.value_off, line.value_len) == value_arg) {
      return false;
    }
    line.value_len = static_cast<std::uint32_t>(value_arg.size());
    line.value_off = Append(value_arg);
    return true;
  }
  const auto index = static_cast<std::size_t>(found_section - sections_.data());
  const std::uint32_t at = sections_[index].first_line + sections_[index].line_count;
  Line line{0, static_cast<std::uint32_t>(key_arg.size()), 0,
            static_cast<std::uint32_t>(value_arg.size()), HashName(key_name)};
  line.name_off = Append(key_arg);
  line.value_off = Append(value_arg);
  lines_.insert(lines_.begin() + at, line);
  ++sections_[index].line_count;
  for (std::size_t s = index + 1; s < sections_.size(); ++s) ++sections_[s].first_line;
  return true;
}

bool IniDocument::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniDocument::WriteStruct(std::string_view section, std::string_view key, const void* data,
                              std::size_t size) {
  return WriteString(section, key, EncodeIniStruct(data, size));
}

std::string IniDocument::Serialize() {
  std::size_t total = 0;
  for (const Section& s : sections_) total += s.name_len + 4;
  for (const Line& l : lines_) total += l.name_len + l.value_len + 3;
  std::string out;
  out.reserve(total);
  for (const Section& s : sections_) {
    // A section without a name (the lines before the first header) has no header.
    if (s.name_len != 0) {
      out += '[';
      out += View(s.name_off, s.name_len);
      out += "]\r\n";
    }
    for (std::uint32_t i = 0; i < s.line_count; ++i) {
      const Line& l = lines_[s.first_line + i];
      out += View(l.name_off, l.name_len);
      if (l.value_off != kNoValue) {
        out += '=';
        out += View(l.value_off, l.value_len);
      }
      out += "\r\n";
    }
  }
  return EncodeFileText(out, encoding_);
}

}  // namespace vantix
