// Fuzzes the INI layer: any bytes parse, read, take writes and serialize
// without a fault, and every value written reads back from the serialized
// file.
//
// Input: the file bytes, optionally followed by kOpsMark and a script of
// writes. Without the mark a fixed set of writes is applied, so that a plain
// INI file is a useful seed on its own.
#include <fuzzer/FuzzedDataProvider.h>
#include <string.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "settings/ini_document.h"
#include "settings/text_codec.h"

namespace {

using vantix::IniDocument;

constexpr std::string_view kOpsMark = "\n#ops#\n";

using Bytes = std::vector<std::uint8_t>;

struct Write {
  std::string section;
  std::string key;
  std::variant<std::string, std::int32_t, Bytes> value;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "ini_fuzz: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

bool IsSpace(char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

std::string FoldAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

// Limits a written text to what one line of the file can carry, so that it
// must read back: no line break, no NUL, valid UTF-8.
std::string CleanText(std::string s) {
  s.resize(std::min(s.size(), s.find('\0')));
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return vantix::ToStrictUtf8(s);
}

// A key must also not read back as a header, a comment or a nameless line.
std::string CleanKey(std::string s) {
  s = CleanText(std::move(s));
  for (char& c : s) {
    if (c == '=') c = '_';
  }
  const std::string_view trimmed = vantix::TrimIniWhitespace(s);
  if (trimmed.empty() || trimmed.front() == '[' || trimmed.front() == ';') {
    return "k" + std::string(trimmed);
  }
  return s;
}

std::vector<Write> DefaultWrites() {
  return {
      {"Profile", "Name", std::string("fuzz \"quoted\"")},
      {"  New Section  ", "\tKey  ", std::string("  value  ")},
      {"profile", "COUNT", std::int32_t{-42}},
      {"Profile", "Blob", Bytes{0x00, 0x7F, 0x80, 0xFF}},
      {"", "top", std::string("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")},
  };
}

std::vector<Write> ScriptedWrites(std::string_view script, bool& clean) {
  FuzzedDataProvider fdp(reinterpret_cast<const std::uint8_t*>(script.data()), script.size());
  clean = fdp.ConsumeBool();
  std::vector<Write> writes;
  while (fdp.remaining_bytes() > 0 && writes.size() < 8) {
    Write w;
    const int kind = fdp.ConsumeIntegralInRange(0, 2);
    w.section = fdp.ConsumeRandomLengthString(40);
    w.key = fdp.ConsumeRandomLengthString(40);
    if (kind == 0) {
      w.value = fdp.ConsumeRandomLengthString(300);
    } else if (kind == 1) {
      w.value = fdp.ConsumeIntegral<std::int32_t>();
    } else {
      w.value = fdp.ConsumeBytes<std::uint8_t>(fdp.ConsumeIntegralInRange(0, 40));
    }
    if (clean) {
      w.section = CleanText(std::move(w.section));
      w.key = CleanKey(std::move(w.key));
      if (auto* s = std::get_if<std::string>(&w.value)) *s = CleanText(std::move(*s));
    }
    writes.push_back(std::move(w));
  }
  return writes;
}

void Apply(IniDocument& doc, const Write& w) {
  if (const auto* s = std::get_if<std::string>(&w.value)) {
    doc.WriteString(w.section, w.key, *s);
  } else if (const auto* n = std::get_if<std::int32_t>(&w.value)) {
    doc.WriteInt(w.section, w.key, *n);
  } else {
    const Bytes& b = std::get<Bytes>(w.value);
    doc.WriteStruct(w.section, w.key, b.data(), b.size());
  }
}

void ExerciseReads(const IniDocument& doc, const Write& w) {
  (void)doc.ReadString(w.section, w.key, w.key);
  (void)doc.ReadInt(7, w.section, w.key);
  std::uint8_t buffer[48];
  const std::size_t size = w.key.size() % sizeof(buffer);
  (void)doc.ReadStruct(size, buffer, w.section, w.key);
}

// A struct value decodes only when well formed, and then encodes back to
// itself; otherwise the target is left alone.
void CheckStructDecode(std::string_view value, std::size_t size) {
  std::uint8_t buffer[64];
  if (size > sizeof(buffer)) return;
  memset(buffer, 0xA5, sizeof(buffer));
  if (vantix::DecodeIniStruct(value, buffer, size)) {
    Check(FoldAscii(value) == vantix::EncodeIniStruct(buffer, size), "struct does not re-encode");
  } else {
    for (const std::uint8_t b : buffer) Check(b == 0xA5, "failed struct decode wrote");
  }
}

// The last write of each key, as lookups match names.
std::vector<const Write*> LastWrites(const std::vector<Write>& writes) {
  std::map<std::pair<std::string, std::string>, const Write*> last;
  for (const Write& w : writes) {
    last[{FoldAscii(vantix::TrimIniWhitespace(w.section)),
          FoldAscii(vantix::TrimIniWhitespace(w.key))}] = &w;
  }
  std::vector<const Write*> out;
  for (const auto& entry : last) out.push_back(entry.second);
  return out;
}

// What a read of the serialized file gives.
void CheckReadBack(const IniDocument& reread, const std::vector<const Write*>& last) {
  for (const Write* w : last) {
    if (const auto* s = std::get_if<std::string>(&w->value)) {
      const std::string expected(vantix::CutToUtf16Units(
          vantix::StripIniQuotes(vantix::TrimIniWhitespace(*s)), vantix::kIniStringUnits));
      Check(reread.ReadString(w->section, w->key, "\x01") == expected, "string not read back");
    } else if (const auto* n = std::get_if<std::int32_t>(&w->value)) {
      Check(reread.ReadInt(*n == 0 ? 1 : 0, w->section, w->key) == *n, "int not read back");
    } else {
      const Bytes& b = std::get<Bytes>(w->value);
      Bytes out(b.size() + 1, 0xA5);
      Check(reread.ReadStruct(b.size(), out.data(), w->section, w->key), "struct not read");
      Check(std::equal(b.begin(), b.end(), out.begin()) && out.back() == 0xA5,
            "struct not read back");
    }
  }
}

// Writing the same values again to the re-read file changes nothing (values
// with trailing whitespace lose it on re-reading, so they would change).
void CheckRewriteIsNoChange(IniDocument& reread, const std::vector<const Write*>& last) {
  for (const Write* written : last) {
    const Write& w = *written;
    if (const auto* s = std::get_if<std::string>(&w.value)) {
      if (!s->empty() && IsSpace(s->back())) continue;
      Check(!reread.WriteString(w.section, w.key, *s), "same string changed the file");
    } else if (const auto* n = std::get_if<std::int32_t>(&w.value)) {
      Check(!reread.WriteInt(w.section, w.key, *n), "same int changed the file");
    } else {
      const Bytes& b = std::get<Bytes>(w.value);
      Check(!reread.WriteStruct(w.section, w.key, b.data(), b.size()),
            "same struct changed the file");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view file = input;
  bool clean = true;
  std::vector<Write> writes;
  if (const void* mark = memmem(data, size, kOpsMark.data(), kOpsMark.size())) {
    const auto at = static_cast<std::size_t>(static_cast<const char*>(mark) - input.data());
    file = input.substr(0, at);
    writes = ScriptedWrites(input.substr(at + kOpsMark.size()), clean);
  } else {
    writes = DefaultWrites();
  }

  IniDocument doc = IniDocument::Parse(file);
  for (const Write& w : writes) {
    ExerciseReads(doc, w);
    Apply(doc, w);
    ExerciseReads(doc, w);
    if (const auto* s = std::get_if<std::string>(&w.value)) {
      CheckStructDecode(*s, s->size() >= 2 ? (s->size() - 2) / 2 : 0);
      CheckStructDecode(*s, w.key.size());
    }
  }
  CheckStructDecode(file.substr(0, 130), file.size() >= 2 ? (file.size() - 2) / 2 : 0);

  const std::string out = doc.Serialize();
  Check(doc.Serialize() == out, "serializing twice differs");
  IniDocument reread = IniDocument::Parse(out);
  // Where the API itself does not read back what it wrote, neither do we:
  // - a rewrite may turn a file into one that reads in another encoding (a
  //   Windows-1252 file that happens to be valid UTF-8, a first line that
  //   starts with a byte-order mark);
  // - a NUL cuts a name in the file, and a cut that leaves trailing
  //   whitespace ("k\v\0") is a name no lookup matches until the rewrite
  //   trims it, when it can shadow the key just written.
  const bool has_nul = vantix::DecodeFileText(file).text.find('\0') != std::string::npos;
  if (!clean || has_nul || reread.Encoding() != doc.Encoding()) return 0;
  const std::vector<const Write*> last = LastWrites(writes);
  CheckReadBack(reread, last);
  CheckRewriteIsNoChange(reread, last);
  return 0;
}
