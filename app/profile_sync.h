// What the window knows of the five profile files: the values it last read
// from them or wrote to them, and each file's identity at that moment. A file
// whose identity has moved on since was changed by someone else (vantixctl,
// another writer); the window's own saves move the record along with them.
// No Qt: the window asks and carries out.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "settings/file_io.h"
#include "settings/profile_store.h"
#include "settings/settings_block.h"

namespace vantix {

class ProfileSync {
 public:
  explicit ProfileSync(const ProfileStore& store, FileIo& io)
      : store_(store), io_(io) {}

  // The live block and the five files agree now (after loading them, after
  // saving them).
  void MarkInStep(const SettingsBlock& live);
  // A profile whose file changed since, by someone else, and the file as it
  // is now.
  struct Change {
    int profile;
    std::optional<FileIdentity> now;
  };
  std::vector<Change> ChangedOutside() const;
  // The window holds edits of this profile that are not in its file.
  bool HasEdits(const SettingsBlock& live, int profile) const {
    return live.Profiles[profile] != known_.Profiles[profile];
  }
  // ... of any profile: what Apply's highlight and the question at close
  // go by. Which profile is current is not an edit.
  bool AnyEdits(const SettingsBlock& live) const { return live.Profiles != known_.Profiles; }
  // The mouse reported a change of its own (TakeDeviceValue) to this
  // profile: it is the mouse's state, not an edit the files lack.
  void FollowDevice(int profile, std::int64_t kind, std::int64_t value);
  // Takes the profile as its file holds it now (read and repaired as at
  // start-up) into the live block; the window's edits of it are dropped.
  // Returns the damaged files the reading met.
  std::vector<std::string> Adopt(SettingsBlock& live, int profile);
  // The user was told of the change and chose to keep the window's version
  // of the profile: that state of its file is no longer news (a later one
  // is).
  void Acknowledge(const Change& change) { seen_[change.profile] = change.now; }

 private:
  std::optional<FileIdentity> IdentityOf(int profile) const;

  const ProfileStore& store_;
  FileIo& io_;
  SettingsBlock known_{};  // the profiles as last in step with the files
  std::array<std::optional<FileIdentity>, kProfileCount> seen_{};
};

}  // namespace vantix
