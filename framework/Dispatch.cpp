// Event dispatch: one host event becomes the framework's bookkeeping, one
// call of the mission's HandleEvent, and the result flags for the host.
#include "MissionScript.h"

namespace {
// Codes whose hook argument is value1 rather than the unit field.
bool ArgumentIsValue1(int code) {
    switch (code) {
        case EV_CAPTURED: case EV_ARRIVED: case EV_MENU: case EV_HIT: case EV_512: case EV_PROBE:
        case EV_ORBIT_ENTER: case EV_ORBIT_LEAVE: case 8192: case 0x4000: case 0x10000: case 0x20000:
        case EV_PLAYER_SHIP:
            return true;
        default:
            return false;
    }
}

bool NamesUnit(int code) { return code == EV_DESTROYED || code == EV_CAPTURED || code == EV_DISABLED; }

constexpr int kTopBits = static_cast<int>(0xC0000000u);
constexpr int kPlayerBeaten = 0x10000 | RESULT_PLAYER_DESTROYED | RESULT_PLAYER_CAPTURED;
}  // namespace

int MissionScript::Dispatch(const HostEvent& event) {
    MissionHooks& mission = Mission();
    BattleState& battle = mission.battle;
    const int code = event.code;

    // An event carries exactly one code bit; anything else is malformed.
    if (code == 0 || (code & (code - 1)) != 0) return 0;

    // 1. The unit the event is about, if any; events about units this
    // plug-in does not hold are dropped.
    Ship* unit = nullptr;
    if (event.team < NO_UNIT_TEAM) {
        if (const Team* team = battle.PeekTeam(event.team)) unit = team->FindByHandle(event.unit);
        if (unit == nullptr) unit = battle.FindShip(event.unit);
        if (unit == nullptr) return 0;
    } else if (NamesUnit(code)) {
        return 0;  // a unit event without a unit
    }
    if (code == EV_TEAM_LEFT && (event.unit < 0 || event.unit >= kTeamCount)) return 0;

    // 2. The framework's own action.
    switch (code) {
        case EV_DESTROYED:
            unit->SetStatus(DESTROYED, true);
            unit->RemoveMenuItem(1);
            unit->RemoveMenuItem(2);
            break;
        case EV_CAPTURED:
            unit->SetStatus(CAPTURED, event.value1 != unit->GetHomeTeam());
            break;
        case EV_DISABLED:
            unit->SetStatus(DISABLED, true);
            break;
        case EV_SCAN:
            mission.scanState = static_cast<std::uint8_t>(event.value1 & 0xFF);
            break;
        case EV_PLAYER_SHIP:
            mission.playerShip = battle.FindShip(event.value1);
            break;
        case EV_TEAM_LEFT:
            battle.GetTeam(static_cast<int>(event.unit))->SetLeft(true);
            break;
        default:
            break;
    }

    // 3. A watched event is reported once: the mission watches it again
    // if it wants more.
    if (unit != nullptr && (unit->GetEventMask() & code) != 0) unit->SetEventMask(unit->GetEventMask() & ~code);

    // 4. The event's fields, readable by the hooks.
    mission.eventArg = static_cast<int>(event.unit);
    mission.eventValue1 = event.value1;
    mission.eventValue2 = event.value2;
    mission.eventValue3 = event.value3;
    mission.eventValue4 = event.value4;
    if (ArgumentIsValue1(code)) mission.eventArg = event.value1;

    // 5. After the end only kills still reach the mission.
    int result = 0;
    if (!battle.ended || code == EV_DESTROYED) result = mission.HandleEvent(unit, code);

    // 6. A captured unit now belongs to its new team.
    if (code == EV_CAPTURED) {
        unit->SetTeam(event.value1);
        unit->WatchEvents(EV_CAPTURED);
    }

    // 7.
    if (result == 0) {
        if (!battle.TeamHasLeft(mission.playerTeam)) return 0;
        result = RESULT_PLAYER_LEFT;
    }

    // 8. One opponent-side result may be followed by one player-side result.
    if (battle.ended) {
        if ((result & RESULT_OPPONENT_MASK) == 0 && (battle.lastResult & RESULT_OPPONENT_MASK) != 0)
            battle.ended = false;
        else
            result = 0;
        if (battle.ended) {
            battle.Mark(0, 0, 0);
            return 0;
        }
    }

    // 9. Rate and apply the outcome, unless the player's side was beaten.
    battle.ClearEndMessages();
    if ((result & kPlayerBeaten) == 0) {
        if (battle.TeamHasLeft(mission.playerTeam)) {
            outcomeLevel = 4;
        } else {
            outcomeLevel = mission.RateOutcome();
            if ((result & ~kTopBits) == RESULT_PLAYER_DISABLED && outcomeLevel <= 1)
                result = (result & kTopBits) | RESULT_OPPONENT_OTHER;
        }
        mission.ApplyOutcome(outcomeLevel);
    }

    // 10.
    battle.lastResult = result;
    battle.ended = true;
    battle.Mark(0, 0, 0);
    return result;
}
