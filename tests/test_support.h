// Shared helpers for the tests: scratch folders and whole-file access.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace vantix::test
