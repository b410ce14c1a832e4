// Small JSON documents for vantixctl --json: what a script reads instead of
// the tab-separated lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantix::cli {

// A JSON string of a name or text from a file: made strict UTF-8 first, as
// the plain output does, then escaped.
std::string JsonString(std::string_view text);

// ["a", "b", ...] of strings.
std::string JsonStringArray(const std::vector<std::string>& items);

// Builds one object member by member: {"key": value, ...}.
class JsonObject {
 public:
  JsonObject& Raw(std::string_view key, std::string_view json);
  JsonObject& String(std::string_view key, std::string_view text);
  JsonObject& Int(std::string_view key, long long value);
  JsonObject& Bool(std::string_view key, bool value);
  std::string Done() const { return body_ + "}"; }

 private:
  std::string body_ = "{";
};

}  // namespace vantix::cli
