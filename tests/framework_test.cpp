// The mission framework on its own: strings, maps, teams, scoring, the
// event dispatcher and battle setup, driven through the script object with
// a probe mission whose hooks each test sets.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MissionScript.h"

namespace {

// ---- A host that records what the framework sends ------------------------------

struct Sent {
    int code;
    HostHandle unit;
    int column, row, first, second;
    HostHandle third;
    int fourth;
    float value;
    std::string text;
    std::string name;
};

struct Recorder {
    std::vector<Sent> requests;
    std::vector<std::pair<std::string, int>> messages;
    std::vector<UnitSpec> created;
    std::vector<int> randomQueue;
    int nextHostId = 1;
    int points = 100;
    bool refuseAll = false;
    std::function<void(HostRequest&)> answer;

    std::vector<Sent> Of(int code) const {
        std::vector<Sent> out;
        for (const Sent& s : requests)
            if (s.code == code) out.push_back(s);
        return out;
    }
};
Recorder* rec = nullptr;

std::string Narrow(const tString& s) {
    tString copy(s);
    return copy.CStr();
}

void OnRequest(HostRequest* r) {
    if (rec->answer) rec->answer(*r);
    rec->requests.push_back({r->code, r->unit, r->column, r->row, r->first, r->second, r->third, r->fourth, r->value,
                             Narrow(r->text), r->name ? r->name : ""});
}
void OnCreate(UnitSpec* creation) {
    if (rec->refuseAll) {
        creation->hostId = -1;
    } else {
        creation->points = rec->points;
        creation->hostId = rec->nextHostId++;
    }
    rec->created.push_back(*creation);
}
void OnMessage(tString* text, int kind, HostHandle) { rec->messages.emplace_back(Narrow(*text), kind); }
int OnRandom(int low, int high) {
    if (rec->randomQueue.empty()) return low;
    const int v = rec->randomQueue.front();
    rec->randomQueue.erase(rec->randomQueue.begin());
    return v < low ? low : (v > high ? high : v);
}

// ---- The probe mission ---------------------------------------------------------

MissionText probeText{"Probe Title", "Probe briefing", "first", "second", "third"};

const MissionMap probeMap{
    {"Open", "Second Field"},
    {
        "Probe Maps",
        "// Open Space",
        " +____1+",
        " |...G.|",
        " |.g...|",
        "1|..H..|",
        " +-----+",
        "      1",
        "// Second Field",
        " +____1+",
        " |J....|",
        " +-----+",
        "      1",
        "///",
    }};

struct ProbeMission : MissionHooks {
    ProbeMission() : MissionHooks(probeText, probeMap) {}

    std::function<int(MissionSetup&)> setupBattle = [](MissionSetup&) { return 1; };
    std::function<bool(SetupUnit&)> acceptSetupUnit = [](SetupUnit&) { return false; };
    std::function<void(int)> createUnits = [](int) {};
    std::function<int(Ship*, int)> handleEvent = [](Ship*, int) { return 0; };
    int rating = 2;
    int configured = 0;
    std::vector<Ship*> added;
    std::vector<int> applied;
    std::vector<std::pair<Ship*, int>> handled;

    void FillSettings(MissionSettings& s) override { SettingsRow{3, 767, 1, 127, 7, 0, 0x7fff, 9999, 9999, 0, 510}.Fill(s, TitleCStr()); }
    int SetupBattle(MissionSetup& setup) override { return setupBattle(setup); }
    bool AcceptSetupUnit(SetupUnit& unit) override { return acceptSetupUnit(unit); }
    void CreateUnits(int wave) override { createUnits(wave); }
    void ConfigureUnits() override { ++configured; }
    void OnUnitAdded(Ship* unit) override { added.push_back(unit); }
    int HandleEvent(Ship* unit, int code) override {
        handled.emplace_back(unit, code);
        return handleEvent(unit, code);
    }
    int RateOutcome() override { return rating; }
    void ApplyOutcome(int level) override {
        applied.push_back(level);
        battle.AddEndMessage(2 + level % 3);
    }
};
ProbeMission* probe = nullptr;

}  // namespace

MissionHooks& TheMission() { return *probe; }

namespace {

// Each test gets a fresh mission, a fresh host and the script object
// reset to its state at load.
class Framework : public ::testing::Test {
protected:
    void SetUp() override {
        freshProbe = std::make_unique<ProbeMission>();
        probe = freshProbe.get();
        freshRec = std::make_unique<Recorder>();
        rec = freshRec.get();
        script = static_cast<MissionScript*>(ScriptEntry());
        script->setupDone = false;
        script->briefingIndex = 0;
        script->outcomeLevel = 0;
        Link() = HostLink{};
        Link().mission = probe;
        script->SetRequestFn(OnRequest);
        script->SetCreateUnitFn(OnCreate);
        script->SetMessageFn(OnMessage);
        script->SetRandomFn(OnRandom);
        setup = MissionSetup{};
        setup.list1[0] = 12;
        setup.list2[0] = 12;
        setup.list3[0] = 10;
        setup.mapOverride = -1;
    }

