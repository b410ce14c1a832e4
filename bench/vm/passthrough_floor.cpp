// The floor of the agent's latency: the least any program can do between a
// grabbed mouse and a virtual device of its own. Grabs the device called
// NAME, re-emits every event unchanged through "Vantix pass-through" and
// stops on SIGTERM or when the device goes away.
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/vm/input_devices.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: passthrough_floor NAME\n");
    return 2;
  }
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  const int stop_fd = ::signalfd(-1, &stop, SFD_CLOEXEC);

  const auto node = vantix::vmtest::WaitForDevice(argv[1], std::chrono::seconds(20));
  if (!node) {
    std::fprintf(stderr, "passthrough_floor: no device \"%s\"\n", argv[1]);
    return 1;
  }
  const int fd = ::open(node->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  libevdev* source = nullptr;
  if (fd < 0 || libevdev_new_from_fd(fd, &source) != 0 || libevdev_grab(source, LIBEVDEV_GRAB) != 0) {
    std::fprintf(stderr, "passthrough_floor: cannot grab %s: %s\n", node->c_str(), std::strerror(errno));
    return 1;
  }
  libevdev_set_name(source, "Vantix pass-through");
  libevdev_uinput* sink = nullptr;
  if (const int rc = libevdev_uinput_create_from_device(source, LIBEVDEV_UINPUT_OPEN_MANAGED, &sink); rc != 0) {
    std::fprintf(stderr, "passthrough_floor: no uinput device: %s\n", std::strerror(-rc));
    return 1;
  }

  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if ((fds[1].revents & POLLIN) != 0) break;
    input_event event{};
    int rc = 0;
    while ((rc = libevdev_next_event(source, LIBEVDEV_READ_FLAG_NORMAL, &event)) == LIBEVDEV_READ_STATUS_SUCCESS) {
      libevdev_uinput_write_event(sink, event.type, event.code, event.value);
    }
    if (rc != -EAGAIN && rc != LIBEVDEV_READ_STATUS_SYNC) break;  // the device went away
  }
  libevdev_uinput_destroy(sink);
  libevdev_free(source);
  ::close(fd);
  return 0;
}
