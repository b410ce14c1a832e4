// A small Wayland client for the focus tests: one xdg-shell window with
// the app id given, as a native program's window. Prints "mapped" once the
// compositor shows it and stays until it is ended.
//
//   wl_focus_client APP_ID
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "xdg-shell-client-protocol.h"

namespace {

struct Client {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm_base = nullptr;
  wl_surface* surface = nullptr;
  bool configured = false;
};

constexpr int kWidth = 160, kHeight = 90;

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  auto* client = static_cast<Client*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    client->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    client->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    client->wm_base = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
  }
}

// A plain grey picture: a window needs one before the compositor maps it.
wl_buffer* Picture(wl_shm* shm) {
  const int stride = kWidth * 4, size = stride * kHeight;
  const int fd = ::memfd_create("wl_focus_client", MFD_CLOEXEC);
  if (fd < 0 || ::ftruncate(fd, size) != 0) return nullptr;
  void* pixels = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) return nullptr;
  std::memset(pixels, 0x80, static_cast<std::size_t>(size));
  ::munmap(pixels, static_cast<std::size_t>(size));
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
  wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, kWidth, kHeight, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  ::close(fd);
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: wl_focus_client APP_ID\n", stderr);
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  Client client;
  static const wl_registry_listener kRegistry = {&OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &client);
  wl_display_roundtrip(display);
  if (client.compositor == nullptr || client.shm == nullptr || client.wm_base == nullptr) return 1;
  static const xdg_wm_base_listener kWmBase = {
      [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
  xdg_wm_base_add_listener(client.wm_base, &kWmBase, nullptr);

  client.surface = wl_compositor_create_surface(client.compositor);
  xdg_surface* surface = xdg_wm_base_get_xdg_surface(client.wm_base, client.surface);
  static const xdg_surface_listener kSurface = {[](void* data, xdg_surface* s, std::uint32_t serial) {
    xdg_surface_ack_configure(s, serial);
    static_cast<Client*>(data)->configured = true;
  }};
  xdg_surface_add_listener(surface, &kSurface, &client);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
  static const xdg_toplevel_listener kToplevel = {
      [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
      [](void*, xdg_toplevel*) {},
      // Sent only to clients of later versions than the one bound.
      [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
      [](void*, xdg_toplevel*, wl_array*) {},
  };
  xdg_toplevel_add_listener(toplevel, &kToplevel, nullptr);
  xdg_toplevel_set_app_id(toplevel, argv[1]);
  xdg_toplevel_set_title(toplevel, argv[1]);
  wl_surface_commit(client.surface);
  while (!client.configured) {
    if (wl_display_dispatch(display) < 0) return 1;
  }
  wl_surface_attach(client.surface, Picture(client.shm), 0, 0);
  wl_surface_commit(client.surface);
  wl_display_roundtrip(display);
  std::puts("mapped");
  std::fflush(stdout);
  while (wl_display_dispatch(display) >= 0) {
  }
  return 0;
}
