// Loading the hook library from the program folder: present, missing, broken,
// or lacking entry points.
#include "hook/hook_link.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ScratchDir;

std::string FolderOf(const char* file) {
  return std::filesystem::path(file).parent_path().string() + "/";
}

void ExpectFound(const HookLink& link, HookLink::Entries want) {
  const HookLink::Entries found = link.Found();
  EXPECT_EQ(found.installhook, want.installhook);
  EXPECT_EQ(found.removehook, want.removehook);
  EXPECT_EQ(found.installmousehook, want.installmousehook);
  EXPECT_EQ(found.removemousehook, want.removemousehook);
  EXPECT_EQ(found.enablehook, want.enablehook);
}

TEST(HookLink, WithoutLibraryEveryCallIsSkipped) {
  ScratchDir empty;
  HookLink never_loaded;
  HookLink missing;
  LoadHookLink(missing, empty.path() + "/");

  ScratchDir broken;  // a file of that name that is no library
  test::WriteBytes(broken / "KBHook.so", "not a shared object");
  HookLink unloadable;
  LoadHookLink(unloadable, broken.path() + "/");

  for (HookLink* link : {&never_loaded, &missing, &unloadable}) {
    EXPECT_FALSE(link->Loaded());
    ExpectFound(*link, {false, false, false, false, false});
    link->InstallHook(0x400001);
    link->EnableHook(true);
    link->EnableHook(false);
    link->RemoveHook();
  }
  EXPECT_EQ(::dlerror(), nullptr) << "a failed load leaves no message behind";
}

TEST(HookLink, MissingEntryPointsAreSkippedAndTheOthersCalled) {
  HookLink link;
  LoadHookLink(link, FolderOf(PARTIAL_HOOK_PATH));
  ASSERT_TRUE(link.Loaded());
  ExpectFound(link, {true, false, false, true, true});

  // A capturing dialog's life: install, enable, disable, remove (skipped).
  link.InstallHook(0x3A00007);
  link.EnableHook(true);
  link.EnableHook(false);
  link.RemoveHook();
  // Every dialog loads the library again; the module stays the same.
  HookLink next;
  LoadHookLink(next, FolderOf(PARTIAL_HOOK_PATH));
  next.InstallHook(5);

  void* module = ::dlopen(PARTIAL_HOOK_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(module, nullptr);
  const auto log = reinterpret_cast<const char* (*)()>(::dlsym(module, "partial_hook_log"));
  ASSERT_NE(log, nullptr);
  EXPECT_STREQ(log(), "installhook 60817415;enablehook 1;enablehook 0;installhook 5;");
}

TEST(HookLink, RealLibraryHasAllFiveEntryPoints) {
  HookLink link;
  LoadHookLink(link, FolderOf(KBHOOK_PATH));
  ASSERT_TRUE(link.Loaded());
  ExpectFound(link, {true, true, true, true, true});
  EXPECT_EQ(std::filesystem::path(KBHOOK_PATH).filename(), "KBHook.so");
}

}  // namespace
}  // namespace vantix
