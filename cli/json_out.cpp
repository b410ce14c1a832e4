#include "cli/json_out.h"

#include <cstdio>

#include "settings/text_codec.h"

namespace vantix::cli {

std::string JsonString(std::string_view text) {
  const std::string utf8 = ToStrictUtf8(text);
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonStringArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    out += JsonString(items[i]);
  }
  return out + "]";
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  if (body_.size() > 1) body_ += ", ";
  body_ += JsonString(key);
  body_ += ": ";
  body_ += json;
  return *this;
}

JsonObject& JsonObject::String(std::string_view key, std::string_view text) {
  return Raw(key, JsonString(text));
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
  return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

}  // namespace vantix::cli
