#include "Simulation.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <unordered_map>

namespace host {

// ---------------------------------------------------------------------------
// Unit classes

const char* UnitKindName(UnitKind kind) {
    switch (kind) {
        case UnitKind::Ship: return "ship";
        case UnitKind::Base: return "base";
        case UnitKind::Platform: return "platform";
        case UnitKind::Planet: return "planet";
        case UnitKind::Monster: return "monster";
    }
    return "ship";
}

namespace {

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// The hull part of a class code: after the race prefix ("F-DNH" -> "DNH").
std::string Hull(const std::string& code) {
    const auto dash = code.find('-');
    return dash == std::string::npos ? code : code.substr(dash + 1);
}

bool HullStartsWith(const std::string& hull, std::initializer_list<const char*> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const char* p) { return hull.rfind(p, 0) == 0; });
}

}  // namespace

UnitStats ClassStats(const std::string& code) {
    const std::string hull = Hull(code);
    if (code.rfind("PL", 0) == 0 || hull.rfind("PL", 0) == 0) return {UnitKind::Planet, 3.0f, 8.0f, 0.0f, 200, false};
    if (Contains(code, "BAT") || Contains(code, "BASE") || HullStartsWith(hull, {"SB", "OUT"})) {
        return {UnitKind::Base, 4.0f, 6.0f, 0.0f, 300, false};
    }
    if (Contains(code, "DEF")) return {UnitKind::Platform, 2.0f, 3.0f, 0.0f, 80, false};
    if (code.rfind("M-", 0) == 0) return {UnitKind::Monster, 2.0f, 3.0f, 0.4f, 150, false};
    if (HullStartsWith(hull, {"DN", "BB", "BCH", "CV"})) return {UnitKind::Ship, 3.0f, 3.0f, 0.4f, 150, true};
    if (HullStartsWith(hull, {"CA", "CC", "CL", "CS", "BC", "CW", "NCL", "D7", "LR"})) {
        return {UnitKind::Ship, 2.0f, 2.0f, 0.5f, 100, true};
    }
    return {UnitKind::Ship, 1.0f, 1.0f, 0.6f, 50, true};
}

namespace {
constexpr CatalogueEntry kCatalogue[] = {
    {"ANY-FF", 50}, {"ANY-DD", 75}, {"ANY-CL", 100}, {"ANY-CA", 125}, {"ANY-BCH", 150}, {"ANY-DN", 200},
};
}  // namespace

std::span<const CatalogueEntry> GroupCatalogue() { return kCatalogue; }

const CatalogueEntry& PickGroupClass(int budget, std::mt19937& rng) {
    int within = 0;
    for (const CatalogueEntry& e : kCatalogue) within += e.points <= budget ? 1 : 0;
    if (within == 0) return kCatalogue[0];
    const int pick = std::uniform_int_distribution<int>(0, within - 1)(rng);
    return kCatalogue[pick];  // the catalogue is ordered by points
}

// ---------------------------------------------------------------------------
// Scripted events

namespace {

struct KindWord {
    const char* word;
    ScriptedKind kind;
};
constexpr KindWord kKindWords[] = {
    {"destroy", ScriptedKind::Destroy},  {"capture", ScriptedKind::Capture},
    {"disable", ScriptedKind::Disable},  {"hit", ScriptedKind::Hit},
    {"menu", ScriptedKind::Menu},        {"scan", ScriptedKind::Scan},
    {"probe", ScriptedKind::Probe},      {"orbit", ScriptedKind::OrbitEnter},
    {"leave-orbit", ScriptedKind::OrbitLeave}, {"leave", ScriptedKind::Leave},
    {"timer", ScriptedKind::Timer},
};

bool ParseInt(const std::string& s, int& out) {
    if (s.empty()) return false;
    std::size_t used = 0;
    try {
        out = std::stoi(s, &used, 10);
    } catch (const std::exception&) {
        return false;
    }
    return used == s.size();
}

}  // namespace

const char* ScriptedKindName(ScriptedKind kind) {
    for (const KindWord& k : kKindWords) {
        if (k.kind == kind) return k.word;
    }
    return "?";
}

