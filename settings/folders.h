// The two folders every file lives in: the program's own folder (skin,
// device agent, hook library) and the per-user data folder (profiles, macros).
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vantix {

inline constexpr const char* kProductFolderName = "Corvane II Gaming Mouse";

struct Folders {
  std::string ProgramFolder;  // ends with '/'
  std::string DataFolder;     // ends with '/'
};

// What folder resolution looks at, so that tests can stage any situation.
struct FolderEnvironment {
  std::function<std::optional<std::string>(const char*)> getenv;
  std::string executable;  // real path of the running program
  std::string home;        // from the password database when HOME is unset
};

FolderEnvironment SystemFolderEnvironment();

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs, else
// $HOME/Documents; created when missing. Nothing when it cannot be had.
// Readers only look: a command that writes nothing must not leave folders
// behind.
enum class FolderCreation { kCreate, kLookOnly };

std::optional<std::string> DocumentsFolder(const FolderEnvironment& env,
                                           FolderCreation creation = FolderCreation::kCreate);

// ProgramFolder is the folder of the executable. DataFolder is the product
// folder in the documents folder, created when missing so that the first
// save has somewhere to go; without a documents folder it is ProgramFolder.
// With kLookOnly nothing is created and DataFolder may not exist yet.
Folders ResolveFolders(const FolderEnvironment& env,
                       FolderCreation creation = FolderCreation::kCreate);
Folders ResolveFolders();

// "dir" -> "dir/"; an empty path stays empty.
std::string WithTrailingSlash(std::string path);

}  // namespace vantix
