// The early single missions Dorran2, Dorran3, Dorran5 and Lifeline, played
// through their built plug-ins by the stand-in host.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "StandInHost.h"

namespace {

constexpr int kEnemyTeam = 6;
constexpr int kStoryTimer = 13;

std::string PluginPath(const std::string& name) { return std::string(SCR_DIR) + "/" + name + ".scr"; }

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// One character of a map at its cell, counted from 1.
struct Cell {
    char c;
    int column, row;
};

// The whole map text of a one-map plug-in with a 40 by 40 grid: every
// listed character at its cell, every other cell ".".
std::vector<std::string> ExpectedMap(const std::string& title, const std::string& name, const std::vector<Cell>& cells) {
    std::vector<std::string> grid(40, std::string(40, '.'));
    for (const Cell& cell : cells) {
        char& at = grid.at(static_cast<std::size_t>(cell.row - 1)).at(static_cast<std::size_t>(cell.column - 1));
        EXPECT_EQ(at, '.') << "two characters listed for " << cell.column << ", " << cell.row;
        at = cell.c;
    }
    std::vector<std::string> lines = {title, "// " + name, " +____1____2____3____4____5____6____7____8+"};
    for (int row = 1; row <= 40; ++row)
        lines.push_back((row % 5 == 0 ? std::to_string(row / 5) : std::string(" ")) + "|" +
                        grid[static_cast<std::size_t>(row - 1)] + "|");
    lines.push_back(" +" + std::string(40, '-') + "+");
    std::string ruler(42, ' ');
    for (int column = 5; column <= 40; column += 5) ruler[static_cast<std::size_t>(column + 1)] = char('0' + column / 5);
    lines.push_back(ruler);
    lines.push_back("///");
    return lines;
}

// Characters on one row, one column apart from firstColumn on.
std::vector<Cell> Run(const std::string& chars, int firstColumn, int row) {
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < chars.size(); ++i) cells.push_back({chars[i], firstColumn + static_cast<int>(i), row});
    return cells;
}

std::vector<Cell> Join(std::initializer_list<std::vector<Cell>> parts) {
    std::vector<Cell> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

using SettingsValues = std::array<int, 11>;

SettingsValues ReadSettings(host::Battle& b, std::string& title) {
    host::Settings s{};
    EXPECT_TRUE(b.GetSettings(s));
    title = s.title != nullptr ? s.title : "";
    return {s.field88, s.field92, s.playerRaces, s.list2Mask, s.field104, s.field108,
            s.field112, s.field116, s.field120, s.field124, s.field128};
}

// Messages and requests sent since a mark.
struct Mark {
    std::size_t messages, requests;
};
Mark Now(const host::Battle& b) { return {b.Messages().size(), b.Requests().size()}; }

std::vector<std::string> TextsSince(const host::Battle& b, const Mark& m) {
    std::vector<std::string> texts;
    for (std::size_t i = m.messages; i < b.Messages().size(); ++i) {
        EXPECT_EQ(b.Messages()[i].kind, MSG_SHORT) << b.Messages()[i].text;
        EXPECT_EQ(b.Messages()[i].unit, 0) << b.Messages()[i].text;
        texts.push_back(b.Messages()[i].text);
    }
    return texts;
}

// Timer restarts and sounds since a mark, in order: (code, timer duration
// or sound number).
std::vector<std::pair<int, int>> TimersAndSoundsSince(const host::Battle& b, const Mark& m) {
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = m.requests; i < b.Requests().size(); ++i) {
        const host::Request& r = b.Requests()[i];
        if (r.code == REQ_SET_TIMER) {
            EXPECT_EQ(r.second, kStoryTimer);
            out.emplace_back(REQ_SET_TIMER, r.first);
        } else if (r.code == REQ_PLAY_SOUND) {
            out.emplace_back(REQ_PLAY_SOUND, r.first);
        }
    }
    return out;
}

std::vector<host::Request> RequestsFor(const host::Battle& b, int code, HostHandle unit) {
    std::vector<host::Request> out;
    for (const host::Request& r : b.Requests(code))
        if (r.unit == unit) out.push_back(r);
    return out;
}

// ============================================================================
// Dorran2, Dorran3 and Lifeline: the Dorran1 pattern told by data.

struct UnitRow {
    std::string classCode;
    int marker;
    std::string name;
};

// One step of a timed message cycle: the text shown and the timer restart.
// A text whose wording is ours is checked by its start only.
struct Step {
    std::string text;
    int restart;
    bool exact = true;
};

