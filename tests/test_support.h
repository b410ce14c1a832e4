// Shared helpers for the tests: scratch folders, whole-file access, waiting
// for a condition and a file layer that fails on request.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"

namespace vantix::test {

// A fresh folder under the system temporary folder, removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }  // no trailing slash
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// A finished program: exit status (-1 when killed by a signal) and output.
struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};
// Runs program with args, its output captured through files in scratch;
// env adds "NAME=VALUE" entries to its environment.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ScratchDir& scratch, const std::vector<std::string>& env = {});
// Starts every command (program first) at once and waits for all of them.
std::vector<ProgramRun> RunTogether(const std::vector<std::vector<std::string>>& commands,
                                    const ScratchDir& scratch);
// Whether run ended by a signal rather than an exit.
inline bool Killed(const ProgramRun& run) { return run.status == -1; }

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
bool Exists(const std::string& path);

// Polls condition until it holds, at most deadline: other processes and
// servers answer when they are ready, not after a fixed time. The failure
// names what was awaited and how long the test waited.
::testing::AssertionResult WaitFor(const std::function<bool()>& condition,
                                   std::chrono::milliseconds deadline, std::string_view what);

// Holds a folder's writer lock as another program would (its own open file),
// until it goes.
class HeldFolderLock {
 public:
  explicit HeldFolderLock(const std::string& folder);
  ~HeldFolderLock();
  HeldFolderLock(const HeldFolderLock&) = delete;
  HeldFolderLock& operator=(const HeldFolderLock&) = delete;
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// The real file system, counting what it is asked, that fails on request as
// a disk that fills up would: once FailAfterWrites(n) has let n more
// replacements through, every later one fails and leaves the old file alone.
// Reads fail while fail_reads is set. It knows no file identities (as a
// layer that cannot tell one version of a file from the next) unless
// knows_identity is set.
class FaultyFileIo final : public FileIo {
 public:
  std::optional<FileIdentity> Identity(const std::string& path) override;
  // Only replacements of paths that end with only_suffix (any, when empty)
  // count and fail; the others always go through.
  void FailAfterWrites(int n, std::string only_suffix = {});
  void StopFailing() { writes_left_.reset(); }

  FileRead Read(const std::string& path, std::size_t max_bytes) override;
  Status Replace(const std::string& path, std::string_view bytes, bool sync_folder) override;
  Status SyncFolder(const std::string& folder) override;

  bool knows_identity = false;
  bool fail_reads = false;
  int reads = 0;
  int replaces = 0;  // every call, failed or not
  bool last_sync_folder = false;

 private:
  std::optional<int> writes_left_;  // none: no replacement fails
  std::string only_suffix_;
};

}  // namespace vantix::test
