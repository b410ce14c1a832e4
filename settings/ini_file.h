// IniFile: one INI file on disk, read and written with the Win32
// private-profile rules of IniDocument.
//
// Each single read parses the file and each single write replaces it, as the
// API's calls do. Callers with many keys take a snapshot (one parse for all
// reads) or a batch (many writes, one atomic replacement).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/ini_document.h"
#include "settings/status.h"

namespace vantix {

// What a kind of file may hold, and what happens when it is larger.
struct IniFileKind {
  std::size_t max_bytes;
  // A larger file is damaged: it reads as empty and the next write moves it
  // aside ("NAME.damaged-TIME") before writing a new one. Otherwise it is
  // never replaced.
  bool move_aside_when_larger;
};
// Any INI file (vantixctl ini, skin strings).
inline constexpr IniFileKind kAnyIniFile{kMaxIniFileBytes, false};
// The profiles, macro files and the macro index.
inline constexpr IniFileKind kDataFile{kMaxDataFileBytes, true};

// A parsed copy of the file. A missing or unreadable file reads as empty,
// so every read gives its default.
class IniSnapshot {
 public:
  IniSnapshot(IniDocument doc, FileRead::State state) : doc_(std::move(doc)), state_(state) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value = {}) const {
    return doc_.ReadString(section, key, default_value);
  }
  std::int32_t ReadInt(std::int32_t default_value, std::string_view section,
                       std::string_view key) const {
    return doc_.ReadInt(default_value, section, key);
  }
  bool ReadStruct(std::size_t size, void* target, std::string_view section,
                  std::string_view key) const {
    return doc_.ReadStruct(size, target, section, key);
  }
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const {
    return doc_.Find(section, key);
  }
  // Whether the file existed and could be read.
  bool Readable() const { return state_ == FileRead::State::kOk; }
  // Over its kind's size limit: read as empty.
  bool Damaged() const { return state_ == FileRead::State::kTooLarge; }
  FileRead::State State() const { return state_; }

 private:
  IniDocument doc_;
  FileRead::State state_;
};

// Writes collected in memory and put on disk by Commit as one replacement of
// the file. A file that exists but cannot be read is never replaced. Another
// process may write the same file meanwhile (the device agent writes the
// macro index, for one): Commit then applies the writes again to what is on
// disk now, so neither side's values are lost.
class IniBatch {
 public:
  IniBatch(std::string path, FileIo& io, IniFileKind kind = kAnyIniFile);

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes value only where the file (as it is at Commit) lacks the key.
  void WriteStringIfAbsent(std::string_view section, std::string_view key, std::string_view value);
  void WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
  }
  void WriteStruct(std::string_view section, std::string_view key, const void* data,
                   std::size_t size) {
    WriteString(section, key, EncodeIniStruct(data, size));
  }
  bool Changed() const { return changed_; }

  // Writes the file when anything changed; an unchanged file is left as it
  // is, byte for byte. Under the folder's lock: when it cannot be had, the
  // result is lock_busy() and nothing is written. A damaged file is moved
  // aside first (moved_aside() says where).
  Status Commit(bool sync_folder = true);
  const std::string& moved_aside() const { return moved_aside_; }

 private:
  struct Write {
    std::string section, key, value;
    bool if_absent;
  };
  // Reads the file as it is now into doc_; false when it cannot be read.
  bool Load();
  bool Apply(const Write& w);

  std::string path_;
  FileIo& io_;
  IniFileKind kind_;
  bool damaged_ = false;  // doc_ stands for a damaged file, read as empty
  std::string moved_aside_;
  IniDocument doc_;
  std::optional<FileIdentity> loaded_;  // what doc_ was read from
  std::vector<Write> writes_;           // since the last successful Commit
  Status load_error_;
  bool changed_ = false;
};

class IniFile {
 public:
  explicit IniFile(std::string path, FileIo& io, IniFileKind kind = kAnyIniFile)
      : path_(std::move(path)), io_(&io), kind_(kind) {}

  const std::string& Path() const { return path_; }

  IniSnapshot Load() const;
  IniBatch Edit() const { return IniBatch(path_, *io_, kind_); }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value = {}) const {
    return Load().ReadString(section, key, default_value);
  }
  std::int32_t ReadInt(std::int32_t default_value, std::string_view section,
                       std::string_view key) const {
    return Load().ReadInt(default_value, section, key);
  }
  bool ReadStruct(std::size_t size, void* target, std::string_view section,
                  std::string_view key) const {
    return Load().ReadStruct(size, target, section, key);
  }

  Status WriteString(std::string_view section, std::string_view key, std::string_view value);
  Status WriteInt(std::string_view section, std::string_view key, std::int32_t value);
  Status WriteStruct(std::size_t size, std::string_view section, std::string_view key,
                     const void* data);

 private:
  std::string path_;
  FileIo* io_;
  IniFileKind kind_;
};

}  // namespace vantix
