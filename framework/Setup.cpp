// Battle setup: Initialize and OnUnitCreated, and the random picks.
#include <algorithm>

#include "MissionScript.h"

namespace {
// Entries before the terminator, read no further than the field's space.
int ListLength(const std::int32_t* list, int space, int terminator) {
    int n = 0;
    while (n < space && list[n] != terminator) ++n;
    return n;
}

bool Allowed(int value, int mask) { return value >= 0 && value < 32 && ((mask >> value) & 1) != 0; }

// A host whose draws never land on an allowed entry would keep the masked
// pick going for ever; after this many rounds the first allowed entry wins.
constexpr int kMaxPickRounds = 1000;

// Row offsets of setup units fanned out by slot in placement mode 4.
int FanOffset(int k) {
    static constexpr int kOffsets[] = {0, 1, -1, 2, -2, 3};
    return (k >= 1 && k <= 6) ? kOffsets[k - 1] : k - 1;
}
}  // namespace

int PickFromList(const std::int32_t* list, int space, int mask) {
    const int n = ListLength(list, space, SETUP_LIST12_END);
    if (n == 0) return SETUP_LIST12_END;
    const std::int32_t* firstAllowed = std::find_if(list, list + n, [&](int v) { return Allowed(v, mask); });
    if (firstAllowed == list + n) return list[0];
    int position = 0;
    for (int round = 0; round < kMaxPickRounds; ++round) {
        if (Link().Random(1, 100) < 10) position = Link().Random(0, n - 1);
        if (position >= 0 && position < n && Allowed(list[position], mask)) return list[position];
        position = 0;
    }
    return *firstAllowed;
}

int PickWeighted(const std::int32_t* list, int space) {
    const int n = ListLength(list, space, SETUP_LIST3_END);
    if (Link().Random(1, 100) >= 75 || n == 0) return n == 0 ? SETUP_LIST3_END : list[0];
    const int position = Link().Random(0, n - 1);
    return (position >= 0 && position < n) ? list[position] : list[0];
}

void MissionScript::InitializeBattle(MissionSetup& setup) {
    MissionHooks& mission = Mission();
    HostLink& link = Link();

    MissionSettings settings{};
    mission.FillSettings(settings);

    mission.playerTeam = setup.playerTeam;
    setup.pick1 = PickFromList(setup.list1, SETUP_LIST1_SPACE, 127);
    setup.pick2 = PickFromList(setup.list2, SETUP_LIST2_SPACE, settings.list2Mask);
    setup.pick3 = PickWeighted(setup.list3, SETUP_LIST3_SPACE);
    setup.title = settings.title;
    setup.settings128 = settings.field128;

    int mapIndex = mission.SetupBattle(setup) - 1;
    if (setup.mapOverride >= 0) mapIndex = setup.mapOverride;
    if (mapIndex < 0 || mapIndex >= mission.Map().Count()) mapIndex = 0;
    setup.mapIndex = mapIndex;
    setup.mapName = mission.Map().Name(mapIndex);
    link.mapIndex = mapIndex;
    RewindMap();

    outcomeLevel = kNotRated;
    PlaceSetupUnits(setup);
    mission.CreateUnits(0);
    briefingIndex = mission.GetBriefingIndex();
}

void MissionScript::PlaceSetupUnits(MissionSetup& setup) {
    MissionHooks& mission = Mission();
    HostLink& link = Link();
    Team* team = mission.PlayerTeam();

    int k = 1;
    if (setup.placementMode == PLACEMENT_MODE_SLOTS) {
        for (int slot = 0; slot < PLACEMENT_SLOTS; ++slot) {
            if (setup.slotKinds[slot] == 2 && setup.slotFlags[slot] != 0) {
                k = 1 + slot;
                break;
            }
        }
    }
    const int count = std::clamp(setup.setupUnitCount, 0, MAX_SETUP_UNITS);
    for (int j = 0; j < count; ++j) {
        SetupUnit& unit = setup.setupUnits[j];
        unit.marker = k;
        unit.column2 = -1;
        unit.row2 = -1;
        unit.team = mission.playerTeam;
        if (!mission.AcceptSetupUnit(unit)) continue;

        UnitSpec creation = BlankCreation();
        creation.classCode = unit.classCode;
        creation.setupIndex = j;
        if (unit.marker > 0) {
            ++k;
            if (team != nullptr) team->CreateUnitAt(creation, unit.marker, unit.column, unit.row, unit.column2, unit.row2);
            continue;
        }
        const bool byCell = (unit.marker & kMarkerByCell) != 0;
        const int m = unit.marker & ~kMarkerByCell;
        if (m != 0) {
            const MissionMap& map = mission.Map();
            map.FindMarker(link.mapIndex, MissionMap::MarkerChar(m), unit.column, unit.row, link.mapCursor);
            map.FindMarker(link.mapIndex, MissionMap::SecondMarkerChar(m), unit.column2, unit.row2, link.mapCursor);
            unit.marker = 0;
        } else {
            unit.marker = 0;
        }
        if (byCell && setup.placementMode == PLACEMENT_MODE_SLOTS) unit.row += FanOffset(k);
        if (j == 1) unit.column -= 1;
        if (j == 2) unit.column += 1;
        if (team != nullptr) team->CreateUnitAt(creation, 0, unit.column, unit.row, unit.column2, unit.row2);
    }
}

bool MissionScript::BindUnit(int teamIndex, int unitId, HostHandle handle) {
    MissionHooks& mission = Mission();
    Team* team = mission.battle.GetTeam(teamIndex);
    if (team == nullptr) return setupDone;

    Ship* ship = team->FindByUnitId(unitId);
    if (ship == nullptr) {
        if (!team->AdoptUnit(unitId, handle)) return setupDone;
        ship = team->FindByUnitId(unitId);
        if (ship == nullptr) return setupDone;
    }
    ship->SetHandle(handle);
    ship->SetStatus(REGISTERED, true);
    ship->SetEventMask(DEFAULT_EVENT_MASK);

    if (setupDone) {
        mission.OnUnitAdded(ship);
    } else if (mission.battle.AllRegistered()) {
        mission.ConfigureUnits();
        setupDone = true;
    }
    return setupDone;
}
