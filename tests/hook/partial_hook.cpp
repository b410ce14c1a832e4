// A stand-in hook library with only some of the entry points: no removehook
// and no installmousehook. It logs the calls it receives.
#include <cstdint>
#include <string>

namespace {
std::string& Log() {
  static std::string log;
  return log;
}
}  // namespace

extern "C" {

void installhook(std::uint32_t window) { Log() += "installhook " + std::to_string(window) + ";"; }
void enablehook(std::int32_t on) { Log() += "enablehook " + std::to_string(on) + ";"; }
void removemousehook() { Log() += "removemousehook;"; }

const char* partial_hook_log() { return Log().c_str(); }

}  // extern "C"