struct PatternCase {
    std::string plugin;
    std::string title;
    std::string mapName;  // also the map text's title line
    int playerRaces;
    std::vector<UnitRow> player;  // the first is the flagship
    std::vector<UnitRow> enemy;   // team 6
    std::vector<std::array<int, 3>> stores;
    std::vector<Step> steps;
    bool repeatLast;
    std::string briefingStart, startStart, victoryHeading, disengagedHeading;
    std::vector<Cell> cells;
};

// Five steps at 24, then the rest at 48.
std::vector<Step> TauntCycle(const std::vector<std::string>& texts) {
    std::vector<Step> steps;
    for (std::size_t i = 0; i < texts.size(); ++i) steps.push_back({texts[i], i < 5 ? 24 : 48});
    return steps;
}

const std::vector<UnitRow> kDeduderNames = {{"", 1, "Deduder"}, {"", 2, "Daisy"}, {"", 3, "Daffodyll"}};

std::vector<UnitRow> WithClasses(std::vector<UnitRow> rows, const std::vector<std::string>& classes) {
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].classCode = classes[i];
    return rows;
}

const char* const kVorgathSaying = "What is that Vorgath saying?  Oh yeah, it is a good day to die!";
const char* const kArrival = "Approaching Battlestation, sir!  It has activated it's defense platforms...";

std::vector<PatternCase> PatternCases() {
    return {
        {"Dorran2", "Fly Swatter", "Fly Swatter map", 16, WithClasses(kDeduderNames, {"H-PAH", "H-OV", "H-SUI"}),
         {{"L-FF+", 4, "Kitty"}, {"L-FF+", 5, "Meow"}, {"L-FF+", 6, "Litterbox"}, {"L-FF+", 20, "Nine Lives"},
          {"L-FF+", 19, "Purrr"}, {"L-CL+", 18, "Cat's Meow"}, {"L-CL+", 14, "Pouncer"}, {"L-NCA", 16, "Prowlani"}},
         {},
         TauntCycle({"FELISK SHIP TRANSMISSION: Meeooww!  M'tarvanis approaching!",
                     "KITTYLITTER:  They sure have funny sounding ship names!",
                     "NINELIVES: Lets' scratch their eyes out!",
                     "POUNCER: Killing fighters...plucking petals...same difference! ",
                     "MEOW: I am laughing so hard I can't think straight!", "PROWLANI:  Does a Tarvani fart oxygen? ",
                     "KITTY:  Methane breather ship's explode in pretty colors !",
                     "CAT'S MEOW:  This is not looking good...", "Fight harder, people...we are loosing!",
                     kVorgathSaying}),
         true, "The Continuing voyages of the starship Deduder....", "Captain's Log Y185.2,", "Victory!",
         "You chickened out!:",
         Join({Run("GHI", 28, 34), Run("ghi", 19, 29), Run("JKLZY", 10, 20), {{'T', 16, 20}, {'U', 17, 20}},
               {{'V', 20, 20}}, Run("jklzytuv", 14, 24),
               {{'5', 17, 15}, {'a', 25, 24}, {'a', 9, 26}, {'2', 36, 29}, {'1', 7, 31}}})},
        {"Dorran3", "Giant Killer", "Giant Killer map", 32, WithClasses(kDeduderNames, {"G-CDD", "G-DD", "G-DD"}),
         {{"R-FHK", 4, "Lurker"}},
         {},
         TauntCycle({"SELVARAN SHIP TRANSMISSION: So, the Saurok wanna play, eh?",
                     "EMBERWING:  Why are your ships named after flowers?!", "EMBERWING:  My crew need some new boots!",
                     "EMBERWING:  I have a nice plasma torpedo with your name on it! ",
                     "EMBERWING:  What exactly is a petunia, anyway?!",
                     "EMBERWING:  Saurok are weak.  You will all die! ",
                     "EMBERWING:  I can't believe you are not running away yet!",
                     "EMBERWING:  Maybe I overestimated you...nah...",
                     "EMBERWING:  You have earned my respect, captain.  You fight well!", kVorgathSaying}),
         true, "The Continuing voyages of the starship Deduder....", "Captain's Log Y185.2,", "Victory!",
         "You chickened out!:",
         Join({Run("GHI", 24, 32), Run("ghi", 19, 29), {{'J', 12, 26}, {'j', 14, 24}},
               {{'a', 28, 12}, {'a', 20, 19}, {'a', 5, 23}, {'a', 24, 26}, {'a', 13, 37}},
               {{'0', 17, 15}, {'3', 31, 21}, {'1', 7, 31}}})},
        {"Lifeline", "Save The Korvane", "Save The Korvane map", 1, {{"F-CA+", 1, "Korvane"}},
         {{"K-D7B", 4, "Redizevuza"}, {"K-D6B", 5, " "}, {"K-D6B", 6, "Desolation"}},
         {{1, 10, 10}, {1, 9, 36}, {1, 7, 2}, {1, 5, 2}, {1, 8, 16}, {1, 4, 4}},
         {{"Science Officer:  Sir, we have spotted 3 Vorgath ships hiding in the rings of the nearby planet waiting "
           "to ambush us...",
           24},
          {"Communications Officer:", 24, false},
          {"Vorgath Ship:  The Glory of Battle again!  All ships attack! ", 24},
          {"Vorgath Ship:  Prepare to die!", 24}},
         false, "", "Captain's Log:", "Victory!", "You got away!:",
         Join({{{'G', 29, 21}, {'g', 31, 25}, {'J', 25, 30}, {'K', 28, 32}, {'L', 30, 32}}, Run("jkl", 31, 27),
               {{'*', 14, 18}, {'*', 30, 19}, {'*', 4, 22}, {'*', 16, 25}, {'*', 10, 29}, {'2', 29, 30}}})},
    };
}

