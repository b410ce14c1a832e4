// A window message as a value: a number with two 64-bit parameters, and
// whether its sender waits for the result. The program's windows, the
// keyboard hook's link and the socket transport between processes all carry
// it, so it lives at the bottom, apart from any of them.
#pragma once

#include <cstdint>

namespace vantix {

struct WindowMessage {
  std::uint32_t message = 0;
  bool sent = false;  // the sender waits for the result
  std::int64_t wparam = 0;
  std::int64_t lparam = 0;
};

}  // namespace vantix
