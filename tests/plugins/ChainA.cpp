// Test Chain A: a tool-test mission (see TestMission.h) that names ChainB.scr next.
#include "TestMission.h"

MissionHooks& TheMission() {
    static MissionText text{"Test Chain A", testmission::kBriefingText, testmission::kEndTextText, "ChainB.scr"};
    static testmission::TestMission mission(text, testmission::Map(), testmission::Pattern{});
    return mission;
}