class PatternMission : public ::testing::TestWithParam<PatternCase> {
protected:
    static constexpr int kPlayerTeam = 2;

    void SetUp() override {
        b = std::make_unique<host::Battle>(PluginPath(GetParam().plugin));
        b->setup().playerTeam = kPlayerTeam;
        b->AddSetupUnit("X-OFFERED");  // the pattern does not use the host's setup units
        b->Setup();
    }

    const UnitRow& Row(int team, int i) const {
        const PatternCase& c = GetParam();
        return (team == kEnemyTeam ? c.enemy : c.player)[static_cast<std::size_t>(i)];
    }

    std::unique_ptr<host::Battle> b;
};

TEST_P(PatternMission, SettingsTitleBriefingAndMap) {
    const PatternCase& c = GetParam();
    std::string title;
    EXPECT_EQ(ReadSettings(*b, title), (SettingsValues{3, 767, c.playerRaces, 127, 7, 0, 0x7fff, 9999, 9999, 0, 510}));
    EXPECT_EQ(title, c.title);
    EXPECT_EQ(b->Title(), c.title);
    EXPECT_TRUE(StartsWith(b->Briefing(), c.briefingStart)) << b->Briefing();
    EXPECT_GT(b->Briefing().size(), 300u);
    EXPECT_EQ(b->MapName(), c.mapName);
    EXPECT_EQ(b->MapLines(), ExpectedMap(c.mapName, c.mapName, c.cells));
}