    // Initialize, then bind every created unit with handle 1000 + n.
    void Start() {
        script->Initialize(&setup);
        const std::vector<UnitSpec> created = rec->created;
        for (std::size_t i = 0; i < created.size(); ++i)
            if (created[i].hostId != -1)
                script->OnUnitCreated(created[i].team, created[i].unitId, static_cast<HostHandle>(1000 + i));
    }

    int Event(int code, HostHandle unit, int team, int value1 = 0) {
        HostEvent e{};
        e.code = code;
        e.unit = unit;
        e.team = team;
        e.value1 = value1;
        return script->OnEvent(&e);
    }

    std::unique_ptr<ProbeMission> freshProbe;
    std::unique_ptr<Recorder> freshRec;
    MissionScript* script = nullptr;
    MissionSetup setup{};
};

// ---- Strings -------------------------------------------------------------------

TEST(tStringTest, BuildsNarrowsAndSearches) {
    tString open("Open Space");
    EXPECT_EQ(open.Length(), 10);
    EXPECT_STREQ(open.CStr(), "Open Space");

    tString accent("\xE9");
    EXPECT_EQ(accent.At(0), 0x00E9);
    EXPECT_EQ(static_cast<unsigned char>(accent.CStr()[0]), 0xE9);

    const tString header("// Open Space");
    tString head = header.Substr(0, 2);
    EXPECT_STREQ(head.CStr(), "//");
    EXPECT_TRUE(tString::Equals(header.Substr(0, 100), header));
    EXPECT_TRUE(tString::Equals(header.Substr(-3, -1), header));
    EXPECT_EQ(header.Find("Space", 0), 8);
    EXPECT_EQ(header.Find("Space", 9), -1);
    EXPECT_EQ(header.Find("", 4), 4);
    EXPECT_EQ(header.Find("space", 0), -1);
    EXPECT_EQ(tString(nullptr).Length(), 0);
}

TEST(tStringTest, GrowsByTheReserveRule) {
    for (auto [n, capacity] : {std::pair{10, 31}, {100, 120}, {2000, 2100}}) {
        const tString s(std::string(static_cast<std::size_t>(n), 'x').c_str());
        EXPECT_EQ(s.Capacity(), capacity) << n;
    }
}

TEST(tStringTest, RefusesTextsAtTheLengthCap) {
    EXPECT_EQ(tString(std::string(tString::kMaxLength, 'x').c_str()).Length(), 0);
    tString almost(std::string(tString::kMaxLength - 1, 'x').c_str());
    almost.Append("y");
    EXPECT_EQ(almost.Length(), tString::kMaxLength - 1);
    tString self("ab");
    self.Append(self);
    EXPECT_STREQ(self.CStr(), "abab");
}

TEST(tStringTest, PositionsThrowOnMisuse) {
    const tString s("ab");
    tString::Position nowhere;
    try {
        nowhere.Read();
        FAIL() << "no throw";
    } catch (const tStringError& e) {
        EXPECT_STREQ(e.what(), "Access to uninitialized iterator");
    }
    tString::Position end(&s, 2);
    try {
        end.Advance();
        FAIL() << "no throw";
    } catch (const tStringError& e) {
        EXPECT_STREQ(e.what(), "Access past bounds of tString");
    }
}

// The host reads a tString through its plain layout.
TEST(tStringTest, HasTheHostLayout) {
    tString s("Hail");
    const auto* view = reinterpret_cast<const TStringLayout*>(&s);
    ASSERT_EQ(view->length, 4);
    EXPECT_EQ(view->end - view->begin, 4);
    EXPECT_EQ(view->begin[3], 'l');
    EXPECT_EQ(view->reserved, nullptr);
    EXPECT_EQ(view->capacity, s.Capacity());
    const char* narrow = s.CStr();
    EXPECT_EQ(view->narrow, narrow);
    EXPECT_EQ(view->narrowSize, 5);
}

// ---- Maps ----------------------------------------------------------------------

TEST(MissionMapTest, FindsMarkersInTheirMapOnly) {
    int cursor = 0, column = 0, row = 0;
    struct Case {
        int map;
        char c;
        int column, row;
    } cases[] = {
        {0, 'G', 4, 1},    // first grid row, fourth cell
        {0, 'g', 2, 2},
        {0, 'H', 3, 3},    // borders are not rows
        {0, '1', -1, -1},  // the row label is not searched
        {0, 'J', -1, -1},  // the second map's grid is not searched
        {1, 'J', 1, 1},
        {0, '\xC7', -1, -1},
    };
    for (const Case& c : cases) {
        probeMap.FindMarker(c.map, c.c, column, row, cursor);
        EXPECT_EQ(column, c.column) << c.c;
        EXPECT_EQ(row, c.row) << c.c;
    }
    // "Open" names the first header that contains it.
    EXPECT_TRUE(probeMap.Find(0, cursor));
    EXPECT_EQ(cursor, 2);
}

TEST_F(Framework, MapReaderWalksTheTextOnce) {
    int lines = 0;
    while (script->NextMapLine() != nullptr) ++lines;
    EXPECT_EQ(lines, 14);
    EXPECT_EQ(script->NextMapLine(), nullptr);
    script->RewindMap();
    EXPECT_STREQ(script->NextMapLine(), "Probe Maps");
}

// ---- Teams, units and scoring --------------------------------------------------

TEST_F(Framework, UnitIdsAndRefusals) {
    BattleState& battle = probe->battle;
    Team* six = battle.GetTeam(6);
    EXPECT_TRUE(six->CreateUnit("O-CA1", 4, 0, 0, -1, -1, 0));
    rec->refuseAll = true;
    EXPECT_FALSE(six->CreateUnit("O-CA1", 5, 0, 0, -1, -1, 0));
    rec->refuseAll = false;
    EXPECT_TRUE(six->CreateUnit("O-CA1", 6, 0, 0, -1, -1, 0));
    ASSERT_EQ(six->Size(), 2);
    EXPECT_EQ(six->At(0)->GetUnitId(), 6 * 107374182 + 1);
    EXPECT_EQ(six->At(1)->GetUnitId(), 6 * 107374182 + 2);
    EXPECT_EQ(rec->created[1].unitId, 6 * 107374182 + 2);  // the refused one did not use it up
    EXPECT_EQ(six->GetTotalValue(), 200);
    EXPECT_EQ(six->HighestHostId(), 2);
    // By cell: cells below 1 become 1, the second cell follows the first.
    battle.GetTeam(2)->CreateUnit("X", 0, -4, 7, 0, 0, 0);
    const UnitSpec& byCell = rec->created.back();
    EXPECT_EQ(std::vector<int>({byCell.column, byCell.row, byCell.column2, byCell.row2}), std::vector<int>({0, 6, 0, 6}));
}

TEST_F(Framework, TeamsAndRacesAreFixedAtFirstUse) {
    BattleState& battle = probe->battle;
    Team* early = battle.GetTeam(3);
    battle.SetTeamRace(3, 5);
    battle.SetTeamRace(4, 5);
    EXPECT_EQ(early->GetRace(), -1);
    EXPECT_EQ(battle.GetTeam(4)->GetRace(), 5);
    EXPECT_EQ(battle.GetTeam(20), nullptr);
    EXPECT_EQ(battle.GetTeam(-1), nullptr);
    EXPECT_EQ(battle.GetTeam(7)->CountActive(), -1);
}

TEST_F(Framework, GroupsSpiralOutOrTakeMarkers) {
    Team* six = probe->battle.GetTeam(6);
    six->CreateGroup(9, 500, 2, 40, 50, 0, 10, 10, -1, -1, 0);
    const std::vector<std::pair<int, int>> expected = {{10, 10}, {10, 9},  {11, 9},  {11, 10}, {11, 11},
                                                       {10, 11}, {9, 11},  {9, 10},  {9, 9}};
    ASSERT_EQ(rec->created.size(), 9u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rec->created[i].column + 1, expected[i].first) << i;
        EXPECT_EQ(rec->created[i].row + 1, expected[i].second) << i;
        EXPECT_EQ(rec->created[i].classCode, nullptr);
        EXPECT_EQ(rec->created[i].param, 50);
    }
    int dc = 0, dr = 0;
    SpiralOffset(9, dc, dr);  // ring 2 starts at (-1, -2)
    EXPECT_EQ(std::make_pair(dc, dr), std::make_pair(-1, -2));
    SpiralOffset(24, dc, dr);  // and ends at (-2, -2)
    EXPECT_EQ(std::make_pair(dc, dr), std::make_pair(-2, -2));

