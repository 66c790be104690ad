#include "MissionHooks.h"
#include "Team.h"

Ship::Ship(const UnitSpec& creation, int team, int race)
    : team_(team),
      homeTeam_(team),
      race_(race),
      hostId_(creation.hostId),
      marker_(creation.marker),
      column_(creation.column),
      row_(creation.row),
      column2_(creation.column2),
      row2_(creation.row2),
      pointValue_(creation.points),
      unitId_(creation.unitId) {}

bool Ship::IsActive() const {
    if (HasStatus(CAPTURED | DISABLED | DESTROYED)) return false;
    MissionHooks* mission = Link().mission;
    if (mission == nullptr) return true;
    const Team* team = mission->battle.PeekTeam(team_);
    return team == nullptr || !team->HasLeft();
}

HostRequest Ship::UnitRequest(int code) const {
    HostRequest request;
    request.code = code;
    request.unit = handle_;
    return request;
}

void Ship::SetOrder(const Ship* target, int order) {
    if (target == nullptr) return;
    HostRequest request = UnitRequest(REQ_ORDER);
    request.first = 0;
    request.second = order;
    request.third = target->handle_;
    Link().Request(request);
}

void Ship::Withdraw(int first, int second) {
    HostRequest request = UnitRequest(REQ_ORDER);
    request.first = 2;
    request.second = second;
    request.third = first;
    Link().Request(request);
    SetStatus(DISABLED, true);
}

void Ship::TakeCommand() {
    HostRequest request = UnitRequest(REQ_TAKE_COMMAND);
    request.first = -1;
    Link().Request(request);
    if (Link().mission != nullptr) Link().mission->playerShip = this;
}

void Ship::SetLevel(int level) {
    HostRequest request = UnitRequest(REQ_SET_LEVEL);
    request.first = 0;
    request.value = static_cast<float>(level);
    Link().Request(request);
}

void Ship::SetLevelAll(int level) {
    HostRequest request = UnitRequest(REQ_SET_LEVEL);
    request.first = -1;
    request.value = static_cast<float>(level);
    Link().Request(request);
}

void Ship::SetEventMask(int mask) {
    HostRequest request = UnitRequest(REQ_SET_EVENT_MASK);
    request.first = mask;
    Link().Request(request);
    eventMask_ = mask;
}

void Ship::WatchEvents(int mask) { SetEventMask(eventMask_ | mask); }

void Ship::SetMenuItem(int slot, int textIndex, int flag) {
    HostRequest request = UnitRequest(REQ_MENU_ITEM);
    request.first = textIndex;
    request.second = slot;
    request.third = flag & 0xFF;
    if (Link().mission != nullptr) request.text = Link().mission->Text()[textIndex];
    Link().Request(request);
}

void Ship::RemoveMenuItem(int slot) {
    HostRequest request = UnitRequest(REQ_MENU_ITEM);
    request.first = -1;
    request.second = slot;
    request.third = 0;
    Link().Request(request);
}

void Ship::SetName(int textIndex) {
    HostRequest request = UnitRequest(REQ_SET_NAME);
    if (Link().mission != nullptr) {
        tString name = Link().mission->Text()[textIndex];
        request.name = name.CStr();
        Link().Request(request);
    }
}

void Ship::SetOfficerLevel(int slot, int level) {
    HostRequest request = UnitRequest(REQ_OFFICER);
    request.first = slot;
    request.second = level;
    Link().Request(request);
}

void Ship::SetOfficerName(int slot, int textIndex) {
    HostRequest request = UnitRequest(REQ_OFFICER);
    request.first = slot;
    request.second = 6;
    if (Link().mission != nullptr) request.text = Link().mission->Text()[textIndex];
    Link().Request(request);
}

void Ship::SetAttribute(int code, float value) {
    HostRequest request = UnitRequest(REQ_SET_ATTRIBUTE);
    request.first = code;
    request.value = value;
    Link().Request(request);
}

int Ship::SetStock(int group, int item, int count) {
    HostRequest request = UnitRequest(REQ_SET_STOCK);
    request.first = group;
    request.second = item;
    request.third = count;
    if (!Link().Request(request)) return 0;
    return static_cast<int>(request.third);
}

float Ship::RangeTo(const Ship* other) const {
    if (other == nullptr) return 0.0f;
    HostRequest request = UnitRequest(REQ_QUERY);
    request.first = 512;
    request.second = static_cast<std::int32_t>(other->handle_);
    if (!Link().Request(request)) return 0.0f;
    return request.value;
}

float Ship::GetCondition() const {
    HostRequest request = UnitRequest(REQ_GET_CONDITION);
    request.value = 100.0f;
    if (!Link().Request(request)) return 0.0f;
    return request.value;
}

void Ship::GetPosition(int& column, int& row) const {
    HostRequest request = UnitRequest(REQ_GET_POSITION);
    if (!Link().Request(request)) {
        column = 0;
        row = 0;
        return;
    }
    column = request.column + 1;
    row = request.row + 1;
}

void Ship::MoveTo(float value, int column, int row, bool negate) {
    moveValue_ = value;
    eventMask_ |= EV_ARRIVED;
    HostRequest request = UnitRequest(REQ_MOVE_TO);
    request.column = column - 1;
    request.row = row - 1;
    request.first = eventMask_;
    request.value = negate ? -value : value;
    Link().Request(request);
}

void Ship::Mark() {
    HostRequest request = UnitRequest(REQ_MARK);
    request.first = 1;
    Link().Request(request);
}

int Ship::ScoreValue(int viewerRace) const {
    if (HasStatus(CAPTURED)) {
        if (hostId_ == 0) return pointValue_;
        return pointValue_ * (viewerRace == 6 ? 5 : 2);
    }
    if (HasStatus(DESTROYED)) return pointValue_;
    if (HasStatus(DISABLED)) return viewerRace == 6 ? 0 : pointValue_ / 2;
    return 0;
}