TEST_P(PatternMission, CreatesNamesAndEquipsItsUnits) {
    const PatternCase& c = GetParam();
    for (const host::UnitRecord& u : b->Units()) EXPECT_NE(u.classCode, "X-OFFERED");
    for (int team : {kPlayerTeam, kEnemyTeam}) {
        const std::size_t n = (team == kEnemyTeam ? c.enemy : c.player).size();
        ASSERT_EQ(b->UnitCount(team), static_cast<int>(n)) << "team " << team;
        for (int i = 0; i < static_cast<int>(n); ++i) {
            const host::UnitRecord& u = b->Unit(team, i);
            SCOPED_TRACE("team " + std::to_string(team) + " unit " + std::to_string(i));
            EXPECT_EQ(u.classCode, Row(team, i).classCode);
            EXPECT_EQ(u.marker, Row(team, i).marker);
            EXPECT_EQ(u.setupIndex, -1);
            EXPECT_EQ(u.extra, 0);
            EXPECT_EQ(b->Name(u.handle), Row(team, i).name);
            EXPECT_EQ(b->Level(u.handle), 10.0f);
        }
    }
    const HostHandle flagship = b->Unit(kPlayerTeam, 0).handle;
    const auto command = b->Requests(REQ_TAKE_COMMAND);
    ASSERT_EQ(command.size(), 1u);
    EXPECT_EQ(command[0].unit, flagship);

    // Five officers, each named and then set to level 5.
    const std::vector<std::pair<int, std::string>> officers = {
        {1, "Halvreth"}, {2, "Sorvenne"}, {4, "Dorran"}, {0, "Belmik"}, {5, "Nyxara"}};
    const auto sent = b->Requests(REQ_OFFICER);
    ASSERT_EQ(sent.size(), 2 * officers.size());
    for (std::size_t i = 0; i < officers.size(); ++i) {
        const host::Request& name = sent[2 * i];
        const host::Request& level = sent[2 * i + 1];
        EXPECT_EQ(name.unit, flagship);
        EXPECT_EQ(name.first, officers[i].first);
        EXPECT_EQ(name.second, 6);
        EXPECT_EQ(name.text, officers[i].second);
        EXPECT_EQ(level.first, officers[i].first);
        EXPECT_EQ(level.second, 5);
    }

    std::vector<std::array<int, 3>> stores;
    for (const host::Request& r : RequestsFor(*b, REQ_SET_STOCK, flagship))
        stores.push_back({r.first, r.second, static_cast<int>(r.third)});
    EXPECT_EQ(stores, c.stores);
    EXPECT_EQ(b->Requests(REQ_SET_STOCK).size(), c.stores.size());

    const auto relations = b->Requests(REQ_SET_RELATION);
    ASSERT_EQ(relations.size(), 2u);
    EXPECT_EQ(std::make_pair(relations[0].second, static_cast<int>(relations[0].third)),
              std::make_pair(kPlayerTeam, kEnemyTeam));
    EXPECT_EQ(std::make_pair(relations[1].second, static_cast<int>(relations[1].third)),
              std::make_pair(kEnemyTeam, kPlayerTeam));
    for (const host::Request& r : relations) {
        EXPECT_EQ(r.first, 6);
        EXPECT_EQ(r.fourth, 3);
        EXPECT_EQ(r.value, 1.0f);
    }

    const auto opening = TextsSince(*b, {0, 0});
    ASSERT_EQ(opening.size(), 1u);
    EXPECT_TRUE(StartsWith(opening[0], c.startStart)) << opening[0];
    EXPECT_EQ(b->Timers(), (std::vector<std::pair<int, int>>{{kStoryTimer, 20}}));
}

TEST_P(PatternMission, TimerSequence) {
    const PatternCase& c = GetParam();
    const Mark m = Now(*b);
    const std::size_t events = c.steps.size() + 2;
    for (std::size_t i = 0; i < events; ++i) EXPECT_EQ(b->Timer(), 0);

    std::vector<Step> expected = c.steps;
    if (c.repeatLast)
        while (expected.size() < events) expected.push_back(c.steps.back());
    const auto texts = TextsSince(*b, m);
    const auto timers = TimersAndSoundsSince(*b, m);
    ASSERT_EQ(texts.size(), expected.size());
    ASSERT_EQ(timers.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].exact)
            EXPECT_EQ(texts[i], expected[i].text) << "step " << i;
        else
            EXPECT_TRUE(StartsWith(texts[i], expected[i].text)) << "step " << i << ": " << texts[i];
        EXPECT_EQ(timers[i], std::make_pair(REQ_SET_TIMER, expected[i].restart)) << "step " << i;
    }
}

TEST_P(PatternMission, DestroyingTheOpponentIsAVictory) {
    const PatternCase& c = GetParam();
    // An arrival report of a unit never sent anywhere shows nothing.
    const Mark m = Now(*b);
    EXPECT_EQ(b->Event(EV_ARRIVED, b->Unit(kEnemyTeam, 0).handle, kEnemyTeam), 0);
    EXPECT_TRUE(TextsSince(*b, m).empty());

    const int n = static_cast<int>(c.enemy.size());
    for (int i = 0; i + 1 < n; ++i) EXPECT_EQ(b->Destroy(b->Unit(kEnemyTeam, i).handle), 0) << "unit " << i;
    EXPECT_EQ(b->Destroy(b->Unit(kEnemyTeam, n - 1).handle), RESULT_DESTROYED);
    ASSERT_EQ(b->EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(b->EndTexts()[0], c.victoryHeading)) << b->EndTexts()[0];
    EXPECT_EQ(b->OutcomeLevel(), 2);
    EXPECT_EQ(b->Prestige(), (std::array<int, 5>{0, 0, 0, 0, 0}));
    EXPECT_EQ(b->Finish(), 0);
    EXPECT_FALSE(b->NextScript().has_value());
}

TEST_P(PatternMission, CapturingTheLastOpponentGivesResult1) {
    const int n = static_cast<int>(GetParam().enemy.size());
    for (int i = 0; i + 1 < n; ++i) EXPECT_EQ(b->Destroy(b->Unit(kEnemyTeam, i).handle), 0);
    EXPECT_EQ(b->Capture(b->Unit(kEnemyTeam, n - 1).handle, kPlayerTeam), RESULT_CAPTURED);
    ASSERT_EQ(b->EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(b->EndTexts()[0], GetParam().victoryHeading));
}

