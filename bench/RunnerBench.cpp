// Whole runs of the headless runner as a user starts them, start-up included: the demo
// (no acquisition library) and the default test on the simulated bench, each in a fresh
// copy of the default example. The runner must stay as fast as the first runner that
// kept no picture (about 29 ms and 1.4 s on the team's machine).

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs zek8-run in `folder`; false when it did not end well.
bool RunOnce(const fs::path& folder, const char* bench) {
    std::vector<std::string> words{ZEK8_RUN, "--workdir", folder.string(), "--bench", bench};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, ZEK8_RUN, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunnerOn(benchmark::State& state, const char* bench) {
    const fs::path folder = fs::temp_directory_path() / ("zek8-runner-bench-" + std::to_string(getpid()));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folder);
        fs::copy(ZEK8_DEFAULT_EXAMPLE, folder, fs::copy_options::recursive);
        state.ResumeTiming();
        if (!RunOnce(folder, bench)) state.SkipWithError("zek8-run failed");
    }
    fs::remove_all(folder);
}

void BM_RunnerDemo(benchmark::State& state) { RunnerOn(state, "none"); }
void BM_RunnerDefaultTestOnTheBench(benchmark::State& state) { RunnerOn(state, "sim"); }

BENCHMARK(BM_RunnerDemo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunnerDefaultTestOnTheBench)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
