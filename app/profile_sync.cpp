#include "app/profile_sync.h"

#include "devicelink/agent_events.h"

namespace vantix {

std::optional<FileIdentity> ProfileSync::IdentityOf(int profile) const {
  return io_.Identity(ProfilePath(store_.DataFolder(), profile));
}

void ProfileSync::MarkInStep(const SettingsBlock& live) {
  known_ = live;
  for (int i = 0; i < kProfileCount; ++i) seen_[i] = IdentityOf(i);
}

void ProfileSync::FollowDevice(int profile, std::int64_t kind, std::int64_t value) {
  if (profile < 0 || profile >= kProfileCount) return;
  TakeDeviceValue(known_.Profiles[profile], kind, value);
}

std::vector<ProfileSync::Change> ProfileSync::ChangedOutside() const {
  std::vector<Change> changed;
  for (int i = 0; i < kProfileCount; ++i) {
    // A layer that cannot tell identities reports nothing, as before.
    const std::optional<FileIdentity> now = IdentityOf(i);
    if (now && seen_[i] && *now != *seen_[i]) changed.push_back({i, now});
  }
  return changed;
}

std::vector<std::string> ProfileSync::Adopt(SettingsBlock& live, int profile) {
  // The identity first: a change made while reading shows up again later
  // rather than being taken for read.
  seen_[profile] = IdentityOf(profile);
  SettingsBlock loaded;
  InitSettings(loaded);
  const ProfileLoad load = store_.LoadProfiles(loaded);
  SettingsBlock repaired;
  ValidateSettings(loaded, repaired);
  live.Profiles[profile] = repaired.Profiles[profile];
  known_.Profiles[profile] = repaired.Profiles[profile];
  return load.damaged;
}

}  // namespace vantix