TEST_P(PatternMission, PlayerDisengaging) {
    EXPECT_EQ(b->TeamLeft(kPlayerTeam), RESULT_OPPONENT_OTHER);
    EXPECT_EQ(b->OutcomeLevel(), 4);
    ASSERT_EQ(b->EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(b->EndTexts()[0], GetParam().disengagedHeading)) << b->EndTexts()[0];
}

TEST_P(PatternMission, OpponentLeaving) {
    EXPECT_EQ(b->TeamLeft(kEnemyTeam), RESULT_OPPONENT_OTHER);
    EXPECT_EQ(b->OutcomeLevel(), 2);
    ASSERT_EQ(b->EndTexts().size(), 1u);
    EXPECT_TRUE(StartsWith(b->EndTexts()[0], GetParam().disengagedHeading)) << b->EndTexts()[0];
}

INSTANTIATE_TEST_SUITE_P(Early, PatternMission, ::testing::ValuesIn(PatternCases()),
                         [](const ::testing::TestParamInfo<PatternCase>& info) { return info.param.plugin; });

// ============================================================================
// Dorran5: the player's own ships against an equal group the host chooses.

constexpr int kD5PlayerTeam = 1;
constexpr int kD5PlayerRace = 3;
constexpr int kFirstHostId = 40;

const std::vector<std::string> kD5Levels = {
    "Astounding Victory! ",  // heading only: the rest is ours
    "Victory! \n \nIt was a hard fought battle and you took a beating, but victory is yours non-the-less! ",
    "Draw \n \nNo clear victory for either side.",
    "Defeat \n \nYou managed to take more than you dished out.  Better luck next time! ",
    "Devastating Defeat! ",  // heading only
};
const std::string kD5Capture = " \nCongratulations - You CAPTURED them!  300 BPV BONUS!";

// Setup units (class, points) against a group valued groupPoints per unit,
// of race enemyRace (the setup's second list holds only that race).
std::unique_ptr<host::Battle> StartDorran5(const std::vector<std::pair<std::string, int>>& units, int groupPoints,
                                           int enemyRace = 5,
                                           host::Battle::RefusePredicate refuse = nullptr) {
    auto b = std::make_unique<host::Battle>(PluginPath("Dorran5"));
    b->setup().playerTeam = kD5PlayerTeam;
    b->setup().playerRace = kD5PlayerRace;
    b->setup().list2[0] = enemyRace;
    b->setup().list2[1] = SETUP_LIST12_END;
    b->SetNextHostId(kFirstHostId);
    for (const auto& [classCode, points] : units) {
        b->SetPoints(classCode, points);
        b->AddSetupUnit(classCode);
    }
    b->SetPoints("GROUP", groupPoints);
    if (refuse) b->RefuseWhen(std::move(refuse));
    b->Setup();
    return b;
}

HostHandle Player(const host::Battle& b, int i) { return b.Unit(kD5PlayerTeam, i).handle; }
HostHandle Enemy(const host::Battle& b, int i) { return b.Unit(kEnemyTeam, i).handle; }

TEST(Dorran5, SettingsTitleAndMap) {
    host::Battle b(PluginPath("Dorran5"));
    std::string title;
    EXPECT_EQ(ReadSettings(b, title), (SettingsValues{0, 767, 127, 127, 7, 0, 0x7fff, 0, 9999, 0x7fff, 1}));
    EXPECT_EQ(title, "New Beginnings (Dorran1)");
    b.AddSetupUnit("F-CA");
    b.Setup();
    EXPECT_EQ(b.MapName(), "Open Space");
    EXPECT_EQ(b.MapLines(),
              ExpectedMap("Campaign Mission Maps", "Open Space",
                          {{'G', 19, 25}, {'H', 17, 25}, {'I', 21, 25}, {'J', 23, 25}, {'K', 15, 25}, {'L', 25, 25},
                           {'g', 20, 21}, {'h', 19, 21}, {'i', 21, 21}, {'j', 22, 21}, {'k', 18, 21}, {'l', 23, 21},
                           {'U', 18, 15}, {'V', 20, 15}, {'W', 16, 15}, {'X', 22, 15}, {'Y', 14, 15}, {'Z', 24, 15},
                           {'u', 21, 19}, {'v', 22, 19}, {'w', 20, 19}, {'w', 24, 19}, {'x', 23, 19}, {'y', 19, 19},
                           {'0', 28, 13}, {',', 15, 15}, {'3', 7, 19}, {'*', 17, 19}, {'*', 26, 19},
                           {'*', 32, 19}}));
    const std::string briefing = b.Briefing();
    EXPECT_NE(briefing.find("300"), std::string::npos) << briefing;
    EXPECT_NE(briefing.find("150"), std::string::npos) << briefing;
}

