#include "Early.h"

namespace early {

SettingsRow Settings(int playerRaces) { return {3, 767, playerRaces, 127, 7, 0, 0x7fff, 9999, 9999, 0, 510}; }

void CreateTable(Team* team, std::span<const Unit> units) {
    if (team == nullptr) return;
    for (const Unit& unit : units) team->CreateUnit(unit.classCode, unit.marker, 0, 0, -1, -1, 0);
}

void NameTable(Team* team, std::span<const Unit> units, int from) {
    if (team == nullptr) return;
    for (std::size_t i = 0; i < units.size(); ++i) {
        Ship* ship = team->At(from + static_cast<int>(i));
        if (ship == nullptr) return;
        if (units[i].level >= 0) ship->SetLevel(units[i].level);
        if (units[i].nameText >= 0) ship->SetName(units[i].nameText);
    }
}

void RunTimerStep(BattleState& battle, std::span<const TimerStep> steps, bool repeatLast, int& step) {
    // A repeating cycle never moves past its last step; one that does not
    // repeat falls silent once past it.
    const int last = static_cast<int>(steps.size()) - 1;
    if (step < 0 || step > last) return;
    const TimerStep& s = steps[static_cast<std::size_t>(step)];
    battle.ShowMessage(s.text, MSG_SHORT, nullptr);
    if (s.sound != 0 && s.soundFirst) battle.PlaySound(s.sound);
    battle.SetTimer(kStoryTimer, s.restart);
    if (s.sound != 0 && !s.soundFirst) battle.PlaySound(s.sound);
    if (!(repeatLast && step == last)) ++step;
}

void EarlyMission::FillSettings(MissionSettings& settings) {
    Settings(pattern_.playerRaces).Fill(settings, TitleCStr());
}

int EarlyMission::SetupBattle(MissionSetup& /*setup*/) {
    battle.SetRelation(playerTeam, GetEnemyTeam(), 6, 3, 1.0f, false);
    battle.SetRelation(GetEnemyTeam(), playerTeam, 6, 3, 1.0f, false);
    return 1;
}

void EarlyMission::CreateUnits(int /*wave*/) {
    CreateTable(PlayerTeam(), pattern_.playerUnits);
    CreateTable(GetTeam(GetEnemyTeam()), pattern_.enemyUnits);
}

void EarlyMission::ConfigureUnits() {
    // The flagship: command, level and name, officers, stores; then its
    // escorts in the walk.
    Team* player = PlayerTeam();
    if (Ship* flagship = player != nullptr ? player->At(0) : nullptr; flagship && !pattern_.playerUnits.empty()) {
        flagship->TakeCommand();
        NameTable(player, pattern_.playerUnits.first(1));
        for (const Officer& officer : kOfficers) {
            flagship->SetOfficerName(officer.slot, officer.nameText);
            flagship->SetOfficerLevel(officer.slot, kOfficerLevel);
        }
        for (const Stock& stock : pattern_.flagshipStores) flagship->SetStock(stock.group, stock.item, stock.count);
        NameTable(player, pattern_.playerUnits.subspan(1), 1);
    }
    NameTable(GetTeam(GetEnemyTeam()), pattern_.enemyUnits);
    battle.ShowMessage(kStartText, MSG_SHORT, nullptr);
    battle.SetTimer(kStoryTimer, kFirstTimer);
}

int EarlyMission::HandleEvent(Ship* unit, int code) {
    switch (code) {
        case EV_TIMER:
            RunTimerStep(battle, pattern_.timerSteps, pattern_.repeatLastStep, timerStep_);
            break;
        case EV_TEAM_LEFT:
            disengaged_ = true;
            return RESULT_OPPONENT_OTHER;
        case EV_ARRIVED:
            if (pattern_.arrivalText >= 0 && unit != nullptr && unit->GetMoveValue() == 80.0f)
                battle.ShowMessage(pattern_.arrivalText, MSG_SHORT, nullptr);
            break;
        default:
            break;
    }
    return CheckOutcome();
}

int EarlyMission::RateOutcome() { return BattleState::RatioLevel(0, 0); }

void EarlyMission::ApplyOutcome(int /*level*/) {
    battle.AddEndMessage(disengaged_ ? pattern_.disengagedText : pattern_.victoryText);
}

}  // namespace early
