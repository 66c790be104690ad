// A tiny mission for the tool tests: one player ship against one pirate on
// a 10 x 10 map. The first timer ends the battle with result 8 (or, for a
// mission told to, crashes); Finish names the next script.
#pragma once

#include "MissionHooks.h"

namespace testmission {

// Text indexes every test mission's table follows.
inline constexpr int kBriefing = 1;
inline constexpr int kEndText = 2;
inline constexpr int kNextScript = 3;
inline constexpr const char* kBriefingText = "A briefing for the tool tests.";
inline constexpr const char* kEndTextText = "Over: the first timer ended it.";

// The map every test mission plays on: "Test Map", 10 x 10, the player's
// ship on G (1, 1), the pirate on J (10, 10).
const MissionMap& Map();

struct Pattern {
    int extraMarker = 0;     // > 0: one more team-6 unit created on this marker
    bool crashOnTimer = false;
};

class TestMission : public MissionHooks {
public:
    TestMission(MissionText& text, const MissionMap& map, Pattern pattern)
        : MissionHooks(text, map), pattern_(pattern) {}

    void FillSettings(MissionSettings& settings) override;
    int SetupBattle(MissionSetup& setup) override;
    void CreateUnits(int wave) override;
    void ConfigureUnits() override;
    int HandleEvent(Ship* unit, int code) override;
    int RateOutcome() override { return 1; }
    void ApplyOutcome(int level) override;
    int OnFinish(int code) override;

private:
    Pattern pattern_;
};

}  // namespace testmission