    rec->created.clear();
    rec->nextHostId = 1;
    six->CreateGroup(3, 700, 2, 40, 50, 15, 0, 0, -1, -1, 0);
    ASSERT_EQ(rec->created.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rec->created[static_cast<std::size_t>(i)].marker, 15 + i);
    six->CreateGroup(0, 700, 2, 40, 50, 15, 0, 0, -1, -1, 0);
    six->CreateGroup(-1, 700, 2, 40, 50, 15, 0, 0, -1, -1, 0);
    EXPECT_EQ(rec->created.size(), 3u);
}

TEST(ScoringTest, RatioLevels) {
    const struct {
        int value, base, level;
    } cases[] = {{300, 100, 0}, {200, 100, 0}, {110, 100, 1}, {91, 100, 2}, {90, 100, 3},
                 {30, 100, 3},  {29, 100, 4},  {0, 0, 2},     {200, 0, 0},  {2000000000, 1, 0}};
    for (const auto& c : cases) EXPECT_EQ(BattleState::RatioLevel(c.value, c.base), c.level) << c.value << "/" << c.base;
}

TEST_F(Framework, StatusAndScoreOfLosses) {
    BattleState& battle = probe->battle;
    rec->points = 75;
    Team* six = battle.GetTeam(6);
    for (int i = 0; i < 3; ++i) six->CreateUnit("O", 4 + i, 0, 0, -1, -1, 0);
    Ship* disabled = six->At(0);
    Ship* captured = six->At(1);
    disabled->SetStatus(DISABLED, true);
    captured->SetStatus(CAPTURED, true);
    EXPECT_EQ(six->Status(), 4);
    EXPECT_EQ(disabled->ScoreValue(1), 37);
    EXPECT_EQ(disabled->ScoreValue(6), 0);
    EXPECT_EQ(captured->ScoreValue(6), 375);
    EXPECT_EQ(captured->ScoreValue(1), 150);
    six->At(2)->SetStatus(DESTROYED, true);

    battle.SetTeamRace(0, 1);
    Team* player = battle.GetTeam(0);
    EXPECT_EQ(six->Score(player), 37 + 150 + 75);
    battle.SetRelation(0, 6, 6, 3, 0.5f, false);
    EXPECT_EQ(six->Score(player), 18 + 75 + 37);  // truncated after each addition
    six->SetLeft(true);
    EXPECT_EQ(six->Status(), 0x100000);
    EXPECT_EQ(six->Score(player), 112);
    EXPECT_EQ(six->Score(nullptr), 0);
}

