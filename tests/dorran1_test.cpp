// Dorran1, Vessik Battlestation Assault, played through the stand-in host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StandInHost.h"

namespace {

const std::string kPlugin = std::string(SCR_DIR) + "/Dorran1.scr";

constexpr int kPirates = 6;

struct Expected {
    const char* classCode;
    int marker;
    int column, row, column2, row2;
    const char* name;  // nullptr: not named
    int level;         // -1: not set
};

// The mission's units in creation order, with the cells their markers
// stand on in the mission's map.
const Expected kPlayerUnits[] = {
    {"F-DNH", 1, 28, 34, 19, 29, "Deduder", 10},
    {"F-CFS+", 2, 29, 34, 20, 29, "Daisy", 10},
    {"F-CC+", 3, 30, 34, 21, 29, "Daffodyll", 10},
};
const Expected kPirateUnits[] = {
    {"O-BCH1", 4, 5, 11, 14, 24, "Sting", 10},
    {"O-CA1", 5, 6, 11, 15, 24, "Jolly Roger", 10},
    {"O-AR1", 6, 7, 11, 16, 24, "Grim Salt", 10},
    {"O-DW1", 20, 8, 11, 17, 24, "Brine Fang", 10},
    {"O-LR1", 19, 9, 11, 18, 24, "Hook", 10},
    {"O-BATSR", 18, 15, 21, 15, 23, "Pirate's Den", 0},
    {"O-DEF", 14, 13, 22, 19, 24, nullptr, -1},
    {"O-DEF", 15, 18, 22, 20, 24, nullptr, -1},
    {"O-DEF", 16, 18, 20, 21, 24, nullptr, -1},
};

const std::vector<std::string> kTaunts = {
    "VESSIK SHIP TRANSMISSION: Har, Mateys!  We be fighting SPACE FLOWERS!",
    "STING:  Yo, ho!  The Feddies will be visitin' Davy Jones' space locker soon now!",
    "BRINEFANG: Har!  'Tis Deduder pickin' time!  And the little daisy's and daffodyll's, too!",
    "GRIMSALT: Watch out boys.  We don't want to be *pollunated*!  Har! ",
    "HOOK: Yar! They should paint the Deduder PINK!  Har!",
    "JOLLY ROGER: Blyme, mates!  Dibs on the booty from the big Feddy...the swill will be flowing tonight! ",
    "BATTLESTATION:  Hey!  Quit jabbering and fight!  They are getting close!",
    "BATTLESTATION:  This is not looking good...",
    "BATTLESTATION:  Go AWAY!  LEAVE US ALONE!  LEAVE ALREADY!",
    "BATTLESTATION:  Uh oh...HELP!  Anyone?  We need HELP here!",
};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

class Dorran1 : public ::testing::Test {
protected:
    explicit Dorran1(int playerTeam = 0) : battle(kPlugin) { battle.setup().playerTeam = playerTeam; }

    // Every pirate unit out of action: the first `captured` captured by
    // the player, the rest destroyed. Returns the last result.
    int BeatPirates(int captured = 0) {
        int result = 0;
        for (int i = 0; i < battle.UnitCount(kPirates); ++i) {
            const HostHandle h = battle.Unit(kPirates, i).handle;
            result = i < captured ? battle.Capture(h, battle.setup().playerTeam) : battle.Destroy(h);
            if (i + 1 < battle.UnitCount(kPirates)) {
                EXPECT_EQ(result, 0) << "ended early at unit " << i;
            }
        }
        return result;
    }

