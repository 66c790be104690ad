// MissionHooks: what a mission supplies, and the state its hooks run on.
//
// A mission source derives one class from MissionHooks, overrides the
// hooks it needs (the defaults are the common bodies) and hands its single
// static instance to the framework by defining TheMission(). The framework
// calls a mission only through these twelve hooks.
#pragma once

#include <cstdint>

#include "BattleState.h"
#include "MissionMap.h"
#include "MissionText.h"

// A mission's row of settings values (the record's integer fields).
struct SettingsRow {
    int field88, field92, playerRaces, list2Mask, field104, field108, field112, field116, field120, field124,
        field128;

    void Fill(MissionSettings& settings, const char* title) const {
        settings.title = title;
        settings.field88 = field88;
        settings.field92 = field92;
        settings.playerRaces = playerRaces;
        settings.list2Mask = list2Mask;
        settings.field104 = field104;
        settings.field108 = field108;
        settings.field112 = field112;
        settings.field116 = field116;
        settings.field120 = field120;
        settings.field124 = field124;
        settings.field128 = field128;
    }
};

class MissionHooks {
public:
    MissionHooks(MissionText& text, const MissionMap& map) : text_(text), map_(map) {}
    virtual ~MissionHooks() = default;
    MissionHooks(const MissionHooks&) = delete;
    MissionHooks& operator=(const MissionHooks&) = delete;

    // 1. The opponent team of the standard end test.
    virtual int GetEnemyTeam() { return 6; }
    // 2. Fill the settings record (title and integer fields); only that.
    virtual void FillSettings(MissionSettings& settings) = 0;
    // 3. Relations, prestige, races; returns the map number counted from 1.
    virtual int SetupBattle(MissionSetup& setup) = 0;
    // 4. True to create the host's setup unit; may change its marker.
    virtual bool AcceptSetupUnit(SetupUnit& /*unit*/) { return false; }
    // 5. Create the mission's own units (wave 0 at setup).
    virtual void CreateUnits(int wave) = 0;
    // 6. Text index of the briefing.
    virtual int GetBriefingIndex() { return 1; }
    // 7. Once every unit is bound: names, orders, menus, opening text, timer.
    virtual void ConfigureUnits() = 0;
    // 8. A unit registered after ConfigureUnits.
    virtual void OnUnitAdded(Ship* /*unit*/) {}
    // 9. The mission's script for one event; result flags.
    virtual int HandleEvent(Ship* unit, int code) = 0;
    // 10. The outcome level 0..4.
    virtual int RateOutcome() = 0;
    // 11. End texts (and perhaps prestige) for the level.
    virtual void ApplyOutcome(int level) = 0;
    // 12. After the battle: may name the next script.
    virtual int OnFinish(int /*code*/) { return 0; }

    // The standard end test with this mission's teams.
    int CheckOutcome() { return battle.CheckOutcome(playerTeam, playerShip, GetEnemyTeam()); }
    // The player's team; null when the host gave an index outside 0..19.
    Team* PlayerTeam() { return battle.GetTeam(playerTeam); }
    Team* GetTeam(int index) { return battle.GetTeam(index); }

    // Settings helpers: the title is the 8-bit copy of text 0.
    const char* TitleCStr() { return text_[0].CStr(); }
    MissionText& Text() { return text_; }
    const MissionMap& Map() const { return map_; }

    int playerTeam = 0;
    Ship* playerShip = nullptr;
    std::uint8_t scanState = 0;
    BattleState battle;
    int eventArg = 0;
    int eventValue1 = 0;
    int eventValue2 = 0;
    int eventValue3 = 0;
    int eventValue4 = 0;

private:
    MissionText& text_;
    const MissionMap& map_;
};

// Defined once by every mission source: its one static mission object.
MissionHooks& TheMission();
