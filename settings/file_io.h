// The file layer under every file the program reads or writes. The POSIX
// implementation replaces files atomically and durably; tests substitute one
// that fails on purpose.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/status.h"

namespace vantix {

// Larger INI files are refused: it keeps memory bounded when a stray file
// lands where an INI file should be.
inline constexpr std::size_t kMaxIniFileBytes = 256u * 1024 * 1024;
// The program's own files (profiles, macros, the macro index, exported
// profiles) are a few KiB. A larger one is damaged: it is not read at all.
inline constexpr std::size_t kMaxDataFileBytes = 1024u * 1024;

// How long a writer waits for another writer's folder lock. Writers hold it
// for one read-modify-replace of a few small files, so only a stalled or
// stopped holder keeps it long. Programs without a window wait long rather
// than fail; the window must not freeze, so it waits briefly and reports.
inline constexpr std::chrono::milliseconds kPatientLockWait{30000};
inline constexpr std::chrono::milliseconds kWindowLockWait{2000};

struct FileRead {
  // kTooLarge: over the reader's limit; nothing was read.
  enum class State { kOk, kMissing, kFailed, kTooLarge };
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

inline constexpr int kLockBusy = -1;
inline constexpr int kNoFolderLock = -2;

class FileIo {
 public:
  virtual ~FileIo() = default;
  // The file's identity now; nothing where the layer cannot tell (then
  // writers cannot notice a change made by someone else meanwhile).
  virtual std::optional<FileIdentity> Identity(const std::string& /*path*/) { return std::nullopt; }
  // Serialises writers of one folder across processes (the utility, the
  // device agent and vantixctl write the same files). Returns a token for
  // UnlockFolder, kLockBusy when no lock could be had in time (the writer
  // must then not write), or kNoFolderLock when the folder cannot be opened
  // (the write itself then fails and says why). A thread that holds the lock may take it again (nested
  // read-modify-writes); each LockFolder needs its UnlockFolder. Layers
  // without locks (test doubles) admit everyone.
  virtual int LockFolder(const std::string& /*folder*/) { return 0; }
  virtual void UnlockFolder(int /*token*/) {}
  // Renames a damaged file to "NAME.damaged-TIME" beside it, never over
  // another file; returns the new path.
  virtual Status MoveAside(const std::string& path, std::string* moved_to);
  // Reads a whole regular file of at most max_bytes.
  virtual FileRead Read(const std::string& path, std::size_t max_bytes) = 0;
  // Replaces the file's content in one step: readers see the old bytes or the
  // new ones, never a mix, and after a failure the old file is whole. With
  // sync_folder the rename itself is on disk when this returns; a caller that
  // replaces several files in one folder may sync the folder once instead.
  virtual Status Replace(const std::string& path, std::string_view bytes, bool sync_folder) = 0;
  virtual Status SyncFolder(const std::string& folder) = 0;
};

// The real file system; its folder lock waits kPatientLockWait (vantixctl,
// the device agent).
FileIo& SystemFileIo();
// The real file system for the window: the folder lock waits only
// kWindowLockWait, then the write fails with Status::lock_busy().
FileIo& WindowFileIo();

// Holds the folder lock of io for a scope: a read-modify-write of several
// files, or of one file read before it is written, done as one step.
class FolderLock {
 public:
  FolderLock(FileIo& io, const std::string& folder);
  ~FolderLock() { if (token_ >= 0) io_.UnlockFolder(token_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return token_ != kLockBusy; }
  // LockBusy when not held, naming the folder.
  Status status() const;

 private:
  FileIo& io_;
  std::string folder_;
  int token_;
};

// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace vantix