TEST(Dorran5, ThreeSetupUnitsMeetAnEqualGroup) {
    auto b = StartDorran5({{"F-CA", 120}, {"F-DD", 80}, {"F-FF", 50}}, 100);
    ASSERT_EQ(b->UnitCount(kD5PlayerTeam), 3);
    ASSERT_EQ(b->UnitCount(kEnemyTeam), 3);
    const char* classes[] = {"F-CA", "F-DD", "F-FF"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("pair " + std::to_string(i));
        const host::UnitRecord& p = b->Unit(kD5PlayerTeam, i);
        EXPECT_EQ(p.classCode, classes[i]);
        EXPECT_EQ(p.marker, i + 1);
        EXPECT_EQ(p.setupIndex, i);
        EXPECT_EQ(p.race, kD5PlayerRace);

        const host::UnitRecord& e = b->Unit(kEnemyTeam, i);
        EXPECT_TRUE(e.IsGroup());
        EXPECT_EQ(e.team, kEnemyTeam);
        EXPECT_EQ(e.marker, 15 + i);
        EXPECT_EQ(e.budget, 120 + 80 + 50);
        EXPECT_EQ(e.presetPoints, kFirstHostId + 2);  // the player's highest host id
        EXPECT_EQ(e.param, 50);
        EXPECT_EQ(e.group, 0);
        EXPECT_EQ(e.extra, 0);
        EXPECT_EQ(e.race, 5);

        // Paired by list position: orders 7 both ways, two menu items each.
        EXPECT_EQ(b->Level(p.handle), 10.0f);
        EXPECT_FALSE(b->Level(e.handle).has_value());
        EXPECT_EQ(b->OrderTarget(p.handle), e.handle);
        EXPECT_EQ(b->OrderTarget(e.handle), p.handle);
        for (HostHandle unit : {p.handle, e.handle}) {
            EXPECT_EQ(b->LastRequest(REQ_ORDER, unit)->second, 7);
            const auto menu = RequestsFor(*b, REQ_MENU_ITEM, unit);
            ASSERT_EQ(menu.size(), 2u);
            EXPECT_EQ(std::make_tuple(menu[0].second, menu[0].first, static_cast<int>(menu[0].third), menu[0].text),
                      std::make_tuple(1, 3, 0, std::string("Hail Them")));
            EXPECT_EQ(std::make_tuple(menu[1].second, menu[1].first, static_cast<int>(menu[1].third), menu[1].text),
                      std::make_tuple(2, 4, 0, std::string("Self Destruct")));
        }
    }
    const auto command = b->Requests(REQ_TAKE_COMMAND);
    ASSERT_EQ(command.size(), 1u);
    EXPECT_EQ(command[0].unit, Player(*b, 0));

    const auto relations = b->Requests(REQ_SET_RELATION);
    ASSERT_EQ(relations.size(), 2u);
    EXPECT_EQ(std::make_tuple(relations[0].first, relations[0].second, relations[0].third, relations[0].fourth),
              std::make_tuple(6, kD5PlayerTeam, HostHandle{kEnemyTeam}, 3));
    EXPECT_EQ(std::make_tuple(relations[1].first, relations[1].second, relations[1].third, relations[1].fourth),
              std::make_tuple(6, kEnemyTeam, HostHandle{kD5PlayerTeam}, 3));

    ASSERT_EQ(b->Messages().size(), 1u);
    EXPECT_EQ(b->Messages()[0].text, "Science Officer:  Sir!  Sensors have picked up an enemy vessel closing fast! \n");
    EXPECT_EQ(b->Messages()[0].kind, MSG_SHORT);
    EXPECT_EQ(b->Timers(), (std::vector<std::pair<int, int>>{{kStoryTimer, 20}}));
    EXPECT_EQ(b->Prestige(), (std::array<int, 5>{150, 80, 20, 0, -5}));
    EXPECT_EQ(b->OutcomeLevel(), 5);
}

