#include "tests/test_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vantix::test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantix-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {

struct Started {
  pid_t pid;
  std::string out_path, err_path;
};

Started Start(const std::vector<std::string>& command, const std::vector<std::string>& env,
              const std::string& output_stem) {
  Started started{-1, output_stem + ".stdout", output_stem + ".stderr"};
  std::vector<std::string> owned = command;
  std::vector<char*> argv;
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> owned_env = env;
  started.pid = ::fork();
  if (started.pid == 0) {
    const int out = ::open(started.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(started.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (std::string& e : owned_env) ::putenv(e.data());
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return started;
}

ProgramRun Finish(const Started& started) {
  ProgramRun run;
  int wstatus = 0;
  ::waitpid(started.pid, &wstatus, 0);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  run.out = ReadBytes(started.out_path);
  run.err = ReadBytes(started.err_path);
  return run;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const ScratchDir& scratch, const std::vector<std::string>& env) {
  std::vector<std::string> command{program};
  command.insert(command.end(), args.begin(), args.end());
  return Finish(Start(command, env, scratch / ""));
}

std::vector<ProgramRun> RunTogether(const std::vector<std::vector<std::string>>& commands,
                                    const ScratchDir& scratch) {
  std::vector<Started> started;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    started.push_back(Start(commands[i], {}, scratch / ("." + std::to_string(i))));
  }
  std::vector<ProgramRun> runs;
  for (const Started& s : started) runs.push_back(Finish(s));
  return runs;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

::testing::AssertionResult WaitFor(const std::function<bool()>& condition,
                                   std::chrono::milliseconds deadline, std::string_view what) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) {
      return ::testing::AssertionFailure()
             << "gave up after " << deadline.count() << " ms waiting for " << what;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return ::testing::AssertionSuccess();
}

HeldFolderLock::HeldFolderLock(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

HeldFolderLock::~HeldFolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

void FaultyFileIo::FailAfterWrites(int n, std::string only_suffix) {
  writes_left_ = n;
  only_suffix_ = std::move(only_suffix);
}

std::optional<FileIdentity> FaultyFileIo::Identity(const std::string& path) {
  if (!knows_identity) return std::nullopt;
  return SystemFileIo().Identity(path);
}

FileRead FaultyFileIo::Read(const std::string& path, std::size_t max_bytes) {
  ++reads;
  if (fail_reads) {
    return FileRead{FileRead::State::kFailed, {}, "cannot read " + path + ": injected fault"};
  }
  return SystemFileIo().Read(path, max_bytes);
}

Status FaultyFileIo::Replace(const std::string& path, std::string_view bytes, bool sync_folder) {
  ++replaces;
  last_sync_folder = sync_folder;
  if (writes_left_ && path.ends_with(only_suffix_)) {
    if (*writes_left_ == 0) return Status::Error("cannot write " + path + ": disk full");
    --*writes_left_;
  }
  return SystemFileIo().Replace(path, bytes, sync_folder);
}

Status FaultyFileIo::SyncFolder(const std::string& folder) {
  return SystemFileIo().SyncFolder(folder);
}

}  // namespace vantix::test
