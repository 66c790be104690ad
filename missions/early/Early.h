// What the early single missions share: their settings, the player's
// officers, the naming walk, the timed taunt cycle, the disengage rule and
// the outcome rule. Dorran1, Dorran2, Dorran3 and Lifeline are an
// EarlyMission each, told by their data; Dorran5 uses the pieces.
#pragma once

#include <span>

#include "MissionHooks.h"

namespace early {

// The settings row of the early missions; only the player's races differ.
SettingsRow Settings(int playerRaces);

// One unit of a mission's table: created by class and marker, then
// configured by the naming walk. nameText or level -1: not set.
struct Unit {
    const char* classCode;
    int marker;
    int nameText;
    int level;
};

// Officers of the player's flagship: slot and name text, all at level 5.
struct Officer {
    int slot;
    int nameText;
};
inline constexpr Officer kOfficers[] = {{1, 4}, {2, 5}, {4, 6}, {0, 7}, {5, 8}};
inline constexpr int kOfficerLevel = 5;

// Stores loaded into the flagship (group, item, count).
struct Stock {
    int group, item, count;
};

// Creates the table's units on the team, in order, each by its marker.
void CreateTable(Team* team, std::span<const Unit> units);

// The naming walk: the i-th unit of the team that exists, counted from
// position `from`, gets entry i's level and name, so names shift onto the
// next unit when one is missing.
void NameTable(Team* team, std::span<const Unit> units, int from = 0);

// One step of a timed message cycle on timer 13: show a text (kind 1, no
// unit), restart the timer, and play a sound (0: none) before or after.
struct TimerStep {
    int text;
    int restart;
    int sound = 0;
    bool soundFirst = false;
};

// Runs step `step` of the cycle and advances it. The last step repeats
// when `repeatLast` is set; otherwise the cycle then falls silent.
void RunTimerStep(BattleState& battle, std::span<const TimerStep> steps, bool repeatLast, int& step);

inline constexpr int kStoryTimer = 13;
inline constexpr int kFirstTimer = 20;

// Everything that tells one mission of the Dorran1 pattern from another.
struct Pattern {
    int playerRaces;
    std::span<const Unit> playerUnits;  // the first is the player's flagship
    std::span<const Unit> enemyUnits;
    std::span<const Stock> flagshipStores;
    std::span<const TimerStep> timerSteps;
    bool repeatLastStep;
    int arrivalText;  // -1: none
    int victoryText;
    int disengagedText;
};

// The Dorran1 pattern: one player team against team 6, a taunt cycle, and
// the end at once when any team leaves.
class EarlyMission : public MissionHooks {
public:
    static constexpr int kStartText = 2;

    EarlyMission(MissionText& text, const MissionMap& map, const Pattern& pattern)
        : MissionHooks(text, map), pattern_(pattern) {}

    void FillSettings(MissionSettings& settings) override;
    int SetupBattle(MissionSetup& setup) override;
    void CreateUnits(int wave) override;
    void ConfigureUnits() override;
    int HandleEvent(Ship* unit, int code) override;
    int RateOutcome() override;
    void ApplyOutcome(int level) override;

private:
    const Pattern& pattern_;
    int timerStep_ = 0;
    bool disengaged_ = false;
};

}  // namespace early