TEST(Dorran5, PlayerUnitWithoutAnOpponentGetsNoOrder) {
    auto b = StartDorran5({{"F-CA", 100}, {"F-DD", 100}, {"F-FF", 100}}, 100, 5,
                          [](const UnitSpec& creation, int) { return creation.classCode == nullptr && creation.marker == 17; });
    ASSERT_EQ(b->UnitCount(kEnemyTeam), 2);
    EXPECT_EQ(b->OrderTarget(Player(*b, 0)), Enemy(*b, 0));
    EXPECT_EQ(b->OrderTarget(Player(*b, 1)), Enemy(*b, 1));
    EXPECT_FALSE(b->OrderTarget(Player(*b, 2)).has_value());
    EXPECT_EQ(b->Level(Player(*b, 2)), 10.0f);
    EXPECT_EQ(RequestsFor(*b, REQ_MENU_ITEM, Player(*b, 2)).size(), 2u);
    EXPECT_EQ(b->OrderTarget(Enemy(*b, 1)), Player(*b, 1));
}

TEST(Dorran5, NoSetupUnitCreatesNoEnemy) {
    auto b = StartDorran5({}, 100);
    EXPECT_TRUE(b->Units().empty());
    EXPECT_EQ(b->Timer(), RESULT_PLAYER_DESTROYED);  // an empty side counts as beaten
    EXPECT_TRUE(b->EndTexts().empty());
}

TEST(Dorran5, TauntsWithSounds) {
    auto b = StartDorran5({{"F-CA", 100}}, 100);
    const Mark m = Now(*b);
    const int events = 12;
    for (int i = 0; i < events; ++i) EXPECT_EQ(b->Timer(), 0);

    const std::vector<std::string> taunts = {
        "ENEMY SHIP: Looky, looky, it's a rookie!",
        "ENEMY SHIP: Don't run away...we will be gentle with you!",
        "ENEMY SHIP: They will let just anyone command starships these days...",
        "ENEMY SHIP: Hey, you're not too bad... I must try harder! ",
        "ENEMY SHIP: How about lowering your shields a sec...I've got something for ya!",
        "ENEMY SHIP: You sure this is your first mission?  Hmmmmm.... blood will be flowing tonight! ",
        "ENEMY SHIP: This battle is not over yet! ",
        "ENEMY SHIP: This is not looking good...",
        "ENEMY SHIP: Dorran say's we talk to much!  What do you think?",
    };
    const auto texts = TextsSince(*b, m);
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(events));
    for (std::size_t i = 0; i < taunts.size(); ++i) EXPECT_EQ(texts[i], taunts[i]) << "step " << i;
    // Step 9, the promotional line, repeats.
    EXPECT_NE(texts[9], texts[8]);
    EXPECT_EQ(texts[10], texts[9]);
    EXPECT_EQ(texts[11], texts[9]);

    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < events; ++i) {
        const std::pair<int, int> timer{REQ_SET_TIMER, i < 5 ? 24 : 48};
        const std::pair<int, int> sound{REQ_PLAY_SOUND, 369};
        if (i >= 7) expected.insert(expected.end(), {sound, timer});
        else expected.insert(expected.end(), {timer, sound});
    }
    EXPECT_EQ(TimersAndSoundsSince(*b, m), expected);
}

TEST(Dorran5, MenuItems) {
    auto b = StartDorran5({{"F-CA", 100}}, 100);
    Mark m = Now(*b);
    EXPECT_EQ(b->Menu(Player(*b, 0), 3), 0);
    EXPECT_EQ(TextsSince(*b, m), (std::vector<std::string>{"Hailing Enemy ship captain....\n No Reponse, Sir!"}));
    EXPECT_EQ(TimersAndSoundsSince(*b, m), (std::vector<std::pair<int, int>>{{REQ_PLAY_SOUND, 351}}));

    m = Now(*b);
    EXPECT_EQ(b->Menu(Enemy(*b, 0), 4), 0);
    EXPECT_EQ(TextsSince(*b, m),
              (std::vector<std::string>{"Self Destruct HAS been activated...5..4..3..2..1.. \n \n Malfunction, Sir! "}));
    EXPECT_EQ(TimersAndSoundsSince(*b, m), (std::vector<std::pair<int, int>>{{REQ_PLAY_SOUND, 313}}));
    EXPECT_TRUE(b->Requests(REQ_SET_ATTRIBUTE).empty());  // the self-destruct malfunctions

    m = Now(*b);
    EXPECT_EQ(b->Menu(Player(*b, 0), 5), 0);
    EXPECT_TRUE(TextsSince(*b, m).empty());
    EXPECT_TRUE(TimersAndSoundsSince(*b, m).empty());
}