TEST_F(Framework, RelationsAreStoredSentAndRangeChecked) {
    BattleState& battle = probe->battle;
    battle.SetRelation(0, 6, 6, 3, 1.0f, true);
    EXPECT_EQ(script->GetRelation(0, 6), 6);
    EXPECT_EQ(script->GetRelation(6, 0), 6);
    EXPECT_EQ(script->GetRelation(6, 6), 1);
    EXPECT_EQ(script->GetRelation(9, 0), 0);   // team 9 does not exist
    EXPECT_EQ(script->GetRelation(25, 0), 0);
    EXPECT_EQ(script->GetRelation(0, -1), 0);
    const auto sent = rec->Of(REQ_SET_RELATION);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(std::vector<int>({sent[0].first, sent[0].second, static_cast<int>(sent[0].third), sent[0].fourth}),
              std::vector<int>({6, 0, 6, 3}));
    battle.SetRelation(0, 20, 6, 3, 1.0f, true);
    battle.SetRelation(-1, 2, 6, 3, 1.0f, true);
    EXPECT_EQ(rec->Of(REQ_SET_RELATION).size(), 2u);
}

TEST_F(Framework, RequestsCarryTheirFields) {
    BattleState& battle = probe->battle;
    Team* six = battle.GetTeam(6);
    six->CreateUnit("O", 4, 0, 0, -1, -1, 0);
    Ship* ship = six->At(0);
    ship->SetHandle(77);
    rec->answer = [](HostRequest& r) {
        if (r.code == REQ_ASK) r.first = 2;
        if (r.code == REQ_GET_DIFFICULTY) r.third = 1;
        if (r.code == REQ_SET_STOCK) r.third = 9;
    };
    ship->SetMenuItem(1, 3, 0x1FF);
    ship->RemoveMenuItem(2);
    battle.SetTimer(13, 20);
    EXPECT_EQ(battle.Ask(2, 3), 2);
    EXPECT_EQ(battle.GetDifficulty(), 1);
    EXPECT_EQ(ship->SetStock(1, 10, 10), 9);
    ship->SetName(4);
    ship->MoveTo(80.0f, 5, 6, true);
    battle.Mark(0, 0, 0);
    ship->SetOrder(nullptr, 7);

    const auto& r = rec->requests;
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[0].code, REQ_MENU_ITEM);
    EXPECT_EQ(std::make_tuple(r[0].first, r[0].second, static_cast<int>(r[0].third), r[0].text),
              std::make_tuple(3, 1, 0xFF, std::string("second")));
    EXPECT_EQ(std::make_tuple(r[1].first, r[1].second, static_cast<int>(r[1].third), r[1].text),
              std::make_tuple(-1, 2, 0, std::string()));
    EXPECT_EQ(std::make_pair(r[2].first, r[2].second), std::make_pair(20, 13));
    EXPECT_EQ(r[3].text, "first^second");
    EXPECT_EQ(r[6].code, REQ_SET_NAME);
    EXPECT_EQ(r[6].name, "third");
    EXPECT_EQ(r[6].text, "");
    EXPECT_EQ(r[7].code, REQ_MOVE_TO);
    EXPECT_EQ(r[7].value, -80.0f);
    EXPECT_EQ(ship->GetMoveValue(), 80.0f);
    EXPECT_EQ(r[7].first & EV_ARRIVED, EV_ARRIVED);
    EXPECT_EQ(std::make_pair(r[7].column, r[7].row), std::make_pair(4, 5));
    EXPECT_EQ(std::make_tuple(r[8].unit, r[8].column, r[8].row), std::make_tuple(HostHandle{-1}, -1, -1));
}