    host::Battle battle;
};

TEST_F(Dorran1, SettingsRow) {
    host::Settings settings{};
    ASSERT_TRUE(battle.GetSettings(settings));
    EXPECT_STREQ(settings.title, "Vessik Battlestation Assault");
    const int row[] = {settings.field88,  settings.field92,  settings.playerRaces, settings.list2Mask,
                       settings.field104, settings.field108, settings.field112,    settings.field116,
                       settings.field120, settings.field124, settings.field128};
    EXPECT_EQ(std::vector<int>(std::begin(row), std::end(row)),
              std::vector<int>({3, 767, 1, 127, 7, 0, 0x7fff, 9999, 9999, 0, 510}));
}

TEST_F(Dorran1, CreatesItsUnitsOnTheirMarkers) {
    battle.AddSetupUnit("F-OFFERED", 10, 10);  // the host's own ships are not used
    battle.Setup();
    EXPECT_EQ(battle.MapName(), "Vessik Battlestation Assault Map");
    EXPECT_EQ(battle.Title(), "Vessik Battlestation Assault");
    ASSERT_EQ(battle.Units().size(), std::size(kPlayerUnits) + std::size(kPirateUnits));
    auto check = [&](int team, const Expected* expected, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const host::UnitRecord& u = battle.Unit(team, static_cast<int>(i));
            const Expected& e = expected[i];
            SCOPED_TRACE(e.classCode + std::string(" #") + std::to_string(i));
            EXPECT_EQ(u.classCode, e.classCode);
            EXPECT_EQ(u.marker, e.marker);
            EXPECT_EQ(u.setupIndex, -1);
            EXPECT_TRUE(u.markerFound);
            EXPECT_EQ(std::make_pair(u.placedColumn, u.placedRow), std::make_pair(e.column, e.row));
            EXPECT_EQ(std::make_pair(u.placedColumn2, u.placedRow2), std::make_pair(e.column2, e.row2));
            EXPECT_EQ(battle.Name(u.handle), e.name ? std::optional<std::string>(e.name) : std::nullopt);
            const std::optional<float> level =
                e.level >= 0 ? std::optional<float>(static_cast<float>(e.level)) : std::nullopt;
            EXPECT_EQ(battle.Level(u.handle), level);
            EXPECT_EQ(battle.EventMask(u.handle), 0x40007);
        }
    };
    check(0, kPlayerUnits, std::size(kPlayerUnits));
    check(kPirates, kPirateUnits, std::size(kPirateUnits));
    EXPECT_EQ(battle.Unit(kPirates, 0).unitId, 6 * 107374182 + 1);
}

TEST_F(Dorran1, ConfiguresTheFlagshipThenOpens) {
    battle.Setup();
    const HostHandle flagship = battle.Unit(0, 0).handle;
    ASSERT_EQ(battle.Requests(REQ_TAKE_COMMAND).size(), 1u);
    EXPECT_EQ(battle.Requests(REQ_TAKE_COMMAND)[0].unit, flagship);

    // The officers, each named and then given level 5, in slot order 1, 2, 4, 0, 5.
    std::vector<std::pair<int, std::string>> officers;
    for (const host::Request& r : battle.Requests(REQ_OFFICER)) {
        EXPECT_EQ(r.unit, flagship);
        if (r.second == 6) {
            officers.emplace_back(r.first, r.text);
        } else {
            ASSERT_FALSE(officers.empty());
            EXPECT_EQ(std::make_pair(r.first, r.second), std::make_pair(officers.back().first, 5));
        }
    }
    EXPECT_EQ(officers, (std::vector<std::pair<int, std::string>>{
                            {1, "Halvreth"}, {2, "Sorvenne"}, {4, "Dorran"}, {0, "Belmik"}, {5, "Nyxara"}}));
    EXPECT_EQ(battle.Requests(REQ_OFFICER).size(), 10u);

    ASSERT_EQ(battle.Messages().size(), 1u);
    EXPECT_TRUE(StartsWith(battle.Messages()[0].text, "Captain's Log Y185.2,"));
    EXPECT_EQ(battle.Messages()[0].kind, MSG_SHORT);
    EXPECT_EQ(battle.Timers(), (std::vector<std::pair<int, int>>{{13, 20}}));
    // The opening comes last: nothing is sent after the first timer.
    EXPECT_EQ(battle.Requests().back().code, REQ_SET_TIMER);
    EXPECT_GT(battle.Briefing().size(), 400u);
    EXPECT_TRUE(battle.Requests(REQ_NEXT_SCRIPT).empty());
}

class Dorran1OnTeam3 : public Dorran1 {
protected:
    Dorran1OnTeam3() : Dorran1(3) {}
};

