// A small X client for the focus tests: one mapped window of the class
// given, with its process id, as a program's window. Prints the window's id
// and stays until it is ended.
//
//   focus_client CLASS
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "agent/x11_focus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: focus_client CLASS\n", stderr);
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  // Painted: Xwayland hands a compositor only windows with content.
  const std::uint32_t background = screen->white_pixel;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &background);
  // WM_CLASS: the instance name, then the class, each ending in NUL.
  const std::string name = argv[1];
  const std::string wm_class = name + '\0' + name + '\0';
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(wm_class.size()), wm_class.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(name.size()), name.data());
  const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, vantix::agent::InternAtom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
  xcb_map_window(c, window);
  xcb_flush(c);
  std::printf("%u\n", window);
  std::fflush(stdout);
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) std::free(event);
  return 0;
}
