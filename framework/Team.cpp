#include "Team.h"

#include "MissionHooks.h"

Team::Team(int index, int race) : index_(index), race_(race), nextUnitId_(index * kTeamIdSpan + 1) {
    if (index_ >= 0 && index_ < kTeamCount) relation_[index_] = 1;
    for (float& f : scoreZariru_) f = 1.0f;
}

Team::~Team() {
    for (Ship* ship : ships_) delete ship;
}

UnitSpec BlankCreation() {
    UnitSpec creation{};
    creation.group = -1;
    creation.setupIndex = -1;
    creation.race = -1;
    return creation;
}

bool Team::CreateUnit(const char* classCode, int marker, int column, int row, int column2, int row2, int extra) {
    UnitSpec creation = BlankCreation();
    creation.classCode = classCode;
    creation.extra = extra;
    return CreateUnitAt(creation, marker, column, row, column2, row2);
}

bool Team::CreateUnitAt(UnitSpec& creation, int marker, int column, int row, int column2, int row2) {
    const int m = marker & ~kMarkerByCell;
    if (m == 0) {
        if (column < 1) column = 1;
        if (row < 1) row = 1;
        if (column2 < 1) column2 = column;
        if (row2 < 1) row2 = row;
    }
    creation.race = race_;
    creation.team = index_;
    creation.marker = m;
    creation.column = column - 1;
    creation.row = row - 1;
    creation.column2 = column2 - 1;
    creation.row2 = row2 - 1;
    creation.unitId = nextUnitId_;
    creation.adopt = 0;
    if (!AddUnit(creation)) return false;
    ++nextUnitId_;
    return true;
}

bool Team::AdoptUnit(int unitId, HostHandle handle) {
    UnitSpec creation = BlankCreation();
    creation.column = creation.row = creation.column2 = creation.row2 = -1;
    creation.team = index_;
    creation.unitId = unitId;
    creation.setupIndex = handle;
    creation.adopt = 1;
    creation.race = race_;
    return AddUnit(creation);
}

bool Team::AddUnit(UnitSpec& creation) {
    if (!Link().CreateUnit(creation)) return false;
    if (creation.hostId == -1) return false;
    ships_.push_back(new Ship(creation, index_, race_));
    totalValue_ += creation.points;
    return true;
}