std::vector<ScriptedEvent> ParseEventScript(std::istream& in) {
    std::vector<ScriptedEvent> events;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        const auto fail = [&](const std::string& why) {
            throw EventScriptError("line " + std::to_string(number) + ": " + why);
        };
        ScriptedEvent e;
        e.line = number;
        if (!ParseInt(w[0], e.time) || e.time < 0) fail("the time '" + w[0] + "' is not a second >= 0");
        if (w.size() < 2) fail("an event word must follow the time");
        const auto k = std::find_if(std::begin(kKindWords), std::end(kKindWords),
                                    [&](const KindWord& kw) { return w[1] == kw.word; });
        if (k == std::end(kKindWords)) fail("unknown event '" + w[1] + "'");
        e.kind = k->kind;
        const auto unitArg = [&](std::size_t i) {
            if (w.size() <= i) fail(std::string(k->word) + " needs a unit TEAM:INDEX");
            const auto colon = w[i].find(':');
            if (colon == std::string::npos || !ParseInt(w[i].substr(0, colon), e.team) ||
                !ParseInt(w[i].substr(colon + 1), e.index) || e.team < 0 || e.team > 19 || e.index < 0) {
                fail("'" + w[i] + "' is not a unit TEAM:INDEX (team 0..19, index from 0)");
            }
        };
        const auto intArg = [&](std::size_t i, const char* what, std::optional<int> fallback) {
            if (w.size() <= i) {
                if (!fallback) fail(std::string(k->word) + " needs " + what);
                return *fallback;
            }
            int v = 0;
            if (!ParseInt(w[i], v)) fail("'" + w[i] + "' is not a number (" + what + ")");
            return v;
        };
        std::size_t expected = 3;
        switch (e.kind) {
            case ScriptedKind::Destroy: case ScriptedKind::Disable: case ScriptedKind::Probe:
            case ScriptedKind::OrbitEnter: case ScriptedKind::OrbitLeave:
                unitArg(2);
                break;
            case ScriptedKind::Capture:
                unitArg(2);
                e.value = intArg(3, "the new team", std::nullopt);
                if (e.value < 0 || e.value > 19) fail("the new team must be 0..19");
                expected = 4;
                break;
            case ScriptedKind::Menu:
                unitArg(2);
                e.value = intArg(3, "the text index of the entry", std::nullopt);
                expected = 4;
                break;
            case ScriptedKind::Scan:
                unitArg(2);
                e.value = intArg(3, "the scan state", -1);
                expected = 4;
                break;
            case ScriptedKind::Hit:
                unitArg(2);
                e.value = intArg(3, "the damage", 10);
                expected = 4;
                break;
            case ScriptedKind::Leave:
                e.team = intArg(2, "a team", std::nullopt);
                if (e.team < 0 || e.team > 19) fail("the team must be 0..19");
                break;
            case ScriptedKind::Timer:
                e.value = intArg(2, "a timer number", std::nullopt);
                break;
        }
        if (w.size() > expected) fail("unexpected '" + w[expected] + "'");
        events.push_back(e);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.time < b.time; });
    return events;
}

std::vector<ScriptedEvent> LoadEventScript(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw EventScriptError("cannot open event file '" + path + "'");
    try {
        return ParseEventScript(in);
    } catch (const EventScriptError& e) {
        throw EventScriptError(path + ": " + e.what());
    }
}

// ---------------------------------------------------------------------------
// Names

std::vector<std::string> ResultFlagNames(int result) {
    static const std::pair<int, const char*> kFlags[] = {
        {RESULT_CAPTURED, "RESULT_CAPTURED"},
        {RESULT_DESTROYED, "RESULT_DESTROYED"},
        {RESULT_DISABLED, "RESULT_DISABLED"},
        {RESULT_OPPONENT_OTHER, "RESULT_OPPONENT_OTHER"},
        {RESULT_PLAYER_DISABLED, "RESULT_PLAYER_DISABLED"},
        {RESULT_PLAYER_LEFT, "RESULT_PLAYER_LEFT"},
        {RESULT_PLAYER_DESTROYED, "RESULT_PLAYER_DESTROYED"},
        {RESULT_PLAYER_CAPTURED, "RESULT_PLAYER_CAPTURED"},
    };
    std::vector<std::string> names;
    for (int bit = 0; bit < 32; ++bit) {
        const auto flag = static_cast<int>(1u << bit);
        if ((result & flag) == 0) continue;
        const auto it = std::find_if(std::begin(kFlags), std::end(kFlags),
                                     [flag](const auto& f) { return f.first == flag; });
        if (it != std::end(kFlags)) {
            names.emplace_back(it->second);
        } else {
            std::ostringstream o;
            o << "0x" << std::hex << static_cast<unsigned>(flag);
            names.push_back(o.str());
        }
    }
    return names;
}

std::string MessageKindName(int kind) {
    switch (kind) {
        case MSG_SHORT: return "short";
        case MSG_ALARM: return "alarm";
        case MSG_REPLY: return "reply";
        case MSG_NOTICE: return "notice";
        default: return "kind " + std::to_string(kind);
    }
}

std::vector<int> MaskBits(int mask) {
    std::vector<int> bits;
    for (int n = 0; n < 32; ++n) {
        if ((static_cast<unsigned>(mask) >> n) & 1u) bits.push_back(n);
    }
    return bits;
}

std::string UnitLabel(int team, int index) { return std::to_string(team) + ":" + std::to_string(index); }

// ---------------------------------------------------------------------------
// The world

namespace {

constexpr int kTeams = 20;
constexpr float kWeaponRange = 10.0f;
constexpr double kHitChance = 0.7;
constexpr float kDamagePerPower = 1.2f;
constexpr float kPlayerFire = 2.5f;
constexpr float kBadlyDamaged = 75.0f;
constexpr double kDisableChance = 0.03;
constexpr double kCaptureChance = 0.02;
constexpr int kRetargetEvery = 5;
constexpr float kEnemyFire[] = {0.5f, 0.75f, 1.0f};

struct SimUnit {
    HostHandle handle = 0;
    int homeTeam = 0;
    int team = 0;
    int index = 0;
    std::string classCode;
    std::string name;
    UnitStats stats;
    float x = 1, y = 1;                  // cell, counted from 1
    float damage = 0;                    // percent
    bool destroyed = false, disabled = false, captured = false, withdrawn = false;
    HostHandle orderTarget = 0;
    HostHandle chosenTarget = 0;         // the nearest enemy, refreshed every few seconds
    int retargetAt = 0;
    bool moving = false;
    float destX = 0, destY = 0;
    bool attribute29 = false;
    std::map<int, int> menu;             // slot -> text index
    std::map<int, std::string> menuText;  // slot -> text
    int scanState = 0;
    bool inOrbit = false;
    float pendingDamage = 0;
    HostHandle lastAttacker = 0;

