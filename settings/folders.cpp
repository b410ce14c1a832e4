#include "settings/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace vantix {
namespace {

// mkdir -p with the user's umask; true when the folder exists afterwards.
bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  for (std::size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string prefix = path.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Reads XDG_DOCUMENTS_DIR="..." the way xdg-user-dirs writes it: a quoted
// path that is absolute or starts with $HOME/.
std::optional<std::string> UserDirsDocuments(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::string line;
  std::optional<std::string> found;
  while (std::getline(in, line)) {
    std::string_view v = line;
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    if (v.substr(0, kKey.size()) != kKey) continue;
    v.remove_prefix(kKey.size());
    if (v.size() < 2 || v.front() != '"') continue;
    const std::size_t close = v.find('"', 1);
    if (close == std::string_view::npos) continue;
    std::string_view path = v.substr(1, close - 1);
    if (path.substr(0, 5) == "$HOME" && (path.size() == 5 || path[5] == '/')) {
      found = home + std::string(path.substr(5));
    } else if (!path.empty() && path.front() == '/') {
      found = std::string(path);
    }
  }
  return found;
}

}  // namespace

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path;
}

FolderEnvironment SystemFolderEnvironment() {
  FolderEnvironment env;
  env.getenv = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    if (v == nullptr) return std::nullopt;
    return std::string(v);
  };
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) env.executable.assign(buf, static_cast<std::size_t>(n));
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    env.home = pw->pw_dir;
  }
  return env;
}

std::optional<std::string> DocumentsFolder(const FolderEnvironment& env, FolderCreation creation) {
  std::string home = env.getenv("HOME").value_or("");
  if (home.empty()) home = env.home;
  if (home.empty()) return std::nullopt;
  home = StripTrailingSlashes(home);

  std::string config = env.getenv("XDG_CONFIG_HOME").value_or("");
  if (config.empty() || config.front() != '/') config = home + "/.config";
  std::string documents = UserDirsDocuments(config + "/user-dirs.dirs", home)
                              .value_or(home + "/Documents");
  documents = StripTrailingSlashes(documents);
  if (creation == FolderCreation::kCreate && !MakeFolders(documents)) return std::nullopt;
  return documents;
}

Folders ResolveFolders(const FolderEnvironment& env, FolderCreation creation) {
  Folders folders;
  const std::size_t slash = env.executable.find_last_of('/');
  folders.ProgramFolder =
      slash == std::string::npos ? std::string("./") : env.executable.substr(0, slash + 1);
  folders.DataFolder = folders.ProgramFolder;
  if (const std::optional<std::string> documents = DocumentsFolder(env, creation)) {
    const std::string data = *documents + "/" + kProductFolderName;
    // A folder that cannot be made only means that saves will fail.
    if (creation == FolderCreation::kCreate) MakeFolders(data);
    folders.DataFolder = data + "/";
  }
  return folders;
}

Folders ResolveFolders() { return ResolveFolders(SystemFolderEnvironment()); }

}  // namespace vantix