TEST_F(Framework, EndTestPlayerSideFirst) {
    BattleState& battle = probe->battle;
    probe->playerTeam = 0;
    Team* player = battle.GetTeam(0);
    player->CreateUnit("F", 1, 0, 0, -1, -1, 0);
    player->CreateUnit("F", 2, 0, 0, -1, -1, 0);
    EXPECT_EQ(probe->CheckOutcome(), RESULT_DESTROYED);  // team 6 without any unit
    Team* six = battle.GetTeam(6);
    six->CreateUnit("O", 4, 0, 0, -1, -1, 0);
    six->CreateUnit("O", 5, 0, 0, -1, -1, 0);
    EXPECT_EQ(probe->CheckOutcome(), 0);
    six->At(0)->SetStatus(DESTROYED, true);
    six->At(1)->SetStatus(CAPTURED, true);
    EXPECT_EQ(probe->CheckOutcome(), RESULT_CAPTURED);
    six->At(0)->SetStatus(DISABLED, true);
    EXPECT_EQ(probe->CheckOutcome(), RESULT_DISABLED);

    probe->playerShip = player->At(0);
    player->At(0)->SetStatus(DISABLED, true);
    EXPECT_EQ(probe->CheckOutcome(), RESULT_PLAYER_DISABLED);  // other player units still active
    player->At(0)->SetStatus(DISABLED, false);
    player->SetLeft(true);
    EXPECT_EQ(probe->CheckOutcome(), RESULT_PLAYER_LEFT);
}

TEST(EndMessagesTest, KeepsTenAndAnswersZeroBeyond) {
    BattleState battle;
    for (int i = 1; i <= 11; ++i) battle.AddEndMessage(i);
    EXPECT_EQ(battle.GetEndMessageCount(), 10);
    EXPECT_EQ(battle.GetEndMessage(9), 10);
    EXPECT_EQ(battle.GetEndMessage(10), 0);
    EXPECT_EQ(battle.GetEndMessage(-1), 0);
}

// ---- Script operations -----------------------------------------------------------

TEST_F(Framework, SettingsNeedTheVersionFloat) {
    MissionSettings settings{};
    settings.version = 5.0f;
    EXPECT_FALSE(script->GetSettings(&settings));
    EXPECT_EQ(settings.title, nullptr);
    settings.version = 6.0f;
    ASSERT_TRUE(script->GetSettings(&settings));
    EXPECT_STREQ(settings.title, "Probe Title");
    EXPECT_EQ(settings.field128, 510);
    EXPECT_FALSE(script->GetSettings(nullptr));
}

TEST_F(Framework, ScoresAndEndTextsBeforeAndAfterSetup) {
    EXPECT_EQ(script->GetVersion(), 57);
    EXPECT_EQ(script->GetScore(5), 0);
    Start();
    EXPECT_EQ(script->GetVersion(), 57);
    EXPECT_EQ(script->GetScore(5), 5);
    EXPECT_EQ(script->GetScore(6), 0);
    EXPECT_EQ(script->GetScore(-1), 0);
    EXPECT_EQ(Narrow(*script->GetEndMessage(10)), "Probe Title");
    EXPECT_EQ(Narrow(*script->GetBriefing()), "Probe briefing");
}

// ---- Setup ---------------------------------------------------------------------

TEST_F(Framework, InitializeWritesPicksTitleAndMap) {
    int lists[3][4] = {{40, 3, 12}, {5, 6, 12}, {7, 8, 10}};
    std::copy(std::begin(lists[0]), std::end(lists[0]), setup.list1);
    std::copy(std::begin(lists[1]), std::end(lists[1]), setup.list2);
    std::copy(std::begin(lists[2]), std::end(lists[2]), setup.list3);
    // list 1: 40 is not in mask 127; the first draw (5) picks position 1.
    // list 2: 5 is allowed and no draw below 10 comes. list 3: 80 keeps 7.
    rec->randomQueue = {5, 1, 50, 80};
    probe->setupBattle = [](MissionSetup&) { return 2; };
    script->Initialize(&setup);
    EXPECT_EQ(setup.pick1, 3);
    EXPECT_EQ(setup.pick2, 5);
    EXPECT_EQ(setup.pick3, 7);
    EXPECT_STREQ(setup.title, "Probe Title");
    EXPECT_EQ(setup.settings128, 510);
    EXPECT_EQ(setup.mapIndex, 1);
    EXPECT_STREQ(setup.mapName, "Second Field");
    EXPECT_EQ(script->GetScore(5), 5);
}

TEST_F(Framework, MapOverrideAtOrBeyondTheCountSelectsMapZero) {
    for (auto [override, expected] : {std::pair{1, 1}, {2, 0}, {7, 0}, {-1, 1}}) {
        setup.mapOverride = override;
        probe->setupBattle = [](MissionSetup&) { return 2; };
        script->Initialize(&setup);
        EXPECT_EQ(setup.mapIndex, expected) << override;
    }
}

TEST(PickTest, MaskedAndWeightedPicks) {
    Recorder local;
    rec = &local;
    Link() = HostLink{};
    Link().randomFn = OnRandom;
    const std::int32_t allowedFirst[] = {1, 2, 12};
    local.randomQueue = {50};
    EXPECT_EQ(PickFromList(allowedFirst, 11, 127), 1);
    local.randomQueue = {3, 1};  // a draw below 10 lands on another allowed entry
    EXPECT_EQ(PickFromList(allowedFirst, 11, 127), 2);
    const std::int32_t none[] = {40, 50, 12};
    EXPECT_EQ(PickFromList(none, 11, 127), 40);
    const std::int32_t empty[] = {12};
    EXPECT_EQ(PickFromList(empty, 11, 127), 12);
    // No terminator within the field: the pick stays inside it.
    const std::int32_t unterminated[3] = {40, 41, 5};
    local.randomQueue = {1, 2};
    EXPECT_EQ(PickFromList(unterminated, 3, 127), 5);

    const std::int32_t weighted[] = {4, 5, 6, 10};
    local.randomQueue = {75};
    EXPECT_EQ(PickWeighted(weighted, 11), 4);
    local.randomQueue = {74, 2};
    EXPECT_EQ(PickWeighted(weighted, 11), 6);
    const std::int32_t emptyWeighted[] = {10};
    local.randomQueue = {1, 0};
    EXPECT_EQ(PickWeighted(emptyWeighted, 11), 10);
    EXPECT_EQ(local.randomQueue.size(), 1u);  // no position was drawn

    // Without a random callback every draw answers its low bound, and the
    // masked pick still ends.
    Link().randomFn = nullptr;
    const std::int32_t secondOnly[] = {40, 3, 12};
    EXPECT_EQ(PickFromList(secondOnly, 11, 127), 3);
    rec = nullptr;
}

