// Preloaded into a writer to stop it dead at one step of its work: with
// VANTIX_KILL_AT_STEP=N the Nth call that changes the file system (an open
// for writing, write, fsync, rename, link or unlink) raises SIGKILL before
// it happens, as a power cut or kill -9 would stop it there. Without the
// variable every call passes through untouched.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

long Target() {
  static const long target = [] {
    const char* value = std::getenv("VANTIX_KILL_AT_STEP");
    return value != nullptr ? std::atol(value) : 0L;
  }();
  return target;
}

void Step() {
  static long count = 0;
  if (Target() > 0 && ++count == Target()) ::raise(SIGKILL);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool Writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

int Open(const char* name, const char* path, int flags, va_list args) {
  const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
  if (Writes(flags)) Step();
  const auto real = Next<int (*)(const char*, int, ...)>(name);
  return real(path, flags, mode);
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = Open("open", path, flags, args);
  va_end(args);
  return fd;
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = Open("open64", path, flags, args);
  va_end(args);
  return fd;
}

ssize_t write(int fd, const void* buffer, size_t size) {
  Step();
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  return real(fd, buffer, size);
}

int fsync(int fd) {
  Step();
  static const auto real = Next<int (*)(int)>("fsync");
  return real(fd);
}

int rename(const char* from, const char* to) {
  Step();
  static const auto real = Next<int (*)(const char*, const char*)>("rename");
  return real(from, to);
}

int link(const char* from, const char* to) {
  Step();
  static const auto real = Next<int (*)(const char*, const char*)>("link");
  return real(from, to);
}

int unlink(const char* path) {
  Step();
  static const auto real = Next<int (*)(const char*)>("unlink");
  return real(path);
}

int unlinkat(int dir, const char* path, int flags) {
  Step();
  static const auto real = Next<int (*)(int, const char*, int)>("unlinkat");
  return real(dir, path, flags);
}

}  // extern "C"
