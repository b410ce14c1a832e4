// Benchmarks that measure an operation against its floor, measured in the
// same run: the usual console output, then the ratio of the medians.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace vantix::bench {

struct Figures {
  double real_time = 0;                     // per iteration, in the benchmark's unit
  std::map<std::string, double> counters;  // user counters, e.g. peak memory
};

// The console output as usual, plus each benchmark's figures: the medians
// when there are repetitions, else the single run.
class CapturingReporter : public benchmark::ConsoleReporter {
 public:
  explicit CapturingReporter(bool color);
  void ReportRuns(const std::vector<Run>& reports) override;
  const Figures* Get(const std::string& name) const;

 private:
  std::map<std::string, Figures> medians_;
  std::map<std::string, Figures> singles_;
};

// Runs the registered benchmarks into reporter with five interleaved
// repetitions unless the command line says otherwise (a later flag wins), so
// that a busy moment of the machine falls on both sides of a ratio. Returns
// false on an unrecognised argument.
bool RunBenchmarks(int argc, char** argv, CapturingReporter*& reporter);

// "label ratio: R (goal <= G)[ MISSED]   [measured T unit / floor T unit]"
// A fresh folder under TMPDIR (or /tmp) for a benchmark's files, removed
// with them at the end. Warns when it is in memory, where fsync costs
// nothing. Throws std::runtime_error when it cannot be made.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }  // without a trailing '/'

 private:
  std::string path_;
};

void PrintRatio(const CapturingReporter& reporter, const char* label, const char* measured,
                const char* floor, double goal, const char* unit);

}  // namespace vantix::bench