TEST_F(Dorran1OnTeam3, RelatesThePlayersTeamAndThePirates) {
    battle.Setup();
    const auto relations = battle.Requests(REQ_SET_RELATION);
    ASSERT_EQ(relations.size(), 2u);
    EXPECT_EQ(std::make_tuple(relations[0].first, relations[0].second, relations[0].third, relations[0].fourth),
              std::make_tuple(6, 3, HostHandle{6}, 3));
    EXPECT_EQ(std::make_tuple(relations[1].first, relations[1].second, relations[1].third, relations[1].fourth),
              std::make_tuple(6, 6, HostHandle{3}, 3));
    EXPECT_EQ(battle.Relation(3, 6), 6);
    EXPECT_EQ(battle.Unit(3, 0).classCode, "F-DNH");
    EXPECT_EQ(battle.Relation(3, 20), 0);
}

TEST_F(Dorran1, TauntCycle) {
    battle.Setup();
    const std::vector<int> restarts = {24, 24, 24, 24, 24, 48, 48, 48, 48, 48, 48, 48};
    for (std::size_t i = 0; i < restarts.size(); ++i) {
        EXPECT_EQ(battle.Timer(), 0);
        ASSERT_EQ(battle.Messages().size(), i + 2);
        const host::Message& shown = battle.Messages().back();
        EXPECT_EQ(shown.text, kTaunts[std::min<std::size_t>(i, kTaunts.size() - 1)]) << "timer " << i + 1;
        EXPECT_EQ(shown.kind, MSG_SHORT);
        EXPECT_EQ(shown.unit, 0);
        EXPECT_EQ(battle.Timers().back(), std::make_pair(13, restarts[i])) << "timer " << i + 1;
    }
}

TEST_F(Dorran1, ThePlayerDisengaging) {
    battle.Setup();
    EXPECT_EQ(battle.TeamLeft(0), RESULT_OPPONENT_OTHER);
    EXPECT_EQ(battle.OutcomeLevel(), 4);
    const auto texts = battle.EndTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(StartsWith(texts[0], "You chickened out!:"));
    EXPECT_EQ(battle.Prestige(), (std::array<int, 5>{0, 0, 0, 0, 0}));
    EXPECT_EQ(battle.Finish(), 0);
    EXPECT_FALSE(battle.NextScript().has_value());
    // The battle is over: the taunts stop. The player's side having left,
    // the next event reports that once as a player-side result.
    const std::size_t shown = battle.Messages().size();
    EXPECT_EQ(battle.Timer(), RESULT_PLAYER_LEFT);
    EXPECT_EQ(battle.Timer(), 0);
    EXPECT_EQ(battle.Messages().size(), shown);
    EXPECT_EQ(battle.OutcomeLevel(), 4);
}

TEST_F(Dorran1, ThePiratesLeaving) {
    battle.Setup();
    EXPECT_EQ(battle.TeamLeft(kPirates), RESULT_OPPONENT_OTHER);
    EXPECT_EQ(battle.OutcomeLevel(), 2);
    ASSERT_EQ(battle.EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(battle.EndTexts()[0], "You chickened out!:"));
}