    int Column() const { return static_cast<int>(std::lround(x)); }
    int Row() const { return static_cast<int>(std::lround(y)); }
};

float Distance(const SimUnit& a, const SimUnit& b) { return std::hypot(a.x - b.x, a.y - b.y); }

class Simulation {
public:
    Simulation(Plugin& plugin, const PlayOptions& options, const FactSink& sink)
        : battle_(plugin), options_(options), sink_(sink) {
        std::seed_seq seq{options.seed, 0x5eedu};
        world_.seed(seq);
        for (auto& row : relation_) row.fill(0);
        enemyFire_ = options.difficulty >= 0 && options.difficulty <= 2 ? kEnemyFire[options.difficulty] : 1.0f;
    }

    BattleOutcome Run();
    void SetUp();
    Battle& battle() { return battle_; }

private:
    // ---- plumbing
    void Emit(nlohmann::json fact) {
        if (!sink_) return;
        fact["t"] = now_;
        sink_(fact);
    }
    void AfterCall();            // place new units, sync them, report the plug-in's doings
    void FlushLog();
    void SyncUnits();
    SimUnit* Find(HostHandle handle);
    SimUnit* FindByLabel(int team, int index);
    nlohmann::json Describe(const SimUnit& u) const;
    nlohmann::json DescribeHandle(HostHandle handle);

    // ---- requests (inside the plug-in's calls)
    void OnRequest(RawRequest& r);
    void OnCreate(const UnitSpec& creation, UnitRecord& unit);

    // ---- events
    bool Send(int code, HostHandle unit, int team, int v1, nlohmann::json fact);
    bool Watches(const SimUnit& u, int code) const { return battle_.Watches(u.handle, code); }
    bool Active(const SimUnit& u) const {
        return !u.destroyed && !u.disabled && !u.captured && !u.withdrawn && !left_[Team(u)];
    }
    static int Team(const SimUnit& u) { return std::clamp(u.team, 0, kTeams - 1); }
    bool UnitEvent(SimUnit& u, int code, int v1, nlohmann::json fact);
    bool DestroyUnit(SimUnit& u, const char* cause);
    bool DisableUnit(SimUnit& u, const char* cause);
    bool CaptureUnit(SimUnit& u, int newTeam, const char* cause);
    bool TeamLeaves(int team, const char* cause);
    bool FireTimer(int number);
    bool CheckCommand();

    // ---- the seconds
    bool Scripted(const ScriptedEvent& e);
    bool DueTimers();
    bool Moves();
    bool Player();
    bool Combat();
    SimUnit* TargetOf(SimUnit& u);
    void Step(SimUnit& u, float toX, float toY, float keepAway);
    int Roll(int low, int high) { return std::uniform_int_distribution<int>(low, high)(world_); }
    bool Chance(double p) { return std::generate_canonical<double, 32>(world_) < p; }

    Battle battle_;
    const PlayOptions& options_;
    const FactSink& sink_;
    std::mt19937 world_;
    float enemyFire_ = 1.0f;

