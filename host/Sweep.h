// Many battles of one plug-in, each from a fresh plug-in state, in
// parallel child processes; only aggregates are kept.
//
// The plug-in is loaded once in the calling process and never initialized
// there; every battle runs in a forked child that inherits it pristine,
// plays with PlayBattle, writes one fixed-size record to a pipe and
// _exit()s. A child that dies without its record is counted as a crash.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Simulation.h"

namespace host {

struct SweepOptions {
    std::string path;
    int battles = 100;                       // per difficulty, seeds 1..battles
    std::vector<int> difficulties{0, 1, 2};
    int jobs = 0;                            // children in flight; 0 = one per online core
    PlayOptions play;                        // the rest of every battle's options (seed and difficulty are set)
    // Called in the calling process after each battle: (done, total).
    std::function<void(long done, long total)> progress;
};

// At most this many crash seeds are kept per difficulty (the count is exact).
inline constexpr std::size_t MAX_LISTED_CRASH_SEEDS = 50;

struct DifficultySweep {
    int difficulty = 0;
    long battles = 0;                        // played to their end (crashes excluded)
    long crashes = 0;
    std::vector<std::uint32_t> crashSeeds;   // the first MAX_LISTED_CRASH_SEEDS
    std::string firstCrash;                  // how the first crash ended ("killed by signal 11 (SIGSEGV)")
    std::array<long, 6> levels{};            // outcome levels 0..4; [5]: not rated (level 5 or other)
    std::array<long, 32> flags{};            // battles whose result had bit n
    long noResult = 0;                       // battles that ended without a result
    long disengaged = 0;                     // the host made the player leave (time limit or --disengage-at)
    long long prestigeSum = 0;               // prestige at each battle's outcome level (0 when not rated)
    long long lengthSum = 0;                 // simulated seconds

    double MeanPrestige() const { return battles > 0 ? static_cast<double>(prestigeSum) / static_cast<double>(battles) : 0.0; }
    double MeanLength() const { return battles > 0 ? static_cast<double>(lengthSum) / static_cast<double>(battles) : 0.0; }
};

struct SweepSummary {
    std::vector<DifficultySweep> difficulties;  // in the order asked
    long Crashes() const;
};

// Throws LoadError when the plug-in cannot be loaded (checked in a child
// first, so a plug-in that crashes while loading is reported, not fatal),
// std::invalid_argument for battles < 1 or a difficulty list that is empty.
SweepSummary Sweep(const SweepOptions& options);

}  // namespace host
