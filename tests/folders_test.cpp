#include "settings/folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/test_support.h"

namespace vantix {
namespace {

using test::Exists;
using test::ScratchDir;
using test::WriteBytes;

FolderEnvironment Env(std::map<std::string, std::string> vars, std::string exe = "/opt/mouse/vantix") {
  FolderEnvironment env;
  env.getenv = [vars](const char* name) -> std::optional<std::string> {
    const auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
  env.executable = std::move(exe);
  return env;
}

TEST(FoldersTest, ProgramFolderIsTheExecutablesFolderWithASlash) {
  ScratchDir dir;
  EXPECT_EQ(ResolveFolders(Env({{"HOME", dir.path()}}, "/tools/mouse/vantix")).ProgramFolder,
            "/tools/mouse/");
}

TEST(FoldersTest, DataFolderIsTheProductFolderInDocumentsCreatedWhenMissing) {
  ScratchDir dir;
  const Folders folders = ResolveFolders(Env({{"HOME", dir.path()}}));
  EXPECT_EQ(folders.DataFolder, dir.path() + "/Documents/Corvane II Gaming Mouse/");
  EXPECT_TRUE(Exists(folders.DataFolder));
}

TEST(FoldersTest, UserDirsNamesTheDocumentsFolder) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / ".config");
  struct Case {
    std::string line;
    std::string expected_documents;
  };
  for (const Case& c : {Case{"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"", dir / "Dokumente"},
                        Case{"# comment\nXDG_DOCUMENTS_DIR=\"" + (dir / "abs docs") + "\"",
                             dir / "abs docs"},
                        Case{"XDG_DOCUMENTS_DIR=relative/path", dir / "Documents"}}) {
    WriteBytes(dir / ".config/user-dirs.dirs", c.line + "\n");
    EXPECT_EQ(ResolveFolders(Env({{"HOME", dir.path()}})).DataFolder,
              c.expected_documents + "/Corvane II Gaming Mouse/")
        << c.line;
  }
}

TEST(FoldersTest, XdgConfigHomeIsWhereUserDirsLives) {
  ScratchDir dir;
  std::filesystem::create_directories(dir / "cfg");
  WriteBytes(dir / "cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  EXPECT_EQ(ResolveFolders(Env({{"HOME", dir.path()}, {"XDG_CONFIG_HOME", dir / "cfg"}})).DataFolder,
            dir / "Papers/Corvane II Gaming Mouse/");
}

TEST(FoldersTest, WithoutADocumentsFolderDataGoesToTheProgramFolder) {
  ScratchDir dir;
  WriteBytes(dir / "home-is-a-file", "x");
  for (const FolderEnvironment& env : {Env({}), Env({{"HOME", dir / "home-is-a-file"}})}) {
    const Folders folders = ResolveFolders(env);
    EXPECT_EQ(folders.DataFolder, folders.ProgramFolder);
  }
}

}  // namespace
}  // namespace vantix
