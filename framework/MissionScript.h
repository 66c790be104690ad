// MissionScript: the one static script object ScriptEntry hands the host.
// It turns the host's seventeen operations into the framework's battle
// state, map reader and the mission's hooks. No exception leaves an
// operation: one that meets an exception answers its neutral value.
#pragma once

#include "HostLink.h"
#include "MissionHooks.h"

class MissionScript final : public ScriptInterface {
public:
    int GetVersion() override;
    void Initialize(MissionSetup* setup) override;
    bool OnUnitCreated(int team, int unitId, HostHandle handle) override;
    int OnEvent(HostEvent* event) override;
    void RewindMap() override;
    const char* NextMapLine() override;
    tString* GetBriefing() override;
    int GetEndMessageCount() override;
    tString* GetEndMessage(int i) override;
    int GetScore(int i) override;
    bool GetSettings(MissionSettings* settings) override;
    int Finish(int code) override;
    int GetRelation(int teamA, int teamB) override;
    void SetRequestFn(RequestFn fn) override;
    void SetCreateUnitFn(CreateUnitFn fn) override;
    void SetMessageFn(MessageFn fn) override;
    void SetRandomFn(RandomFn fn) override;

    bool setupDone = false;
    int briefingIndex = 0;
    int outcomeLevel = 0;

private:
    MissionHooks& Mission();
    void InitializeBattle(MissionSetup& setup);
    void PlaceSetupUnits(MissionSetup& setup);
    bool BindUnit(int team, int unitId, HostHandle handle);
    int Dispatch(const HostEvent& event);
};

// The masked and the weighted random picks of Initialize. `space` is the
// number of ints the list's field holds: a list without its terminator is
// read no further.
int PickFromList(const std::int32_t* list, int space, int mask);
int PickWeighted(const std::int32_t* list, int space);

extern "C" __attribute__((visibility("default"))) ScriptInterface* ScriptEntry();