TEST_F(Framework, SetupUnitsTakeMarkersInOrder) {
    setup.playerTeam = 2;
    setup.setupUnitCount = 3;
    const char* classes[] = {"A", "SKIP", "C"};
    for (int j = 0; j < 3; ++j) {
        setup.setupUnits[j].classCode = classes[j];
        setup.setupUnits[j].column = 30 + j;
        setup.setupUnits[j].row = 20;
    }
    probe->acceptSetupUnit = [](SetupUnit& u) { return std::string(u.classCode) != "SKIP"; };
    Start();
    ASSERT_EQ(rec->created.size(), 2u);
    EXPECT_EQ(rec->created[0].marker, 1);
    EXPECT_EQ(rec->created[1].marker, 2);  // the skipped unit used no number
    EXPECT_EQ(rec->created[1].setupIndex, 2);
    EXPECT_EQ(rec->created[0].team, 2);
    EXPECT_EQ(rec->created[0].column, 29);  // cells as the host gave them
    EXPECT_EQ(setup.setupUnits[1].team, 2);
    EXPECT_EQ(probe->configured, 1);
}

TEST_F(Framework, SetupUnitsByCellFanOutInSlotMode) {
    setup.placementMode = 4;
    setup.slotKinds[2] = 2;
    setup.slotFlags[2] = 1;  // the counter starts at 3
    setup.setupUnitCount = 3;
    for (int j = 0; j < 3; ++j) setup.setupUnits[j].classCode = "A";
    probe->setupBattle = [](MissionSetup&) { return 1; };
    // Marker G (1) of the first map stands at (4, 1), g at (2, 2).
    probe->acceptSetupUnit = [](SetupUnit& u) {
        u.marker = kMarkerByCell | 2;
        return true;
    };
    Start();
    ASSERT_EQ(rec->created.size(), 3u);
    for (const UnitSpec& creation : rec->created) EXPECT_EQ(creation.marker, 0);
    // Marker H (2) stands at (3, 3); its second cell is not on the map, so
    // it falls back to the cell. k stays 3: rows move by -1 (the third fan
    // offset); the second unit one column left, the third one right.
    const std::vector<std::pair<int, int>> cells = {{3, 2}, {2, 2}, {4, 2}};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const UnitSpec& creation = rec->created[i];
        EXPECT_EQ(std::make_pair(creation.column + 1, creation.row + 1), cells[i]) << i;
        EXPECT_EQ(std::make_pair(creation.column2 + 1, creation.row2 + 1), cells[i]) << i;
    }
}

TEST_F(Framework, SetupUnitCountIsClamped) {
    for (int count : {-5, 9}) {
        SetUp();
        setup.setupUnitCount = count;
        for (auto& unit : setup.setupUnits) unit.classCode = "A";
        probe->acceptSetupUnit = [](SetupUnit&) { return true; };
        Start();
        EXPECT_EQ(rec->created.size(), count < 0 ? 0u : 3u) << count;
    }
}

TEST_F(Framework, BindingRunsConfigureOnceThenAddsUnits) {
    probe->createUnits = [](int) {
        probe->GetTeam(6)->CreateUnit("O", 4, 0, 0, -1, -1, 0);
        probe->GetTeam(6)->CreateUnit("O", 5, 0, 0, -1, -1, 0);
    };
    script->Initialize(&setup);
    const int first = rec->created[0].unitId;
    EXPECT_FALSE(script->OnUnitCreated(6, first, 501));
    EXPECT_EQ(probe->configured, 0);
    EXPECT_TRUE(script->OnUnitCreated(6, first + 1, 502));
    EXPECT_EQ(probe->configured, 1);
    const auto masks = rec->Of(REQ_SET_EVENT_MASK);
    ASSERT_EQ(masks.size(), 2u);
    EXPECT_EQ(masks[1].first, 0x40007);
    EXPECT_EQ(masks[1].unit, 502);

    // A unit the plug-in never made is adopted through the create callback.
    EXPECT_TRUE(script->OnUnitCreated(3, 42, 503));
    EXPECT_EQ(rec->created.back().adopt, 1);
    EXPECT_EQ(rec->created.back().setupIndex, 503);
    EXPECT_EQ(rec->created.back().classCode, nullptr);
    ASSERT_EQ(probe->added.size(), 1u);
    EXPECT_EQ(probe->added[0]->GetUnitId(), 42);
    EXPECT_EQ(probe->configured, 1);

    rec->refuseAll = true;
    EXPECT_TRUE(script->OnUnitCreated(3, 43, 504));
    EXPECT_EQ(probe->added.size(), 1u);
    // Teams outside 0..19 are ignored.
    rec->refuseAll = false;
    const std::size_t before = rec->created.size();
    EXPECT_TRUE(script->OnUnitCreated(20, 1, 505));
    EXPECT_TRUE(script->OnUnitCreated(-1, 1, 506));
    EXPECT_EQ(rec->created.size(), before);
}

