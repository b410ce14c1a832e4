// The floor of the agent's latency: the least any program can do between a
// grabbed mouse and a virtual device of its own. Grabs the device called
// NAME and copies it to "Vantix pass-through": one blocking read takes
// whatever batch of events the kernel holds, one write hands that batch on.
// No poll, no per-event call, no copy. Stops on SIGTERM or SIGINT (the read
// is interrupted) or when the device goes away.
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/vm/input_devices.h"

namespace {

volatile std::sig_atomic_t stopped = 0;
void Stop(int) { stopped = 1; }

}  // namespace

int main(int argc, char** argv) {
  const bool with_keys = argc == 3 && std::strcmp(argv[2], "--with-keys") == 0;
  if (argc != 2 && !with_keys) {
    std::fprintf(stderr, "usage: passthrough_floor NAME [--with-keys]\n");
    return 2;
  }
  // Without SA_RESTART: the signal ends the blocking read with EINTR.
  struct sigaction action {};
  action.sa_handler = Stop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  const auto node = vantix::vmtest::WaitForDevice(argv[1], std::chrono::seconds(20));
  if (!node) {
    std::fprintf(stderr, "passthrough_floor: no device \"%s\"\n", argv[1]);
    return 1;
  }
  // libevdev only describes the source once, for making the copy; the loop
  // below does not go through it.
  const int fd = ::open(node->c_str(), O_RDONLY | O_CLOEXEC);
  libevdev* source = nullptr;
  if (fd < 0 || libevdev_new_from_fd(fd, &source) != 0 || ::ioctl(fd, EVIOCGRAB, 1) != 0) {
    std::fprintf(stderr, "passthrough_floor: cannot grab %s: %s\n", node->c_str(), std::strerror(errno));
    return 1;
  }
  libevdev_set_name(source, with_keys ? "Vantix pass-through with keys" : "Vantix pass-through");
  // With --with-keys the copy can send a keyboard key too, as the agent's
  // device can: the kernel's keyboard handler then takes every event of it,
  // which costs as much as everything else the copy does.
  if (with_keys) libevdev_enable_event_code(source, EV_KEY, KEY_A, nullptr);
  libevdev_uinput* sink = nullptr;
  if (const int rc = libevdev_uinput_create_from_device(source, LIBEVDEV_UINPUT_OPEN_MANAGED, &sink); rc != 0) {
    std::fprintf(stderr, "passthrough_floor: no uinput device: %s\n", std::strerror(-rc));
    return 1;
  }
  const int out = libevdev_uinput_get_fd(sink);

  input_event batch[256];
  while (stopped == 0) {
    const ssize_t n = ::read(fd, batch, sizeof batch);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the device went away
    if (::write(out, batch, static_cast<std::size_t>(n)) != n) break;
  }
  libevdev_uinput_destroy(sink);
  libevdev_free(source);
  ::close(fd);
  return 0;
}
