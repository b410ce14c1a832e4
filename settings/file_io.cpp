#include "settings/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cstdint>

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

  int LockFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    // Writers hold the lock for one read-modify-replace of a small file; a
    // holder that does not let go within two seconds is stuck, and waiting
    // longer would freeze the window.
    for (int attempt = 0; attempt < 400; ++attempt) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
      if (errno != EWOULDBLOCK && errno != EINTR) break;
      ::usleep(5000);
    }
    ::close(fd);
    return -1;
  }

  void UnlockFolder(int token) override {
    if (token >= 0) ::close(token);  // closing releases the lock
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
    if (static_cast<std::uint64_t>(st.st_size) > max_bytes) {
      result.state = FileRead::State::kFailed;
      result.reason = "file too large: " + path;
      return result;
    }
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
        if (result.bytes.size() + static_cast<std::size_t>(n) > max_bytes) {
          result.state = FileRead::State::kFailed;
          result.reason = "file too large: " + path;
          result.bytes.clear();
          return result;
        }
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
};

}  // namespace

FileIo& SystemFileIo() {
  static PosixFileIo io;
  return io;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace vantix