    int now_ = 0;
    int result_ = 0;
    bool ended_ = false;
    std::size_t logCursor_ = 0;
    std::size_t syncCursor_ = 0;
    std::deque<SimUnit> units_;
    std::unordered_map<HostHandle, std::size_t> byHandle_;
    std::array<int, kTeams> teamCounts_{};
    std::array<std::array<int, kTeams>, kTeams> relation_{};
    std::array<bool, kTeams> left_{};
    HostHandle commanded_ = 0;
    struct Timer {
        int due;
        long serial;
    };
    std::map<int, Timer> timers_;
    long timerSerial_ = 0;
    std::vector<std::pair<HostHandle, bool>> queuedDestroys_;  // set by attributes during a call
    int nextMenu_ = 0, nextScan_ = 0, nextProbe_ = 0, nextOrbit_ = 0;
};

// ---------------------------------------------------------------------------

SimUnit* Simulation::Find(HostHandle handle) {
    if (const auto it = byHandle_.find(handle); it != byHandle_.end()) return &units_[it->second];
    SyncUnits();
    if (const auto it = byHandle_.find(handle); it != byHandle_.end()) return &units_[it->second];
    return nullptr;
}

SimUnit* Simulation::FindByLabel(int team, int index) {
    SyncUnits();
    for (SimUnit& u : units_) {
        if (u.homeTeam == team && u.index == index) return &u;
    }
    return nullptr;
}

// Adds every placed unit of the Battle, in creation order.
void Simulation::SyncUnits() {
    const auto& records = battle_.Units();
    while (syncCursor_ < records.size()) {
        const UnitRecord& r = records[syncCursor_];
        if (r.refused || !r.created) {
            ++syncCursor_;
            continue;
        }
        if (!r.placed) break;
        SimUnit u;
        u.handle = r.handle;
        u.homeTeam = r.team;
        u.team = r.currentTeam;
        u.index = teamCounts_[static_cast<std::size_t>(std::clamp(r.team, 0, kTeams - 1))]++;
        u.classCode = r.chosenClass;
        u.stats = ClassStats(r.chosenClass);
        u.x = static_cast<float>(r.placedColumn);
        u.y = static_cast<float>(r.placedRow);
        byHandle_[u.handle] = units_.size();
        units_.push_back(std::move(u));
        ++syncCursor_;
    }
}

nlohmann::json Simulation::Describe(const SimUnit& u) const {
    nlohmann::json j{{"unit", UnitLabel(u.homeTeam, u.index)}, {"class", u.classCode}};
    if (!u.name.empty()) j["name"] = u.name;
    return j;
}

nlohmann::json Simulation::DescribeHandle(HostHandle handle) {
    if (const SimUnit* u = Find(handle)) return Describe(*u);
    return nlohmann::json{{"handle", handle}};
}

void Simulation::OnCreate(const UnitSpec& creation, UnitRecord& unit) {
    if (unit.adopt) return;
    if (creation.classCode == nullptr) {
        const CatalogueEntry& pick = PickGroupClass(creation.hostId, world_);
        unit.chosenClass = pick.classCode;
        unit.points = pick.points;
    } else {
        unit.points = ClassStats(unit.chosenClass).points;
    }
}

void Simulation::OnRequest(RawRequest& r) {
    SimUnit* u = r.unit > 0 ? Find(r.unit) : nullptr;
    switch (r.code) {
        case REQ_QUERY: {
            const SimUnit* other = Find(static_cast<HostHandle>(r.second));
            r.value = u != nullptr && other != nullptr ? Distance(*u, *other) : 0.0f;
            break;
        }
        case REQ_GET_CONDITION:
            r.value = u != nullptr ? std::min(u->damage, 100.0f) : 0.0f;
            break;
        case REQ_GET_POSITION:
            if (u != nullptr) {
                r.column = u->Column() - 1;
                r.row = u->Row() - 1;
            }
            break;
        case REQ_ASK:
            r.first = options_.askAnswer ? *options_.askAnswer : Roll(0, 1);
            break;
        case REQ_MOVE_TO:
            if (u != nullptr) {
                u->moving = true;
                u->destX = static_cast<float>(r.column + 1);
                u->destY = static_cast<float>(r.row + 1);
            }
            break;
        case REQ_ORDER:
            if (u != nullptr && r.first == 0) u->orderTarget = r.third;
            if (u != nullptr && r.first == 2) u->withdrawn = true;
            break;
        case REQ_TAKE_COMMAND:
            if (u != nullptr) commanded_ = u->handle;
            break;
        case REQ_SET_RELATION:
            if (r.second >= 0 && r.second < kTeams && r.third >= 0 && r.third < kTeams) {
                relation_[static_cast<std::size_t>(r.second)][static_cast<std::size_t>(r.third)] = r.first;
            }
            break;
        case REQ_SET_ATTRIBUTE:
            if (u == nullptr) break;
            if (r.first == 29) u->attribute29 = r.value >= 100.0f;
            if (r.first == 70 && r.value > 0.0f && !u->destroyed) {
                u->damage += r.value;
                if (u->damage >= 100.0f) queuedDestroys_.emplace_back(u->handle, u->attribute29);
            }
            break;
        case REQ_MENU_ITEM:
            if (u == nullptr) break;
            if (r.first >= 0) {
                u->menu[r.second] = r.first;
                u->menuText[r.second] = ReadText(&r.text);
            } else {
                u->menu.erase(r.second);
                u->menuText.erase(r.second);
            }
            break;
        case REQ_SET_TIMER:
            timers_[r.second] = Timer{now_ + std::max(1, r.first), timerSerial_++};
            break;
        case REQ_SET_NAME:
            if (u != nullptr && r.name != nullptr) u->name = r.name;
            break;
        default:
            break;
    }
}

void Simulation::AfterCall() {
    battle_.PlaceUnits();
    SyncUnits();
    FlushLog();
}

// The plug-in's doings since the last flush, as facts.
void Simulation::FlushLog() {
    const auto& log = battle_.Log();
    if (!sink_) {
        logCursor_ = log.size();
        return;
    }
    for (; logCursor_ < log.size(); ++logCursor_) {
        const LogEntry& e = log[logCursor_];
        if (e.kind == LogKind::Message) {
            const Message& m = battle_.Messages()[e.index];
            nlohmann::json f{{"type", "message"}, {"kind", m.kind}, {"kind_name", MessageKindName(m.kind)},
                             {"text", m.text}};
            if (m.unit != 0) f["about"] = DescribeHandle(m.unit);
            Emit(std::move(f));
        } else if (e.kind == LogKind::Creation) {
            const UnitRecord& u = battle_.Units()[e.index];
            nlohmann::json f{{"type", u.refused ? "refused" : "created"}, {"team", u.team}, {"class", u.chosenClass}};
            if (u.hasClassCode == false && !u.adopt) f["budget"] = u.budget;
            if (const SimUnit* s = u.placed ? Find(u.handle) : nullptr) {
                f["unit"] = UnitLabel(s->homeTeam, s->index);
                f["cell"] = {u.placedColumn, u.placedRow};
                f["second_cell"] = {u.placedColumn2, u.placedRow2};
                if (u.marker > 0) f["marker"] = u.marker;
                if (u.marker > 0 && !u.markerFound) f["off_map"] = true;
                f["points"] = u.points;
            }
            Emit(std::move(f));
        } else if (e.kind == LogKind::Request) {
            const Request& r = battle_.Requests()[e.index];
            switch (r.code) {
                case REQ_PLAY_SOUND:
                    Emit({{"type", "sound"}, {"sound", r.first}});
                    break;
                case REQ_SET_TIMER:
                    Emit({{"type", "timer_set"}, {"timer", r.second}, {"duration", r.first}});
                    break;
                case REQ_MENU_ITEM: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    f["type"] = r.first >= 0 ? "menu_offered" : "menu_removed";
                    f["slot"] = r.second;
                    if (r.first >= 0) {
                        f["text_index"] = r.first;
                        f["text"] = r.text;
                    }
                    Emit(std::move(f));
                    break;
                }
                case REQ_SET_NAME: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    f["type"] = "named";
                    f["name"] = r.name.value_or("");
                    Emit(std::move(f));
                    break;
                }
                case REQ_ORDER: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    if (r.first == 0) {
                        f["type"] = "order";
                        f["order"] = r.second;
                        f["target"] = DescribeHandle(r.third);
                    } else {
                        f["type"] = "withdraw";
                    }
                    Emit(std::move(f));
                    break;
                }
                case REQ_MOVE_TO: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    f["type"] = "move";
                    f["to"] = {r.column + 1, r.row + 1};
                    f["value"] = r.value;
                    Emit(std::move(f));
                    break;
                }
                case REQ_ASK:
                    Emit({{"type", "ask"}, {"text", r.text}, {"answer", r.answerInt.value_or(0)}});
                    break;
                case REQ_TAKE_COMMAND: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    f["type"] = "command";
                    Emit(std::move(f));
                    break;
                }
                case REQ_SET_RELATION:
                    Emit({{"type", "relation"}, {"team", r.second}, {"towards", r.third}, {"relation", r.first},
                          {"second", r.fourth}});
                    break;
                case REQ_SET_ATTRIBUTE: {
                    nlohmann::json f = DescribeHandle(r.unit);
                    f["type"] = "attribute";
                    f["attribute"] = r.first;
                    f["value"] = r.value;
                    Emit(std::move(f));
                    break;
                }
                case REQ_SET_MAP_CELL:
                    Emit({{"type", "map_cell"},
                          {"cell", {r.column + 1, r.row + 1}},
                          {"char", std::string(1, static_cast<char>(r.first & 0x7f))}});
                    break;
                case REQ_NEXT_SCRIPT:
                    Emit({{"type", "next_script_set"}, {"name", r.text}});
                    break;
                default:
                    break;
            }
        }
    }
}

