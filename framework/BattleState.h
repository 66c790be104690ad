// BattleState: the teams, races, relations, prestige and end texts of one
// battle, the standard end test and scoring, and the battle-wide requests.
#pragma once

#include <memory>

#include "Team.h"

inline constexpr int kOutcomeLevels = 5;
inline constexpr int kMaxEndMessages = 10;
// outcomeLevel before any rated outcome.
inline constexpr int kNotRated = 5;

class BattleState {
public:
    BattleState();

    // The team of that index, created on first use with the race set for
    // it; null for an index outside 0..19.
    Team* GetTeam(int index);
    Team* PeekTeam(int index) const;  // without creating it
    void SetTeamRace(int team, int race);
    bool TeamHasLeft(int index);
    bool AllRegistered() const;
    Ship* FindShip(HostHandle handle) const;

    // Relations. Indexes outside 0..19 change and send nothing.
    void SetRelation(int a, int b, int relation, int relation2, float factor, bool bothWays);
    int GetRelation(int a, int b) const;

    // Prestige for outcome levels 0..4 and the end-of-mission texts.
    void SetPrestige(int p0, int p1, int p2, int p3, int p4);
    int GetPrestige(int level) const;
    void AddEndMessage(int textIndex);
    void ClearEndMessages() { endMessageCount_ = 0; }
    int GetEndMessage(int i) const;
    int GetEndMessageCount() const { return endMessageCount_; }

    // Battle-wide requests.
    void ShowMessage(int textIndex, int kind, const Ship* unit);
    void PlaySound(int number);
    void SetTimer(int timer, int duration);
    int GetDifficulty();
    void SetNextScript(int textIndex);
    void Mark(int flag, int column, int row);
    void SetMapCell(int character, int column, int row);
    int Ask(int textIndex, int answersIndex);
    int Random(int low, int high);

    // The standard end test (needs the mission for the player's team,
    // ship and opponent).
    int CheckOutcome(int playerTeam, const Ship* playerShip, int enemyTeam);
    // Level 0..4 for the ratio value / base.
    static int RatioLevel(int value, int base);

    bool ended = false;
    int lastResult = 0;

private:
    int prestige_[kOutcomeLevels] = {};
    std::unique_ptr<Team> teams_[kTeamCount];
    int races_[kTeamCount];
    int endMessages_[kMaxEndMessages] = {};
    int endMessageCount_ = 0;
};
