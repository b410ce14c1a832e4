#include "settings/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace vantix {
namespace {

std::string Reason(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
}

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A file with no write permission stands for the read-only attribute. Root
// passes access(2) whatever the mode says, so look at the bits as well.
bool IsWritable(const std::string& path, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return false;
  return ::geteuid() == 0 || ::access(path.c_str(), W_OK) == 0;
}

std::string TempNameFor(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const std::string base = target.substr(target.find_last_of('/') + 1);
  return folder + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1));
}

// ".NAME.tmp-PID-N", as TempNameFor makes them: the writer's process id,
// or 0 when the name is not one of ours.
pid_t TemporaryOwner(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return 0;
  const std::size_t tag = name.rfind(".tmp-");
  if (tag == std::string_view::npos || tag == 0) return 0;
  const std::string_view rest = name.substr(tag + 5);
  const std::size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size()) return 0;
  const auto digits = [](std::string_view d) {
    return std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1)) || dash > 9) return 0;
  return static_cast<pid_t>(std::atol(std::string(rest.substr(0, dash)).c_str()));
}

void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner <= 0 || owner == ::getpid()) continue;
    // Only when the writer is gone; a live one (or one we may not signal,
    // EPERM) may still rename its file into place.
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

class PosixFileIo final : public FileIo {
 public:
  std::optional<FileIdentity> Identity(const std::string& path) override {
    FileIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return id;  // absent: exists = false
    id.exists = true;
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.size = static_cast<std::uint64_t>(st.st_size);
    id.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
  }

  explicit PosixFileIo(std::chrono::milliseconds lock_wait) : lock_wait_(lock_wait) {}

