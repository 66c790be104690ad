// Dorran5: New Beginnings (Dorran1).
// A first-contact training battle: the player's own ships, as the host's
// setup offers them, meet as many enemy ships of a race the setup picks,
// chosen by the host within the value of the player's force. The outcome
// compares both sides' losses, with a prestige bonus for a capture.
#include "Early.h"

namespace {

// ---- Texts -----------------------------------------------------------------
MissionText kText{
    /* 0 */ "New Beginnings (Dorran1)",
    /* 1 */ "Welcome, captain. This is one of the first campaign missions you should play: a test of your combat "
            "skills against a real enemy ship.\n\n"
            "Capture the enemy instead of destroying it and you earn an extra bonus of 300 points.\n\n"
            "Outcome points for this mission are inflated to get your career going: Astounding Victory 150, "
            "Victory 80, Draw 20, Defeat 0, Devastating Defeat -5.\n\n"
            "Good hunting! Then look up the Starlane Irregulars and the Deep Void Society, the fan groups behind "
            "these campaigns.",
    /* 2 */ "Science Officer:  Sir!  Sensors have picked up an enemy vessel closing fast! \n",
    /* 3 */ "Hail Them",
    /* 4 */ "Self Destruct",
    /* 5 */ "Hailing Enemy ship captain....\n No Reponse, Sir!",
    /* 6 */ "Self Destruct HAS been activated...5..4..3..2..1.. \n \n Malfunction, Sir! ",
    /* 7 */ " \nCongratulations - You CAPTURED them!  300 BPV BONUS!",
    /* 8 */ "Astounding Victory! \n \nYou have completed the mission with flying colours, captain.\n"
            "Objectives met: elimination of enemy ships. Command has taken note of your name.",
    /* 9 */ "Victory! \n \nIt was a hard fought battle and you took a beating, but victory is yours non-the-less! ",
    /* 10 */ "Draw \n \nNo clear victory for either side.",
    /* 11 */ "Defeat \n \nYou managed to take more than you dished out.  Better luck next time! ",
    /* 12 */ "Devastating Defeat! \n \nThe fleet cannot afford mess-ups like this one. Report back to the academy "
             "and review the training missions.",
    /* 13 */ "ENEMY SHIP: Looky, looky, it's a rookie!",
    /* 14 */ "ENEMY SHIP: Don't run away...we will be gentle with you!",
    /* 15 */ "ENEMY SHIP: They will let just anyone command starships these days...",
    /* 16 */ "ENEMY SHIP: Hey, you're not too bad... I must try harder! ",
    /* 17 */ "ENEMY SHIP: How about lowering your shields a sec...I've got something for ya!",
    /* 18 */ "ENEMY SHIP: You sure this is your first mission?  Hmmmmm.... blood will be flowing tonight! ",
    /* 19 */ "ENEMY SHIP: This battle is not over yet! ",
    /* 20 */ "ENEMY SHIP: This is not looking good...",
    /* 21 */ "ENEMY SHIP: Dorran say's we talk to much!  What do you think?",
    /* 22 */ "HALVRETH: Sir, when we get back, you really should join the Starlane Irregulars. Best fan group "
             "this side of the galaxy!",
};

constexpr int kStartText = 2;
constexpr int kHailItem = 3;
constexpr int kSelfDestructItem = 4;
constexpr int kHailReply = 5;
constexpr int kSelfDestructReply = 6;
constexpr int kCaptureText = 7;
constexpr int kFirstLevelText = 8;  // one end text per outcome level, 8..12

constexpr int kEnemyTeam = 6;
constexpr int kOrderAttack = 7;
constexpr int kTauntSound = 369;
constexpr int kHailSound = 351;
constexpr int kSelfDestructSound = 313;

// The enemy group: the host picks the ships, as many as the player has.
constexpr int kGroupKind = 2;
constexpr int kGroupParam = 50;
constexpr int kGroupMarker = 15;

// ---- Map ---------------------------------------------------------------------
const MissionMap kMap{
    {"Open Space"},
    {
    "Campaign Mission Maps",
    "// Open Space",
    " +____1____2____3____4____5____6____7____8+",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "1|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "2|........................................|",
    " |........................................|",
    " |........................................|",
    " |...........................0............|",
    " |........................................|",
    "3|.............Y,W.U.V.X.Z................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |......3.........*.ywuvxw.*.....*........|",
    "4|........................................|",
    " |.................khgijl.................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "5|..............K.H.G.I.J.L...............|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "6|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "7|........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    " |........................................|",
    "8|........................................|",
    " +----------------------------------------+",
    "      1    2    3    4    5    6    7    8",
    "///",
    }};

// ---- Taunts on timer 13: five at 24, four at 48, then the last for ever -------
// From step 7 on the sound plays before the timer is restarted.
constexpr early::TimerStep kTaunts[] = {
    {13, 24, kTauntSound},       {14, 24, kTauntSound},       {15, 24, kTauntSound},
    {16, 24, kTauntSound},       {17, 24, kTauntSound},       {18, 48, kTauntSound},
    {19, 48, kTauntSound},       {20, 48, kTauntSound, true}, {21, 48, kTauntSound, true},
    {22, 48, kTauntSound, true},
};

constexpr SettingsRow kSettings{0, 767, 127, 127, 7, 0, 0x7fff, 0, 9999, 0x7fff, 1};

class NewBeginnings : public MissionHooks {
public:
    using MissionHooks::MissionHooks;

