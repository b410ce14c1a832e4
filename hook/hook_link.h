// The program's side of the hook library: loading KBHook.so from the program
// folder and calling its entry points. A missing library or a missing entry
// point is not an error: the calls that cannot be made are skipped, and the
// capturing dialogs simply receive no keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantix {

inline constexpr std::string_view kHookLibraryName = "KBHook.so";

// What a capturing dialog asks of the keyboard hook; tests stand in for it.
class KeyHook {
 public:
  virtual ~KeyHook() = default;
  // From now on keys go to this X window.
  virtual void InstallHook(std::uint32_t window) = 0;
  virtual void EnableHook(bool on) = 0;
  virtual void RemoveHook() = 0;
  // Whether keys will arrive at all; a dialog that cannot capture says so.
  virtual bool CanCapture() const { return true; }
};

class HookLink final : public KeyHook {
 public:
  // Loads ProgramFolder + "KBHook.so" and looks up the five entry points.
  // Failure is silent: the entry points stay null. The library is never
  // unloaded, so loading again (every capturing dialog does) is harmless.
  void Load(const std::string& program_folder);

  void InstallHook(std::uint32_t window) override;
  void EnableHook(bool on) override;
  void RemoveHook() override;
  // The library is loaded with the entry points a capture needs.
  bool CanCapture() const override;

  bool Loaded() const { return module_ != nullptr; }
  struct Entries {
    bool installhook, removehook, installmousehook, removemousehook, enablehook;
  };
  // Which entry points were found.
  Entries Found() const;

 private:
  using InstallFn = void (*)(std::uint32_t);
  using EnableFn = void (*)(std::int32_t);
  using VoidFn = void (*)();

  void* module_ = nullptr;
  InstallFn installhook_ = nullptr;
  VoidFn removehook_ = nullptr;
  // Looked up like the others but never called: the program hooks no mouse.
  VoidFn installmousehook_ = nullptr;
  VoidFn removemousehook_ = nullptr;
  EnableFn enablehook_ = nullptr;
};

// Fills a capturing dialog's link. It cannot fail as far as the dialog is
// concerned: without the library the dialog works, it only captures nothing.
void LoadHookLink(HookLink& link, const std::string& program_folder);

}  // namespace vantix
