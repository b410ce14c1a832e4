#include "cli/settings_json.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "settings/settings_schema.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {

void AppendEscapedUnit(std::string& out, char16_t unit) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(unit));
  out += buf;
}

// JSON string of a NUL-terminated UTF-16 name; unpaired surrogates stay
// visible as escapes instead of being lost.
void AppendJsonString(std::string& out, std::u16string_view text) {
  out += '"';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    switch (u) {
      case u'"': out += "\\\""; continue;
      case u'\\': out += "\\\\"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      case u'\b': out += "\\b"; continue;
      case u'\f': out += "\\f"; continue;
      default: break;
    }
    if (u < 0x20) {
      AppendEscapedUnit(out, u);
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      out += Utf16ToUtf8(text.substr(i, 2));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendEscapedUnit(out, u);
    } else {
      out += Utf16ToUtf8(text.substr(i, 1));
    }
  }
  out += '"';
}

void AppendField(std::string& out, std::string_view name, long long value, bool first = false) {
  if (!first) out += ", ";
  out += '"';
  out += name;
  out += "\": ";
  out += std::to_string(value);
}

void AppendButton(std::string& out, const ButtonRecord& button) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '{';
  AppendField(out, "ButtonID", button.ButtonID, true);
  AppendField(out, "ButtonFunc", button.ButtonFunc);
  AppendField(out, "LoopNumber", button.LoopNumber);
  AppendField(out, "KeyNumber", button.KeyNumber);
  out += ", \"KeyEvents\": \"";
  for (const std::uint8_t b : button.KeyEvents) {
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
  out += "\", \"MacroName\": ";
  AppendJsonString(out, MacroNameView(button));
  out += '}';
}

void AppendProfile(std::string& out, const ProfileRecord& profile) {
  out += '{';
  bool first = true;
  for (const ProfileField& field : kProfileFields) {
    AppendField(out, field.key, profile.*field.member, first);
    first = false;
  }
  out += ", \"DpiStages\": [";
  for (std::size_t k = 0; k < profile.Stages.size(); ++k) {
    const DpiStage& stage = profile.Stages[k];
    if (k != 0) out += ", ";
    out += '{';
    AppendField(out, "Enabled", stage.Enabled, true);
    AppendField(out, "X", stage.X);
    AppendField(out, "Y", stage.Y);
    AppendField(out, "Linked", stage.Linked);
    out += '}';
  }
  out += "], \"Buttons\": [";
  for (std::size_t b = 0; b < profile.Buttons.size(); ++b) {
    if (b != 0) out += ", ";
    AppendButton(out, profile.Buttons[b]);
  }
  out += "]}";
}

}  // namespace

std::string SettingsToJson(const SettingsBlock& block) {
  std::string out;
  out.reserve(32 * 1024);
  out += '{';
  AppendField(out, "CurrentProfile", block.CurrentProfile, true);
  out += ", \"Profiles\": [";
  for (std::size_t i = 0; i < block.Profiles.size(); ++i) {
    if (i != 0) out += ", ";
    AppendProfile(out, block.Profiles[i]);
  }
  out += "]}";
  return out;
}

}  // namespace vantix
