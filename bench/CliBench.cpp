// How long varnelctl takes to answer on the shipped configuration: the whole process (start,
// load, print, exit), which scripts see, and the in-process command alone.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "Cli.h"

extern char** environ;

namespace {

const std::string kBuild = VARNEL_BUILD_DIR;

void RunProcess(benchmark::State& state, std::vector<std::string> args) {
  std::string exe = kBuild + "/varnelctl";
  args.insert(args.begin(), {exe, "--app-dir", kBuild + "/app", "--data-dir", "/tmp/varnel-bench"});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start varnelctl");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("varnelctl failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

void BM_ProcessConfig(benchmark::State& state) { RunProcess(state, {"config"}); }
void BM_ProcessText(benchmark::State& state) { RunProcess(state, {"text", "tc_title"}); }

void BM_InProcessConfig(benchmark::State& state) {
  const std::vector<std::string> args = {"--app-dir", kBuild + "/app", "--data-dir",
                                         "/tmp/varnel-bench", "config"};
  for (auto _ : state) {
    std::ostringstream out, err;
    benchmark::DoNotOptimize(varnel::cli::RunCli(args, out, err));
  }
}

}  // namespace

BENCHMARK(BM_ProcessConfig)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InProcessConfig)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
