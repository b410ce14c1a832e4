#include "bench/ratio_report.h"

#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <string_view>

namespace vantix::bench {
namespace {

// The library applies --benchmark_color only to a reporter it makes itself.
bool UseColor(int argc, char** argv) {
  bool color = ::isatty(STDOUT_FILENO) != 0;
  constexpr std::string_view kFlag = "--benchmark_color=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.substr(0, kFlag.size()) != kFlag) continue;
    const std::string_view value = arg.substr(kFlag.size());
    if (value == "false" || value == "no" || value == "0") color = false;
    if (value == "true" || value == "yes" || value == "1") color = true;
  }
  return color;
}

}  // namespace

CapturingReporter::CapturingReporter(bool color)
    : ConsoleReporter(color ? OO_ColorTabular : OO_Tabular) {}

void CapturingReporter::ReportRuns(const std::vector<Run>& reports) {
  ConsoleReporter::ReportRuns(reports);
  for (const Run& run : reports) {
    if (run.error_occurred) continue;
    Figures figures;
    figures.real_time = run.GetAdjustedRealTime();
    for (const auto& [name, counter] : run.counters) figures.counters[name] = counter.value;
    const std::string& name = run.run_name.function_name;
    if (run.run_type == Run::RT_Aggregate) {
      if (run.aggregate_name == "median") medians_[name] = figures;
    } else {
      singles_[name] = figures;
    }
  }
}

const Figures* CapturingReporter::Get(const std::string& name) const {
  if (const auto it = medians_.find(name); it != medians_.end()) return &it->second;
  if (const auto it = singles_.find(name); it != singles_.end()) return &it->second;
  return nullptr;
}

bool RunBenchmarks(int argc, char** argv, CapturingReporter*& reporter) {
  std::vector<char*> args = {argv[0]};
  static std::string repetitions = "--benchmark_repetitions=5";
  static std::string interleave = "--benchmark_enable_random_interleaving=true";
  static std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.insert(args.end(), {repetitions.data(), interleave.data(), aggregates.data()});
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  const bool color = UseColor(count, args.data());  // before Initialize eats the flags
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return false;
  reporter = new CapturingReporter(color);  // lives for the rest of the run
  benchmark::RunSpecifiedBenchmarks(reporter);
  std::fflush(stdout);
  return true;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantix-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  struct statfs fs {};
  if (::statfs(path_.c_str(), &fs) == 0 && fs.f_type == TMPFS_MAGIC) {
    std::fprintf(stderr, "warning: %s is in memory (tmpfs): fsync costs nothing there; "
                 "set TMPDIR to a folder on disk\n", path_.c_str());
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void PrintRatio(const CapturingReporter& reporter, const char* label, const char* measured,
                const char* floor, double goal, const char* unit) {
  const Figures* m = reporter.Get(measured);
  const Figures* f = reporter.Get(floor);
  if (m == nullptr || f == nullptr || f->real_time <= 0) return;  // filtered out or failed
  const double ratio = m->real_time / f->real_time;
  std::printf("%s ratio: %.2f (goal <= %g)%s   [%s %.1f %s / %s %.1f %s]\n", label, ratio, goal,
              ratio <= goal ? "" : " MISSED", measured, m->real_time, unit, floor, f->real_time,
              unit);
}

}  // namespace vantix::bench
