// Profiles that follow the program in front.
//
// programs.ini beside agent.ini binds programs to profiles. A program is
// named by its window class or Wayland app id, or by its executable's file
// name; names compare case-insensitively and whole. The device agent serves
// the bound profile while a bound program has the focus, and otherwise the
// profile the user chose (the profile files' current one, which a rule
// never rewrites). vantixctl and the window write the file; the agent reads
// it again when told.
//
//   [Programs]
//   Count=2
//   Program1=firefox
//   Profile1=2
//   Program2=steam
//   Profile2=5
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/status.h"

namespace vantix {

struct ProgramRule {
  std::string program;
  int profile = 1;  // 1..5, as the user counts them
  bool operator==(const ProgramRule&) const = default;
};

// More are not kept: the file stays small and every lookup short.
inline constexpr std::size_t kMaxProgramRules = 256;
inline constexpr std::size_t kMaxProgramNameBytes = 255;

// $XDG_CONFIG_HOME/vantix/programs.ini, beside agent.ini.
std::optional<std::string> ProgramRulesPath();
std::string ProgramRulesPathBeside(const std::string& agent_config_path);

// Why a name cannot be a rule's: control characters, white space at either
// end, a name too long or one the INI rules would read back differently.
enum class ProgramNameFault { kNone, kEmpty, kTooLong, kControl, kSpaceAtEnd, kQuoted };
ProgramNameFault FindProgramNameFault(std::string_view name);
// The same in words (empty when the name can be a rule's).
std::string ProgramNameProblem(std::string_view name);

// Whether two program names are the same program.
bool SameProgram(std::string_view a, std::string_view b);

struct ProgramRules {
  std::vector<ProgramRule> rules;  // in the file's order, no two for one program
  // Set when the file could not be used: it reads as no rules.
  std::string problem;

  const ProgramRule* Find(std::string_view program) const;
  // The rule for the first of the focused program's names that has one
  // (its class or app id first, its executable last).
  const ProgramRule* Match(std::span<const std::string> names) const;
};

// A missing file is no rules. A damaged file (too large, unreadable) reads
// as none and says why; entries that make no rule are skipped.
ProgramRules ReadProgramRules(const std::string& path, FileIo& io);

// Binds program to profile (1..5), replacing its rule if it has one. Under
// the folder's lock, read and replaced in one step; a damaged file is moved
// aside first.
Status SetProgramRule(const std::string& path, std::string_view program, int profile, FileIo& io);
// Ok with removed false when the program had no rule.
Status RemoveProgramRule(const std::string& path, std::string_view program, bool& removed, FileIo& io);

}  // namespace vantix
