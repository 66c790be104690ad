// Whatever the host gives it, a plug-in answers sensibly and survives:
// each plug-in of the pack gets hostile setup records and a stream of
// random events (unknown codes, handles and teams, several code bits,
// events after the end). Under the asan preset this also checks that no
// record is read or written out of bounds.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "StandInHost.h"

namespace {

const char* const kPlugins[] = {"Dorran1", "Dorran2", "Dorran3", "Dorran5", "Lifeline"};

constexpr int kKnownResults[] = {1, 2, 4, 8, 256, 4096, 0x20000, 0x40000};

bool Plausible(int result) {
    if (result == 0) return true;
    for (int r : kKnownResults)
        if (result == r) return true;
    return false;
}

class Robustness : public ::testing::TestWithParam<const char*> {
protected:
    std::string Path() const { return std::string(SCR_DIR) + "/" + GetParam() + ".scr"; }
};

TEST_P(Robustness, HostileSetupsAndRandomEvents) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };

        host::Battle b(Path());
        b.SeedRandom(seed);
        MissionSetup& s = b.setup();
        s.playerTeam = pick(0, 3) == 0 ? pick(-3, 25) : pick(0, 5);
        s.playerRace = pick(-1, 8);
        s.placementMode = pick(0, 1) * 4;
        s.mapOverride = pick(-2, 4);
        for (int& v : s.list1) v = pick(0, 40);  // terminators may be missing
        for (int& v : s.list2) v = pick(0, 40);
        for (int& v : s.list3) v = pick(0, 40);
        for (int i = 0; i < PLACEMENT_SLOTS; ++i) {
            s.slotKinds[i] = pick(0, 3);
            s.slotFlags[i] = static_cast<std::uint8_t>(pick(0, 1));
        }
        for (int i = 0, n = pick(0, 3); i < n; ++i) b.AddSetupUnit("F-CA", pick(-5, 45), pick(-5, 45));
        if (pick(0, 3) == 0) s.setupUnitCount = pick(-9, 9);
        b.RefuseWhen([&](const UnitSpec&, int) { return pick(0, 5) == 0; });

        b.Setup();
        for (int i = 0; i < 3; ++i) b.AddHostUnit(pick(-2, 22), pick(0, 1000000), pick(1, 40), pick(1, 40));

        std::vector<HostHandle> handles = {0, -1, 5};
        for (const host::UnitRecord& u : b.Units())
            if (u.handle != 0) handles.push_back(u.handle);
        for (int i = 0; i < 300; ++i) {
            const int code = pick(0, 4) == 0 ? pick(-5, 0x300000) : 1 << pick(0, 21);
            const HostHandle unit = pick(0, 4) == 0 ? pick(-30, 30) : handles[static_cast<std::size_t>(pick(0, static_cast<int>(handles.size()) - 1))];
            const int team = pick(0, 3) == 0 ? pick(-5, 40) : pick(0, 7);
            const int result = b.Event(code, unit, team, pick(-3, 30), pick(-3, 30), pick(-3, 30), pick(-3, 30));
            EXPECT_TRUE(Plausible(result)) << "event " << code << " -> " << result;
            b.PlaceUnits();  // units created by the event
        }

        const int level = b.OutcomeLevel();
        EXPECT_GE(level, 0);
        EXPECT_LE(level, 5);
        const int count = b.EndMessageCount();
        EXPECT_GE(count, 0);
        EXPECT_LE(count, 10);
        for (int i = -3; i <= 12; ++i) EXPECT_LT(b.EndMessage(i).size(), 4096u);
        for (int i = -3; i <= 8; ++i) (void)b.Score(i);
        EXPECT_EQ(b.Score(7), 0);
        for (int a = -2; a <= 21; a += 3) EXPECT_EQ(b.Relation(a, 25), 0);
        b.Finish(pick(-5, 5));
        EXPECT_LT(b.MapLines().size(), 1000u);
    }
}

// A host that installed only some of its callbacks: nothing is called
// that was not installed, and the battle still runs.
TEST_P(Robustness, MissingCallbacks) {
    for (int mask = 0; mask < 16; ++mask) {
        SCOPED_TRACE("installed " + std::to_string(mask));
        host::Battle b(Path());
        b.install() = host::InstallSet{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0};
        b.AddSetupUnit("F-CA");
        b.Setup();
        EXPECT_TRUE((mask & 1) != 0 || b.Requests().empty());
        EXPECT_TRUE((mask & 2) != 0 || b.Units().empty());
        EXPECT_TRUE((mask & 4) != 0 || b.Messages().empty());
        EXPECT_TRUE((mask & 8) != 0 || b.Draws().empty());
        for (int i = 0; i < 12; ++i) EXPECT_TRUE(Plausible(b.Timer()));
        EXPECT_TRUE(Plausible(b.TeamLeft(0)));
    }
}

INSTANTIATE_TEST_SUITE_P(Pack, Robustness, ::testing::ValuesIn(kPlugins),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