    void FillSettings(MissionSettings& settings) override { kSettings.Fill(settings, TitleCStr()); }

    int SetupBattle(MissionSetup& setup) override {
        battle.SetPrestige(150, 80, 20, 0, -5);
        // Races first: a team takes its race when it is first used.
        battle.SetTeamRace(playerTeam, setup.playerRace);
        battle.SetTeamRace(kEnemyTeam, setup.pick2);
        battle.SetRelation(playerTeam, kEnemyTeam, 6, 3, 1.0f, true);
        return 1;
    }

    bool AcceptSetupUnit(SetupUnit& /*unit*/) override { return true; }

    void CreateUnits(int /*wave*/) override {
        Team* player = PlayerTeam();
        Team* enemy = GetTeam(kEnemyTeam);
        if (player == nullptr || enemy == nullptr) return;
        // An empty player team counts -1 active units: no enemy is made.
        enemy->CreateGroup(player->CountActive(), player->GetTotalValue(), kGroupKind, player->HighestHostId(),
                           kGroupParam, kGroupMarker, 0, 0, -1, -1, 0);
    }

    void ConfigureUnits() override {
        Team* player = PlayerTeam();
        Team* enemy = GetTeam(kEnemyTeam);
        if (player != nullptr && enemy != nullptr) {
            if (Ship* flagship = player->First()) flagship->TakeCommand();
            PairWith(*player, *enemy, 10);
            PairWith(*enemy, *player, -1);
        }
        battle.ShowMessage(kStartText, MSG_SHORT, nullptr);
        battle.SetTimer(early::kStoryTimer, early::kFirstTimer);
    }

    int HandleEvent(Ship* unit, int code) override {
        switch (code) {
            case EV_CAPTURED:
                if (unit != nullptr && unit->GetHomeTeam() == kEnemyTeam) {
                    captured_ = true;
                    battle.ShowMessage(kCaptureText, MSG_SHORT, nullptr);
                }
                break;
            case EV_TIMER:
                early::RunTimerStep(battle, kTaunts, true, tauntStep_);
                break;
            case EV_MENU:
                if (eventArg == kHailItem) {
                    battle.ShowMessage(kHailReply, MSG_SHORT, nullptr);
                    battle.PlaySound(kHailSound);
                } else if (eventArg == kSelfDestructItem) {
                    battle.ShowMessage(kSelfDestructReply, MSG_SHORT, nullptr);
                    battle.PlaySound(kSelfDestructSound);
                }
                break;
            default:
                break;
        }
        return CheckOutcome();
    }

    // Each side's losses as the other sees them; the side weaker in value
    // gets the difference to its credit.
    int RateOutcome() override {
        Team* player = PlayerTeam();
        Team* enemy = GetTeam(kEnemyTeam);
        if (player == nullptr || enemy == nullptr) return BattleState::RatioLevel(0, 0);
        const int a = player->GetTotalValue();
        const int b = enemy->GetTotalValue();
        const int value = enemy->Score(player) + (b > a ? b - a : 0);
        const int base = player->Score(enemy) + (a > b ? a - b : 0);
        return BattleState::RatioLevel(value, base);
    }

    void ApplyOutcome(int level) override {
        battle.AddEndMessage(kFirstLevelText + level);
        if (captured_) {
            battle.AddEndMessage(kCaptureText);
            battle.SetPrestige(450, 380, 320, 300, 295);
        }
    }

private:
    // Each unit of `team` is ordered against the opponent at the same list
    // position (none when the opponents run out) and gets the two menu
    // items; level -1 leaves its level alone.
    static void PairWith(const Team& team, const Team& opponents, int level) {
        for (int i = 0; i < team.Size(); ++i) {
            Ship* ship = team.At(i);
            if (level >= 0) ship->SetLevel(level);
            ship->SetOrder(opponents.At(i), kOrderAttack);
            ship->SetMenuItem(1, kHailItem, 0);
            ship->SetMenuItem(2, kSelfDestructItem, 0);
        }
    }

    int tauntStep_ = 0;
    bool captured_ = false;
};

}  // namespace

MissionHooks& TheMission() {
    static NewBeginnings mission(kText, kMap);
    return mission;
}
