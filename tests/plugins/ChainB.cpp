// Test Chain B: a tool-test mission (see TestMission.h) that names Missing.scr next and creates one unit on marker 30, which is not on its map.
#include "TestMission.h"

MissionHooks& TheMission() {
    static MissionText text{"Test Chain B", testmission::kBriefingText, testmission::kEndTextText, "Missing.scr"};
    static testmission::TestMission mission(text, testmission::Map(), testmission::Pattern{.extraMarker = 30});
    return mission;
}
