// Cold start of vantix to its first painted frame, against the floor of a
// minimal Qt program that shows one window of the same size with one image
// of the same size painted on it (first_frame_floor with cfgMainback.png):
//   BM_VantixFirstFrame vs BM_FloorFirstFrame
// Each iteration starts a fresh process and waits for it to end on its own
// after its first painted frame; the wall clock from spawn to exit is the
// time, the process's peak resident memory a counter. Both run on Qt's
// offscreen platform with a temporary HOME and XDG_RUNTIME_DIR, so the
// user's files, instance lock and agent are never touched. A stand-in agent
// endpoint lives in this process, so vantix finds "its" agent and starts
// none. The ratio of the medians is printed after the run.
#include <benchmark/benchmark.h>

#include "bench/ratio_report.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"

extern char** environ;

namespace {

// The goals of the start-up measuring kit run from outside on an X server.
constexpr double kGoal = 1.3;
constexpr double kPeakGoal = 1.3;
constexpr int kChildLimitMs = 30000;  // a child that never paints is ended, not waited for
constexpr const char* kPeakCounter = "peak_MiB";

// The temporary home, runtime folder and stand-in agent shared by every run.
struct Workspace {
  std::string root;
  std::string log;  // the children's stdout and stderr, for a failed run
  std::unique_ptr<vantix::Endpoint> agent;
  std::string problem;

  Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantix-start-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      problem = "mkdtemp failed";
      return;
    }
    root = pattern;
    log = root + "/child.log";
    const std::string home = root + "/home";
    const std::string runtime = root + "/run";
    std::filesystem::create_directories(home + "/.config");
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    // Inherited by every child; nothing in this process reads them but the
    // endpoint folder below.
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("VANTIX_EXIT_AFTER_FIRST_PAINT", "1", 1);

    const std::string endpoints = vantix::DefaultEndpointFolder();
    if (const vantix::Status s = vantix::PrepareEndpointFolder(endpoints); !s.ok()) {
      problem = s.reason();
      return;
    }
    vantix::OpenedEndpoint opened = vantix::Endpoint::Open(vantix::kAgentWindowTitle, endpoints);
    if (!opened.status.ok()) problem = "no stand-in agent: " + opened.status.reason();
    agent = std::move(opened.endpoint);
  }

  ~Workspace() {
    agent.reset();
    if (root.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }

  // Answers whatever a run left with the stand-in agent (vantix only looks
  // it up), so that its queue never fills and it is always found.
  void Drain() const {
    if (agent) agent->Process([](const vantix::WindowMessage&) { return 0; });
  }
};

Workspace& Files() {
  static Workspace workspace;
  return workspace;
}

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  long peak_kib = 0;
  std::string problem;
};

// Waits for pid at most kChildLimitMs; ends it when it takes longer.
bool WaitBounded(pid_t pid, int& status, rusage& usage) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    int ready;
    do {
      ready = ::poll(&p, 1, kChildLimitMs);
    } while (ready < 0 && errno == EINTR);
    ::close(pidfd);
    if (ready == 0) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      return false;
    }
  }
  pid_t done;
  do {
    done = ::wait4(pid, &status, 0, &usage);
  } while (done < 0 && errno == EINTR);
  return done == pid;
}

ChildRun RunOnce(const std::vector<std::string>& command) {
  ChildRun run;
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, Files().log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.problem = "cannot start " + command[0];
    return run;
  }
  int status = 0;
  rusage usage{};
  const bool ended = WaitBounded(pid, status, usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peak_kib = usage.ru_maxrss;
  if (!ended) {
    run.problem = command[0] + " did not end after its first frame; see its output below";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.problem = command[0] + " failed; see its output below";
  } else {
    run.ok = true;
  }
  return run;
}

void CopyToStderr(const std::string& path) {
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
      std::fwrite(buffer, 1, n, stderr);
    }
    std::fclose(f);
  }
}

void FirstFrame(benchmark::State& state, const std::vector<std::string>& command) {
  Workspace& files = Files();
  if (!files.problem.empty()) {
    state.SkipWithError(files.problem.c_str());
    return;
  }
  long peak_kib = 0;
  for (auto _ : state) {
    const ChildRun run = RunOnce(command);
    files.Drain();
    if (!run.ok) {
      // Show the child's output now: the workspace goes at exit.
      std::fprintf(stderr, "%s\n", run.problem.c_str());
      CopyToStderr(files.log);
      state.SkipWithError(run.problem.c_str());
      break;
    }
    state.SetIterationTime(run.seconds);
    peak_kib = std::max(peak_kib, run.peak_kib);
  }
  state.counters[kPeakCounter] = static_cast<double>(peak_kib) / 1024.0;
}

void BM_VantixFirstFrame(benchmark::State& state) { FirstFrame(state, {VANTIX_PATH}); }
void BM_FloorFirstFrame(benchmark::State& state) {
  FirstFrame(state, {FLOOR_PATH, VANTIX_BACKGROUND});
}

BENCHMARK(BM_VantixFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  vantix::bench::CapturingReporter* reporter = nullptr;
  if (!vantix::bench::RunBenchmarks(argc, argv, reporter)) return 1;
  const auto* vantix = reporter->Get("BM_VantixFirstFrame");
  const auto* floor = reporter->Get("BM_FloorFirstFrame");
  std::printf("\n");
  vantix::bench::PrintRatio(*reporter, "first frame", "BM_VantixFirstFrame", "BM_FloorFirstFrame",
                            kGoal, "ms");
  if (vantix != nullptr && floor != nullptr) {
    const double vantix_peak =
        vantix->counters.count(kPeakCounter) ? vantix->counters.at(kPeakCounter) : 0.0;
    const double floor_peak =
        floor->counters.count(kPeakCounter) ? floor->counters.at(kPeakCounter) : 0.0;
    std::printf("peak memory: vantix %.1f MiB, floor %.1f MiB, ratio %.2f (goal %.2f)\n",
                vantix_peak, floor_peak, floor_peak > 0 ? vantix_peak / floor_peak : 0.0,
                kPeakGoal);
  }
  benchmark::Shutdown();
  return 0;
}
