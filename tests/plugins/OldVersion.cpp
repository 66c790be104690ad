// A plug-in of an older interface: its script object, written by hand
// against the contract, answers version 56 and does nothing else.
#include "HostAbi.h"

namespace {

using Str = TStringLayout;

class OldScript final : public BasicScriptInterface<Str> {
public:
    int GetVersion() override { return 56; }
    void Initialize(MissionSetup*) override {}
    bool OnUnitCreated(int, int, HostHandle) override { return true; }
    int OnEvent(HostEvent*) override { return 0; }
    void RewindMap() override {}
    const char* NextMapLine() override { return nullptr; }
    Str* GetBriefing() override { return &empty_; }
    int GetEndMessageCount() override { return 0; }
    Str* GetEndMessage(int) override { return &empty_; }
    int GetScore(int) override { return 0; }
    bool GetSettings(Settings*) override { return false; }
    int Finish(int) override { return 0; }
    int GetRelation(int, int) override { return 0; }
    void SetRequestFn(Callbacks::RequestFn) override {}
    void SetCreateUnitFn(Callbacks::CreateUnitFn) override {}
    void SetMessageFn(Callbacks::MessageFn) override {}
    void SetRandomFn(Callbacks::RandomFn) override {}

private:
    Str empty_{};
};

OldScript script;

}  // namespace

extern "C" __attribute__((visibility("default"))) BasicScriptInterface<Str>* ScriptEntry() { return &script; }
