// Teams and units: the sides 0..19 of a battle and the plug-in's record of
// each host unit, with the per-unit requests the missions send.
#pragma once

#include <cstdint>
#include <vector>

#include "HostLink.h"

inline constexpr int kTeamCount = 20;
// Unit ids of team t start at t * kTeamIdSpan + 1, so teams never share one.
inline constexpr int kTeamIdSpan = 107374182;

// Unit status bits.
inline constexpr int REGISTERED = 1;
inline constexpr int CAPTURED = 4;
inline constexpr int DISABLED = 8;
inline constexpr int DESTROYED = 16;

// The top bit of a marker: look the marker's cells up on the map and
// create the unit by cell.
inline constexpr int kMarkerByCell = static_cast<int>(0x80000000u);

class Team;

class Ship {
public:
    Ship(const UnitSpec& creation, int team, int race);

    // Plain accessors.
    int GetTeam() const { return team_; }
    int GetHomeTeam() const { return homeTeam_; }
    int GetRace() const { return race_; }
    HostHandle GetHandle() const { return handle_; }
    int GetHostId() const { return hostId_; }
    int GetUnitId() const { return unitId_; }
    int GetMarker() const { return marker_; }
    int GetPointValue() const { return pointValue_; }
    float GetMoveValue() const { return moveValue_; }
    int GetEventMask() const { return eventMask_; }
    int GetColumn() const { return column_; }  // counted from 0, -1 = not given
    int GetRow() const { return row_; }
    bool HasStatus(int bits) const { return (status_ & bits) != 0; }
    void SetStatus(int bits, bool on) { status_ = on ? (status_ | bits) : (status_ & ~bits); }
    // Not captured, disabled or destroyed, and its team is still in the battle.
    bool IsActive() const;

    void SetTeam(int team) { team_ = team; }
    void SetHandle(HostHandle handle) { handle_ = handle; }

    // Requests about this unit.
    void SetOrder(const Ship* target, int order);
    void Withdraw(int first, int second);  // then DISABLED
    void TakeCommand();                    // then the player's ship
    void SetLevel(int level);
    void SetLevelAll(int level);
    void SetEventMask(int mask);
    void WatchEvents(int mask);
    void SetMenuItem(int slot, int textIndex, int flag);
    void RemoveMenuItem(int slot);
    void SetName(int textIndex);
    void SetOfficerLevel(int slot, int level);
    void SetOfficerName(int slot, int textIndex);
    void SetAttribute(int code, float value);
    int SetStock(int group, int item, int count);
    float RangeTo(const Ship* other) const;
    float GetCondition() const;
    void GetPosition(int& column, int& row) const;  // counted from 1
    void MoveTo(float value, int column, int row, bool negate);
    void Mark();

    // What this unit's loss is worth to a team of the viewer's race.
    int ScoreValue(int viewerRace) const;

private:
    HostRequest UnitRequest(int code) const;

    int team_;
    int homeTeam_;
    int race_;
    HostHandle handle_ = 0;
    int hostId_;
    int marker_;
    int column_, row_;
    int column2_, row2_;
    float moveValue_ = 0.0f;
    int status_ = 0;
    int pointValue_;
    int eventMask_ = 0;
    int unitId_;
};

class Team {
public:
    Team(int index, int race);
    ~Team();
    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    int GetIndex() const { return index_; }
    int GetRace() const { return race_; }

    // Creating units. Each returns true when the host accepted the unit.
    bool CreateUnit(const char* classCode, int marker, int column, int row, int column2, int row2, int extra);
    bool CreateUnitAt(UnitSpec& creation, int marker, int column, int row, int column2, int row2);
    bool AddUnit(UnitSpec& creation);
    // Binds a host unit the plug-in never asked for, through the create-unit
    // callback with the adopt flag; nextUnitId is not used up.
    bool AdoptUnit(int unitId, HostHandle handle);
    void CreateGroup(int count, int budget, int kind, int preset, int param, int marker, int column, int row,
                     int column2, int row2, int extra);
    void CreateGroupAt(int budget, int kind, int param, int marker, int column, int row, int column2, int row2,
                       int extra);

    // Walking and finding units. First and Next share one cursor.
    Ship* First();
    Ship* Next();
    Ship* At(int position) const;  // in creation order, or null
    int Size() const { return static_cast<int>(ships_.size()); }
    Ship* FindByUnitId(int unitId) const;
    Ship* FindByHandle(HostHandle handle) const;
    int CountActive() const;  // -1 for a team without any ship
    bool AllRegistered() const;
    int GetTotalValue() const { return totalValue_; }
    int HighestHostId() const;
    float AverageCondition() const;
    bool HasLeft() const { return left_; }
    void SetLeft(bool left) { left_ = left; }

    // Relations this team holds towards team b.
    void SetRelation(int b, int relation, int relation2, float factor);
    int GetRelation(int b) const;
    int GetRelation2(int b) const;
    float GetScoreZariru(int b) const;

    // 0x100000 left; 1 no ships; 4 a ship disabled; 2 one captured; else 1.
    int Status() const;
    // The worth of this team's losses to the viewer team.
    int Score(const Team* viewer) const;

private:
    int index_;
    int race_;
    int nextUnitId_;
    std::vector<Ship*> ships_;  // owned, creation order
    int cursor_ = 0;
    int totalValue_ = 0;
    int relation_[kTeamCount] = {};
    int relation2_[kTeamCount] = {};
    float scoreZariru_[kTeamCount];
    bool left_ = false;
};

// A creation record with nothing filled in: no class, no group, not a
// setup unit, no race.
UnitSpec BlankCreation();

// Cells of a group laid without a marker: the n-th unit's offset from the
// centre, walking the square spiral outwards.
void SpiralOffset(int n, int& dColumn, int& dRow);
