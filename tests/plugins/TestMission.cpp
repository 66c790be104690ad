#include "TestMission.h"

#include <csignal>

namespace testmission {

const MissionMap& Map() {
    static const MissionMap map{
        {"Test Map"},
        {
            "Test Maps",
            "// Test Map",
            " +____1____2+",
            " |G.........|",
            " |..........|",
            " |....a.....|",
            " |..........|",
            "1|..........|",
            " |..........|",
            " |..........|",
            " |..........|",
            " |..........|",
            "2|.........J|",
            " +----------+",
            "      1    2",
            "///",
        }};
    return map;
}

void TestMission::FillSettings(MissionSettings& settings) {
    SettingsRow{0, 767, 3, 127, 7, 0, 0x7fff, 9999, 9999, 0, 1}.Fill(settings, TitleCStr());
}

int TestMission::SetupBattle(MissionSetup&) {
    battle.SetRelation(playerTeam, 6, 6, 3, 1.0f, true);
    return 1;
}

void TestMission::CreateUnits(int wave) {
    if (wave != 0) return;
    PlayerTeam()->CreateUnit("F-CA", 1, 0, 0, -1, -1, 0);
    GetTeam(6)->CreateUnit("O-FF", 4, 0, 0, -1, -1, 0);
    if (pattern_.extraMarker > 0) GetTeam(6)->CreateUnit("O-FF", pattern_.extraMarker, 0, 0, -1, -1, 0);
}

void TestMission::ConfigureUnits() {
    if (Ship* flagship = PlayerTeam()->First()) flagship->TakeCommand();
    battle.SetTimer(13, 5);
}

int TestMission::HandleEvent(Ship*, int code) {
    if (code == EV_TIMER) {
        if (pattern_.crashOnTimer) std::raise(SIGSEGV);
        return RESULT_OPPONENT_OTHER;
    }
    return CheckOutcome();
}

void TestMission::ApplyOutcome(int) { battle.AddEndMessage(kEndText); }

int TestMission::OnFinish(int) {
    battle.SetNextScript(kNextScript);
    return 0;
}

}  // namespace testmission