TEST(Dorran5, CaptureBonus) {
    auto b = StartDorran5({{"F-CA", 100}}, 100);
    const Mark m = Now(*b);
    EXPECT_EQ(b->Capture(Enemy(*b, 0), kD5PlayerTeam), RESULT_CAPTURED);
    EXPECT_EQ(TextsSince(*b, m), (std::vector<std::string>{kD5Capture}));
    EXPECT_EQ(b->OutcomeLevel(), 0);
    const auto ends = b->EndTexts();
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_TRUE(StartsWith(ends[0], kD5Levels[0])) << ends[0];
    EXPECT_EQ(ends[1], kD5Capture);
    EXPECT_EQ(b->Prestige(), (std::array<int, 5>{450, 380, 320, 300, 295}));
    EXPECT_EQ(b->Finish(), 0);
    EXPECT_FALSE(b->NextScript().has_value());
}

TEST(Dorran5, CapturingAPlayerUnitIsNoBonus) {
    auto b = StartDorran5({{"F-CA", 100}, {"F-DD", 100}}, 100);
    const Mark m = Now(*b);
    EXPECT_EQ(b->Capture(Player(*b, 1), kEnemyTeam), 0);
    EXPECT_TRUE(TextsSince(*b, m).empty());
    EXPECT_EQ(b->Destroy(Enemy(*b, 0)), 0);
    EXPECT_EQ(b->Destroy(Enemy(*b, 1)), RESULT_DESTROYED);
    ASSERT_EQ(b->EndTexts().size(), 1u);
    EXPECT_EQ(b->Prestige(), (std::array<int, 5>{150, 80, 20, 0, -5}));
}

// The outcome rating: each side's losses as the other sees them, the side
// weaker in value credited with the difference.
struct RatingCase {
    std::string name;
    std::vector<std::pair<std::string, int>> player;
    int groupPoints;
    int enemyRace;
    std::function<int(host::Battle&)> play;  // returns the final result
    int result;
    int level;
};

class Dorran5Rating : public ::testing::TestWithParam<RatingCase> {};

TEST_P(Dorran5Rating, Level) {
    const RatingCase& c = GetParam();
    auto b = StartDorran5(c.player, c.groupPoints, c.enemyRace);
    EXPECT_EQ(c.play(*b), c.result);
    EXPECT_EQ(b->OutcomeLevel(), c.level);
    const auto ends = b->EndTexts();
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(StartsWith(ends[0], kD5Levels[static_cast<std::size_t>(c.level)])) << ends[0];
    EXPECT_EQ(b->Prestige(), (std::array<int, 5>{150, 80, 20, 0, -5}));
}

INSTANTIATE_TEST_SUITE_P(
    Dorran5, Dorran5Rating,
    ::testing::Values(
        // 100 against 150; the enemy's loss of 150 plus the 50 handicap
        // against no loss: 200 / 0 (counted as 1).
        RatingCase{"WeakerPlayerDestroysAll", {{"F-CA", 100}}, 150, 5,
                   [](host::Battle& b) { return b.Destroy(Enemy(b, 0)); }, RESULT_DESTROYED, 0},
        // Equal totals, no losses (a disabled unit is worth nothing to
        // race 6): 0 / 0.
        RatingCase{"EqualAndNoLosses", {{"F-CA", 100}}, 100, 6,
                   [](host::Battle& b) { return b.Disable(Player(b, 0)); }, RESULT_PLAYER_DISABLED, 2},
        // 300 against 100, the enemy leaves: its whole 100 against the
        // player's handicap of 200.
        RatingCase{"StrongerPlayerCreditsTheEnemy", {{"F-CA", 300}}, 100, 5,
                   [](host::Battle& b) { return b.TeamLeft(kEnemyTeam); }, RESULT_OPPONENT_OTHER, 3},
        // 100 against 300: two disabled enemies (75 each) plus 200 against
        // the player's loss of 80.
        RatingCase{"HandicapLiftsTheWeakerSide", {{"F-CA", 20}, {"F-DD", 80}}, 150, 5,
                   [](host::Battle& b) {
                       EXPECT_EQ(b.Destroy(Player(b, 1)), 0);
                       EXPECT_EQ(b.Disable(Enemy(b, 0)), 0);
                       return b.Disable(Enemy(b, 1));
                   },
                   RESULT_DISABLED, 0}),
    [](const ::testing::TestParamInfo<RatingCase>& info) { return info.param.name; });

}  // namespace
