// The cost of driving a plug-in through the binary interface: one event
// dispatched by OnEvent, and a whole battle setup (Initialize until the
// mission has configured its units).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "StandInHost.h"

namespace {

const std::string kPlugin = std::string(SCR_DIR) + "/Dorran1.scr";

// An event the mission ignores: a hit on a pirate ship. It still goes
// through the lookup, the mask test, the mission's hook and its end test.
void BM_OnEventNoOp(benchmark::State& state) {
    host::Battle battle(kPlugin);
    battle.Setup();
    HostEvent event{};
    event.code = EV_HIT;
    event.unit = battle.Unit(6, 0).handle;
    event.team = 6;
    for (auto _ : state) benchmark::DoNotOptimize(host::slot::OnEvent(battle.script(), &event));
}
BENCHMARK(BM_OnEventNoOp);

// The taunt timer's event once the cycle has reached its repeated last
// taunt: each event shows a message and restarts the timer.
HostEvent SteadyTimer(host::Battle& battle) {
    battle.Setup();
    for (int i = 0; i < 10; ++i) battle.Timer();
    HostEvent event{};
    event.code = EV_TIMER;
    event.unit = 13;
    event.team = NO_UNIT_TEAM;
    return event;
}

// Through the stand-in host, which records the message and the request.
void BM_OnEventTimer(benchmark::State& state) {
    host::Battle battle(kPlugin);
    HostEvent event = SteadyTimer(battle);
    for (auto _ : state) benchmark::DoNotOptimize(host::slot::OnEvent(battle.script(), &event));
}
BENCHMARK(BM_OnEventTimer);

// With callbacks that do nothing: the plug-in's own share of the cost.
void BM_OnEventTimerBareHost(benchmark::State& state) {
    host::Battle battle(kPlugin);
    HostEvent event = SteadyTimer(battle);
    host::slot::SetRequestFn(battle.script(), [](host::RawRequest*) {});
    host::slot::SetMessageFn(battle.script(), [](TStringLayout*, int, HostHandle) {});
    for (auto _ : state) benchmark::DoNotOptimize(host::slot::OnEvent(battle.script(), &event));
}
BENCHMARK(BM_OnEventTimerBareHost);

// Initialize, placement of the twelve units and OnUnitCreated for each,
// the last one running the mission's configuration. Loading a fresh copy
// of the plug-in is not counted.
void BM_Setup(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto battle = std::make_unique<host::Battle>(kPlugin);
        state.ResumeTiming();
        battle->Setup();
        state.PauseTiming();
        battle.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Setup)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
