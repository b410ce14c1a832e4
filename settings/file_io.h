// The file layer under every file the program reads or writes. The POSIX
// implementation replaces files atomically and durably; tests substitute one
// that fails on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/status.h"

namespace vantix {

// Larger files are refused: nothing the program writes comes near it, and it
// keeps memory bounded when a stray file lands where a profile should be.
inline constexpr std::size_t kMaxIniFileBytes = 256u * 1024 * 1024;

struct FileRead {
  enum class State { kOk, kMissing, kFailed };
  State state = State::kMissing;
  std::string bytes;
  std::string reason;  // for kFailed
};

// What tells one version of a file from the next without reading it.
struct FileIdentity {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t mtime_ns = 0;
  bool exists = false;
  bool operator==(const FileIdentity&) const = default;
};

class FileIo {
 public:
  virtual ~FileIo() = default;
  // The file's identity now; nothing where the layer cannot tell (then
  // writers cannot notice a change made by someone else meanwhile).
  virtual std::optional<FileIdentity> Identity(const std::string& /*path*/) { return std::nullopt; }
  // Serialises writers of one folder across processes (the utility and the
  // device agent both write the macro index and the profile files). Returns
  // a token for UnlockFolder, or -1 when no lock could be had in time, in
  // which case the writer goes on without it.
  virtual int LockFolder(const std::string& /*folder*/) { return -1; }
  virtual void UnlockFolder(int /*token*/) {}
  // Reads a whole regular file of at most max_bytes.
  virtual FileRead Read(const std::string& path, std::size_t max_bytes) = 0;
  // Replaces the file's content in one step: readers see the old bytes or the
  // new ones, never a mix, and after a failure the old file is whole. With
  // sync_folder the rename itself is on disk when this returns; a caller that
  // replaces several files in one folder may sync the folder once instead.
  virtual Status Replace(const std::string& path, std::string_view bytes, bool sync_folder) = 0;
  virtual Status SyncFolder(const std::string& folder) = 0;
};

// The real file system.
FileIo& SystemFileIo();

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace vantix