// Sends one event and reports it; true when the battle has ended.
bool Simulation::Send(int code, HostHandle unit, int team, int v1, nlohmann::json fact) {
    const int result = battle_.Event(code, unit, team, v1);
    fact["event"] = EventName(code);
    fact["reported"] = true;
    fact["result"] = result;
    Emit(std::move(fact));
    AfterCall();
    if (result != 0 && !ended_) {
        ended_ = true;
        result_ = result;
    }
    return ended_;
}

// A unit event: sent only when the unit's last mask holds the code.
bool Simulation::UnitEvent(SimUnit& u, int code, int v1, nlohmann::json fact) {
    if (!Watches(u, code)) {
        fact["event"] = EventName(code);
        fact["reported"] = false;
        Emit(std::move(fact));
        return ended_;
    }
    return Send(code, u.handle, u.team, v1, std::move(fact));
}

bool Simulation::DestroyUnit(SimUnit& u, const char* cause) {
    if (u.destroyed) return ended_;
    u.destroyed = true;
    u.moving = false;
    u.menu.clear();
    u.menuText.clear();
    nlohmann::json f = Describe(u);
    f["type"] = "destroyed";
    f["cause"] = cause;
    return UnitEvent(u, EV_DESTROYED, 0, std::move(f));
}

bool Simulation::DisableUnit(SimUnit& u, const char* cause) {
    if (u.destroyed || u.disabled) return ended_;
    u.disabled = true;
    u.moving = false;
    nlohmann::json f = Describe(u);
    f["type"] = "disabled";
    f["cause"] = cause;
    return UnitEvent(u, EV_DISABLED, 0, std::move(f));
}

bool Simulation::CaptureUnit(SimUnit& u, int newTeam, const char* cause) {
    if (u.destroyed) return ended_;
    u.captured = newTeam != u.homeTeam;
    const int oldTeam = u.team;
    u.team = newTeam;
    u.moving = false;
    nlohmann::json f = Describe(u);
    f["type"] = "captured";
    f["by_team"] = newTeam;
    f["cause"] = cause;
    if (!Watches(u, EV_CAPTURED)) {
        f["event"] = EventName(EV_CAPTURED);
        f["reported"] = false;
        Emit(std::move(f));
        return ended_;
    }
    return Send(EV_CAPTURED, u.handle, oldTeam, newTeam, std::move(f));
}

bool Simulation::TeamLeaves(int team, const char* cause) {
    if (team >= 0 && team < kTeams) left_[static_cast<std::size_t>(team)] = true;
    return Send(EV_TEAM_LEFT, team, NO_UNIT_TEAM, 0, {{"type", "team_left"}, {"team", team}, {"cause", cause}});
}

