#include "MissionScript.h"

namespace {
MissionScript script;
HostLink theLink;

// Runs one operation; an exception answers the operation's neutral value.
template <class F, class R>
R Guard(F&& f, R neutral) {
    try {
        return f();
    } catch (...) {
        return neutral;
    }
}
template <class F>
void Guard(F&& f) {
    try {
        f();
    } catch (...) {
    }
}
}  // namespace

HostLink& Link() { return theLink; }

extern "C" ScriptInterface* ScriptEntry() { return &script; }

MissionHooks& MissionScript::Mission() {
    MissionHooks& mission = TheMission();
    theLink.mission = &mission;
    return mission;
}

int MissionScript::GetVersion() { return SCRIPT_INTERFACE_VERSION; }

void MissionScript::RewindMap() { theLink.mapCursor = 0; }

const char* MissionScript::NextMapLine() {
    return Guard([&] { return Mission().Map().NextLine(theLink.mapCursor); }, static_cast<const char*>(nullptr));
}

tString* MissionScript::GetBriefing() {
    return Guard([&] { return &Mission().Text()[briefingIndex]; }, static_cast<tString*>(nullptr));
}

int MissionScript::GetEndMessageCount() {
    return Guard([&] { return Mission().battle.GetEndMessageCount(); }, 0);
}

tString* MissionScript::GetEndMessage(int i) {
    return Guard([&] { return &Mission().Text()[Mission().battle.GetEndMessage(i)]; }, static_cast<tString*>(nullptr));
}

int MissionScript::GetScore(int i) {
    return Guard(
        [&] {
            if (i >= 0 && i < kOutcomeLevels) return Mission().battle.GetPrestige(i);
            return i == kOutcomeLevels ? outcomeLevel : 0;
        },
        0);
}

bool MissionScript::GetSettings(MissionSettings* settings) {
    if (settings == nullptr || settings->version != SETTINGS_VERSION) return false;
    return Guard(
        [&] {
            Mission().FillSettings(*settings);
            return true;
        },
        false);
}

int MissionScript::Finish(int code) {
    return Guard([&] { return Mission().OnFinish(code); }, 0);
}

int MissionScript::GetRelation(int teamA, int teamB) {
    return Guard([&] { return Mission().battle.GetRelation(teamA, teamB); }, 0);
}

void MissionScript::SetRequestFn(RequestFn fn) { theLink.requestFn = fn; }
void MissionScript::SetCreateUnitFn(CreateUnitFn fn) { theLink.createUnitFn = fn; }
void MissionScript::SetMessageFn(MessageFn fn) { theLink.messageFn = fn; }
void MissionScript::SetRandomFn(RandomFn fn) { theLink.randomFn = fn; }

void MissionScript::Initialize(MissionSetup* setup) {
    if (setup == nullptr) return;
    Guard([&] { InitializeBattle(*setup); });
}

bool MissionScript::OnUnitCreated(int team, int unitId, HostHandle handle) {
    return Guard([&] { return BindUnit(team, unitId, handle); }, setupDone);
}

int MissionScript::OnEvent(HostEvent* event) {
    if (event == nullptr) return 0;
    return Guard([&] { return Dispatch(*event); }, 0);
}
