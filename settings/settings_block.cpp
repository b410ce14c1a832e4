#include "settings/settings_block.h"

#include <cstring>

#include "settings/settings_schema.h"

namespace vantix {
namespace {

// The six single-key buttons of the factory layout send the keys 1 to 6
// (USB HID usages 30..35).
constexpr int kFirstDigitButton = 3;
constexpr int kLastDigitButton = 8;
constexpr std::uint8_t kUsageKey1 = 30;

std::int32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                   (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

void WriteLe32(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

}  // namespace

void InitSettings(SettingsBlock& block) {
  block = SettingsBlock{};
  block.CurrentProfile = kUnset;
  for (ProfileRecord& profile : block.Profiles) {
    for (const ProfileField& field : kProfileFields) profile.*field.member = field.init_value;
    for (int k = 0; k < kButtonCount; ++k) {
      ButtonRecord& button = profile.Buttons[k];
      button.ButtonID = static_cast<std::uint8_t>(k + 1);
      button.ButtonFunc = kUnsetByte;
      button.LoopNumber = 1;
      button.KeyNumber = 0;
    }
  }
}

bool ValidateSettings(const SettingsBlock& loaded, SettingsBlock& live) {
  live = loaded;
  bool repaired = false;
  if (static_cast<std::uint32_t>(live.CurrentProfile) > kProfileCount - 1) {
    live.CurrentProfile = 0;
    repaired = true;
  }
  for (int i = 0; i < kProfileCount; ++i) {
    ProfileRecord& profile = live.Profiles[i];
    for (const ProfileField& field : kProfileFields) {
      std::int32_t& value = profile.*field.member;
      std::int32_t repair = value;
      switch (field.rule) {
        case RepairRule::kNone:
          break;
        case RepairRule::kRange:
          if (value < field.min || value > field.max) repair = field.repair_value;
          break;
        case RepairRule::kGroup:
          if (value == kUnset) repair = i == 0 ? 1 : 0;
          break;
        case RepairRule::kLedColor:
          if (value == kUnset) repair = kDefaultLedColor[i];
          break;
      }
      if (repair != value) {
        value = repair;
        repaired = true;
      }
    }
    for (int k = 0; k < kStageCount; ++k) {
      DpiStage& stage = profile.Stages[k];
      if (stage.X == 0) {
        stage.Enabled = 1;
        stage.X = stage.Y = kDefaultStageValue[k];
        repaired = true;
      }
    }
    for (int k = 0; k < kButtonCount; ++k) {
      ButtonRecord& button = profile.Buttons[k];
      if (button.ButtonFunc == kUnsetByte) {
        button.ButtonFunc = kFallbackFunction[k];
        repaired = true;
      }
    }
  }
  return repaired;
}

void ResetProfile(SettingsBlock& block, int index) {
  if (index < 0 || index >= kProfileCount) return;
  ProfileRecord& profile = block.Profiles[index];
  for (const ProfileField& field : kProfileFields) {
    if (!field.reset) continue;
    profile.*field.member =
        field.rule == RepairRule::kLedColor ? kDefaultLedColor[index] : field.factory_value;
  }
  for (int k = 0; k < kStageCount; ++k) {
    profile.Stages[k] = DpiStage{1, kDefaultStageValue[k], kDefaultStageValue[k], 1};
  }
  for (int k = 0; k < kButtonCount; ++k) {
    ButtonRecord& button = profile.Buttons[k];
    button.ButtonFunc = kFallbackFunction[k];
    button.KeyNumber = 0;
    button.KeyEvents.fill(0);
    button.MacroName.fill(0);
  }
  for (int k = kFirstDigitButton; k <= kLastDigitButton; ++k) {
    ButtonRecord& button = profile.Buttons[k];
    if (button.ButtonFunc == kSingleKeyFunction) {
      button.KeyEvents[0] = static_cast<std::uint8_t>(kUsageKey1 + (k - kFirstDigitButton));
    }
  }
}

void ResetAllProfiles(SettingsBlock& block) {
  for (int i = 0; i < kProfileCount; ++i) ResetProfile(block, i);
  block.CurrentProfile = 0;
}

std::int32_t StageToDpi(std::int32_t stage_value) {
  if (stage_value <= 120) return 100 * stage_value;
  return 100 * (2 * stage_value - 120);
}

ProfileRecord& CurrentRecord(SettingsBlock& block) {
  // Out of range only before validation; the first profile is the safe one.
  const auto index = static_cast<std::uint32_t>(block.CurrentProfile);
  return block.Profiles[index < kProfileCount ? index : 0];
}

const ProfileRecord& CurrentRecord(const SettingsBlock& block) {
  const auto index = static_cast<std::uint32_t>(block.CurrentProfile);
  return block.Profiles[index < kProfileCount ? index : 0];
}

std::array<std::uint8_t, kStageBlockBytes> PackStages(const std::array<DpiStage, kStageCount>& stages) {
  std::array<std::uint8_t, kStageBlockBytes> bytes{};
  for (int k = 0; k < kStageCount; ++k) {
    std::uint8_t* p = bytes.data() + 16 * k;
    WriteLe32(p, stages[k].Enabled);
    WriteLe32(p + 4, stages[k].X);
    WriteLe32(p + 8, stages[k].Y);
    WriteLe32(p + 12, stages[k].Linked);
  }
  return bytes;
}

void UnpackStages(const std::array<std::uint8_t, kStageBlockBytes>& bytes,
                  std::array<DpiStage, kStageCount>& stages) {
  for (int k = 0; k < kStageCount; ++k) {
    const std::uint8_t* p = bytes.data() + 16 * k;
    stages[k] = DpiStage{ReadLe32(p), ReadLe32(p + 4), ReadLe32(p + 8), ReadLe32(p + 12)};
  }
}

}  // namespace vantix