// ---- Dispatch -------------------------------------------------------------------

class Dispatch : public Framework {
protected:
    void SetUp() override {
        Framework::SetUp();
        probe->createUnits = [](int) {
            probe->PlayerTeam()->CreateUnit("F", 1, 0, 0, -1, -1, 0);
            probe->GetTeam(6)->CreateUnit("O", 4, 0, 0, -1, -1, 0);
        };
        probe->handleEvent = [](Ship*, int) { return probe->CheckOutcome(); };
        Start();
        player = 1000;
        enemy = 1001;
    }
    HostHandle player = 0, enemy = 0;
};

TEST_F(Dispatch, TimersAndMenusReachTheHookWithTheirArgument) {
    EXPECT_EQ(Event(EV_TIMER, 13, NO_UNIT_TEAM), 0);
    ASSERT_EQ(probe->handled.size(), 1u);
    EXPECT_EQ(probe->handled[0].first, nullptr);
    EXPECT_EQ(probe->eventArg, 13);
    EXPECT_EQ(Event(EV_MENU, enemy, 6, 3), 0);
    EXPECT_EQ(probe->eventArg, 3);
    EXPECT_EQ(probe->handled.back().first->GetHandle(), enemy);
    EXPECT_EQ(Event(EV_SCAN, enemy, 6, 0x1FF), 0);
    EXPECT_EQ(probe->scanState, 0xFF);
}

TEST_F(Dispatch, DestroyingTheOpponentEndsAndRates) {
    EXPECT_EQ(Event(EV_DESTROYED, enemy, 6), RESULT_DESTROYED);
    // Menu slots 1 and 2 were removed and the destroyed event unwatched.
    const auto menus = rec->Of(REQ_MENU_ITEM);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(std::make_pair(menus[0].second, menus[1].second), std::make_pair(1, 2));
    EXPECT_EQ(rec->Of(REQ_SET_EVENT_MASK).back().first, 0x40006);
    EXPECT_EQ(script->GetScore(5), 2);
    EXPECT_EQ(script->GetEndMessageCount(), 1);
    EXPECT_EQ(Narrow(*script->GetEndMessage(0)), "third");
    const auto marks = rec->Of(REQ_MARK);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(std::make_tuple(marks[0].unit, marks[0].column, marks[0].row), std::make_tuple(HostHandle{-1}, -1, -1));
    // After the end, only kills reach the mission.
    EXPECT_EQ(Event(EV_TIMER, 13, NO_UNIT_TEAM), 0);
    EXPECT_EQ(probe->handled.size(), 1u);
}

TEST_F(Dispatch, APlayerSideResultMayFollowAVictoryOnce) {
    EXPECT_EQ(Event(EV_DESTROYED, enemy, 6), RESULT_DESTROYED);
    EXPECT_EQ(Event(EV_DESTROYED, player, 0), RESULT_PLAYER_DESTROYED);
    EXPECT_EQ(probe->applied.size(), 1u);         // 0x20000 is not rated
    EXPECT_EQ(script->GetEndMessageCount(), 0);  // and leaves no end texts
    EXPECT_EQ(script->GetScore(5), 2);
    probe->handleEvent = [](Ship*, int) { return RESULT_DISABLED; };
    EXPECT_EQ(Event(EV_DESTROYED, player, 0), 0);
}

TEST_F(Dispatch, AnOpponentResultDoesNotReopen) {
    EXPECT_EQ(Event(EV_DESTROYED, enemy, 6), RESULT_DESTROYED);
    probe->handleEvent = [](Ship*, int) { return RESULT_DISABLED; };
    EXPECT_EQ(Event(EV_DESTROYED, enemy, 6), 0);
    EXPECT_EQ(rec->Of(REQ_MARK).size(), 2u);
}

TEST_F(Dispatch, PlayerDisabledDuringAVictoryIsReportedAsOther) {
    probe->rating = 1;
    probe->handleEvent = [](Ship*, int) { return RESULT_PLAYER_DISABLED | static_cast<int>(0x80000000u); };
    EXPECT_EQ(Event(EV_HIT, player, 0), RESULT_OPPONENT_OTHER | static_cast<int>(0x80000000u));
}

TEST_F(Dispatch, ThePlayerLeavingIsLevelFour) {
    EXPECT_EQ(Event(EV_TEAM_LEFT, 0, NO_UNIT_TEAM), RESULT_PLAYER_LEFT);
    EXPECT_EQ(script->GetScore(5), 4);
    ASSERT_EQ(probe->applied.size(), 1u);
    EXPECT_EQ(probe->applied[0], 4);
}

