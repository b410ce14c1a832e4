// The five profile files "RSProfile1.pfd" .. "RSProfile5.pfd" in the data
// folder, and single exported profiles. The device agent reads the same
// files: the order and format of their keys are a file format.
#pragma once

#include <string>

#include "settings/file_io.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix {

// data_folder ends with '/'; index is 0..4.
std::string ProfilePath(const std::string& data_folder, int index);
// "ButtonAssigned_1" .. "ButtonAssigned_12" for button 0..11.
std::string ButtonKey(int button);

// Writes one profile as an exported file: the profile-file layout without
// "GroupID" and "LoopNumber". Keys already in the file that the export does
// not write stay.
Status ExportProfile(const std::string& path, const ProfileRecord& record,
                     FileIo& io = SystemFileIo());
// Reads an exported (or profile) file into one record, unvalidated: a key the
// file lacks becomes unset. LoopNumber is kept. A file that does not exist or
// cannot be read changes nothing and is reported.
Status ImportProfile(const std::string& path, ProfileRecord& record, FileIo& io = SystemFileIo());
// Whether a readable file holds at least one key of a profile (a field,
// the stages or a button). An empty file, or another program's INI file,
// holds none: importing it would only unset every field.
bool HoldsProfile(const std::string& path, FileIo& io = SystemFileIo());

class ProfileStore {
 public:
  ProfileStore(std::string data_folder, SettingsBlock& live, FileIo& io = SystemFileIo())
      : data_folder_(std::move(data_folder)), live_(live), io_(io) {}

  // Reads the five files into block (normally just initialised); values are
  // taken as read. Missing files and keys leave the load defaults.
  void LoadProfiles(SettingsBlock& block) const;
  // Writes the live block to the five files, each replaced in one step; the
  // first failure is reported, the other files are written all the same.
  Status SaveProfiles() const;
  // Init, load, validate into the live block; returns the current profile.
  int ReloadProfiles() const;

  const std::string& DataFolder() const { return data_folder_; }
  SettingsBlock& Live() const { return live_; }

 private:
  std::string data_folder_;
  SettingsBlock& live_;
  FileIo& io_;
};

}  // namespace vantix
