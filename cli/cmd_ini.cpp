// vantixctl ini ...: any INI file with the rules of the Windows profile API.
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "settings/ini_file.h"

namespace vantix::cli {
namespace {

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view s) {
  if (s.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(s.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned v = 0;
    const auto [end, err] = std::from_chars(s.data() + 2 * i, s.data() + 2 * i + 2, v, 16);
    if (err != std::errc() || end != s.data() + 2 * i + 2) return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(v);
  }
  return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  return out;
}

}  // namespace

int RunIniCommand(FileIo& io, const Args& args) {
  if (args.empty()) return Usage("ini: missing operation");
  const std::string_view op = args[0];
  const auto want = [&](std::size_t min, std::size_t max) {
    return args.size() - 1 >= min && args.size() - 1 <= max;
  };
  if (args.size() < 4) return Usage("ini " + std::string(op) + ": missing arguments");
  IniFile file{std::string(args[1]), io};
  const std::string_view section = args[2];
  const std::string_view key = args[3];

  if (op == "read-string") {
    if (!want(3, 4)) return Usage("ini read-string FILE SECTION KEY [DEFAULT]");
    std::cout << file.ReadString(section, key, args.size() > 4 ? args[4] : "") << "\n";
    return kExitOk;
  }
  if (op == "read-int") {
    if (!want(4, 4)) return Usage("ini read-int FILE SECTION KEY DEFAULT");
    const auto def = ParseInt32(args[4]);
    if (!def) return Usage("ini read-int: DEFAULT must be a 32-bit decimal integer");
    std::cout << file.ReadInt(*def, section, key) << "\n";
    return kExitOk;
  }
  if (op == "read-struct") {
    if (!want(4, 4)) return Usage("ini read-struct FILE SECTION KEY SIZE");
    const auto size = ParseDecimal(args[4]);
    if (!size || *size < 0) return Usage("ini read-struct: SIZE must be a decimal byte count");
    const IniSnapshot snapshot = file.Load();
    // Check the length before allocating SIZE bytes.
    const auto raw = snapshot.Find(section, key);
    if (!raw || raw->size() < 2 || (raw->size() - 2) / 2 > static_cast<std::uint64_t>(*size) + 1) {
      return kExitReadFailed;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!snapshot.ReadStruct(bytes.size(), bytes.data(), section, key)) return kExitReadFailed;
    std::cout << ToHex(bytes) << "\n";
    return kExitOk;
  }
  if (op == "write-string" || op == "write-int" || op == "write-struct") {
    if (!want(4, 4)) return Usage("ini " + std::string(op) + " FILE SECTION KEY VALUE");
    Status status;
    if (op == "write-string") {
      status = file.WriteString(section, key, args[4]);
    } else if (op == "write-int") {
      const auto value = ParseInt32(args[4]);
      if (!value) return Usage("ini write-int: VALUE must be a 32-bit decimal integer");
      status = file.WriteInt(section, key, *value);
    } else {
      const auto bytes = ParseHex(args[4]);
      if (!bytes) return Usage("ini write-struct: HEX must be pairs of hexadecimal digits");
      status = file.WriteStruct(bytes->size(), section, key, bytes->data());
    }
    return status.ok() ? kExitOk : WriteFailed(status);
  }
  return Usage("ini: unknown operation " + std::string(op));
}

}  // namespace vantix::cli