TEST_F(Dispatch, CapturesChangeTeamAndAreWatchedAgain) {
    EXPECT_EQ(Event(EV_CAPTURED, enemy, 6, 0), RESULT_CAPTURED);
    Ship* ship = probe->battle.FindShip(enemy);
    EXPECT_TRUE(ship->HasStatus(CAPTURED));
    EXPECT_EQ(ship->GetTeam(), 0);
    EXPECT_EQ(ship->GetHomeTeam(), 6);
    EXPECT_NE(ship->GetEventMask() & EV_CAPTURED, 0);
    Event(EV_CAPTURED, enemy, 0, 6);  // recaptured by its own side
    EXPECT_FALSE(ship->HasStatus(CAPTURED));
}

TEST_F(Dispatch, PlayerShipFollowsTheHost) {
    Event(EV_PLAYER_SHIP, player, 0, static_cast<int>(enemy));
    EXPECT_EQ(probe->playerShip, probe->battle.FindShip(enemy));
    Event(EV_PLAYER_SHIP, player, 0, 4242);
    EXPECT_EQ(probe->playerShip, nullptr);
}

// Bad input from the host changes nothing and answers 0.
TEST_F(Dispatch, IgnoresWhatItCannotPlace) {
    const struct {
        const char* what;
        int code;
        HostHandle unit;
        int team;
    } cases[] = {
        {"unknown handle", EV_DESTROYED, 999, 6},
        {"unknown handle, no team", EV_HIT, 999, 3},
        {"unit code without a unit", EV_DESTROYED, enemy, NO_UNIT_TEAM},
        {"capture without a unit", EV_CAPTURED, enemy, 25},
        {"team past 19 leaving", EV_TEAM_LEFT, 20, NO_UNIT_TEAM},
        {"negative team leaving", EV_TEAM_LEFT, -3, NO_UNIT_TEAM},
        {"two codes at once", EV_DESTROYED | EV_CAPTURED, enemy, 6},
        {"no code", 0, enemy, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Event(c.code, c.unit, c.team), 0) << c.what;
        EXPECT_TRUE(probe->handled.empty()) << c.what;
    }
    EXPECT_FALSE(probe->battle.FindShip(enemy)->HasStatus(DESTROYED | CAPTURED));
    EXPECT_EQ(probe->battle.FindShip(enemy)->GetEventMask(), DEFAULT_EVENT_MASK);
    // An unknown code reaches the mission like any other and changes nothing.
    EXPECT_EQ(Event(0x200000, enemy, 6), 0);
    EXPECT_EQ(probe->handled.size(), 1u);
    EXPECT_EQ(probe->battle.FindShip(enemy)->GetEventMask(), DEFAULT_EVENT_MASK);
    EXPECT_EQ(script->OnEvent(nullptr), 0);
}

TEST_F(Dispatch, NoExceptionCrossesTheInterface) {
    probe->handleEvent = [](Ship*, int) -> int { throw tStringError(kPastBounds); };
    EXPECT_EQ(Event(EV_HIT, enemy, 6), 0);
    probe->handleEvent = [](Ship*, int) -> int { throw std::bad_alloc(); };
    EXPECT_EQ(Event(EV_HIT, enemy, 6), 0);
}

// ---- Callbacks the host never installed ---------------------------------------

TEST_F(Framework, MissingCallbacksAreNeverCalled) {
    Link() = HostLink{};
    probe->createUnits = [](int) { probe->GetTeam(6)->CreateUnit("O", 4, 0, 0, -1, -1, 0); };
    setup.list1[0] = 40;
    setup.list1[1] = 3;
    setup.list1[2] = 12;
    script->Initialize(&setup);
    EXPECT_EQ(setup.pick1, 3);  // draws answered their low bound
    EXPECT_TRUE(rec->created.empty());
    EXPECT_EQ(probe->GetTeam(6)->Size(), 0);
    BattleState& battle = probe->battle;
    EXPECT_EQ(battle.GetDifficulty(), 0);
    EXPECT_EQ(battle.Ask(1, 2), 0);
    EXPECT_EQ(battle.Random(4, 9), 4);
    Team* player = probe->GetTeam(0);
    UnitSpec creation{};
    creation.points = 50;
    creation.hostId = 1;
    Link().createUnitFn = [](UnitSpec*) {};
    ASSERT_TRUE(player->AddUnit(creation));
    Ship* ship = player->At(0);
    EXPECT_EQ(ship->SetStock(1, 10, 10), 0);
    EXPECT_EQ(ship->GetCondition(), 0.0f);
    EXPECT_EQ(ship->RangeTo(ship), 0.0f);
    int column = -1, row = -1;
    ship->GetPosition(column, row);
    EXPECT_EQ(std::make_pair(column, row), std::make_pair(0, 0));
    battle.ShowMessage(1, MSG_SHORT, nullptr);
    battle.SetTimer(13, 20);
    EXPECT_TRUE(rec->requests.empty());
    EXPECT_TRUE(rec->messages.empty());
}

}  // namespace