  int LockFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return kNoFolderLock;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      ::close(fd);
      return kNoFolderLock;
    }
    const FolderKey key{st.st_dev, st.st_ino};
    {
      // flock locks belong to an open file, so a second flock of the same
      // folder by its holder would wait for itself: count instead.
      const std::lock_guard<std::mutex> guard(mutex_);
      const auto held = held_.find(key);
      if (held != held_.end() && held->second.owner == std::this_thread::get_id()) {
        ::close(fd);
        ++held->second.depth;
        return held->second.fd;
      }
    }
    const auto deadline = std::chrono::steady_clock::now() + lock_wait_;
    for (;;) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
      if (errno != EWOULDBLOCK && errno != EINTR) {
        ::close(fd);
        return kNoFolderLock;  // a file system without locks
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return kLockBusy;
      }
      ::usleep(5000);
    }
    {
      const std::lock_guard<std::mutex> guard(mutex_);
      held_[key] = Held{fd, 1, std::this_thread::get_id()};
    }
    // Writers killed half way leave their temporary files; only a lock
    // holder may remove them, since a live writer's file is in use.
    RemoveStaleTemporaries(folder);
    return fd;
  }

  void UnlockFolder(int token) override {
    if (token < 0) return;
    {
      const std::lock_guard<std::mutex> guard(mutex_);
      for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (it->second.fd != token) continue;
        if (--it->second.depth > 0) return;
        held_.erase(it);
        break;
      }
    }
    ::close(token);  // closing releases the lock
  }

  FileRead Read(const std::string& path, std::size_t max_bytes) override {
    FileRead result;
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
      const int err = errno;
      result.state = (err == ENOENT || err == ENOTDIR) ? FileRead::State::kMissing
                                                       : FileRead::State::kFailed;
      result.reason = Reason("cannot open", path, err);
      return result;
    }
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      result.state = FileRead::State::kFailed;
      result.reason = "not a regular file: " + path;
      return result;
    }
    if (static_cast<std::uint64_t>(st.st_size) > max_bytes) return TooLarge(path);
    result.bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
      if (got == result.bytes.size()) {
        // Usually the end of the file; it may have grown since fstat, so
        // probe with a small buffer before growing ours.
        char probe[4096];
        const ssize_t n = ::read(fd, probe, sizeof probe);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          result.state = FileRead::State::kFailed;
          result.reason = Reason("cannot read", path, errno);
          result.bytes.clear();
          return result;
        }
        if (n == 0) break;
        if (result.bytes.size() + static_cast<std::size_t>(n) > max_bytes) return TooLarge(path);
        result.bytes.append(probe, static_cast<std::size_t>(n));
        got = result.bytes.size();
        continue;
      }
      const ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
      if (n < 0) {
        if (errno == EINTR) continue;
        result.state = FileRead::State::kFailed;
        result.reason = Reason("cannot read", path, errno);
        result.bytes.clear();
        return result;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    result.bytes.resize(got);
    result.state = FileRead::State::kOk;
    return result;
  }

  Status Replace(const std::string& path, std::string_view bytes, bool sync_folder) override {
    // Replace the file a symbolic link points to, not the link.
    std::string target = path;
    struct stat st {};
    bool exists = false;
    if (::stat(path.c_str(), &st) == 0) {
      exists = true;
      if (S_ISDIR(st.st_mode)) return Status::Error("cannot write " + path + ": is a folder");
      if (!S_ISREG(st.st_mode)) return Status::Error("cannot write " + path + ": not a regular file");
      if (!IsWritable(path, st)) return Status::Error("cannot write " + path + ": file is read-only");
      char resolved[PATH_MAX];
      if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }

    const std::string temp = TempNameFor(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Status::Error(Reason("cannot write", path, errno));
    FdCloser closer(fd);
    const auto fail = [&](int err) {
      ::close(closer.release());
      ::unlink(temp.c_str());
      return Status::Error(Reason("cannot write", path, err));
    };
    if (exists) {
      // Keep the old file's permissions and, where allowed, its owner.
      if (::fchmod(fd, st.st_mode & 07777) != 0) return fail(errno);
      if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted for other users' files; the file is ours then.
      }
    }
    if (!WriteAll(fd, bytes)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(closer.release()) != 0) {
      const int err = errno;
      ::unlink(temp.c_str());
      return Status::Error(Reason("cannot write", path, err));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
      const int err = errno;
      ::unlink(temp.c_str());
      return Status::Error(Reason("cannot write", path, err));
    }
    if (sync_folder) return SyncFolder(FolderOf(target));
    return Status::Ok();
  }

  Status SyncFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Status::Error(Reason("cannot open folder", folder, errno));
    FdCloser closer(fd);
    if (::fsync(fd) != 0 && errno != EINVAL) {
      return Status::Error(Reason("cannot flush folder", folder, errno));
    }
    return Status::Ok();
  }

 private:
  struct FolderKey {
    dev_t device;
    ino_t inode;
    bool operator<(const FolderKey& o) const {
      return std::pair(device, inode) < std::pair(o.device, o.inode);
    }
  };
  struct Held {
    int fd;
    int depth;
    std::thread::id owner;
  };

  static FileRead TooLarge(const std::string& path) {
    FileRead result;
    result.state = FileRead::State::kTooLarge;
    result.reason = "file too large: " + path;
    return result;
  }

  std::chrono::milliseconds lock_wait_;
  // Shared by every instance: the window's short-wait layer and the patient
  // one may nest in one thread, and must not wait for each other.
  static inline std::mutex mutex_;
  static inline std::map<FolderKey, Held> held_;
};

}  // namespace

FileIo& SystemFileIo() {
  static PosixFileIo io(kPatientLockWait);
  return io;
}

FileIo& WindowFileIo() {
  static PosixFileIo io(kWindowLockWait);
  return io;
}

FolderLock::FolderLock(FileIo& io, const std::string& folder)
    : io_(io), folder_(folder), token_(io.LockFolder(folder)) {}

Status FolderLock::status() const {
  if (held()) return Status::Ok();
  return Status::LockBusy("cannot write in " + folder_ +
                          ": another program holds its lock (try again later)");
}

Status FileIo::MoveAside(const std::string& path, std::string* moved_to) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ::gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  const std::string base = path + ".damaged-" + stamp;
  for (int n = 1; n < 100; ++n) {
    const std::string aside = n == 1 ? base : base + "-" + std::to_string(n);
    // A hard link never replaces a file that is there; then the old name goes.
    if (::link(path.c_str(), aside.c_str()) != 0) {
      if (errno == EEXIST) continue;
      return Status::Error(Reason("cannot move aside", path, errno));
    }
    if (::unlink(path.c_str()) != 0) {
      const int err = errno;
      ::unlink(aside.c_str());
      return Status::Error(Reason("cannot move aside", path, err));
    }
    if (moved_to != nullptr) *moved_to = aside;
    return Status::Ok();
  }
  return Status::Error("cannot move aside " + path + ": too many damaged copies");
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace vantix