bool Simulation::FireTimer(int number) {
    timers_.erase(number);
    return Send(EV_TIMER, number, NO_UNIT_TEAM, 0, {{"type", "timer"}, {"timer", number}});
}

// The player's commanded unit out of action: command passes to the next
// active unit of the player's team.
bool Simulation::CheckCommand() {
    SimUnit* current = commanded_ != 0 ? Find(commanded_) : nullptr;
    if (current == nullptr || Active(*current)) return ended_;
    for (SimUnit& u : units_) {
        if (u.team == options_.playerTeam && Active(u)) {
            commanded_ = u.handle;
            nlohmann::json f = Describe(u);
            f["type"] = "player_ship";
            return UnitEvent(u, EV_PLAYER_SHIP, static_cast<int>(u.handle), std::move(f));
        }
    }
    commanded_ = 0;
    return ended_;
}

// ---------------------------------------------------------------------------
// The seconds

bool Simulation::Scripted(const ScriptedEvent& e) {
    const auto skip = [&](const std::string& why) {
        Emit({{"type", "skipped"}, {"line", e.line}, {"event", ScriptedKindName(e.kind)}, {"why", why}});
        return ended_;
    };
    if (e.kind == ScriptedKind::Leave) return TeamLeaves(e.team, "script");
    if (e.kind == ScriptedKind::Timer) return FireTimer(e.value);
    SimUnit* u = FindByLabel(e.team, e.index);
    if (u == nullptr) return skip("no unit " + UnitLabel(e.team, e.index));
    switch (e.kind) {
        case ScriptedKind::Destroy: return DestroyUnit(*u, "script");
        case ScriptedKind::Disable: return DisableUnit(*u, "script");
        case ScriptedKind::Capture: return CaptureUnit(*u, e.value, "script");
        case ScriptedKind::Hit: {
            u->damage += static_cast<float>(e.value);
            nlohmann::json f = Describe(*u);
            f["type"] = "hit";
            f["damage"] = u->damage;
            if (UnitEvent(*u, EV_HIT, 0, std::move(f))) return true;
            return u->damage >= 100.0f ? DestroyUnit(*u, "script") : ended_;
        }
        case ScriptedKind::Menu: {
            const auto slot = std::find_if(u->menu.begin(), u->menu.end(),
                                           [&](const auto& m) { return m.second == e.value; });
            if (slot == u->menu.end()) return skip("no menu entry " + std::to_string(e.value) + " on the unit");
            nlohmann::json f = Describe(*u);
            f["type"] = "menu_chosen";
            f["slot"] = slot->first;
            f["text_index"] = e.value;
            f["text"] = u->menuText[slot->first];
            u->menuText.erase(slot->first);
            u->menu.erase(slot);
            return Send(EV_MENU, u->handle, u->team, e.value, std::move(f));
        }
        case ScriptedKind::Scan: {
            u->scanState = e.value >= 0 ? e.value : (u->scanState == 0 ? 1 : 0);
            nlohmann::json f = Describe(*u);
            f["type"] = "scan";
            f["state"] = u->scanState;
            return UnitEvent(*u, EV_SCAN, u->scanState, std::move(f));
        }
        case ScriptedKind::Probe: {
            nlohmann::json f = Describe(*u);
            f["type"] = "probe";
            return UnitEvent(*u, EV_PROBE, 0, std::move(f));
        }
        case ScriptedKind::OrbitEnter: case ScriptedKind::OrbitLeave: {
            const bool enter = e.kind == ScriptedKind::OrbitEnter;
            u->inOrbit = enter;
            nlohmann::json f = Describe(*u);
            f["type"] = enter ? "orbit_entered" : "orbit_left";
            return UnitEvent(*u, enter ? EV_ORBIT_ENTER : EV_ORBIT_LEAVE, 0, std::move(f));
        }
        default:
            return ended_;
    }
}

bool Simulation::DueTimers() {
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > now_) continue;
            if (next == timers_.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.serial < next->second.serial)) {
                next = it;
            }
        }
        if (next == timers_.end()) return ended_;
        if (FireTimer(next->first)) return true;
    }
}

void Simulation::Step(SimUnit& u, float toX, float toY, float keepAway) {
    const float dx = toX - u.x, dy = toY - u.y;
    const float d = std::hypot(dx, dy);
    const float go = std::min(u.stats.speed, d - keepAway);
    if (go <= 0.0f || d <= 0.0f) return;
    u.x += dx / d * go;
    u.y += dy / d * go;
}

bool Simulation::Moves() {
    for (std::size_t i = 0; i < units_.size(); ++i) {
        SimUnit& u = units_[i];
        if (!u.moving || !Active(u)) continue;
        const float speed = u.stats.speed > 0.0f ? u.stats.speed : 0.5f;  // ordered moves move anything
        const float dx = u.destX - u.x, dy = u.destY - u.y;
        const float d = std::hypot(dx, dy);
        if (d > speed) {
            u.x += dx / d * speed;
            u.y += dy / d * speed;
            continue;
        }
        u.x = u.destX;
        u.y = u.destY;
        u.moving = false;
        nlohmann::json f = Describe(u);
        f["type"] = "arrived";
        f["cell"] = {u.Column(), u.Row()};
        if (UnitEvent(u, EV_ARRIVED, 0, std::move(f))) return true;
    }
    return ended_;
}