TEST(Dorran1Outcomes, OfTheFight) {
    const struct {
        const char* what;
        int captured;
        bool disableLast;
        int result;
    } cases[] = {
        {"all destroyed", 0, false, RESULT_DESTROYED},
        {"one captured", 1, false, RESULT_CAPTURED},
        {"one disabled", 0, true, RESULT_DISABLED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host::Battle b(kPlugin);
        b.Setup();
        int result = 0;
        const int n = b.UnitCount(kPirates);
        for (int i = 0; i < n; ++i) {
            const HostHandle h = b.Unit(kPirates, i).handle;
            if (i < c.captured)
                result = b.Capture(h, 0);
            else if (c.disableLast && i == n - 1)
                result = b.Disable(h);
            else
                result = b.Destroy(h);
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(b.OutcomeLevel(), 2);
        ASSERT_EQ(b.EndTexts().size(), 1u);
        EXPECT_TRUE(StartsWith(b.EndTexts()[0], "Victory!"));
        EXPECT_EQ(b.Prestige(), (std::array<int, 5>{0, 0, 0, 0, 0}));
    }
}

TEST_F(Dorran1, ThePlayersSideBeaten) {
    battle.Setup();
    for (int i = 0; i < 2; ++i) EXPECT_EQ(battle.Destroy(battle.Unit(0, i).handle), 0);
    EXPECT_EQ(battle.Destroy(battle.Unit(0, 2).handle), RESULT_PLAYER_DESTROYED);
    EXPECT_TRUE(battle.EndTexts().empty());
    EXPECT_EQ(battle.OutcomeLevel(), 5);  // not rated
}

TEST_F(Dorran1, TheFlagshipDisabled) {
    battle.Setup();
    EXPECT_EQ(battle.Disable(battle.Unit(0, 0).handle), RESULT_PLAYER_DISABLED);
    EXPECT_EQ(battle.OutcomeLevel(), 2);
    ASSERT_EQ(battle.EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(battle.EndTexts()[0], "Victory!"));
}

TEST_F(Dorran1, AVictoryThenThePlayerLost) {
    battle.Setup();
    EXPECT_EQ(BeatPirates(), RESULT_DESTROYED);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(battle.Destroy(battle.Unit(0, i).handle), 0);
    EXPECT_EQ(battle.Destroy(battle.Unit(0, 2).handle), RESULT_PLAYER_DESTROYED);
}

TEST_F(Dorran1, ArrivalWithoutAMoveShowsNothing) {
    battle.Setup();
    const std::size_t shown = battle.Messages().size();
    EXPECT_EQ(battle.Event(EV_ARRIVED, battle.Unit(0, 0).handle, 0), 0);
    EXPECT_EQ(battle.Messages().size(), shown);
}

TEST_F(Dorran1, NamesShiftWhenTheHostRefusesAUnit) {
    battle.RefuseWhen([](const UnitSpec& creation, int) { return creation.classCode && std::string(creation.classCode) == "O-CA1"; });
    battle.Setup();
    ASSERT_EQ(battle.UnitCount(kPirates), 8);
    EXPECT_EQ(battle.Name(battle.Unit(kPirates, 1).handle), "Jolly Roger");  // Grim Salt's ship
    EXPECT_EQ(battle.Name(battle.Unit(kPirates, 4).handle), "Hook");         // the station
    EXPECT_EQ(battle.Name(battle.Unit(kPirates, 5).handle), "Pirate's Den");
    EXPECT_EQ(battle.Level(battle.Unit(kPirates, 5).handle), 0.0f);
    EXPECT_EQ(battle.Unit(kPirates, 1).unitId, 6 * 107374182 + 2);  // the refusal used no id
}

// The map text: every character at its cell, every other cell ".".
TEST_F(Dorran1, Map) {
    std::vector<std::string> grid(40, std::string(40, '.'));
    auto put = [&](char c, int column, int row) { grid[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] = c; };
    for (const Expected& e : kPlayerUnits) {
        put(static_cast<char>(70 + e.marker), e.column, e.row);
        put(static_cast<char>(102 + e.marker), e.column2, e.row2);
    }
    for (const Expected& e : kPirateUnits) {
        put(static_cast<char>(70 + e.marker), e.column, e.row);
        put(static_cast<char>(102 + e.marker), e.column2, e.row2);
    }
    for (auto [c, r] : {std::pair{17, 17}, {8, 19}, {20, 21}, {9, 22}, {25, 24}, {9, 26}, {19, 26}, {15, 28}, {27, 28}})
        put('a', c, r);
    put('2', 35, 14);
    put('3', 3, 19);

    const std::vector<std::string> lines = battle.MapLines();
    ASSERT_EQ(lines.size(), 46u);
    EXPECT_EQ(lines[0], "Vessik Battlestation Assault Map");
    EXPECT_EQ(lines[1], "// Vessik Battlestation Assault Map");
    EXPECT_EQ(lines[2], " +____1____2____3____4____5____6____7____8+");
    for (int r = 1; r <= 40; ++r) {
        const std::string label = r % 5 == 0 ? std::to_string(r / 5) : " ";
        EXPECT_EQ(lines[static_cast<std::size_t>(2 + r)], label + "|" + grid[static_cast<std::size_t>(r - 1)] + "|") << "row " << r;
    }
    EXPECT_EQ(lines[43], " +" + std::string(40, '-') + "+");
    EXPECT_EQ(lines[44].find('|'), std::string::npos);
    EXPECT_EQ(lines[44], "      1    2    3    4    5    6    7    8");
    EXPECT_EQ(lines[45], "///");
}

}  // namespace
