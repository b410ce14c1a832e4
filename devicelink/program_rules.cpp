#include "devicelink/program_rules.h"

#include <algorithm>

#include "devicelink/agent_config.h"
#include "settings/ini_document.h"
#include "settings/ini_file.h"

namespace vantix {
namespace {

constexpr std::string_view kSection = "Programs";
constexpr std::string_view kCountKey = "Count";
constexpr int kFirstProfile = 1;
constexpr int kLastProfile = 5;
// Room for every rule's two lines with the longest names, far below this.
constexpr IniFileKind kRulesFile{kMaxDataFileBytes, true};

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsIniSpace(char c) { return c == ' ' || c == '\t'; }

std::string ProgramKey(std::size_t i) { return "Program" + std::to_string(i + 1); }
std::string ProfileKey(std::size_t i) { return "Profile" + std::to_string(i + 1); }

ProgramRules FromSnapshot(const IniSnapshot& file) {
  ProgramRules result;
  const int count = file.ReadInt(0, kSection, kCountKey);
  const std::size_t n = count > 0 ? std::min<std::size_t>(static_cast<std::size_t>(count), kMaxProgramRules) : 0;
  for (std::size_t i = 0; i < n; ++i) {
    ProgramRule rule;
    rule.program = file.ReadString(kSection, ProgramKey(i), "");
    rule.profile = file.ReadInt(0, kSection, ProfileKey(i));
    // A hand-edited line that makes no rule is left out, not guessed at.
    if (!ProgramNameProblem(rule.program).empty()) continue;
    if (rule.profile < kFirstProfile || rule.profile > kLastProfile) continue;
    if (result.Find(rule.program) != nullptr) continue;
    result.rules.push_back(std::move(rule));
  }
  return result;
}

// Reads, changes and replaces the file as one step under the folder's lock.
template <typename Change>
Status EditRules(const std::string& path, FileIo& io, Change change) {
  if (Status made = MakeConfigFolder(FolderOf(path)); !made.ok()) return made;
  const FolderLock lock(io, FolderOf(path));
  if (!lock.held()) return lock.status();
  const IniSnapshot file = IniFile(path, io, kRulesFile).Load();
  if (file.State() == FileRead::State::kFailed) {
    return Status::Error("cannot read " + path + "; it is left as it is");
  }
  ProgramRules rules = file.Damaged() ? ProgramRules{} : FromSnapshot(file);
  bool changed = false;
  if (Status status = change(rules.rules, changed); !status.ok() || !changed) return status;
  if (file.Damaged()) {
    std::string moved_to;
    if (Status moved = io.MoveAside(path, &moved_to); !moved.ok()) return moved;
  }
  // Written whole: a removed rule leaves no lines behind.
  IniDocument doc;
  doc.WriteInt(kSection, kCountKey, static_cast<std::int32_t>(rules.rules.size()));
  for (std::size_t i = 0; i < rules.rules.size(); ++i) {
    doc.WriteString(kSection, ProgramKey(i), rules.rules[i].program);
    doc.WriteInt(kSection, ProfileKey(i), rules.rules[i].profile);
  }
  return io.Replace(path, doc.Serialize(), true);
}

}  // namespace

std::optional<std::string> ProgramRulesPath() {
  const std::optional<std::string> agent = AgentConfigPath();
  if (!agent) return std::nullopt;
  return ProgramRulesPathBeside(*agent);
}

std::string ProgramRulesPathBeside(const std::string& agent_config_path) {
  return FolderOf(agent_config_path) + "/programs.ini";
}

ProgramNameFault FindProgramNameFault(std::string_view name) {
  if (name.empty()) return ProgramNameFault::kEmpty;
  if (name.size() > kMaxProgramNameBytes) return ProgramNameFault::kTooLong;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return ProgramNameFault::kControl;
  }
  if (IsIniSpace(name.front()) || IsIniSpace(name.back())) return ProgramNameFault::kSpaceAtEnd;
  // The INI rules take one pair of quotes around a value off when reading.
  if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front()) {
    return ProgramNameFault::kQuoted;
  }
  return ProgramNameFault::kNone;
}

std::string ProgramNameProblem(std::string_view name) {
  switch (FindProgramNameFault(name)) {
    case ProgramNameFault::kNone: return {};
    case ProgramNameFault::kEmpty: return "the program's name is empty";
    case ProgramNameFault::kTooLong:
      return "the program's name is longer than " + std::to_string(kMaxProgramNameBytes) + " bytes";
    case ProgramNameFault::kControl: return "the program's name holds a control character";
    case ProgramNameFault::kSpaceAtEnd: return "the program's name starts or ends with white space";
    case ProgramNameFault::kQuoted: return "the program's name is in quotes";
  }
  return {};
}

bool SameProgram(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

const ProgramRule* ProgramRules::Find(std::string_view program) const {
  for (const ProgramRule& rule : rules) {
    if (SameProgram(rule.program, program)) return &rule;
  }
  return nullptr;
}

const ProgramRule* ProgramRules::Match(std::span<const std::string> names) const {
  for (const std::string& name : names) {
    if (name.empty()) continue;
    if (const ProgramRule* rule = Find(name)) return rule;
  }
  return nullptr;
}

ProgramRules ReadProgramRules(const std::string& path, FileIo& io) {
  const IniSnapshot file = IniFile(path, io, kRulesFile).Load();
  switch (file.State()) {
    case FileRead::State::kMissing: return {};
    case FileRead::State::kTooLarge:
      return {{}, path + " is larger than " + std::to_string(kMaxDataFileBytes / 1024) + " KiB: no rules are used"};
    case FileRead::State::kFailed: return {{}, "cannot read " + path + ": no rules are used"};
    case FileRead::State::kOk: break;
  }
  return FromSnapshot(file);
}

Status SetProgramRule(const std::string& path, std::string_view program, int profile, FileIo& io) {
  if (const std::string problem = ProgramNameProblem(program); !problem.empty()) return Status::Error(problem);
  if (profile < kFirstProfile || profile > kLastProfile) return Status::Error("the profile must be 1 to 5");
  return EditRules(path, io, [&](std::vector<ProgramRule>& rules, bool& changed) {
    const auto it = std::find_if(rules.begin(), rules.end(),
                                 [&](const ProgramRule& r) { return SameProgram(r.program, program); });
    if (it != rules.end()) {
      // The name as typed last wins, so a corrected spelling shows.
      changed = it->profile != profile || it->program != program;
      it->program = std::string(program);
      it->profile = profile;
      return Status::Ok();
    }
    if (rules.size() >= kMaxProgramRules) {
      return Status::Error("there are " + std::to_string(kMaxProgramRules) + " rules already");
    }
    rules.push_back({std::string(program), profile});
    changed = true;
    return Status::Ok();
  });
}

Status RemoveProgramRule(const std::string& path, std::string_view program, bool& removed, FileIo& io) {
  removed = false;
  return EditRules(path, io, [&](std::vector<ProgramRule>& rules, bool& changed) {
    changed = std::erase_if(rules, [&](const ProgramRule& r) { return SameProgram(r.program, program); }) > 0;
    removed = changed;
    return Status::Ok();
  });
}

}  // namespace vantix
