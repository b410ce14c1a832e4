#include "hook/hook_link.h"

#include <dlfcn.h>

namespace vantix {
namespace {

template <typename Fn>
Fn Lookup(void* module, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(module, name));
}

}  // namespace

void HookLink::Load(const std::string& program_folder) {
  *this = HookLink();
  const std::string path = program_folder + std::string(kHookLibraryName);
  // A name without a slash would make dlopen search the library path: only
  // the file beside the program may be loaded.
  if (path.find('/') == std::string::npos) return;
  module_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) {
    ::dlerror();  // clear the message; nothing is reported
    return;
  }
  installhook_ = Lookup<InstallFn>(module_, "installhook");
  removehook_ = Lookup<VoidFn>(module_, "removehook");
  installmousehook_ = Lookup<VoidFn>(module_, "installmousehook");
  removemousehook_ = Lookup<VoidFn>(module_, "removemousehook");
  enablehook_ = Lookup<EnableFn>(module_, "enablehook");
  ::dlerror();  // a missing entry point is no error either
}

void HookLink::InstallHook(std::uint32_t window) {
  if (installhook_ != nullptr) installhook_(window);
}

void HookLink::EnableHook(bool on) {
  if (enablehook_ != nullptr) enablehook_(on ? 1 : 0);
}

void HookLink::RemoveHook() {
  if (removehook_ != nullptr) removehook_();
}

bool HookLink::CanCapture() const { return installhook_ != nullptr && enablehook_ != nullptr; }

HookLink::Entries HookLink::Found() const {
  return {installhook_ != nullptr, removehook_ != nullptr, installmousehook_ != nullptr,
          removemousehook_ != nullptr, enablehook_ != nullptr};
}

void LoadHookLink(HookLink& link, const std::string& program_folder) { link.Load(program_folder); }

}  // namespace vantix