void SpiralOffset(int n, int& dColumn, int& dRow) {
    dColumn = 0;
    dRow = 0;
    if (n <= 0) return;
    int k = 1;
    while (n > 8 * k) {
        n -= 8 * k;
        ++k;
    }
    // Ring k: 8k cells from (-(k-1), -k), in legs of 2k cells towards
    // higher columns, higher rows, lower columns, lower rows.
    int c = -(k - 1);
    int r = -k;
    const int steps[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    int walked = 0;
    int leg = 0;
    int legWalked = 1;  // the start cell sits one step into the first leg
    while (++walked < n) {
        if (legWalked == 2 * k) {
            ++leg;
            legWalked = 0;
        }
        c += steps[leg][0];
        r += steps[leg][1];
        ++legWalked;
    }
    dColumn = c;
    dRow = r;
}

void Team::CreateGroup(int count, int budget, int /*kind*/, int preset, int param, int marker, int column, int row,
                       int column2, int row2, int extra) {
    if ((marker & kMarkerByCell) != 0 && (marker & ~kMarkerByCell) != 0) {
        const int m = marker & ~kMarkerByCell;
        HostLink& link = Link();
        if (link.mission != nullptr) {
            const MissionMap& map = link.mission->Map();
            map.FindMarker(link.mapIndex, MissionMap::MarkerChar(m), column, row, link.mapCursor);
            map.FindMarker(link.mapIndex, MissionMap::SecondMarkerChar(m), column2, row2, link.mapCursor);
        }
        marker = 0;
    }
    for (int i = 0; i < count; ++i) {
        UnitSpec creation = BlankCreation();
        creation.group = extra;
        creation.points = preset;
        creation.param = param;
        creation.hostId = budget;
        if (marker != 0) {
            CreateUnitAt(creation, marker + i, column, row, column2, row2);
        } else {
            int dc = 0;
            int dr = 0;
            SpiralOffset(i, dc, dr);
            CreateUnitAt(creation, 0, column + dc, row + dr, column2, row2);
        }
    }
}

void Team::CreateGroupAt(int budget, int kind, int param, int marker, int column, int row, int column2, int row2,
                         int extra) {
    CreateGroup(1, budget, kind, kind, param, marker, column, row, column2, row2, extra);
}

Ship* Team::First() {
    cursor_ = 0;
    return Next();
}

Ship* Team::Next() {
    if (cursor_ >= Size()) return nullptr;
    return ships_[static_cast<std::size_t>(cursor_++)];
}

Ship* Team::At(int position) const {
    if (position < 0 || position >= Size()) return nullptr;
    return ships_[static_cast<std::size_t>(position)];
}

Ship* Team::FindByUnitId(int unitId) const {
    for (Ship* ship : ships_)
        if (ship->GetUnitId() == unitId) return ship;
    return nullptr;
}

Ship* Team::FindByHandle(HostHandle handle) const {
    for (Ship* ship : ships_)
        if (ship->GetHandle() == handle) return ship;
    return nullptr;
}

int Team::CountActive() const {
    if (ships_.empty()) return -1;
    int n = 0;
    for (const Ship* ship : ships_)
        if (ship->IsActive()) ++n;
    return n;
}

bool Team::AllRegistered() const {
    for (const Ship* ship : ships_)
        if (!ship->HasStatus(REGISTERED)) return false;
    return true;
}

int Team::HighestHostId() const {
    int highest = -1;
    for (const Ship* ship : ships_)
        if (ship->GetHostId() > highest) highest = ship->GetHostId();
    return highest;
}

float Team::AverageCondition() const {
    if (ships_.empty()) return 100.0f;
    float sum = 0.0f;
    for (const Ship* ship : ships_) sum += ship->HasStatus(CAPTURED) ? 100.0f : ship->GetCondition();
    return sum / static_cast<float>(ships_.size());
}

void Team::SetRelation(int b, int relation, int relation2, float factor) {
    if (b < 0 || b >= kTeamCount) return;
    relation_[b] = relation;
    relation2_[b] = relation2;
    scoreZariru_[b] = factor;
    HostRequest request;
    request.code = REQ_SET_RELATION;
    request.first = relation;
    request.second = index_;
    request.third = b;
    request.fourth = relation2;
    request.value = factor;
    Link().Request(request);
}

int Team::GetRelation(int b) const { return (b < 0 || b >= kTeamCount) ? 0 : relation_[b]; }
int Team::GetRelation2(int b) const { return (b < 0 || b >= kTeamCount) ? 0 : relation2_[b]; }
float Team::GetScoreZariru(int b) const { return (b < 0 || b >= kTeamCount) ? 0.0f : scoreZariru_[b]; }

int Team::Status() const {
    if (left_) return 0x100000;
    if (ships_.empty()) return 1;
    bool captured = false;
    for (const Ship* ship : ships_) {
        if (ship->HasStatus(DISABLED)) return 4;
        if (ship->HasStatus(CAPTURED)) captured = true;
    }
    return captured ? 2 : 1;
}

int Team::Score(const Team* viewer) const {
    if (viewer == nullptr || viewer->HasLeft()) return 0;
    const float f = viewer->GetScoreZariru(index_);
    if (left_) return static_cast<int>(static_cast<float>(totalValue_) * f);
    int sum = 0;
    for (const Ship* ship : ships_)
        sum = static_cast<int>(static_cast<float>(sum) + static_cast<float>(ship->ScoreValue(viewer->GetRace())) * f);
    return sum;
}
