// Loaded into hid with LD_PRELOAD inside the test machine: makes the
// agent's wait (epoll_wait), its reads of an event device or its writes to uinput fail
// on request, for the tests of how it ends or retries.
//
// A test writes "CALL ERRNO TIMES" (wait, read or write; a number; -1 for
// ever) to /tmp/vantix-fault; the next call of that kind takes the plan
// over and removes the file, and that call and the next TIMES - 1 fail with
// ERRNO. Every other call goes through.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kPlanFile = "/tmp/vantix-fault";
constexpr unsigned kInputMajor = 13;
constexpr unsigned kMiscMajor = 10;
constexpr unsigned kUinputMinor = 223;

struct Plan {
  char call[8] = {};
  int error = 0;
  long times = 0;  // left to fail; -1 for ever
};
Plan plan;

// The fault for call, when one is planned or asked for now.
bool Fails(const char* call) {
  if (::access(kPlanFile, F_OK) == 0) {
    if (FILE* f = std::fopen(kPlanFile, "r")) {
      Plan next;
      if (std::fscanf(f, "%7s %d %ld", next.call, &next.error, &next.times) == 3 &&
          std::strcmp(next.call, call) == 0) {
        plan = next;
        ::unlink(kPlanFile);
      }
      std::fclose(f);
    }
  }
  if (plan.times == 0 || std::strcmp(plan.call, call) != 0) return false;
  if (plan.times > 0) --plan.times;
  errno = plan.error;
  return true;
}

bool IsDevice(int fd, unsigned major_number, int minor_number) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || major(st.st_rdev) != major_number) return false;
  return minor_number < 0 || minor(st.st_rdev) == static_cast<unsigned>(minor_number);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int epoll_wait(int epfd, epoll_event* events, int max, int timeout) {
  static const auto real = Next<int (*)(int, epoll_event*, int, int)>("epoll_wait");
  if (Fails("wait")) return -1;
  return real(epfd, events, max, timeout);
}

ssize_t read(int fd, void* buffer, size_t size) {
  static const auto real = Next<ssize_t (*)(int, void*, size_t)>("read");
  if (IsDevice(fd, kInputMajor, -1) && Fails("read")) return -1;
  return real(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  if (IsDevice(fd, kMiscMajor, kUinputMinor) && Fails("write")) return -1;
  return real(fd, buffer, size);
}

}  // extern "C"
