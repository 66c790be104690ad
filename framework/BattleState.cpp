#include "BattleState.h"

#include "MissionHooks.h"

BattleState::BattleState() {
    for (int& race : races_) race = -1;
}

static bool ValidTeam(int index) { return index >= 0 && index < kTeamCount; }

Team* BattleState::GetTeam(int index) {
    if (!ValidTeam(index)) return nullptr;
    auto& slot = teams_[index];
    if (!slot) slot = std::make_unique<Team>(index, races_[index]);
    return slot.get();
}

Team* BattleState::PeekTeam(int index) const { return ValidTeam(index) ? teams_[index].get() : nullptr; }

void BattleState::SetTeamRace(int team, int race) {
    if (ValidTeam(team)) races_[team] = race;
}

bool BattleState::TeamHasLeft(int index) {
    const Team* team = GetTeam(index);
    return team != nullptr && team->HasLeft();
}

bool BattleState::AllRegistered() const {
    for (const auto& team : teams_)
        if (team && !team->AllRegistered()) return false;
    return true;
}

Ship* BattleState::FindShip(HostHandle handle) const {
    for (const auto& team : teams_)
        if (team)
            if (Ship* ship = team->FindByHandle(handle)) return ship;
    return nullptr;
}

void BattleState::SetRelation(int a, int b, int relation, int relation2, float factor, bool bothWays) {
    if (!ValidTeam(a) || !ValidTeam(b)) return;
    GetTeam(a)->SetRelation(b, relation, relation2, factor);
    if (bothWays) GetTeam(b)->SetRelation(a, relation, relation2, factor);
}

int BattleState::GetRelation(int a, int b) const {
    const Team* team = PeekTeam(a);
    return team == nullptr ? 0 : team->GetRelation(b);
}

void BattleState::SetPrestige(int p0, int p1, int p2, int p3, int p4) {
    prestige_[0] = p0;
    prestige_[1] = p1;
    prestige_[2] = p2;
    prestige_[3] = p3;
    prestige_[4] = p4;
}

int BattleState::GetPrestige(int level) const {
    return (level >= 0 && level < kOutcomeLevels) ? prestige_[level] : 0;
}

void BattleState::AddEndMessage(int textIndex) {
    if (endMessageCount_ < kMaxEndMessages) endMessages_[endMessageCount_++] = textIndex;
}

int BattleState::GetEndMessage(int i) const {
    return (i >= 0 && i < kMaxEndMessages) ? endMessages_[i] : 0;
}

static tString* TextOf(int index) {
    MissionHooks* mission = Link().mission;
    return mission == nullptr ? nullptr : &mission->Text()[index];
}

void BattleState::ShowMessage(int textIndex, int kind, const Ship* unit) {
    if (tString* text = TextOf(textIndex)) Link().Message(*text, kind, unit != nullptr ? unit->GetHandle() : 0);
}

void BattleState::PlaySound(int number) {
    HostRequest request;
    request.code = REQ_PLAY_SOUND;
    request.first = number;
    request.second = 0;
    Link().Request(request);
}

void BattleState::SetTimer(int timer, int duration) {
    HostRequest request;
    request.code = REQ_SET_TIMER;
    request.first = duration;
    request.second = timer;
    Link().Request(request);
}

int BattleState::GetDifficulty() {
    HostRequest request;
    request.code = REQ_GET_DIFFICULTY;
    Link().Request(request);
    return static_cast<int>(request.third);
}

void BattleState::SetNextScript(int textIndex) {
    HostRequest request;
    request.code = REQ_NEXT_SCRIPT;
    if (tString* text = TextOf(textIndex)) request.text = *text;
    Link().Request(request);
}

void BattleState::Mark(int flag, int column, int row) {
    HostRequest request;
    request.code = REQ_MARK;
    request.unit = -1;
    request.first = flag & 0xFF;
    request.column = column - 1;
    request.row = row - 1;
    request.name = nullptr;
    Link().Request(request);
}

void BattleState::SetMapCell(int character, int column, int row) {
    HostRequest request;
    request.code = REQ_SET_MAP_CELL;
    request.first = character & 0xFF;
    request.column = column - 1;
    request.row = row - 1;
    Link().Request(request);
}

int BattleState::Ask(int textIndex, int answersIndex) {
    HostRequest request;
    request.code = REQ_ASK;
    if (tString* question = TextOf(textIndex)) {
        request.text = *question;
        request.text.Append("^");
        request.text.Append(*TextOf(answersIndex));
    }
    Link().Request(request);
    return request.first;
}

int BattleState::Random(int low, int high) { return Link().Random(low, high); }

int BattleState::CheckOutcome(int playerTeam, const Ship* playerShip, int enemyTeam) {
    int t = playerTeam;
    const bool playerDisabled = playerShip != nullptr && playerShip->HasStatus(DISABLED);
    Team* player = GetTeam(playerTeam);
    if (!playerDisabled && player != nullptr && player->CountActive() > 0) {
        t = enemyTeam;
        Team* enemy = GetTeam(enemyTeam);
        if (enemy != nullptr && enemy->CountActive() > 0) return 0;
    }
    const Team* team = GetTeam(t);
    const int s = team != nullptr ? team->Status() : 1;
    if (t == playerTeam) {
        switch (s) {
            case 1: return RESULT_PLAYER_DESTROYED;
            case 2: return RESULT_PLAYER_CAPTURED;
            case 4: return RESULT_PLAYER_DISABLED;
            default: return RESULT_PLAYER_LEFT;
        }
    }
    switch (s) {
        case 1: return RESULT_DESTROYED;
        case 2: return RESULT_CAPTURED;
        case 4: return RESULT_DISABLED;
        default: return RESULT_OPPONENT_OTHER;
    }
}

int BattleState::RatioLevel(int value, int base) {
    if (value < 1) value = 1;
    if (base < 1) base = 1;
    const long long r = static_cast<long long>(value) * 100 / base;
    if (r >= 200) return 0;
    if (r >= 110) return 1;
    if (r >= 91) return 2;
    if (r < 30) return 4;
    return 3;
}
