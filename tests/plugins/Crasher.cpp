// Test Crasher: a tool-test mission (see TestMission.h) that crashes on its first timer event.
#include "TestMission.h"

MissionHooks& TheMission() {
    static MissionText text{"Test Crasher", testmission::kBriefingText, testmission::kEndTextText, "Missing.scr"};
    static testmission::TestMission mission(text, testmission::Map(), testmission::Pattern{.crashOnTimer = true});
    return mission;
}