// The simulated player: menus, scans, probes and orbits on a seeded schedule.
bool Simulation::Player() {
    if (now_ >= nextMenu_) {
        nextMenu_ = now_ + Roll(20, 60);
        std::vector<std::pair<SimUnit*, int>> entries;
        for (SimUnit& u : units_) {
            if (!Active(u)) continue;
            for (const auto& m : u.menu) entries.emplace_back(&u, m.first);
        }
        if (!entries.empty()) {
            auto [u, slot] = entries[static_cast<std::size_t>(Roll(0, static_cast<int>(entries.size()) - 1))];
            const int text = u->menu[slot];
            nlohmann::json f = Describe(*u);
            f["type"] = "menu_chosen";
            f["slot"] = slot;
            f["text_index"] = text;
            f["text"] = u->menuText[slot];
            u->menu.erase(slot);
            u->menuText.erase(slot);
            if (Send(EV_MENU, u->handle, u->team, text, std::move(f))) return true;
        }
    }
    const auto pick = [&](auto&& eligible) -> SimUnit* {
        std::vector<SimUnit*> c;
        for (SimUnit& u : units_) {
            if (Active(u) && eligible(u)) c.push_back(&u);
        }
        return c.empty() ? nullptr : c[static_cast<std::size_t>(Roll(0, static_cast<int>(c.size()) - 1))];
    };
    if (now_ >= nextScan_) {
        nextScan_ = now_ + Roll(30, 90);
        if (SimUnit* u = pick([&](const SimUnit& s) { return Watches(s, EV_SCAN); })) {
            u->scanState = u->scanState == 0 ? 1 : 0;
            nlohmann::json f = Describe(*u);
            f["type"] = "scan";
            f["state"] = u->scanState;
            if (Send(EV_SCAN, u->handle, u->team, u->scanState, std::move(f))) return true;
        }
    }
    if (now_ >= nextProbe_) {
        nextProbe_ = now_ + Roll(40, 120);
        if (SimUnit* u = pick([&](const SimUnit& s) { return s.team == options_.playerTeam && Watches(s, EV_PROBE); })) {
            nlohmann::json f = Describe(*u);
            f["type"] = "probe";
            if (Send(EV_PROBE, u->handle, u->team, 0, std::move(f))) return true;
        }
    }
    if (now_ >= nextOrbit_) {
        nextOrbit_ = now_ + Roll(20, 60);
        if (SimUnit* u = pick([&](const SimUnit& s) {
                return s.team == options_.playerTeam &&
                       Watches(s, s.inOrbit ? EV_ORBIT_LEAVE : EV_ORBIT_ENTER);
            })) {
            u->inOrbit = !u->inOrbit;
            const int code = u->inOrbit ? EV_ORBIT_ENTER : EV_ORBIT_LEAVE;
            HostHandle planet = 0;
            float best = 0;
            for (const SimUnit& p : units_) {
                if (p.stats.kind != UnitKind::Planet || p.destroyed) continue;
                if (planet == 0 || Distance(*u, p) < best) {
                    planet = p.handle;
                    best = Distance(*u, p);
                }
            }
            nlohmann::json f = Describe(*u);
            f["type"] = u->inOrbit ? "orbit_entered" : "orbit_left";
            if (planet != 0) f["planet"] = DescribeHandle(planet);
            if (Send(code, u->handle, u->team, static_cast<int>(planet), std::move(f))) return true;
        }
    }
    return ended_;
}

SimUnit* Simulation::TargetOf(SimUnit& u) {
    if (u.orderTarget != 0) {
        if (SimUnit* t = Find(u.orderTarget); t != nullptr && Active(*t) && t->handle != u.handle) return t;
    }
    if (u.chosenTarget != 0 && now_ < u.retargetAt) {
        if (SimUnit* t = Find(u.chosenTarget); t != nullptr && Active(*t)) return t;
    }
    SimUnit* best = nullptr;
    float bestDistance = 0;
    const auto& hostile = relation_[static_cast<std::size_t>(Team(u))];
    for (SimUnit& t : units_) {
        if (&t == &u || !Active(t) || hostile[static_cast<std::size_t>(Team(t))] != 6) continue;
        const float d = Distance(u, t);
        if (best == nullptr || d < bestDistance) {
            best = &t;
            bestDistance = d;
        }
    }
    u.chosenTarget = best != nullptr ? best->handle : 0;
    u.retargetAt = now_ + kRetargetEvery;
    return best;
}

