// Sweep throughput against its floor. The floor is what any sweep must
// pay per battle: creating and reaping one fresh process that does
// nothing. A sweep battle is one such process that also plays a whole
// simulated battle. The goal: a sweep battle costs no more than three
// times the floor, and the sweeping process's memory does not grow with
// the number of battles.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "Sweep.h"

namespace {

const std::string kPlugin = std::string(SCR_DIR) + "/Dorran1.scr";

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One fresh process per iteration, doing nothing.
void BM_ProcessFloor(benchmark::State& state) {
    for (auto _ : state) {
        const pid_t pid = fork();
        if (pid == 0) _exit(0);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessFloor)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Whole sweeps of Dorran1 at one difficulty, one child at a time (the
// same one-process-at-a-time terms as the floor); time per battle is
// the iteration time divided by the battles.
void BM_SweepDorran1(benchmark::State& state) {
    host::SweepOptions options;
    options.path = kPlugin;
    options.battles = static_cast<int>(state.range(0));
    options.difficulties = {1};
    options.jobs = 1;
    const long before = MaxRssKb();
    for (auto _ : state) {
        const host::SweepSummary summary = host::Sweep(options);
        if (summary.Crashes() != 0) state.SkipWithError("a battle crashed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["battle_us"] = benchmark::Counter(
        static_cast<double>(state.iterations() * state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["rss_growth_kb"] = static_cast<double>(MaxRssKb() - before);
}
BENCHMARK(BM_SweepDorran1)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// All cores.
void BM_SweepDorran1Parallel(benchmark::State& state) {
    host::SweepOptions options;
    options.path = kPlugin;
    options.battles = static_cast<int>(state.range(0));
    options.difficulties = {1};
    for (auto _ : state) benchmark::DoNotOptimize(host::Sweep(options));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SweepDorran1Parallel)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
