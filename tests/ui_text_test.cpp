// The skin's string files: every call sees the file as it is now, while an
// unchanged file is parsed only once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "settings/ui_text.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

class SkinStringFilesTest : public ::testing::Test {
 protected:
  std::string Skins() const { return dir / "skins.ini"; }
  test::ScratchDir dir;
};

struct ChangeCase {
  const char* name;
  std::function<void(const std::string& path)> change;
  const char* seen;  // key 1 of [General] at the next call
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SkinStringsChangeTest : public SkinStringFilesTest,
                              public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SkinStringsChangeTest, TheNextCallSeesTheChange) {
  test::WriteBytes(Skins(), "[General]\n1=Apply\n");
  const SkinStringFiles strings(dir.path(), SystemFileIo());
  ASSERT_EQ(strings.UiText("General", 1), "Apply");
  GetParam().change(Skins());
  EXPECT_EQ(strings.UiText("General", 1), GetParam().seen);
}

// Rewritten in place with as many bytes: only the modification time tells.
// It is set a second on, as a file system with coarse times would only show
// after that second.
void SameSizeInPlace(const std::string& path) {
  const auto before = std::filesystem::last_write_time(path);
  test::WriteBytes(path, "[General]\n1=Apple\n");
  std::filesystem::last_write_time(path, before + std::chrono::seconds(1));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, SkinStringsChangeTest,
    ::testing::Values(
        ChangeCase{"SameSizeInPlace", SameSizeInPlace, "Apple"},
        ChangeCase{"Longer",
                   [](const std::string& p) { test::WriteBytes(p, "[General]\n1=Apply all\n"); },
                   "Apply all"},
        ChangeCase{"ReplacedByRename",
                   [](const std::string& p) {
                     test::WriteBytes(p + ".new", "[General]\n1=Save\n");
                     std::filesystem::rename(p + ".new", p);
                   },
                   "Save"},
        ChangeCase{"Removed", [](const std::string& p) { std::filesystem::remove(p); }, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinStringFilesTest, AFileThatAppearsLaterIsRead) {
  const SkinStringFiles strings(dir.path(), SystemFileIo());
  EXPECT_EQ(strings.UiText("General", 1), "");
  test::WriteBytes(Skins(), "[General]\n1=Apply\n");
  EXPECT_EQ(strings.UiText("General", 1), "Apply");
}

TEST_F(SkinStringFilesTest, AnUnchangedFileIsParsedOnceByEveryCopy) {
  test::WriteBytes(Skins(), "[General]\n1=Apply\n2=Reset\n");
  test::WriteBytes(dir / "general.ini", "[Functions]\n1=Left click\n");
  test::FaultyFileIo io;
  io.knows_identity = true;
  const SkinStringFiles strings(dir.path(), io);
  const SkinStringFiles copy = strings;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(strings.UiText("General", 1 + i % 2), i % 2 ? "Reset" : "Apply");
    EXPECT_EQ(copy.GeneralText("Functions", 1), "Left click");
  }
  EXPECT_EQ(io.reads, 2);
}

TEST_F(SkinStringFilesTest, ALayerWithoutIdentitiesIsReadOnEveryCall) {
  test::WriteBytes(Skins(), "[General]\n1=Apply\n");
  test::FaultyFileIo io;  // knows no identities
  const SkinStringFiles strings(dir.path(), io);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(strings.UiText("General", 1), "Apply");
  EXPECT_EQ(io.reads, 3);
}

}  // namespace
}  // namespace vantix
