#include "settings/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vantix {
namespace {

// Windows-1252 0x80..0x9F. The five unassigned bytes map to the code point of
// the same number, as the Windows conversion does.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one WTF-8 character at text[i]; advances i. Malformed bytes decode
// as U+FFFD one byte at a time.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (text.size() - i <= static_cast<std::size_t>(extra)) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) {
    ++i;
    return 0xFFFD;
  }
  i += extra + 1;
  return cp;
}

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

std::string DecodeUtf16(std::string_view bytes, bool little_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(little_endian ? (a | (b << 8)) : ((a << 8) | b)));
  }
  return Utf16ToUtf8(units);
}

std::string DecodeCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else if (b < 0xA0) {
      AppendUtf8(out, kCp1252High[b - 0x80]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

// Returns false when some character has no Windows-1252 byte.
bool EncodeCp1252(std::string_view text, std::string& out) {
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    bool found = false;
    for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] == cp) {
        out.push_back(static_cast<char>(0x80 + k));
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

std::string EncodeUtf16(std::string_view text, bool little_endian) {
  const std::u16string units = Utf8ToUtf16(text);
  std::string out;
  out.reserve(2 + units.size() * 2);
  out += little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t u : units) {
    const char lo = static_cast<char>(u & 0xFF);
    const char hi = static_cast<char>(u >> 8);
    if (little_endian) {
      out.push_back(lo), out.push_back(hi);
    } else {
      out.push_back(hi), out.push_back(lo);
    }
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    // Eight ASCII bytes at a time: the common case of an INI file.
    while (n - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080ull) != 0) break;
      i += 8;
    }
    if (i >= n) break;
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
    } else {
      return false;
    }
    if (n - i < len) return false;
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    if ((b1 & 0xC0) != 0x80) return false;
    // Reject overlong forms, surrogates and code points past U+10FFFF.
    if (b0 == 0xE0 && b1 < 0xA0) return false;
    if (b0 == 0xED && b1 > 0x9F) return false;
    if (b0 == 0xF0 && b1 < 0x90) return false;
    if (b0 == 0xF4 && b1 > 0x8F) return false;
    for (std::size_t k = 2; k < len; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

DecodedText DecodeFileText(std::string&& bytes) {
  const bool marked = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                           bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                                           bytes.compare(0, 3, "\xEF\xBB\xBF") == 0);
  if (!marked && IsValidUtf8(bytes)) return DecodedText{std::move(bytes), TextEncoding::Utf8};
  return DecodeFileText(std::string_view(bytes));
}

DecodedText DecodeFileText(std::string_view bytes) {
  DecodedText out;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    out.encoding = TextEncoding::Utf16Le;
    out.text = DecodeUtf16(bytes.substr(2), true);
  } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    out.encoding = TextEncoding::Utf16Be;
    out.text = DecodeUtf16(bytes.substr(2), false);
  } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    out.encoding = TextEncoding::Utf8Bom;
    out.text = ToStrictUtf8(bytes.substr(3));
  } else if (IsValidUtf8(bytes)) {
    out.encoding = TextEncoding::Utf8;
    out.text.assign(bytes);
  } else {
    out.encoding = TextEncoding::Windows1252;
    out.text = DecodeCp1252(bytes);
  }
  return out;
}

std::string EncodeFileText(std::string_view text, TextEncoding& encoding) {
  switch (encoding) {
    case TextEncoding::Utf16Le:
      return EncodeUtf16(text, true);
    case TextEncoding::Utf16Be:
      return EncodeUtf16(text, false);
    case TextEncoding::Utf8Bom:
      return "\xEF\xBB\xBF" + ToStrictUtf8(text);
    case TextEncoding::Windows1252: {
      std::string out;
      if (EncodeCp1252(text, out)) return out;
      encoding = TextEncoding::Utf8;
      return ToStrictUtf8(text);
    }
    case TextEncoding::Utf8:
      break;
  }
  return ToStrictUtf8(text);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, u);  // a lone surrogate becomes its 3-byte WTF-8 form
    }
  }
  return out;
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    units += NextCodePoint(text, i) >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::string_view CutToUtf16Units(std::string_view text, std::size_t max_units) {
  // Every character takes at least one byte and at most as many units as bytes.
  if (text.size() <= max_units) return text;
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t next = i;
    const std::size_t width = NextCodePoint(text, next) >= 0x10000 ? 2 : 1;
    if (units + width > max_units) break;
    units += width;
    i = next;
  }
  return text.substr(0, i);
}

std::string ToStrictUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    AppendUtf8(out, IsSurrogate(cp) ? char32_t{0xFFFD} : cp);
  }
  return out;
}

}  // namespace vantix