bool Simulation::Combat() {
    for (std::size_t i = 0; i < units_.size(); ++i) {
        SimUnit& u = units_[i];
        if (!Active(u)) continue;
        SimUnit* t = TargetOf(u);
        if (t == nullptr) continue;
        if (Distance(u, *t) > kWeaponRange) {
            if (!u.moving) Step(u, t->x, t->y, kWeaponRange * 0.8f);
            continue;
        }
        if (!Chance(kHitChance)) continue;
        const float fire = u.team == options_.playerTeam ? kPlayerFire : enemyFire_;
        const float roll = 0.5f + static_cast<float>(std::generate_canonical<double, 32>(world_));
        t->pendingDamage += kDamagePerPower * u.stats.power * fire * roll / t->stats.toughness;
        t->lastAttacker = u.handle;
    }
    for (std::size_t i = 0; i < units_.size(); ++i) {
        SimUnit& u = units_[i];
        if (u.pendingDamage <= 0.0f) continue;
        u.damage += u.pendingDamage;
        u.pendingDamage = 0.0f;
        if (!Active(u)) continue;
        const SimUnit* attacker = Find(u.lastAttacker);
        if (Watches(u, EV_HIT)) {
            nlohmann::json f = Describe(u);
            f["type"] = "hit";
            f["damage"] = std::min(u.damage, 100.0f);
            if (attacker != nullptr) f["by"] = UnitLabel(attacker->homeTeam, attacker->index);
            if (Send(EV_HIT, u.handle, u.team, static_cast<int>(u.lastAttacker), std::move(f))) return true;
            if (!Active(u)) continue;
        }
        if (u.damage >= 100.0f) {
            if (DestroyUnit(u, "fire")) return true;
        } else if (u.damage >= kBadlyDamaged && u.stats.capturable) {
            if (Chance(kDisableChance)) {
                if (DisableUnit(u, "fire")) return true;
            } else if (attacker != nullptr && attacker->team != u.team && Chance(kCaptureChance)) {
                if (CaptureUnit(u, attacker->team, "boarded")) return true;
            }
        }
    }
    return ended_;
}

void Simulation::SetUp() {
    battle_.SetRequestHook([this](RawRequest& r) { OnRequest(r); });
    battle_.SetCreationHook([this](const UnitSpec& s, UnitRecord& u) { OnCreate(s, u); });
    battle_.SetDifficulty(options_.difficulty);
    battle_.SeedRandom(options_.seed);
    battle_.setup().playerTeam = options_.playerTeam;
    battle_.setup().playerRace = options_.playerRace;
    for (const std::string& ship : options_.ships) battle_.AddSetupUnit(ship);
    battle_.Initialize();
    Emit({{"type", "start"}, {"title", battle_.Title()}, {"map", battle_.MapName()}, {"seed", options_.seed},
          {"difficulty", options_.difficulty}, {"team", options_.playerTeam}});
    AfterCall();
}

BattleOutcome Simulation::Run() {
    SetUp();
    BattleOutcome out;
    out.title = battle_.Title();
    out.mapName = battle_.MapName();

    const bool automatic = !options_.script.has_value();
    const std::vector<ScriptedEvent> none;
    const std::vector<ScriptedEvent>& script = automatic ? none : *options_.script;
    std::size_t nextScripted = 0;
    nextMenu_ = Roll(10, 40);
    nextScan_ = Roll(20, 60);
    nextProbe_ = Roll(30, 90);
    nextOrbit_ = Roll(30, 90);

    for (now_ = 0;; ++now_) {
        while (!ended_ && nextScripted < script.size() && script[nextScripted].time <= now_) {
            Scripted(script[nextScripted++]);
        }
        if (ended_) break;
        if (now_ == 0) continue;  // the setup second: only scripted events
        if (DueTimers() || Moves()) break;
        if (automatic && (Player() || Combat())) break;
        while (!queuedDestroys_.empty() && !ended_) {
            const auto [handle, ordered] = queuedDestroys_.front();
            queuedDestroys_.erase(queuedDestroys_.begin());
            if (SimUnit* u = Find(handle)) DestroyUnit(*u, ordered ? "self-destruct" : "damage");
        }
        if (ended_ || CheckCommand()) break;
        if (options_.disengageAt && now_ == *options_.disengageAt) {
            out.disengaged = true;
            if (TeamLeaves(options_.playerTeam, "disengage")) break;
        }
        if (now_ >= options_.maxTime) {
            out.disengaged = true;
            TeamLeaves(options_.playerTeam, "time limit");
            break;
        }
    }
    // Destructions ordered in the last call still happen, unreported.
    out.result = result_;
    out.endTime = now_;
    Emit({{"type", "end"}, {"result", result_}, {"flags", ResultFlagNames(result_)}});

    out.endTexts = battle_.EndTexts();
    out.level = battle_.OutcomeLevel();
    out.prestige = battle_.Prestige();
    Emit({{"type", "outcome"}, {"level", out.level}});
    for (std::size_t i = 0; i < out.endTexts.size(); ++i) {
        Emit({{"type", "end_text"}, {"index", i}, {"text", out.endTexts[i]}});
    }
    Emit({{"type", "prestige"}, {"values", out.prestige}});
    out.finish = battle_.Finish(result_);
    AfterCall();
    out.nextScript = battle_.NextScript();
    Emit({{"type", "next_script"}, {"name", out.nextScript ? nlohmann::json(*out.nextScript) : nlohmann::json()}});
    return out;
}

}  // namespace

BattleOutcome PlayBattle(Plugin& plugin, const PlayOptions& options, const FactSink& sink) {
    Simulation sim(plugin, options, sink);
    return sim.Run();
}

void DrySetup(Plugin& plugin, const PlayOptions& options, const std::function<void(Battle& battle)>& examine) {
    const FactSink none;
    Simulation sim(plugin, options, none);
    sim.SetUp();
    examine(sim.battle());
}

}  // namespace host
