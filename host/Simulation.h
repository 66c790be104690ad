// The simulated battle: plays one battle of a plug-in through host::Battle
// on a grid-cell world, second by second, deterministic for a seed.
//
//   host::PlayOptions o;  o.seed = 7;
//   host::BattleOutcome r = host::PlayBattle(plugin, o, [](const nlohmann::json& fact) { ... });
//
// The rules (units, fire, damage, the simulated player, timers, moves)
// are described in docs/battle-model.md. Every fact of the battle (a
// message, a unit destroyed, a menu chosen...) goes to the sink as one
// JSON object with at least "t" (the simulated second) and "type".
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "StandInHost.h"

namespace host {

// ---------------------------------------------------------------------------
// Unit classes

enum class UnitKind { Ship, Base, Platform, Planet, Monster };
const char* UnitKindName(UnitKind kind);

// What the world makes of a ship-class code (see docs/battle-model.md).
struct UnitStats {
    UnitKind kind = UnitKind::Ship;
    float power = 1.0f;        // fire per second, in damage units
    float toughness = 1.0f;    // damage taken is divided by it
    float speed = 0.5f;        // cells per second; 0 = never moves
    int points = 50;           // the point value the host answers
    bool capturable = true;
};
UnitStats ClassStats(const std::string& classCode);

// The classes the host picks from for a unit created without a class code
// (a group): each with its point value.
struct CatalogueEntry {
    const char* classCode;
    int points;
};
std::span<const CatalogueEntry> GroupCatalogue();
// A class whose points are within the budget, drawn from rng; the cheapest
// when none is.
const CatalogueEntry& PickGroupClass(int budget, std::mt19937& rng);

// ---------------------------------------------------------------------------
// Scripted host events (the --events file; format in docs/battle-model.md)

enum class ScriptedKind { Destroy, Capture, Disable, Hit, Menu, Scan, Probe, OrbitEnter, OrbitLeave, Leave, Timer };
const char* ScriptedKindName(ScriptedKind kind);

struct ScriptedEvent {
    int time = 0;
    ScriptedKind kind = ScriptedKind::Timer;
    int team = 0;              // the unit's team (the team it was created in); the team for leave
    int index = 0;             // the unit's place in its team, in creation order
    int value = 0;             // capture: new team; menu: text index; scan: state (-1 toggles);
                               // hit: damage in percent; timer: timer number
    int line = 0;              // line in the file
};

class EventScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the whole text; throws EventScriptError naming the line. The
// result is ordered by time (stable: equal times keep the file's order).
std::vector<ScriptedEvent> ParseEventScript(std::istream& in);
std::vector<ScriptedEvent> LoadEventScript(const std::string& path);

// ---------------------------------------------------------------------------
// One battle

struct PlayOptions {
    std::uint32_t seed = 1;
    int difficulty = 1;
    int playerTeam = 0;
    int playerRace = 0;
    std::vector<std::string> ships{"F-CA"};  // the player's setup units the host offers (at most 3)
    // When set, the listed events replace the fire and the simulated player.
    std::optional<std::vector<ScriptedEvent>> script;
    std::optional<int> disengageAt;          // the player's team leaves at this second
    int maxTime = 1800;                      // then the player's team leaves
    std::optional<int> askAnswer;            // REQ_ASK answer; default a seeded 0 or 1
};

struct BattleOutcome {
    std::string title;
    std::string mapName;
    int result = 0;                          // the first non-zero OnEvent result; 0 if none came
    int endTime = 0;                         // simulated second of the end
    bool disengaged = false;                 // the host made the player's team leave
    int level = 0;                           // GetScore(5)
    std::array<int, 5> prestige{};
    std::vector<std::string> endTexts;
    int finish = 0;                          // Finish's answer
    std::optional<std::string> nextScript;
};

using FactSink = std::function<void(const nlohmann::json& fact)>;

// Plays one battle of the plug-in, which must be freshly loaded (never
// initialized). Exceptions of the stand-in host (std::exception) pass out.
BattleOutcome PlayBattle(Plugin& plugin, const PlayOptions& options, const FactSink& sink = {});

// Sets a battle up as PlayBattle does (Initialize, placement with the
// world's class and point answers, registration, the opening requests) and
// hands the Battle to `examine` before the first second; nothing more is
// played. The plug-in must be freshly loaded.
void DrySetup(Plugin& plugin, const PlayOptions& options, const std::function<void(Battle& battle)>& examine);

// Result flag names ("RESULT_DESTROYED", ...) of every bit set, in bit order;
// an unknown bit shows as "0x...".
std::vector<std::string> ResultFlagNames(int result);
// "short", "alarm", "reply", "notice", or "kind N".
std::string MessageKindName(int kind);

// The races a mask allows: bit n is race n.
std::vector<int> MaskBits(int mask);

// A unit's label in facts and scripts: "team:index".
std::string UnitLabel(int team, int index);

}  // namespace host
