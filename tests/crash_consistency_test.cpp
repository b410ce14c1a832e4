// Writers stopped dead at every step: vantixctl runs with a preloaded shim
// that kills it at its Nth file-system change, for every N until a run
// completes. After each kill every file is one whole version (before or
// after), every listed macro has its file, and running the command again
// reaches the state of an uninterrupted run, with no name blocked and no
// temporary file left.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vantix {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;
using test::ReadBytes;
using test::ScratchDir;

using Tree = std::map<std::string, std::string>;  // relative path -> bytes

Tree Snapshot(const std::string& root) {
  Tree tree;
  if (!fs::exists(root)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(entry.path(), root).string();
    tree[rel] = entry.is_regular_file() ? ReadBytes(entry.path().string()) : "<dir>";
  }
  return tree;
}

bool IsTemporary(const std::string& rel) {
  const std::string name = fs::path(rel).filename().string();
  return name.size() > 1 && name[0] == '.' && name.find(".tmp-") != std::string::npos;
}

std::vector<std::string> Listed(const std::string& index_bytes) {
  // Values of "0=".."14=" in [MACRO_LIST]; the index written here is plain.
  std::vector<std::string> names;
  std::size_t pos = 0;
  while ((pos = index_bytes.find('\n', pos)) != std::string::npos) {
    ++pos;
    const std::size_t eq = index_bytes.find('=', pos);
    const std::size_t end = index_bytes.find('\r', pos);
    if (eq == std::string::npos || end == std::string::npos || eq > end) continue;
    const std::string key = index_bytes.substr(pos, eq - pos);
    if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string value = index_bytes.substr(eq + 1, end - eq - 1);
    if (!value.empty()) names.push_back(value);
  }
  return names;
}

struct Scenario {
  const char* name;
  std::vector<std::vector<std::string>> setup;  // vantixctl calls; "D" is the data folder
  std::vector<std::string> command;
};

void PrintTo(const Scenario& scenario, std::ostream* os) { *os << scenario.name; }

// The paths whose content differs, rather than pages of profile bytes.
std::string Differences(const Tree& a, const Tree& b) {
  std::string out;
  for (const auto& [rel, bytes] : a) {
    const auto other = b.find(rel);
    if (other == b.end() || other->second != bytes) out += " " + rel;
  }
  for (const auto& [rel, bytes] : b) {
    if (!a.count(rel)) out += " " + rel;
  }
  return out;
}

class CrashConsistencyTest : public ::testing::TestWithParam<Scenario> {
 protected:
  std::vector<std::string> WithData(std::vector<std::string> args) const {
    for (std::string& a : args) {
      if (a.rfind("D/", 0) == 0) a = data + a.substr(1);
      if (a == "A") a = source;
    }
    if (args.front() != "ini") args.insert(args.begin(), {"--data-dir", data});
    return args;
  }
  ProgramRun Ctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return test::RunProgram(VANTIXCTL_PATH, WithData(args), scratch, env);
  }
  void Stage() {
    fs::remove_all(data);
    fs::create_directories(data + "/MacroDB");
    for (const auto& call : GetParam().setup) ASSERT_EQ(Ctl(call).status, 0) << call.front();
  }

  ScratchDir scratch;
  const std::string data = scratch / "data";
  const std::string source = scratch / "source.pfd";
};

TEST_P(CrashConsistencyTest, EveryStepLeavesWholeFilesAndTheRunAgainFinishesIt) {
  // The import source: profile 1 with other values.
  fs::create_directories(scratch / "src");
  ASSERT_EQ(test::RunProgram(VANTIXCTL_PATH, {"--data-dir", scratch / "src", "reset", "all"}, scratch).status, 0);
  ASSERT_EQ(test::RunProgram(VANTIXCTL_PATH, {"--data-dir", scratch / "src", "export", "1", source}, scratch).status, 0);
  ASSERT_EQ(test::RunProgram(VANTIXCTL_PATH, {"ini", "write-int", source, "GROUP", "PollingRate", "5"}, scratch).status, 0);

  Stage();
  const Tree before = Snapshot(data);
  ASSERT_EQ(Ctl(GetParam().command).status, 0);
  const Tree after = Snapshot(data);
  ASSERT_FALSE(Differences(before, after).empty());

  const std::vector<std::string> kill_env = {
      "LD_PRELOAD=" KILL_AT_STEP_PATH, "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
  int kills = 0;
  for (int step = 1; step < 400; ++step) {
    SCOPED_TRACE("killed at step " + std::to_string(step));
    Stage();
    std::vector<std::string> env = kill_env;
    env.push_back("VANTIX_KILL_AT_STEP=" + std::to_string(step));
    const ProgramRun run = Ctl(GetParam().command, env);
    if (!test::Killed(run)) {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(Differences(Snapshot(data), after), "");
      break;
    }
    ++kills;
    const Tree now = Snapshot(data);
    for (const auto& [rel, bytes] : now) {
      if (IsTemporary(rel)) continue;
      const auto b = before.find(rel);
      const auto a = after.find(rel);
      const bool whole = (b != before.end() && b->second == bytes) || (a != after.end() && a->second == bytes);
      EXPECT_TRUE(whole) << rel << " is neither its old nor its new version";
    }
    const auto index = now.find("MacroDB/MacroSet.MSDB");
    if (index != now.end()) {
      for (const std::string& name : Listed(index->second)) {
        EXPECT_TRUE(now.count("MacroDB/" + name + ".MSMACRO")) << name << " is listed without its file";
      }
    }

    // The same command again: it finishes what was cut off, or finds it done.
    const ProgramRun again = Ctl(GetParam().command);
    const Tree recovered = Snapshot(data);
    if (again.status != 0) {
      // Only "exists" / "no macro" of a macro command whose change did stick.
      EXPECT_EQ(again.status, 1) << again.err;
      EXPECT_EQ(GetParam().command.front(), "macro") << again.err;
    }
    EXPECT_EQ(Differences(recovered, after), "") << "after the second run";
  }
  EXPECT_GT(kills, 3);
  RecordProperty("kills", kills);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, CrashConsistencyTest,
    ::testing::Values(
        Scenario{"Save",
                 {{"reset", "all"},
                  {"ini", "write-int", "D/RSProfile2.pfd", "GROUP", "PollingRate", "99"},
                  {"ini", "write-int", "D/RSProfile5.pfd", "GROUP", "LIFT", "77"}},
                 {"save"}},
        Scenario{"Import", {{"reset", "all"}}, {"import", "3", "A"}},
        Scenario{"ResetAll",
                 {{"reset", "all"},
                  {"ini", "write-int", "D/RSProfile1.pfd", "GROUP", "PollingRate", "4"},
                  {"ini", "write-int", "D/RSProfile4.pfd", "GROUP", "DPI", "3"},
                  {"ini", "write-int", "D/RSProfile5.pfd", "GROUP", "GroupID", "4"}},
                 {"reset", "all"}},
        Scenario{"MacroNew", {{"macro", "new", "alpha"}}, {"macro", "new", "delta"}},
        Scenario{"MacroDelete",
                 {{"macro", "new", "alpha"}, {"macro", "new", "beta"}, {"macro", "new", "gamma"}},
                 {"macro", "delete", "beta"}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantix
